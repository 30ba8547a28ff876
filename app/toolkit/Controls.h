#pragma once
#include <QCheckBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QString>

class QKeyEvent;
class QLineEdit;

namespace velmora {

// A captioned frame that groups controls; its option buttons form one group.
class Frame : public QGroupBox {
    Q_OBJECT
public:
    Frame(const QString& caption, QWidget* parent) : QGroupBox(caption, parent) {}
    QString Tag;
};

// An option button; the buttons directly inside one container form a group.
// Click is raised whenever the button becomes selected, by the user or the program.
class OptionButton : public QRadioButton {
    Q_OBJECT
public:
    OptionButton(const QString& caption, QWidget* parent);
    bool Value() const { return isChecked(); }
    // Selecting clears the group's other buttons; clearing leaves the group with none selected.
    void SetValue(bool selected);
    QString Tag;

signals:
    void Click();
};

// A check box with the values 0 (clear), 1 (ticked) and 2 (greyed). Click is
// raised whenever the value changes, by the user or the program.
class CheckBox : public QCheckBox {
    Q_OBJECT
public:
    CheckBox(const QString& caption, QWidget* parent);
    int Value() const;
    void SetValue(int value);

signals:
    void Click();
};

// Keeps the beginning of every text the program writes into `box` in view (the
// cursor goes to the start; what the user types stays as typed) and shows the
// whole text under `description` in the box's tool tip.
void ShowWholeNumber(QLineEdit* box, const QString& description);

// Shift-state bits of a key event: 1 Shift, 2 Ctrl, 4 Alt.
int ShiftStateOf(const QKeyEvent& event);
// The virtual key code of a key event (F1 = 112, arrows 37 to 40, letters and
// digits their capital ASCII codes), or 0 for keys without one.
int KeyCodeOf(const QKeyEvent& event);

}  // namespace velmora
