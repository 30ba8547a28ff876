#pragma once
#include <array>

#include <QComboBox>
#include <QPushButton>
#include <QString>
#include <QWidget>

#include "app/toolkit/Controls.h"
#include "app/toolkit/PictureBox.h"

namespace velmora {

class MainForm;
class Printers;

// The print dialog "VLG": the printer choice, a small preview of the page and the Print button. The printer
// chosen here is the program's current printer only while the dialog is open; closing it restores the one
// that was current when it opened. Modeless; it closes with the main window without running Form_Unload.
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

    // Device name of the printer that was current when the dialog opened.
    QString savedPrinterName;

    void Form_Load();
    void Combo1_Click();
    void Option1_Click(int index);
    void Command1_Click();
    void Command2_Click();
    void Form_Unload();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    void SetTabOrder();
    void ConnectHandlers();

    MainForm& owner_;
};

// Appends the device name of every installed printer, in the platform's order, to `list`, then selects the
// entry of the current printer, which raises the list's selection change once.
void listPrinters(QComboBox& list);

}  // namespace velmora
