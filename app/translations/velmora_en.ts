<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>velmora::ColourChoice</name>
    <message>
        <source>%1 % of the surface will print noticeably duller (ΔE2000 &gt; %2; largest shift %3)</source>
        <translation>%1 % of the surface will print noticeably duller (ΔE2000 &gt; %2; largest shift %3)</translation>
    </message>
    <message>
        <source>Colour profile…</source>
        <translation>Colour profile…</translation>
    </message>
    <message>
        <source>None</source>
        <translation>None</translation>
    </message>
    <message>
        <source>Relative colorimetric</source>
        <translation>Relative colorimetric</translation>
    </message>
    <message>
        <source>Perceptual</source>
        <translation>Perceptual</translation>
    </message>
    <message>
        <source>The ICC profile of the printer or the print shop: the picture is converted through it, CMYK for TIFF, JPEG and PDF</source>
        <translation>The ICC profile of the printer or the print shop: the picture is converted through it, CMYK for TIFF, JPEG and PDF</translation>
    </message>
    <message>
        <source>No printer profile: the file keeps the picture&apos;s sRGB colours</source>
        <translation>No printer profile: the file keeps the picture&apos;s sRGB colours</translation>
    </message>
    <message>
        <source>Relative colorimetric keeps the colours the printer can print and moves the others to the nearest it can; perceptual compresses all of them into its range</source>
        <translation>Relative colorimetric keeps the colours the printer can print and moves the others to the nearest it can; perceptual compresses all of them into its range</translation>
    </message>
    <message>
        <source>The colour profile %1 cannot be used: %2</source>
        <translation>The colour profile %1 cannot be used: %2</translation>
    </message>
    <message>
        <source>ICC profiles (*.icc *.icm *.ICC *.ICM)</source>
        <translation>ICC profiles (*.icc *.icm *.ICC *.ICM)</translation>
    </message>
    <message>
        <source>None: the picture&apos;s sRGB colours</source>
        <translation>None: the picture&apos;s sRGB colours</translation>
    </message>
    <message>
        <source>Working out how the colours print…</source>
        <translation>Working out how the colours print…</translation>
    </message>
