#pragma once
#include <QImage>
#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "tracking/SensorCheck.h"

namespace velmora {

// The sensor check of a picture on worker threads, so the window never waits for it. A new Start stops the
// check under way; Finished comes on the window's thread for the latest check only, with the map as tints
// (flat and ambiguous areas) at most 1024 pixels along its longer side.
class TrackingJob : public QObject {
    Q_OBJECT
public:
    explicit TrackingJob(QObject* parent = nullptr);
    ~TrackingJob() override;

    // The picture's pixels must not be written through pointers into them until Finished or Stop. Waits for
    // the check under way to end.
    void Start(const QImage& picture, PrintedSize size);
    // Runs `check` (which stops when its flag is raised) on a picture of width x height pixels. `check` owns
    // what it reads: the check under way is told to stop and left to end on its own, so that a check that
    // draws its picture never makes the window wait for the drawing to notice.
    using Check = std::function<TrackingResult(const std::atomic<bool>* stop)>;
    void Start(Check check, int width, int height);
    // Stops the check under way, waiting the moment it takes to end; its Finished never comes.
    void Stop();
    // Tells the check under way to stop without waiting for it; its Finished never comes. Only for checks
    // that own what they read (the Check form).
    void Abandon();
    bool Running() const { return running_; }

signals:
    void Finished(const velmora::TrackingResult& result, const QImage& tints);

private:
    void Launch(Check check, int width, int height);

    struct Retired {
        std::jthread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::jthread worker_;
    std::shared_ptr<std::atomic<bool>> stop_, done_;
    std::vector<Retired> retired_;
    unsigned generation_ = 0;
    bool running_ = false;
};

}  // namespace velmora
