#pragma once
#include <deque>
#include <functional>
#include <vector>

#include "app/toolkit/Services.h"

namespace velmora::testing {

// Services that record every call and answer from a script, so no test waits
// on a real dialog, sound or clock.
class ScriptedServices : public Services {
public:
    struct Message {
        QString text, title;
        MessageButtons buttons;
        MessageAnswer defaultButton;
    };
    struct Opened {
        QString path, workingDirectory;
    };

    // Runs at every yield, after the real event processing.
    std::function<void()> onDoEvents;
    int doEventsCalls = 0;
    int beeps = 0;
    // Successive tick counts; the last one repeats.
    std::deque<std::uint32_t> ticks = {0};
    std::vector<Message> messages;
    std::deque<MessageAnswer> answers;
    std::vector<Opened> opened;
    // Whether the desktop fails to open documents (no application for them).
    bool openingFails = false;
    QString programFolder;
    // Answers of the save-file dialog in turn (empty: cancelled), and the names it offered.
    std::deque<QString> saveFileNames;
    std::vector<QString> offeredFileNames;
    // Answers of the open-file dialog in turn (empty: cancelled).
    std::deque<QString> openFileNames;

    void DoEvents() override {
        ++doEventsCalls;
        Services::DoEvents();
        if (onDoEvents) onDoEvents();
    }
    void Beep() override { ++beeps; }
    std::uint32_t TickCount() override {
        const std::uint32_t tick = ticks.front();
        if (ticks.size() > 1) ticks.pop_front();
        return tick;
    }
    MessageAnswer MessageBox(QWidget*, const QString& text, const QString& title, MessageButtons buttons,
                             MessageAnswer defaultButton) override {
        messages.push_back({text, title, buttons, defaultButton});
        if (answers.empty()) return buttons == MessageButtons::Ok ? MessageAnswer::Ok : defaultButton;
        const MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void OpenDocument(const QString& path, const QString& workingDirectory, std::function<void()> failed) override {
        opened.push_back({path, workingDirectory});
        if (openingFails) failed();
    }
    QString ProgramFolder() override { return programFolder; }
    QString SaveFileName(QWidget*, const QString& suggestedPath, const QString&) override {
        offeredFileNames.push_back(suggestedPath);
        if (saveFileNames.empty()) return {};
        const QString answer = saveFileNames.front();
        saveFileNames.pop_front();
        return answer;
    }
    QString OpenFileName(QWidget*, const QString&, const QString&) override {
        if (openFileNames.empty()) return {};
        const QString answer = openFileNames.front();
        openFileNames.pop_front();
        return answer;
    }
};

}  // namespace velmora::testing
