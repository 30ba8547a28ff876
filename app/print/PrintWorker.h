#pragma once
#include <atomic>
#include <functional>
#include <thread>

#include <QObject>

#include "app/print/Printers.h"

class QTimer;

namespace velmora {

// One print job drawn and written on a worker thread while the window goes on: the window polls its progress
// and may cancel it, and hears how it ended.
class PrintWorker : public QObject {
    Q_OBJECT
public:
    // The job: it draws and writes the pages, calling `progress` now and then with the part done (0 to 1);
    // progress returns true once the job is to stop. PrintCancelled ends it as cancelled, any other exception
    // as failed.
    using Work = std::function<PrintOutcome(const std::function<bool(double done)>& progress)>;

    explicit PrintWorker(QObject* parent);
    ~PrintWorker() override;  // cancels a running job and waits for it

    // Starts `work` unless a job runs; `ended` runs on the window's thread when it has ended.
    bool Start(Work work, std::function<void(const PrintOutcome&)> ended);
    bool Running() const { return thread_.joinable(); }
    void Cancel() { cancel_ = true; }
    double Done() const { return done_; }
    // Waits until a running job has ended and `ended` has run.
    void Wait();

signals:
    void Progressed(double done);

private:
    void Poll();

    QTimer* poll_;
    std::function<void(const PrintOutcome&)> ended_;
    std::atomic<double> done_{0};
    std::atomic<bool> cancel_{false}, finished_{false};
    PrintOutcome outcome_;
    std::thread thread_;
};

}  // namespace velmora
