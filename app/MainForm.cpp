#include "app/MainForm.h"
#include "app/tracking/TrackingJob.h"

#include <algorithm>

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPalette>
#include <QResizeEvent>

#include "app/help/HelpWindow.h"
#include "app/help/ShellOpen.h"
#include "app/WindowIcon.h"
#include "app/print/FormPrint.h"
#include "canvas/CanvasGeometry.h"

namespace velmora {

namespace {

constexpr int kClientWidth = 788;
constexpr int kClientHeight = 583;

template <typename Widget>
Widget* Placed(Widget* widget, int x, int y, int width, int height) {
    widget->setGeometry(x, y, width, height);
    return widget;
}

QLabel* MakeLabel(const QString& caption, QWidget* parent, int x, int y, int width, int height) {
    return Placed(new QLabel(caption, parent), x, y, width, height);
}

QLineEdit* MakeTextBox(const QString& text, QWidget* parent, int x, int y, int width, int height) {
    return Placed(new QLineEdit(text, parent), x, y, width, height);
}

QPushButton* MakeButton(const QString& caption, const QString& toolTip, QWidget* parent, int x, int y, int width,
                        int height) {
    auto* button = Placed(new QPushButton(caption, parent), x, y, width, height);
    button->setToolTip(toolTip);
    return button;
}

OptionButton* MakeOption(const QString& caption, const QString& toolTip, QWidget* parent, int x, int y, int width,
                         int height) {
    auto* option = Placed(new OptionButton(caption, parent), x, y, width, height);
    option->setToolTip(toolTip);
    return option;
}

PictureBox* MakePictureBox(QWidget* parent, QColor background, int x, int y, int width, int height) {
    auto* box = new PictureBox(parent, background);
    box->SetGeometry(x, y, width, height);
    return box;
}

QFont BoldFont(const QFont& base, double points) {
    QFont font = base;
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

// The size label's bold face, narrowed where the platform's face is too wide
// for the label: its width shrinks until every size's text fits, its height
// and point size stay.
QFont SizeLabelFont(const QFont& base, int labelWidth) {
    QFont font = BoldFont(base, 11.25);
    for (int stretch = 100; stretch > 50; --stretch) {
        font.setStretch(stretch);
        const QFontMetrics metrics(font);
        int widest = 0;
        for (int value = kSizeMin; value <= kSizeMax; ++value) {
            const CanvasSize size = SizeForValue(value);
            const QString text = MainForm::SizeCaption(size.width, size.height);
            widest = std::max({widest, metrics.horizontalAdvance(text), metrics.boundingRect(text).right() + 1});
        }
        if (widest <= labelWidth) break;
    }
    return font;
}

// The texts of the pattern and colour-count lists, here so that lupdate offers
// them for translation; the window shows each through ListText.
[[maybe_unused]] constexpr const char* kListTexts[] = {
    QT_TRANSLATE_NOOP("velmora::MainForm", "Fractal"), QT_TRANSLATE_NOOP("velmora::MainForm", "Random(Dark)"),
    QT_TRANSLATE_NOOP("velmora::MainForm", "Random(Blight)"), QT_TRANSLATE_NOOP("velmora::MainForm", "MONO"),
    QT_TRANSLATE_NOOP("velmora::MainForm", "3色"), QT_TRANSLATE_NOOP("velmora::MainForm", "4色"),
    QT_TRANSLATE_NOOP("velmora::MainForm", "8色"), QT_TRANSLATE_NOOP("velmora::MainForm", "16色"),
    QT_TRANSLATE_NOOP("velmora::MainForm", "32色"), QT_TRANSLATE_NOOP("velmora::MainForm", "64色"),
    QT_TRANSLATE_NOOP("velmora::MainForm", "128色")};

// A text of the pattern or colour-count list as this locale shows it.
QString ListText(const char* text) { return QCoreApplication::translate("velmora::MainForm", text); }

}  // namespace

QImage DefaultStripImage() {
    QImage strip(kStripWidth, kStripHeight, QImage::Format_RGB32);
    for (int y = 0; y < kStripHeight; ++y)
        for (int x = 0; x < kStripWidth; ++x) strip.setPixel(x, y, PixelOf(DefaultStripColour(x)));
    return strip;
}

MainForm::MainForm() {
    setWindowTitle(QStringLiteral("Velmora Generator (for Optical)"));
    setWindowIcon(WindowIcon());
    // A Japanese Gothic face where installed: the captions include Japanese text.
    QFont standard = font();
    standard.setFamilies({QStringLiteral("Noto Sans CJK JP"), standard.family()});
    standard.setPointSizeF(9);
    setFont(standard);
    CreateControls();
    // The designed size is the smallest; a larger window gives the drawing area the room.
    setMinimumSize(kClientWidth, kClientHeight);
    resize(kClientWidth, kClientHeight);
    SetTabOrder();
    ConnectHandlers();
    Form_Load();
}

void MainForm::CreateControls() {
    const QColor windowColour = QApplication::palette().color(QPalette::Base);

    PtFrame = Placed(new Frame(tr("Patern"), this), 8, 0, 129, 97);
    PtFrame->setToolTip(tr("描く模様: Ptn0 から Ptn3 はフラクタル、Ptn4 と Ptn5 はランダムな点"));
    const QRect patternPlaces[kPatternCount] = {{8, 16, 57, 17},  {8, 32, 49, 17},  {8, 48, 49, 17},
                                                {64, 16, 49, 17}, {64, 32, 49, 17}, {64, 48, 49, 17}};
    for (int i = 0; i < kPatternCount; ++i) {
        const QRect& r = patternPlaces[i];
        OptionPt[i] = MakeOption(ListText(kPatterns[i].caption), ListText(kPatterns[i].tip), PtFrame, r.x(), r.y(),
                                 r.width(), r.height());
    }
    OptionPt[0]->SetValue(true);
    Zeffect = Placed(new CheckBox(tr("Picture Effect"), PtFrame), 16, 72, 97, 12);
    Zeffect->setToolTip(tr("描写エリアにドロップした画像の上に、4×4 画素ごとに 1 点を排他的論理和で描きます"));

    LabelSize = MakeLabel(QStringLiteral("608 * 456"), this, 8, 96, 121, 17);
    LabelSize->setFont(SizeLabelFont(font(), LabelSize->width()));
    LabelSize->setToolTip(tr("絵の大きさ（画素）"));
    HScroll1 = Placed(new ScrollBar(Qt::Horizontal, this), 8, 112, 129, 17);
    HScroll1->SetMin(32);
    HScroll1->SetMax(52);
    HScroll1->SetSmallChange(1);
    HScroll1->SetLargeChange(2);
    HScroll1->SetValue(39);
    HScroll1->setToolTip(tr("絵の大きさを 256 × 181 から 8192 × 5792 画素までの 21 段階から選びます（変えると絵は消えます）"));
    Strt = MakeButton(tr("Start"), tr("今の設定で絵を描きます (F5、数値の欄では Enter)"), this, 8, 136, 81, 25);
    Command1 = MakeButton(tr("Stop"), tr("描画を止めます"), this, 96, 136, 41, 25);
    Check1 = Placed(new CheckBox(tr("HighResolution"), this), 8, 168, 121, 12);
    Check1->setToolTip(tr("すべての画素を計算します（オフのときは 4×4 画素ごとに 1 点を計算して 4 画素の点で描きます）"));
    Combo2 = Placed(new QComboBox(this), 8, 184, 129, 20);
    for (const ColourCount& choice : kColourCounts) Combo2->addItem(ListText(choice.name), choice.colours);
    Combo2->setCurrentIndex(-1);
    Combo2->setToolTip(tr("色数。Start を押したときに読まれます"));

    Frame2 = Placed(new Frame(tr("Initial"), this), 8, 208, 129, 65);
    Frame2->setToolTip(tr("写像のパラメータ。データファイルをここにドロップすると設定が戻ります"));
    tyuu[0] = MakeLabel(QStringLiteral("a="), Frame2, 8, 16, 25, 17);
    texta = MakeTextBox(QStringLiteral(".05105"), Frame2, 24, 16, 97, 18);
    tyuu[1] = MakeLabel(QStringLiteral("b="), Frame2, 8, 40, 25, 17);
    textb = MakeTextBox(QStringLiteral("1.03111"), Frame2, 24, 40, 97, 18);

    Frame1 = Placed(new Frame(tr("Draw Area"), this), 8, 272, 129, 145);
    Frame1->setToolTip(tr("描く平面の範囲。データファイルをここにドロップすると設定が戻ります"));
    tyuu[2] = MakeLabel(QStringLiteral("X0="), Frame1, 8, 16, 25, 17);
    XH = MakeTextBox(QStringLiteral("0.16"), Frame1, 32, 16, 89, 18);
    tyuu[3] = MakeLabel(QStringLiteral("X1="), Frame1, 8, 32, 25, 17);
    XL = MakeTextBox(QStringLiteral("0.145"), Frame1, 32, 32, 89, 18);
    tyuu[4] = MakeLabel(QStringLiteral("Y0="), Frame1, 8, 56, 25, 17);
    YH = MakeTextBox(QStringLiteral("-0.2"), Frame1, 32, 56, 89, 18);
    tyuu[5] = MakeLabel(QStringLiteral("Y1="), Frame1, 8, 72, 25, 17);
    YL = MakeTextBox(QStringLiteral("-0.216"), Frame1, 32, 72, 89, 18);
    const QString numberTips[6] = {
        tr("写像のパラメータ a。Enter で描きます"),     tr("写像のパラメータ b。Enter で描きます"),
        tr("X0: 絵の右端に近づく値。Enter で描きます"), tr("X1: 絵の左端の値。Enter で描きます"),
        tr("Y0: 絵の下端に近づく値。Enter で描きます"), tr("Y1: 絵の上端の値。Enter で描きます")};
    const std::array<QLineEdit*, 6> numberBoxes = NumberBoxes();
    for (int i = 0; i < 6; ++i) {
        ShowWholeNumber(numberBoxes[i], numberTips[i]);
        tyuu[i]->setToolTip(numberTips[i]);
    }
    const QFont arrowFont = BoldFont(font(), 9);
    Commandpos[0] = MakeButton(QStringLiteral("←"), tr("MoveLeft"), Frame1, 24, 96, 17, 17);
    Commandpos[1] = MakeButton(QStringLiteral("→"), tr("MoveRight"), Frame1, 48, 96, 17, 17);
    Commandpos[2] = MakeButton(QStringLiteral("↑"), tr("Up"), Frame1, 80, 96, 17, 17);
    Commandpos[3] = MakeButton(QStringLiteral("↓"), tr("Down"), Frame1, 104, 96, 17, 17);
    for (QPushButton* button : Commandpos) button->setFont(arrowFont);
    CommandZoom[0] = MakeButton(tr("In"), tr("Zoom In"), Frame1, 24, 120, 41, 17);
    CommandZoom[1] = MakeButton(tr("Out"), tr("Zoom Out"), Frame1, 80, 120, 41, 17);

    Text1 = MakeTextBox(QStringLiteral("Fractal"), this, 8, 424, 129, 18);
    Text1->setToolTip(tr("Save FileName"));
    // Not a drop target: a dropped file must not leave its path in the name box.
    Text1->setAcceptDrops(false);
    CommandSave = MakeButton(tr("Save"), tr("SavePicture"), this, 8, 442, 65, 17);
    CommandPrint = MakeButton(tr("Data"), tr("Save Data"), this, 78, 442, 57, 17);
    Pic2 = MakePictureBox(this, windowColour, 8, 464, 130, 92);
    Pic2->SetBorder(QFrame::Plain, 1);
    Pic2->setToolTip(tr("絵全体の縮小表示"));
    Label2 = MakeLabel(QStringLiteral("16"), this, 16, 568, 25, 17);
    Label2->setToolTip(tr("残りのパス数。描き終わると OK"));
    LabelTime = MakeLabel(tr("TIME"), this, 40, 568, 41, 17);
    LabelTime->setToolTip(tr("描画にかかった時間"));
    Command2 = MakeButton(tr("Prnt"), tr("Print to Default Printer"), this, 88, 560, 49, 20);

    gra = MakePictureBox(this, windowColour, 144, 568, 256, 8);
    gra->SetPicture(DefaultStripImage());
    gra->setToolTip(tr("パレット A と B の元になる色の帯。画像ファイルをドロップすると置き換わります"));
    Frame3 = Placed(new QWidget(this), 416, 568, 345, 17);
    palettOption[0] = MakeOption(tr("Palett A"), tr("色の帯を左から右へ取ったパレット"), Frame3, 0, 0, 81, 12);
    palettOption[1] = MakeOption(tr("Palett B"), tr("色の帯を右から左へ取ったパレット"), Frame3, 88, 0, 81, 12);
    DefaultPalett = MakeOption(tr("Default"), tr("組み込みのパレット"), Frame3, 184, 0, 97, 12);
    DefaultPalett->SetValue(true);

    PictureFrame = MakePictureBox(this, Qt::black, 144, 0, 625, 545);
    PictureFrame->SetBorder(QFrame::Sunken, 2);
    PictureFrame->setToolTip(tr("描写エリア。矢印キーで絵を動かします"));
    Pic1 = MakePictureBox(PictureFrame->ChildArea(), windowColour, 0, 0, 608, 430);
    Pic1->setToolTip(tr("絵。ドラッグした範囲を拡大して描き、右クリックでメニュー、矢印キーで動かします。"
                        "画像ファイルをドロップすると Picture Effect の背景になります"));
    HSc = Placed(new ScrollBar(Qt::Horizontal, this), 144, 544, 625, 17);
    HSc->setToolTip(tr("絵を左右に動かします"));
    VSc = Placed(new ScrollBar(Qt::Vertical, this), 768, 0, 17, 561);
    VSc->setToolTip(tr("絵を上下に動かします"));

    // State only: hidden, so that a larger window never shows them.
    DumyPic = MakePictureBox(this, Qt::white, 112, 640, 113, 65);
    DumyPic->SetAutoSize(true);
    Option1 = MakeOption(QStringLiteral("Option1"), QString(), this, 568, 640, 81, 17);
    Option2 = MakeOption(QStringLiteral("Option2"), QString(), this, 656, 640, 89, 25);
    for (QWidget* state : std::initializer_list<QWidget*>{DumyPic, Option1, Option2}) state->hide();
    // Without a group of their own, Qt counts every option button of the window,
    // those in frames included, as this pair's group, and focusing one of the pair
    // would take the Tab key away from the pattern and palette options.
    auto* planeGroup = new QButtonGroup(this);
    planeGroup->addButton(Option1);
    planeGroup->addButton(Option2);
}

void MainForm::SetTabOrder() {
    QWidget* const order[] = {
        OptionPt[0],    OptionPt[1],    OptionPt[2],    HScroll1,       Strt,           Combo2,
        PictureFrame,   HSc,            VSc,            Pic1,           Pic2,           Check1,
        Option1,        Option2,        Command1,       YL,             YH,             XL,
        XH,             Commandpos[0],  Commandpos[1],  Commandpos[2],  Commandpos[3],  CommandZoom[0],
        CommandZoom[1], textb,          texta,          OptionPt[3],    Zeffect,        CommandSave,
        Text1,          CommandPrint,   OptionPt[4],    OptionPt[5],    DumyPic,        gra,
        palettOption[1], palettOption[0], DefaultPalett, Command2};
    for (std::size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void MainForm::ConnectHandlers() {
    QApplication::instance()->installEventFilter(this);
    for (int i = 0; i < kPatternCount; ++i) connect(OptionPt[i], &OptionButton::Click, this, [this, i] { OptionPt_Click(i); });
    connect(Zeffect, &CheckBox::Click, this, &MainForm::Zeffect_Click);
    connect(Strt, &QPushButton::clicked, this, &MainForm::Strt_Click);
    connect(Command1, &QPushButton::clicked, this, &MainForm::Command1_Click);
    connect(HScroll1, &ScrollBar::Change, this, &MainForm::HScroll1_Change);
    connect(Check1, &CheckBox::Click, this, &MainForm::Check1_Click);
    connect(HSc, &ScrollBar::Change, this, &MainForm::HSc_Change);
    connect(VSc, &ScrollBar::Change, this, &MainForm::VSc_Change);
    ConnectRecordHandlers();
    ConnectPictureHandlers();
    ConnectPaletteHandlers();
    ConnectRegionHandlers();
    ConnectViewHandlers();
    connect(Command2, &QPushButton::clicked, this, &MainForm::Command2_Click);
}

void MainForm::Form_Load() {
    coltable(ColorTable);
    Combo2->setCurrentIndex(4);
    Check1_Click();
    HScroll1->SetValue(37);
    OptionPt_Click(0);
}

PictureParameters MainForm::Parameters() const {
    PictureParameters p;
    p.a = texta->text().toStdString();
    p.b = textb->text().toStdString();
    p.x0 = XH->text().toStdString();
    p.x1 = XL->text().toStdString();
    p.y0 = YH->text().toStdString();
    p.y1 = YL->text().toStdString();
    p.pattern = -1;
    for (int i = 0; i < kPatternCount; ++i)
        if (OptionPt[i]->Value()) p.pattern = i;
    p.kernelTag = PtFrame->Tag.toStdString();
    p.randomExponent = RandomExponent;
    p.parameterPlane = Option1->Value();
    p.pictureEffect = Zeffect->Value() != 0;
    p.highResolution = Check1->Value();
    p.sizeValue = HScroll1->Value();
    p.colourIndex = Combo2->currentIndex();
    p.palette = palettOption[0]->Value()   ? PaletteChoice::A
                : palettOption[1]->Value() ? PaletteChoice::B
                                           : PaletteChoice::Default;
    return p;
}

namespace {
void ShowText(QLineEdit& box, const std::string& text) {
    const QString shown = QString::fromStdString(text);
    if (box.text() != shown) box.setText(shown);
}
}  // namespace

void MainForm::ShowParameters(const PictureParameters& p) {
    if (p.pattern >= 0 && p.pattern < kPatternCount) OptionPt[p.pattern]->SetValue(true);
    if (Check1->Value() != p.highResolution) Check1->SetValue(p.highResolution);
    HScroll1->SetValue(static_cast<std::int16_t>(p.sizeValue));
    if (Combo2->currentIndex() != p.colourIndex) Combo2->setCurrentIndex(p.colourIndex);
    OptionButton* const palette = p.palette == PaletteChoice::A   ? palettOption[0]
                                  : p.palette == PaletteChoice::B ? palettOption[1]
                                                                  : DefaultPalett;
    palette->SetValue(true);
    if ((Zeffect->Value() != 0) != p.pictureEffect) Zeffect->SetValue(p.pictureEffect ? 1 : 0);
    ShowText(*texta, p.a);
    ShowText(*textb, p.b);
    ShowText(*XH, p.x0);
    ShowText(*XL, p.x1);
    ShowText(*YH, p.y0);
    ShowText(*YL, p.y1);
    PtFrame->Tag = QString::fromStdString(p.kernelTag);
    RandomExponent = p.randomExponent;
    Option1->SetValue(p.parameterPlane);
}

bool MainForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    // A key travels up from the focused control; only its first delivery counts.
    QWidget* focus = QApplication::focusWidget();
    const bool first = focus ? widget == focus : widget == this;
    if (first && widget->window() == this) {
        const auto* key = static_cast<QKeyEvent*>(event);
        Form_KeyDown(KeyCodeOf(*key), ShiftStateOf(*key));
        // A held key must not start a render for every repeat.
        if (!key->isAutoRepeat()) {
            ViewKeyDown(KeyCodeOf(*key), ShiftStateOf(*key));
            CommandKeyDown(KeyCodeOf(*key), ShiftStateOf(*key));
        }
    }
    return false;
}

void MainForm::Form_KeyDown(int keyCode, int) {
    constexpr int kF1 = 112;
    if (keyCode != kF1) return;
    //: The help document's file name: the document that names the controls as this language shows them.
    shellOpen(tr("VelmoraHelp.htm"), [window = QPointer<MainForm>(this)](const QString& path) {
        if (window) window->ShowHelpWindow(path);
    });
}

void MainForm::ShowHelpWindow(const QString& path) {
    if (!helpWindow_) helpWindow_ = new HelpWindow(this);
    helpWindow_->ShowDocument(path);
}

void MainForm::CommandKeyDown(int keyCode, int shift) {
    constexpr int kShift = 1, kCtrl = 2;
    constexpr int kReturn = 13, kF5 = 116, kP = 'P', kS = 'S';
    const std::array<QLineEdit*, 6> numberBoxes = NumberBoxes();
    const bool inNumberBox =
        std::find(numberBoxes.begin(), numberBoxes.end(), QApplication::focusWidget()) != numberBoxes.end();
    if ((keyCode == kF5 && shift == 0) || (keyCode == kReturn && shift == 0 && inNumberBox)) return Strt_Click();
    if (keyCode == kS && shift == kCtrl) return CommandSave_Click();
    if (keyCode == kS && shift == (kCtrl | kShift)) return SavePictureAs();
    if (keyCode == kP && shift == kCtrl) return Command2_Click();
    constexpr int k0 = '0', k1 = '1', kAdd = 107, kSubtract = 109, kEqual = 187, kMinus = 189;
    if (shift != kCtrl && shift != (kCtrl | kShift)) return;
    if (keyCode == k0 && shift == kCtrl) return FitView();
    if (keyCode == k1 && shift == kCtrl) return ActualPixels();
    if (keyCode == kAdd || keyCode == kEqual) return StepView(1);
    if (keyCode == kSubtract || keyCode == kMinus) return StepView(-1);
}

std::array<QLineEdit*, 6> MainForm::NumberBoxes() const { return {texta, textb, XH, XL, YH, YL}; }

QString MainForm::SizeCaption(int width, int height) { return tr("%1 * %2 Pixcell").arg(width).arg(height); }

void MainForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The drawing area and its pan bars take the room beyond the designed
    // size; the palette strip stays below them, the left panel where it is.
    const int wider = std::max(width() - kClientWidth, 0);
    const int taller = std::max(height() - kClientHeight, 0);
    PictureFrame->SetGeometry(144, 0, 625 + wider, 545 + taller);
    HSc->setGeometry(144, 544 + taller, 625 + wider, 17);
    VSc->setGeometry(768 + wider, 0, 17, 561 + taller);
    gra->move(144, 568 + taller);
    Frame3->move(416, 568 + taller);
    if (fitView_) SetViewScale(FitViewScale(), QPoint());
    else SetPanRanges();
}

void MainForm::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

void MainForm::Form_Unload() {
    unloading_ = true;
    if (weakAreas_) weakAreas_->Stop();
    // Quitting closes every visible window; the print dialog is hidden first so
    // that it goes with this window without running its own closing step.
    if (printDialog_) printDialog_->hide();
    QCoreApplication::quit();
}

}  // namespace velmora
