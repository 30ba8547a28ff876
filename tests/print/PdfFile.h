#pragma once
#include <QByteArray>
#include <QFile>
#include <QRegularExpression>
#include <QString>

namespace velmora {

inline QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The number of page objects in a PDF file's bytes.
inline qsizetype PdfPageCount(const QByteArray& pdf) {
    return QString::fromLatin1(pdf).count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?![a-z])")));
}

}  // namespace velmora
