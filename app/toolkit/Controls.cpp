#include "app/toolkit/Controls.h"

#include <memory>

#include <QButtonGroup>
#include <QKeyEvent>
#include <QLineEdit>

namespace velmora {

OptionButton::OptionButton(const QString& caption, QWidget* parent) : QRadioButton(caption, parent) {
    connect(this, &QRadioButton::toggled, this, [this](bool on) {
        if (on) emit Click();
    });
}

void OptionButton::SetValue(bool selected) {
    if (selected || !isChecked()) {
        setChecked(selected);
        return;
    }
    // An exclusive group refuses to clear its selected button.
    QButtonGroup* const buttons = group();
    if (buttons)
        buttons->setExclusive(false);
    else
        setAutoExclusive(false);
    setChecked(false);
    if (buttons)
        buttons->setExclusive(true);
    else
        setAutoExclusive(true);
}

CheckBox::CheckBox(const QString& caption, QWidget* parent) : QCheckBox(caption, parent) {
    connect(this, &QCheckBox::stateChanged, this, [this] { emit Click(); });
}

int CheckBox::Value() const {
    switch (checkState()) {
        case Qt::Checked: return 1;
        case Qt::PartiallyChecked: return 2;
        default: return 0;
    }
}

void CheckBox::SetValue(int value) {
    setCheckState(value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
}

void ShowWholeNumber(QLineEdit* box, const QString& description) {
    // textEdited comes just before textChanged when the user types; a change
    // without it is the program's.
    const auto typed = std::make_shared<bool>(false);
    QObject::connect(box, &QLineEdit::textEdited, box, [typed] { *typed = true; });
    const auto shown = [box, description, typed] {
        if (!*typed) box->setCursorPosition(0);
        *typed = false;
        box->setToolTip(description + QLatin1Char('\n') + box->text());
    };
    QObject::connect(box, &QLineEdit::textChanged, box, shown);
    shown();
}

int ShiftStateOf(const QKeyEvent& event) {
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

int KeyCodeOf(const QKeyEvent& event) {
    const int key = event.key();
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 112 + (key - Qt::Key_F1);
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) return key;
    switch (key) {
        case Qt::Key_Backspace: return 8;
        case Qt::Key_Tab: return 9;
        case Qt::Key_Return:
        case Qt::Key_Enter: return 13;
        case Qt::Key_Shift: return 16;
        case Qt::Key_Control: return 17;
        case Qt::Key_Alt: return 18;
        case Qt::Key_Escape: return 27;
        case Qt::Key_Space: return 32;
        case Qt::Key_PageUp: return 33;
        case Qt::Key_PageDown: return 34;
        case Qt::Key_End: return 35;
        case Qt::Key_Home: return 36;
        case Qt::Key_Left: return 37;
        case Qt::Key_Up: return 38;
        case Qt::Key_Right: return 39;
        case Qt::Key_Down: return 40;
        case Qt::Key_Insert: return 45;
        case Qt::Key_Delete: return 46;
        case Qt::Key_Plus: return 107;
        case Qt::Key_Minus: return 109;
        case Qt::Key_Equal: return 187;
        default: return 0;
    }
}

}  // namespace velmora
