#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "records/Module_ini.h"
#include "records/Profile.h"
#include "tests/TempFolder.h"

using namespace velmora;
using velmora::testing::ReadAll;
using velmora::testing::TempFolder;
using velmora::testing::WriteAll;

namespace {
std::string Value(std::string_view contents, std::string_view section, std::string_view key) {
    return ProfileValue(contents, section, key).value_or("<missing>");
}
}  // namespace

TEST(ProfileValue, NamesMatchWithoutCaseAndBlanksAreTrimmed) {
    const std::string file = "[Main]\r\nApp=x\r\n  [ initial ]  \r\n  PTN =  2 \r\nEmpty=\r\nColor=4\n";
    EXPECT_EQ(Value(file, "Initial", "Ptn"), "2");
    EXPECT_EQ(Value(file, "INITIAL", "ptn"), "2");
    EXPECT_EQ(Value(file, "Initial", "Color"), "4");  // LF line end
    EXPECT_EQ(Value(file, "Initial", "Empty"), "");
    EXPECT_EQ(Value(file, "Initial", "App"), "<missing>");  // key of another section
    EXPECT_EQ(Value(file, "Other", "Ptn"), "<missing>");
    EXPECT_EQ(Value("", "Initial", "Ptn"), "<missing>");
    EXPECT_EQ(Value("\xEF\xBB\xBF[Initial]\na=1", "Initial", "a"), "1");  // byte order mark, no final line end

    const std::string twice = "a=0\n[S]\na=1\na=2\nb\n[S]\na=3\nc=4\n";
    EXPECT_EQ(Value(twice, "S", "a"), "1");
    EXPECT_EQ(Value(twice, "S", "b"), "<missing>");  // a line without "=" holds no key
    EXPECT_EQ(Value(twice, "S", "c"), "<missing>");  // only the first section of a name is read
}

TEST(ProfileValue, ValuesAreCutAndBinaryBytesAreHarmless) {
    EXPECT_EQ(Value("[S]\nk=" + std::string(300, 'x') + "\n", "S", "k"), std::string(255, 'x'));
    EXPECT_EQ(Value(std::string("[S]\nk=ab\0cd\n", 12), "S", "k"), "ab");
    EXPECT_EQ(Value("[S]\nk=\xFF\xFE\xC3\n", "S", "k"), "\xFF\xFE\xC3");
    std::string manyLines = "[S]\n";
    for (int i = 0; i < 250000; ++i) manyLines += "k=1\n";  // lines are scanned once, not once per line
    EXPECT_EQ(Value(manyLines, "S", "missing"), "<missing>");
    EXPECT_EQ(ProfileWithEntries(manyLines, {{"S", "n", "2"}}), manyLines + "n=2\n");
    std::string noise;
    for (int i = 0; i < 100000; ++i) noise += static_cast<char>((i * 7919) % 256);
    EXPECT_EQ(Value(noise, "Initial", "Ptn"), "<missing>");
}

TEST(ProfileWithEntries, NewContentsUseCrLfInGivenOrder) {
    EXPECT_EQ(ProfileWithEntries("", {{"Main", "App", "v"}, {"Initial", "Ptn", "2"}, {"Main", "Date", "d"}}),
              "[Main]\r\nApp=v\r\nDate=d\r\n[Initial]\r\nPtn=2\r\n");
}

