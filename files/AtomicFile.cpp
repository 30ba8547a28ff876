#include "files/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

namespace velmora {

namespace {

std::string Reason(int error) { return std::strerror(error); }

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// Where a save to a path goes, or why it may not go there.
struct Target {
    std::string path;
    std::optional<std::string> refusal;
};

// A link in a folder that everyone may write to and only owners may delete
// from (such as /tmp) is followed only when it belongs to this user or to the
// folder's owner: anyone else may have planted it to have this user's save
// replace a file of the link's choosing. The kernel's own protection of such
// links never applies here, since the links are resolved before the rename.
std::optional<std::string> PlantedLinkRefusal(const std::string& link, const struct stat& linkInfo,
                                              const std::string& leadsTo) {
    struct stat folder {};
    if (::stat(FolderOf(link).c_str(), &folder) != 0) return Reason(errno);
    const bool shared = (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH);
    if (!shared || linkInfo.st_uid == ::geteuid() || linkInfo.st_uid == folder.st_uid) return std::nullopt;
    return "The link " + link + " leads to " + leadsTo +
           " but belongs to another user in a folder everyone may write to, so it is not followed";
}

// The file a symbolic link leads to (through any chain of links), so that
// writing through the link updates that file and keeps the link. The path
// itself when it is no link, or a link that leads nowhere (which a save
// replaces).
Target WriteTarget(const std::string& path) {
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat link {};
        if (::lstat(current.c_str(), &link) != 0) return {path, std::nullopt};
        if (!S_ISLNK(link.st_mode)) return {current, std::nullopt};
        std::error_code error;
        const std::string leadsTo = std::filesystem::read_symlink(current, error).string();
        if (error) return {path, std::nullopt};
        const std::string next = leadsTo.starts_with('/') || current.find('/') == std::string::npos
                                     ? leadsTo
                                     : FolderOf(current) + "/" + leadsTo;
        if (auto refusal = PlantedLinkRefusal(current, link, next)) return {path, refusal};
        current = next;
    }
    return {path, Reason(ELOOP)};
}

// Why an existing file of this kind and mode may not be replaced.
std::optional<std::string> Refusal(const std::string& path, const struct stat& existing) {
    if (S_ISDIR(existing.st_mode)) return Reason(EISDIR);
    if (!S_ISREG(existing.st_mode)) return std::string("Not a regular file");
    // The rename only needs the folder to be writable, so a read-only file is
    // refused here; the owner's write bit counts for the superuser too.
    if (!(existing.st_mode & S_IWUSR) || ::access(path.c_str(), W_OK) != 0) return Reason(EACCES);
    return std::nullopt;
}

// Runs `attempt` with short hidden names (8 bytes, so they fit wherever the
// target's name fits) until one is not taken; the name used is left in `name`.
// Returns the last attempt's result (0 or -1 with errno set).
template <typename Attempt>
int WithFreeName(std::string& name, Attempt attempt) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device seed;
    std::mt19937 random(seed());
    std::uniform_int_distribution<int> letter(0, 61);
    int result = -1;
    for (int tries = 0; tries < 100; ++tries) {
        name = ".v";
        for (int i = 0; i < 6; ++i) name += kLetters[letter(random)];
        result = attempt(name);
        if (result >= 0 || errno != EEXIST) break;
    }
    return result;
}

// Gives the unnamed file `fd` the name `name` in `folder`; fails with EEXIST
// when the name is taken.
int LinkUnnamed(int fd, int folder, const std::string& name) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, self.c_str(), folder, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
    if (errno != ENOENT) return -1;
    // Without /proc the file can be linked directly where the process may.
    return ::linkat(fd, "", folder, name.c_str(), AT_EMPTY_PATH);
}

