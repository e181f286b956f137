// The zarn-highlight command: files and standard streams, and clear failures.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

#include "highlight/HighlightXML.h"

namespace {

namespace fs = std::filesystem;

struct ToolRun {
    int exitCode;
    std::string err;
};

class HighlightTool : public ::testing::Test {
protected:
    void SetUp() override
    {
        FDir = fs::temp_directory_path() / ("zarn-highlight-test-" + std::to_string(::getpid()));
        fs::create_directories(FDir);
    }
    void TearDown() override { fs::remove_all(FDir); }

    // Runs the tool in FDir, so that relative names land there.
    ToolRun Call(const std::string& args)
    {
        const fs::path err = FDir / "stderr";
        const int status = std::system(
            ("cd '" + FDir.string() + "' && " + ZARN_HIGHLIGHT + " " + args + " 2>'" + err.string() + "'").c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Read(err)};
    }
    static std::string Read(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    fs::path Write(const std::string& name, const std::string& text)
    {
        std::ofstream(FDir / name, std::ios::binary) << text;
        return FDir / name;
    }
    std::set<std::string> Names() const
    {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(FDir))
            names.insert(entry.path().filename().string());
        return names;
    }
    static std::string Document(const std::string& text)
    {
        THighlightXML h;
        h.SetText(text);
        return h.GetRtf();
    }

    // Starts the tool without a shell, its standard error going to FDir/stderr.
    pid_t Start(const std::vector<std::string>& args)
    {
        const std::string err = (FDir / "stderr").string();
        const pid_t pid = ::fork();
        if (pid == 0) {
            const int fd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(fd, STDERR_FILENO);
            std::vector<char*> argv{const_cast<char*>(ZARN_HIGHLIGHT)};
            for (const std::string& arg : args)
                argv.push_back(const_cast<char*>(arg.c_str()));
            argv.push_back(nullptr);
            ::execv(ZARN_HIGHLIGHT, argv.data());
            ::_exit(127);
        }
        return pid;
    }

    // Starts a run and stops it while its temporary output file exists; -1
    // when every try finished first. A large input gives plenty of time.
    pid_t StartAndStopWhileWriting(const std::vector<std::string>& args)
    {
        Write("stderr", "");
        const std::size_t before = Names().size();
        const auto writing = [&] { return Names().size() > before; };
        for (int attempt = 0; attempt < 5; ++attempt) {
            const pid_t pid = Start(args);
            int status = 0;
            while (!writing() && ::waitpid(pid, &status, WNOHANG) == 0) {}
            if (::kill(pid, SIGSTOP) == 0 && ::waitpid(pid, &status, WUNTRACED) == pid && WIFSTOPPED(status)) {
                if (writing())
                    return pid;
                ::kill(pid, SIGCONT);
                ::waitpid(pid, &status, 0);
            }
        }
        return -1;
    }

