#include "app/MainForm.h"
#include "app/TrackingJob.h"

#include <algorithm>

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPalette>

#include "app/ShellOpen.h"
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
            const QString text = QString::fromStdString(SizeText(SizeForValue(value)));
            widest = std::max({widest, metrics.horizontalAdvance(text), metrics.boundingRect(text).right() + 1});
        }
        if (widest <= labelWidth) break;
    }
    return font;
}

QImage DefaultStripImage() {
    QImage strip(kStripWidth, kStripHeight, QImage::Format_RGB32);
    for (int y = 0; y < kStripHeight; ++y)
        for (int x = 0; x < kStripWidth; ++x) strip.setPixel(x, y, PixelOf(DefaultStripColour(x)));
    return strip;
}

}  // namespace

MainForm::MainForm() {
    setWindowTitle(QStringLiteral("Velmora Generator (for Optical)"));
    setWindowIcon(WindowIcon());
    setFixedSize(kClientWidth, kClientHeight);
    // A Japanese Gothic face where installed: the captions include Japanese text.
    QFont standard = font();
    standard.setFamilies({QStringLiteral("Noto Sans CJK JP"), standard.family()});
    standard.setPointSizeF(9);
    setFont(standard);
    CreateControls();
    SetTabOrder();
    ConnectHandlers();
    Form_Load();
}

