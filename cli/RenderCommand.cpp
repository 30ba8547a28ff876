#include "cli/RenderCommand.h"

#include <algorithm>
#include <cmath>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

#include "canvas/CanvasGeometry.h"
#include "cli/CountCanvas.h"
#include "common/HugePages.h"
#include "common/Numbers.h"
#include "output/AtomicFile.h"
#include "output/Bitmap.h"
#include "output/PdfWriter.h"
#include "output/PictureFile.h"
#include "output/Png.h"
#include "output/PrintJobs.h"
#include "palette/ColorTable.h"
#include "records/DataFile.h"
#include "render/Random.h"
#include "render/Patterns.h"
#include "render/RenderEngine.h"
#include "tracking/TrackingMap.h"
#include "render/SpeckleRows.h"

namespace velmora {

namespace {

std::optional<long> WholeNumber(const std::string& text) {
    if (text.empty()) return std::nullopt;
    std::size_t used = 0;
    try {
        const long value = std::stol(text, &used);
        if (used != text.size()) return std::nullopt;
        return value;
    } catch (...) {
        return std::nullopt;
    }
}

std::optional<double> RealNumber(const std::string& text) {
    if (text.empty()) return std::nullopt;
    std::size_t used = 0;
    try {
        const double value = std::stod(text, &used);
        if (used != text.size() || !std::isfinite(value)) return std::nullopt;
        return value;
    } catch (...) {
        return std::nullopt;
    }
}

// The formats velmora-render writes, in the order its messages name them.
constexpr PictureFormat kCommandFormats[] = {PictureFormat::Bmp, PictureFormat::Png, PictureFormat::Pdf};

bool CommandWrites(PictureFormat format) { return std::ranges::find(kCommandFormats, format) != std::end(kCommandFormats); }

// The items joined by `separator`, the last two by `last`.
std::string Listed(const std::vector<std::string>& items, const std::string& separator, const std::string& last) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) text += i + 1 == items.size() ? last : separator;
        text += items[i];
    }
    return text;
}

// The file names velmora-render writes: "FILE.bmp", "FILE.png", "FILE.pdf" with `stem` for FILE.
std::vector<std::string> CommandFileNames(const std::string& stem) {
    std::vector<std::string> names;
    for (const PictureFormat format : kCommandFormats)
        for (const PictureFormatName& f : kPictureFormats)
            if (f.format == format) names.push_back(stem + "." + std::string(f.extensions[0]));
    return names;
}

std::vector<std::string> ColourCountTexts() {
    std::vector<std::string> texts;
    for (const ColourCount& c : kColourCounts) texts.push_back(std::to_string(c.colours));
    return texts;
}

// `text` on one line: control characters (C0, DEL and, in UTF-8, C1) are
// shown escaped, so an argument holding a line break cannot split a message.
std::string OneLine(std::string_view text) {
    std::string line;
    char escaped[8];
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (c == '\n') {
            line += "\\n";
        } else if (c == '\r') {
            line += "\\r";
        } else if (c == '\t') {
            line += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            line += escaped;
        } else if (c == 0xC2 && next >= 0x80 && next <= 0x9F) {
            std::snprintf(escaped, sizeof escaped, "\\u%04X", next);
            line += escaped;
            ++i;
        } else {
            line += static_cast<char>(c);
        }
    }
    return line;
}

// Sizes the command takes, in mm: papers, sizes on paper and the poster overlap.
constexpr double kPaperMinMm = 50, kPaperMaxMm = 2000, kSizeMaxMm = 5000, kOverlapMaxMm = 100;
constexpr std::size_t kMostPages = 1000;
// Without a paper or a size the page is the picture at this resolution.
constexpr double kOwnPageDpi = 300;

bool Within(const PageSize& size, double minMm, double maxMm) {
    const auto ok = [&](double twips) { return twips >= TwipsFromMm(minMm) - 1e-9 && twips <= TwipsFromMm(maxMm) + 1e-9; };
    return ok(size.width) && ok(size.height);
}