</context>
<context>
    <name>velmora::ExportDialog</name>
    <message>
        <source>Colours:</source>
        <translation>Colours:</translation>
    </message>
    <message>
        <source>Export at size</source>
        <translation>Export at size</translation>
    </message>
    <message>
        <source>Custom</source>
        <translation>Custom</translation>
    </message>
    <message>
        <source>Millimetres</source>
        <translation>Millimetres</translation>
    </message>
    <message>
        <source>Pixels</source>
        <translation>Pixels</translation>
    </message>
    <message>
        <source>High resolution (every pixel computed)</source>
        <translation>High resolution (every pixel computed)</translation>
    </message>
    <message>
        <source>Export…</source>
        <translation>Export…</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Size:</source>
        <translation>Size:</translation>
    </message>
    <message>
        <source>Units:</source>
        <translation>Units:</translation>
    </message>
    <message>
        <source>Width:</source>
        <translation>Width:</translation>
    </message>
    <message>
        <source>Height:</source>
        <translation>Height:</translation>
    </message>
    <message>
        <source>Resolution:</source>
        <translation>Resolution:</translation>
    </message>
    <message>
        <source>Format:</source>
        <translation>Format:</translation>
    </message>
    <message>
        <source>Worker threads:</source>
        <translation>Worker threads:</translation>
    </message>
    <message>
        <source>Each side must be %1 to %2 pixels.</source>
        <translation>Each side must be %1 to %2 pixels.</translation>
    </message>
    <message>
        <source>An export is running. Wait for it to end or cancel it, then export again.</source>
        <translation>An export is running. Wait for it to end or cancel it, then export again.</translation>
    </message>
    <message>
        <source>Exporting to %1</source>
        <translation>Exporting to %1</translation>
    </message>
    <message>
        <source>Cancelling…</source>
        <translation>Cancelling…</translation>
    </message>
    <message>
        <source>Cancelled: nothing was written.</source>
        <translation>Cancelled: nothing was written.</translation>
    </message>
    <message>
        <source>%1 could not be written: %2</source>
        <translation>%1 could not be written: %2</translation>
    </message>
    <message>
        <source>Written: %1</source>
        <translation>Written: %1</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>A size the picture is often printed at, or Custom for the size typed below</source>
        <translation>A size the picture is often printed at, or Custom for the size typed below</translation>
    </message>
    <message>
        <source>Width and height in millimetres printed at the resolution below</source>
        <translation>Width and height in millimetres printed at the resolution below</translation>
    </message>
    <message>
        <source>Width and height in pixels of the picture file</source>
        <translation>Width and height in pixels of the picture file</translation>
    </message>
    <message>
        <source>The width of the exported picture</source>
        <translation>The width of the exported picture</translation>
    </message>
    <message>
        <source>The height of the exported picture</source>
        <translation>The height of the exported picture</translation>
    </message>
    <message>
        <source>Pixels per inch of the print; the file records it</source>
        <translation>Pixels per inch of the print; the file records it</translation>
    </message>
    <message>
        <source>Computes every pixel instead of one point per 4 × 4 pixels</source>
        <translation>Computes every pixel instead of one point per 4 × 4 pixels</translation>
    </message>
    <message>
        <source>The kind of picture file to write</source>
        <translation>The kind of picture file to write</translation>
    </message>
    <message>
        <source>How many processor cores draw the picture</source>
        <translation>How many processor cores draw the picture</translation>
    </message>
    <message>
        <source>Chooses a file name and exports the picture</source>
        <translation>Chooses a file name and exports the picture</translation>
    </message>
    <message>
        <source>Stops an export under way, or closes the dialog</source>
        <translation>Stops an export under way, or closes the dialog</translation>
    </message>
    <message>
        <source>The picture runs this far past its size on every side, for the print shop to cut off</source>
        <translation>The picture runs this far past its size on every side, for the print shop to cut off</translation>
    </message>
    <message>
        <source>Crop marks (PDF)</source>
        <translation>Crop marks (PDF)</translation>
    </message>
    <message>
        <source>Bleed:</source>
        <translation>Bleed:</translation>
    </message>
    <message>
        <source>JPEG quality:</source>
        <translation>JPEG quality:</translation>
    </message>
    <message>
        <source>%1 × %2 pixels, %3 × %4 mm at %5 dpi; %6</source>
        <translation>%1 × %2 pixels, %3 × %4 mm at %5 dpi; %6</translation>
    </message>
    <message>
        <source>Keep what matters %1 mm inside the edges (the safe margin).</source>
        <translation>Keep what matters %1 mm inside the edges (the safe margin).</translation>
    </message>
    <message>
        <source>file size unknown</source>
        <translation>file size unknown</translation>
    </message>
    <message>
        <source>file size being estimated</source>
        <translation>file size being estimated</translation>
    </message>
    <message>
        <source>file about %1</source>
        <translation>file about %1</translation>
    </message>
</context>
<context>
    <name>velmora::Files</name>
    <message>
        <source>[ %1 ]<byte value="xd"/>
<byte value="xd"/>
同名ファイルがすでにあります。<byte value="xd"/>
上書きしますか？</source>
        <translation>A file named %1 already exists. Replace it?</translation>
    </message>
    <message>
        <source>[ %1 ]<byte value="xd"/>
<byte value="xd"/>
The file could not be written:<byte value="xd"/>
%2</source>
        <translation>%1 could not be written:
%2</translation>
    </message>
