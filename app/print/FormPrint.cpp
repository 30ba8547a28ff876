#include "app/print/FormPrint.h"

#include <QCloseEvent>
#include <QSignalBlocker>

#include "app/MainForm.h"
#include "app/print/Printers.h"

namespace velmora {

namespace {

// Page and picture area of the preview for each orientation: page left, top, width, height, then the
// picture area's width and height (it keeps its place at (4, 4) on the page).
struct PreviewGeometry {
    int left, top, width, height;
    int pictureWidth, pictureHeight;
};
constexpr PreviewGeometry kVertical{40, 8, 138, 196, 130, 92};
constexpr PreviewGeometry kHorizontal{8, 40, 196, 138, 188, 130};

const QColor kPreviewBackground(224, 224, 224);

}  // namespace

void listPrinters(QComboBox& list) {
    Printers& printers = CurrentPrinters();
    {
        const QSignalBlocker quiet(list);
        list.addItems(printers.DeviceNames());
        list.setCurrentIndex(-1);
    }
    list.setCurrentIndex(list.findText(printers.CurrentDeviceName(), Qt::MatchExactly | Qt::MatchCaseSensitive));
}

FormPrint::FormPrint(MainForm& owner) : QWidget(&owner, Qt::Window), owner_(owner) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("VLG"));
    setFixedSize(392, 233);
    CreateControls();
    SetTabOrder();
    ConnectHandlers();
}

void FormPrint::CreateControls() {
    Combo1 = new QComboBox(this);
    Combo1->setEditable(false);
    Combo1->setGeometry(8, 8, 153, 20);

    Frame1 = new Frame(QString(), this);
    Frame1->setGeometry(8, 40, 153, 57);
    Option1[0] = new OptionButton(QStringLiteral("Virtical"), Frame1);
    Option1[0]->setGeometry(16, 16, 97, 12);
    Option1[1] = new OptionButton(QStringLiteral("Horizontal"), Frame1);
    Option1[1]->setGeometry(16, 32, 105, 20);
    Option1[0]->SetValue(true);

    Picture1 = new PictureBox(this, Qt::black);
    Picture1->SetBorder(QFrame::Sunken, 2);
    Picture1->SetGeometry(168, 8, 217, 217);
    PicturePre = new PictureBox(Picture1->ChildArea(), Qt::white);
    PicturePre->SetGeometry(kVertical.left, kVertical.top, kVertical.width, kVertical.height);
    Picturepre1 = new PictureBox(PicturePre->ChildArea(), kPreviewBackground);
    Picturepre1->SetGeometry(4, 4, 129, 89);

    Command1 = new QPushButton(QStringLiteral("Print"), this);
    Command1->setGeometry(8, 200, 65, 25);
    Command2 = new QPushButton(QStringLiteral("Cancel"), this);
    Command2->setGeometry(88, 200, 65, 25);
}

void FormPrint::SetTabOrder() {
    QWidget* const order[] = {Combo1, Command1, Picture1, PicturePre, Option1[1], Option1[0], Picturepre1, Command2};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void FormPrint::ConnectHandlers() {
    connect(Combo1, &QComboBox::currentIndexChanged, this, [this] { Combo1_Click(); });
    for (int i = 0; i < 2; ++i) connect(Option1[i], &OptionButton::Click, this, [this, i] { Option1_Click(i); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
}

void FormPrint::Form_Load() {
    savedPrinterName = CurrentPrinters().CurrentDeviceName();
    listPrinters(*Combo1);
    setWindowIcon(owner_.windowIcon());
}

void FormPrint::Combo1_Click() { CurrentPrinters().SelectPrinter(Combo1->currentText()); }

void FormPrint::Option1_Click(int index) {
    const PreviewGeometry& g = index == 0 ? kVertical : kHorizontal;
    PicturePre->SetGeometry(g.left, g.top, g.width, g.height);
    Picturepre1->SetSize(g.pictureWidth, g.pictureHeight);
}

void FormPrint::Command1_Click() { owner_.printP(); }

void FormPrint::Command2_Click() { close(); }

void FormPrint::Form_Unload() { CurrentPrinters().SelectPrinter(savedPrinterName); }

void FormPrint::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

}  // namespace velmora