    fs::path FDir;
};

TEST_F(HighlightTool, FileAndStreamsGiveTheLibrarysDocument)
{
    const std::string text = "<a x=\"1\">t &amp; caf\xC3\xA9</a>\r\n";
    THighlightXML h;
    h.SetText(text);
    const std::string expected = h.GetRtf();
    const fs::path in = Write("in.xml", text), out = FDir / "out.rtf";

    EXPECT_EQ(Call("--xml '" + in.string() + "' -o '" + out.string() + "'").exitCode, 0);
    EXPECT_EQ(Read(out), expected);
    EXPECT_FALSE(fs::exists(out.string() + ".part"));

    for (const std::string toStandardOutput : {"", "-o -", "- -o -"}) {
        const fs::path piped = FDir / "piped.rtf";
        EXPECT_EQ(
            Call("--xml " + toStandardOutput + " < '" + in.string() + "' > '" + piped.string() + "'").exitCode, 0);
        EXPECT_EQ(Read(piped), expected) << toStandardOutput;
    }
    EXPECT_FALSE(fs::exists(FDir / "-"));
}

// The document replaces what the target names: the file behind a link (the
// link stays), a file with the longest name, an existing file keeping its
// permissions. Nothing else appears beside it.
TEST_F(HighlightTool, OutputReplacesTheTargetFileOnly)
{
    const std::string text = "<doc a='1'>x</doc>";
    const fs::path in = Write("in.xml", text);
    fs::create_directory(FDir / "real");
    const fs::path linked = Write("real/linked.rtf", "old");
    fs::create_symlink("real/linked.rtf", FDir / "link.rtf");
    const fs::path longName = Write(std::string(251, 'n') + ".rtf", "old");
    const fs::path private0600 = Write("private.rtf", "old");
    ::chmod(private0600.c_str(), 0600);
    Write("private.rtf.part", "a neighbour");
    Write("stderr", "");
    const std::set<std::string> names = Names();

    for (const fs::path& target : {FDir / "link.rtf", longName, private0600}) {
        const ToolRun run = Call("--xml '" + in.string() + "' -o '" + target.string() + "'");
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(Read(target), Document(text)) << target;
    }
    EXPECT_TRUE(fs::is_symlink(FDir / "link.rtf"));
    EXPECT_EQ(Read(linked), Document(text));
    EXPECT_EQ(fs::status(private0600).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(Read(FDir / "private.rtf.part"), "a neighbour");
    EXPECT_EQ(Names(), names);
    EXPECT_EQ(std::distance(fs::directory_iterator(FDir / "real"), {}), 1);
}

TEST_F(HighlightTool, FifoOutputIsWrittenDirectly)
{
    const std::string text = "<doc>through a pipe</doc>";
    const fs::path in = Write("in.xml", text), fifo = FDir / "out.fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = Read(fifo); });
    EXPECT_EQ(Call("--xml '" + in.string() + "' -o '" + fifo.string() + "'").exitCode, 0);
    reader.join();
    EXPECT_EQ(received, Document(text));
    EXPECT_TRUE(fs::is_fifo(fifo));
}

// Two runs writing one file at once: both succeed and the file is one of
// their documents, whole.
TEST_F(HighlightTool, TwoRunsWritingOneTargetNeverMix)
{
    std::string first, second;
    for (int i = 0; i < 40000; ++i) {
        first += "<a x=\"" + std::to_string(i) + "\">one</a>\n";
        second += "<!-- " + std::to_string(i) + " --><b>two</b>\n";
    }
    const fs::path firstIn = Write("first.xml", first), secondIn = Write("second.xml", second);
    const fs::path out = FDir / "out.rtf";
    for (int round = 0; round < 3; ++round) {
        ToolRun runs[2];
        std::thread other([&] { runs[1] = Call("--xml '" + secondIn.string() + "' -o '" + out.string() + "'"); });
        runs[0] = Call("--xml '" + firstIn.string() + "' -o '" + out.string() + "'");
        other.join();
        EXPECT_EQ(runs[0].exitCode, 0) << runs[0].err;
        EXPECT_EQ(runs[1].exitCode, 0) << runs[1].err;
        const std::string result = Read(out);
        EXPECT_TRUE(result == Document(first) || result == Document(second)) << result.size() << " bytes";
    }
    EXPECT_EQ(Names(), (std::set<std::string>{"first.xml", "second.xml", "out.rtf", "stderr"}));
}

// A run ended by Ctrl-C, SIGTERM or a cut-short input (SIGBUS) leaves the
// old document and no temporary file.
TEST_F(HighlightTool, InterruptedRunLeavesTheOldFileOnly)
{
    std::string text;
    while (text.size() < (32u << 20))
        text += "<p class=\"x\">text &amp; more <b>bold</b></p>\n";
    const fs::path in = Write("in.html", text), out = Write("out.rtf", "old");
    Write("stderr", "");
    const std::set<std::string> names = Names();

    for (const int signal : {SIGINT, SIGTERM, SIGBUS}) {
        const pid_t pid = StartAndStopWhileWriting({"--html", in.string(), "-o", out.string()});
        ASSERT_GT(pid, 0) << "every run finished before it could be stopped";
        ::kill(pid, signal);
        ::kill(pid, SIGCONT);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);

        if (signal == SIGBUS) {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
            EXPECT_NE(Read(FDir / "stderr").find("cut short"), std::string::npos);
        } else {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        }
        EXPECT_EQ(Names(), names) << "signal " << signal;
        EXPECT_EQ(Read(out), "old");
    }
}

// A file is read in place; one that fills its last page exactly has no byte
// after it, and texts ending inside a string, comment or word scan to the end.
TEST_F(HighlightTool, FilesEndingAtAPageBorderGiveTheLibrarysDocument)
{
    const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    for (const std::string tail : {"", "<a x=\"unterminated", "<!-- open comment", "<tag", "caf\xC3"})
        for (const std::size_t size : {tail.size(), page - 1, page, 2 * page, 2 * page + 1}) {
            std::string text(size - tail.size(), ' ');
            for (std::size_t i = 40; i < text.size(); i += 41)
                text[i] = '\n';
            text += tail;
            THighlightXML h;
            h.SetText(text);
            const fs::path in = Write("in.xml", text), out = FDir / "out.rtf";
            EXPECT_EQ(Call("--xml '" + in.string() + "' -o '" + out.string() + "'").exitCode, 0);
            EXPECT_EQ(Read(out), h.GetRtf()) << "tail '" << tail << "', " << size << " bytes";
        }
}

TEST_F(HighlightTool, FailuresAreReportedWithNonZeroExit)
{
    const ToolRun missing = Call("--html '" + (FDir / "none.html").string() + "'");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("cannot read"), std::string::npos) << missing.err;
    EXPECT_NE(missing.err.find("none.html"), std::string::npos) << missing.err;

    const ToolRun directory = Call("--html '" + FDir.string() + "'");
    EXPECT_EQ(directory.exitCode, 1);
    EXPECT_NE(directory.err.find("Is a directory"), std::string::npos) << directory.err;

    const fs::path in = Write("in.html", "<p>");
    const ToolRun unwritable = Call("--html '" + in.string() + "' -o '" + (FDir / "no/such/out.rtf").string() + "'");
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_NE(unwritable.err.find("cannot write"), std::string::npos) << unwritable.err;

    EXPECT_EQ(Call("'" + in.string() + "'").exitCode, 2);
    EXPECT_EQ(Call("--html --bogus").exitCode, 2);
}

} // namespace