bool WriteAll(int fd, std::string_view bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::string FileToReplace(const std::string& path) { return WriteTarget(path).path; }

std::optional<std::string> WriteRefusal(const std::string& requestedPath) {
    const auto [path, linkRefusal] = WriteTarget(requestedPath);
    if (linkRefusal) return linkRefusal;
    struct stat existing {};
    if (::stat(path.c_str(), &existing) != 0) return std::nullopt;
    return Refusal(path, existing);
}

// A process killed while writing leaves nothing behind: the bytes go to an
// unnamed file (O_TMPFILE) that vanishes with the process, and a new target is
// created by linking that file under its name. Replacing an existing target
// takes two steps, since a link cannot replace a name: the complete, synced
// file is linked under a short temporary name and at once renamed over the
// target, so a kill can leave a stray file only in the instant between those two
// calls. Where the file system has no unnamed files the bytes are written to
// that temporary name from the start.
std::optional<std::string> WriteFileAtomically(const std::string& path, std::string_view bytes) {
    bool given = false;
    return WriteFileAtomically(path, [&]() -> std::string_view {
        if (given) return {};
        given = true;
        return bytes;
    });
}

std::optional<std::string> WriteFileAtomically(const std::string& path,
                                               const std::function<std::string_view()>& nextPiece) {
    AtomicFileWriter writer(path);
    for (std::string_view piece = nextPiece(); !piece.empty() && writer.Write(piece); piece = nextPiece()) {
    }
    return writer.Commit();
}

AtomicFileWriter::AtomicFileWriter(const std::string& requestedPath) {
    const auto [path, linkRefusal] = WriteTarget(requestedPath);
    if ((error_ = linkRefusal)) return;
    struct stat existing {};
    exists_ = ::stat(path.c_str(), &existing) == 0;
    if (!exists_ && errno != ENOENT) {
        error_ = Reason(errno);
        return;
    }
    if ((error_ = exists_ ? Refusal(path, existing) : std::nullopt)) return;
    const std::string folderPath = FolderOf(path);
    name_ = path.substr(path.rfind('/') + 1);
    if (name_.empty()) {
        error_ = Reason(EISDIR);
        return;
    }

    // A folder that may be written but not listed cannot be synced, but the file still goes in.
    folder_ = ::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder_ < 0 && errno == EACCES) folder_ = ::open(folderPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folder_ < 0) {
        error_ = Reason(errno);
        return;
    }

    file_ = ::openat(folder_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    unnamed_ = file_ >= 0;
    if (!unnamed_) {
        // EISDIR: a kernel without O_TMPFILE; EOPNOTSUPP, EINVAL: a file system without it.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
            error_ = Reason(errno);
            return;
        }
        WithFreeName(temporary_, [&](const std::string& candidate) {
            file_ = ::openat(folder_, candidate.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
            return file_;
        });
        if (file_ < 0) {
            temporary_.clear();
            error_ = Reason(errno);
            return;
        }
    }

    // A new file has the usual 0666 less umask from its creation. A replaced
    // file keeps its owner and group where this process may set them (as
    // superuser; a group of its own otherwise), and its permissions without
    // the set-ID and sticky bits, so no one gains a program running as the old
    // owner.
    if (exists_) {
        const bool otherOwner = existing.st_uid != ::geteuid() || existing.st_gid != ::getegid();
        if (otherOwner && ::fchown(file_, existing.st_uid, existing.st_gid) != 0 &&
            ::fchown(file_, static_cast<uid_t>(-1), existing.st_gid) != 0) {
            // Not permitted: the new file belongs to this process.
        }
        if (::fchmod(file_, existing.st_mode & 0777) != 0) Fail(errno);
    }
}

AtomicFileWriter::~AtomicFileWriter() {
    if (!committed_ && !temporary_.empty()) ::unlinkat(folder_, temporary_.c_str(), 0);
    if (file_ >= 0) ::close(file_);
    if (folder_ >= 0) ::close(folder_);
}

bool AtomicFileWriter::Fail(int error) {
    if (!error_) error_ = Reason(error);
    return false;
}

bool AtomicFileWriter::Write(std::string_view piece) {
    if (error_) return false;
    if (!WriteAll(file_, piece)) return Fail(errno);
    // Start each piece on its way to the disk while the next is made, so
    // the flush in Commit has less left to wait for (advice only).
    ::sync_file_range(file_, written_, static_cast<off_t>(piece.size()), SYNC_FILE_RANGE_WRITE);
    written_ += static_cast<long long>(piece.size());
    return true;
}

std::optional<std::string> AtomicFileWriter::Commit() {
    if (error_) return error_;
    if (::fsync(file_) != 0) return Fail(errno), error_;

    bool placed = false;
    if (unnamed_ && !exists_) {
        placed = LinkUnnamed(file_, folder_, name_) == 0;
        // A link that leads nowhere is replaced, as a rename always did; anything
        // else that took the name since the check above is left alone.
        const int error = errno;
        struct stat taken {};
        const bool danglingLink = error == EEXIST &&
                                  ::fstatat(folder_, name_.c_str(), &taken, AT_SYMLINK_NOFOLLOW) == 0 &&
                                  S_ISLNK(taken.st_mode);
        if (!placed && !danglingLink) return Fail(error), error_;
    }
    if (!placed) {
        if (unnamed_ &&
            WithFreeName(temporary_, [&](const std::string& candidate) { return LinkUnnamed(file_, folder_, candidate); }) != 0) {
            temporary_.clear();
            return Fail(errno), error_;
        }
        if (::renameat(folder_, temporary_.c_str(), folder_, name_.c_str()) != 0) return Fail(errno), error_;
    }
    committed_ = true;
    // The new name survives a power cut only once the folder is synced; EBADF:
    // a folder opened without read access, EINVAL: a file system that cannot.
    if (::fsync(folder_) != 0 && errno != EBADF && errno != EINVAL) return Fail(errno), error_;
    return std::nullopt;
}

ScratchFile::ScratchFile() {
    std::error_code error;
    const auto folder = std::filesystem::temp_directory_path(error);
    fd_ = ::open(error ? "/tmp" : folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd_ < 0) return;
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    if (::access(self.c_str(), W_OK) == 0) path_ = self;
}

ScratchFile::~ScratchFile() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace velmora
