#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTemporaryDir>

#include "app/help/HelpWindow.h"
#include "app/MainForm.h"
#include "tests/ui/ScriptedServices.h"

namespace velmora {
namespace {

// Counts the key presses a widget itself receives.
class KeyCounter : public QObject {
public:
    int presses = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) ++presses;
        return false;
    }
};

class HelpKeyTest : public ::testing::Test {
protected:
    testing::ScriptedServices services;
    ScopedServices scoped{services};
    QTemporaryDir folder;
    QString previousDirectory = QDir::currentPath();
    MainForm form;

    // The program's folder and a working folder holding a planted help file.
    HelpKeyTest() {
        QDir(folder.path()).mkpath(QStringLiteral("prefix/bin"));
        QDir(folder.path()).mkpath(QStringLiteral("work"));
        services.programFolder = folder.filePath(QStringLiteral("prefix/bin"));
        WriteHelp(folder.filePath(QStringLiteral("work")));
        QDir::setCurrent(folder.filePath(QStringLiteral("work")));
        form.show();
        form.activateWindow();
        QApplication::processEvents();
    }
    ~HelpKeyTest() override { QDir::setCurrent(previousDirectory); }

    void Press(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(target, &press);
    }
    static QString WriteHelp(const QString& into) {
        QDir(into).mkpath(QStringLiteral("."));
        QFile help(QDir(into).filePath(QStringLiteral("VelmoraHelp.htm")));
        EXPECT_TRUE(help.open(QIODevice::WriteOnly));
        help.write("<html></html>");
        return QFileInfo(help).absoluteFilePath();
    }
};

TEST_F(HelpKeyTest, F1WithAnyModifierOpensTheHelpAndStillReachesTheFocusedControl) {
    const QString expected = WriteHelp(services.programFolder);
    form.texta->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), form.texta);
    KeyCounter counter;
    form.texta->installEventFilter(&counter);

    Press(form.texta, Qt::Key_F1, Qt::NoModifier);
    Press(form.texta, Qt::Key_F1, Qt::ShiftModifier);
    Press(form.texta, Qt::Key_F1, Qt::ControlModifier | Qt::AltModifier);
    Press(form.texta, Qt::Key_F2, Qt::NoModifier);
    ASSERT_EQ(services.opened.size(), 3u) << "one request per F1 press";
    EXPECT_EQ(services.opened[0].path, expected) << "the program's own, not the working folder's";
    EXPECT_EQ(services.opened[0].workingDirectory, QStringLiteral("/"));
    EXPECT_EQ(counter.presses, 4) << "every key reaches the text box";
    // The viewer is looked for in absolute folders only.
    EXPECT_EQ(AbsoluteSearchFolders(QStringLiteral(":/usr/bin:.:bin::/bin/:")),
              QStringList({QStringLiteral("/usr/bin"), QStringLiteral("/bin/")}));
}

TEST_F(HelpKeyTest, InstalledProgramFindsTheHelpInItsDataFolder) {
    const QString path = WriteHelp(folder.filePath(QStringLiteral("prefix/share/velmora")));
    form.PictureFrame->setFocus();
    Press(form.PictureFrame, Qt::Key_F1, Qt::NoModifier);
    ASSERT_EQ(services.opened.size(), 1u);
    EXPECT_EQ(QFileInfo(services.opened[0].path).canonicalFilePath(), QFileInfo(path).canonicalFilePath());
}

// Without a desktop application for the document, the program's own window shows it.
TEST_F(HelpKeyTest, HelpWindowShowsTheDocumentWhenTheDesktopCannot) {
    services.programFolder = folder.path();
    QFile help(folder.filePath(QStringLiteral("VelmoraHelp.htm")));
    ASSERT_TRUE(help.open(QIODevice::WriteOnly));
    help.write("<html><head><title>Help</title></head><body><a href=\"#keys\">Keys</a><h2 id=\"keys\">Keys</h2>"
               "<a href=\"more.htm\">More</a></body></html>");
    help.close();
    QFile more(folder.filePath(QStringLiteral("more.htm")));
    ASSERT_TRUE(more.open(QIODevice::WriteOnly));
    more.write("<html><body>More help</body></html>");
    more.close();
    services.openingFails = true;

    form.texta->setFocus();
    Press(form.texta, Qt::Key_F1, Qt::NoModifier);
    ASSERT_EQ(services.opened.size(), 1u);
    HelpWindow* window = form.Help();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isWindow());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Help"));
    EXPECT_EQ(window->source(), QUrl::fromLocalFile(services.opened[0].path));
    window->setSource(QUrl(QStringLiteral("more.htm")));
    EXPECT_TRUE(window->toPlainText().contains(QStringLiteral("More help"))) << "links between documents work";

    Press(form.texta, Qt::Key_F1, Qt::NoModifier);
    EXPECT_EQ(form.Help(), window) << "one help window serves every press";
    EXPECT_TRUE(window->toPlainText().contains(QStringLiteral("Keys")));
}

// Only the planted file in the working folder exists: nothing is opened.
TEST_F(HelpKeyTest, MissingHelpDocumentOpensNothing) {
    form.PictureFrame->setFocus();
    Press(form.PictureFrame, Qt::Key_F1, Qt::NoModifier);
    EXPECT_TRUE(services.opened.empty());
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(form.Help(), nullptr);
}

}  // namespace
}  // namespace velmora