</context>
<context>
    <name>velmora::FormPrint</name>
    <message>
        <source>VLG</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>印刷するプリンター。最後の PDF file は PDF ファイルに書き出します</source>
        <translation>The printer to print on; the last entry, PDF file, writes a PDF file instead</translation>
    </message>
    <message>
        <source>Virtical</source>
        <translation>Vertical</translation>
    </message>
    <message>
        <source>Horizontal</source>
        <translation>Horizontal</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>閉じて、開く前のプリンターに戻します</source>
        <translation>Closes the dialog and returns to the printer chosen before</translation>
    </message>
    <message>
        <source>縦向きの用紙に印刷します</source>
        <translation>Prints on a portrait page</translation>
    </message>
    <message>
        <source>横向きの用紙に印刷します</source>
        <translation>Prints on a landscape page</translation>
    </message>
    <message>
        <source>印刷される頁のプレビュー（ポスターでは最初の頁）</source>
        <translation>The page as it will print (for a poster, its first page)</translation>
    </message>
    <message>
        <source>ここで選んだとおりに印刷します</source>
        <translation>Prints with the choices made here</translation>
    </message>
    <message>
        <source>Paper</source>
        <translation>Paper</translation>
    </message>
    <message>
        <source>プリンターの用紙（既定の用紙が先頭）</source>
        <translation>The printer&apos;s papers, its default first</translation>
    </message>
    <message>
        <source>Size on paper</source>
        <translation>Size on paper</translation>
    </message>
    <message>
        <source>Page width</source>
        <translation>Page width</translation>
    </message>
    <message>
        <source>絵の全体を用紙の幅いっぱいに印刷します</source>
        <translation>Prints the whole picture across the page&apos;s width</translation>
    </message>
    <message>
        <source>Actual size</source>
        <translation>Actual size</translation>
    </message>
    <message>
        <source>下の幅と高さ (mm) で印刷します。印刷できる範囲より大きいときは複数の頁のポスターになります</source>
        <translation>Prints at the width and height below, in millimetres; a size larger than the printable area prints as a poster of several pages</translation>
    </message>
    <message>
        <source>印刷する幅 (mm)</source>
        <translation>The printed width in millimetres</translation>
    </message>
    <message>
        <source>印刷する高さ (mm)</source>
        <translation>The printed height in millimetres</translation>
    </message>
    <message>
        <source>マウスパッドやデスクマットの大きさ、または用紙の印刷できる範囲</source>
        <translation>Mouse pad and desk mat sizes, or the sheet&apos;s printable area</translation>
    </message>
    <message>
        <source>Presets</source>
        <translation>Presets</translation>
    </message>
    <message>
        <source>Printable area</source>
        <translation>Printable area</translation>
    </message>
    <message>
        <source>Whole picture</source>
        <translation>Whole picture</translation>
    </message>
    <message>
        <source>絵の全体をその大きさに収め、中央に置きます</source>
        <translation>Fits the whole picture inside the size, centred</translation>
    </message>
    <message>
        <source>Fill</source>
        <translation>Fill</translation>
    </message>
    <message>
        <source>その大きさを埋め、はみ出す部分を両側から等しく切り取ります</source>
        <translation>Covers the size and cuts what is left over equally on both sides</translation>
    </message>
    <message>
        <source>Overlap</source>
        <translation>Overlap</translation>
    </message>
    <message>
        <source>ポスターの隣り合う頁の重なり (mm)</source>
        <translation>How far neighbouring pages of a poster overlap, in millimetres</translation>
    </message>
    <message>
        <source>Resolution</source>
        <translation>Resolution</translation>
    </message>
    <message>
        <source>実寸で印刷するとき、この解像度で絵を描き直します</source>
        <translation>At actual size the picture is drawn anew at this resolution</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>印刷を取りやめます。ファイルもジョブも残しません</source>
        <translation>Stops printing, leaving no file and no job</translation>
    </message>
    <message>
        <source>At %1 dpi each side must be %2 to %3 pixels.</source>
        <translation>At %1 dpi each side must be %2 to %3 pixels.</translation>
    </message>
    <message>
        <source>Borderless</source>
        <translation>Borderless</translation>
    </message>
    <message>
        <source>余白なしで印刷できるプリンター用: 用紙には収まるが印刷できる範囲に収まらない大きさを、ポスターにせず 1 頁に印刷します</source>
        <translation>For a printer that prints without margins: a size that fits the sheet but not its printable area prints on one page instead of a poster</translation>
    </message>
    <message>
        <source>%1 × %2 mm, %3 dpi, </source>
        <translation>%1 × %2 mm, %3 dpi, </translation>
    </message>
    <message>
        <source>%1 pages (%2 × %3)</source>
        <translation>%1 pages (%2 × %3)</translation>
    </message>
    <message>
        <source>1 page</source>
        <translation>1 page</translation>
    </message>
    <message>
        <source>: below %1 dpi the dots will show</source>
        <translation>: below %1 dpi the dots will show</translation>
    </message>
    <message>
        <source>, needs borderless printing</source>
        <translation>, needs borderless printing</translation>
    </message>
    <message>
        <source>, 1 page with borderless printing</source>
        <translation>, 1 page with borderless printing</translation>
    </message>
    <message>
        <source>Bleed</source>
        <translation>Bleed</translation>
    </message>
    <message>
        <source>Crop marks</source>
        <translation>Crop marks</translation>
    </message>
    <message>
        <source>Only on the paper &quot;Picture&apos;s own size&quot; at actual size.</source>
        <translation>Only on the paper &quot;Picture&apos;s own size&quot; at actual size.</translation>
    </message>
    <message>
        <source>Trim marks around the bleed, for the print shop.</source>
        <translation>Trim marks around the bleed, for the print shop.</translation>
    </message>
    <message>
        <source>Picture&apos;s own size</source>
        <translation>Picture&apos;s own size</translation>
    </message>
    <message>
        <source>The picture&apos;s own size prints at actual size: choose Actual size or a paper.</source>
        <translation>The picture&apos;s own size prints at actual size: choose Actual size or a paper.</translation>
    </message>
    <message>
        <source>, %1 mm bleed</source>
        <translation>, %1 mm bleed</translation>
    </message>
    <message>
        <source>, crop marks</source>
        <translation>, crop marks</translation>
    </message>
