#include "app/FileQuestions.h"

#include "app/toolkit/Services.h"
#include "records/Module_ini.h"

namespace velmora::Module_ini {

bool OverwriteDeclined(QWidget* owner, const QString& path) {
    if (!FileExist(path.toStdString())) return false;
    const auto answer = Toolkit().MessageBox(owner, QString::fromStdString(OverwriteQuestion(path.toStdString())),
                                             kProgramTitle, MessageButtons::YesNo, MessageAnswer::No);
    return answer == MessageAnswer::No;
}

void ReportWriteFailure(QWidget* owner, const QString& path, const std::string& reason) {
    const QString text = QStringLiteral("[ %1 ]\r\n\r\nThe file could not be written:\r\n%2")
                             .arg(path, QString::fromStdString(reason));
    Toolkit().MessageBox(owner, text, kProgramTitle, MessageButtons::Ok, MessageAnswer::Ok);
}

}  // namespace velmora::Module_ini