// The name the printing system knows a paper by: its own name, or "Custom.WxHmm".
std::string MediaName(const std::string& given, const PageSize& paper) {
    for (const NamedPaper& named : kNamedPapers)
        if (PaperSizeNamed(named.name) == PaperSizeNamed(given)) return named.name;
    char text[64];
    std::snprintf(text, sizeof text, "Custom.%.2fx%.2fmm", MmFromTwips(paper.width), MmFromTwips(paper.height));
    return text;
}

}  // namespace

std::string RenderUsage() {
    return "usage: velmora-render -o " + Listed(CommandFileNames("FILE"), "|", "|") + " [--pattern 0-" +
           std::to_string(kPatternCount - 1) + "] [--size 32-52] [--hires]\n"
           "       [--colors " + Listed(ColourCountTexts(), "|", "|") + "] [--palette default|A|B] [--a T] [--b T]\n"
           "       [--x0 T] [--x1 T] [--y0 T] [--y1 T] [--data FILE] [--threads N] [--quiet]\n"
           "       [--paper A4|A3|A5|Letter|Legal|Tabloid|WxH] [--landscape] [--mm WxH] [--fill]\n"
           "       [--overlap MM] [--print PRINTER]\n"
           "       [--tracking] [--tracking-map FILE.png] [--sensor-pixels 12-64] [--sensor-um U]\n"
           "       [--flat-below G] [--peak-margin M]\n"
           "PDF pages and print jobs: --paper sets the sheet (WxH in mm); --mm the picture's size on paper\n"
           "(without it, page width); --fill covers that size instead of fitting the whole picture; a size\n"
           "larger than the sheet prints as a poster whose pages overlap by --overlap mm (10). Without\n"
           "--paper the page is the picture's own size (--mm, or the picture at 300 dpi).\n"
           "--tracking checks how a mouse tracks on the picture printed as those options say (without\n"
           "them, at page width on A4) and needs no -o; --tracking-map writes the map of weak areas.\n";
}

PageLayout CommandPages(const PageOptions& options, const PrintedPicture& picture) {
    PrintChoices choices;
    choices.overlap = options.overlap;
    choices.cover = options.fill ? PrintCover::Fill : PrintCover::WholePicture;
    if (options.paper) {
        choices.paper = WholeSheet(*options.paper);
        choices.orientation = options.landscape ? PaperOrientation::Landscape : PaperOrientation::Portrait;
        if (options.size) {
            choices.scale = PrintScale::Actual;
            choices.size = *options.size;
        }
    } else {
        const double twipsPerPixel = kTwipsPerInch / kOwnPageDpi;
        const PageSize own = options.size.value_or(PageSize{picture.width * twipsPerPixel, picture.height * twipsPerPixel});
        choices.paper = WholeSheet(own);
        choices.scale = PrintScale::Actual;
        choices.size = own;
    }
    return LayOutPages(picture, choices);
}

