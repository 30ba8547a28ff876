#include "cli/RenderCommand.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

#include "canvas/CanvasGeometry.h"
#include "common/Numbers.h"
#include "files/AtomicFile.h"
#include "formats/PdfWriter.h"
#include "formats/Png.h"
#include "print/PrintJobs.h"
#include "palette/ColorTable.h"
#include "records/DataFile.h"
#include "render/Patterns.h"
#include "render/Random.h"
#include "render/RenderEngine.h"
#include "tracking/TrackingMap.h"
#include "tracking/Suggestions.h"
#include "tracking/TrackingReport.h"

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

// The formats velmora-render writes, in the order its messages name them.
constexpr PictureFormat kCommandFormats[] = {PictureFormat::Png, PictureFormat::Bmp, PictureFormat::Jpeg,
                                             PictureFormat::Pdf, PictureFormat::Tiff};

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

// The file names velmora-render writes: "FILE.png", "FILE.bmp", ... with `stem` for FILE.
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
constexpr double kPaperMinMm = 50, kPaperMaxMm = 2000;
constexpr std::size_t kMostPages = 1000;
constexpr double kPrintTimeoutMaxSeconds = 3600;

bool Within(const PageSize& size, double minMm, double maxMm) {
    const auto ok = [&](double twips) { return twips >= TwipsFromMm(minMm) - 1e-9 && twips <= TwipsFromMm(maxMm) + 1e-9; };
    return ok(size.width) && ok(size.height);
}

// The name the printing system knows a paper by: its own name, or "Custom.WxHmm".
std::string MediaName(const std::string& given, const PageSize& paper) {
    for (const NamedPaper& named : kNamedPapers)
        if (PaperSizeNamed(named.name) == PaperSizeNamed(given)) return named.name;
    return "Custom." + FixedText(MmFromTwips(paper.width), 2) + "x" + FixedText(MmFromTwips(paper.height), 2) + "mm";
}

// "WxH" in whole pixels, each side 16 to 65536; nothing otherwise.
std::optional<CanvasSize> PixelsOf(const std::string& text) {
    const auto x = text.find_first_of("xX");
    if (x == std::string::npos) return std::nullopt;
    auto side = [](const std::string& part) -> std::optional<int> {
        if (part.empty() || part.size() > 6 || part.find_first_not_of("0123456789") != std::string::npos)
            return std::nullopt;
        const int value = std::stoi(part);
        if (value < kPictureSideMin || value > kPictureSideMax) return std::nullopt;
        return value;
    };
    const auto w = side(text.substr(0, x)), h = side(text.substr(x + 1));
    if (!w || !h) return std::nullopt;
    return CanvasSize{*w, *h};
}

std::string SizeText(double width, double height) {
    return NumText(width) + " x " + NumText(height);
}

bool SideInRange(int side) { return side >= kPictureSideMin && side <= kPictureSideMax; }

// The picture as the page layout sees it: its pixels over its grid.
PrintedPicture PrintedPictureOf(const RenderCommand& cmd) {
    const CanvasSize pixels = FilePixels(cmd.pixels, cmd.file);
    const CanvasGrid grid = GridFor(pixels, cmd.parameters.HighResolution());
    return {pixels.width, pixels.height, static_cast<float>(grid.width), static_cast<float>(grid.height)};
}

// The document's name: the output file's name without folder and ending, or the window's default name.
std::string JobTitle(const std::string& output) {
    if (output.empty()) return "Fractal";
    const std::string name = output.substr(output.find_last_of('/') + 1);
    return name.substr(0, name.find_last_of('.'));
}

}  // namespace

