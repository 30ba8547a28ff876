#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QWidget>

#include "app/toolkit/Controls.h"
#include "app/toolkit/PictureBox.h"
#include "app/toolkit/ScrollBar.h"
#include "colour/SoftProof.h"
#include "palette/ColorTable.h"
#include "records/DataFile.h"
#include "region/RegionNav.h"
#include "region/ViewHistory.h"
#include "render/PictureParameters.h"
#include "render/Patterns.h"
#include "tracking/SensorCheck.h"
#include "tracking/Suggestions.h"

class QAction;
class QMenu;
class QTimer;

namespace velmora {

class ExportDialog;
class FindRegionsDialog;
class FormPrint;
class HelpWindow;
class TrackingJob;
struct ExportSource;
struct PrintOutcome;
struct RenderParams;

// The palette strip the window starts with.
QImage DefaultStripImage();

// The main window. Its controls hold the picture's parameters; handlers read
// them when they run. Handlers are defined beside the subsystem they belong to.
class MainForm : public QWidget {
    Q_OBJECT
public:
    MainForm();

    // Pattern choice.
    Frame* PtFrame;
    std::array<OptionButton*, kPatternCount> OptionPt;
    CheckBox* Zeffect;

    // Canvas size, start and stop, resolution, colour count.
    QLabel* LabelSize;
    ScrollBar* HScroll1;
    QPushButton* Strt;
    QPushButton* Command1;
    CheckBox* Check1;
    QComboBox* Combo2;

    // Map parameters and drawing region; tyuu labels the six text boxes.
    Frame* Frame2;
    std::array<QLabel*, 6> tyuu;
    QLineEdit* texta;
    QLineEdit* textb;
    Frame* Frame1;
    QLineEdit* XH;
    QLineEdit* XL;
    QLineEdit* YH;
    QLineEdit* YL;
    std::array<QPushButton*, 4> Commandpos;
    std::array<QPushButton*, 2> CommandZoom;

    // Files, thumbnail, progress, printing.
    QLineEdit* Text1;
    QPushButton* CommandSave;
    QPushButton* CommandPrint;
    PictureBox* Pic2;
    QLabel* Label2;
    QLabel* LabelTime;
    QPushButton* Command2;

    // Palette strip and palette choice.
    PictureBox* gra;
    QWidget* Frame3;
    std::array<OptionButton*, 2> palettOption;
    OptionButton* DefaultPalett;

    // The drawing frame, the canvas and the pan bars.
    PictureBox* PictureFrame;
    PictureBox* Pic1;
    ScrollBar* HSc;
    ScrollBar* VSc;

    // State kept in controls below the visible client area.
    PictureBox* DumyPic;
    OptionButton* Option1;
    OptionButton* Option2;

    // Colour-count choice L (column) by colour index (row).
    ::velmora::ColorTable ColorTable;
    // 0 while a render may go on, -1 after Stop.
    std::int16_t StopFlag = 0;
    // The exponent of the random colours, set by the random patterns.
    float RandomExponent = 0;

    // The picture's parameters as the controls hold them.
    PictureParameters Parameters() const;
    // Puts parameters into the controls as a user would: the pattern first
    // (selecting another one writes its preset), then every control whose
    // value differs from the parameters'.
    void ShowParameters(const PictureParameters& parameters);

    void Form_Load();
    void Form_KeyDown(int keyCode, int shift);
    void Form_Unload();
    void OptionPt_Click(int index);
    void Zeffect_Click();
    void Strt_Click();
    void Command1_Click();
    // Renders running now: the outermost and those nested in its yields.
    int RunningRenders() const { return runningRenders_; }
    void HScroll1_Change();
    void Check1_Click();
    void HSc_Change();
    void VSc_Change();

    // The view scale: how large the canvas shows in its frame, never what it holds. Fit shows the whole canvas
    // (Ctrl+0) and keeps doing so as the window or the canvas size changes; actual pixels is 1 : 1 (Ctrl+1);
    // steps go through the scales between (Ctrl+wheel, Ctrl++ and Ctrl+-), keeping canvas pixel `at` in place.
    void FitView();
    void ActualPixels();
    void StepView(int steps, QPoint at = QPoint());
    double FitViewScale() const;