ParseResult ParseRenderCommand(const std::vector<std::string>& args) {
    ParseResult result;
    RenderCommand cmd;
    cmd.parameters = StartupParameters();
    std::optional<long> pattern, size;
    std::optional<int> colourIndex;
    bool highResolution = false;
    bool overlapGiven = false;
    std::optional<std::string> data;
    std::vector<std::pair<std::string*, std::string>> texts;
    auto fail = [&](const std::string& message) {
        result.error = OneLine(message);
        return result;
    };

    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string option = args[i];
        std::optional<std::string> inlineValue;
        if (option.rfind("--", 0) == 0 && option.find('=') != std::string::npos) {
            inlineValue = option.substr(option.find('=') + 1);
            option = option.substr(0, option.find('='));
        }
        auto value = [&]() -> std::optional<std::string> {
            if (inlineValue) return inlineValue;
            if (i + 1 >= args.size()) return std::nullopt;
            return args[++i];
        };
        const bool takesValue = option != "--hires" && option != "--quiet" && option != "--help" && option != "-h" &&
                                option != "--landscape" && option != "--fill" && option != "--tracking";
        std::optional<std::string> v;
        if (takesValue) {
            v = value();
            if (!v) return fail(option + ": needs a value");
        } else if (inlineValue) {
            return fail(option + ": takes no value");
        }

        if (option == "-h" || option == "--help") {
            result.help = true;
            return result;
        } else if (option == "-o" || option == "--output") {
            if (!CommandWrites(PictureFormatOfExtension(*v)))
                return fail(option + ": the file must end in " + Listed(CommandFileNames(""), ", ", " or "));
            cmd.output = *v;
        } else if (option == "--pattern") {
            pattern = WholeNumber(*v);
            if (!pattern || *pattern < 0 || *pattern >= kPatternCount)
                return fail("--pattern: must be 0 to " + std::to_string(kPatternCount - 1));
        } else if (option == "--size") {
            size = WholeNumber(*v);
            if (!size || *size < kSizeMin || *size > kSizeMax) return fail("--size: must be 32 to 52");
        } else if (option == "--hires") {
            highResolution = true;
        } else if (option == "--colors") {
            const auto count = WholeNumber(*v);
            colourIndex = count ? ColourIndexOf(*count) : std::nullopt;
            if (!colourIndex) return fail("--colors: must be " + Listed(ColourCountTexts(), ", ", " or "));
        } else if (option == "--palette") {
            if (*v == "default") cmd.parameters.palette = PaletteChoice::Default;
            else if (*v == "A" || *v == "a") cmd.parameters.palette = PaletteChoice::A;
            else if (*v == "B" || *v == "b") cmd.parameters.palette = PaletteChoice::B;
            else return fail("--palette: must be default, A or B");
        } else if (option == "--a") {
            texts.emplace_back(&cmd.parameters.a, *v);
        } else if (option == "--b") {
            texts.emplace_back(&cmd.parameters.b, *v);
        } else if (option == "--x0") {
            texts.emplace_back(&cmd.parameters.x0, *v);
        } else if (option == "--x1") {
            texts.emplace_back(&cmd.parameters.x1, *v);
        } else if (option == "--y0") {
            texts.emplace_back(&cmd.parameters.y0, *v);
        } else if (option == "--y1") {
            texts.emplace_back(&cmd.parameters.y1, *v);
        } else if (option == "--data") {
            data = *v;
        } else if (option == "--threads") {
            const auto threads = WholeNumber(*v);
            if (!threads || *threads < 0 || *threads > 1024) return fail("--threads: must be 0 to 1024");
            cmd.threads = static_cast<int>(*threads);
        } else if (option == "--quiet") {
            cmd.quiet = true;
        } else if (option == "--tracking") {
            cmd.tracking = true;
        } else if (option == "--tracking-map") {
            if (PictureFormatOfExtension(*v) != PictureFormat::Png) return fail(option + ": the file must end in .png");
            cmd.trackingMap = *v;
        } else if (option == "--sensor-pixels") {
            const auto pixels = WholeNumber(*v);
            if (!pixels || *pixels < kMinFramePixels || *pixels > kMaxFramePixels)
                return fail("--sensor-pixels: must be 12 to 64");
            cmd.sensor.framePixels = static_cast<int>(*pixels);
        } else if (option == "--sensor-um") {
            const auto um = RealNumber(*v);
            if (!um || *um < 10 || *um > 1000) return fail("--sensor-um: must be 10 to 1000");
            cmd.sensor.pixelMm = *um / 1000;
        } else if (option == "--flat-below") {
            const auto grey = RealNumber(*v);
            if (!grey || *grey < 0 || *grey > 1) return fail("--flat-below: must be 0 to 1");
            cmd.sensor.flatBelow = *grey;
        } else if (option == "--peak-margin") {
            const auto margin = RealNumber(*v);
            if (!margin || *margin < 0 || *margin > 2) return fail("--peak-margin: must be 0 to 2");
            cmd.sensor.peakMargin = *margin;
        } else if (option == "--paper") {
            cmd.pages.paper = PaperSizeNamed(*v);
            if (!cmd.pages.paper || !Within(*cmd.pages.paper, kPaperMinMm, kPaperMaxMm))
                return fail("--paper: must be A4, A3, A5, Letter, Legal, Tabloid or WIDTHxHEIGHT in mm (50 to 2000)");
            cmd.pages.media = MediaName(*v, *cmd.pages.paper);
        } else if (option == "--landscape") {
            cmd.pages.landscape = true;
        } else if (option == "--mm") {
            cmd.pages.size = SizeInMm(*v);
            if (!cmd.pages.size || !Within(*cmd.pages.size, 0, kSizeMaxMm))
                return fail("--mm: must be WIDTHxHEIGHT in mm, each above 0 and at most 5000");
        } else if (option == "--fill") {
            cmd.pages.fill = true;
        } else if (option == "--overlap") {
            char* end = nullptr;
            const double mm = std::strtod(v->c_str(), &end);
            if (v->empty() || *end || !(mm >= 0 && mm <= kOverlapMaxMm)) return fail("--overlap: must be 0 to 100 mm");
            cmd.pages.overlap = TwipsFromMm(mm);
            overlapGiven = true;
        } else if (option == "--print") {
            if (v->empty()) return fail("--print: needs a printer name");
            cmd.printer = *v;
        } else {
            return fail(option + ": unknown option");
        }
    }
    const bool tracking = cmd.tracking || !cmd.trackingMap.empty();
    if (cmd.output.empty() && cmd.printer.empty() && !tracking)
        return fail("-o: an output file (--print, or --tracking) is required");
    const bool pages = PictureFormatOfExtension(cmd.output) == PictureFormat::Pdf || !cmd.printer.empty();
    const char* pageOption = cmd.pages.paper ? "--paper" : cmd.pages.size ? "--mm" : cmd.pages.landscape ? "--landscape"
                             : cmd.pages.fill ? "--fill" : overlapGiven ? "--overlap" : nullptr;
    if (!pages && !tracking && pageOption) return fail(std::string(pageOption) + ": only for a PDF file, --print or --tracking");
    if (cmd.pages.landscape && !cmd.pages.paper) return fail("--landscape: needs --paper");
    if (overlapGiven && !cmd.pages.paper) return fail("--overlap: needs --paper");
    if (cmd.pages.fill && !cmd.pages.size) return fail("--fill: needs --mm");

    if (data) {
        const auto error = ApplyDataFile(cmd.parameters, *data);
        if (error) return fail("--data: " + *error);
    }
    // Every option given on the command line wins over the data file.
    if (highResolution) cmd.parameters.highResolution = 1;
    if (pattern) ApplyPattern(cmd.parameters, static_cast<int>(*pattern));
    if (size) cmd.parameters.sizeValue = static_cast<int>(*size);
    if (colourIndex) cmd.parameters.colourIndex = *colourIndex;
    for (auto& [target, text] : texts) *target = text;
    if (cmd.parameters.colourIndex < 0) return fail("--data: the file selects no colour count; add --colors");
    if (pages) {
        const CanvasSize canvas = SizeForValue(cmd.parameters.sizeValue);
        const std::size_t count = CommandPages(cmd.pages, {canvas.width, canvas.height, 1, 1}).pages.size();
        if (count > kMostPages)
            return fail("--mm: the poster would need " + std::to_string(count) + " pages (at most 1000)");
    }
    result.command = cmd;
    return result;
}