</context>
<context>
    <name>velmora::MainForm</name>
    <message>
        <source>Show print colours</source>
        <translation>Show print colours</translation>
    </message>
    <message>
        <source>Show colours out of gamut</source>
        <translation>Show colours out of gamut</translation>
    </message>
    <message>
        <source>Patern</source>
        <translation>Pattern</translation>
    </message>
    <message>
        <source>描く模様: Ptn0 から Ptn3 はフラクタル、Ptn4 と Ptn5 はランダムな点</source>
        <translation>The pattern to draw: Ptn0 to Ptn3 are fractals, Ptn4 and Ptn5 random speckle</translation>
    </message>
    <message>
        <source>Fractal</source>
        <translation>Fractal</translation>
    </message>
    <message>
        <source>Random(Dark)</source>
        <translation>Random (dark)</translation>
    </message>
    <message>
        <source>Random(Blight)</source>
        <translation>Random (bright)</translation>
    </message>
    <message>
        <source>Picture Effect</source>
        <translation>Picture effect</translation>
    </message>
    <message>
        <source>描写エリアにドロップした画像の上に、4×4 画素ごとに 1 点を排他的論理和で描きます</source>
        <translation>Draws one point in every 4 × 4 pixel cell, combined by exclusive-or with the image dropped on the drawing area</translation>
    </message>
    <message>
        <source>絵の大きさ（画素）</source>
        <translation>The picture&apos;s size in pixels</translation>
    </message>
    <message>
        <source>絵の大きさを 256 × 181 から 8192 × 5792 画素までの 21 段階から選びます（変えると絵は消えます）</source>
        <translation>Chooses the picture&apos;s size, one of 21 from 256 × 181 to 8192 × 5792 pixels (a change clears the picture)</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>今の設定で絵を描きます (F5、数値の欄では Enter)</source>
        <translation>Draws the picture with the current settings (F5, or Return in a number box)</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>描画を止めます</source>
        <translation>Stops the drawing</translation>
    </message>
    <message>
        <source>HighResolution</source>
        <translation>High resolution</translation>
    </message>
    <message>
        <source>すべての画素を計算します（オフのときは 4×4 画素ごとに 1 点を計算して 4 画素の点で描きます）</source>
        <translation>Computes every pixel (off: one point per 4 × 4 pixel block, drawn as a 4-pixel dot)</translation>
    </message>
    <message>
        <source>MONO</source>
        <translation>Mono</translation>
    </message>
    <message>
        <source>3色</source>
        <translation>3 colours</translation>
    </message>
    <message>
        <source>4色</source>
        <translation>4 colours</translation>
    </message>
    <message>
        <source>8色</source>
        <translation>8 colours</translation>
    </message>
    <message>
        <source>16色</source>
        <translation>16 colours</translation>
    </message>
    <message>
        <source>32色</source>
        <translation>32 colours</translation>
    </message>
    <message>
        <source>64色</source>
        <translation>64 colours</translation>
    </message>
    <message>
        <source>128色</source>
        <translation>128 colours</translation>
    </message>
    <message>
        <source>色数。Start を押したときに読まれます</source>
        <translation>The number of colours, read when Start is pressed</translation>
    </message>
    <message>
        <source>Initial</source>
        <translation>Initial</translation>
    </message>
    <message>
        <source>写像のパラメータ。データファイルをここにドロップすると設定が戻ります</source>
        <translation>The map&apos;s parameters. Drop a parameter data file here to restore its settings</translation>
    </message>
    <message>
        <source>Draw Area</source>
        <translation>Region</translation>
    </message>
    <message>
        <source>描く平面の範囲。データファイルをここにドロップすると設定が戻ります</source>
        <translation>The part of the plane drawn. Drop a parameter data file here to restore its settings</translation>
    </message>
    <message>
        <source>写像のパラメータ a。Enter で描きます</source>
        <translation>Map parameter a; Return draws</translation>
    </message>
    <message>
        <source>写像のパラメータ b。Enter で描きます</source>
        <translation>Map parameter b; Return draws</translation>
    </message>
    <message>
        <source>X0: 絵の右端に近づく値。Enter で描きます</source>
        <translation>X0, approached at the picture&apos;s right edge; Return draws</translation>
    </message>
    <message>
        <source>X1: 絵の左端の値。Enter で描きます</source>
        <translation>X1, at the picture&apos;s left edge; Return draws</translation>
    </message>
    <message>
        <source>Y0: 絵の下端に近づく値。Enter で描きます</source>
        <translation>Y0, approached at the picture&apos;s bottom edge; Return draws</translation>
    </message>
    <message>
        <source>Y1: 絵の上端の値。Enter で描きます</source>
        <translation>Y1, at the picture&apos;s top edge; Return draws</translation>
    </message>
    <message>
        <source>MoveLeft</source>
        <translation>Moves the region left by a quarter of its width; Start draws the new region</translation>
    </message>
    <message>
        <source>MoveRight</source>
        <translation>Moves the region right by a quarter of its width; Start draws the new region</translation>
    </message>
    <message>
        <source>Up</source>
        <translation>Moves the region up by a quarter of its height; Start draws the new region</translation>
    </message>
    <message>
        <source>Down</source>
        <translation>Moves the region down by a quarter of its height; Start draws the new region</translation>
    </message>
    <message>
        <source>In</source>
        <translation>In</translation>
    </message>
    <message>
        <source>Zoom In</source>
        <translation>Halves the region around its centre; Start draws the new region</translation>
    </message>
    <message>
        <source>Out</source>
        <translation>Out</translation>
    </message>
    <message>
        <source>Zoom Out</source>
        <translation>Doubles the region around its centre; Start draws the new region</translation>
    </message>
    <message>
        <source>Save FileName</source>
        <translation>The name for Save and Data, without an ending</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>SavePicture</source>
        <translation>Saves the picture as a bitmap, NAME.bmp (Ctrl+S)</translation>
    </message>
    <message>
        <source>Data</source>
        <translation>Data</translation>
    </message>
    <message>
        <source>Save Data</source>
        <translation>Saves the settings to NAME_dat.txt; drop that file on the window to restore them</translation>
    </message>
    <message>
        <source>絵全体の縮小表示</source>
        <translation>The whole picture, small</translation>
    </message>
    <message>
        <source>残りのパス数。描き終わると OK</source>
        <translation>Passes still to draw; OK when the picture is done</translation>
    </message>
    <message>
        <source>TIME</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>描画にかかった時間</source>
        <translation>The time the drawing took</translation>
    </message>
    <message>
        <source>Prnt</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>Print to Default Printer</source>
        <translation>Opens the print dialog (Ctrl+P)</translation>
    </message>
    <message>
        <source>パレット A と B の元になる色の帯。画像ファイルをドロップすると置き換わります</source>
        <translation>The colour strip palettes A and B are sampled from; drop an image file here to replace it</translation>
    </message>
    <message>
        <source>Palett A</source>
        <translation>Palette A</translation>
    </message>
    <message>
        <source>色の帯を左から右へ取ったパレット</source>
        <translation>The strip&apos;s colours from left to right</translation>
    </message>
    <message>
        <source>Palett B</source>
        <translation>Palette B</translation>
    </message>
    <message>
        <source>色の帯を右から左へ取ったパレット</source>
        <translation>The strip&apos;s colours from right to left</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>Default</translation>
    </message>
    <message>
        <source>組み込みのパレット</source>
        <translation>The built-in palette</translation>
    </message>
    <message>
        <source>描写エリア。矢印キーで絵を動かします</source>
        <translation>The drawing area; the arrow keys move the picture in it</translation>
    </message>
    <message>
        <source>絵。ドラッグした範囲を拡大して描き、右クリックでメニュー、矢印キーで動かします。画像ファイルをドロップすると Picture Effect の背景になります</source>
        <translation>The picture: drag a rectangle to draw it enlarged, right-click for the menu, arrow keys move it. An image file dropped here becomes the background of the picture effect</translation>
    </message>
    <message>
        <source>絵を左右に動かします</source>
        <translation>Moves the picture sideways in the drawing area</translation>
    </message>
    <message>
        <source>絵を上下に動かします</source>
        <translation>Moves the picture up and down in the drawing area</translation>
    </message>
    <message>
        <source>VelmoraHelp.htm</source>
        <extracomment>The help document&apos;s file name: the document that names the controls as this language shows them.</extracomment>
        <translation>VelmoraHelp_en.htm</translation>
    </message>
    <message>
        <source>%1 * %2 Pixcell</source>
        <translation>%1 × %2 pixels</translation>
    </message>
    <message>
        <source>Only %1 and %2 pictures can be written.</source>
        <translation>Only %1 and %2 pictures can be written.</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source>Please choose a colour count before pressing Start.</source>
        <translation>Please choose a colour count before pressing Start.</translation>
    </message>
    <message>
        <source>描写エリアに画像ファイルをドロップしてください。</source>
        <translation>Drop an image file on the drawing area first: the picture effect draws over it.</translation>
    </message>
    <message>
        <source>Copy picture	Ctrl+C</source>
        <translation>Copy picture	Ctrl+C</translation>
    </message>
    <message>
        <source>Save picture as…	Ctrl+Shift+S</source>
        <translation>Save picture as…	Ctrl+Shift+S</translation>
    </message>
    <message>
        <source>Back	Alt+Left</source>
        <translation>Back	Alt+Left</translation>
    </message>
    <message>
        <source>Forward	Alt+Right</source>
        <translation>Forward	Alt+Right</translation>
    </message>
    <message>
        <source>Export at size…</source>
        <translation>Export at size…</translation>
    </message>
    <message>
        <source>Show weak areas</source>
        <translation>Show weak areas</translation>
    </message>
    <message>
        <source>Fit in window	Ctrl+0</source>
        <translation>Fit in window	Ctrl+0</translation>
    </message>
    <message>
        <source>Actual pixels	Ctrl+1</source>
        <translation>Actual pixels	Ctrl+1</translation>
    </message>
    <message>
        <source>Zoom view in	Ctrl++</source>
        <translation>Zoom view in	Ctrl++</translation>
    </message>
    <message>
        <source>Zoom view out	Ctrl+-</source>
        <translation>Zoom view out	Ctrl+-</translation>
    </message>
    <message>
        <source>Show product frame</source>
        <translation>Show product frame</translation>
    </message>
    <message>
        <source>Sent to %1: 1 page</source>
        <translation>Sent to %1: 1 page</translation>
    </message>
    <message>
        <source>Sent to %1: %2 pages</source>
        <translation>Sent to %1: %2 pages</translation>
    </message>
    <message>
        <source>Sent to %1: job %2, 1 page</source>
        <translation>Sent to %1: job %2, 1 page</translation>
    </message>
    <message>
        <source>Sent to %1: job %2, %3 pages</source>
        <translation>Sent to %1: job %2, %3 pages</translation>
    </message>
    <message>
        <source>Written: %1, 1 page</source>
        <translation>Written: %1, 1 page</translation>
    </message>
    <message>
        <source>Written: %1, %2 pages</source>
        <translation>Written: %1, %2 pages</translation>
    </message>
