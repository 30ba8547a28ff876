#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>

#include <cerrno>
#include <cstring>

#include "app/InstalledProgram.h"
#include "app/MainForm.h"
#include "app/Translations.h"
#include "app/toolkit/FileDrop.h"
#include "records/Module_ini.h"
#include "tests/TempFolder.h"
#include "tests/ui/EncodedPictures.h"
#include "tests/ui/ScriptedServices.h"

namespace velmora {
namespace {

using testing::ReadAll;
using testing::WriteAll;

class RecordsTest : public ::testing::Test {
protected:
    RecordsTest() { services.programFolder = QString::fromStdString(folder.path().string()); }

    std::string DataPath(const std::string& name = "Fractal") const { return folder / (name + "_dat.txt"); }
    QString At(const std::string& name) const { return QString::fromStdString(folder / name); }
    std::string Picture(const std::string& name, QColor colour, QSize size = {10, 10}) const {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        image.save(At(name), "BMP");
        return folder / name;
    }
    void Drop(QWidget* target, const std::vector<std::string>& paths) {
        QStringList list;
        for (const auto& path : paths) list << QString::fromStdString(path);
        ASSERT_TRUE(DeliverDrop(target, list));
    }
    std::vector<QString> Texts() const {
        return {form.texta->text(), form.textb->text(), form.XH->text(),
                form.XL->text(),    form.YH->text(),    form.YL->text()};
    }
    int SelectedPattern() const {
        for (int i = 0; i < 6; ++i)
            if (form.OptionPt[i]->Value()) return i;
        return -1;
    }

