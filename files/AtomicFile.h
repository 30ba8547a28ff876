#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// The file a save to `path` replaces: the file a symbolic link leads to, or
// `path` itself (also when it is a link that is not followed or leads nowhere).
std::string FileToReplace(const std::string& path);

// Why the file at `path` (the file a symbolic link leads to) may not be
// replaced: it is a folder, a device, a named pipe or a socket, or a read-only
// file (no write permission for its owner, or none for this process); or the
// path is a link that another user put into a folder everyone may write to
// (sticky, such as /tmp), which is followed only when it belongs to this user
// or to the folder's owner. Nothing when it is a writable regular file or does
// not exist. Such a target is never opened.
std::optional<std::string> WriteRefusal(const std::string& path);

// Replaces the file at `path` with `bytes` all at once, so a failure never
// leaves a half-written or emptied file: the bytes go to an unnamed file in the
// target's folder, which is given the target's name only when complete (where
// the file system has no unnamed files, to a short hidden temporary file that
// is renamed over the target). A target refused by WriteRefusal is left alone.
// A symbolic link is kept: the file it leads to is the one replaced. A replaced
// file keeps its permission bits without set-user-ID, set-group-ID and sticky,
// and its owner and group where this process may set them. The file and its
// folder are synced. Returns the system's reason on failure, nothing on
// success.
std::optional<std::string> WriteFileAtomically(const std::string& path, std::string_view bytes);

// The same with the bytes handed over in pieces: `nextPiece` is called until
// it returns an empty piece, each piece being written before the next call.
// An exception from `nextPiece` leaves the target as it was and passes on.
std::optional<std::string> WriteFileAtomically(const std::string& path,
                                               const std::function<std::string_view()>& nextPiece);

// The same for a writer that pushes its bytes: Write appends a piece, Commit
// puts the complete file in place. A writer destroyed without a successful
// Commit leaves nothing behind and the target untouched.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(const std::string& path);  // see Error()
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Why the file cannot be written, once anything has failed.
    const std::optional<std::string>& Error() const { return error_; }
    // False once anything has failed; later pieces are ignored.
    bool Write(std::string_view piece);
    // Syncs the file and gives it the target's name; the reason on failure.
    std::optional<std::string> Commit();

private:
    bool Fail(int error);

    std::string name_;
    int folder_ = -1, file_ = -1;
    bool exists_ = false, unnamed_ = false, committed_ = false;
    std::string temporary_;  // the named file to remove unless committed, if any
    long long written_ = 0;
    std::optional<std::string> error_;
};

// An unnamed file in the temporary folder, for a writer that takes a file
// name: it vanishes with its last descriptor, also when the process is killed.
// Path() names it (a link under /proc) while this object lives; it is empty
// where the system has no unnamed files or no /proc.
class ScratchFile {
public:
    ScratchFile();
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    const std::string& Path() const { return path_; }

private:
    int fd_ = -1;
    std::string path_;
};

}  // namespace velmora
