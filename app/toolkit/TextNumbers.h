#pragma once

class QLineEdit;

namespace velmora {

// The number a text box holds, read leniently: its leading number, 0 when the
// text does not begin with one.
double NumberIn(const QLineEdit& box);

// Replaces the text of a box by a number written the way text boxes show numbers.
void SetNumberText(QLineEdit& box, double value);

}  // namespace velmora
