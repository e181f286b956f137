// SafeFileWriter: readers see the old file or the complete new one, nothing
// beside the target is touched, and failures and signals leave nothing behind.
#include "platform/files/SafeFile.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

mode_t permissionsOf(const fs::path& path)
{
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

bool writeWhole(const std::string& target, const std::string& text, bool seed = false)
{
    SafeFileWriter writer(target);
    return writer.Open(seed) && writer.Write(text.data(), text.size()) && writer.Commit();
}

// Runs `body` in a forked child and returns its wait status. The child runs
// as an unprivileged user when the tests run as root, so that permissions
// apply to it.
int runInChild(const std::function<int()>& body, bool unprivileged = false)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (unprivileged && ::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(100);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

class SafeFileWriterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "zarn-safe-file-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        fs::permissions(dir, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    }
    void TearDown() override
    {
        for (const auto& entry : fs::recursive_directory_iterator(dir))
            if (fs::is_directory(entry.symlink_status()))
                fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir);
    }

    // The names in `folder`, to show that nothing else appeared or vanished.
    static std::set<std::string> namesIn(const fs::path& folder)
    {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.insert(entry.path().filename().string());
        return names;
    }

    fs::path dir;
};

TEST_F(SafeFileWriterTest, NewFileAppearsOnlyOnCommitWithUmaskPermissions)
{
    const fs::path out = dir / "out.txt";
    SafeFileWriter writer(out.string());
    ASSERT_TRUE(writer.Open());
    ASSERT_TRUE(writer.Write("hello ", 6));
    ASSERT_TRUE(writer.Write("world", 5));
    EXPECT_EQ(writer.BytesWritten(), 11u);
    EXPECT_FALSE(fs::exists(out));
    ASSERT_TRUE(writer.Commit());

    EXPECT_EQ(readFile(out), "hello world");
    EXPECT_EQ(permissionsOf(out), 0666 & ~currentUmask());
    EXPECT_EQ(namesIn(dir), std::set<std::string>{"out.txt"});
    EXPECT_FALSE(writer.Write("x", 1));
    EXPECT_EQ(errno, EBADF);
}

TEST_F(SafeFileWriterTest, ReplacementKeepsTheExistingPermissions)
{
    for (const mode_t mode : {0600, 0640, 0755, 0444}) {
        const fs::path out = dir / "out";
        writeFile(out, "old content");
        ASSERT_EQ(::chmod(out.c_str(), mode), 0);
        ASSERT_TRUE(writeWhole(out.string(), "new"));
        EXPECT_EQ(readFile(out), "new");
        EXPECT_EQ(permissionsOf(out), mode) << std::oct << mode;
    }
}

TEST_F(SafeFileWriterTest, DiscardOrDestructionKeepsTheOldFile)
{
    const fs::path out = dir / "out";
    writeFile(out, "old");
    {
        SafeFileWriter dropped(out.string());
        ASSERT_TRUE(dropped.Open());
        ASSERT_TRUE(dropped.Write("partial", 7));
    }
    SafeFileWriter discarded(out.string());
    ASSERT_TRUE(discarded.Open());
    ASSERT_TRUE(discarded.Write("partial", 7));
    discarded.Discard();
    discarded.Discard();
    EXPECT_FALSE(discarded.Commit());

    EXPECT_EQ(readFile(out), "old");
    EXPECT_EQ(namesIn(dir), std::set<std::string>{"out"});
}

TEST_F(SafeFileWriterTest, NeighbourFilesAreNeverTouched)
{
    const std::map<std::string, std::string> neighbours = {
        {"OUT.part", "someone's partial download"}, {".OUT.tmp", "hidden"}, {"OUT~", "backup"}, {"OUT.part.1", "more"}};
    for (const auto& [name, text] : neighbours)
        writeFile(dir / name, text);

    ASSERT_TRUE(writeWhole((dir / "OUT").string(), "result"));
    ASSERT_TRUE(writeWhole((dir / "OUT").string(), "second result", true));

    EXPECT_EQ(readFile(dir / "OUT"), "resultsecond result");
    for (const auto& [name, text] : neighbours)
        EXPECT_EQ(readFile(dir / name), text) << name;
    EXPECT_EQ(namesIn(dir).size(), neighbours.size() + 1);
}