namespace {

// Columns of counts, painted a batch at a time.
using PaintBatch = std::function<void(int pass, const std::int64_t* px, const std::uint8_t* const* counts, int columns,
                                      int rows)>;

class ProgressSink final : public RenderSink {
public:
    // `randomPainter` paints the columns of random colours (kernel mode 6).
    ProgressSink(PaintBatch paintBatch, const PointPainter* randomPainter, bool quiet)
        : paintBatch_(std::move(paintBatch)), randomPainter_(randomPainter), quiet_(quiet) {}
    void PassBegins(int) override {}
    // Columns of counts are kept and painted a batch at a time, row by row;
    // the columns of random colours of a pass are painted at its end, on all
    // threads at once.
    void PaintColumn(int pass, std::int64_t px, const std::uint8_t* counts, int rows) override {
        if (!counts) {
            if (randomColumns_ == 0) randomPx_ = px;
            ++randomColumns_;
            pass_ = pass;
            rows_ = rows;
            return;
        }
        if (pending_ == kBatch) Flush();
        pass_ = pass;
        rows_ = rows;
        kept_[pending_].assign(counts, counts + rows);
        px_[pending_++] = px;
    }
    bool ColumnEnds() override { return false; }
    bool PassEnds(int pass) override {
        Flush();
        if (!quiet_) {
            const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start_).count();
            std::fprintf(stderr, "\r%2d  %s", 15 - pass, ElapsedText(static_cast<std::uint32_t>(ms)).c_str());
            std::fflush(stderr);
        }
        return false;
    }
    void Finish() {
        Flush();
        if (!quiet_) std::fprintf(stderr, "\rOK  \n");
    }

private:
    using Clock = std::chrono::steady_clock;
    static constexpr int kBatch = 16;

