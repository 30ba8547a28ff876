#include "app/Translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

#include "app/InstalledProgram.h"

namespace velmora {

bool ShowsSourceTexts(const QLocale& locale) {
    // The first language the user asks for decides (LANGUAGE before LC_ALL and LANG).
    const QStringList languages = locale.uiLanguages();
    const QLocale first = languages.isEmpty() ? locale : QLocale(languages.first());
    return first.language() == QLocale::Japanese;
}

QStringList TranslationFolders(const QString& programFolder) {
    return {QDir(programFolder).filePath(QStringLiteral("translations")),
            QDir(InstalledDataFolder(programFolder)).filePath(QStringLiteral("translations"))};
}

Translations::Translations(const QLocale& locale, const QStringList& folders) {
    const auto install = [this](std::unique_ptr<QTranslator> translator) {
        QCoreApplication::installTranslator(translator.get());
        installed_.push_back(std::move(translator));
    };
    auto qt = std::make_unique<QTranslator>();
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        install(std::move(qt));
    if (ShowsSourceTexts(locale)) return;
    for (const QString& folder : folders) {
        auto english = std::make_unique<QTranslator>();
        if (english->load(QStringLiteral("velmora_en"), folder)) {
            install(std::move(english));
            break;
        }
    }
}

Translations::~Translations() {
    for (const auto& translator : installed_) QCoreApplication::removeTranslator(translator.get());
}

}  // namespace velmora
