#pragma once
#include <cstddef>
#include <optional>
#include <string>

namespace velmora {

// An open file descriptor, closed when this object ends; -1 for none.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor();
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// What a file holds beyond the limit a read is given.
enum class Oversize {
    Refuse,      // nothing is read; `whole` is false and `bytes` empty
    ReadPrefix,  // the first `limit` bytes are read; `whole` is false
};

struct FileBytes {
    std::string bytes;
    bool whole = false;                  // `bytes` holds the whole file
    bool missing = false;                // no file of that name
    std::optional<std::string> failure;  // why nothing was read
};

// Reads the regular file at `path`, at most `limit` bytes of it. The file is
// opened without blocking and checked on the opened descriptor, so a named
// pipe, device or folder (also behind a link) is never read, and nothing can
// swap the file between the check and the read. A file that reports a size of
// 0 (kernel pseudo-files, some of which would block) reads as empty. Never
// throws: an allocation failure is a failure like any other.
FileBytes ReadRegularFile(const std::string& path, std::size_t limit, Oversize oversize);

}  // namespace velmora