    void Flush() {
        if (randomColumns_ > 0) randomPainter_->PaintRandomColumns(pass_, randomPx_, randomColumns_, rows_);
        randomColumns_ = 0;
        const std::uint8_t* columns[kBatch];
        for (int c = 0; c < pending_; ++c) columns[c] = kept_[c].data();
        if (pending_ > 0) paintBatch_(pass_, px_, columns, pending_, rows_);
        pending_ = 0;
    }

    std::vector<std::uint8_t> kept_[kBatch];
    std::int64_t px_[kBatch] = {};
    int pending_ = 0, pass_ = 0, rows_ = 0;
    std::int64_t randomPx_ = 0;
    int randomColumns_ = 0;
    PaintBatch paintBatch_;
    const PointPainter* randomPainter_;
    bool quiet_;
    Clock::time_point start_ = Clock::now();
};

int CannotWrite(const std::string& path, const std::string& reason) {
    std::fprintf(stderr, "velmora-render: cannot write %s: %s\n", OneLine(path).c_str(), reason.c_str());
    return 1;
}

// The document's name: the output file's name without folder and ending, or the window's default name.
std::string JobTitle(const std::string& output) {
    if (output.empty()) return "Fractal";
    const std::string name = output.substr(output.find_last_of('/') + 1);
    return name.substr(0, name.size() - 4);
}

// The picture's colours for a PNG: they make it indexed when there are at
// most 256, and it is RGB when the list is empty.
using ColourList = std::function<std::vector<Pixel>()>;

// Writes the picture into `path` by its ending; the system's or the encoder's reason on failure.
std::optional<std::string> WriteFile(const std::string& path, const PictureRows& rows,
                                     const std::function<PageLayout()>& pages, const std::string& title,
                                     const ColourList& colours, int threads) {
    if (PictureFormatOfExtension(path) == PictureFormat::Pdf) {
        PdfPieces pieces(rows, pages(), title);
        return WriteFileAtomically(path, [&] { return pieces.Next(); });
    }
    // Encoded a few rows at a time straight into the file: no picture-sized
    // buffer to fault in and fill.
    if (PictureFormatOfExtension(path) == PictureFormat::Png) {
        try {
            PngPieces pieces(rows, PngLayout{colours(), 0, threads});
            return WriteFileAtomically(path, [&] { return pieces.Next(); });
        } catch (const std::exception& failure) {
            return std::string(failure.what());
        }
    }
    Bmp24Pieces pieces(rows);
    return WriteFileAtomically(path, [&] { return pieces.Next(); });
}

std::vector<Pixel> ColoursOf(const PictureRows& rows) { return PictureColours(rows).value_or(std::vector<Pixel>{}); }

