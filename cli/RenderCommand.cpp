#include "cli/RenderCommand.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

#include "common/Numbers.h"
#include "output/AtomicFile.h"
#include "palette/ColorTable.h"
#include "records/DataFile.h"
#include "render/Random.h"
#include "render/RenderEngine.h"

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

bool EndsWith(const std::string& text, const std::string& tail) {
    if (text.size() < tail.size()) return false;
    for (std::size_t i = 0; i < tail.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - tail.size() + i])) != tail[i]) return false;
    return true;
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

// "WxH" with two positive numbers, whole ones when `whole`.
std::optional<std::pair<double, double>> Pair(const std::string& text, bool whole) {
    const auto x = text.find_first_of("xX");
    if (x == std::string::npos) return std::nullopt;
    auto number = [whole](const std::string& part) -> std::optional<double> {
        if (part.empty() || part.find_first_not_of(whole ? "0123456789" : "0123456789.") != std::string::npos)
            return std::nullopt;
        try {
            std::size_t used = 0;
            const double value = std::stod(part, &used);
            if (used != part.size() || !(value > 0) || value > 1e9) return std::nullopt;
            return value;
        } catch (...) {
            return std::nullopt;
        }
    };
    const auto w = number(text.substr(0, x)), h = number(text.substr(x + 1));
    if (!w || !h) return std::nullopt;
    return std::pair{*w, *h};
}

std::string SizeText(double width, double height) {
    return NumText(width) + " x " + NumText(height);
}

bool SideInRange(int side) { return side >= kPictureSideMin && side <= kPictureSideMax; }

}  // namespace

std::string RenderUsage() {
    return "usage: velmora-render -o FILE.png|.bmp|.jpg [--pattern 0-5] [--size 32-52] [--hires]\n"
           "       [--pixels WxH | --mm WxH] [--dpi D] [--quality 1-100]\n"
           "       [--colors 2|3|4|8|16|32|64|128] [--palette default|A|B] [--a T] [--b T]\n"
           "       [--x0 T] [--x1 T] [--y0 T] [--y1 T] [--data FILE] [--threads N] [--quiet]\n"
           "  The picture is --pixels if given, else the size of --size, else --mm at --dpi\n"
           "  (300 by default), else size 37; the file records --dpi, or --mm as its size.\n";
}

