#pragma once
#include <memory>
#include <vector>

#include <QLocale>
#include <QStringList>

class QTranslator;

namespace velmora {

// Whether `locale` shows the window's texts as the sources write them: a
// Japanese locale does, every other locale reads English.
bool ShowsSourceTexts(const QLocale& locale);

// The folders the program's translation files are looked for in: beside the
// program (a build folder), then the installed program's data folder.
QStringList TranslationFolders(const QString& programFolder);

// Installs the program's texts for `locale`, found in the first of `folders`
// that holds them, and Qt's own texts for the locale (its dialogs' buttons);
// removes them again when destroyed.
class Translations {
public:
    Translations(const QLocale& locale, const QStringList& folders);
    ~Translations();
    Translations(const Translations&) = delete;
    Translations& operator=(const Translations&) = delete;

private:
    std::vector<std::unique_ptr<QTranslator>> installed_;
};

}  // namespace velmora
