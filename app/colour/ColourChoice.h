#pragma once
#include <future>
#include <functional>
#include <memory>

#include <QImage>
#include <QString>
#include <QWidget>

#include "colour/GamutFigure.h"
#include "colour/OutputProfile.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTimer;

namespace velmora {

// The colour profile of the print and export dialogs: the printer's or the print shop's ICC profile the
// picture is converted through (none: the picture's sRGB colours as they are) with its rendering intent,
// remembered with the dialog's other choices, and the figure of how much of the picture prints duller,
// worked out on a worker thread from the colours of the picture the window shows.
class ColourChoice : public QWidget {
    Q_OBJECT
public:
    explicit ColourChoice(QWidget* parent);
    // `picture` gives the picture the figure is worked out on.
    void SetPicture(std::function<QImage()> picture) { picture_ = std::move(picture); }
    ~ColourChoice() override;

    // The profile chosen, loaded with the intent chosen; null for none.
    std::shared_ptr<const OutputProfile> Profile() const { return profile_; }
    // Chooses the profile at `path` (empty: none); false, with the reason shown, when it cannot be used.
    bool ChooseProfile(const QString& path, bool explain = true);

    // The choices remembered in the settings group `group`.
    void Restore(const QString& group);
    void Save(const QString& group) const;

    // Works the figure out again when the picture or the profile changed since the last one.
    void UpdateFigure();

    QPushButton* ProfileButton;
    QPushButton* NoProfileButton;
    QComboBox* Intent;
    QLabel* ProfileName;
    QLabel* Figure;

signals:
    void Changed();

private:
    void BrowseClicked();
    void IntentChosen();
    void ShowProfile();
    void FigurePoll();

    std::function<QImage()> picture_;
    std::shared_ptr<const OutputProfile> profile_;
    QTimer* poll_;
    std::future<GamutFigure> pending_;
    qint64 figureKey_ = 0;  // the picture the figure shown or under way is of
    const OutputProfile* figureProfile_ = nullptr;
};

// The figure's line as the dialogs show it.
QString GamutText(const GamutFigure& figure);

}  // namespace velmora
