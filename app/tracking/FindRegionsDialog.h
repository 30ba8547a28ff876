#pragma once
#include <QDialog>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "tracking/Suggestions.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QToolButton;

namespace velmora {

// "Find regions that track…": searches the regions around the picture's (zoomed out and in by 2 and moved by
// up to a picture, as the dialog says) on a worker thread and shows up to eight that track better as thumbnails
// with their figures, the best first. Cancel stops the search; a thumbnail's click raises RegionChosen.
class FindRegionsDialog : public QDialog {
    Q_OBJECT
public:
    FindRegionsDialog(QWidget* parent, const CheckedPicture& picture, const ColorTable& table);
    ~FindRegionsDialog() override;

    bool Running() const { return running_; }
    const std::vector<FoundRegion>& Found() const { return found_; }

    QLabel* Status;
    QProgressBar* Progress;
    QPushButton* CancelButton;
    std::vector<QToolButton*> Thumbnails;

signals:
    void RegionChosen(const velmora::PictureParameters& parameters);

private:
    void Show(double tracks, std::vector<FoundRegion> found, std::vector<std::vector<Pixel>> thumbnails);
    void StopSearch();

    std::vector<FoundRegion> found_;
    bool running_ = true;
    std::shared_ptr<std::atomic<bool>> stop_ = std::make_shared<std::atomic<bool>>(false);
    std::jthread worker_;
};

}  // namespace velmora
