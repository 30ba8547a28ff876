#include "formats/PdfWriter.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <new>

#include "common/Numbers.h"
#include "formats/ColourProfile.h"

namespace velmora {

namespace {

constexpr std::size_t kPieceBytes = 256 * 1024;
constexpr double kTwipsPerPoint = 20;
constexpr int kLeastTile = 32;  // pixels

// A length in points with at most four decimals and no trailing zeros.
std::string Points(double twips) {
    std::string s = FixedText(twips / kTwipsPerPoint, 4);
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.') s.pop_back();
    return s == "-0" ? "0" : s;
}

// The name a page gives the i-th tile it draws.
std::string TileName(std::size_t i) { return i ? "/Im" + std::to_string(i) : std::string("/Im"); }

// A PDF string of `utf8` in the standard Latin encoding: characters outside Latin-1 become '?', and
// everything beyond printable ASCII is written as an octal escape.
std::string PdfString(const std::string& utf8) {
    std::string s = "(";
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        auto c = static_cast<unsigned char>(utf8[i]);
        if (c >= 0x80) {
            const bool latin1 = (c == 0xC2 || c == 0xC3) && i + 1 < utf8.size() &&
                                (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80;
            if (latin1) {
                c = static_cast<unsigned char>(((c & 0x03) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
            } else {
                while (i + 1 < utf8.size() && (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80) ++i;
                c = '?';
            }
        }
        if (c == '(' || c == ')' || c == '\\') {
            s += '\\';
            s += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\%03o", c);
            s += escaped;
        } else {
            s += static_cast<char>(c);
        }
    }
    return s + ")";
}

// Text for an XML element.
std::string XmlText(const std::string& text) {
    std::string s;
    for (const char c : text) {
        if (c == '<') s += "&lt;";
        else if (c == '>') s += "&gt;";
        else if (c == '&') s += "&amp;";
        else if (static_cast<unsigned char>(c) >= 0x20 || c == '\t') s += c;
    }
    return s;
}

// The document's identifier, 32 hexadecimal digits: its name and time of making, mixed, so the same pages
// make the same file.
std::string DocumentId(const std::string& title, std::time_t made) {
    std::uint64_t halves[2] = {0xcbf29ce484222325u, 0x84222325cbf29ce4u};
    const std::string seed = title + '\0' + std::to_string(made);
    for (std::uint64_t& h : halves)
        for (const char c : seed) h = (h ^ static_cast<unsigned char>(c)) * 0x100000001b3u;
    char text[40];
    std::snprintf(text, sizeof text, "%016llx%016llx", static_cast<unsigned long long>(halves[0]),
                  static_cast<unsigned long long>(halves[1]));
    return text;
}

}  // namespace

// One Flate stream, compressed a row at a time into the piece being made.
class PdfPieces::Deflater {
public:
    Deflater() {
        if (deflateInit(&stream_, 1) != Z_OK) throw std::bad_alloc();
    }
    ~Deflater() { deflateEnd(&stream_); }
    void Add(const unsigned char* bytes, std::size_t count, bool last, std::string& out) {
        stream_.next_in = const_cast<unsigned char*>(bytes);
        stream_.avail_in = static_cast<uInt>(count);
        const int flush = last ? Z_FINISH : Z_NO_FLUSH;
        unsigned char buffer[64 * 1024];
        int status = Z_OK;
        do {
            stream_.next_out = buffer;
            stream_.avail_out = sizeof buffer;
            status = deflate(&stream_, flush);
            if (status == Z_STREAM_ERROR) throw std::bad_alloc();
            out.append(reinterpret_cast<const char*>(buffer), sizeof buffer - stream_.avail_out);
        } while (stream_.avail_out == 0 || (last && status != Z_STREAM_END));
    }

private:
    z_stream stream_{};
};

PdfPieces::PdfPieces(PictureRows picture, PageLayout layout, std::string title, const ColourProfile* profile)
    : picture_(std::move(picture)), layout_(std::move(layout)), title_(std::move(title)),
      profile_(profile ? profile : &FileColourProfile()),
      made_(PrintReady() ? std::optional<std::time_t>(std::time(nullptr)) : std::nullopt),
      id_(DocumentId(title_, made_.value_or(0))) {
    CutIntoTiles();
    offsets_.assign(static_cast<std::size_t>(objectCount_) + 1, 0);
}

void PdfPieces::CutIntoTiles() {
    // The picture is cut at every column and row where a page's part begins or ends, except within
    // kLeastTile pixels of the cut before or of the picture's end: pages whose parts end a pixel apart (a partly
    // covered pixel) share a tile rather than make slivers. A tile reaching beyond a page's part lies outside
    // its clip.
    std::vector<int> columns, rows;
    for (const PrintedPage& page : layout_.pages)
        if (page.part.width > 0 && page.part.height > 0) {
            columns.insert(columns.end(), {page.part.x, page.part.x + page.part.width});
            rows.insert(rows.end(), {page.part.y, page.part.y + page.part.height});
        }
    for (std::vector<int>* cuts : {&columns, &rows}) {
        if (cuts->empty()) continue;
        std::sort(cuts->begin(), cuts->end());
        std::vector<int> kept{cuts->front()};
        for (const int cut : *cuts)
            if (cut - kept.back() >= kLeastTile && cuts->back() - cut >= kLeastTile) kept.push_back(cut);
        if (cuts->back() != kept.back()) kept.push_back(cuts->back());
        *cuts = std::move(kept);
    }
    // The cells [first, last) that hold the pixels [from, to).
    const auto cells = [](const std::vector<int>& cuts, int from, int to) {
        const auto first = std::upper_bound(cuts.begin(), cuts.end(), from) - cuts.begin() - 1;
        return std::pair{first, std::lower_bound(cuts.begin(), cuts.end(), to) - cuts.begin()};
    };
    // The tile of each cell, once a page has drawn it. A tile reaches a pixel into the cells right of and below
    // it: a page that holds them draws them over it, and on a page that does not, that pixel lies outside the
    // page's part and so outside its clip.
    std::vector<std::size_t> cellTile(columns.size() * rows.size(), SIZE_MAX);

    // 1 catalogue, 2 page tree, 3 font, 4 document information, 5 colour profile, 6 metadata, then each page's
    // objects followed by the tiles it draws first.
    objectCount_ = 6;
    for (const PrintedPage& page : layout_.pages) {
        PageObjects o;
        o.page = ++objectCount_;
        o.content = ++objectCount_;
        if (page.part.width > 0 && page.part.height > 0) {
            const auto [c0, c1] = cells(columns, page.part.x, page.part.x + page.part.width);
            const auto [r0, r1] = cells(rows, page.part.y, page.part.y + page.part.height);
            for (std::ptrdiff_t r = r0; r < r1; ++r)
                for (std::ptrdiff_t c = c0; c < c1; ++c) {
                    std::size_t& tile = cellTile[static_cast<std::size_t>(r) * columns.size() + c];
                    if (tile == SIZE_MAX) {
                        const int x = columns[c], y = rows[r];
                        const int right = columns[c + 1] + (c + 2 < std::ssize(columns) ? 1 : 0);
                        const int bottom = rows[r + 1] + (r + 2 < std::ssize(rows) ? 1 : 0);
                        tile = tiles_.size();
                        tiles_.push_back({{x, y, right - x, bottom - y}, ++objectCount_, ++objectCount_});
                    }
                    o.tiles.push_back(tile);
                }
        }
        o.tilesEnd = tiles_.size();
        objects_.push_back(std::move(o));
    }
}

PdfPieces::~PdfPieces() = default;

std::string_view PdfPieces::Next() {
    written_ += out_.size();
    out_.clear();
    while (stage_ != Stage::Done && out_.size() < kPieceBytes) Step();
    return out_;
}

void PdfPieces::BeginObject(int number) {
    offsets_[static_cast<std::size_t>(number)] = written_ + out_.size();
    out_ += std::to_string(number) + " 0 obj\n";
}

void PdfPieces::Step() {
    switch (stage_) {
        case Stage::Header: {
            const ColourProfile& profile = *profile_;
            const std::string version = PrintReady() ? "/GTS_PDFXVersion (PDF/X-4) " : "";
            std::string dates;
            if (made_) {
                char made[24];
                std::tm utc{};
                std::strftime(made, sizeof made, "%Y%m%d%H%M%SZ", gmtime_r(&*made_, &utc));
                dates = std::string("/CreationDate (D:") + made + ") /ModDate (D:" + made + ") ";
            }
            out_ += "%PDF-1.6\n%\xE2\xE3\xCF\xD3\n";
            BeginObject(1);
            out_ += "<< /Type /Catalog /Pages 2 0 R /Metadata 6 0 R /OutputIntents [ << /Type /OutputIntent /S "
                    "/GTS_PDFX /OutputConditionIdentifier " + PdfString(profile.name) + " /Info " +
                    PdfString(profile.name) +
                    (profile.registry.empty() ? "" : " /RegistryName " + PdfString(profile.registry)) +
                    " /DestOutputProfile 5 0 R >> ] >>\nendobj\n";
            BeginObject(2);
            out_ += "<< /Type /Pages /Count " + std::to_string(objects_.size()) + " /Kids [";
            for (const PageObjects& o : objects_) out_ += " " + std::to_string(o.page) + " 0 R";
            out_ += " ] >>\nendobj\n";
            BeginObject(3);
            out_ += "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>\nendobj\n";
            BeginObject(4);
            out_ += "<< /Title " + PdfString(title_) + " /Producer (Velmora Generator) /Creator (Velmora Generator) "
                    + dates + "/Trapped /False " + version +
                    ">>\nendobj\n";
            BeginObject(5);
            out_ += "<< /N " + std::to_string(profile.components) + " /Alternate " +
                    (profile.components == 4 ? "/DeviceCMYK" : "/DeviceRGB") + " /Length " +
                    std::to_string(profile.icc.size()) + " >>\nstream\n" + profile.icc + "\nendstream\nendobj\n";
            const std::string xmp = Metadata();
            BeginObject(6);
            out_ += "<< /Type /Metadata /Subtype /XML /Length " + std::to_string(xmp.size()) + " >>\nstream\n" + xmp +
                    "\nendstream\nendobj\n";
            stage_ = objects_.empty() ? Stage::Trailer : Stage::Page;
            return;
        }
        case Stage::Page:
            WritePage(page_);
            return;
        case Stage::Image:
            WriteImageHeader();
            return;
        case Stage::ImageRows:
            WriteImageRows();
            return;
        case Stage::Trailer:
            WriteTrailer();
            stage_ = Stage::Done;
            return;
        case Stage::Done:
            return;
    }
}

void PdfPieces::WritePage(std::size_t index) {
    const PrintedPage& page = layout_.pages[index];
    const PageObjects& o = objects_[index];
    const double sheetHeight = layout_.sheet.height;
    // Page coordinates run from the sheet's top-left corner down; PDF's run from the bottom-left corner up.
    const auto x = [](double twips) { return Points(twips); };
    const auto y = [sheetHeight](double twips) { return Points(sheetHeight - twips); };

    std::string content;
    if (!o.tiles.empty()) {
        const PageRect& c = page.clip;
        const PageRect& p = page.placed;
        content += "q\n" + x(c.left) + " " + y(c.Bottom()) + " " + x(c.width) + " " + x(c.height) + " re W n\n";
        const double across = p.width / page.part.width, down = p.height / page.part.height;
        for (std::size_t i = 0; i < o.tiles.size(); ++i) {
            const PicturePart& t = tiles_[o.tiles[i]].part;
            const PageRect at = t == page.part ? p
                                               : PageRect{p.left + (t.x - page.part.x) * across,
                                                          p.top + (t.y - page.part.y) * down, t.width * across,
                                                          t.height * down};
            const std::string draw = x(at.width) + " 0 0 " + x(at.height) + " " + x(at.left) + " " +
                                     y(at.Bottom()) + " cm\n" + TileName(i) + " Do";
            content += o.tiles.size() == 1 ? draw + "\n" : "q " + draw + " Q\n";
        }
        content += "Q\n";
    }
    if (!page.marks.empty()) {
        content += "0 G 0.3 w\n";
        for (const PageLine& line : page.marks)
            content += x(line.x1) + " " + y(line.y1) + " m " + x(line.x2) + " " + y(line.y2) + " l S\n";
    }
    if (page.label) {
        const PageLabel& label = *page.label;
        content += "BT 0 g /F " + x(label.size) + " Tf " + x(label.x) + " " + y(label.y) + " Td " +
                   PdfString(label.text) + " Tj ET\n";
    }

    const auto box = [&](const char* name, const PageRect& r) {
        return std::string(" /") + name + " [" + x(r.left) + " " + y(r.Bottom()) + " " + x(r.Right()) + " " +
               y(r.top) + "]";
    };
    BeginObject(o.page);
    out_ += "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + x(layout_.sheet.width) + " " + x(sheetHeight) + "]";
    if (page.bleed) out_ += box("BleedBox", *page.bleed);
    if (page.trim) out_ += box("TrimBox", *page.trim);
    out_ += " /Resources <<";
    if (page.label) out_ += " /Font << /F 3 0 R >>";
    if (!o.tiles.empty()) {
        out_ += " /XObject <<";
        for (std::size_t i = 0; i < o.tiles.size(); ++i)
            out_ += " " + TileName(i) + " " + std::to_string(tiles_[o.tiles[i]].image) + " 0 R";
        out_ += " >>";
    }
    out_ += " >> /Contents " + std::to_string(o.content) + " 0 R >>\nendobj\n";
    BeginObject(o.content);
    out_ += "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "endstream\nendobj\n";

    NextPageOrTile();
}

void PdfPieces::NextPageOrTile() {
    if (tile_ < objects_[page_].tilesEnd) {
        stage_ = Stage::Image;
        return;
    }
    ++page_;
    stage_ = page_ < objects_.size() ? Stage::Page : Stage::Trailer;
}

void PdfPieces::WriteImageHeader() {
    const TileObjects& tile = tiles_[tile_];
    BeginObject(tile.image);
    out_ += "<< /Type /XObject /Subtype /Image /Width " + std::to_string(tile.part.width) + " /Height " +
            std::to_string(tile.part.height) + " /ColorSpace [/ICCBased 5 0 R] /BitsPerComponent 8 /Filter /FlateDecode" +
            " /Length " + std::to_string(tile.imageLength) + " 0 R >>\nstream\n";
    streamStart_ = written_ + out_.size();
    deflater_ = std::make_unique<Deflater>();
    rgb_.resize(static_cast<std::size_t>(tile.part.width) * static_cast<std::size_t>(profile_->components));
    nextRow_ = tile.part.y;
    stage_ = Stage::ImageRows;
}

void PdfPieces::WriteImageRows() {
    const TileObjects& tile = tiles_[tile_];
    const int end = tile.part.y + tile.part.height;
    const Pixel* row = RowPart(picture_, nextRow_, tile.part.x, tile.part.width);
    unsigned char* out = rgb_.data();
    if (profile_->components == 4) {
        std::memcpy(out, row, rgb_.size());  // the ink values C, M, Y, K of each pixel, in order
    } else {
        for (int i = 0; i < tile.part.width; ++i) {
            const Pixel p = row[i];
            *out++ = static_cast<unsigned char>(p >> 16);
            *out++ = static_cast<unsigned char>(p >> 8);
            *out++ = static_cast<unsigned char>(p);
        }
    }
    const bool last = ++nextRow_ == end;
    deflater_->Add(rgb_.data(), rgb_.size(), last, out_);
    if (!last) return;

    deflater_.reset();
    const std::size_t length = written_ + out_.size() - streamStart_;
    out_ += "\nendstream\nendobj\n";
    BeginObject(tile.imageLength);
    out_ += std::to_string(length) + "\nendobj\n";
    ++tile_;
    NextPageOrTile();
}

void PdfPieces::WriteTrailer() {
    const std::size_t xref = written_ + out_.size();
    out_ += "xref\n0 " + std::to_string(objectCount_ + 1) + "\n0000000000 65535 f \n";
    char entry[24];
    for (int n = 1; n <= objectCount_; ++n) {
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offsets_[static_cast<std::size_t>(n)]);
        out_ += entry;
    }
    const std::string id = "<" + id_ + ">";
    out_ += "trailer\n<< /Size " + std::to_string(objectCount_ + 1) + " /Root 1 0 R /Info 4 0 R /ID [" + id + " " +
            id + "] >>\nstartxref\n" +
            std::to_string(xref) + "\n%%EOF\n";
}

}  // namespace velmora

namespace velmora {

bool PdfPieces::PrintReady() const { return layout_.pages.size() == 1 && layout_.pages[0].trim.has_value(); }

std::string PdfPieces::Metadata() const {
    std::string dates;
    if (made_) {
        char made[24];
        std::tm utc{};
        std::strftime(made, sizeof made, "%Y-%m-%dT%H:%M:%SZ", gmtime_r(&*made_, &utc));
        dates = std::string("<xmp:CreateDate>") + made + "</xmp:CreateDate>\n<xmp:ModifyDate>" + made +
                "</xmp:ModifyDate>\n<xmp:MetadataDate>" + made + "</xmp:MetadataDate>\n";
    }
    const std::string uuid = "uuid:" + id_.substr(0, 8) + "-" + id_.substr(8, 4) + "-" + id_.substr(12, 4) + "-" +
                             id_.substr(16, 4) + "-" + id_.substr(20);
    std::string xmp = "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
                      "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
                      "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
                      "<rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
                      "xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\" xmlns:pdf=\"http://ns.adobe.com/pdf/1.3/\" "
                      "xmlns:xmpMM=\"http://ns.adobe.com/xap/1.0/mm/\" xmlns:pdfxid=\"http://www.npes.org/pdfx/ns/id/\">\n"
                      "<dc:format>application/pdf</dc:format>\n"
                      "<dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">" + XmlText(title_) +
                      "</rdf:li></rdf:Alt></dc:title>\n"
                      + dates + "<xmp:CreatorTool>Velmora Generator</xmp:CreatorTool>\n"
                      "<pdf:Producer>Velmora Generator</pdf:Producer>\n"
                      "<pdf:Trapped>False</pdf:Trapped>\n"
                      "<xmpMM:DocumentID>" + uuid + "</xmpMM:DocumentID>\n"
                      "<xmpMM:InstanceID>" + uuid + "</xmpMM:InstanceID>\n"
                      "<xmpMM:VersionID>1</xmpMM:VersionID>\n"
                      "<xmpMM:RenditionClass>default</xmpMM:RenditionClass>\n";
    if (PrintReady()) xmp += "<pdfxid:GTS_PDFXVersion>PDF/X-4</pdfxid:GTS_PDFXVersion>\n";
    return xmp + "</rdf:Description>\n</rdf:RDF>\n</x:xmpmeta>\n<?xpacket end=\"w\"?>";
}

}  // namespace velmora