void MainForm::CreateControls() {
    const QColor windowColour = QApplication::palette().color(QPalette::Base);

    PtFrame = Placed(new Frame(QStringLiteral("Patern"), this), 8, 0, 129, 97);
    const QRect patternPlaces[kPatternCount] = {{8, 16, 57, 17},  {8, 32, 49, 17},  {8, 48, 49, 17},
                                                {64, 16, 49, 17}, {64, 32, 49, 17}, {64, 48, 49, 17}};
    for (int i = 0; i < kPatternCount; ++i) {
        const QRect& r = patternPlaces[i];
        OptionPt[i] = MakeOption(QString::fromUtf8(kPatterns[i].caption), QString::fromUtf8(kPatterns[i].tip), PtFrame,
                                 r.x(), r.y(), r.width(), r.height());
    }
    OptionPt[0]->SetValue(true);
    Zeffect = Placed(new CheckBox(QStringLiteral("Picture Effect"), PtFrame), 16, 72, 97, 12);

    LabelSize = MakeLabel(QStringLiteral("608 * 456"), this, 8, 96, 121, 17);
    LabelSize->setFont(SizeLabelFont(font(), LabelSize->width()));
    HScroll1 = Placed(new ScrollBar(Qt::Horizontal, this), 8, 112, 129, 17);
    HScroll1->SetMin(32);
    HScroll1->SetMax(52);
    HScroll1->SetSmallChange(1);
    HScroll1->SetLargeChange(2);
    HScroll1->SetValue(39);
    Strt = MakeButton(QStringLiteral("Start"), QString(), this, 8, 136, 81, 25);
    Command1 = MakeButton(QStringLiteral("Stop"), QString(), this, 96, 136, 41, 25);
    Check1 = Placed(new CheckBox(QStringLiteral("HighResolution"), this), 8, 168, 121, 12);
    Combo2 = Placed(new QComboBox(this), 8, 184, 129, 20);
    for (const ColourCount& choice : kColourCounts) Combo2->addItem(QString::fromUtf8(choice.name), choice.colours);
    Combo2->setCurrentIndex(-1);

    Frame2 = Placed(new Frame(QStringLiteral("Initial"), this), 8, 208, 129, 65);
    tyuu[0] = MakeLabel(QStringLiteral("a="), Frame2, 8, 16, 25, 17);
    texta = MakeTextBox(QStringLiteral(".05105"), Frame2, 24, 16, 97, 18);
    tyuu[1] = MakeLabel(QStringLiteral("b="), Frame2, 8, 40, 25, 17);
    textb = MakeTextBox(QStringLiteral("1.03111"), Frame2, 24, 40, 97, 18);

    Frame1 = Placed(new Frame(QStringLiteral("Draw Area"), this), 8, 272, 129, 145);
    tyuu[2] = MakeLabel(QStringLiteral("X0="), Frame1, 8, 16, 25, 17);
    XH = MakeTextBox(QStringLiteral("0.16"), Frame1, 32, 16, 89, 18);
    tyuu[3] = MakeLabel(QStringLiteral("X1="), Frame1, 8, 32, 25, 17);
    XL = MakeTextBox(QStringLiteral("0.145"), Frame1, 32, 32, 89, 18);
    tyuu[4] = MakeLabel(QStringLiteral("Y0="), Frame1, 8, 56, 25, 17);
    YH = MakeTextBox(QStringLiteral("-0.2"), Frame1, 32, 56, 89, 18);
    tyuu[5] = MakeLabel(QStringLiteral("Y1="), Frame1, 8, 72, 25, 17);
    YL = MakeTextBox(QStringLiteral("-0.216"), Frame1, 32, 72, 89, 18);
    const QFont arrowFont = BoldFont(font(), 9);
    Commandpos[0] = MakeButton(QStringLiteral("←"), QStringLiteral("MoveLeft"), Frame1, 24, 96, 17, 17);
    Commandpos[1] = MakeButton(QStringLiteral("→"), QStringLiteral("MoveRight"), Frame1, 48, 96, 17, 17);
    Commandpos[2] = MakeButton(QStringLiteral("↑"), QStringLiteral("Up"), Frame1, 80, 96, 17, 17);
    Commandpos[3] = MakeButton(QStringLiteral("↓"), QStringLiteral("Down"), Frame1, 104, 96, 17, 17);
    for (QPushButton* button : Commandpos) button->setFont(arrowFont);
    CommandZoom[0] = MakeButton(QStringLiteral("In"), QStringLiteral("Zoom In"), Frame1, 24, 120, 41, 17);
    CommandZoom[1] = MakeButton(QStringLiteral("Out"), QStringLiteral("Zoom Out"), Frame1, 80, 120, 41, 17);

    Text1 = MakeTextBox(QStringLiteral("Fractal"), this, 8, 424, 129, 18);
    Text1->setToolTip(QStringLiteral("Save FileName"));
    // Not a drop target: a dropped file must not leave its path in the name box.
    Text1->setAcceptDrops(false);
    CommandSave = MakeButton(QStringLiteral("Save"), QStringLiteral("SavePicture"), this, 8, 442, 65, 17);
    CommandPrint = MakeButton(QStringLiteral("Data"), QStringLiteral("Save Data"), this, 78, 442, 57, 17);
    Pic2 = MakePictureBox(this, windowColour, 8, 464, 130, 92);
    Pic2->SetBorder(QFrame::Plain, 1);
    Label2 = MakeLabel(QStringLiteral("16"), this, 16, 568, 25, 17);
    LabelTime = MakeLabel(QStringLiteral("TIME"), this, 40, 568, 41, 17);
    Command2 = MakeButton(QStringLiteral("Prnt"), QStringLiteral("Print to Default Printer"), this, 88, 560, 49, 20);

    gra = MakePictureBox(this, windowColour, 144, 568, 256, 8);
    gra->SetPicture(DefaultStripImage());
    Frame3 = Placed(new QWidget(this), 416, 568, 345, 17);
    palettOption[0] = MakeOption(QStringLiteral("Palett A"), QString(), Frame3, 0, 0, 81, 12);
    palettOption[1] = MakeOption(QStringLiteral("Palett B"), QString(), Frame3, 88, 0, 81, 12);
    DefaultPalett = MakeOption(QStringLiteral("Default"), QString(), Frame3, 184, 0, 97, 12);
    DefaultPalett->SetValue(true);

    PictureFrame = MakePictureBox(this, Qt::black, 144, 0, 625, 545);
    PictureFrame->SetBorder(QFrame::Sunken, 2);
    Pic1 = MakePictureBox(PictureFrame->ChildArea(), windowColour, 0, 0, 608, 430);
    HSc = Placed(new ScrollBar(Qt::Horizontal, this), 144, 544, 625, 17);
    VSc = Placed(new ScrollBar(Qt::Vertical, this), 768, 0, 17, 561);

    DumyPic = MakePictureBox(this, Qt::white, 112, 640, 113, 65);
    DumyPic->SetAutoSize(true);
    Option1 = MakeOption(QStringLiteral("Option1"), QString(), this, 568, 640, 81, 17);
    Option2 = MakeOption(QStringLiteral("Option2"), QString(), this, 656, 640, 89, 25);
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
        if (!key->isAutoRepeat()) ViewKeyDown(KeyCodeOf(*key), ShiftStateOf(*key));
    }
    return false;
}

void MainForm::Form_KeyDown(int keyCode, int) {
    constexpr int kF1 = 112;
    if (keyCode == kF1) shellOpen(QStringLiteral("VelmoraHelp.htm"));
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