std::string RenderUsage() {
    return "usage: velmora-render -o " + Listed(CommandFileNames("FILE"), "|", "|") + " [--pattern 0-" +
           std::to_string(kPatternCount - 1) + "] [--size 32-52] [--hires]\n"
           "       [--pixels WxH] [--mm WxH] [--dpi D] [--quality 1-100]\n"
           "       [--colors " + Listed(ColourCountTexts(), "|", "|") + "] [--palette default|A|B] [--a T] [--b T]\n"
           "       [--x0 T] [--x1 T] [--y0 T] [--y1 T] [--data FILE] [--threads N] [--quiet]\n"
           "       [--paper A4|A3|A5|Letter|Legal|Tabloid|WxH] [--landscape] [--fill]\n"
           "       [--overlap MM] [--print PRINTER] [--print-timeout S] [--bleed MM] [--crop-marks]\n"
           "       [--tracking] [--suggest] [--tracking-map FILE.png] [--sensor-pixels 12-64] [--sensor-um U]\n"
           "       [--flat-below G] [--peak-margin M]\n"
           "The picture is --pixels if given, else the size of --size, else --mm (the picture's size in mm)\n"
           "at --dpi (300 by default), else size 37; files record that resolution.\n"
           "PDF pages and print jobs: --paper sets the sheet (WxH in mm); --mm the picture's size on paper\n"
           "(without it, page width); --fill covers that size instead of fitting the whole picture; a size\n"
           "larger than the sheet prints as a poster whose pages overlap by --overlap mm (10). Without\n"
           "--paper the page is the picture's own size (--mm, or the picture at --dpi).\n"
           "--print looks the printer up before drawing; the printing system may stay silent for\n"
           "--print-timeout seconds (" + NumText(kPrintTimeoutSeconds) + ") before the job fails.\n"
           "--bleed (0 to 20 mm) extends the picture past that size on every side, for a print shop to cut\n"
           "to it; a PDF then marks the cut with its trim box, and --crop-marks draws trim marks around it.\n"
           "--tracking checks how a mouse tracks on the picture printed as --paper, --mm and --dpi say\n"
           "(without them, at page width on A4) and needs no -o; below 95 % an advice line follows for\n"
           "each cause, and with --suggest a line for each change tried that tracks better, the best\n"
           "first; --tracking-map writes its map.\n";
}

PageLayout CommandPages(const PageOptions& options, const PrintedPicture& picture, CanvasSize trim,
                        const PictureFileOptions& file) {
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
        return LayOutPages(picture, choices);
    }
    return OwnPage(picture, options.size.value_or(PageSize{trim.width * kTwipsPerInch / file.dpi,
                                                           trim.height * kTwipsPerInch / file.dpi}), file);
}

