#pragma once
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>
// jpeglib.h needs the size types declared first.
#include <jpeglib.h>

namespace velmora::testing {

// The standard output of a shell command, its numbers written with a "." in any locale.
inline std::string CommandOutput(const std::string& command) {
    std::string text;
    if (FILE* pipe = ::popen(("LC_ALL=C " + command).c_str(), "r")) {
        char buffer[4096];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, got);
        ::pclose(pipe);
    }
    return text;
}

// A JPEG file opened by libjpeg with its header read: `jpeg` as the library fills it in, `icc` the embedded
// colour profile (empty without one). Decompress through `jpeg` while this lives.
class JpegReadBack {
public:
    explicit JpegReadBack(const std::string& path) : file_(std::fopen(path.c_str(), "rb")) {
        jpeg.err = jpeg_std_error(&errors_);
        jpeg_create_decompress(&jpeg);
        if (!file_) return;
        jpeg_stdio_src(&jpeg, file_);
        jpeg_save_markers(&jpeg, JPEG_APP0 + 2, 0xFFFF);
        jpeg_read_header(&jpeg, TRUE);
        JOCTET* profile = nullptr;
        unsigned int bytes = 0;
        if (jpeg_read_icc_profile(&jpeg, &profile, &bytes)) icc.assign(reinterpret_cast<const char*>(profile), bytes);
        std::free(profile);
    }
    ~JpegReadBack() {
        jpeg_destroy_decompress(&jpeg);
        if (file_) std::fclose(file_);
    }
    JpegReadBack(const JpegReadBack&) = delete;
    JpegReadBack& operator=(const JpegReadBack&) = delete;

    bool Opened() const { return file_ != nullptr; }

    jpeg_decompress_struct jpeg{};
    std::string icc;

private:
    FILE* file_;
    jpeg_error_mgr errors_{};
};

}  // namespace velmora::testing