ParseResult ParseRenderCommand(const std::vector<std::string>& args) {
    ParseResult result;
    RenderCommand cmd;
    cmd.settings = StartupSettings();
    std::optional<long> pattern, size, colours, dpi, quality;
    std::optional<std::pair<double, double>> pixels, mm;
    bool highResolution = false;
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
        const bool takesValue = option != "--hires" && option != "--quiet" && option != "--help" && option != "-h";
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
            cmd.file.format = PictureFormatFor(*v);
            if (cmd.file.format == PictureFormat::None || (cmd.file.format == PictureFormat::Png && !EndsWith(*v, ".png")))
                return fail(option + ": the file must end in .png, .bmp, .jpg or .jpeg");
            cmd.output = *v;
        } else if (option == "--pattern") {
            pattern = WholeNumber(*v);
            if (!pattern || *pattern < 0 || *pattern > 5) return fail("--pattern: must be 0 to 5");
        } else if (option == "--size") {
            size = WholeNumber(*v);
            if (!size || *size < kSizeMin || *size > kSizeMax) return fail("--size: must be 32 to 52");
        } else if (option == "--pixels") {
            pixels = Pair(*v, true);
            if (!pixels) return fail("--pixels: must be WxH, two whole numbers");
            if (!SideInRange(static_cast<int>(std::min(pixels->first, 1e6))) ||
                !SideInRange(static_cast<int>(std::min(pixels->second, 1e6))))
                return fail("--pixels: each side must be " + std::to_string(kPictureSideMin) + " to " +
                            std::to_string(kPictureSideMax) + " pixels");
        } else if (option == "--mm") {
            mm = Pair(*v, false);
            if (!mm) return fail("--mm: must be WxH in millimetres, such as 900x400");
        } else if (option == "--dpi") {
            dpi = WholeNumber(*v);
            if (!dpi || *dpi < 1 || *dpi > 65535) return fail("--dpi: must be 1 to 65535");
        } else if (option == "--quality") {
            quality = WholeNumber(*v);
            if (!quality || *quality < 1 || *quality > 100) return fail("--quality: must be 1 to 100");
        } else if (option == "--hires") {
            highResolution = true;
        } else if (option == "--colors") {
            colours = WholeNumber(*v);
            bool known = false;
            for (int k = 0; k < kColourChoices; ++k) known = known || (colours && *colours == kColourCounts[k]);
            if (!known) return fail("--colors: must be 2, 3, 4, 8, 16, 32, 64 or 128");
        } else if (option == "--palette") {
            if (*v == "default") cmd.palette = PaletteChoice::Default;
            else if (*v == "A" || *v == "a") cmd.palette = PaletteChoice::A;
            else if (*v == "B" || *v == "b") cmd.palette = PaletteChoice::B;
            else return fail("--palette: must be default, A or B");
        } else if (option == "--a") {
            texts.emplace_back(&cmd.settings.a, *v);
        } else if (option == "--b") {
            texts.emplace_back(&cmd.settings.b, *v);
        } else if (option == "--x0") {
            texts.emplace_back(&cmd.settings.xh, *v);
        } else if (option == "--x1") {
            texts.emplace_back(&cmd.settings.xl, *v);
        } else if (option == "--y0") {
            texts.emplace_back(&cmd.settings.yh, *v);
        } else if (option == "--y1") {
            texts.emplace_back(&cmd.settings.yl, *v);
        } else if (option == "--data") {
            data = *v;
        } else if (option == "--threads") {
            const auto threads = WholeNumber(*v);
            if (!threads || *threads < 0 || *threads > 1024) return fail("--threads: must be 0 to 1024");
            cmd.threads = static_cast<int>(*threads);
        } else if (option == "--quiet") {
            cmd.quiet = true;
        } else {
            return fail(option + ": unknown option");
        }
    }
    if (cmd.output.empty()) return fail("-o: an output file is required");

    if (data) {
        const auto error = ApplyDataFile(cmd.settings, *data);
        if (error) return fail("--data: " + *error);
    }
    // Every option given on the command line wins over the data file.
    if (highResolution) cmd.settings.highResolution = true;
    if (pattern) ApplyPattern(cmd.settings, static_cast<int>(*pattern));
    if (size) cmd.settings.sizeValue = static_cast<int>(*size);
    if (colours)
        for (int k = 0; k < kColourChoices; ++k)
            if (kColourCounts[k] == *colours) cmd.settings.colourIndex = k;
    for (auto& [target, text] : texts) *target = text;
    if (cmd.settings.colourIndex < 0) return fail("--data: the file selects no colour count; add --colors");

    if (dpi) cmd.file.dpi = static_cast<double>(*dpi);
    if (quality) cmd.file.quality = static_cast<int>(*quality);
    if (pixels) {
        cmd.pixels = {static_cast<int>(pixels->first), static_cast<int>(pixels->second)};
    } else if (size || !mm) {
        cmd.pixels = SizeForValue(cmd.settings.sizeValue);
    } else {
        cmd.pixels = PixelsForMillimetres(mm->first, mm->second, cmd.file.dpi);
        if (!SideInRange(cmd.pixels.width) || !SideInRange(cmd.pixels.height))
            return fail("--mm: " + SizeText(mm->first, mm->second) + " mm at " + NumText(cmd.file.dpi) + " dpi is " +
                        SizeText(RoundHalfEven(mm->first / 25.4 * cmd.file.dpi),
                                 RoundHalfEven(mm->second / 25.4 * cmd.file.dpi)) +
                        " pixels; each side must be " + std::to_string(kPictureSideMin) + " to " +
                        std::to_string(kPictureSideMax));
    }
    if (mm) {
        cmd.file.widthMm = mm->first;
        cmd.file.heightMm = mm->second;
    }
    if (auto limit = FormatLimit(cmd.file.format, cmd.pixels))
        return fail("-o: " + std::to_string(cmd.pixels.width) + " x " + std::to_string(cmd.pixels.height) +
                    " pixels: " + *limit);
    result.command = cmd;
    return result;
}

namespace {

int CannotWrite(const std::string& path, const std::string& reason) {
    std::fprintf(stderr, "velmora-render: cannot write %s: %s\n", OneLine(path).c_str(), reason.c_str());
    return 1;
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

}  // namespace

int RunRenderCommand(const RenderCommand& command) {
    // A target that may not be replaced is refused before the work of rendering.
    if (auto refusal = WriteRefusal(command.output)) return CannotWrite(command.output, *refusal);
    const PictureSettings& s = command.settings;

    ColorTable table;
    coltable(table);
    if (command.palette == PaletteChoice::A) coltableB(table, DefaultStrip());
    if (command.palette == PaletteChoice::B) coltableA(table, DefaultStrip());

    const PictureGrid grid = PictureGridFor(command.pixels, s.highResolution);
    RenderInputs inputs = InputsOf(s, grid.grid.width, grid.grid.height);
    inputs.regionHeight = grid.regionHeight;
    PictureExport job;
    job.whole = ReadRenderParams(inputs);
    job.pixels = command.pixels;
    job.dot = grid.grid.dot;
    job.colours = {table.column[static_cast<std::size_t>(s.colourIndex)].data(),
                   kColourCounts[static_cast<std::size_t>(s.colourIndex)], &ProgramRandom(), s.randomExponent};
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
    const ExportResult result = ExportPicture(command.output, job, engine.get());
    if (result.error) return CannotWrite(command.output, *result.error);
    if (showProgress) line.Finish();
    return 0;
}

}  // namespace velmora
