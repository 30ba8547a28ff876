#pragma once
#include <cstdint>
#include <functional>

#include <QString>
#include <QStringList>

class QWidget;

namespace velmora {

enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

// The program's title, which message boxes without a title of their own carry.
inline const QString kProgramTitle = QStringLiteral("Velmora");

// The platform services handlers call besides their controls. Tests install a
// replacement that scripts the answers and records the calls.
class Services {
public:
    virtual ~Services() = default;
    // Runs pending window events at once, nested inside the caller.
    virtual void DoEvents();
    virtual void Beep();
    // Milliseconds since an arbitrary start, wrapping at 32 bits.
    virtual std::uint32_t TickCount();
    // A modal message box; an empty title takes the program's name.
    virtual MessageAnswer MessageBox(QWidget* owner, const QString& text, const QString& title,
                                     MessageButtons buttons, MessageAnswer defaultButton);
    // Opens a document with the desktop's default application (through
    // xdg-open), started in `workingDirectory`. `failed` runs, later, when the
    // desktop has no application for it or the opener is missing or fails.
    virtual void OpenDocument(const QString& path, const QString& workingDirectory, std::function<void()> failed);
    // The folder that holds the program's executable.
    virtual QString ProgramFolder();
    // A modal dialog asking for the name of a file to write, offering `suggestedPath` and the files matching
    // `filter`; it asks before an existing file is replaced. Empty when the user cancels.
    virtual QString SaveFileName(QWidget* owner, const QString& suggestedPath, const QString& filter);
    // A modal dialog asking for an existing file to read, starting in `folder` and offering the files matching
    // `filter`. Empty when the user cancels.
    virtual QString OpenFileName(QWidget* owner, const QString& folder, const QString& filter);
};

// The absolute folders of a search path such as PATH, in order; empty and
// relative entries, which name the working folder, are left out.
QStringList AbsoluteSearchFolders(const QString& searchPath);

// The services in force: the platform's, unless a test installed others.
Services& Toolkit();

// Installs `services` for the lifetime of this object, then restores the previous ones.
class ScopedServices {
public:
    explicit ScopedServices(Services& services);
    ~ScopedServices();
    ScopedServices(const ScopedServices&) = delete;
    ScopedServices& operator=(const ScopedServices&) = delete;

private:
    Services* previous_;
};

}  // namespace velmora
