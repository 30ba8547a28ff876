#include "output/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace velmora {

namespace {

// The file a symbolic link leads to, so that writing through the link updates
// that file and keeps the link; any other path as it is.
std::string WriteTarget(const std::string& path) {
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return path;
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved) return path;
    std::string target(resolved);
    std::free(resolved);
    return target;
}

}  // namespace

std::optional<std::string> WriteFileAtomically(const std::string& requestedPath, std::string_view bytes) {
    const std::string path = WriteTarget(requestedPath);
    // A read-only file is refused rather than replaced by the rename, which only
    // needs the folder to be writable; the owner's write bit counts for the
    // superuser too.
    struct stat existing {};
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    if (exists && S_ISREG(existing.st_mode) && (!(existing.st_mode & S_IWUSR) || ::access(path.c_str(), W_OK) != 0))
        return std::string(std::strerror(EACCES));
    std::string temp = path + ".XXXXXX";
    std::vector<char> name(temp.begin(), temp.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) return std::string(std::strerror(errno));
    const std::string tempPath(name.data());
    auto fail = [&](int error) -> std::optional<std::string> {
        ::close(fd);
        ::unlink(tempPath.c_str());
        return std::string(std::strerror(error));
    };
    // Keep an existing file's permissions; a new file gets the usual 0666 less umask.
    if (exists) {
        ::fchmod(fd, existing.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail(errno);
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) return fail(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(tempPath.c_str());
        return std::string(std::strerror(error));
    }
    if (::rename(tempPath.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(tempPath.c_str());
        return std::string(std::strerror(error));
    }
    return std::nullopt;
}

}  // namespace velmora
