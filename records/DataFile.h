#pragma once
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "common/Colour.h"
#include "palette/ColorTable.h"
#include "records/Profile.h"
#include "render/PictureParameters.h"

namespace velmora {

// The "App" value of a parameter data file: product name and version.
inline constexpr const char* kDataFileApp = "Velmora Generator1.1Rev6";

// What a parameter data file is named after the name box's text.
inline constexpr const char* kDataFileSuffix = "_dat.txt";

// Where the data file for the name box's text goes: into `folder`.
std::string DataFilePath(const std::string& folder, const std::string& nameText);

// The two rows of a palette strip that the strip palettes sample (rows 1 and
// 2), kept when a picture was dropped on the strip.
struct StripRows {
    std::array<std::array<ColorValue, kStripWidth>, 2> rows{};

    bool operator==(const StripRows&) const = default;
};

// A strip image holding the stored rows: row 0 reads as row 1, rows below 2 as row 2.
class StoredStripImage final : public StripImage {
public:
    explicit StoredStripImage(const StripRows& rows) : rows_(rows) {}
    ColorValue PixelAt(int x, int y) const override;

private:
    StripRows rows_;
};

// The product chosen last in the print or export dialog: its trim size, the
// resolution it is drawn at, the bleed beyond the trim and the colour profile
// the file is tagged with (empty for none).
struct ProductChoice {
    double widthMm = 0, heightMm = 0;
    double dpi = 300;
    double bleedMm = 0;
    std::string profile;

    bool operator==(const ProductChoice&) const = default;
};

// What a data file holds besides the picture's parameters.
struct DataFileExtras {
    std::optional<StripRows> strip;        // a picture was dropped on the strip
    bool defaultStrip = false;             // on load: the file names the default strip
    std::optional<ProductChoice> product;  // a product was chosen
};

// The keys a save writes, in their order, with `dateText` as the save time:
// the pattern, resolution, colour choice and the six texts of `parameters`,
// then the canvas size and the palette choice, whether the strip is the
// default one, the strip's rows in section "Strip" when it is not, and the
// product in section "Product" when one was chosen.
std::vector<ProfileEntry> DataFileEntries(const PictureParameters& parameters, const std::string& dateText,
                                          const DataFileExtras& extras = {});

// Loads the data file in Module_ini::IniFileName into `parameters` as the
// window does: the pattern first (its preset), then the resolution, colour
// choice and texts. A choice is left as it was when its stored number is one
// the control cannot take (pattern outside the patterns, HiRes other than 0
// to 2, colour outside -1 to 7, beyond 16 bits); a missing key reads as
// "no ent", whose number is 0. The canvas size and the palette choice change
// only when the file holds a value the controls can take.
void ApplyStoredParameters(PictureParameters& parameters);

// The strip rows and the product stored in Module_ini::IniFileName. The strip
// is nothing when the file names the default strip or stores no strip; a strip
// or product whose values cannot all be read is nothing too.
DataFileExtras StoredExtras();

// Loads the data file at `path` into `parameters` by the window's load rules.
// Returns the reason when the file cannot be read at all.
// `extras`, when given, receives the strip and product the file stores.
std::optional<std::string> ApplyDataFile(PictureParameters& parameters, const std::string& path,
                                         DataFileExtras* extras = nullptr);

}  // namespace velmora
