#pragma once
#include <array>

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QList>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QString>
#include <QWidget>

#include <optional>

#include "app/export/ExportDialog.h"
#include "app/print/Printers.h"
#include "app/print/PrintWorker.h"
#include "app/toolkit/Controls.h"
#include "app/toolkit/PictureBox.h"
#include "print/PrintLayout.h"

namespace velmora {

class MainForm;
class ColourChoice;
class TrackingLabel;

// The print dialog "VLG": the printer, the page's orientation, the paper and the size on paper (with the bleed
// and crop marks of the product's own page), a preview of the page as it prints and the Print button. At page width the canvas prints as it is; at actual size the
// picture is drawn anew for that size at the resolution chosen here, as "Export at size…" draws it. The job is
// drawn and written on worker threads, with its progress and a Stop button. The printer chosen here is the program's current printer only
// while the dialog is open; closing it restores the one that was current when it opened. Modeless; it closes
// with the main window without running Form_Unload.
class FormPrint : public QWidget {
    Q_OBJECT
public:
    explicit FormPrint(MainForm& owner);

    QComboBox* Combo1;
    Frame* Frame1;
    std::array<OptionButton*, 2> Option1;
    PictureBox* Picture1;
    PictureBox* PicturePre;
    PictureBox* Picturepre1;
    QPushButton* Command1;
    QPushButton* Command2;

    QComboBox* PaperList;  // the current printer's papers, its default first
    OptionButton* PageWidthOption;
    OptionButton* ActualSizeOption;
    QDoubleSpinBox* WidthMm;
    QDoubleSpinBox* HeightMm;
    QComboBox* SizePresets;
    OptionButton* WholePictureOption;
    OptionButton* FillOption;
    QDoubleSpinBox* OverlapMm;
    QSpinBox* DpiBox;  // the resolution an actual-size picture is drawn at
    QCheckBox* Borderless;  // a size that fits the sheet but not its printable area prints on one page
    // On the product's own page: how far the picture runs past its size, and the trim marks around it.
    QDoubleSpinBox* BleedMm;
    QCheckBox* CropMarks;
    QProgressBar* PrintProgress;
    QPushButton* StopButton;  // cancels the job under way
    QLabel* Summary;  // printed size, resolution on paper, pages
    TrackingLabel* Tracking;  // how a mouse tracks on the print
    ColourChoice* Colours;  // the printer's profile the pages are converted through

    // Device name of the printer that was current when the dialog opened.
    QString savedPrinterName;

    void Form_Load();
    void Combo1_Click();
    void Option1_Click(int index);
    void Command1_Click();
    void Command2_Click();
    void Form_Unload();

    // What the controls choose, the pages they make (of the canvas, or of the picture drawn at actual size), and
    // the paper's name for the printing system.
    PrintChoices Choices() const;
    PageLayout Layout() const;
    QString Media() const;
    // The actual-size product of the picture `parameters` give.
    Product ChosenProduct(const PictureParameters& parameters) const;
    // Why the chosen size cannot print; empty when it can.
    QString Problem() const;
    // Whether the job is the product's own page at actual size (the paper "Picture's own size"): a page of the
    // picture's size, its bleed included, with its crop marks; no sheet to lay it out on.
    bool OwnPage() const;
    // Prints as the controls choose on worker threads; failures are shown when the job ends.
    void Print();
    PrintWorker& Printing() { return *printing_; }
    // Shows the first page as it prints (with the page grid beside it for a poster) and the summary line.
    void PaintPreview();
    // One line on what `layout` prints: "180.0 × 127.3 mm, 289 dpi, 1 page", the pages as rows × columns for a
    // poster, and a warning below kVisibleDotsBelowDpi. Empty when nothing prints.
    static QString SummaryText(const PageLayout& layout);

signals:
    // A change to the picture's region or colours chosen among the tracking suggestions, for the window's controls.
    void PictureChangeChosen(velmora::PictureChange change);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    void CreateSizeControls();
    void SetTabOrder();
    void ConnectHandlers();
    void FillPapers();
    void ApplyPreset(int index);
    // Whether the paper chosen is "Picture's own size", at whichever scale.
    bool OwnSizePaper() const;
    // A suggestion's change: the resolution in the window, the dpi here, the rest in the window's controls.
    void ApplyChange(PictureChange change);
    void DrawPageGrid(const PageLayout& layout);
    // The first page's part of the picture drawn anew at the preview's scale.
    QImage ActualSizePreview(const PageLayout& layout, double scale) const;
    void CheckActualSize(const Product& product);
    void PrintEnded(const PrintOutcome& outcome, const QString& printer, int pages);

    // Remembers every choice for the next opening and the next run.
    void SaveChoices() const;

    MainForm& owner_;
    QList<PaperChoice> papers_;
    PrintWorker* printing_;
    std::optional<ExportSource> checkedSource_;
    unsigned sourceVersion_ = 0;  // counts the pictures checkedSource_ has held
    // Set while Form_Load puts the remembered choices back: nothing is drawn or remembered on the way.
    bool restoring_ = false;
    // The paper to choose when the list is filled, when it is not the one chosen now.
    QString paperWanted_;
};

// Appends the device name of every installed printer, in the platform's order, to `list`, then selects the
// entry of the current printer, which raises the list's selection change once.
void listPrinters(QComboBox& list);

}  // namespace velmora
