#include "formats/Png.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "formats/ColourProfile.h"
#include "formats/Deflate.h"

namespace velmora {

namespace {

constexpr Pixel kColourBits = 0x00FFFFFFu;

// Colours to palette indices: an open-addressed table of 1024 slots, never
// more than a quarter full. Keys are colours without the top byte, so the
// all-ones word marks a free slot.
class ColourIndex {
public:
    static constexpr std::size_t kMost = 256;

    // Adds a colour; false when it would be colour number kMost + 1.
    bool Add(Pixel colour) {
        colour &= kColourBits;
        std::size_t slot = Slot(colour);
        while (keys_[slot] != kFree && keys_[slot] != colour) slot = (slot + 1) % kSlots;
        if (keys_[slot] == colour) return true;
        if (count_ == kMost) return false;
        keys_[slot] = colour;
        indices_[slot] = static_cast<std::uint8_t>(count_++);
        return true;
    }
    // The index of a colour; -1 when it is not in the table.
    int Find(Pixel colour) const {
        colour &= kColourBits;
        for (std::size_t slot = Slot(colour);; slot = (slot + 1) % kSlots) {
            if (keys_[slot] == colour) return indices_[slot];
            if (keys_[slot] == kFree) return -1;
        }
    }
    std::vector<Pixel> Colours() const {
        std::vector<Pixel> colours;
        for (const Pixel key : keys_)
            if (key != kFree) colours.push_back(0xFF000000u | key);
        std::sort(colours.begin(), colours.end());
        return colours;
    }

private:
    static constexpr std::size_t kSlots = 1024;
    static constexpr Pixel kFree = 0xFFFFFFFFu;
    static std::size_t Slot(Pixel colour) { return (colour * 0x9E3779B1u) >> 22; }

    Pixel keys_[kSlots];
    std::uint8_t indices_[kSlots] = {};
    std::size_t count_ = 0;

public:
    ColourIndex() { std::fill(std::begin(keys_), std::end(keys_), kFree); }
};

void PutBe32(std::string& out, std::uint32_t value) {
    const char bytes[4] = {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
                           static_cast<char>(value)};
    out.append(bytes, 4);
}

// Appends a chunk whose data `fill` appends.
template <class Fill>
void PutChunk(std::string& out, const char* type, Fill fill) {
    const std::size_t start = out.size();
    PutBe32(out, 0);
    out.append(type, 4);
    fill(out);
    const std::size_t length = out.size() - start - 8;
    const auto* typeAndData = reinterpret_cast<const Bytef*>(out.data() + start + 4);
    const uLong crc = crc32_z(crc32(0, nullptr, 0), typeAndData, length + 4);
    for (int i = 0; i < 4; ++i) out[start + i] = static_cast<char>(static_cast<std::uint32_t>(length) >> (24 - 8 * i));
    PutBe32(out, static_cast<std::uint32_t>(crc));
}

}  // namespace

std::optional<std::vector<Pixel>> PictureColours(const PictureRows& rows) {
    ColourIndex colours;
    for (int y = 0; y < rows.height; ++y) {
        const Pixel* row = rows.row(y);
        for (int x = 0; x < rows.width; ++x) {
            if (x > 0 && row[x] == row[x - 1]) continue;
            const Pixel last = row[x];
            if (!colours.Add(last)) return std::nullopt;
        }
    }
    return colours.Colours();
}

// A piece: rows of pixels in, one part of the zlib stream out.
struct PngPiece {
    std::vector<Pixel> pixels;
    int rows = 0;
    bool last = false;
    // Not a string or vector: those would fill it with zeros before every piece.
    std::unique_ptr<char[]> compressed;
    std::size_t compressedSize = 0, compressedRoom = 0;
    uLong crc = 0;  // of the compressed bytes
    uLong adler = 0;
    std::size_t rawBytes = 0;
    bool done = false;
    std::string failure;
};

class PngPieces::Encoder {
public:
    Encoder(PictureRows rows, PngLayout layout)
        : rows_(std::move(rows)), layout_(std::move(layout)), indexed_(!layout_.palette.empty()) {
        if (layout_.palette.size() > ColourIndex::kMost) throw std::runtime_error("a palette of more than 256 colours");
        for (const Pixel colour : layout_.palette) index_.Add(colour);
        rowBytes_ = 1 + static_cast<std::size_t>(rows_.width) * (indexed_ ? 1 : 3);
        // About a megabyte of scanlines per piece: few enough joins, small enough to share out.
        rowsPerPiece_ = static_cast<int>(std::max<std::size_t>(1, (std::size_t{1} << 20) / rowBytes_));
        const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
        // Each thread keeps two pieces of a few megabytes in flight: the bound keeps that small.
        constexpr int kMostThreads = 64;
        const int workers = std::min(layout_.threads > 0 ? layout_.threads : cores, kMostThreads);
        inFlight_ = 2 * workers + 1;
        for (int t = 0; t < workers; ++t) workers_.emplace_back([this] { Work(); });
    }

