#include "app/toolkit/TextNumbers.h"

#include <QLineEdit>

#include "common/Numbers.h"

namespace velmora {

double NumberIn(const QLineEdit& box) { return Val(box.text().toStdString()); }

void SetNumberText(QLineEdit& box, double value) { box.setText(QString::fromStdString(NumText(value))); }

}  // namespace velmora
