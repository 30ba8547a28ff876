#include "formats/PdfWriter.h"

#include <zlib.h>

#include <cstdio>
#include <new>

#include "common/Numbers.h"

namespace velmora {

namespace {

constexpr std::size_t kPieceBytes = 256 * 1024;
constexpr double kTwipsPerPoint = 20;

// A length in points with at most four decimals and no trailing zeros.
std::string Points(double twips) {
    std::string s = FixedText(twips / kTwipsPerPoint, 4);
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.') s.pop_back();
    return s == "-0" ? "0" : s;
}

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

PdfPieces::PdfPieces(PictureRows picture, PageLayout layout, std::string title)
    : picture_(std::move(picture)), layout_(std::move(layout)), title_(std::move(title)) {
    // 1 catalogue, 2 page tree, 3 font, 4 document information, then each page's objects.
    objectCount_ = 4;
    for (const PrintedPage& page : layout_.pages) {
        PageObjects o;
        o.page = ++objectCount_;
        o.content = ++objectCount_;
        if (page.part.width > 0 && page.part.height > 0) {
            o.image = ++objectCount_;
            o.imageLength = ++objectCount_;
        }
        objects_.push_back(o);
    }
    offsets_.assign(static_cast<std::size_t>(objectCount_) + 1, 0);
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
            out_ += "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
            BeginObject(1);
            out_ += "<< /Type /Catalog /Pages 2 0 R >>\nendobj\n";
            BeginObject(2);
            out_ += "<< /Type /Pages /Count " + std::to_string(objects_.size()) + " /Kids [";
            for (const PageObjects& o : objects_) out_ += " " + std::to_string(o.page) + " 0 R";
            out_ += " ] >>\nendobj\n";
            BeginObject(3);
            out_ += "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>\nendobj\n";
            BeginObject(4);
            out_ += "<< /Title " + PdfString(title_) + " /Producer (Velmora Generator) >>\nendobj\n";
            stage_ = objects_.empty() ? Stage::Trailer : Stage::Page;
            return;
        }
        case Stage::Page:
            WritePage(page_);
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
    if (o.image) {
        const PageRect& c = page.clip;
        const PageRect& p = page.placed;
        content += "q\n" + x(c.left) + " " + y(c.Bottom()) + " " + x(c.width) + " " + x(c.height) + " re W n\n";
        content += x(p.width) + " 0 0 " + x(p.height) + " " + x(p.left) + " " + y(p.Bottom()) + " cm\n/Im Do\nQ\n";
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

    BeginObject(o.page);
    out_ += "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + x(layout_.sheet.width) + " " + x(sheetHeight) +
            "] /Resources << /Font << /F 3 0 R >>";
    if (o.image) out_ += " /XObject << /Im " + std::to_string(o.image) + " 0 R >>";
    out_ += " >> /Contents " + std::to_string(o.content) + " 0 R >>\nendobj\n";
    BeginObject(o.content);
    out_ += "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "endstream\nendobj\n";

    if (!o.image) {
        ++page_;
        stage_ = page_ < objects_.size() ? Stage::Page : Stage::Trailer;
        return;
    }
    BeginObject(o.image);
    out_ += "<< /Type /XObject /Subtype /Image /Width " + std::to_string(page.part.width) + " /Height " +
            std::to_string(page.part.height) + " /ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter /FlateDecode" +
            " /Length " + std::to_string(o.imageLength) + " 0 R >>\nstream\n";
    streamStart_ = written_ + out_.size();
    deflater_ = std::make_unique<Deflater>();
    rgb_.resize(static_cast<std::size_t>(page.part.width) * 3);
    nextRow_ = page.part.y;
    stage_ = Stage::ImageRows;
}

void PdfPieces::WriteImageRows() {
    const PrintedPage& page = layout_.pages[page_];
    const PageObjects& o = objects_[page_];
    const int end = page.part.y + page.part.height;
    const Pixel* row = picture_.row(nextRow_) + page.part.x;
    unsigned char* out = rgb_.data();
    for (int i = 0; i < page.part.width; ++i) {
        const Pixel p = row[i];
        *out++ = static_cast<unsigned char>(p >> 16);
        *out++ = static_cast<unsigned char>(p >> 8);
        *out++ = static_cast<unsigned char>(p);
    }
    const bool last = ++nextRow_ == end;
    deflater_->Add(rgb_.data(), rgb_.size(), last, out_);
    if (!last) return;

    deflater_.reset();
    const std::size_t length = written_ + out_.size() - streamStart_;
    out_ += "\nendstream\nendobj\n";
    BeginObject(o.imageLength);
    out_ += std::to_string(length) + "\nendobj\n";
    ++page_;
    stage_ = page_ < objects_.size() ? Stage::Page : Stage::Trailer;
}

void PdfPieces::WriteTrailer() {
    const std::size_t xref = written_ + out_.size();
    out_ += "xref\n0 " + std::to_string(objectCount_ + 1) + "\n0000000000 65535 f \n";
    char entry[24];
    for (int n = 1; n <= objectCount_; ++n) {
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offsets_[static_cast<std::size_t>(n)]);
        out_ += entry;
    }
    out_ += "trailer\n<< /Size " + std::to_string(objectCount_ + 1) + " /Root 1 0 R /Info 4 0 R >>\nstartxref\n" +
            std::to_string(xref) + "\n%%EOF\n";
}

}  // namespace velmora