TEST(ProfileWithEntries, UpdatesKeepEveryOtherByte) {
    const std::string file =
        "; comment\n[Other]\nx = 1\n\n[INITIAL]\n  ptn = 1   \nunknown=7\n\n\n[Last]\nz=9";
    EXPECT_EQ(ProfileWithEntries(file, {{"Initial", "Ptn", "3"}}),
              "; comment\n[Other]\nx = 1\n\n[INITIAL]\n  ptn = 3\nunknown=7\n\n\n[Last]\nz=9");
    EXPECT_EQ(ProfileWithEntries(file, {{"Initial", "a", "0.5"}}),
              "; comment\n[Other]\nx = 1\n\n[INITIAL]\n  ptn = 1   \nunknown=7\na=0.5\n\n\n[Last]\nz=9");
    EXPECT_EQ(ProfileWithEntries(file, {{"Last", "y", ""}}), file + "\ny=\n");
    EXPECT_EQ(ProfileWithEntries(file, {{"Main", "App", "v"}}), file + "\n[Main]\nApp=v\n");
    const std::string crlf = "[S]\r\nk=1\r\n";
    EXPECT_EQ(ProfileWithEntries(crlf, {{"S", "k", ""}, {"S", "n", "2"}}), "[S]\r\nk=\r\nn=2\r\n");
    EXPECT_EQ(ProfileWithEntries("[S]\nk=\n", {{"S", "k", "v"}}), "[S]\nk=v\n");
    // A value cannot add lines.
    EXPECT_EQ(ProfileWithEntries("", {{"S", "k", "1\r\n[Main]\r\nApp=forged"}}), "[S]\r\nk=1\r\n");
}

TEST(ProfileWithEntries, ReadsBackWhatItWrites) {
    const std::vector<std::string> values = {"", "0.051", "-1.5E-07", "no ent", " padded ", "日本語", "a=b"};
    std::string contents = "junk\n[Initial]\nk0=old";
    std::vector<ProfileEntry> entries;
    for (std::size_t i = 0; i < values.size(); ++i) entries.push_back({"Initial", "k" + std::to_string(i), values[i]});
    contents = ProfileWithEntries(contents, entries);
    for (std::size_t i = 0; i < values.size(); ++i) {
        const auto expected = values[i] == " padded " ? std::string("padded") : values[i];
        EXPECT_EQ(Value(contents, "Initial", "k" + std::to_string(i)), expected);
    }
}

TEST(ProfileFile, ReadsABoundedPrefixOfRegularFilesOnly) {
    TempFolder folder;
    const auto big = folder / "big.bin";
    WriteAll(big, "[Initial]\nPtn=2\n" + std::string(3 * kProfileSizeLimit, '\0'));
    const auto contents = ReadProfileFile(big);
    ASSERT_TRUE(contents);
    EXPECT_EQ(contents->size(), kProfileSizeLimit);
    EXPECT_EQ(Value(*contents, "Initial", "Ptn"), "2");
    EXPECT_FALSE(ReadProfileFile(folder / "missing"));
    EXPECT_FALSE(ReadProfileFile(folder.path().string()));
    const auto fifo = folder / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(ReadProfileFile(fifo));  // returns at once instead of waiting for a writer
    EXPECT_EQ(ReadProfileFile("/proc/self/status"), "");  // reports a size of 0, as files that block do
}

TEST(ProfileFile, FailedWritesLeaveTheFileIntact) {
    TempFolder folder;
    const auto file = folder / "a_dat.txt";
    WriteAll(file, "[Initial]\nPtn=1\n");
    EXPECT_TRUE(WriteProfileEntries(folder / "no-such-folder/x.txt", {{"S", "k", "v"}}));
    EXPECT_TRUE(WriteProfileEntries(file + "/x.txt", {{"S", "k", "v"}}));  // a file used as a folder
    EXPECT_TRUE(WriteProfileEntries(folder.path().string(), {{"S", "k", "v"}}));
    WriteAll(folder / "huge", std::string(kProfileSizeLimit + 1, 'x'));
    EXPECT_TRUE(WriteProfileEntries(folder / "huge", {{"S", "k", "v"}}));
    EXPECT_EQ(std::filesystem::file_size(folder / "huge"), kProfileSizeLimit + 1);
    if (::geteuid() != 0) {  // permissions do not bind the superuser
        ::chmod(folder.path().c_str(), 0555);
        const auto reason = WriteProfileEntries(file, {{"Initial", "Ptn", "2"}});
        ::chmod(folder.path().c_str(), 0755);
        ASSERT_TRUE(reason);
        EXPECT_EQ(*reason, "Permission denied");
    }
    const auto locked = folder / "locked_dat.txt";
    WriteAll(locked, "[Initial]\nPtn=1\n");
    ::chmod(locked.c_str(), 0444);  // refused even for the superuser, who could rename over it
    EXPECT_EQ(WriteProfileEntries(locked, {{"Initial", "Ptn", "2"}}), "Permission denied");
    EXPECT_EQ(ReadAll(locked), "[Initial]\nPtn=1\n");
    EXPECT_EQ(ReadAll(file), "[Initial]\nPtn=1\n");
    ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);  // neither read nor replaced through a link
    std::filesystem::create_symlink("pipe", folder / "piped_dat.txt");
    EXPECT_EQ(WriteProfileEntries(folder / "piped_dat.txt", {{"S", "k", "v"}}), "Not a regular file");
    EXPECT_TRUE(std::filesystem::is_fifo(folder / "pipe"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 5);  // no temporary left
}