TEST_F(SafeFileWriterTest, LongestNamesWork)
{
    std::string utf8Name;
    while (utf8Name.size() + 3 <= 255)
        utf8Name += "\xE2\x82\xAC";
    for (const std::string& name : {std::string(255, 'n'), std::string(251, 'n') + ".txt", utf8Name}) {
        const fs::path out = dir / name;
        ASSERT_TRUE(writeWhole(out.string(), "first")) << std::strerror(errno);
        ASSERT_TRUE(writeWhole(out.string(), "second")) << std::strerror(errno);
        EXPECT_EQ(readFile(out), "second");
        EXPECT_EQ(namesIn(dir), std::set<std::string>{name});
        fs::remove(out);
    }
}

TEST_F(SafeFileWriterTest, SeedingStartsFromTheCurrentFile)
{
    const fs::path out = dir / "download.bin";
    std::string big(200000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i * 7);
    writeFile(out, big);

    SafeFileWriter resumed(out.string());
    ASSERT_TRUE(resumed.Open(true));
    EXPECT_EQ(resumed.BytesWritten(), big.size());
    ASSERT_TRUE(resumed.Write("tail", 4));
    EXPECT_EQ(resumed.BytesWritten(), big.size() + 4);
    ASSERT_TRUE(resumed.Commit());
    EXPECT_EQ(readFile(out), big + "tail");

    SafeFileWriter fresh((dir / "missing.bin").string());
    ASSERT_TRUE(fresh.Open(true));
    EXPECT_EQ(fresh.BytesWritten(), 0u);
}

TEST_F(SafeFileWriterTest, SymbolicLinksAreWrittenThroughAndStayLinks)
{
    fs::create_directory(dir / "real");
    writeFile(dir / "real" / "file", "old");
    struct Case {
        const char* link;
        const char* pointsTo;
        fs::path file;
    };
    for (const Case& c :
        {Case{"direct", "real/file", dir / "real" / "file"}, Case{"chained", "direct", dir / "real" / "file"},
            Case{"absolute", nullptr, dir / "real" / "file"}, Case{"dangling", "real/new", dir / "real" / "new"}}) {
        const fs::path link = dir / c.link;
        fs::create_symlink(c.pointsTo ? fs::path(c.pointsTo) : c.file, link);
        SafeFileWriter writer(link.string());
        ASSERT_TRUE(writer.Open(true)) << c.link;
        EXPECT_EQ(fs::path(writer.FinalPath()), c.file) << c.link;
        ASSERT_TRUE(writer.Write("+", 1));
        ASSERT_TRUE(writer.Commit());
        EXPECT_TRUE(fs::is_symlink(link)) << c.link;
        EXPECT_EQ(readFile(link), readFile(c.file)) << c.link;
    }
    EXPECT_EQ(readFile(dir / "real" / "file"), "old+++");
    EXPECT_EQ(readFile(dir / "real" / "new"), "+");
    EXPECT_EQ(namesIn(dir / "real"), (std::set<std::string>{"file", "new"}));

    fs::create_symlink("loop", dir / "loop");
    SafeFileWriter loop((dir / "loop").string());
    EXPECT_FALSE(loop.Open());
    EXPECT_EQ(errno, ELOOP);
}

// A name from outside replaces a link or special file of its name with the
// new file; what they lead to is never read or written.
TEST_F(SafeFileWriterTest, ReplaceModeReplacesLinksAndSpecialFilesThemselves)
{
    fs::create_directory(dir / "outside");
    writeFile(dir / "outside" / "file", "outside");
    fs::create_symlink(dir / "outside" / "file", dir / "link");
    fs::create_symlink(dir / "outside" / "new", dir / "dangling");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    for (const char* name : {"link", "dangling", "fifo"}) {
        SafeFileWriter writer((dir / name).string(), SafeFileWriter::Existing::Replace);
        ASSERT_TRUE(writer.Open(true)) << name;
        EXPECT_EQ(writer.FinalPath(), (dir / name).string());
        EXPECT_EQ(writer.BytesWritten(), 0u) << name;
        ASSERT_TRUE(writer.Write("new", 3));
        ASSERT_TRUE(writer.Commit()) << name;
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir / name))) << name;
        EXPECT_EQ(readFile(dir / name), "new") << name;
    }
    EXPECT_EQ(namesIn(dir / "outside"), std::set<std::string>{"file"});
    EXPECT_EQ(readFile(dir / "outside" / "file"), "outside");

    fs::create_directory(dir / "folder");
    SafeFileWriter folder((dir / "folder").string(), SafeFileWriter::Existing::Replace);
    EXPECT_FALSE(folder.Open());
    EXPECT_EQ(errno, EISDIR);
}

