#include "FixtureServer.h"
#include "ServerGate.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <thread>

extern char** environ;

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string readAll(int fd)
{
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))
        if (n > 0)
            text.append(buffer, static_cast<std::size_t>(n));
    return text;
}

std::vector<std::string> entriesOf(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// zarn-download started with arguments (no shell between), its standard
// output on a pipe and its standard error on the given descriptor.
class Tool {
public:
    Tool(const std::vector<std::string>& args, int errFd, std::optional<std::string> columns = std::nullopt)
    {
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e)
            if (std::strncmp(*e, "COLUMNS=", 8) != 0)
                env.emplace_back(*e);
        if (columns)
            env.push_back("COLUMNS=" + *columns);
        std::vector<std::string> argv{ZARN_DOWNLOAD_EXE};
        argv.insert(argv.end(), args.begin(), args.end());

        int out[2];
        EXPECT_EQ(pipe2(out, O_CLOEXEC), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, errFd, STDERR_FILENO);
        EXPECT_EQ(
            posix_spawn(&pid_, argv[0].c_str(), &actions, nullptr, pointers(argv).data(), pointers(env).data()), 0);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        out_ = out[0];
    }
    ~Tool()
    {
        if (out_ >= 0)
            Finish();
    }

    pid_t Pid() const { return pid_; }

    // Reads standard output to its end and waits for the exit.
    std::string Finish()
    {
        std::string text = readAll(out_);
        close(out_);
        out_ = -1;
        waitpid(pid_, &status_, 0);
        return text;
    }
    int ExitCode() const { return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1; }
    int Signal() const { return WIFSIGNALED(status_) ? WTERMSIG(status_) : 0; }

private:
    static std::vector<char*> pointers(std::vector<std::string>& texts)
    {
        std::vector<char*> list;
        for (auto& text : texts)
            list.push_back(text.data());
        list.push_back(nullptr);
        return list;
    }

    pid_t pid_ = -1;
    int out_ = -1;
    int status_ = 0;
};

struct RunResult {
    int exitCode;
    std::string out;
    std::string err;
};

// Names a hostile server sends, served at /named/<index>.
const std::vector<std::string> kHostileNames{"report.pdf", "link.pdf", "dangling.pdf", ".bashrc",
    "a\xE2\x80\xAEgpj.exe", std::string(1500, 'n') + ".txt", "..profile"};

class ZarnDownloadToolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/zarn-download-tool-XXXXXX";
        dir_ = mkdtemp(pattern);
        auto& s = fixture_.server();
        s.set_keep_alive_max_count(1);
        s.Get("/report.pdf",
            [](const httplib::Request&, httplib::Response& res) { res.set_content("%PDF", "application/pdf"); });
        s.Get("/attachment", [](const httplib::Request&, httplib::Response& res) {
            res.set_header("Content-Disposition", "attachment; filename=\"../../evil.pdf\"");
            res.set_content("%PDF", "application/pdf");
        });
        s.Get(R"(/named/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
            res.set_header(
                "Content-Disposition", "attachment; filename=\"" + kHostileNames.at(std::stoul(req.matches[1])) + "\"");
            res.set_content("from server", "application/octet-stream");
        });
        s.Get("/loop", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/loop"); });
        s.Get("/stalls.bin", [this](const httplib::Request&, httplib::Response& res) {
            res.set_chunked_content_provider(
                "application/octet-stream", [this](size_t offset, httplib::DataSink& sink) {
                    if (offset == 0)
                        return sink.write("first", 5);
                    gate_.Wait();
                    sink.done();
                    return true;
                });
        });
        // Paced bodies, 20 blocks over about a second: with a size and
        // without one, and one that trickles until the test ends.
        s.Get("/paced-sized.bin", [](const httplib::Request&, httplib::Response& res) {
            res.set_content_provider(kPacedSize, "application/octet-stream", pacedBlocks);
        });
        s.Get("/paced.bin", [](const httplib::Request&, httplib::Response& res) {
            res.set_chunked_content_provider("application/octet-stream",
                [](size_t offset, httplib::DataSink& sink) { return pacedBlocks(offset, kPacedSize - offset, sink); });
        });
        s.Get("/trickle.bin", [this](const httplib::Request&, httplib::Response& res) {
            res.set_chunked_content_provider("application/octet-stream", [this](size_t, httplib::DataSink& sink) {
                if (gate_.IsOpen()) {
                    sink.done();
                    return true;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                return sink.write("x", 1);
            });
        });
        fixture_.start();
    }

    void TearDown() override
    {
        gate_.Open();
        fixture_.stop();
        fs::remove_all(dir_);
    }

    static constexpr std::size_t kPacedSize = 20 * 4096;

    static bool pacedBlocks(size_t offset, size_t length, httplib::DataSink& sink)
    {
        if (offset >= kPacedSize) {
            sink.done();
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const std::string block(std::min<size_t>(4096, length), 'p');
        return sink.write(block.data(), block.size());
    }

    RunResult run(const std::vector<std::string>& args)
    {
        const fs::path errPath = dir_ / ".err";
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        Tool tool(args, err);
        close(err);
        std::string out = tool.Finish();
        std::string errText = readFile(errPath);
        fs::remove(errPath);
        return {tool.ExitCode(), out, errText};
    }

    FixtureServer fixture_;
    ServerGate gate_;
    fs::path dir_;
};

TEST_F(ZarnDownloadToolTest, SavesIntoFolderOrFileAndPrintsAnswerAndPath)
{
    const std::string folder = (dir_ / "f").string();
    RunResult r = run({fixture_.url("/report.pdf"), "--folder", folder});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "200 OK\n" + folder + "/report.pdf\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(readFile(folder + "/report.pdf"), "%PDF");

    r = run({fixture_.url("/report.pdf"), "-o", (dir_ / "named.bin").string()});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "200 OK\n" + (dir_ / "named.bin").string() + "\n");
    EXPECT_EQ(readFile(dir_ / "named.bin"), "%PDF");
}

