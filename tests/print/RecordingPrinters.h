#pragma once
#include <QImage>
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
        PageRect target;
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
    PageSize CurrentPageSize() const override { return pageSize; }
    PrintOutcome PrintPicture(const QString& jobName, const QImage& picture, const PageRect& target) override {
        if (!failure.isEmpty()) return PrintOutcome::Failed(failure);
        pages.append({current, jobName, picture, target});
        return PrintOutcome::Printed();
    }

    QStringList names;
    QString current;
    PageSize pageSize{12000, 16000};
    QString failure;  // when set, every job fails with this description
    int selections = 0;
    QVector<Page> pages;
};

}  // namespace velmora
