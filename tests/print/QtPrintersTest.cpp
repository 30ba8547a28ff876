#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

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

    std::shared_ptr<const OutputProfile> profile;  // the printer's profile the job goes through

    void SetUp() override { ASSERT_TRUE(printers.SelectPrinter(QtPrinters::PdfFile())); }
    // Prints a checkerboard; `cancelAtRow` cancels the job when the writer reaches that row.
    PrintOutcome Print(int cancelAtRow = -1) {
        std::optional<PrintTarget> target = printers.Target("Fractal");
        if (!target) return PrintOutcome::Cancelled();
        target->profile = profile;
        PrintChoices choices;
        choices.paper = printers.Papers().front().paper;
        const QImage board = Checkerboard(608, 430);
        const PictureRows rows{608, 430, [&](int y) {
                                   if (y == cancelAtRow) throw PrintCancelled{};
                                   return reinterpret_cast<const Pixel*>(board.constScanLine(y));
                               }};
        try {
            return printers.PrintPages(*target, "Fractal", rows, LayOutPages({608, 430, 608, 430}, choices), "A4");
        } catch (const PrintCancelled&) {
            return PrintOutcome::Cancelled();
        }
    }
};

// A printing system that takes connections and never answers (stopped or wedged): a socket nobody accepts on.
struct SilentScheduler {
    explicit SilentScheduler(const QString& path) : path(QFile::encodeName(path)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        EXPECT_LT(static_cast<std::size_t>(this->path.size()), sizeof address.sun_path);
        std::memcpy(address.sun_path, this->path.constData(),
                    std::min(sizeof address.sun_path - 1, static_cast<std::size_t>(this->path.size())));
        EXPECT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(::listen(fd, 8), 0);
    }
    ~SilentScheduler() { ::close(fd); }
    QByteArray path;
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
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

    // Through a press profile the page's image holds the inks, tagged with the profile.
    const char* cmyk = "/usr/share/color/icc/ghostscript/default_cmyk.icc";
    if (!QFile::exists(QString::fromLatin1(cmyk))) GTEST_SKIP() << "no " << cmyk << " (Debian: libgs-common)";
    profile = std::get<std::shared_ptr<const OutputProfile>>(OutputProfile::Load(cmyk, RenderingIntent::Relative));
    answer = dir.filePath("cmyk.pdf");
    ASSERT_EQ(Print().kind, PrintOutcome::Kind::Printed);
    const QByteArray inks = ReadFile(*answer);
    EXPECT_TRUE(inks.contains("<< /N 4 /Alternate /DeviceCMYK /Length "));
    EXPECT_TRUE(inks.contains(QByteArray::fromStdString(profile->File().icc)));
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

TEST_F(PdfPrinting, CancellingTheFileDialogOrTheJobPrintsNothing) {
    const PrintOutcome outcome = Print();
    EXPECT_EQ(outcome.kind, PrintOutcome::Kind::Cancelled);
    EXPECT_TRUE(outcome.failure.isEmpty());
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    // Cancelled half-way through the picture: no file, not even a scratch one.
    answer = dir.filePath("out.pdf");
    EXPECT_EQ(Print(215).kind, PrintOutcome::Kind::Cancelled);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
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
    cupsSetServer(QFile::encodeName(dir.filePath("gone/cups.sock")).constData());
    EXPECT_FALSE(PrintingSystemSilent(0.5)) << "a scheduler that is not there is not a silent one";
    cupsSetServer(nullptr);

    // A scheduler that takes the connection and never answers (stopped or wedged): a socket nobody accepts on.
    // The lookup before drawing and the job each give up once it has been silent for the timeout.
    const SilentScheduler silent(dir.filePath("cups.sock"));
    cupsSetServer(silent.path.constData());
    const auto start = std::chrono::steady_clock::now();
    const std::optional<PrintRefusal> lookup = CheckPrintQueue("office", 0.5);
    const std::optional<PrintRefusal> job = SubmitPdfJob("office", "Fractal", QFile::encodeName(page).toStdString(), "A4", 0.5);
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(PrintingSystemSilent(0.5));
    cupsSetServer(nullptr);
    ASSERT_TRUE(lookup && job);
    EXPECT_EQ(RefusalText(*lookup, "office"), "\"office\" cannot take the print job: the printing system does not "
                                              "answer (no answer within 0.5 s).");
    EXPECT_EQ(RefusalText(*job, "office"), RefusalText(*lookup, "office"));
    EXPECT_LT(seconds.count(), 10) << "each wait ends at its deadline, not at the library's own";
}

// velmora-render's line on a job the printing system took, with and without the number it gave.
TEST(PrintJobs, SentLineNamesTheJob) {
    EXPECT_EQ(SentText("office", 12, 2), "sent to office: job 12, 2 pages");
    EXPECT_EQ(SentText("office/duplex", 0, 1), "sent to office/duplex: 1 page");
}

// With a scheduler that takes connections and never answers, the window's printers are asked once, away from the
// window, which keeps painting; the platform's own lookups, which would wait minutes, are skipped and the PDF entry
// with its papers stays.
TEST(QtPrinters, SilentSchedulerLeavesThePdfEntryAndTheWindowPainting) {
    QTemporaryDir dir;
    const SilentScheduler silent(dir.filePath("cups.sock"));
    qputenv("CUPS_SERVER", silent.path);
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(100);
    QtPrinters printers{[](const QString&) { return std::optional<QString>(); }};
    const QStringList names = printers.DeviceNames();
    const QList<PaperChoice> papers = printers.Papers();
    qunsetenv("CUPS_SERVER");
    EXPECT_EQ(names, QStringList{"PDF file"});
    EXPECT_EQ(printers.CurrentDeviceName(), "PDF file");
    EXPECT_EQ(papers.size(), 6);
    EXPECT_GT(ticks, 10) << "the window's events ran during the wait";
}

// A job cancelled while its pages are written is never handed to the printing system and leaves no scratch file.
TEST(PrintJobs, CancelledWhileWritingSubmitsNothingAndLeavesNothing) {
    QTemporaryDir dir;
    const QByteArray tmpdir = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(dir.path()));
    cupsSetServer(QFile::encodeName(dir.filePath("gone/cups.sock")).constData());
    int pieces = 0;
    const auto next = [&pieces]() -> std::string_view {
        if (++pieces == 3) throw PrintCancelled{};
        return "%PDF-1.4\n";
    };
    EXPECT_THROW(PrintPdf("office", "Fractal", "A4", next), PrintCancelled);
    cupsSetServer(nullptr);
    qputenv("TMPDIR", tmpdir);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
}