    ~Encoder() {
        {
            const std::lock_guard lock(mutex_);
            closing_ = true;
        }
        wake_.notify_all();
        workers_.clear();
    }

    // The file in pieces: the signature and header chunks, then for each
    // compressed piece the head of its IDAT chunk, its compressed bytes as
    // they are, and its tail (with the stream's checksum after the last one,
    // then IEND).
    std::string_view Next() {
        if (bodyDue_) {
            bodyDue_ = false;
            return {current_->compressed.get(), current_->compressedSize};
        }
        out_.clear();
        if (!headerGiven_) {
            headerGiven_ = true;
            PutHeader();
            Submit();
        }
        if (current_) FinishChunk();
        if (!pieces_.empty()) StartChunk();
        return out_;
    }

private:
    void StartChunk() {
        {
            std::unique_lock lock(mutex_);
            done_.wait(lock, [&] { return pieces_.front()->done; });
            current_ = std::move(pieces_.front());
            pieces_.pop_front();
        }
        const PngPiece& piece = *current_;
        if (!piece.failure.empty()) throw std::runtime_error(piece.failure);
        Submit();
        adler_ = first_ ? piece.adler : adler32_combine(adler_, piece.adler, static_cast<z_off_t>(piece.rawBytes));
        PutBe32(out_, static_cast<std::uint32_t>((first_ ? 2 : 0) + piece.compressedSize + (piece.last ? 4 : 0)));
        const std::size_t typeAt = out_.size();
        out_.append("IDAT", 4);
        if (first_) out_.append("\x78\x01", 2);  // deflate with a 32 KiB window, fastest level
        const auto* head = reinterpret_cast<const Bytef*>(out_.data() + typeAt);
        crc_ = crc32_combine(crc32(0, head, static_cast<uInt>(out_.size() - typeAt)), piece.crc,
                             static_cast<z_off_t>(piece.compressedSize));
        first_ = false;
        bodyDue_ = true;
    }

    void FinishChunk() {
        const std::size_t tailAt = out_.size();
        if (current_->last) PutBe32(out_, static_cast<std::uint32_t>(adler_));
        crc_ = crc32(crc_, reinterpret_cast<const Bytef*>(out_.data() + tailAt), static_cast<uInt>(out_.size() - tailAt));
        PutBe32(out_, static_cast<std::uint32_t>(crc_));
        if (current_->last) PutChunk(out_, "IEND", [](std::string&) {});
        spare_.push_back(std::move(current_));
    }