TEST(ProfileFile, WritingThroughALinkUpdatesTheLinkedFile) {
    TempFolder folder;
    const auto file = folder / "params.txt";
    const auto link = folder / "Fractal_dat.txt";
    WriteAll(file, "[Initial]\nPtn=1\n");
    std::filesystem::create_symlink("params.txt", link);
    EXPECT_FALSE(WriteProfileEntries(link, {{"Initial", "Ptn", "2"}}));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadAll(file), "[Initial]\nPtn=2\n");
}

TEST(ModuleIni, ReadsEveryKeyFromTheFileAsItIsNow) {
    TempFolder folder;
    Module_ini::IniFileName = folder / "x_dat.txt";
    EXPECT_EQ(Module_ini::ReadIni("Initial", "Ptn"), "no ent");
    EXPECT_FALSE(Module_ini::WriteIni("Initial", "Ptn", "1"));
    EXPECT_EQ(ReadAll(Module_ini::IniFileName), "[Initial]\r\nPtn=1\r\n");
    EXPECT_EQ(Module_ini::ReadIni("Initial", "Ptn"), "1");
    WriteAll(Module_ini::IniFileName, "[Initial]\nPtn=4\nColor=\n");  // edited by hand
    EXPECT_EQ(Module_ini::ReadIni("Initial", "Ptn"), "4");
    EXPECT_EQ(Module_ini::ReadIni("Initial", "Color"), "");
    EXPECT_EQ(Module_ini::ReadIni("Initial", "HiRes"), "no ent");
}

TEST(ModuleIni, FileExistFollowsTheFirstMatch) {
    using Module_ini::FileExist;
    TempFolder folder;
    WriteAll(folder / "Fractal_dat.txt", "");
    WriteAll(folder / ".hidden", "");
    std::filesystem::create_directory(folder / "sub");
    EXPECT_TRUE(FileExist(folder / "Fractal_dat.txt"));
    EXPECT_FALSE(FileExist(folder / "Fractal_dattxt"));
    EXPECT_TRUE(FileExist(folder / ".hidden"));
    EXPECT_TRUE(FileExist(folder / "sub"));
    EXPECT_TRUE(FileExist(folder / "Fr*.t?t"));
    EXPECT_TRUE(FileExist(folder / "*_dat.txt"));
    EXPECT_FALSE(FileExist(folder / "*.bmp"));
    EXPECT_FALSE(FileExist(folder / "."));
    EXPECT_FALSE(FileExist(folder / "sub/.."));
    EXPECT_FALSE(FileExist(folder / "sub/"));
    EXPECT_FALSE(FileExist(""));
    EXPECT_FALSE(FileExist(folder / "Fractal_dat.txt/x"));
    EXPECT_FALSE(FileExist(folder / std::string(5000, 'n')));
}