// Writes the picture to the output file and sends its pages to the printer, as the command asks.
int WritePicture(const RenderCommand& command, const PictureRows& rows, const PrintedPicture& picture,
                 const ColourList& colours) {
    const std::string title = JobTitle(command.output);
    const auto pages = [&] { return CommandPages(command.pages, picture); };
    if (!command.output.empty())
        if (auto error = WriteFile(command.output, rows, pages, title, colours, command.threads))
            return CannotWrite(command.output, *error);
    if (command.printer.empty()) return 0;
    PdfPieces pieces(rows, pages(), title);
    if (auto refusal = PrintPdf(command.printer, title, command.pages.media, [&] { return pieces.Next(); })) {
        std::fprintf(stderr, "velmora-render: %s\n", OneLine(*refusal).c_str());
        return 1;
    }
    return 0;
}

// The grey levels of a count canvas, from the colour of each count.
class CountGrey final : public GreyPicture {
public:
    CountGrey(const CountCanvas& canvas, const ColorValue* tableColumn, int colourCount) : canvas_(canvas) {
        const Luminance luminance;
        greyOfByte_[0] = luminance(0xFFFFFFFFu);
        for (int n = 0; n < 255; ++n) greyOfByte_[n + 1] = luminance(PixelOf(tableColumn[n % colourCount]));
    }
    int Width() const override { return canvas_.Width(); }
    int Height() const override { return canvas_.Height(); }
    void ReadRow(int x, int y, int count, float* grey) const override { canvas_.GreyRow(greyOfByte_, x, y, count, grey); }

private:
    const CountCanvas& canvas_;
    float greyOfByte_[256] = {};
};

bool Tracking(const RenderCommand& command) { return command.tracking || !command.trackingMap.empty(); }

// The size the picture prints at: as the page options lay it out, or at page width on A4 without them.
PrintedSize TrackedSize(const RenderCommand& command, const PrintedPicture& picture) {
    if (!command.pages.paper && !command.pages.size) return PageWidthOnA4(picture.width, picture.height);
    const double mmPerPixel = kMmPerInch / CommandPages(command.pages, picture).dotsPerInch;
    return {picture.width * mmPerPixel, picture.height * mmPerPixel};
}

// The sensor check of the picture as it prints: its line on standard output, its map into a file.
int ReportTracking(const RenderCommand& command, const GreyPicture& picture, const PrintedPicture& pixels) {
    const PrintedSize printed = TrackedSize(command, pixels);
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t processorStart = std::clock();
    const TrackingResult result = CheckTracking(picture, printed, command.sensor, command.threads);
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    const double processorSeconds = static_cast<double>(std::clock() - processorStart) / CLOCKS_PER_SEC;
    if (!command.quiet)
        std::fprintf(stderr, "tracking check: %.3f s (%.3f s of processor time)\n", seconds.count(), processorSeconds);
    if (command.tracking) {
        const double dpi = picture.Width() / (printed.widthMm / 25.4);
        std::printf("%s\n", TrackingLine(result, command.sensor, dpi).c_str());
        std::fflush(stdout);
    }
    if (command.trackingMap.empty()) return 0;
    // The map in the picture's proportions, 1024 pixels along its longer side.
    const double scale = 1024.0 / std::max(picture.Width(), picture.Height());
    const int width = std::max(1, static_cast<int>(std::lround(picture.Width() * scale)));
    const int height = std::max(1, static_cast<int>(std::lround(picture.Height() * scale)));
    std::vector<Pixel> map = DrawTrackingMap(result, picture.Width(), picture.Height(), width, height, kMapFileColours);
    const PictureRows rows = RowsOf(Raster{map.data(), width, height, width});
    if (auto error = WriteFile(command.trackingMap, rows, {}, "", [&] { return ColoursOf(rows); }, command.threads))
        return CannotWrite(command.trackingMap, *error);
    return 0;
}