TEST_F(SafeFileWriterTest, StaleTemporaryFilesOfATargetAreRemoved)
{
    const auto twoDaysAgo = fs::file_time_type::clock::now() - std::chrono::hours(48);
    const std::string longName(255, 'l');
    struct Leftover {
        std::string name;
        bool old;
        bool removed;
    };
    // The temporary name of the 255-byte target is cut to fit.
    const std::string longStem = "." + longName.substr(0, 255 - 10) + ".";
    const Leftover leftovers[]{
        {".out.Ab12Cd34", true, true},
        {".out.Ab12Cd34", false, false},
        {".out.Ab12Cd3", true, false},
        {".out.Ab12-d34", true, false},
        {".outer.Ab12Cd34", true, false},
        {"out", true, false},
        {longStem + "Ab12Cd34", true, true},
    };
    for (const Leftover& l : leftovers) {
        SCOPED_TRACE(l.name.substr(0, 20));
        fs::remove_all(dir);
        fs::create_directory(dir);
        writeFile(dir / l.name, "stale");
        if (l.old)
            fs::last_write_time(dir / l.name, twoDaysAgo);
        const std::string target = (dir / (l.name.size() > 200 ? longName : std::string("out"))).string();
        EXPECT_EQ(RemoveStaleTemporaryFiles(target), l.removed ? 1 : 0);
        EXPECT_EQ(fs::exists(dir / l.name), !l.removed);
    }
}

TEST_F(SafeFileWriterTest, FifoIsWrittenDirectly)
{
    const fs::path fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = readFile(fifo); });

    SafeFileWriter writer(fifo.string());
    ASSERT_TRUE(writer.Open(true));
    EXPECT_EQ(writer.BytesWritten(), 0u);
    ASSERT_TRUE(writer.Write("through the pipe", 16));
    ASSERT_TRUE(writer.Commit());
    reader.join();

    EXPECT_EQ(received, "through the pipe");
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_EQ(namesIn(dir), std::set<std::string>{"fifo"});
}