    void PutHeader() {
        out_.append("\x89PNG\r\n\x1a\n", 8);
        PutChunk(out_, "IHDR", [&](std::string& out) {
            PutBe32(out, static_cast<std::uint32_t>(rows_.width));
            PutBe32(out, static_cast<std::uint32_t>(rows_.height));
            out += static_cast<char>(8);                 // bits per sample
            out += static_cast<char>(indexed_ ? 3 : 2);  // palette or RGB
            out.append(3, '\0');                         // deflate, adaptive filtering, no interlace
        });
        PutColourProfile();
        if (indexed_)
            PutChunk(out_, "PLTE", [&](std::string& out) {
                for (const Pixel colour : layout_.palette) {
                    out += static_cast<char>(colour >> 16);
                    out += static_cast<char>(colour >> 8);
                    out += static_cast<char>(colour);
                }
            });
        if (layout_.pixelsPerMetre != 0)
            PutChunk(out_, "pHYs", [&](std::string& out) {
                PutBe32(out, layout_.pixelsPerMetre);
                PutBe32(out, layout_.pixelsPerMetre);
                out += static_cast<char>(1);  // per metre
            });
    }

    // The colour space of the pixels: the files' profile, named and compressed.
    void PutColourProfile() {
        const ColourProfile& profile = layout_.profile ? *layout_.profile : FileColourProfile();
        if (profile.icc.empty()) return;
        uLongf size = compressBound(static_cast<uLong>(profile.icc.size()));
        std::string packed(size, '\0');
        if (compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(profile.icc.data()),
                      static_cast<uLong>(profile.icc.size()), Z_BEST_COMPRESSION) != Z_OK)
            return;
        packed.resize(size);
        PutChunk(out_, "iCCP", [&](std::string& out) {
            out += profile.name.substr(0, 79);
            out.append(2, '\0');  // the name's end, zlib compression
            out += packed;
        });
    }

    // Reads rows into new pieces until enough are in flight.
    void Submit() {
        while (static_cast<int>(pieces_.size()) < inFlight_ && !allRead_) {
            std::unique_ptr<PngPiece> piece;
            if (spare_.empty()) {
                piece = std::make_unique<PngPiece>();
            } else {
                piece = std::move(spare_.back());
                spare_.pop_back();
                piece->done = false;
            }
            piece->rows = std::min(rowsPerPiece_, rows_.height - nextRow_);
            piece->pixels.resize(static_cast<std::size_t>(piece->rows) * rows_.width);
            for (int r = 0; r < piece->rows; ++r)
                std::copy_n(rows_.row(nextRow_ + r), rows_.width, piece->pixels.data() + static_cast<std::size_t>(r) * rows_.width);
            nextRow_ += piece->rows;
            piece->last = allRead_ = nextRow_ >= rows_.height;
            {
                const std::lock_guard lock(mutex_);
                pieces_.push_back(std::move(piece));
                waiting_.push_back(pieces_.back().get());
            }
            wake_.notify_one();
        }
    }

