#pragma once
#include <QSettings>
#include <QString>

namespace velmora {

// The choices the program remembers across openings of its dialogs and across runs: per user, under the
// program's name.
class ProgramSettings : public QSettings {
public:
    ProgramSettings() : QSettings(QStringLiteral("velmora"), QStringLiteral("velmora")) {}
};

}  // namespace velmora
