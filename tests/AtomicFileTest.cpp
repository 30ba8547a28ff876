#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "files/AtomicFile.h"
#include "tests/TempFolder.h"

using namespace velmora;
using velmora::testing::ReadAll;
using velmora::testing::TempFolder;
using velmora::testing::WriteAll;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> Entries(const TempFolder& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder.path())) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

struct stat Status(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info;
}

}  // namespace

// Pipes, sockets, devices and folders, named directly or through a link, are
// refused with a reason and stay what they were; nothing is added beside them.
TEST(AtomicFile, TargetsThatAreNoRegularFileAreRefusedUntouched) {
    TempFolder folder;
    ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = folder / "socket";
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(::bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    fs::create_directory(folder / "folder");
    std::vector<std::pair<std::string, std::string>> targets = {
        {"pipe", "Not a regular file"}, {"socket", "Not a regular file"}, {"folder", "Is a directory"}};
    // A device node of its own (the null device's numbers) where the process may make one.
    if (::mknod((folder / "device").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0)
        targets.emplace_back("device", "Not a regular file");
    for (const auto& [name, reason] : std::vector(targets)) {
        fs::create_symlink(name, folder / (name + ".bmp"));
        targets.emplace_back(name + ".bmp", reason);
    }
    const auto before = Entries(folder);
    for (const auto& [name, reason] : targets) {
        const struct stat old = Status(folder / name);
        EXPECT_EQ(WriteRefusal(folder / name), reason) << name;
        EXPECT_EQ(WriteFileAtomically(folder / name, "BM"), reason) << name;
        const struct stat now = Status(folder / name);
        EXPECT_EQ(now.st_ino, old.st_ino) << name;
        EXPECT_EQ(now.st_mode, old.st_mode) << name;
    }
    EXPECT_EQ(Entries(folder), before);
    ::close(sock);

    // A link that leads nowhere is replaced by the file, as a save over it always was.
    fs::create_symlink("nowhere", folder / "dangling.bmp");
    EXPECT_FALSE(WriteFileAtomically(folder / "dangling.bmp", "BM"));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(folder / "dangling.bmp")));
    EXPECT_FALSE(fs::exists(folder / "nowhere"));
}

// In a folder everyone may write to (sticky, as /tmp), a link is followed only
// when it belongs to this user or to the folder's owner. Another user's link is
// refused, naming the link and where it leads, and its target stays as it was.
TEST(AtomicFile, LinkOfAnotherUserInASharedFolderIsNotFollowed) {
    if (::geteuid() != 0) GTEST_SKIP() << "only the superuser can give a link to another user";
    TempFolder folder;
    const auto shared = folder / "shared";
    fs::create_directory(shared);
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    const auto target = folder / "secret";
    WriteAll(target, "mine");
    const auto link = shared + "/picture.bmp";
    fs::create_symlink(target, link);
    ASSERT_EQ(::lchown(link.c_str(), 4321, 4321), 0);

    const auto refusal = WriteRefusal(link);
    ASSERT_TRUE(refusal);
    EXPECT_NE(refusal->find("The link " + link + " leads to " + target), std::string::npos) << *refusal;
    EXPECT_EQ(WriteFileAtomically(link, "BM"), refusal);
    EXPECT_EQ(FileToReplace(link), link);
    EXPECT_EQ(ReadAll(target), "mine");
    EXPECT_TRUE(fs::is_symlink(link));

    // The folder's owner's link leads to its file, and so does this user's own.
    ASSERT_EQ(::chown(shared.c_str(), 4321, 4321), 0);
    EXPECT_EQ(FileToReplace(link), target);
    EXPECT_FALSE(WriteFileAtomically(link, "BM"));
    EXPECT_EQ(ReadAll(target), "BM");
    ASSERT_EQ(::lchown(link.c_str(), 0, 0), 0);
    EXPECT_FALSE(WriteRefusal(link));
    EXPECT_TRUE(fs::is_symlink(link));
}

// The new file keeps the old one's owner, group and permission bits, but never
// set-user-ID, set-group-ID or sticky.
TEST(AtomicFile, ReplacedFileKeepsOwnerAndModeWithoutSpecialBits) {
    TempFolder folder;
    const auto file = folder / "tool.bmp";
    WriteAll(file, "old");
    const bool superuser = ::geteuid() == 0;
    if (superuser) {
        ASSERT_EQ(::chown(file.c_str(), 4321, 8765), 0);
    }
    ASSERT_EQ(::chmod(file.c_str(), 07751), 0);
    EXPECT_FALSE(WriteFileAtomically(file, "new"));
    const struct stat now = Status(file);
    EXPECT_EQ(now.st_mode & 07777, 0751u);
    if (superuser) {
        EXPECT_EQ(now.st_uid, 4321u);
        EXPECT_EQ(now.st_gid, 8765u);
    }
    EXPECT_EQ(ReadAll(file), "new");

    const mode_t mask = ::umask(027);
    EXPECT_FALSE(WriteFileAtomically(folder / "fresh.bmp", "x"));
    ::umask(mask);
    EXPECT_EQ(Status(folder / "fresh.bmp").st_mode & 07777, 0640u);
    EXPECT_EQ(Entries(folder), (std::vector<std::string>{"fresh.bmp", "tool.bmp"}));
}

// The temporary name adds nothing to the target's, so the longest legal name
// saves, both as a new file and over an old one.
TEST(AtomicFile, LongestFileNameSavesAndIsReplaced) {
    TempFolder folder;
    const std::string name = std::string(255 - 4, 'n') + ".bmp";
    EXPECT_FALSE(WriteFileAtomically(folder / name, "first"));
    // Given in pieces, the bytes are written in order until an empty piece.
    const char* pieces[] = {"sec", "ond", "", "lost"};
    int next = 0;
    EXPECT_FALSE(WriteFileAtomically(folder / name, [&] { return std::string_view(pieces[next++]); }));
    EXPECT_EQ(ReadAll(folder / name), "second");
    EXPECT_EQ(Entries(folder), std::vector<std::string>{name});
    EXPECT_EQ(WriteFileAtomically(folder / (name + "x"), "x"), "File name too long");
}

// A writer killed at any moment leaves the old file or the new one, complete,
// and no temporary file.
TEST(AtomicFile, KilledWriterLeavesNoTemporaryFile) {
    TempFolder folder;
    const auto file = folder / "big.bmp";
    const std::string first(48 << 20, 'a'), second(48 << 20, 'b');
    for (int round = 0; round < 8; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 0;; ++i) WriteFileAtomically(file, i % 2 ? second : first);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(7 + 23 * round));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        const auto names = Entries(folder);
        ASSERT_TRUE(names.empty() || names == std::vector<std::string>{"big.bmp"}) << names.back();
        if (!names.empty()) {
            EXPECT_EQ(fs::file_size(file), first.size());
        }
    }
}

// A writer that needs a file name writes the scratch file through its link,
// while the temporary folder shows no file.
TEST(AtomicFile, ScratchFileHasNoNameInTheTemporaryFolder) {
    TempFolder folder;
    const char* previous = std::getenv("TMPDIR");
    const std::string kept = previous ? previous : "";
    ::setenv("TMPDIR", folder.path().c_str(), 1);
    {
        const ScratchFile scratch;
        ASSERT_FALSE(scratch.Path().empty());
        WriteAll(scratch.Path(), "page");
        EXPECT_EQ(ReadAll(scratch.Path()), "page");
        EXPECT_TRUE(Entries(folder).empty());
    }
    if (previous) {
        ::setenv("TMPDIR", kept.c_str(), 1);
    } else {
        ::unsetenv("TMPDIR");
    }
}
