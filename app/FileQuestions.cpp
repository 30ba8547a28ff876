#include "app/FileQuestions.h"

#include "app/toolkit/Services.h"
#include "output/AtomicFile.h"
#include "records/Module_ini.h"

namespace velmora::Module_ini {

bool OverwriteDeclined(QWidget* owner, const QString& path) {
    if (!FileExist(path.toStdString())) return false;
    // Through a link, the file that will be replaced is the one to name.
    const std::string replaced = FileToReplace(path.toStdString());
    const auto answer = Toolkit().MessageBox(owner, QString::fromStdString(OverwriteQuestion(replaced)),
                                             kProgramTitle, MessageButtons::YesNo, MessageAnswer::No);
    return answer == MessageAnswer::No;
}

void ReportWriteFailure(QWidget* owner, const QString& path, const std::string& reason) {
    const QString text = QStringLiteral("[ %1 ]\r\n\r\nThe file could not be written:\r\n%2")
                             .arg(path, QString::fromStdString(reason));
    Toolkit().MessageBox(owner, text, kProgramTitle, MessageButtons::Ok, MessageAnswer::Ok);
}

}  // namespace velmora::Module_ini