    // Parameter data file: saving, and loading by a drop on the frames "Draw
    // Area" and "Initial" or any control inside them.
    void CommandPrint_Click();
    void Frame1_OLEDragDrop(const QStringList& Data);

    // Picture save and the image dropped on the canvas.
    void CommandSave_Click();
    void Pic1_OLEDragDrop(const QStringList& Data);

    // Palette choice and the strip drop.
    void DefaultPalett_Click();
    void palettOption_Click(int index);
    void gra_OLEDragDrop(const QStringList& paths);

    // Region zoom and move; the arrow keys on the canvas and its frame.
    void CommandZoom_Click(int index);
    void Commandpos_Click(int index);
    void Pic1_KeyDown(int keyCode, int shift);
    void PictureFrame_KeyDown(int keyCode, int shift);

    // Exploring with the mouse: a drag on the canvas zooms into the dragged
    // rectangle, Back and Forward step through the views drawn, and the canvas
    // picture goes to the clipboard or to a file of a chosen format.
    void Pic1_RubberBand(const QRect& pixels);
    void Pic1_ContextMenu(const QPoint& globalPosition);
    // The canvas's context menu: Copy picture, Save picture as..., Export at
    // size..., Back and Forward, the last two greyed out when there is no view
    // to go to, and Show weak areas.
    QMenu* CanvasMenu();
    void GoBack();
    void GoForward();
    void CopyPicture();
    void SavePictureAs();
    // "Export at size…": the dialog that renders the current picture at a
    // size for print into a file; it stays open beside the window.
    void ExportAtSize();
    // Makes a tracking suggestion's change to the resolution, region or colours in the controls, as they make it.
    void ApplyPictureChange(PictureChange change);
    ExportDialog* ExportWindow() const;
    const ViewHistory& Views() const { return views_; }

    // "Show weak areas": the sensor check's flat and ambiguous areas hatched over the canvas on the screen, for
    // the printed size chosen last in a dialog (page width on A4 until one is chosen). Checked again after
    // every render; the check runs on worker threads.
    void ShowWeakAreas(bool on);
    // "Find regions that track…": the regions around the canvas's, printed at the size the weak areas take.
    void FindRegions();
    FindRegionsDialog* FindRegionsWindow() const;
    bool ShowingWeakAreas() const { return showWeakAreas_; }
    // The printed size of the picture the print or export dialog chose last.
    void SetChosenPrintSize(PrintedSize size);
    // The product chosen last in the print or export dialog, or loaded from a data file; the data file
    // stores it.
    void SetProduct(const ProductChoice& product);
    // "Show product frame": the product's trim, bleed and safe margin over the canvas, on the screen only, where
    // the product's picture lies on the canvas (see PictureOnCanvas).
    void ShowProductFrame(bool on);
    bool ShowingProductFrame() const { return showProductFrame_; }
    const std::optional<ProductChoice>& Product() const { return product_; }
    // "Show print colours": the canvas on the screen as the printer's profile prints it; "Show colours out of
    // gamut": the colours that print noticeably different marked by a blinking checkerboard. Screen only, so
    // they follow every render and palette change. The profile is the one chosen last in the print or export
    // dialog; without one, turning either on asks for a profile file.
    void ShowPrintColours(bool on);
    void ShowOutOfGamut(bool on);
    bool ShowingPrintColours() const { return showPrintColours_; }
    bool ShowingOutOfGamut() const { return showOutOfGamut_; }
    void SetProofProfile(std::shared_ptr<const OutputProfile> profile);
    // The open dialogs' figures of what prints duller, for the picture just drawn.
    void UpdateColourFigures();
    // Pixels per drawn point of the picture the canvas holds: as the last render drew it, or as the next would.
    int PictureDotWidth() const { return lastMapping_ ? lastMapping_->dot : Pic1->DotWidth(); }
    PrintedSize WeakAreasPrintSize() const;
    // The check behind the tints shown; empty until one finishes.
    const TrackingResult& WeakAreas() const { return weakAreasResult_; }

    // What an export or an actual-size print takes from the controls now; nothing (after telling the user when
    // `explain` is true) when no colour count is chosen.
    std::optional<ExportSource> ExportSourceNow(bool explain);

