#include "cli/RenderCommand.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <exception>
#include <functional>
#include <new>
#include <optional>
#include <string_view>
#include <thread>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "canvas/CanvasGeometry.h"
#include "colour/GamutFigure.h"
#include "colour/PrintedRows.h"
#include "common/Numbers.h"
#include "export/SharedRows.h"
#include "files/AtomicFile.h"
#include "formats/PdfWriter.h"
#include "formats/Png.h"
#include "palette/ColorTable.h"
#include "print/PrintJobs.h"
#include "records/DataFile.h"
#include "render/Patterns.h"
#include "render/Random.h"
#include "render/RenderEngine.h"
#include "render/PointPicture.h"
#include "tracking/Suggestions.h"
#include "tracking/TrackingMap.h"
#include "tracking/TrackingReport.h"

namespace velmora {

namespace {

// The whole of `text` as a number (a whole one signed or not, without spaces); nothing otherwise.
template <typename Number>
std::optional<Number> NumberOf(std::string_view text) {
    if constexpr (std::is_floating_point_v<Number>) return DecimalNumber(text);
    if (text.size() > 1 && text[0] == '+' && text[1] != '-') text.remove_prefix(1);
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// "WxH" ('x' or 'X' between) as two numbers, or nothing.
template <typename Number>
std::optional<std::pair<Number, Number>> PairOf(std::string_view text) {
    const std::size_t x = text.find_first_of("xX");
    if (x == std::string_view::npos) return std::nullopt;
    const auto width = NumberOf<Number>(text.substr(0, x)), height = NumberOf<Number>(text.substr(x + 1));
    if (!width || !height) return std::nullopt;
    return std::pair{*width, *height};
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

std::string SizeText(double width, double height) {
    return NumText(width) + " x " + NumText(height);
}

bool SideInRange(int side) { return side >= kPictureSideMin && side <= kPictureSideMax; }

// The document's name: the output file's name without folder and ending, or the window's default name.
std::string JobTitle(const std::string& output) {
    if (output.empty()) return "Fractal";
    const std::string name = output.substr(output.find_last_of('/') + 1);
    return name.substr(0, name.find_last_of('.'));
}

// What the options gave. They are applied once all are read, so every option given wins over the data file.
struct Given {
    RenderCommand cmd;
    std::optional<long> pattern, size, dpi, quality, sensorPixels;
    std::optional<int> colourIndex;
    std::optional<PaletteChoice> palette;
    std::optional<CanvasSize> pixels;
    std::optional<std::pair<double, double>> mm;  // --mm as typed: the pixels come from these, not from 1/1440 inch
    std::optional<PageSize> paper;
    std::string media;
    bool landscape = false, fill = false, highResolution = false, trackingLine = false, suggest = false;
    std::optional<double> overlap, printTimeout;
    bool bleedGiven = false;
    std::optional<std::string> data, profile;
    std::optional<RenderingIntent> intent;
    std::vector<std::pair<std::string*, std::string>> texts;
};

// One option: its names, the form of its value in the usage text (none for a switch), and what it does with
// its value; it returns the one-line message of a value it refuses.
struct CommandOption {
    std::vector<std::string> names;
    std::string value;
    std::function<std::optional<std::string>(Given&, const std::string& name, const std::string& value)> apply;
};

using Refusal = std::optional<std::string>;

// A whole number from `low` to `high` into `field`.
CommandOption WholeOption(std::string name, long low, long high, std::optional<long> Given::*field) {
    const std::string range = std::to_string(low) + "-" + std::to_string(high);
    return {{name}, range, [low, high, field](Given& g, const std::string& option, const std::string& v) -> Refusal {
                g.*field = NumberOf<long>(v);
                if (!(g.*field) || *(g.*field) < low || *(g.*field) > high)
                    return option + ": must be " + std::to_string(low) + " to " + std::to_string(high);
                return std::nullopt;
            }};
}

// A real number from `low` to `high`, handed to `set`.
CommandOption RealOption(std::string name, std::string form, double low, double high,
                         std::function<void(Given&, double)> set) {
    return {{name}, std::move(form), [low, high, set](Given& g, const std::string& option, const std::string& v) -> Refusal {
                const auto value = NumberOf<double>(v);
                if (!value || *value < low || *value > high)
                    return option + ": must be " + NumText(low) + " to " + NumText(high);
                set(g, *value);
                return std::nullopt;
            }};
}

CommandOption Switch(std::string name, bool Given::*field) {
    return {{name}, "", [field](Given& g, const std::string&, const std::string&) -> Refusal {
                g.*field = true;
                return std::nullopt;
            }};
}

CommandOption TextOption(std::string name, std::string PictureParameters::*field) {
    return {{name}, "T", [field](Given& g, const std::string&, const std::string& v) -> Refusal {
                g.texts.emplace_back(&(g.cmd.product.parameters.*field), v);
                return std::nullopt;
            }};
}

// The options in the order the usage text shows them.
const std::vector<CommandOption>& CommandOptions() {
    static const std::vector<CommandOption> options = [] {
        std::vector<CommandOption> o;
        o.push_back({{"-o", "--output"}, Listed(CommandFileNames("FILE"), "|", "|"),
                     [](Given& g, const std::string& option, const std::string& v) -> Refusal {
                         g.cmd.product.file.format = PictureFormatOfExtension(v);
                         if (!CommandWrites(g.cmd.product.file.format))
                             return option + ": the file must end in " + Listed(CommandFileNames(""), ", ", " or ");
                         g.cmd.product.output = v;
                         return std::nullopt;
                     }});
        o.push_back(WholeOption("--pattern", 0, kPatternCount - 1, &Given::pattern));
        o.push_back(WholeOption("--size", kSizeMin, kSizeMax, &Given::size));
        o.push_back(Switch("--hires", &Given::highResolution));
        o.push_back({{"--pixels"}, "WxH", [](Given& g, const std::string& option, const std::string& v) -> Refusal {
                         const auto sides = PairOf<int>(v);
                         if (sides && SideInRange(sides->first) && SideInRange(sides->second))
                             g.pixels = CanvasSize{sides->first, sides->second};
                         else
                             return option + ": must be WxH, each side " + std::to_string(kPictureSideMin) + " to " +
                                    std::to_string(kPictureSideMax) + " pixels";
                         return std::nullopt;
                     }});
        o.push_back({{"--mm"}, "WxH", [](Given& g, const std::string& option, const std::string& v) -> Refusal {
                         g.mm = PairOf<double>(v);
                         if (!g.mm || !(g.mm->first > 0 && g.mm->second > 0) ||
                             !Within({TwipsFromMm(g.mm->first), TwipsFromMm(g.mm->second)}, 0, kPrintedSizeMaxMm))
                             return option + ": must be WIDTHxHEIGHT in mm, each above 0 and at most 5000";
                         return std::nullopt;
                     }});
        o.push_back(WholeOption("--dpi", 1, 65535, &Given::dpi));
        o.back().value = "D";
        o.push_back(WholeOption("--quality", 1, 100, &Given::quality));
        o.push_back({{"--colors"}, Listed(ColourCountTexts(), "|", "|"),
                     [](Given& g, const std::string& option, const std::string& v) -> Refusal {
                         const auto count = NumberOf<long>(v);
                         g.colourIndex = count ? ColourIndexOf(*count) : std::nullopt;
                         if (!g.colourIndex) return option + ": must be " + Listed(ColourCountTexts(), ", ", " or ");
                         return std::nullopt;
                     }});
        o.push_back({{"--palette"}, "default|A|B", [](Given& g, const std::string& option, const std::string& v) -> Refusal {
                         std::optional<PaletteChoice>& palette = g.palette;
                         if (v == "default") palette = PaletteChoice::Default;
                         else if (v == "A" || v == "a") palette = PaletteChoice::A;
                         else if (v == "B" || v == "b") palette = PaletteChoice::B;
                         else return option + ": must be default, A or B";
                         return std::nullopt;
                     }});
        o.push_back(TextOption("--a", &PictureParameters::a));
        o.push_back(TextOption("--b", &PictureParameters::b));
        o.push_back(TextOption("--x0", &PictureParameters::x0));
        o.push_back(TextOption("--x1", &PictureParameters::x1));
        o.push_back(TextOption("--y0", &PictureParameters::y0));
        o.push_back(TextOption("--y1", &PictureParameters::y1));
        o.push_back({{"--data"}, "FILE", [](Given& g, const std::string&, const std::string& v) -> Refusal {
                         g.data = v;
                         return std::nullopt;
                     }});
        o.push_back({{"--threads"}, "N", [](Given& g, const std::string& option, const std::string& v) -> Refusal {
                         const auto threads = NumberOf<long>(v);
                         if (!threads || *threads < 0 || *threads > 1024) return option + ": must be 0 to 1024";
                         g.cmd.product.threads = static_cast<int>(*threads);
                         return std::nullopt;
                     }});
        o.push_back({{"--quiet"}, "", [](Given& g, const std::string&, const std::string&) -> Refusal {
                         g.cmd.quiet = true;
                         return std::nullopt;
                     }});
        std::string papers;
        for (const NamedPaper& paper : kNamedPapers) papers += std::string(paper.name) + "|";
        o.push_back({{"--paper"}, papers + "WxH", [](Given& g, const std::string& option, const std::string& v) -> Refusal {
                         g.paper = PaperSizeNamed(v);
                         if (!g.paper || !Within(*g.paper, kPaperMinMm, kPaperMaxMm))
                             return option + ": must be A4, A3, A5, Letter, Legal, Tabloid or WIDTHxHEIGHT in mm (50 to 2000)";
                         g.media = MediaName(v, *g.paper);
                         return std::nullopt;
                     }});
        o.push_back(Switch("--landscape", &Given::landscape));
        o.push_back(Switch("--fill", &Given::fill));
        o.push_back({{"--overlap"}, "MM", [](Given& g, const std::string& option, const std::string& v) -> Refusal {
                         g.overlap = NumberOf<double>(v);
                         if (!g.overlap || !(*g.overlap >= 0 && *g.overlap <= kPosterOverlapMaxMm))
                             return option + ": must be 0 to 100 mm";
                         return std::nullopt;
                     }});
        o.push_back({{"--print"}, "PRINTER", [](Given& g, const std::string& option, const std::string& v) -> Refusal {
                         if (v.empty()) return option + ": needs a printer name";
                         g.cmd.product.printer = v;
                         return std::nullopt;
                     }});
        o.push_back({{"--print-timeout"}, "S", [](Given& g, const std::string& option, const std::string& v) -> Refusal {
                         g.printTimeout = NumberOf<double>(v);
                         if (!g.printTimeout || !(*g.printTimeout > 0) || *g.printTimeout > kPrintTimeoutMaxSeconds)
                             return option + ": must be above 0 and at most 3600 seconds";
                         return std::nullopt;
                     }});
        o.push_back({{"--bleed"}, "MM", [](Given& g, const std::string& option, const std::string& v) -> Refusal {
                         const std::optional<double> mm = NumberOf<double>(v);
                         if (!mm || !(*mm >= 0 && *mm <= kBleedMaxMm)) return option + ": must be 0 to 20 mm";
                         g.cmd.product.file.bleedMm = *mm;
                         g.bleedGiven = true;
                         return std::nullopt;
                     }});
        o.push_back({{"--crop-marks"}, "", [](Given& g, const std::string&, const std::string&) -> Refusal {
                         g.cmd.product.file.cropMarks = true;
                         return std::nullopt;
                     }});
        o.push_back(Switch("--tracking", &Given::trackingLine));
        o.push_back(Switch("--suggest", &Given::suggest));
        o.push_back({{"--tracking-map"}, "FILE.png", [](Given& g, const std::string& option, const std::string& v) -> Refusal {
                         if (PictureFormatOfExtension(v) != PictureFormat::Png) return option + ": the file must end in .png";
                         g.cmd.trackingMap = v;
                         return std::nullopt;
                     }});
        o.push_back(WholeOption("--sensor-pixels", kMinFramePixels, kMaxFramePixels, &Given::sensorPixels));
        o.push_back(RealOption("--sensor-um", "U", 10, 1000, [](Given& g, double um) { g.cmd.product.sensor.pixelMm = um / 1000; }));
        o.push_back(RealOption("--flat-below", "G", 0, 1, [](Given& g, double grey) { g.cmd.product.sensor.flatBelow = grey; }));
        o.push_back({{"--profile"}, "FILE.icc|none", [](Given& g, const std::string&, const std::string& v) -> Refusal {
                         g.profile = v;
                         return std::nullopt;
                     }});
        std::vector<std::string> intents;
        for (const RenderingIntentName& intent : kRenderingIntents) intents.emplace_back(intent.name);
        o.push_back({{"--intent"}, Listed(intents, "|", "|"),
                     [intents](Given& g, const std::string& option, const std::string& v) -> Refusal {
                         g.intent = RenderingIntentNamed(v);
                         if (!g.intent) return option + ": must be " + Listed(intents, ", ", " or ");
                         return std::nullopt;
                     }});
        o.push_back({{"--gamut"}, "", [](Given& g, const std::string&, const std::string&) -> Refusal {
                         g.cmd.gamut = true;
                         return std::nullopt;
                     }});
        o.push_back(RealOption("--peak-margin", "M", 0, 2, [](Given& g, double margin) { g.cmd.product.sensor.peakMargin = margin; }));
        return o;
    }();
    return options;
}

const CommandOption* OptionNamed(const std::string& name) {
    for (const CommandOption& option : CommandOptions())
        if (std::ranges::find(option.names, name) != option.names.end()) return &option;
    return nullptr;
}

}  // namespace

std::string RenderUsage() {
    // The options' forms, filled into lines of at most 100 characters.
    std::string usage = "usage: velmora-render", line = usage;
    for (const CommandOption& option : CommandOptions()) {
        std::string form = option.names.front() + (option.value.empty() ? "" : " " + option.value);
        if (option.names.front() != "-o") form = "[" + form + "]";
        if (line.size() + 1 + form.size() > 100) {
            usage += "\n      ";
            line = "      ";
        }
        usage += " " + form;
        line += " " + form;
    }
    return usage +
           "\nThe picture is --pixels if given, else the size of --size, else --mm (the picture's size in mm)\n"
           "at --dpi (300 by default), else size 37; files record that resolution.\n"
           "PDF pages and print jobs: --paper sets the sheet (WxH in mm); --mm the picture's size on paper\n"
           "(without it, page width); --fill covers that size instead of fitting the whole picture; a size\n"
           "larger than the sheet prints as a poster whose pages overlap by --overlap mm (10). Without\n"
           "--paper the page is the picture's own size (--mm, or the picture at --dpi).\n"
           "--print looks the printer up before drawing; the printing system may stay silent for\n"
           "--print-timeout seconds (" + NumText(kPrintTimeoutSeconds) + ") before the job fails; a job taken\n"
           "says \"sent to QUEUE: job N, P pages\" unless --quiet.\n"
           "--bleed (0 to 20 mm) extends the picture past that size on every side, for a print shop to cut\n"
           "to it; a PDF then marks the cut with its trim box, and --crop-marks draws trim marks around it.\n"
           "--tracking checks how a mouse tracks on the picture printed as --paper, --mm and --dpi say\n"
           "(without them, at page width on A4) and needs no -o; below 95 % an advice line follows for\n"
           "each cause, and with --suggest a line for each change tried that tracks better, the best\n"
           "first; --tracking-map writes its map.\n"
           "--profile converts the picture through a printer's ICC profile (from the print shop or the\n"
           "printer's maker) with --intent (relative colorimetric with black-point compensation, or\n"
           "perceptual): CMYK for TIFF, JPEG and PDF, which embed it. --gamut prints the share of the\n"
           "surface whose colour moves by more than \u0394E2000 5 when printed, and the largest shift.\n"
           "--data applies the profile the window chose with the product; --profile none keeps the\n"
           "picture's sRGB colours.\n";
}

ParseResult ParseRenderCommand(const std::vector<std::string>& args) {
    ParseResult result;
    Given g;
    Product& product = g.cmd.product;
    product.parameters = StartupParameters();
    auto fail = [&](const std::string& message) {
        result.error = OneLine(message);
        return result;
    };

    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        if (name.rfind("--", 0) == 0 && name.find('=') != std::string::npos) {
            value = name.substr(name.find('=') + 1);
            name = name.substr(0, name.find('='));
        }
        if (name == "-h" || name == "--help") {
            if (value) return fail(name + ": takes no value");
            result.help = true;
            return result;
        }
        const CommandOption* option = OptionNamed(name);
        if (!option) return fail(name + ": unknown option");
        if (option->value.empty() && value) return fail(name + ": takes no value");
        if (!option->value.empty() && !value) {
            if (i + 1 >= args.size()) return fail(name + ": needs a value");
            value = args[++i];
        }
        if (auto refusal = option->apply(g, name, value.value_or(""))) return fail(*refusal);
    }
    if (g.suggest && !g.trackingLine) return fail("--suggest: needs --tracking");
    const bool tracking = g.trackingLine || !g.cmd.trackingMap.empty();
    if (product.output.empty() && product.printer.empty() && !tracking && !g.cmd.gamut)
        return fail("-o: an output file (--print, --tracking or --gamut) is required");
    // "--profile none" keeps the picture's sRGB colours, also against a profile stored in --data.
    const bool noProfile = g.profile == "none";
    if (g.intent && (!g.profile || noProfile)) return fail("--intent: needs --profile");
    if (g.cmd.gamut && (!g.profile || noProfile)) return fail("--gamut: needs --profile");
    if (g.profile && !noProfile) {
        auto loaded = OutputProfile::Load(*g.profile, g.intent.value_or(RenderingIntent::Relative));
        if (auto* refusal = std::get_if<std::string>(&loaded)) return fail("--profile: " + *g.profile + ": " + *refusal);
        product.file.profile = std::get<std::shared_ptr<const OutputProfile>>(loaded);
    }
    const bool pages = product.file.format == PictureFormat::Pdf || !product.printer.empty();
    const char* pageOption = g.paper ? "--paper" : g.landscape ? "--landscape" : g.fill ? "--fill"
                             : g.overlap ? "--overlap" : nullptr;
    if (!pages && !tracking && pageOption) return fail(std::string(pageOption) + ": only for a PDF file, --print or --tracking");
    if (g.landscape && !g.paper) return fail("--landscape: needs --paper");
    if (g.overlap && !g.paper) return fail("--overlap: needs --paper");
    if (g.fill && !g.mm) return fail("--fill: needs --mm");
    if (g.printTimeout && product.printer.empty()) return fail("--print-timeout: needs --print");
    if (product.file.bleedMm > 0 && g.paper) return fail("--bleed: not with --paper; the page is the picture's own size");
    if (product.file.cropMarks && (product.file.format != PictureFormat::Pdf || g.paper))
        return fail("--crop-marks: only for a PDF file of the picture's own size");

    PictureParameters& s = product.parameters;
    PictureFileOptions& file = product.file;
    if (g.data) {
        DataFileExtras extras;
        const auto error = ApplyDataFile(s, *g.data, &extras);
        if (error) return fail("--data: " + *error);
        g.cmd.strip = extras.strip;
        // The product stored last gives the picture's size when the command line gives none.
        if (const auto& stored = extras.product; stored && !g.pixels && !g.size && !g.mm) {
            const PageSize trim{TwipsFromMm(stored->widthMm), TwipsFromMm(stored->heightMm)};
            if (!Within(trim, 0, kPrintedSizeMaxMm) || stored->dpi > 65535)
                return fail("--data: the stored product's size or resolution is out of range");
            g.mm.emplace(stored->widthMm, stored->heightMm);
            file.dpi = stored->dpi;
            if (!g.bleedGiven && !g.paper && stored->bleedMm >= 0 && stored->bleedMm <= kBleedMaxMm)
                file.bleedMm = stored->bleedMm;
        }
        // The colour profile chosen with the product, unless the command line chooses one or none.
        if (const auto& stored = extras.product; stored && !stored->profile.empty() && !g.profile) {
            auto loaded = OutputProfile::Load(stored->profile, RenderingIntent::Relative);
            if (auto* refusal = std::get_if<std::string>(&loaded))
                return fail("--data: the stored colour profile " + stored->profile + ": " + *refusal +
                            " (--profile FILE.icc or --profile none chooses another)");
            file.profile = std::get<std::shared_ptr<const OutputProfile>>(loaded);
        }
    }
    if (g.highResolution) s.highResolution = 1;
    if (g.pattern) ApplyPattern(s, static_cast<int>(*g.pattern));
    if (g.size) s.sizeValue = static_cast<int>(*g.size);
    if (g.colourIndex) s.colourIndex = *g.colourIndex;
    if (g.palette) s.palette = *g.palette;
    for (auto& [target, text] : g.texts) *target = text;
    if (s.colourIndex < 0) return fail("--data: the file selects no colour count; add --colors");

    if (g.dpi) file.dpi = static_cast<double>(*g.dpi);
    if (g.sensorPixels) product.sensor.framePixels = static_cast<int>(*g.sensorPixels);
    if (g.quality) file.quality = static_cast<int>(*g.quality);
    if (g.mm) {
        file.widthMm = g.mm->first;
        file.heightMm = g.mm->second;
    }
    if (g.pixels) {
        product.pixels = *g.pixels;
    } else if (g.size || !g.mm) {
        product.pixels = SizeForValue(s.sizeValue);
    } else {
        const auto [w, h] = *g.mm;
        product.pixels = PixelsForMillimetres(w, h, file.dpi);
        if (!SideInRange(product.pixels.width) || !SideInRange(product.pixels.height))
            return fail("--mm: " + SizeText(w, h) + " mm at " + NumText(file.dpi) + " dpi is " +
                        SizeText(RoundHalfEven(w / 25.4 * file.dpi), RoundHalfEven(h / 25.4 * file.dpi)) +
                        " pixels; each side must be " + std::to_string(kPictureSideMin) + " to " +
                        std::to_string(kPictureSideMax));
    }
    if (!product.output.empty())
        if (auto limit = ProfileLimit(file.format, file.profile.get())) return fail("-o: " + *limit);
    if (auto limit = FormatLimit(file.format, product.pixels))
        return fail("-o: " + std::to_string(product.pixels.width) + " x " + std::to_string(product.pixels.height) +
                    " pixels: " + *limit);
    file.title = JobTitle(product.output);
    if (g.paper) {
        PrintChoices& choices = product.paper.emplace();
        choices.paper = WholeSheet(*g.paper);
        choices.orientation = g.landscape ? PaperOrientation::Landscape : PaperOrientation::Portrait;
        choices.cover = g.fill ? PrintCover::Fill : PrintCover::WholePicture;
        choices.overlap = TwipsFromMm(g.overlap.value_or(kPosterOverlapMm));
        if (g.mm) {
            choices.scale = PrintScale::Actual;
            choices.size = {TwipsFromMm(g.mm->first), TwipsFromMm(g.mm->second)};
        }
    }
    product.media = g.media;
    product.physicalSize = g.paper || g.mm || g.dpi;
    product.tracking = tracking;
    g.cmd.trackingLine = g.trackingLine;
    g.cmd.suggest = g.suggest;
    if (g.printTimeout) g.cmd.printTimeout = *g.printTimeout;
    if (pages && PagesOf(product).pages.size() > kMostPages)
        return fail("--mm: the poster would need " + std::to_string(PagesOf(product).pages.size()) +
                    " pages (at most 1000)");
    result.command = g.cmd;
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

// The sensor check of the picture as it prints, on a picture of its own drawn only where its frames read it. It
// runs on a thread beside the file and the print job, which leave a core free while they encode; `Finish` waits
// for its result.
class TrackingCheck {
public:
    TrackingCheck(const Product& product, const PictureExport& job)
        : picture_(WalkCovering(job.whole, job.pixels, job.dot), job.pixels.width, job.pixels.height, job.dot,
                   job.colours),
          thread_([this, &product] {
              const auto start = std::chrono::steady_clock::now();
              result_ = CheckTracking(picture_, PrintedSizeOf(product), product.sensor, product.threads, &stop_);
              seconds_ = std::chrono::steady_clock::now() - start;
          }) {}
    // Stops a check whose result is no longer wanted.
    ~TrackingCheck() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    TrackingCheck(const TrackingCheck&) = delete;
    TrackingCheck& operator=(const TrackingCheck&) = delete;

    const TrackingResult& Finish() {
        thread_.join();
        return result_;
    }
    const PointPicture& Picture() const { return picture_; }
    double Seconds() const { return seconds_.count(); }

private:
    const PointPicture picture_;
    std::atomic<bool> stop_{false};
    TrackingResult result_;
    std::chrono::duration<double> seconds_{};
    std::thread thread_;
};

// The check's line and, below good tracking, the advice and the changes tried that track better on standard
// output, its map into a file.
int ReportTracking(const RenderCommand& command, TrackingCheck& check, const ColorTable& table) {
    const Product& product = command.product;
    const PrintedSize printed = PrintedSizeOf(product);
    const TrackingResult& result = check.Finish();
    const PointPicture& picture = check.Picture();
    if (!command.quiet) std::fprintf(stderr, "tracking check: %.3f s, drawing included\n", check.Seconds());
    if (command.trackingLine) {
        const double dpi = picture.Width() / (printed.widthMm / kMmPerInch);
        std::printf("%s\n", TrackingLine(result, product.sensor, dpi).c_str());
        for (const std::string& advice : TrackingAdvice(result, PrintedDotOf(product), product.sensor))
            std::printf("advice: %s\n", advice.c_str());
        if (command.suggest && result.FrameCount() > 0) {
            // A picture given its own size in millimetres keeps that size at any resolution tried.
            const PictureFileOptions& file = product.file;
            const PrintedSize asked = file.widthMm > 0 && file.heightMm > 0 && !product.paper
                                          ? PrintedSize{MmFromTwips(TwipsFromMm(file.widthMm)),
                                                        MmFromTwips(TwipsFromMm(file.heightMm))}
                                          : printed;
            const CheckedPicture checked{product.parameters, product.pixels, asked,
                                         product.physicalSize ? file.dpi : 0};
            for (const Suggestion& s : SuggestChanges(checked, table, result.tracks, product.sensor, product.threads))
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
    PngPieces pieces(RowsOf(Raster{map.data(), width, height, width}), PngLayout{colours, 0, product.threads});
    if (auto error = WriteFileAtomically(command.trackingMap, [&] { return pieces.Next(); }))
        return CannotWrite(command.trackingMap, *error, product.output);
    return 0;
}

}  // namespace

int RunRenderCommand(const RenderCommand& command) {
    const Product& product = command.product;
    // Whatever can fail is asked before the work of rendering and before any file is replaced: each target may
    // be replaced and its folder takes a new file (a writer that never commits leaves nothing), and the printer
    // is listed by a printing system that answers.
    for (const std::string* path : {&product.output, &command.trackingMap})
        if (!path->empty()) {
            if (auto refusal = WriteRefusal(*path)) return CannotWrite(*path, *refusal);
            if (auto refusal = AtomicFileWriter(*path).Error()) return CannotWrite(*path, *refusal);
        }
    if (!product.printer.empty())
        if (auto refusal = CheckPrintQueue(product.printer, command.printTimeout))
            return Failed(RefusalText(*refusal, product.printer));
    const PictureParameters& s = product.parameters;

    ColorTable table;
    coltable(table);
    const DefaultStrip defaultStrip;
    const std::optional<StoredStripImage> storedStrip =
        command.strip ? std::optional<StoredStripImage>(*command.strip) : std::nullopt;
    const StripImage& strip = storedStrip ? static_cast<const StripImage&>(*storedStrip) : defaultStrip;
    if (s.palette == PaletteChoice::A) coltableB(table, strip);
    if (s.palette == PaletteChoice::B) coltableA(table, strip);
    // The file, the print job and the sensor check are one picture: the check's drawing copies the generator
    // as it stands before the file's drawing moves it on.
    UniformSource random = ProgramRandom();
    PictureExport job = DrawingOf(product, table.column[static_cast<std::size_t>(s.colourIndex)].data(), &random,
                                  s.randomExponent);
    const bool showProgress = !command.quiet && ::isatty(STDERR_FILENO);
    ProgressLine line;
    if (showProgress)
        job.progress = [&line](double done) {
            line.Show(done);
            return false;
        };
    const auto engine = command.scalarKernels ? MakeInlineEngine() : nullptr;
    // Set off before the file is drawn, while the random generator stands where the drawing starts.
    std::optional<TrackingCheck> tracking;
    if (product.tracking) tracking.emplace(product, job);

    ColourHistogram histogram;
    int printJob = 0;  // the printing system's number for the job taken
    if (!product.output.empty() || !product.printer.empty()) {
        // The picture is drawn once: the file, the print job and the colour figure read the same rows side by
        // side.
        ExportRows picture(job, engine.get());
        std::vector<std::function<void(const PictureRows&)>> readers;
        ExportResult written;
        if (!product.output.empty()) {
            std::vector<Pixel> colours;
            if (job.file.format == PictureFormat::Png) colours = picture.Colours();
            readers.push_back([&, colours](const PictureRows& rows) {
                try {
                    written = WriteRows(product.output, rows, [&colours] { return colours; }, job, [] { return false; });
                } catch (const std::bad_alloc&) {
                    written = {false, std::string("not enough memory")};
                } catch (const std::exception& error) {
                    written = {false, std::string(error.what())};
                }
            });
        }
        std::optional<PrintRefusal> refused;
        if (!product.printer.empty())
            readers.push_back([&](const PictureRows& rows) {
                const auto& profile = job.file.profile;
                PdfPieces pieces(profile ? PrintedRows(rows, profile, product.threads) : rows, *job.file.pages,
                                 job.file.title, profile ? &profile->File() : nullptr);
                refused = PrintPdf(product.printer, job.file.title, product.media, [&] { return pieces.Next(); },
                                   command.printTimeout, &printJob);
            });
        if (command.gamut)
            readers.push_back([&](const PictureRows& rows) { histogram = HistogramOf(rows); });
        try {
            if (readers.size() == 1) readers.front()(picture.Rows());
            else ReadTogether(picture.Rows(), picture.BandHeight(), readers);
        } catch (const std::exception& error) {
            return Failed(error.what());
        }
        if (written.error) return CannotWrite(product.output, *written.error);
        if (refused) return Failed(RefusalText(*refused, product.printer), product.output);
    }
    if (command.gamut && product.output.empty() && product.printer.empty())
        histogram = HistogramOf(ExportRows(job, engine.get()).Rows());
    if (showProgress) line.Finish();
    if (!product.printer.empty() && !command.quiet) {
        std::printf("%s\n", SentText(product.printer, printJob, job.file.pages->pages.size()).c_str());
        std::fflush(stdout);
    }
    if (command.gamut) {
        std::printf("%s\n", GamutLine(GamutFigureOf(*product.file.profile, histogram)).c_str());
        std::fflush(stdout);
    }
    return tracking ? ReportTracking(command, *tracking, table) : 0;
}

}  // namespace velmora