ParseResult ParseRenderCommand(const std::vector<std::string>& args) {
    ParseResult result;
    RenderCommand cmd;
    cmd.parameters = StartupParameters();
    std::optional<long> pattern, size, dpi, quality;
    std::optional<int> colourIndex;
    std::optional<PaletteChoice> palette;
    std::optional<CanvasSize> pixels;
    std::optional<std::pair<double, double>> mm;
    bool highResolution = false;
    bool overlapGiven = false;
    bool printTimeoutGiven = false, bleedGiven = false;
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
                                option != "--landscape" && option != "--fill" && option != "--tracking" &&
                                option != "--suggest" && option != "--crop-marks";
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
            cmd.file.format = PictureFormatOfExtension(*v);
            if (!CommandWrites(cmd.file.format))
                return fail(option + ": the file must end in " + Listed(CommandFileNames(""), ", ", " or "));
            cmd.output = *v;
        } else if (option == "--pattern") {
            pattern = WholeNumber(*v);
            if (!pattern || *pattern < 0 || *pattern >= kPatternCount)
                return fail("--pattern: must be 0 to " + std::to_string(kPatternCount - 1));
        } else if (option == "--size") {
            size = WholeNumber(*v);
            if (!size || *size < kSizeMin || *size > kSizeMax) return fail("--size: must be 32 to 52");
        } else if (option == "--pixels") {
            pixels = PixelsOf(*v);
            if (!pixels)
                return fail("--pixels: must be WxH, each side " + std::to_string(kPictureSideMin) + " to " +
                            std::to_string(kPictureSideMax) + " pixels");
        } else if (option == "--dpi") {
            dpi = WholeNumber(*v);
            if (!dpi || *dpi < 1 || *dpi > 65535) return fail("--dpi: must be 1 to 65535");
        } else if (option == "--quality") {
            quality = WholeNumber(*v);
            if (!quality || *quality < 1 || *quality > 100) return fail("--quality: must be 1 to 100");
        } else if (option == "--hires") {
            highResolution = true;
        } else if (option == "--colors") {
            const auto count = WholeNumber(*v);
            colourIndex = count ? ColourIndexOf(*count) : std::nullopt;
            if (!colourIndex) return fail("--colors: must be " + Listed(ColourCountTexts(), ", ", " or "));
        } else if (option == "--palette") {
            if (*v == "default") palette = PaletteChoice::Default;
            else if (*v == "A" || *v == "a") palette = PaletteChoice::A;
            else if (*v == "B" || *v == "b") palette = PaletteChoice::B;
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
        } else if (option == "--suggest") {
            cmd.suggest = true;
        } else if (option == "--tracking-map") {
            if (PictureFormatOfExtension(*v) != PictureFormat::Png) return fail(option + ": the file must end in .png");
            cmd.trackingMap = *v;
        } else if (option == "--sensor-pixels") {
            const auto pixels = WholeNumber(*v);
            if (!pixels || *pixels < kMinFramePixels || *pixels > kMaxFramePixels)
                return fail("--sensor-pixels: must be 12 to 64");
            cmd.sensor.framePixels = static_cast<int>(*pixels);
        } else if (option == "--sensor-um") {
            const auto um = DecimalNumber(*v);
            if (!um || *um < 10 || *um > 1000) return fail("--sensor-um: must be 10 to 1000");
            cmd.sensor.pixelMm = *um / 1000;
        } else if (option == "--flat-below") {
            const auto grey = DecimalNumber(*v);
            if (!grey || *grey < 0 || *grey > 1) return fail("--flat-below: must be 0 to 1");
            cmd.sensor.flatBelow = *grey;
        } else if (option == "--peak-margin") {
            const auto margin = DecimalNumber(*v);
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
            if (!cmd.pages.size || !Within(*cmd.pages.size, 0, kPrintedSizeMaxMm))
                return fail("--mm: must be WIDTHxHEIGHT in mm, each above 0 and at most 5000");
            // The pixels come from the millimetres as typed, not from their 1/1440 inch.
            const std::size_t x = v->find_first_of("xX");
            mm.emplace();
            std::from_chars(v->data(), v->data() + x, mm->first);
            std::from_chars(v->data() + x + 1, v->data() + v->size(), mm->second);
        } else if (option == "--bleed") {
            const std::optional<double> mm = DecimalNumber(*v);
            if (!mm || !(*mm >= 0 && *mm <= kBleedMaxMm)) return fail("--bleed: must be 0 to 20 mm");
            cmd.file.bleedMm = *mm;
            bleedGiven = true;
        } else if (option == "--crop-marks") {
            cmd.file.cropMarks = true;
        } else if (option == "--fill") {
            cmd.pages.fill = true;
        } else if (option == "--overlap") {
            const std::optional<double> mm = DecimalNumber(*v);
            if (!mm || !(*mm >= 0 && *mm <= kPosterOverlapMaxMm)) return fail("--overlap: must be 0 to 100 mm");
            cmd.pages.overlap = TwipsFromMm(*mm);
            overlapGiven = true;
        } else if (option == "--print") {
            if (v->empty()) return fail("--print: needs a printer name");
            cmd.printer = *v;
        } else if (option == "--print-timeout") {
            const auto seconds = DecimalNumber(*v);
            if (!seconds || !(*seconds > 0) || *seconds > kPrintTimeoutMaxSeconds)
                return fail("--print-timeout: must be above 0 and at most 3600 seconds");
            cmd.printTimeout = *seconds;
            printTimeoutGiven = true;
        } else {
            return fail(option + ": unknown option");
        }
    }
    if (cmd.suggest && !cmd.tracking) return fail("--suggest: needs --tracking");
    const bool tracking = cmd.tracking || !cmd.trackingMap.empty();
    if (cmd.output.empty() && cmd.printer.empty() && !tracking)
        return fail("-o: an output file (--print, or --tracking) is required");
    const bool pages = cmd.file.format == PictureFormat::Pdf || !cmd.printer.empty();
    const char* pageOption = cmd.pages.paper ? "--paper" : cmd.pages.landscape ? "--landscape"
                             : cmd.pages.fill ? "--fill" : overlapGiven ? "--overlap" : nullptr;
    if (!pages && !tracking && pageOption) return fail(std::string(pageOption) + ": only for a PDF file, --print or --tracking");
    if (cmd.pages.landscape && !cmd.pages.paper) return fail("--landscape: needs --paper");
    if (overlapGiven && !cmd.pages.paper) return fail("--overlap: needs --paper");
    if (cmd.pages.fill && !cmd.pages.size) return fail("--fill: needs --mm");
    if (printTimeoutGiven && cmd.printer.empty()) return fail("--print-timeout: needs --print");
    if (cmd.file.bleedMm > 0 && cmd.pages.paper) return fail("--bleed: not with --paper; the page is the picture's own size");
    if (cmd.file.cropMarks && (cmd.file.format != PictureFormat::Pdf || cmd.pages.paper))
        return fail("--crop-marks: only for a PDF file of the picture's own size");

    if (data) {
        DataFileExtras extras;
        const auto error = ApplyDataFile(cmd.parameters, *data, &extras);
        if (error) return fail("--data: " + *error);
        cmd.strip = extras.strip;
        // The product stored last gives the picture's size when the command line gives none.
        if (const auto& product = extras.product; product && !pixels && !size && !mm) {
            const PageSize trim{TwipsFromMm(product->widthMm), TwipsFromMm(product->heightMm)};
            if (!Within(trim, 0, kPrintedSizeMaxMm) || product->dpi > 65535)
                return fail("--data: the stored product's size or resolution is out of range");
            mm.emplace(product->widthMm, product->heightMm);
            cmd.pages.size = trim;
            cmd.file.dpi = product->dpi;
            if (!bleedGiven && !cmd.pages.paper && product->bleedMm >= 0 && product->bleedMm <= kBleedMaxMm)
                cmd.file.bleedMm = product->bleedMm;
        }
    }
    // Every option given on the command line wins over the data file.
    if (highResolution) cmd.parameters.highResolution = 1;
    if (pattern) ApplyPattern(cmd.parameters, static_cast<int>(*pattern));
    if (size) cmd.parameters.sizeValue = static_cast<int>(*size);
    if (colourIndex) cmd.parameters.colourIndex = *colourIndex;
    if (palette) cmd.parameters.palette = *palette;
    for (auto& [target, text] : texts) *target = text;
    if (cmd.parameters.colourIndex < 0) return fail("--data: the file selects no colour count; add --colors");

    if (dpi) cmd.file.dpi = static_cast<double>(*dpi);
    cmd.physicalSize = cmd.pages.paper || cmd.pages.size || dpi;
    if (quality) cmd.file.quality = static_cast<int>(*quality);
    if (pixels) {
        cmd.pixels = *pixels;
    } else if (size || !mm) {
        cmd.pixels = SizeForValue(cmd.parameters.sizeValue);
    } else {
        const auto [w, h] = *mm;
        cmd.pixels = PixelsForMillimetres(w, h, cmd.file.dpi);
        if (!SideInRange(cmd.pixels.width) || !SideInRange(cmd.pixels.height))
            return fail("--mm: " + SizeText(w, h) + " mm at " + NumText(cmd.file.dpi) + " dpi is " +
                        SizeText(RoundHalfEven(w / 25.4 * cmd.file.dpi), RoundHalfEven(h / 25.4 * cmd.file.dpi)) +
                        " pixels; each side must be " + std::to_string(kPictureSideMin) + " to " +
                        std::to_string(kPictureSideMax));
    }
    if (auto limit = FormatLimit(cmd.file.format, cmd.pixels))
        return fail("-o: " + std::to_string(cmd.pixels.width) + " x " + std::to_string(cmd.pixels.height) +
                    " pixels: " + *limit);
    cmd.file.title = JobTitle(cmd.output);
    if (pages) {
        cmd.file.pages = CommandPages(cmd.pages, PrintedPictureOf(cmd), cmd.pixels, cmd.file);
        if (cmd.file.pages->pages.size() > kMostPages)
            return fail("--mm: the poster would need " + std::to_string(cmd.file.pages->pages.size()) +
                        " pages (at most 1000)");
    }
    result.command = cmd;
    return result;
}

