#include "app/tracking/FindRegionsDialog.h"

#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <cstring>

namespace velmora {

namespace {
constexpr CanvasSize kThumbnail{160, 113};
constexpr int kMostRegions = 8;
}  // namespace

FindRegionsDialog::FindRegionsDialog(QWidget* parent, const CheckedPicture& picture, const ColorTable& table)
    : QDialog(parent) {
    setWindowTitle(tr("Find regions that track"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Searching the region zoomed out and in by 2 and moved by up to a whole picture "
                                    "each way, printed as the tracking check prints it."),
                                 this));
    Progress = new QProgressBar(this);
    Progress->setRange(0, 100);
    layout->addWidget(Progress);
    Status = new QLabel(tr("Checking the picture…"), this);
    Status->setWordWrap(true);
    layout->addWidget(Status);
    auto* grid = new QGridLayout;
    for (int i = 0; i < kMostRegions; ++i) {
        auto* button = new QToolButton(this);
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setIconSize(QSize(kThumbnail.width, kThumbnail.height));
        button->hide();
        connect(button, &QToolButton::clicked, this, [this, i] {
            if (i < static_cast<int>(found_.size())) emit RegionChosen(found_[static_cast<std::size_t>(i)].parameters);
        });
        grid->addWidget(button, i / 4, i % 4);
        Thumbnails.push_back(button);
    }
    layout->addLayout(grid);
    CancelButton = new QPushButton(tr("Cancel"), this);
    layout->addWidget(CancelButton, 0, Qt::AlignRight);
    connect(CancelButton, &QPushButton::clicked, this, [this] {
        if (running_) return StopSearch();
        close();
    });

    worker_ = std::jthread([this, picture, table, stop = stop_] {
        const double tracks = CheckPicture(picture, table, {}, 0, stop.get()).tracks;
        auto found = *stop ? std::vector<FoundRegion>{}
                           : FindRegions(picture, table, tracks, [this, stop](double done) {
                                 QMetaObject::invokeMethod(this, [this, done] { Progress->setValue(static_cast<int>(done * 100)); },
                                                           Qt::QueuedConnection);
                                 return stop->load();
                             }, kMostRegions);
        std::vector<std::vector<Pixel>> thumbnails;
        for (const FoundRegion& region : found) thumbnails.push_back(DrawThumbnail(region.parameters, table, kThumbnail));
        QMetaObject::invokeMethod(
            this,
            [this, tracks, found = std::move(found), thumbnails = std::move(thumbnails)]() mutable {
                Show(tracks, std::move(found), std::move(thumbnails));
            },
            Qt::QueuedConnection);
    });
}

FindRegionsDialog::~FindRegionsDialog() {
    *stop_ = true;
    if (worker_.joinable()) worker_.join();
}

void FindRegionsDialog::StopSearch() {
    *stop_ = true;
    Status->setText(tr("Stopping…"));
}

void FindRegionsDialog::Show(double tracks, std::vector<FoundRegion> found, std::vector<std::vector<Pixel>> thumbnails) {
    running_ = false;
    found_ = std::move(found);
    Progress->setValue(100);
    CancelButton->setText(tr("Close"));
    const QString now = tr("The picture tracks on %1 %.").arg(100 * tracks, 0, 'f', 1);
    if (found_.empty()) {
        Status->setText(*stop_ ? tr("Stopped: no better region found so far.") + QLatin1Char(' ') + now
                               : now + QLatin1Char(' ') + tr("No region within the search tracks better."));
        return;
    }
    Status->setText(now + QLatin1Char(' ') + tr("Click a region to draw it."));
    for (std::size_t i = 0; i < found_.size(); ++i) {
        QImage image(kThumbnail.width, kThumbnail.height, QImage::Format_RGB32);
        for (int y = 0; y < kThumbnail.height; ++y)
            std::memcpy(image.scanLine(y), thumbnails[i].data() + static_cast<std::size_t>(y) * kThumbnail.width,
                        kThumbnail.width * sizeof(Pixel));
        Thumbnails[i]->setIcon(QPixmap::fromImage(image));
        Thumbnails[i]->setText(QStringLiteral("%1 %").arg(100 * found_[i].tracks, 0, 'f', 1));
        Thumbnails[i]->show();
    }
}

}  // namespace velmora