    testing::TempFolder folder;
    testing::ScriptedServices services;
    ScopedServices scoped{services};
    MainForm form;
};

TEST_F(RecordsTest, SavedDataFileLoadsBackIntoTheSameTextsAndChoices) {
    form.OptionPt[2]->SetValue(true);
    form.Check1->SetValue(1);
    form.Combo2->setCurrentIndex(6);
    form.texta->setText(QStringLiteral("0.3"));
    form.XH->setText(QStringLiteral("1,5"));
    form.YL->setText(QString::fromUtf8("-１５ 日本"));
    form.HScroll1->SetValue(40);
    form.palettOption[1]->SetValue(true);
    const auto saved = Texts();
    form.CommandPrint->click();
    EXPECT_TRUE(services.messages.empty());

    const auto file = ReadAll(DataPath());
    const auto dateBegin = file.find("Date=") + 5;
    const auto dateEnd = file.find("\r\n", dateBegin);
    EXPECT_GT(dateEnd, dateBegin);
    EXPECT_EQ(file.substr(0, dateBegin), "[Main]\r\nApp=Velmora Generator1.1Rev6\r\nDate=");
    EXPECT_EQ(file.substr(dateEnd), "\r\n[Initial]\r\nPtn=2\r\nHiRes=1\r\nColor=6\r\na=0.3\r\nb=-0.11\r\nx0=1,5\r\n"
                                    "x1=-5\r\ny0=1\r\ny1=-１５ 日本\r\nSize=40\r\nPalette=B\r\nStrip=Default\r\n");

    form.OptionPt[5]->SetValue(true);
    form.Check1->SetValue(0);
    form.Combo2->setCurrentIndex(1);
    form.OptionPt[0]->SetValue(true);
    form.HScroll1->SetValue(37);
    form.DefaultPalett->SetValue(true);
    Drop(form.Frame1, {DataPath()});
    EXPECT_EQ(form.HScroll1->Value(), 40);
    EXPECT_EQ(form.Pic1->Image().width(), 1024);
    EXPECT_TRUE(form.palettOption[1]->Value());
    EXPECT_EQ(SelectedPattern(), 2);
    EXPECT_EQ(form.PtFrame->Tag, QStringLiteral("1"));
    EXPECT_FALSE(form.Option1->Value());
    EXPECT_EQ(form.Check1->Value(), 1);
    EXPECT_EQ(form.Pic1->DotWidth(), 1) << "the resolution handler ran";
    EXPECT_EQ(form.Combo2->currentIndex(), 6);
    EXPECT_EQ(Texts(), saved);
    EXPECT_EQ(form.Text1->text(), QStringLiteral("Fractal"));
    EXPECT_EQ(Module_ini::IniFileName, DataPath());
}

TEST_F(RecordsTest, LoadFollowsTheStoredNumbers) {
    WriteAll(DataPath("only"), "[Initial]\r\nPtn=2\r\n");
    form.Check1->SetValue(1);
    Drop(form.Frame1, {DataPath("only")});
    EXPECT_EQ(SelectedPattern(), 2);
    EXPECT_EQ(form.Check1->Value(), 0);
    EXPECT_EQ(form.Combo2->currentText(), QStringLiteral("MONO"));
    EXPECT_EQ(Texts(), std::vector<QString>(6, QStringLiteral("no ent")));

    // The selection runs again for the selected pattern, keeping its own kernel mode.
    Drop(form.Frame1, {DataPath("only")});
    EXPECT_EQ(form.PtFrame->Tag, QStringLiteral("1"));

    WriteAll(DataPath("half"), "[Initial]\nPtn=2.5\nColor=4\n");
    WriteAll(DataPath("odd"), "[Initial]\nPtn=3.5\n");
    WriteAll(DataPath("letters"), "[Initial]\nPtn=1abc\n");
    Drop(form.Frame1, {DataPath("odd")});
    EXPECT_EQ(SelectedPattern(), 4);
    Drop(form.Frame1, {DataPath("half")});
    EXPECT_EQ(SelectedPattern(), 2);
    EXPECT_EQ(form.Combo2->currentText(), QString::fromUtf8("16色"));
    Drop(form.Frame1, {DataPath("letters")});
    EXPECT_EQ(SelectedPattern(), 1);
}

TEST_F(RecordsTest, PictureOrOddValuesLoadAsMissingOrKeepTheControls) {
    Drop(form.Frame1, {Picture("p.bmp", Qt::red)});
    EXPECT_EQ(SelectedPattern(), 0);
    EXPECT_EQ(form.Combo2->currentIndex(), 0);
    EXPECT_EQ(Texts(), std::vector<QString>(6, QStringLiteral("no ent")));

    form.OptionPt[3]->SetValue(true);
    form.Check1->SetValue(1);
    form.Combo2->setCurrentIndex(5);
    WriteAll(DataPath("odd"), "[Initial]\nPtn=6\nHiRes=3\nColor=8\na=1\n");
    Drop(form.Frame1, {DataPath("odd")});
    EXPECT_EQ(SelectedPattern(), 3);
    EXPECT_EQ(form.PtFrame->Tag, QStringLiteral("1"));
    EXPECT_EQ(form.Check1->Value(), 1);
    EXPECT_EQ(form.Combo2->currentIndex(), 5);
    EXPECT_EQ(form.texta->text(), QStringLiteral("1"));

    Drop(form.Frame1, {});  // dragged text, no file
    EXPECT_EQ(form.texta->text(), QStringLiteral("1"));
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(RecordsTest, EveryControlOfBothFramesForwardsTheDrop) {
    WriteAll(DataPath("a"), "[Initial]\na=first\n");
    WriteAll(DataPath("b"), "[Initial]\na=second\n");
    std::vector<QWidget*> targets = {form.Frame2, form.texta, form.textb, form.XH, form.XL, form.YH, form.YL};
    targets.insert(targets.end(), form.tyuu.begin(), form.tyuu.end());
    targets.insert(targets.end(), form.CommandZoom.begin(), form.CommandZoom.end());
    targets.insert(targets.end(), form.Commandpos.begin(), form.Commandpos.end());
    for (QWidget* target : targets) {
        form.texta->setText(QStringLiteral("x"));
        Drop(target, {DataPath("a"), DataPath("b"), DataPath("c")});
        EXPECT_EQ(form.texta->text(), QStringLiteral("first")) << target->metaObject()->className();
    }
}

TEST_F(RecordsTest, OverwriteQuestionGuardsTheDataFile) {
    const std::string old = "; mine\n[Other]\nk=v\n\n[Initial]\nPtn=5\nextra=1\n";
    WriteAll(DataPath(), old);
    form.CommandPrint->click();  // Enter answers with the default button
    ASSERT_EQ(services.messages.size(), 1u);
    const auto& question = services.messages[0];
    EXPECT_EQ(question.title, QStringLiteral("Velmora"));
    EXPECT_EQ(question.buttons, MessageButtons::YesNo);
    EXPECT_EQ(question.defaultButton, MessageAnswer::No);
    EXPECT_EQ(question.text, QStringLiteral("[ ") + QString::fromStdString(DataPath()) +
                                 QString::fromUtf8(" ]\r\n\r\n同名ファイルがすでにあります。\r\n上書きしますか？"));
    EXPECT_EQ(ReadAll(DataPath()), old);

    services.answers = {MessageAnswer::No};
    form.CommandPrint->click();
    EXPECT_EQ(ReadAll(DataPath()), old);

    services.answers = {MessageAnswer::Yes};
    form.CommandPrint->click();
    const auto updated = ReadAll(DataPath());
    EXPECT_TRUE(updated.starts_with("; mine\n[Other]\nk=v\n\n[Initial]\nPtn=0\nextra=1\nHiRes=0\nColor=4\na=0.051\n"))
        << updated;
    EXPECT_NE(updated.find("\n[Main]\nApp=Velmora Generator1.1Rev6\nDate="), std::string::npos);
    EXPECT_EQ(services.messages.size(), 3u);

    // Every other locale asks in English, No still the default.
    const Translations english(QLocale(QLocale::English, QLocale::UnitedStates), {QStringLiteral(VELMORA_QM_FOLDER)});
    form.CommandPrint->click();
    ASSERT_EQ(services.messages.size(), 4u);
    EXPECT_EQ(services.messages[3].text, QStringLiteral("A file named %1 already exists. Replace it?")
                                             .arg(QString::fromStdString(DataPath())));
    EXPECT_EQ(services.messages[3].defaultButton, MessageAnswer::No);
    EXPECT_EQ(ReadAll(DataPath()), updated);
}

TEST_F(RecordsTest, DataFileThatCannotBeWrittenIsReported) {
    form.Text1->setText(QStringLiteral("missing/x"));
    form.CommandPrint->click();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_TRUE(services.messages[0].text.contains(QString::fromStdString(DataPath("missing/x"))));
    EXPECT_TRUE(services.messages[0].text.contains(QString::fromLocal8Bit(std::strerror(ENOENT))));
    EXPECT_EQ(services.messages[0].buttons, MessageButtons::Ok);

    if (::geteuid() != 0) {  // permissions do not bind the superuser
        form.Text1->setText(QStringLiteral("Fractal"));
        WriteAll(DataPath(), "[Initial]\nPtn=1\n");
        ::chmod(folder.path().c_str(), 0555);
        services.answers = {MessageAnswer::Yes};
        form.CommandPrint->click();
        ::chmod(folder.path().c_str(), 0755);
        ASSERT_EQ(services.messages.size(), 3u);
        EXPECT_TRUE(services.messages[2].text.contains(QString::fromLocal8Bit(std::strerror(EACCES))));
        EXPECT_EQ(ReadAll(DataPath()), "[Initial]\nPtn=1\n");
    }
}

// An installed program's folder is a system folder: its data files go into the
// working folder, and the question and the failure message show the full path.
TEST_F(RecordsTest, InstalledProgramSavesDataFilesInTheWorkingFolder) {
    EXPECT_TRUE(IsInstalledProgramFolder(kInstalledProgramFolder));
    EXPECT_FALSE(IsInstalledProgramFolder(QCoreApplication::applicationDirPath()));  // the build folder
    EXPECT_FALSE(IsInstalledProgramFolder(services.programFolder));                  // a copied folder
    std::filesystem::create_directories(folder / "prefix/bin");
    std::filesystem::create_directories(folder / "prefix/share/velmora");
    WriteAll(folder / "prefix/share/velmora/VelmoraHelp.htm", "<html></html>");
    std::filesystem::create_directory(folder / "pictures");
    services.programFolder = At("prefix/bin");  // installed with another prefix than the configured one
    ASSERT_TRUE(IsInstalledProgramFolder(services.programFolder));

    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(folder / "pictures");
    form.CommandPrint->click();
    form.CommandPrint->click();  // asks, and No is the default
    form.Text1->setText(QStringLiteral("missing/x"));
    form.CommandPrint->click();
    std::filesystem::current_path(previous);
    EXPECT_TRUE(std::filesystem::is_empty(folder / "prefix/bin"));
    EXPECT_TRUE(ReadAll(folder / "pictures/Fractal_dat.txt").starts_with("[Main]"));
    ASSERT_EQ(services.messages.size(), 2u);
    EXPECT_TRUE(services.messages[0].text.startsWith(QStringLiteral("[ ") + At("pictures/Fractal_dat.txt") + " ]"));
    EXPECT_TRUE(services.messages[1].text.startsWith(QStringLiteral("[ ") + At("pictures/missing/x_dat.txt") + " ]"));
}

TEST_F(RecordsTest, SavedBitmapHoldsTheWholeCanvas) {
    form.HScroll1->SetValue(39);
    form.HSc->SetValue(form.HSc->Max());  // part of the canvas scrolled out of view
    for (int i = 0; i < 200; ++i) form.Pic1->Plot(i, (i * 37) % 150, Rgb(i, 255 - i, (i * 13) % 256));
    form.Text1->setText(At("shot"));
    form.CommandSave->click();
    const QImage saved(At("shot.bmp"));
    ASSERT_EQ(saved.size(), QSize(861, 608));
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32), form.Pic1->Image());
    EXPECT_TRUE(services.messages.empty());