namespace {

// Reports a failure on one line; a file `written` before it stays, and the line says so.
int Failed(const std::string& reason, const std::string& written = {}) {
    std::string line = "velmora-render: " + OneLine(reason);
    if (!written.empty()) line += " (" + OneLine(written) + " was written)";
    std::fprintf(stderr, "%s\n", line.c_str());
    return 1;
}

int CannotWrite(const std::string& path, const std::string& reason, const std::string& written = {}) {
    return Failed("cannot write " + path + ": " + reason, written);
}

// The share done and the time left, on one line rewritten in place.
class ProgressLine {
public:
    void Show(double done) {
        const auto now = Clock::now();
        const int percent = static_cast<int>(done * 100);
        if (percent == shown_ && now - lastShown_ < std::chrono::seconds(1)) return;
        shown_ = percent;
        lastShown_ = now;
        const double elapsed = std::chrono::duration<double>(now - start_).count();
        std::string left = "";
        if (done > 0.02) {
            const auto seconds = static_cast<long>(elapsed / done * (1 - done) + 0.5);
            char text[48];
            std::snprintf(text, sizeof text, "  %ld:%02ld left", seconds / 60, seconds % 60);
            left = text;
        }
        std::fprintf(stderr, "\r%3d %%%-16s", percent, left.c_str());
        std::fflush(stderr);
    }
    void Finish() { std::fprintf(stderr, "\r100 %%%-16s\n", ""); }

private:
    using Clock = std::chrono::steady_clock;
    Clock::time_point start_ = Clock::now(), lastShown_{};
    int shown_ = -1;
};

bool Tracking(const RenderCommand& command) { return command.tracking || !command.trackingMap.empty(); }

// The size the picture prints at: as --paper, --mm and --dpi lay it out, or at page width on A4 without them.
PrintedSize TrackedSize(const RenderCommand& command) {
    const PrintedPicture picture = PrintedPictureOf(command);
    if (!command.physicalSize) return PageWidthOnA4(picture.width, picture.height);
    const double mmPerPixel = kMmPerInch / CommandPages(command.pages, picture, command.pixels, command.file).dotsPerInch;
    return {picture.width * mmPerPixel, picture.height * mmPerPixel};
}

// What a change tried does, as a suggestion line shows it.
std::string ChangeText(PictureChange change) {
    static const char* const kMoves[] = {"left", "right", "up", "down"};
    switch (change.kind) {
    case ChangeKind::Resolution: return change.value ? "high resolution" : "normal resolution";
    case ChangeKind::Size: return "size " + std::to_string(change.value);
    case ChangeKind::Dpi: return std::to_string(change.value) + " dpi";
    case ChangeKind::Zoom: return change.value ? "zoom out 2\u00d7" : "zoom in 2\u00d7";
    case ChangeKind::Move: return std::string("move ") + kMoves[change.value & 3] + " half a picture";
    case ChangeKind::Colours:
        return std::to_string(kColourCounts[static_cast<std::size_t>(change.value)].colours) + " colours";
    }
    return {};
}

// The sensor check of the picture as it prints, drawn only where its frames read it: its line and, below good
// tracking, the advice and the changes tried that track better on standard output, its map into a file. Each
// computed point is drawn as a block `dot` pixels wide.
int ReportTracking(const RenderCommand& command, const PointPicture& picture, int dot, const ColorTable& table) {
    const PrintedSize printed = TrackedSize(command);
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t processorStart = std::clock();
    const TrackingResult result = CheckTracking(picture, printed, command.sensor, command.threads);
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    const double processorSeconds = static_cast<double>(std::clock() - processorStart) / CLOCKS_PER_SEC;
    if (!command.quiet)
        std::fprintf(stderr, "tracking check: %.3f s (%.3f s of processor time, drawing included)\n", seconds.count(),
                     processorSeconds);
    if (command.tracking) {
        const double dpi = picture.Width() / (printed.widthMm / kMmPerInch);
        std::printf("%s\n", TrackingLine(result, command.sensor, dpi).c_str());
        for (const std::string& advice : TrackingAdvice(result, PrintedDotMm(printed, picture.Width(), dot), command.sensor))
            std::printf("advice: %s\n", advice.c_str());
        if (command.suggest && result.FrameCount() > 0) {
            // A picture given its own size in millimetres keeps that size at any resolution tried.
            const auto& mm = command.pages.size;
            const PrintedSize asked = mm && !command.pages.paper
                                          ? PrintedSize{MmFromTwips(mm->width), MmFromTwips(mm->height)}
                                          : printed;
            const CheckedPicture checked{command.parameters, command.pixels, asked,
                                         command.physicalSize ? command.file.dpi : 0};
            for (const Suggestion& s : SuggestChanges(checked, table, result.tracks, command.sensor, command.threads))
                std::printf("suggestion: %s: %.1f %%\n", ChangeText(s.change).c_str(), 100 * s.tracks);
        }
        std::fflush(stdout);
    }
    if (command.trackingMap.empty()) return 0;
    // The map in the picture's proportions, 1024 pixels along its longer side.
    const double scale = 1024.0 / std::max(picture.Width(), picture.Height());
    const int width = std::max(1, static_cast<int>(std::lround(picture.Width() * scale)));
    const int height = std::max(1, static_cast<int>(std::lround(picture.Height() * scale)));
    std::vector<Pixel> map = DrawTrackingMap(result, picture.Width(), picture.Height(), width, height, kMapFileColours);
    std::vector<Pixel> colours{kMapFileColours.tracks, kMapFileColours.flat, kMapFileColours.ambiguous};
    std::sort(colours.begin(), colours.end());
    PngPieces pieces(RowsOf(Raster{map.data(), width, height, width}), PngLayout{colours, 0, command.threads});
    if (auto error = WriteFileAtomically(command.trackingMap, [&] { return pieces.Next(); }))
        return CannotWrite(command.trackingMap, *error, command.output);
    return 0;
}

}  // namespace