TEST_F(ZarnDownloadToolTest, ServerNameStaysInFolderAndGivenNamesPrintEscaped)
{
    const std::string folder = (dir_ / "in").string();
    RunResult r = run({fixture_.url("/attachment"), "--folder", folder});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "200 OK\n" + folder + "/evil.pdf\n");
    EXPECT_EQ(entriesOf(dir_), std::vector<std::string>{"in"});
    EXPECT_EQ(entriesOf(folder), std::vector<std::string>{"evil.pdf"});

    const std::string given = (dir_ / "a\x1b[2Jb.pdf").string();
    r = run({fixture_.url("/report.pdf"), "-o", given});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(readFile(given), "%PDF");
    EXPECT_EQ(r.out, "200 OK\n" + dir_.string() + "/a\\x1B[2Jb.pdf\n");
}

// In a folder holding files, dotfiles and links of the names a server
// sends, the download is saved beside them under a name of its own: nothing
// is replaced, nothing outside the folder is written, and the name used is
// the one printed.
TEST_F(ZarnDownloadToolTest, ServerNamesNeverReplaceFilesOrWriteThroughLinks)
{
    const fs::path folder = dir_ / "home";
    const fs::path outside = dir_ / "outside";
    struct Case {
        std::size_t name;
        std::string saved;
    };
    const Case cases[]{
        {0, "report (2).pdf"},
        {1, "link (2).pdf"},
        {2, "dangling (2).pdf"},
        {3, "bashrc"},
        {4, "agpj.exe"},
        {5, std::string(251, 'n') + ".txt"},
        {6, "profile"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.saved);
        fs::remove_all(folder);
        fs::remove_all(outside);
        fs::create_directories(folder);
        fs::create_directories(outside);
        std::ofstream(folder / "report.pdf") << "mine";
        std::ofstream(folder / ".bashrc") << "mine";
        std::ofstream(outside / "target.pdf") << "outside";
        fs::create_symlink(outside / "target.pdf", folder / "link.pdf");
        fs::create_symlink(outside / "new.pdf", folder / "dangling.pdf");

        const RunResult r = run({fixture_.url("/named/" + std::to_string(c.name)), "--folder", folder.string()});
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.out, "200 OK\n" + (folder / c.saved).string() + "\n");
        EXPECT_EQ(readFile(folder / c.saved), "from server");
        EXPECT_EQ(readFile(folder / "report.pdf"), "mine");
        EXPECT_EQ(readFile(folder / ".bashrc"), "mine");
        EXPECT_EQ(entriesOf(outside), std::vector<std::string>{"target.pdf"});
        EXPECT_EQ(readFile(outside / "target.pdf"), "outside");
        EXPECT_TRUE(fs::is_symlink(folder / "link.pdf"));
        EXPECT_TRUE(fs::is_symlink(folder / "dangling.pdf"));
        const bool renamed = c.saved.find(" (2)") != std::string::npos;
        EXPECT_EQ(r.err, renamed ? "zarn-download: that name was taken in the folder; saved under a new one\n" : "");
    }

    // The caller's own name replaces the file, as asked.
    const RunResult r = run({fixture_.url("/named/0"), "-o", (folder / "report.pdf").string()});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(readFile(folder / "report.pdf"), "from server");
}