    // The second save asks; No leaves the first file.
    const auto first = ReadAll(At("shot.bmp").toStdString());
    form.Pic1->Clear();
    form.CommandSave->click();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(ReadAll(At("shot.bmp").toStdString()), first);
}

TEST_F(RecordsTest, PictureSaveGoesToTheWorkingFolderAndReportsFailures) {
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());
    form.CommandSave->click();
    std::filesystem::current_path(previous);
    EXPECT_TRUE(QFileInfo::exists(At("Fractal.bmp")));

    std::filesystem::create_directory(folder / "taken.bmp");
    form.Text1->setText(At("taken.bmp"));
    services.answers = {MessageAnswer::Yes};
    form.CommandSave->click();
    ASSERT_EQ(services.messages.size(), 2u);
    EXPECT_TRUE(services.messages[1].text.contains(At("taken.bmp")));
    EXPECT_TRUE(services.messages[1].text.contains(QString::fromLocal8Bit(std::strerror(EISDIR))));
    EXPECT_TRUE(std::filesystem::is_directory(folder / "taken.bmp"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 2);

    // A link to a named pipe: the pipe is neither opened nor replaced.
    ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
    std::filesystem::create_symlink("pipe", folder / "pipe.bmp");
    form.Text1->setText(At("pipe.bmp"));
    services.answers = {MessageAnswer::Yes};
    form.CommandSave->click();
    ASSERT_EQ(services.messages.size(), 4u);
    EXPECT_TRUE(services.messages[3].text.endsWith(QStringLiteral("Not a regular file")));
    EXPECT_TRUE(std::filesystem::is_fifo(folder / "pipe"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 4);

    // Through a link, the question names the file that would be replaced.
    std::filesystem::create_symlink("Fractal.bmp", folder / "link.bmp");
    form.Text1->setText(At("link.bmp"));
    form.CommandSave->click();  // No is the default
    ASSERT_EQ(services.messages.size(), 5u);
    EXPECT_TRUE(services.messages[4].text.startsWith(QStringLiteral("[ ") + At("Fractal.bmp") + " ]"))
        << services.messages[4].text.toStdString();
}

TEST_F(RecordsTest, LargestHighResolutionPictureKeepsItsFullSize) {
    form.HScroll1->SetValue(52);
    form.Check1->SetValue(1);
    form.Text1->setText(At("big"));
    form.CommandSave->click();
    EXPECT_EQ(QImageReader(At("big.bmp")).size(), QSize(8192, 5792));
    Drop(form.Pic1, {At("big.bmp").toStdString()});  // and it drops back
    EXPECT_EQ(form.DumyPic->Picture().size(), QSize(8192, 5792));
}

TEST_F(RecordsTest, DroppedPictureBecomesTheEffectBackground) {
    const auto red = Picture("red.bmp", Qt::red, {20, 7});
    const auto blue = Picture("blue.bmp", Qt::blue);
    Drop(form.Pic1, {red, blue});
    EXPECT_EQ(form.DumyPic->Tag, QString::fromStdString(red));
    EXPECT_EQ(form.DumyPic->Picture().size(), QSize(20, 7));
    EXPECT_EQ(form.Pic1->PixelAt(0, 0), Rgb(255, 0, 0));
    EXPECT_EQ(form.Pic1->PixelAt(607, 429), Rgb(255, 0, 0));
    EXPECT_EQ(form.Zeffect->Value(), 1);
    EXPECT_EQ(SelectedPattern(), 4);
    EXPECT_EQ(form.PtFrame->Tag, QStringLiteral("6"));
    EXPECT_TRUE(services.messages.empty()) << "the image is held before the effect is ticked";

    // Effect on and Ptn4 selected: the picture is replaced, the pattern handler does not run again.
    form.RandomExponent = 7;
    Drop(form.Pic1, {blue});
    EXPECT_EQ(form.DumyPic->Tag, QString::fromStdString(blue));
    EXPECT_EQ(form.Pic1->PixelAt(300, 200), Rgb(0, 0, 255));
    EXPECT_EQ(form.Zeffect->Value(), 1);
    EXPECT_EQ(form.RandomExponent, 7);
}

TEST_F(RecordsTest, FailedPictureDropChangesNothing) {
    form.Pic1->Plot(1, 1, Rgb(9, 9, 9));
    const QImage before = form.Pic1->Image();
    WriteAll(folder / "notes.txt", "[Initial]\nPtn=2\n");
    const auto fifo = folder / "pipe.bmp";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::vector<std::vector<std::string>> drops = {{folder / "notes.txt"}, {fifo}, {folder / "missing.bmp"}, {}};
    for (const auto& [format, bytes] : testing::EncodedPictures()) {  // cut short, mid-way through the pixels
        drops.push_back({folder / ("cut." + format)});
        WriteAll(drops.back()[0], bytes.left(bytes.size() * 2 / 3).toStdString());
    }
    for (const std::vector<std::string>& drop : drops) {
        Drop(form.Pic1, drop);
        EXPECT_EQ(form.Pic1->Image(), before) << (drop.empty() ? "" : drop[0]);
        EXPECT_TRUE(form.DumyPic->Tag.isEmpty());
        EXPECT_EQ(form.Zeffect->Value(), 0);
        EXPECT_EQ(SelectedPattern(), 0);
    }
}

}  // namespace
}  // namespace velmora
