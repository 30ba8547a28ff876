#pragma once
#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QString>

#include <optional>

namespace velmora {

inline QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The number of page objects in a PDF file's bytes.
inline qsizetype PdfPageCount(const QByteArray& pdf) {
    return QString::fromLatin1(pdf).count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?![a-z])")));
}

// What two PDF readers make of the file at `path`: empty when `qpdf --check` finds any fault or poppler's
// `pdfinfo` cannot read it, otherwise pdfinfo's page count and first page size, "Pages: 1; Page size: 144 x 72
// pts".
inline QString ReadersReport(const QString& path) {
    const auto run = [](const QString& program, const QStringList& arguments) -> std::optional<QString> {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));  // the readers' own numbers with a "."
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        if (!process.waitForFinished(300000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
            return std::nullopt;
        return QString::fromUtf8(process.readAllStandardOutput());
    };
    if (!run(QStringLiteral("qpdf"), {QStringLiteral("--check"), path})) return {};
    const std::optional<QString> info = run(QStringLiteral("pdfinfo"), {path});
    if (!info) return {};
    QStringList report;
    for (const QString& line : info->split(u'\n'))
        if (line.startsWith(QStringLiteral("Pages:")) || line.startsWith(QStringLiteral("Page size:")))
            report.append(line.simplified());
    return report.join(QStringLiteral("; "));
}

}  // namespace velmora