TEST_F(SafeFileWriterTest, DashMeansStandardOutput)
{
    const fs::path captured = dir / "stdout";
    const int saved = ::dup(STDOUT_FILENO);
    const int file = ::open(captured.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(file, STDOUT_FILENO);
    ::close(file);
    {
        SafeFileWriter writer("-");
        const bool written = writer.Open() && writer.Write("to stdout", 9) && writer.Commit();
        ::dup2(saved, STDOUT_FILENO);
        ::close(saved);
        EXPECT_TRUE(written);
    }
    EXPECT_EQ(readFile(captured), "to stdout");
    EXPECT_EQ(namesIn(dir), std::set<std::string>{"stdout"});
}

TEST_F(SafeFileWriterTest, FailuresSetErrnoAndLeaveNothing)
{
    fs::create_directory(dir / "folder");
    struct Case {
        std::string target;
        int error;
    };
    for (const Case& c : {Case{(dir / "missing" / "out").string(), ENOENT}, Case{(dir / "folder").string(), EISDIR},
             Case{(dir / "folder").string() + "/", EISDIR}, Case{(dir / "folder" / "..").string(), EISDIR},
             Case{"", ENOENT}}) {
        SafeFileWriter writer(c.target);
        errno = 0;
        EXPECT_FALSE(writer.Open()) << c.target;
        EXPECT_EQ(errno, c.error) << c.target;
        EXPECT_FALSE(writer.Write("x", 1));
        EXPECT_EQ(errno, EBADF);
    }
    EXPECT_EQ(namesIn(dir), std::set<std::string>{"folder"});
    EXPECT_TRUE(namesIn(dir / "folder").empty());

    SafeFileWriter full("/dev/full");
    ASSERT_TRUE(full.Open());
    EXPECT_FALSE(full.Write("x", 1));
    EXPECT_EQ(errno, ENOSPC);
}

TEST_F(SafeFileWriterTest, ReadOnlyFolderFailsWithEacces)
{
    const fs::path folder = dir / "read-only";
    fs::create_directory(folder);
    writeFile(folder / "out", "old");
    fs::permissions(folder,
        fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read | fs::perms::group_exec
            | fs::perms::others_read | fs::perms::others_exec);
    const int status = runInChild(
        [&] {
            SafeFileWriter writer((folder / "out").string());
            return !writer.Open() && errno == EACCES ? 0 : 1;
        },
        true);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(namesIn(folder), std::set<std::string>{"out"});
    EXPECT_EQ(readFile(folder / "out"), "old");
}

// Two writers of one target, again and again, while a reader checks that the
// file only ever holds one writer's complete output.
TEST_F(SafeFileWriterTest, WritersAtOnceNeverMixTheirOutputs)
{
    const std::string target = (dir / "shared").string();
    const std::string outputs[] = {std::string(300000, 'A'), std::string(200000, 'B')};
    constexpr int kRounds = 40;
    std::atomic<int> running{2};
    std::atomic<bool> failed{false};
    auto writeRounds = [&](const std::string& output) {
        for (int round = 0; round < kRounds; ++round) {
            SafeFileWriter writer(target);
            bool ok = writer.Open();
            for (std::size_t at = 0; ok && at < output.size(); at += 4096)
                ok = writer.Write(output.data() + at, std::min<std::size_t>(4096, output.size() - at));
            if (!ok || !writer.Commit())
                failed = true;
        }
        --running;
    };
    std::thread first(writeRounds, outputs[0]), second(writeRounds, outputs[1]);

    std::set<std::string> mixed;
    while (running > 0) {
        const std::string seen = readFile(target);
        if (!seen.empty() && seen != outputs[0] && seen != outputs[1])
            mixed.insert(seen.substr(0, 16) + "... (" + std::to_string(seen.size()) + " bytes)");
    }
    first.join();
    second.join();

    EXPECT_FALSE(failed);
    EXPECT_TRUE(mixed.empty()) << *mixed.begin();
    const std::string last = readFile(target);
    EXPECT_TRUE(last == outputs[0] || last == outputs[1]);
    EXPECT_EQ(namesIn(dir), std::set<std::string>{"shared"});
}

TEST_F(SafeFileWriterTest, RemovingTemporaryFilesNowMakesCommitFail)
{
    const fs::path out = dir / "out";
    writeFile(out, "old");
    SafeFileWriter writer(out.string());
    ASSERT_TRUE(writer.Open());
    ASSERT_TRUE(writer.Write("new", 3));
    RemoveTemporaryFilesNow();
    EXPECT_EQ(namesIn(dir), std::set<std::string>{"out"});
    EXPECT_FALSE(writer.Commit());
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(readFile(out), "old");
}

// A child process writing a file is ended by the signal; its temporary file
// goes with it and the old file stays.
TEST_F(SafeFileWriterTest, InterruptedProcessLeavesNoTemporaryFile)
{
    const fs::path out = dir / "out";
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        writeFile(out, "old");
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(ready[0]);
            RemoveTemporaryFilesOnSignals();
            RemoveTemporaryFilesOnSignals();
            SafeFileWriter writer(out.string());
            if (!writer.Open() || !writer.Write("partial", 7))
                ::_exit(1);
            [[maybe_unused]] const ssize_t told = ::write(ready[1], "r", 1);
            for (;;)
                ::pause();
        }
        ::close(ready[1]);
        char byte = 0;
        ASSERT_EQ(::read(ready[0], &byte, 1), 1);
        ::close(ready[0]);
        EXPECT_EQ(namesIn(dir).size(), 2u);
        ::kill(pid, signal);
        int status = 0;
        ::waitpid(pid, &status, 0);

        ASSERT_TRUE(WIFSIGNALED(status));
        EXPECT_EQ(WTERMSIG(status), signal);
        EXPECT_EQ(namesIn(dir), std::set<std::string>{"out"});
        EXPECT_EQ(readFile(out), "old");
    }
}

} // namespace