// Writes and prints the picture as the command asks, then runs the sensor check when it was asked for.
int Deliver(const RenderCommand& command, const PictureRows& rows, const PrintedPicture& printed,
            const ColourList& colours, const GreyPicture& grey) {
    if (const int status = WritePicture(command, rows, printed, colours)) return status;
    if (Tracking(command)) return ReportTracking(command, grey, printed);
    return 0;
}

}  // namespace

int RunRenderCommand(const RenderCommand& command) {
    // A target that may not be replaced is refused before the work of rendering.
    for (const std::string* path : {&command.output, &command.trackingMap})
        if (!path->empty())
            if (auto refusal = WriteRefusal(*path)) return CannotWrite(*path, *refusal);
    const PictureParameters& s = command.parameters;
    const CanvasSize size = SizeForValue(s.sizeValue);
    const CanvasGrid grid = GridFor(size, s.HighResolution());
    const PrintedPicture printed{size.width, size.height, static_cast<float>(grid.width), static_cast<float>(grid.height)};

    ColorTable table;
    coltable(table);
    if (s.palette == PaletteChoice::A) coltableB(table, DefaultStrip());
    if (s.palette == PaletteChoice::B) coltableA(table, DefaultStrip());
    const ColorValue* tableColumn = table.column[static_cast<std::size_t>(s.colourIndex)].data();
    const int colourCount = kColourCounts[static_cast<std::size_t>(s.colourIndex)].colours;

    const RenderParams params = ReadRenderParams(s, grid.width, grid.height);
    auto engine = command.scalarKernels ? MakeInlineEngine() : MakeEngine(command.threads);

    if (params.UsesKernel() && !s.pictureEffect) {
        // Every pixel takes its colour from one point's count, so counts are
        // all the picture needs until it is written.
        CountCanvas canvas(size.width, size.height, grid.dot);
        ProgressSink sink([&](int pass, const std::int64_t* px, const std::uint8_t* const* counts, int columns,
                              int rows) { canvas.PaintColumns(pass, px, counts, columns, rows); },
                          nullptr, command.quiet);
        WalkRender(params, *engine, sink);
        sink.Finish();
        return Deliver(command, canvas.Rows(tableColumn, colourCount), printed,
                       [&] { return canvas.Colours(tableColumn, colourCount); }, CountGrey(canvas, tableColumn, colourCount));
    }

    if (params.kernelMode == 6 && !s.pictureEffect && !Tracking(command)) {
        // Random colours on a white canvas: each row is computed as it is written. (The tracking check reads the
        // picture again, so it is painted whole below.)
        const PictureRows rows =
            SpeckleRows(params, size.width, size.height, grid.dot, ProgramRandom(), s.randomExponent, command.threads);
        if (!command.quiet) std::fprintf(stderr, "OK\n");
        return WritePicture(command, rows, printed, [&] { return ColoursOf(rows); });
    }

    const std::size_t pixelCount = static_cast<std::size_t>(size.width) * size.height;
    const HugePageBuffer pixels(pixelCount * sizeof(Pixel));
    auto* bits = static_cast<Pixel*>(pixels.data());
    std::fill_n(bits, pixelCount, 0xFFFFFFFFu);
    PointPainter painter;
    painter.raster = Raster{bits, size.width, size.height, size.width};
    painter.dot = grid.dot;
    painter.mode = s.pictureEffect ? DrawMode::Xor : DrawMode::Copy;
    painter.tableColumn = tableColumn;
    painter.colourCount = colourCount;
    painter.random = &ProgramRandom();
    painter.randomExponent = &s.randomExponent;
    painter.threads = command.threads;

    ProgressSink sink([&](int pass, const std::int64_t* px, const std::uint8_t* const* counts, int columns,
                          int rows) { painter.PaintColumns(pass, px, counts, columns, rows); },
                      &painter, command.quiet);
    WalkRender(params, *engine, sink);
    sink.Finish();
    const PictureRows rows = RowsOf(painter.raster);
    return Deliver(command, rows, printed, [&] { return ColoursOf(rows); }, RasterGrey(painter.raster));
}

}  // namespace velmora