    void Work() {
        z_stream stream{};
        const bool ready = deflateInit2(&stream, 1, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) == Z_OK;
        std::vector<Bytef> raw;
        for (;;) {
            PngPiece* piece;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [&] { return closing_ || !waiting_.empty(); });
                if (closing_) break;
                piece = waiting_.front();
                waiting_.pop_front();
            }
            if (!ready) piece->failure = "the compressor could not start";
            else Compress(stream, *piece, raw);
            {
                const std::lock_guard lock(mutex_);
                piece->done = true;
            }
            done_.notify_all();
        }
        if (ready) deflateEnd(&stream);
    }

    void Compress(z_stream& stream, PngPiece& piece, std::vector<Bytef>& raw) const {
        raw.resize(static_cast<std::size_t>(piece.rows) * rowBytes_);
        Bytef* out = raw.data();
        const Pixel* pixels = piece.pixels.data();
        for (int r = 0; r < piece.rows; ++r) {
            *out++ = 0;  // no filter
            const Pixel* row = pixels + static_cast<std::size_t>(r) * rows_.width;
            if (indexed_) {
                Pixel last = 0;
                int index = -1;
                for (int x = 0; x < rows_.width; ++x) {
                    if (index < 0 || row[x] != last) {
                        last = row[x];
                        index = index_.Find(last);
                        if (index < 0) {
                            piece.failure = "a pixel's colour is not in the palette";
                            return;
                        }
                    }
                    *out++ = static_cast<Bytef>(index);
                }
            } else {
                for (int x = 0; x < rows_.width; ++x) {
                    out[0] = static_cast<Bytef>(row[x] >> 16);
                    out[1] = static_cast<Bytef>(row[x] >> 8);
                    out[2] = static_cast<Bytef>(row[x]);
                    out += 3;
                }
            }
        }
        piece.rawBytes = raw.size();
        piece.adler = libdeflate_adler32(1, raw.data(), raw.size());
        if (!indexed_) {
            // More than 256 colours: the program's pictures of that kind are
            // noise (random speckle), where matches are rare and searching
            // for them is most of deflate's time.
            piece.compressedSize = DeflateLiterals(raw.data(), raw.size(), piece.last, Room(piece, DeflateLiteralsBound(raw.size())));
            piece.crc = libdeflate_crc32(0, piece.compressed.get(), piece.compressedSize);
            return;
        }
        const std::size_t room = deflateBound(&stream, raw.size()) + 16;
        deflateReset(&stream);
        stream.next_in = raw.data();
        stream.avail_in = static_cast<uInt>(raw.size());
        stream.next_out = reinterpret_cast<Bytef*>(Room(piece, room));
        stream.avail_out = static_cast<uInt>(room);
        // A piece ends on a byte boundary (an empty stored block) so the next
        // one can follow it; the last one ends the stream.
        const int result = deflate(&stream, piece.last ? Z_FINISH : Z_SYNC_FLUSH);
        if (result != (piece.last ? Z_STREAM_END : Z_OK) || stream.avail_in != 0) {
            piece.failure = "the compressor failed";
            return;
        }
        piece.compressedSize = room - stream.avail_out;
        piece.crc = libdeflate_crc32(0, piece.compressed.get(), piece.compressedSize);
    }

    static char* Room(PngPiece& piece, std::size_t bytes) {
        if (piece.compressedRoom < bytes) {
            piece.compressed = std::make_unique_for_overwrite<char[]>(bytes);
            piece.compressedRoom = bytes;
        }
        return piece.compressed.get();
    }

    PictureRows rows_;
    PngLayout layout_;
    const bool indexed_;
    ColourIndex index_;
    std::size_t rowBytes_;
    int rowsPerPiece_;
    int inFlight_;

    // The reading thread's state.
    std::string out_;
    bool headerGiven_ = false, allRead_ = false, first_ = true, bodyDue_ = false;
    int nextRow_ = 0;
    uLong adler_ = 1, crc_ = 0;
    std::unique_ptr<PngPiece> current_;  // the piece whose chunk is being handed out

    // Shared with the workers.
    std::mutex mutex_;
    std::condition_variable wake_, done_;
    std::deque<std::unique_ptr<PngPiece>> pieces_;  // in stream order
    std::vector<std::unique_ptr<PngPiece>> spare_;  // written pieces, their buffers kept for the next ones
    std::deque<PngPiece*> waiting_;
    bool closing_ = false;
    std::vector<std::jthread> workers_;
};

PngPieces::PngPieces(PictureRows rows, PngLayout layout)
    : encoder_(std::make_unique<Encoder>(std::move(rows), std::move(layout))) {}
PngPieces::~PngPieces() = default;
std::string_view PngPieces::Next() { return encoder_->Next(); }

std::string EncodePng(const PictureRows& rows, std::uint32_t pixelsPerMetre) {
    PngLayout layout;
    layout.palette = PictureColours(rows).value_or(std::vector<Pixel>{});
    layout.pixelsPerMetre = pixelsPerMetre;
    PngPieces pieces(rows, std::move(layout));
    std::string bytes;
    for (std::string_view piece = pieces.Next(); !piece.empty(); piece = pieces.Next()) bytes += piece;
    return bytes;
}

}  // namespace velmora