    // Printing: the print dialog and the job it chooses on the current printer.
    void Command2_Click();
    void printP();
    // Tells where a job the printing system or a file took went (`printer`, or the file written) and how many
    // `pages` it has.
    void PrintTaken(const PrintOutcome& outcome, const QString& printer, int pages);
    // The print dialog while it is open, otherwise null.
    FormPrint* PrintDialog() const;

    // The program's own help window showing `path`, for a desktop that cannot open it.
    void ShowHelpWindow(const QString& path);
    // The help window once it was shown, otherwise null.
    HelpWindow* Help() const { return helpWindow_; }

    // The size label's text for a canvas of `width` × `height` pixels.
    static QString SizeCaption(int width, int height);
    // The six number boxes: a, b and the region.
    std::array<QLineEdit*, 6> NumberBoxes() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    // Sees every key before the focused control does.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    class RenderDriver;

    void CreateControls();
    void SetTabOrder();
    void ConnectHandlers();
    void ConnectRecordHandlers();
    void ConnectPictureHandlers();
    void ConnectPaletteHandlers();
    void ConnectRegionHandlers();
    void ConnectViewHandlers();

    // True when DumyPic's tag names an existing file whose name has at least 4 characters.
    bool ImagePresent() const;
    // Lets events run from inside a render; the canvas is shown afresh at most
    // every few frames, and always when `showCanvas` is set.
    void RenderYield(bool showCanvas);
    // One render from the controls' current state, as a press of Start draws it.
    void RenderOnce();
    // Called by Start once it has read the controls: notes where the render
    // puts the plane and records the view it draws.
    void RenderStarted(const RenderParams& params);
    // Back, Forward and Copy from the keyboard; the key still reaches the focused control.
    void ViewKeyDown(int keyCode, int shift);
    // F5, and Return in a number box, start a render; Ctrl+S saves, Ctrl+Shift+S
    // saves the picture as, Ctrl+P opens the print dialog.
    void CommandKeyDown(int keyCode, int shift);
    // The pan bars' ranges for the canvas as shown and the drawing area's size.
    void SetPanRanges();
    void SetViewScale(double scale, QPoint at);
    bool fitView_ = false;
    // Puts a view into the controls as a user would, then starts a render.
    void ShowView(const PictureParameters& view);

    // Set when the window closes: every render running stops at once.
    bool unloading_ = false;
    int runningRenders_ = 0;
    // Start was pressed while the most deeply nested render allowed was running: that render starts again
    // when it ends.
    bool startAgain_ = false;
    QElapsedTimer canvasShown_;

    QPointer<FormPrint> printDialog_;
    QPointer<ExportDialog> exportDialog_;
    QPointer<FindRegionsDialog> findRegionsDialog_;

    ViewHistory views_;
    // Where the last render put the plane; none before the first render.
    std::optional<PlaneMapping> lastMapping_;
    QMenu* canvasMenu_ = nullptr;
    HelpWindow* helpWindow_ = nullptr;

    // Starts the check of the canvas as it is now, unless a render is drawing it or the areas are not shown.
    void CheckWeakAreas();
    // Stops the check under way and takes the tints off the canvas.
    void HideWeakAreas();
    TrackingJob* weakAreas_ = nullptr;
    bool showWeakAreas_ = false;
    std::optional<PrintedSize> chosenPrintSize_;
    std::optional<ProductChoice> product_;
    bool showProductFrame_ = true;
    // Draws the frame of the product chosen last, or takes it away.
    void UpdateProductFrame();
    TrackingResult weakAreasResult_;
    QSize weakAreasChecked_;  // the canvas size the check under way was started for

    // The soft proof's profile, or the one remembered by the dialogs, or one asked for; false when none.
    bool HaveProofProfile();
    // Shows the canvas through the soft proof as the menu chooses, and checks the menu's entries.
    void ApplySoftProof();
    std::shared_ptr<SoftProof> softProof_;
    bool showPrintColours_ = false, showOutOfGamut_ = false, gamutPhase_ = false;
    QTimer* gamutBlink_ = nullptr;
    QAction* printColoursAction_ = nullptr;
    QAction* outOfGamutAction_ = nullptr;
};

}  // namespace velmora
