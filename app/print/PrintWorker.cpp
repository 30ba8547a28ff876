#include "app/print/PrintWorker.h"

#include <exception>
#include <new>

#include <QThread>
#include <QTimer>

#include "app/toolkit/Background.h"

namespace velmora {

namespace {
constexpr int kPollMs = 50;
}

PrintWorker::PrintWorker(QObject* parent) : QObject(parent), poll_(new QTimer(this)) {
    poll_->setInterval(kPollMs);
    connect(poll_, &QTimer::timeout, this, &PrintWorker::Poll);
}

PrintWorker::~PrintWorker() {
    cancel_ = true;
    if (thread_.joinable()) thread_.join();
}

bool PrintWorker::Start(Work work, std::function<void(const PrintOutcome&)> ended) {
    if (Running()) return false;
    ended_ = std::move(ended);
    done_ = 0;
    cancel_ = false;
    finished_ = false;
    thread_ = std::thread([this, work = std::move(work)] {
        RunBelowWindow();
        const auto progress = [this](double done) {
            done_ = done;
            return cancel_.load();
        };
        try {
            outcome_ = work(progress);
        } catch (const PrintCancelled&) {
            outcome_ = PrintOutcome::Cancelled();
        } catch (const std::bad_alloc&) {
            outcome_ = PrintOutcome::Failed(QStringLiteral("not enough memory"));
        } catch (const std::exception& error) {
            outcome_ = PrintOutcome::Failed(QString::fromUtf8(error.what()));
        }
        finished_ = true;
    });
    poll_->start();
    return true;
}

void PrintWorker::Wait() {
    if (!Running()) return;
    while (!finished_) QThread::msleep(5);
    Poll();
}

void PrintWorker::Poll() {
    emit Progressed(done_);
    if (!finished_ || !Running()) return;
    poll_->stop();
    thread_.join();
    if (ended_) ended_(outcome_);
}

}  // namespace velmora
