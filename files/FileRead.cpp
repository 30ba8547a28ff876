#include "files/FileRead.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

namespace velmora {

Descriptor::~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
}

namespace {

// Reads once into `into`, retrying when interrupted. The descriptor stays
// non-blocking: a file that has nothing to give now fails the read rather than
// stopping the program.
ssize_t ReadSome(int fd, char* into, std::size_t count) {
    ssize_t n;
    do n = ::read(fd, into, count);
    while (n < 0 && errno == EINTR);
    return n;
}

// Fills `bytes` from `fd` up to the end of the file or `limit` bytes: first the
// size the file reports (`expected`), then in pieces should it hold more.
// Returns 0, or the errno of a failed read.
int ReadUpTo(int fd, std::size_t expected, std::size_t limit, std::string& bytes) {
    bytes.resize(std::min(expected, limit));
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ReadSome(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) return errno;
        if (n == 0) {
            bytes.resize(done);
            return 0;
        }
        done += static_cast<std::size_t>(n);
    }
    char piece[65536];
    while (bytes.size() < limit) {
        const ssize_t n = ReadSome(fd, piece, std::min(sizeof piece, limit - bytes.size()));
        if (n < 0) return errno;
        if (n == 0) break;
        bytes.append(piece, static_cast<std::size_t>(n));
    }
    return 0;
}

// Whether a read at the current position finds more bytes.
bool HasMore(int fd) {
    char byte;
    return ReadSome(fd, &byte, 1) > 0;
}

}  // namespace

FileBytes ReadRegularFile(const std::string& path, std::size_t limit, Oversize oversize) {
    FileBytes result;
    const Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0) {
        result.missing = errno == ENOENT;
        result.failure = std::strerror(errno);
        return result;
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) {
        result.failure = std::strerror(errno);
        return result;
    }
    if (!S_ISREG(info.st_mode)) {
        result.failure = S_ISDIR(info.st_mode) ? std::strerror(EISDIR) : "Not a regular file";
        return result;
    }
    const auto size = static_cast<std::size_t>(info.st_size);
    if (size == 0) {
        result.whole = true;
        return result;
    }
    if (size > limit && oversize == Oversize::Refuse) return result;
    try {
        if (const int error = ReadUpTo(fd.get(), size, limit, result.bytes)) {
            result.bytes = std::string();
            result.failure = std::strerror(error);
            return result;
        }
    } catch (const std::bad_alloc&) {
        result.bytes = std::string();
        result.failure = std::strerror(ENOMEM);
        return result;
    }
    result.whole = result.bytes.size() < limit || !HasMore(fd.get());
    if (!result.whole && oversize == Oversize::Refuse) result.bytes = std::string();
    return result;
}

}  // namespace velmora
