// Folder listings give each entry's type without a lookup per entry, links
// resolved; whole-file reads get every byte, fail with the reason, and never
// wait on a FIFO or read a device forever.
#include "platform/files/PlainFiles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <map>

#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class PlainFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("plain-files-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path dir_;
};

TEST_F(PlainFilesTest, ListingTellsFoldersFromFilesAndFollowsLinks)
{
    fs::create_directory(dir_ / "Folder");
    std::ofstream(dir_ / "Page.url") << "x";
    std::ofstream(dir_ / ".hidden") << "x";
    fs::create_directory_symlink(dir_ / "Folder", dir_ / "LinkToFolder");
    fs::create_symlink(dir_ / "Page.url", dir_ / "LinkToFile");
    fs::create_symlink(dir_ / "Missing", dir_ / "BrokenLink");
    ASSERT_EQ(::mkfifo((dir_ / "Pipe").c_str(), 0600), 0);

    std::vector<FolderEntry> entries{{"stale", true}};
    ASSERT_TRUE(ListFolder(dir_.string(), entries));
    std::map<std::string, std::pair<bool, bool>> seen; // folder, link
    for (const FolderEntry& entry : entries)
        seen[entry.name] = {entry.isFolder, entry.isLink};
    const std::map<std::string, std::pair<bool, bool>> expected{{"Folder", {true, false}}, {"Page.url", {false, false}},
        {".hidden", {false, false}}, {"LinkToFolder", {true, true}}, {"LinkToFile", {false, true}},
        {"BrokenLink", {false, true}}, {"Pipe", {false, false}}};
    EXPECT_EQ(seen, expected);
}

TEST_F(PlainFilesTest, ListingAMissingFolderFailsEmpty)
{
    std::vector<FolderEntry> entries{{"stale", false}};
    errno = 0;
    EXPECT_FALSE(ListFolder((dir_ / "missing").string(), entries));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_TRUE(entries.empty());
}

TEST_F(PlainFilesTest, WholeFileReadsGetEveryByteOrTheReason)
{
    std::string large(100000, '\0');
    for (std::size_t i = 0; i < large.size(); ++i)
        large[i] = char(i * 7 + i / 251);
    std::ofstream(dir_ / "large", std::ios::binary) << large;
    std::ofstream(dir_ / "empty");
    fs::create_directory(dir_ / "folder");
    ASSERT_EQ(::mkfifo((dir_ / "pipe").c_str(), 0600), 0);

    struct Case {
        std::string name;
        std::size_t maxBytes;
        bool ok;
        int error;
        std::string content;
    } cases[] = {
        {"large", large.size(), true, 0, large},
        {"large", large.size() - 1, false, EFBIG, ""},
        {"empty", 0, true, 0, ""},
        {"pipe", 10, true, 0, ""}, // no writer: read as empty at once
        {"missing", 10, false, ENOENT, ""},
        {"folder", 10, false, EISDIR, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + " at most " + std::to_string(c.maxBytes));
        std::string content = "stale";
        errno = 0;
        EXPECT_EQ(ReadWholeFile((dir_ / c.name).string(), content, c.maxBytes), c.ok);
        if (!c.ok) {
            EXPECT_EQ(errno, c.error);
        }
        EXPECT_EQ(content, c.content);
    }

    std::string zeros;
    EXPECT_FALSE(ReadWholeFile("/dev/zero", zeros, 1 << 20));
    EXPECT_EQ(errno, EFBIG);
}

} // namespace