</context>
<context>
    <name>velmora::QtPrinters</name>
    <message>
        <source>Find regions that track…</source>
        <translation>Find regions that track…</translation>
    </message>
</context>
<context>
    <name>velmora::TrackingLabel</name>
    <message>
        <source>high resolution</source>
        <translation>high resolution</translation>
    </message>
    <message>
        <source>normal resolution</source>
        <translation>normal resolution</translation>
    </message>
    <message>
        <source>size %1</source>
        <translation>size %1</translation>
    </message>
    <message>
        <source>%1 dpi</source>
        <translation>%1 dpi</translation>
    </message>
    <message>
        <source>zoom out 2×</source>
        <translation>zoom out 2×</translation>
    </message>
    <message>
        <source>zoom in 2×</source>
        <translation>zoom in 2×</translation>
    </message>
    <message>
        <source>move left half a picture</source>
        <translation>move left half a picture</translation>
    </message>
    <message>
        <source>move right half a picture</source>
        <translation>move right half a picture</translation>
    </message>
    <message>
        <source>move up half a picture</source>
        <translation>move up half a picture</translation>
    </message>
    <message>
        <source>move down half a picture</source>
        <translation>move down half a picture</translation>
    </message>
    <message>
        <source>%1 colours</source>
        <translation>%1 colours</translation>
    </message>
    <message>
        <source>Trying changes that may help…</source>
        <translation>Trying changes that may help…</translation>
    </message>
    <message>
        <source>%1: %2 %</source>
        <translation>%1: %2 %</translation>
    </message>
    <message>
        <source>Tried: %1</source>
        <translation>Tried: %1</translation>
    </message>
    <message>
        <source>dots nearly as large as the sensor&apos;s frame: a larger picture size or high resolution tracks better</source>
        <translation>dots nearly as large as the sensor&apos;s frame: a larger picture size or high resolution tracks better</translation>
    </message>
    <message>
        <source>detail finer than the sensor: normal resolution or a smaller dpi tracks better</source>
        <translation>detail finer than the sensor: normal resolution or a smaller dpi tracks better</translation>
    </message>
    <message>
        <source>flat areas: choose another region or pattern</source>
        <translation>flat areas: choose another region or pattern</translation>
    </message>
    <message>
        <source>stripes or repeating detail: choose another region or pattern</source>
        <translation>stripes or repeating detail: choose another region or pattern</translation>
    </message>
    <message>
        <source>The printed picture is smaller than a sensor frame</source>
        <translation>The printed picture is smaller than a sensor frame</translation>
    </message>
    <message>
        <source>Tracks on %1 % of the surface</source>
        <translation>Tracks on %1 % of the surface</translation>
    </message>
    <message>
        <source>. Warning: a mouse may not track well on this print.</source>
        <translation>. Warning: a mouse may not track well on this print.</translation>
    </message>
    <message>
        <source>Checking how a mouse tracks on it…</source>
        <translation>Checking how a mouse tracks on it…</translation>
    </message>