int RunRenderCommand(const RenderCommand& command) {
    // Whatever can fail is asked before the work of rendering and before any file is replaced: each target may
    // be replaced and its folder takes a new file (a writer that never commits leaves nothing), and the printer
    // is listed by a printing system that answers.
    for (const std::string* path : {&command.output, &command.trackingMap})
        if (!path->empty()) {
            if (auto refusal = WriteRefusal(*path)) return CannotWrite(*path, *refusal);
            if (auto refusal = AtomicFileWriter(*path).Error()) return CannotWrite(*path, *refusal);
        }
    if (!command.printer.empty())
        if (auto refusal = CheckPrintQueue(command.printer, command.printTimeout))
            return Failed(RefusalText(*refusal, command.printer));
    const PictureParameters& s = command.parameters;

    ColorTable table;
    coltable(table);
    const DefaultStrip defaultStrip;
    const std::optional<StoredStripImage> storedStrip =
        command.strip ? std::optional<StoredStripImage>(*command.strip) : std::nullopt;
    const StripImage& strip = storedStrip ? static_cast<const StripImage&>(*storedStrip) : defaultStrip;
    if (s.palette == PaletteChoice::A) coltableB(table, strip);
    if (s.palette == PaletteChoice::B) coltableA(table, strip);

    const PictureGrid grid = PictureGridFor(command.pixels, s.HighResolution());
    PictureExport job;
    job.whole = ReadRenderParams(s, grid.grid.width, grid.grid.height, grid.regionHeight);
    job.pixels = command.pixels;
    job.dot = grid.grid.dot;
    // The file, the print job and the sensor check are one picture: each drawing of a random one starts from
    // the generator as it stood before the first.
    const UniformSource firstDraw = ProgramRandom();
    UniformSource random = firstDraw;
    job.colours = {table.column[static_cast<std::size_t>(s.colourIndex)].data(),
                   kColourCounts[static_cast<std::size_t>(s.colourIndex)].colours, &random, s.randomExponent};
    job.file = command.file;
    job.threads = command.threads;
    const bool showProgress = !command.quiet && ::isatty(STDERR_FILENO);
    ProgressLine line;
    if (showProgress)
        job.progress = [&line](double done) {
            line.Show(done);
            return false;
        };
    const auto engine = command.scalarKernels ? MakeInlineEngine() : nullptr;
    if (!command.output.empty()) {
        const ExportResult result = ExportPicture(command.output, job, engine.get());
        if (result.error) return CannotWrite(command.output, *result.error);
    }
    if (!command.printer.empty()) {
        random = firstDraw;
        ExportRows rows(job, engine.get());
        PdfPieces pieces(rows.Rows(), *command.file.pages, command.file.title);
        if (auto refusal = PrintPdf(command.printer, command.file.title, command.pages.media,
                                    [&] { return pieces.Next(); }, command.printTimeout))
            return Failed(RefusalText(*refusal, command.printer), command.output);
    }
    if (showProgress) line.Finish();
    if (Tracking(command)) {
        // Drawn once more, only where the frames read it.
        random = firstDraw;
        const PointPicture drawn(WalkCovering(job.whole, job.pixels, job.dot), job.pixels.width, job.pixels.height,
                                 job.dot, job.colours);
        return ReportTracking(command, drawn, job.dot, table);
    }
    return 0;
}

}  // namespace velmora