TEST_F(ZarnDownloadToolTest, FailuresExitWithOneAndTheReasonAndLeaveNoFile)
{
    fs::create_directory(dir_ / "taken");
    struct Case {
        std::vector<std::string> args;
        std::string out;
        std::string reason;
    };
    const std::string folder = dir_.string();
    const std::vector<Case> cases{
        {{fixture_.url("/missing.pdf"), "--folder", folder}, "404 Not Found\n", ": Not Found\n"},
        {{fixture_.url("/loop"), "--folder", folder}, "",
            ": Too many redirects: the server redirected more than 20 times.\n"},
        {{fixture_.url("/stalls.bin"), "--folder", folder, "--stall", "0.3"}, "200 OK\n",
            ": Nothing was received for 0.3 seconds.\n"},
        {{fixture_.url("/trickle.bin"), "--folder", folder, "--timeout", "0.5"}, "200 OK\n",
            ": it took longer than 0.5 seconds\n"},
        {{fixture_.url("/report.pdf"), "-o", folder + "/taken"}, "200 OK\n",
            ": Could not create " + folder + "/taken: Is a directory\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0]);
        const RunResult r = run(c.args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, "zarn-download: " + c.args[0] + " was not downloaded" + c.reason);
        EXPECT_EQ(entriesOf(dir_), std::vector<std::string>{"taken"});
    }
}

TEST_F(ZarnDownloadToolTest, HelpAndBadUsage)
{
    RunResult r = run({"--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("--timeout SECONDS"), std::string::npos);
    EXPECT_NE(r.out.find("--stall SECONDS"), std::string::npos);
    EXPECT_EQ(r.err, "");

    const std::string url = fixture_.url("/report.pdf");
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{{}, {url, url}, {"--bogus", url},
             {url, "--timeout", "0"}, {url, "--timeout", "-1"}, {url, "--stall", "soon"}, {url, "-o"}}) {
        SCOPED_TRACE(testing::PrintToString(args));
        r = run(args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.rfind("usage: zarn-download URL", 0), 0u) << r.err;
    }
}

TEST_F(ZarnDownloadToolTest, SignalDuringDownloadLeavesNoTemporaryFile)
{
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(strsignal(signal));
        const fs::path folder = dir_ / std::to_string(signal);
        fs::create_directory(folder);
        const int devNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
        Tool tool({fixture_.url("/trickle.bin"), "--folder", folder.string()}, devNull);
        close(devNull);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (entriesOf(folder).empty() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::yield();
        ASSERT_EQ(entriesOf(folder).size(), 1u) << "the download never started";
        kill(tool.Pid(), signal);
        tool.Finish();
        EXPECT_EQ(tool.Signal(), signal);
        EXPECT_TRUE(entriesOf(folder).empty());
    }
}

// The progress line on a terminal of the given width: each redraw fits it,
// the line is erased at the end, and only meaningful figures show.
TEST_F(ZarnDownloadToolTest, ProgressFitsTheTerminalAndIsErasedAtTheEnd)
{
    struct Case {
        const char* path;
        unsigned short terminalColumns;
        std::optional<std::string> columnsVariable;
        std::size_t room;
        bool sized;
    };
    for (const Case& c :
        {Case{"/paced-sized.bin", 40, std::nullopt, 39, true}, Case{"/paced-sized.bin", 0, "30", 29, true},
            Case{"/paced-sized.bin", 0, std::nullopt, 79, true}, Case{"/paced.bin", 80, std::nullopt, 79, false}}) {
        SCOPED_TRACE(std::string(c.path) + " " + std::to_string(c.terminalColumns));
        int master = -1, slave = -1;
        winsize size{};
        size.ws_col = c.terminalColumns;
        size.ws_row = 24;
        ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, &size), 0);
        Tool tool({fixture_.url(c.path), "--folder", dir_.string()}, slave, c.columnsVariable);
        close(slave);
        const std::string screen = readAll(master); // ends when the tool closes its side
        close(master);
        EXPECT_EQ(tool.Finish(), "200 OK\n" + dir_.string() + c.path + "\n");
        EXPECT_EQ(tool.ExitCode(), 0);

        ASSERT_GE(screen.size(), 4u);
        EXPECT_EQ(screen.substr(screen.size() - 4), "\r\033[K");
        std::vector<std::string> lines;
        for (std::size_t start = 0; start < screen.size();) {
            const std::size_t end = std::min(screen.find('\r', start + 1), screen.size());
            std::string line = screen.substr(start, end - start);
            if (line.front() == '\r')
                line.erase(0, 1);
            if (line.size() >= 3 && line.compare(line.size() - 3, 3, "\033[K") == 0)
                line.erase(line.size() - 3);
            if (!line.empty())
                lines.push_back(line);
            start = end;
        }
        ASSERT_FALSE(lines.empty());
        for (const std::string& line : lines) {
            EXPECT_LE(line.size(), c.room) << line;
            EXPECT_EQ(line.find('\n'), std::string::npos) << line;
            EXPECT_FALSE(std::regex_search(line, std::regex(R"(kb/sec|\d\d_\d\d\.\d{3}|00\.00\.00)"))) << line;
            EXPECT_EQ(line.find('%') != std::string::npos, c.sized) << line;
            if (!c.sized) {
                EXPECT_EQ(line.find("ETA"), std::string::npos) << line;
            }
        }
        EXPECT_TRUE(std::regex_search(lines.back(), std::regex(R"(\d+(\.\d+)? [KM]?b\b.* \d\d:\d\d:\d\d)")))
            << lines.back();
        fs::remove(dir_.string() + c.path); // the next case saves under the same name
    }
}

} // namespace
