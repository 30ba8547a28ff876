#include "records/FileQuestions.h"

#include "app/toolkit/Services.h"
#include "records/Module_ini.h"

namespace velmora::Module_ini {

namespace {
const QString kTitle = QStringLiteral("Velmora");
}  // namespace

bool OverwriteDeclined(QWidget* owner, const QString& path) {
    if (!FileExist(path.toStdString())) return false;
    const auto answer = Toolkit().MessageBox(owner, QString::fromStdString(OverwriteQuestion(path.toStdString())),
                                             kTitle, MessageButtons::YesNo, MessageAnswer::No);
    return answer == MessageAnswer::No;
}

void ReportWriteFailure(QWidget* owner, const QString& path, const std::string& reason) {
    const QString text = QStringLiteral("[ %1 ]\r\n\r\nThe file could not be written:\r\n%2")
                             .arg(path, QString::fromStdString(reason));
    Toolkit().MessageBox(owner, text, kTitle, MessageButtons::Ok, MessageAnswer::Ok);
}

}  // namespace velmora::Module_ini
