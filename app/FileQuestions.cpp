#include "app/FileQuestions.h"

#include <QCoreApplication>

#include "app/toolkit/Services.h"
#include "files/AtomicFile.h"
#include "records/Module_ini.h"

namespace velmora::Module_ini {

bool OverwriteDeclined(QWidget* owner, const QString& path) {
    if (!FileExist(path.toStdString())) return false;
    // Through a link, the file that will be replaced is the one to name.
    const QString replaced = QString::fromStdString(FileToReplace(path.toStdString()));
    const QString question =
        QCoreApplication::translate("velmora::Files", "[ %1 ]\r\n\r\n同名ファイルがすでにあります。\r\n上書きしますか？")
            .arg(replaced);
    const auto answer = Toolkit().MessageBox(owner, question, kProgramTitle, MessageButtons::YesNo, MessageAnswer::No);
    return answer == MessageAnswer::No;
}

void ReportWriteFailure(QWidget* owner, const QString& path, const std::string& reason) {
    const QString text = QCoreApplication::translate("velmora::Files", "[ %1 ]\r\n\r\nThe file could not be written:\r\n%2")
                             .arg(path, QString::fromStdString(reason));
    Toolkit().MessageBox(owner, text, kProgramTitle, MessageButtons::Ok, MessageAnswer::Ok);
}

}  // namespace velmora::Module_ini