</context>
<context>
    <name>velmora::FindRegionsDialog</name>
    <message>
        <source>Find regions that track</source>
        <translation>Find regions that track</translation>
    </message>
    <message>
        <source>Searching the region zoomed out and in by 2 and moved by up to a whole picture each way, printed as the tracking check prints it.</source>
        <translation>Searching the region zoomed out and in by 2 and moved by up to a whole picture each way, printed as the tracking check prints it.</translation>
    </message>
    <message>
        <source>Checking the picture…</source>
        <translation>Checking the picture…</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Stopping…</source>
        <translation>Stopping…</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>The picture tracks on %1 %.</source>
        <translation>The picture tracks on %1 %.</translation>
    </message>
    <message>
        <source>Stopped: no better region found so far.</source>
        <translation>Stopped: no better region found so far.</translation>
    </message>
    <message>
        <source>No region within the search tracks better.</source>
        <translation>No region within the search tracks better.</translation>
    </message>
    <message>
        <source>Click a region to draw it.</source>
        <translation>Click a region to draw it.</translation>
    </message>
</context>
<context>
    <name>velmora::QtPrinters</name>
    <message>
        <source>PDF file</source>
        <translation>PDF file</translation>
    </message>
    <message>
        <source>The printer &quot;%1&quot; is not installed any more.</source>
        <translation>The printer &quot;%1&quot; is not installed any more.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; cannot take the print job: the printing system does not answer (%2).</source>
        <translation>&quot;%1&quot; cannot take the print job: the printing system does not answer (%2).</translation>
    </message>
    <message>
        <source>&quot;%1&quot; did not take the print job: %2</source>
        <translation>&quot;%1&quot; did not take the print job: %2</translation>
    </message>
</context>
</TS>
