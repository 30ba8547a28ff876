#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cups/cups.h>

#include <cerrno>
#include <cstring>

#include "print/PrintJobs.h"
#include "app/print/QtPrinters.h"
#include "tests/ScopedLocale.h"
#include "tests/print/PdfFile.h"

using namespace velmora;

namespace {

QImage Checkerboard(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.setPixel(x, y, ((x / 8 + y / 8) % 2) ? 0xFF2050A0u : 0xFFF0E000u);
    return image;
}

struct PdfPrinting : ::testing::Test {
    QTemporaryDir dir;
    QStringList suggestions;
    std::optional<QString> answer;
    QtPrinters printers{[this](const QString& suggested) {
        suggestions.append(suggested);
        return answer;
    }};

    void SetUp() override { ASSERT_TRUE(printers.SelectPrinter(QtPrinters::PdfFile())); }
    PrintOutcome Print() {
        PrintChoices choices;
        choices.paper = printers.Papers().front().paper;
        return printers.PrintPages("Fractal", Checkerboard(608, 430), LayOutPages({608, 430, 608, 430}, choices), "A4");
    }
};

}  // namespace

TEST(QtPrinters, PdfEntryComesAfterTheInstalledPrinters) {
    QtPrinters printers{[](const QString&) { return std::optional<QString>(); }};
    const QStringList names = printers.DeviceNames();
    ASSERT_FALSE(names.isEmpty());
    EXPECT_EQ(names.back(), "PDF file");
    EXPECT_EQ(names.count("PDF file"), 1);
    EXPECT_TRUE(names.contains(printers.CurrentDeviceName()));
    EXPECT_FALSE(printers.SelectPrinter("no such printer"));
    EXPECT_TRUE(names.contains(printers.CurrentDeviceName()));

    // A PDF file takes the named papers, printable to the edges.
    ASSERT_TRUE(printers.SelectPrinter("PDF file"));
    const QList<PaperChoice> papers = printers.Papers();
    ASSERT_EQ(papers.size(), 6);
    const auto a4 = std::find_if(papers.begin(), papers.end(), [](const PaperChoice& p) { return p.name == "A4"; });
    ASSERT_NE(a4, papers.end());
    EXPECT_NEAR(a4->paper.sheet.width, 210 * 1440 / 25.4, 1e-6);
    EXPECT_EQ(a4->paper.printable, (PageRect{0, 0, a4->paper.sheet.width, a4->paper.sheet.height}));
}

TEST_F(PdfPrinting, WritesOnePagePdfToTheChosenFile) {
    answer = dir.filePath("out.pdf");
    const PrintOutcome outcome = Print();
    ASSERT_EQ(outcome.kind, PrintOutcome::Kind::Printed) << outcome.failure.toStdString();
    EXPECT_EQ(suggestions, QStringList{"Fractal.pdf"});
    const QByteArray pdf = ReadFile(*answer);
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_EQ(PdfPageCount(pdf), 1);
    EXPECT_TRUE(pdf.contains("/Width 608")) << "the whole canvas is embedded at its own resolution";
    EXPECT_TRUE(pdf.contains("/Height 430"));
    EXPECT_FALSE(pdf.contains("/DCTDecode")) << "the picture must not be stored as a lossy JPEG";
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"out.pdf"}) << "no scratch file is left";
}

// Qt sets the C library's locale from the user's; in a comma-decimal one the file is the same, and PDF readers
// accept it.
TEST_F(PdfPrinting, CommaDecimalLocaleWritesTheSameFile) {
    answer = dir.filePath("c.pdf");
    ASSERT_EQ(Print().kind, PrintOutcome::Kind::Printed);
    {
        const ScopedLocale comma(kCommaLocale);
        EXPECT_TRUE(comma.Is(','));
        answer = dir.filePath("comma.pdf");
        ASSERT_EQ(Print().kind, PrintOutcome::Kind::Printed);
    }
    EXPECT_EQ(ReadFile(dir.filePath("comma.pdf")), ReadFile(dir.filePath("c.pdf")));
    const QString report = ReadersReport(dir.filePath("comma.pdf"));
    EXPECT_TRUE(report.startsWith("Pages: 1; Page size: ")) << report.toStdString();
}

TEST_F(PdfPrinting, CancellingTheFileDialogPrintsNothing) {
    const PrintOutcome outcome = Print();
    EXPECT_EQ(outcome.kind, PrintOutcome::Kind::Cancelled);
    EXPECT_TRUE(outcome.failure.isEmpty());
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST_F(PdfPrinting, FileInAMissingFolderIsReported) {
    answer = dir.filePath("missing-folder/out.pdf");
    const PrintOutcome outcome = Print();
    EXPECT_EQ(outcome.kind, PrintOutcome::Kind::Failed);
    EXPECT_TRUE(outcome.failure.contains(QString::fromLocal8Bit(std::strerror(ENOENT)))) << outcome.failure.toStdString();
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST_F(PdfPrinting, LinkToANamedPipeIsRefusedAndKept) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("pipe")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link("pipe", dir.filePath("out.pdf")));
    answer = dir.filePath("out.pdf");
    const PrintOutcome outcome = Print();
    EXPECT_EQ(outcome.kind, PrintOutcome::Kind::Failed);
    EXPECT_TRUE(outcome.failure.endsWith("out.pdf: Not a regular file")) << outcome.failure.toStdString();
    EXPECT_EQ(QFileInfo(dir.filePath("out.pdf")).symLinkTarget(), dir.filePath("pipe"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size(), 2);
}

TEST_F(PdfPrinting, UnwritableFolderKeepsTheExistingFile) {
    answer = dir.filePath("kept.pdf");
    {
        QFile kept(*answer);
        ASSERT_TRUE(kept.open(QIODevice::WriteOnly));
        kept.write("old");
    }
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
    const PrintOutcome outcome = Print();
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (outcome.kind == PrintOutcome::Kind::Printed) GTEST_SKIP() << "running with rights that ignore permissions";
    EXPECT_EQ(outcome.kind, PrintOutcome::Kind::Failed);
    EXPECT_EQ(ReadFile(*answer), "old");
}

TEST_F(PdfPrinting, RepeatedJobsEachWriteTheirOwnFile) {
    answer = dir.filePath("first.pdf");
    ASSERT_EQ(Print().kind, PrintOutcome::Kind::Printed);
    answer = dir.filePath("second.pdf");
    ASSERT_EQ(Print().kind, PrintOutcome::Kind::Printed);
    EXPECT_EQ(PdfPageCount(ReadFile(dir.filePath("first.pdf"))), 1);
    EXPECT_EQ(PdfPageCount(ReadFile(dir.filePath("second.pdf"))), 1);
}

TEST(PrintJobs, SchedulerThatDoesNotAnswerIsReported) {
    QTemporaryDir dir;
    const QString page = dir.filePath("page.pdf");
    {
        QFile file(page);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("%PDF-1.4\n%%EOF\n");
    }
    // A scheduler whose socket is gone.
    cupsSetServer(QFile::encodeName(dir.filePath("gone/cups.sock")).constData());
    const std::optional<PrintRefusal> failure =
        SubmitPdfJob("office/duplex", "Fractal", QFile::encodeName(page).toStdString(), "A4");
    cupsSetServer(nullptr);
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(RefusalText(*failure, "office/duplex"), "\"office/duplex\" cannot take the print job: the printing "
                                                      "system does not answer (server-error-service-unavailable).");
    EXPECT_EQ(QtPrinters::RefusalText(*failure, "office/duplex"),
              QString::fromStdString(RefusalText(*failure, "office/duplex")));
}
