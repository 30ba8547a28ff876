#pragma once
#include <QImage>
#include <algorithm>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

#include "app/print/Printers.h"

namespace velmora {

// A printer list a test sets up, whose printers record the pages they are given instead of printing them.
class RecordingPrinters final : public Printers {
public:
    struct Page {
        QString printer;
        QString jobName;
        QImage picture;
        PageLayout layout;
        QString media;
    };

    RecordingPrinters(QStringList names, const QString& current) : names(std::move(names)), current(current) {}

    QStringList DeviceNames() const override { return names; }
    QString CurrentDeviceName() const override { return current; }
    bool SelectPrinter(const QString& deviceName) override {
        ++selections;
        if (!names.contains(deviceName)) return false;
        current = deviceName;
        return true;
    }
    QList<PaperChoice> Papers() const override { return papers; }
    std::optional<PrintTarget> Target(const QString&) override { return PrintTarget{current, {}, nullptr}; }
    PrintOutcome PrintPages(const PrintTarget& target, const QString& jobName, const PictureRows& picture,
                            const PageLayout& layout, const QString& media) override {
        if (!failure.isEmpty()) return PrintOutcome::Failed(failure);
        QImage copy(picture.width, picture.height, QImage::Format_RGB32);
        for (int y = 0; y < picture.height; ++y)
            std::copy_n(picture.row(y), picture.width, reinterpret_cast<Pixel*>(copy.scanLine(y)));
        pages.append({target.printer, jobName, copy, layout, media});
        return PrintOutcome::Printed({}, job);
    }

    QStringList names;
    QString current;
    // Every printer takes A4 (its default) and A3, printable to the edges.
    QList<PaperChoice> papers{{"A4", "A4", WholeSheet({11906, 16838})}, {"A3", "A3", WholeSheet({16838, 23811})}};
    QString failure;  // when set, every job fails with this description
    int job = 0;      // the printing system's number for each job taken, 0 for none
    int selections = 0;
    QVector<Page> pages;
};

}  // namespace velmora
