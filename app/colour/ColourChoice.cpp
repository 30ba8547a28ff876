#include "app/colour/ColourChoice.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "app/toolkit/Services.h"
#include "app/toolkit/Settings.h"

namespace velmora {

namespace {

// The picture's colours and what the profile does to them, off the window's thread.
GamutFigure FigureOf(const QImage& picture, std::shared_ptr<const OutputProfile> profile) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    const PictureRows rows{rgb.width(), rgb.height(),
                           [&rgb](int y) { return reinterpret_cast<const Pixel*>(rgb.constScanLine(y)); }};
    return GamutFigureOf(*profile, HistogramOf(rows));
}

}  // namespace

QString GamutText(const GamutFigure& figure) {
    return ColourChoice::tr("%1 % of the surface will print noticeably duller (ΔE2000 > %2; largest shift %3)")
        .arg(100 * figure.duller, 0, 'f', 1)
        .arg(kNoticeableShift)
        .arg(figure.largest, 0, 'f', 1);
}

ColourChoice::ColourChoice(QWidget* parent) : QWidget(parent) {
    ProfileButton = new QPushButton(tr("Colour profile…"), this);
    NoProfileButton = new QPushButton(tr("None"), this);
    Intent = new QComboBox(this);
    for (const RenderingIntentName& intent : kRenderingIntents)
        Intent->addItem(intent.intent == RenderingIntent::Relative ? tr("Relative colorimetric") : tr("Perceptual"));
    ProfileName = new QLabel(this);
    Figure = new QLabel(this);
    Figure->setWordWrap(true);
    ProfileButton->setToolTip(tr("The ICC profile of the printer or the print shop: the picture is converted "
                                 "through it, CMYK for TIFF, JPEG and PDF"));
    NoProfileButton->setToolTip(tr("No printer profile: the file keeps the picture's sRGB colours"));
    Intent->setToolTip(tr("Relative colorimetric keeps the colours the printer can print and moves the others to "
                          "the nearest it can; perceptual compresses all of them into its range"));
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    // The buttons and the intent on one row, the profile's name and the figure each on a row of their own, so
    // that neither is cut in a narrow dialog.
    layout->addWidget(ProfileButton, 0, 0);
    layout->addWidget(NoProfileButton, 0, 1);
    layout->addWidget(Intent, 0, 2);
    layout->addWidget(ProfileName, 1, 0, 1, 3);
    layout->addWidget(Figure, 2, 0, 1, 3);
    layout->setColumnStretch(2, 1);
    poll_ = new QTimer(this);
    poll_->setInterval(50);
    connect(poll_, &QTimer::timeout, this, &ColourChoice::FigurePoll);
    connect(ProfileButton, &QPushButton::clicked, this, &ColourChoice::BrowseClicked);
    connect(NoProfileButton, &QPushButton::clicked, this, [this] { ChooseProfile({}); });
    connect(Intent, &QComboBox::currentIndexChanged, this, &ColourChoice::IntentChosen);
    ShowProfile();
}

ColourChoice::~ColourChoice() {
    if (pending_.valid()) pending_.wait();
}

bool ColourChoice::ChooseProfile(const QString& path, bool explain) {
    if (path.isEmpty()) {
        profile_.reset();
    } else {
        const RenderingIntent intent = kRenderingIntents[static_cast<std::size_t>(std::max(Intent->currentIndex(), 0))].intent;
        auto loaded = OutputProfile::Load(QFile::encodeName(path).toStdString(), intent);
        if (const auto* refusal = std::get_if<std::string>(&loaded)) {
            if (explain)
                Toolkit().MessageBox(this,
                                     tr("The colour profile %1 cannot be used: %2")
                                         .arg(QFileInfo(path).fileName(), QString::fromStdString(*refusal)),
                                     QString(), MessageButtons::Ok, MessageAnswer::Ok);
            return false;
        }
        profile_ = std::get<std::shared_ptr<const OutputProfile>>(loaded);
    }
    ShowProfile();
    UpdateFigure();
    emit Changed();
    return true;
}

void ColourChoice::BrowseClicked() {
    const QString folder = profile_ ? QFileInfo(QFile::decodeName(profile_->Path().c_str())).path()
                                    : QStringLiteral("/usr/share/color/icc");
    const QString path = Toolkit().OpenFileName(this, folder, tr("ICC profiles (*.icc *.icm *.ICC *.ICM)"));
    if (!path.isEmpty()) ChooseProfile(path);
}

void ColourChoice::IntentChosen() {
    if (profile_) ChooseProfile(QFile::decodeName(profile_->Path().c_str()));
}

void ColourChoice::ShowProfile() {
    NoProfileButton->setEnabled(profile_ != nullptr);
    Intent->setEnabled(profile_ != nullptr);
    if (!profile_) {
        ProfileName->setText(tr("None: the picture's sRGB colours"));
        Figure->clear();
        return;
    }
    ProfileName->setText(QStringLiteral("%1 (%2)").arg(QFileInfo(QFile::decodeName(profile_->Path().c_str())).fileName(),
                                                        profile_->Cmyk() ? QStringLiteral("CMYK") : QStringLiteral("RGB")));
    ProfileName->setToolTip(QString::fromStdString(profile_->File().name));
}

void ColourChoice::Restore(const QString& group) {
    ProgramSettings settings;
    settings.beginGroup(group);
    const QString intent = settings.value(QStringLiteral("intent")).toString();
    for (std::size_t i = 0; i < std::size(kRenderingIntents); ++i)
        if (intent == QLatin1String(kRenderingIntents[i].name.data(), static_cast<qsizetype>(kRenderingIntents[i].name.size()))) {
            const QSignalBlocker quiet(Intent);
            Intent->setCurrentIndex(static_cast<int>(i));
        }
    // A profile that has gone since is forgotten quietly.
    const QString path = settings.value(QStringLiteral("profile")).toString();
    if (!path.isEmpty()) ChooseProfile(path, false);
}

void ColourChoice::Save(const QString& group) const {
    ProgramSettings settings;
    settings.beginGroup(group);
    settings.setValue(QStringLiteral("profile"), profile_ ? QFile::decodeName(profile_->Path().c_str()) : QString());
    const std::string_view intent = kRenderingIntents[static_cast<std::size_t>(std::max(Intent->currentIndex(), 0))].name;
    settings.setValue(QStringLiteral("intent"), QString::fromLatin1(intent.data(), static_cast<qsizetype>(intent.size())));
}

void ColourChoice::UpdateFigure() {
    if (!profile_) return;
    const QImage picture = picture_ ? picture_() : QImage();
    if (picture.isNull()) return Figure->clear();
    if (picture.cacheKey() == figureKey_ && profile_.get() == figureProfile_) return;
    if (pending_.valid()) {
        // One at a time: the figure under way ends first, then the newest picture is taken.
        poll_->start();
        return;
    }
    figureKey_ = picture.cacheKey();
    figureProfile_ = profile_.get();
    Figure->setText(tr("Working out how the colours print…"));
    pending_ = std::async(std::launch::async, FigureOf, picture, profile_);
    poll_->start();
}

void ColourChoice::FigurePoll() {
    if (pending_.valid()) {
        if (pending_.wait_for(std::chrono::seconds(0)) != std::future_status::ready) return;
        const GamutFigure figure = pending_.get();
        if (profile_.get() == figureProfile_) Figure->setText(GamutText(figure));
    }
    poll_->stop();
    UpdateFigure();
}

}  // namespace velmora
