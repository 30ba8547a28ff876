#pragma once
#include <cstddef>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/ColourProfile.h"
#include "print/PrintLayout.h"
#include "render/Raster.h"

namespace velmora {

// A PDF file of printed pages, handed out a piece at a time so that no writer holds the whole file or a copy
// of the picture: write it with WriteFileAtomically(path, [&] { return pieces.Next(); }).
//
// Each page is a sheet of `layout.sheet` (its page box, in points from the 1/1440 inch of the layout) holding
// what a PrintedPage describes: the pixels `part` of the picture as images of exactly those pixels (8-bit RGB,
// Flate-compressed, never resampled), drawn into `placed` and clipped to `clip`. A poster's pages share their
// overlaps: the picture is cut into tiles wherever a page's part begins or ends, each tile is one image that
// every page holding it draws, so the file holds each pixel once; a tile reaches one pixel into its neighbours
// to the right and below, which are drawn over it, so that no seam shows between them. its marks as thin black lines;
// its label in 7 pt Helvetica; a product's trim and bleed boxes. Every image is tagged with the files' colour
// profile, which is also the document's output intent; a single page with a trim box makes a PDF/X-4 file
// (its version in the XMP metadata, not trapped). The picture's rows are read through `picture.row` while the file is written,
// only the rows each page needs, in order within a page, so a picture kept as counts can colour rows as they
// are read.
//
// For a single picture on a page of its own size (W x H in 1/1440 inch), lay it out with LayOutPages on
// WholeSheet({W, H}) at the actual size {W, H}, or make the one page directly: part = the whole picture,
// placed = clip = {0, 0, W, H}.
class PdfPieces {
public:
    // `picture` must stay valid, and `picture.row` callable, until the last piece is taken. `title` (UTF-8)
    // names the document. `profile` (the files' sRGB profile when null, kept by the caller until the last piece)
    // tags the images and is the output intent; with 4 components each pixel holds the inks C, M, Y, K as its
    // bytes in memory order.
    PdfPieces(PictureRows picture, PageLayout layout, std::string title, const ColourProfile* profile = nullptr);
    ~PdfPieces();
    PdfPieces(const PdfPieces&) = delete;
    PdfPieces& operator=(const PdfPieces&) = delete;

    // The next piece of the file, valid until the next call; an empty piece ends the file.
    std::string_view Next();

private:
    class Deflater;
    struct TileObjects {
        PicturePart part;  // the pixels of the image, its reach into the neighbours included
        int image = 0, imageLength = 0;  // object numbers
    };
    struct PageObjects {
        int page = 0, content = 0;  // object numbers
        std::vector<std::size_t> tiles;  // the tiles the page draws, in the order drawn
        std::size_t tilesEnd = 0;        // the tiles written after this page end here
    };

    void CutIntoTiles();
    void Step();
    void BeginObject(int number);
    void WritePage(std::size_t index);
    void NextPageOrTile();
    void WriteImageHeader();
    void WriteImageRows();
    void WriteTrailer();
    // One page of a product with its trim: the file claims PDF/X-4.
    bool PrintReady() const;
    std::string Metadata() const;

    PictureRows picture_;
    PageLayout layout_;
    std::string title_;
    const ColourProfile* profile_;
    std::optional<std::time_t> made_;  // when a product's page was made; other pages carry no date
    std::string id_;  // the document's identifier, 32 hexadecimal digits
    std::vector<PageObjects> objects_;
    std::vector<TileObjects> tiles_;  // in the order written
    std::vector<std::size_t> offsets_;  // by object number
    int objectCount_ = 0;

    enum class Stage { Header, Page, Image, ImageRows, Trailer, Done };
    Stage stage_ = Stage::Header;
    std::size_t page_ = 0, tile_ = 0;
    int nextRow_ = 0;
    std::unique_ptr<Deflater> deflater_;
    std::vector<unsigned char> rgb_;

    std::string out_;             // the piece being made
    std::size_t written_ = 0;     // bytes handed out before it
    std::size_t streamStart_ = 0;  // file offset where the current image's data begins
};

}  // namespace velmora
