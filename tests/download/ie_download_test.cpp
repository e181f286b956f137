#include "FixtureServer.h"
#include "ServerGate.h"
#include "download/BindStatusCallback.h"
#include "download/DownloadStatus.h"
#include "download/IEDownload.h"
#include "download/ProgramInfo.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

const std::string kBig(2 * 1024 * 1024, 'b');

std::string repeated(const std::string& text, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

// File names a hostile server sends in Content-Disposition, served at
// /named/<index>, and the one name each must be saved under.
const std::vector<std::pair<std::string, std::string>> kServerNames = {{"../evil.txt", "evil.txt"}, {"../../x", "x"},
    {"/etc/x", "x"}, {"a/b", "b"}, {"a\\b", "b"}, {"..", "index.html"}, {".", "index.html"},
    {"a\x01"
     "b\tc\x7f.txt",
        "abc.txt"},
    {repeated("../", 600) + "deep.txt", "deep.txt"}};

// Sets the binding's receive time-out for one test and restores the default.
class ReceiveTimeout {
public:
    explicit ReceiveTimeout(DWORD milliseconds) { UrlMonSetReceiveTimeout(milliseconds); }
    ~ReceiveTimeout() { UrlMonSetReceiveTimeout(0); }
};

class IEDownloadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/zarn-download-XXXXXX";
        folder_ = mkdtemp(pattern);
        folder_ += "/";
        auto& s = fixture_.server();
        // One request per connection: the server's stop then waits for no
        // idle keep-alive connection.
        s.set_keep_alive_max_count(1);
        s.Get("/file.txt",
            [](const httplib::Request&, httplib::Response& res) { res.set_content("hello world", "text/plain"); });
        s.Get("/plain.txt",
            [](const httplib::Request&, httplib::Response& res) { res.set_content("plain", "text/plain"); });
        s.Get("/redirect", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/file.txt"); });
        s.Get("/missing", [](const httplib::Request&, httplib::Response& res) {
            res.status = 404;
            res.set_content("not here", "text/plain");
        });
        s.Get("/secret.txt", [](const httplib::Request& req, httplib::Response& res) {
            if (req.get_header_value("Authorization") == "Basic bWU6cHc=") {
                res.set_content("secret", "text/plain");
                return;
            }
            res.status = 401;
            res.set_header("WWW-Authenticate", "Basic realm=\"fixture\"");
            res.set_content("denied", "text/plain");
        });
        s.Get("/slow.txt", [](const httplib::Request&, httplib::Response& res) {
            res.set_chunked_content_provider("text/plain", [](size_t offset, httplib::DataSink& sink) {
                if (offset == 0)
                    std::this_thread::sleep_for(std::chrono::milliseconds(600));
                sink.write("late", 4);
                sink.done();
                return true;
            });
        });
        s.Get("/big.bin",
            [](const httplib::Request&, httplib::Response& res) { res.set_content(kBig, "application/octet-stream"); });
        s.Get("/get.php",
            [](const httplib::Request&, httplib::Response& res) { res.set_content("zip", "application/zip"); });
        s.Get("/attachment", [](const httplib::Request&, httplib::Response& res) {
            res.set_header("Content-Disposition", "attachment; filename=\"a b.zip\"; size=10");
            res.set_content("zip", "application/zip");
        });
        s.Get(R"(/named/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
            const auto& name = kServerNames.at(std::stoul(req.matches[1])).first;
            res.set_header("Content-Disposition", "attachment; filename=\"" + name + "\"");
            res.set_content("named", "text/plain");
        });
        s.Get("/whole.bin", [](const httplib::Request&, httplib::Response& res) {
            res.set_header("Content-Disposition", "attachment; filename=whole.txt");
            res.set_content("hello world", "text/plain");
        });
        s.Get("/loop", [](const httplib::Request&, httplib::Response& res) {
            res.set_redirect("/loop");
            res.set_content("redirect body", "text/plain");
        });
        s.Get("/stalls", FirstThenQuiet(gate_));
        s.Post("/echo",
            [](const httplib::Request& req, httplib::Response& res) { res.set_content(req.body, "text/plain"); });
        s.Put("/upload.txt", [this](const httplib::Request& req, httplib::Response& res) {
            uploaded_ = req.body;
            res.status = 201;
            res.set_content("stored", "text/plain");
        });
        fixture_.start();

        dl_.TimeOut = 10000;
        dl_.OnError = [this](int code, const std::string& text) { errors_.emplace_back(code, text); };
        dl_.OnStateChange = [this](TState state) { states_.push_back(state); };
        dl_.OnComplete = [this](TCustomIEDownload*, const WideString& path, const WideString&, const WideString&,
                             const WideString&, int) { completed_.push_back(fromWide(path)); };
        dl_.OnStopBinding = [this](TBSCB*, HRESULT hr, const WideString&) { stopResults_.push_back(hr); };
    }

    void TearDown() override
    {
        gate_.Open();
        fixture_.stop();
        fs::remove_all(folder_);
    }

    bool download(const std::string& path, const std::string& name = {})
    {
        return dl_.Download(fixture_.url(path), name, nullptr, nullptr, folder_);
    }

    bool hasError(int code, const std::string& text) const
    {
        for (const auto& [c, t] : errors_)
            if (c == code && t == text)
                return true;
        return false;
    }

    // Everything in the folder, sub-folders included, relative to it.
    std::vector<std::string> folderFiles() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(folder_))
            names.push_back(fs::relative(entry.path(), folder_).string());
        std::sort(names.begin(), names.end());
        return names;
    }

    FixtureServer fixture_;
    ServerGate gate_;
    std::string folder_;
    TIEDownload dl_;
    std::vector<std::pair<int, std::string>> errors_;
    std::vector<TState> states_;
    std::vector<std::string> completed_;
    std::vector<HRESULT> stopResults_;
    std::string uploaded_;
};

TEST_F(IEDownloadTest, SavesFileAndReportsStepsInOrder)
{
    std::vector<std::string> connects;
    std::vector<ULONG> statuses;
    std::vector<std::string> doneTexts;
    dl_.OnConnect = [&](TBSCB*, HRESULT, const std::string& message) { connects.push_back(message); };
    dl_.OnProgress = [&](TBSCB*, ULONG progress, ULONG max, ULONG status, ULONG, const WideString&,
                         const std::string& downloaded, const std::string&, const std::string& speed,
                         const std::string& remaining, const std::string& statusText, const std::string& percent) {
        statuses.push_back(status);
        if (status == 6)
            doneTexts = {downloaded, speed, remaining, statusText, percent, std::to_string(progress + max)};
    };

    std::vector<std::string> before;
    dl_.OnBeforeDownload = [&](TInfoData*, const std::string& url, const std::string& name, const std::string&,
                               const std::string& host, const std::string&, int size, bool&) {
        before = {url, name, host, std::to_string(size)};
    };
    ASSERT_TRUE(download("/file.txt"));

    EXPECT_EQ(before, (std::vector<std::string>{fixture_.url("/file.txt"), "file.txt", "127.0.0.1", "11"}));
    EXPECT_EQ(readFile(folder_ + "file.txt"), "hello world");
    EXPECT_EQ(folderFiles(), std::vector<std::string>{"file.txt"});
    EXPECT_EQ(dl_.FileNameAndPath, folder_ + "file.txt");
    EXPECT_EQ(dl_.SavedFilePath, folder_ + "file.txt");
    EXPECT_EQ(dl_.FileExtension, ".txt");
    EXPECT_EQ(dl_.MimeType, "text/plain");
    EXPECT_EQ(dl_.ServerAddress, "127.0.0.1");
    EXPECT_EQ(dl_.ActiveConnections, 0);
    EXPECT_FALSE(dl_.Busy);
    EXPECT_EQ(states_, (std::vector<TState>{sBusy, sStopped, sReady}));
    EXPECT_EQ(completed_, std::vector<std::string>{folder_ + "file.txt"});
    EXPECT_EQ(stopResults_, std::vector<HRESULT>{S_OK});
    EXPECT_TRUE(errors_.empty());
    EXPECT_EQ(connects,
        (std::vector<std::string>{"CreateURLMonikerEx: The operation was successful",
            "CreateAsyncBindCtx: The operation was successful",
            "RegisterBindStatusCallback: The operation was successful", "MonikerBindToStorage: Asynchronous mode.",
            "RevokeBindStatusCallback: The operation was successful"}));
    EXPECT_EQ(statuses, (std::vector<ULONG>{1, 2, 11, 13, 4, 5, 6}));
    EXPECT_EQ(doneTexts, (std::vector<std::string>{"Done.", "0/00kb/sec", "00.00.00", "Done.", "100%", "0"}));
}

TEST_F(IEDownloadTest, FollowsRedirectUnlessHandlerAbortsIt)
{
    std::string from, to;
    dl_.OnRedirect = [&](TBSCB*, bool&, const std::string& f, const std::string& t) { from = f, to = t; };
    ASSERT_TRUE(download("/redirect", "moved.txt"));
    EXPECT_EQ(readFile(folder_ + "moved.txt"), "hello world");
    EXPECT_EQ(from, fixture_.url("/redirect"));
    EXPECT_EQ(to, fixture_.url("/file.txt"));

    std::vector<ULONG> statuses;
    dl_.OnProgress = [&](TBSCB*, ULONG, ULONG, ULONG status, ULONG, const WideString&, const std::string&,
                         const std::string&, const std::string&, const std::string&, const std::string&,
                         const std::string&) { statuses.push_back(status); };
    dl_.OnRedirect = [&](TBSCB*, bool& abort, const std::string&, const std::string&) { abort = true; };
    ASSERT_TRUE(download("/redirect", "stopped.txt"));
    EXPECT_TRUE(dl_.Cancelled);
    EXPECT_EQ(std::count(statuses.begin(), statuses.end(), 3u), 0);
    EXPECT_FALSE(fs::exists(folder_ + "stopped.txt"));
    EXPECT_EQ(dl_.ActiveConnections, 0);
    EXPECT_EQ(folderFiles(), std::vector<std::string>{"moved.txt"});
}

TEST_F(IEDownloadTest, ErrorAnswerIsReportedAndSavedOnlyWhenResponseHandlerAccepts)
{
    ASSERT_TRUE(download("/missing", "missing.txt"));
    EXPECT_TRUE(hasError(404, "Not Found"));
    EXPECT_EQ(stopResults_, std::vector<HRESULT>{E_ABORT});
    EXPECT_TRUE(folderFiles().empty());

    dl_.OnResponse = [](TBSCB*, DWORD, const WideString&, const WideString&, char16_t*&) { return S_OK; };
    ASSERT_TRUE(download("/missing", "missing.txt"));
    EXPECT_EQ(readFile(folder_ + "missing.txt"), "not here");
}

TEST_F(IEDownloadTest, AuthenticationAnswersA401)
{
    ASSERT_TRUE(download("/secret.txt"));
    EXPECT_TRUE(hasError(401, "Unauthorized"));
    EXPECT_TRUE(folderFiles().empty());

    int asked = 0;
    dl_.OnAuthenticate = [&](TBSCB*, void*&, WideString& user, WideString& password, HRESULT&) {
        ++asked;
        user = u"me";
        password = u"pw";
    };
    errors_.clear();
    ASSERT_TRUE(download("/secret.txt"));
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(errors_.empty());
    EXPECT_EQ(readFile(folder_ + "secret.txt"), "secret");
}

TEST_F(IEDownloadTest, BodySlowerThanTimeOutIsReportedButKept)
{
    dl_.TimeOut = 150;
    ASSERT_TRUE(download("/slow.txt"));
    EXPECT_TRUE(hasError(static_cast<int>(INET_E_CONNECTION_TIMEOUT), "The Internet connection has timed out."));
    EXPECT_TRUE(hasError(static_cast<int>(ERROR_TIMEOUT), "Error: Timeout."));
    EXPECT_EQ(stopResults_, std::vector<HRESULT>{INET_E_CONNECTION_TIMEOUT});
    EXPECT_EQ(readFile(folder_ + "slow.txt"), "late");
}

TEST_F(IEDownloadTest, CancelFromProgressStopsAndLeavesNoFile)
{
    int progressEvents = 0;
    dl_.OnProgress
        = [&](TBSCB*, ULONG, ULONG, ULONG status, ULONG, const WideString&, const std::string&, const std::string&,
              const std::string&, const std::string&, const std::string&, const std::string&) {
              if (status == 5 && ++progressEvents == 1)
                  dl_.Cancelled = true;
          };
    ASSERT_TRUE(download("/big.bin"));
    EXPECT_EQ(progressEvents, 1);
    EXPECT_EQ(stopResults_, std::vector<HRESULT>{E_ABORT});
    EXPECT_EQ(completed_.size(), 1u);
    EXPECT_TRUE(folderFiles().empty());
    EXPECT_EQ(dl_.ActiveConnections, 0);
    EXPECT_FALSE(dl_.Busy);

    // The component is whole again for the next download.
    dl_.OnProgress = nullptr;
    ASSERT_TRUE(download("/big.bin"));
    EXPECT_EQ(readFile(folder_ + "big.bin"), kBig);
}

TEST_F(IEDownloadTest, CancelFromAnyStepEndsCleanly)
{
    enum Step { AtConnect, BeforeDownload, AtStartBinding, AtData, AtStateChange };
    for (Step step : {AtConnect, BeforeDownload, AtStartBinding, AtData, AtStateChange}) {
        SCOPED_TRACE(step);
        TIEDownload dl;
        dl.TimeOut = 10000;
        int completions = 0;
        HRESULT stop = S_OK;
        dl.OnComplete = [&](TCustomIEDownload*, const WideString&, const WideString&, const WideString&,
                            const WideString&, int) { ++completions; };
        dl.OnStopBinding = [&](TBSCB*, HRESULT hr, const WideString&) { stop = hr; };
        auto cancelAt = [&](Step here) {
            if (here == step)
                dl.Cancelled = true;
        };
        dl.OnConnect = [&](TBSCB*, HRESULT, const std::string&) { cancelAt(AtConnect); };
        dl.OnBeforeDownload
            = [&](TInfoData*, const std::string&, const std::string&, const std::string&, const std::string&,
                  const std::string&, int, bool& cancel) { cancel = step == BeforeDownload; };
        dl.OnStartBinding = [&](TBSCB*, bool&, IBinding*, const WideString&, int) { cancelAt(AtStartBinding); };
        dl.OnDataAvailable = [&](TBSCB*, std::vector<char>&, DWORD&) { cancelAt(AtData); };
        dl.OnStateChange = [&](TState state) {
            if (state == sBusy)
                cancelAt(AtStateChange);
        };
        ASSERT_TRUE(dl.Download(fixture_.url("/big.bin"), {}, nullptr, nullptr, folder_));
        EXPECT_TRUE(FAILED(stop));
        EXPECT_EQ(completions, 1);
        EXPECT_EQ(dl.ActiveConnections, 0);
        EXPECT_FALSE(dl.Busy);
        EXPECT_TRUE(folderFiles().empty());
    }
}

TEST_F(IEDownloadTest, ExistingTargetIsOverwrittenSkippedOrRenamed)
{
    writeFile(folder_ + "file.txt", "old");

    // A name from the address keeps both files unless a handler chose to
    // replace.
    dl_.SetBindF({TBindF::Asynchronous});
    dl_.FileExistsOption = feOverWrite;
    ASSERT_TRUE(download("/file.txt"));
    EXPECT_EQ(readFile(folder_ + "file.txt"), "old");
    EXPECT_EQ(dl_.FileName, "file (2).txt");
    EXPECT_TRUE(dl_.NewNameChosen);
    EXPECT_EQ(readFile(folder_ + "file (2).txt"), "hello world");
    ASSERT_TRUE(download("/file.txt"));
    EXPECT_EQ(dl_.FileName, "file (3).txt");
    EXPECT_FALSE(dl_.BindF().count(TBindF::GetNewestVersion));

    dl_.OnFileExists = [](TFileExistsOption&, const WideString&, WideString&) {};
    ASSERT_TRUE(download("/file.txt"));
    EXPECT_EQ(readFile(folder_ + "file.txt"), "hello world");
    EXPECT_TRUE(dl_.BindF().count(TBindF::GetNewestVersion));
    EXPECT_EQ(dl_.BindFValue(), 0x11u);
    dl_.OnFileExists = nullptr;

    writeFile(folder_ + "file.txt", "old");
    dl_.FileExistsOption = feSkip;
    states_.clear();
    completed_.clear();
    EXPECT_FALSE(download("/file.txt"));
    EXPECT_EQ(readFile(folder_ + "file.txt"), "old");
    EXPECT_EQ(states_, (std::vector<TState>{sBusy, sReady}));
    EXPECT_EQ(completed_.size(), 1u);

    dl_.FileExistsOption = feRename;
    ASSERT_TRUE(download("/file.txt"));
    EXPECT_EQ(readFile(folder_ + "file.txt"), "old");
    EXPECT_TRUE(std::regex_match(dl_.FileName, std::regex(R"(\d\d_\d\d\.\d{3}_file\.txt)"))) << dl_.FileName;
    EXPECT_EQ(readFile(folder_ + dl_.FileName), "hello world");

    std::string asked;
    dl_.OnFileExists = [&](TFileExistsOption& action, const WideString& name, WideString& newName) {
        asked = fromWide(name);
        action = feRename;
        newName = u"chosen.txt";
    };
    dl_.FileExistsOption = feSkip;
    ASSERT_TRUE(download("/file.txt"));
    EXPECT_EQ(asked, folder_ + "file.txt");
    EXPECT_EQ(readFile(folder_ + "chosen.txt"), "hello world");
}

TEST_F(IEDownloadTest, RenamedTargetGetsTheWholeFileEvenWithAResumeHandler)
{
    writeFile(folder_ + "file.txt", "old");
    int resumes = 0;
    dl_.OnResume = [&](TBSCB*, const std::string&, DWORD&) { ++resumes; };
    // Overwrite when the download is prepared, rename when the request starts.
    int asked = 0;
    dl_.OnFileExists = [&](TFileExistsOption& action, const WideString&, WideString& newName) {
        action = ++asked == 1 ? feOverWrite : feRename;
        newName = u"renamed.txt";
    };
    ASSERT_TRUE(download("/file.txt"));
    EXPECT_EQ(resumes, 1);
    EXPECT_EQ(readFile(folder_ + "file.txt"), "old");
    EXPECT_EQ(readFile(folder_ + "renamed.txt"), "hello world");
}

TEST_F(IEDownloadTest, NameFromTheServerMeetsTheExistingFileRuleToo)
{
    writeFile(folder_ + "whole.txt", "old");
    dl_.FileExistsOption = feSkip;
    // The binding had started, so Download answers true; nothing is saved.
    download("/whole.bin");
    EXPECT_TRUE(dl_.SavedFilePath.empty());
    EXPECT_EQ(readFile(folder_ + "whole.txt"), "old");
    EXPECT_EQ(folderFiles(), (std::vector<std::string>{"whole.txt"}));

    dl_.FileExistsOption = feRename;
    ASSERT_TRUE(download("/whole.bin"));
    EXPECT_EQ(readFile(folder_ + "whole.txt"), "old");
    EXPECT_TRUE(std::regex_match(dl_.FileName, std::regex(R"(\d\d_\d\d\.\d{3}_whole\.txt)"))) << dl_.FileName;
    EXPECT_EQ(readFile(folder_ + dl_.FileName), "hello world");
}

// Links of the server's names in the folder, dangling or not: a name from
// outside never writes through them. Kept both by default; a handler that
// chooses to overwrite replaces the link itself. The caller's own name is
// written through, as asked.
TEST_F(IEDownloadTest, NamesFromOutsideNeverWriteThroughLinks)
{
    const std::string outside = folder_ + "outside/";
    const std::string inside = folder_ + "in/";
    struct Case {
        std::string path; // served
        std::string link; // its name in the folder
        bool dangling;
        bool overwrite; // an OnFileExists handler keeps feOverWrite
        std::string saved;
    };
    const Case cases[]{
        {"/whole.bin", "whole.txt", false, false, "whole (2).txt"},
        {"/whole.bin", "whole.txt", true, false, "whole (2).txt"},
        {"/file.txt", "file.txt", false, false, "file (2).txt"},
        {"/file.txt", "file.txt", true, false, "file (2).txt"},
        {"/whole.bin", "whole.txt", false, true, "whole.txt"},
        {"/file.txt", "file.txt", true, true, "file.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path + (c.dangling ? " dangling" : "") + (c.overwrite ? " overwrite" : ""));
        fs::remove_all(outside);
        fs::remove_all(inside);
        fs::create_directories(outside);
        fs::create_directories(inside);
        if (!c.dangling)
            writeFile(outside + "target", "outside");
        fs::create_symlink(outside + "target", inside + c.link);
        dl_.OnFileExists = nullptr;
        if (c.overwrite)
            dl_.OnFileExists = [](TFileExistsOption&, const WideString&, WideString&) {};
        ASSERT_TRUE(dl_.Download(fixture_.url(c.path), {}, nullptr, nullptr, inside));
        EXPECT_EQ(dl_.SavedFilePath, inside + c.saved);
        EXPECT_FALSE(fs::is_symlink(inside + c.saved));
        EXPECT_EQ(readFile(inside + c.saved), "hello world");
        EXPECT_EQ(fs::exists(outside + "target"), !c.dangling);
        if (!c.dangling)
            EXPECT_EQ(readFile(outside + "target"), "outside");
        EXPECT_EQ(fs::is_symlink(inside + c.link), !c.overwrite);
    }

    dl_.OnFileExists = nullptr;
    fs::remove(inside + "file.txt");
    fs::create_symlink(outside + "target", inside + "file.txt");
    ASSERT_TRUE(dl_.Download(fixture_.url("/file.txt"), "file.txt", nullptr, nullptr, inside));
    EXPECT_TRUE(fs::is_symlink(inside + "file.txt"));
    EXPECT_EQ(readFile(outside + "target"), "hello world");
}

TEST_F(IEDownloadTest, FileNameComesFromQueryOrContentDisposition)
{
    ASSERT_TRUE(download("/get.php?name=a.zip"));
    EXPECT_EQ(readFile(folder_ + "_name=a.zip"), "zip");
    EXPECT_EQ(dl_.FileNameAndPath, folder_ + "?name=a.zip");
    EXPECT_EQ(dl_.SavedFilePath, folder_ + "_name=a.zip");

    ASSERT_TRUE(download("/attachment"));
    EXPECT_EQ(dl_.FileName, "a b.zip");
    EXPECT_EQ(readFile(folder_ + "a b.zip"), "zip");
}

TEST_F(IEDownloadTest, NamesFromServerOrAddressStayInsideTheFolder)
{
    std::vector<std::pair<std::string, std::string>> cases;
    for (std::size_t i = 0; i < kServerNames.size(); ++i)
        cases.emplace_back("/named/" + std::to_string(i), kServerNames[i].second);
    cases.emplace_back("/get.php?name=../../evil.zip", "evil.zip");
    const std::string inner = folder_ + "a/b/";
    for (const auto& [path, saved] : cases) {
        SCOPED_TRACE(path);
        fs::remove_all(folder_ + "a");
        ASSERT_TRUE(dl_.Download(fixture_.url(path), {}, nullptr, nullptr, inner));
        EXPECT_EQ(dl_.FileName, saved);
        EXPECT_EQ(dl_.SavedFilePath, inner + saved);
        EXPECT_EQ(folderFiles(), (std::vector<std::string>{"a", "a/b", "a/b/" + saved}));
    }
}

TEST_F(IEDownloadTest, NamesTheCallerGivesAreUsedAsGiven)
{
    fs::create_directories(folder_ + "sub");
    ASSERT_TRUE(download("/named/0", "sub/given.txt"));
    EXPECT_EQ(readFile(folder_ + "sub/given.txt"), "named");

    writeFile(folder_ + "mine.txt", "old");
    dl_.FileExistsOption = feRename;
    dl_.OnFileExists = [](TFileExistsOption&, const WideString&, WideString& newName) { newName = u"sub/renamed.txt"; };
    ASSERT_TRUE(download("/named/0", "mine.txt"));
    EXPECT_EQ(readFile(folder_ + "sub/renamed.txt"), "named");
    EXPECT_EQ(folderFiles(), (std::vector<std::string>{"mine.txt", "sub", "sub/given.txt", "sub/renamed.txt"}));
}

TEST_F(IEDownloadTest, DownloadThatSavesNothingFailsAndLeavesNoTemporaryFile)
{
    fs::create_directory(folder_ + "taken");
    struct Case {
        std::string name;
        std::string error;
    };
    for (const Case& c : {Case{".", "Could not create " + folder_ + ".: Is a directory"},
             Case{"..", "Could not create " + folder_ + "..: Is a directory"},
             Case{"taken", "Could not create " + folder_ + "taken: Is a directory"}}) {
        SCOPED_TRACE(c.name);
        errors_.clear();
        stopResults_.clear();
        ASSERT_TRUE(download("/file.txt", c.name));
        ASSERT_EQ(stopResults_.size(), 1u);
        EXPECT_TRUE(FAILED(stopResults_[0]));
        ASSERT_FALSE(errors_.empty());
        EXPECT_EQ(errors_[0].second, c.error);
        EXPECT_EQ(dl_.SavedFilePath, "");
        EXPECT_EQ(folderFiles(), std::vector<std::string>{"taken"});
    }

    // The final name turns into a folder while the data arrives.
    errors_.clear();
    stopResults_.clear();
    dl_.OnDataAvailable = [this](TBSCB*, std::vector<char>&, DWORD&) { fs::create_directory(folder_ + "late.txt"); };
    ASSERT_TRUE(download("/file.txt", "late.txt"));
    ASSERT_EQ(stopResults_.size(), 1u);
    EXPECT_EQ(stopResults_[0], makeHResult(0x80070000u | ERROR_WRITE_FAULT));
    ASSERT_FALSE(errors_.empty());
    EXPECT_EQ(errors_[0].second, "Could not save " + folder_ + "late.txt: Is a directory");
    EXPECT_EQ(dl_.SavedFilePath, "");
    EXPECT_EQ(folderFiles(), (std::vector<std::string>{"late.txt", "taken"}));
}

TEST_F(IEDownloadTest, RedirectLoopFailsWithoutSavingTheRedirectBody)
{
    ASSERT_TRUE(download("/loop", "loop.txt"));
    EXPECT_EQ(stopResults_, std::vector<HRESULT>{INET_E_REDIRECT_FAILED});
    EXPECT_TRUE(hasError(
        static_cast<int>(INET_E_REDIRECT_FAILED), "Too many redirects: the server redirected more than 20 times."));
    EXPECT_EQ(dl_.SavedFilePath, "");
    EXPECT_TRUE(folderFiles().empty());
}

TEST_F(IEDownloadTest, ServerThatGoesQuietFailsAfterTheReceiveTimeout)
{
    ReceiveTimeout shortWait(200);
    ASSERT_TRUE(download("/stalls"));
    EXPECT_EQ(stopResults_, std::vector<HRESULT>{INET_E_CONNECTION_TIMEOUT});
    EXPECT_TRUE(hasError(static_cast<int>(INET_E_CONNECTION_TIMEOUT), "Nothing was received for 0.2 seconds."));
    EXPECT_EQ(dl_.SavedFilePath, "");
    EXPECT_TRUE(folderFiles().empty());
}

TEST_F(IEDownloadTest, LeftoverTemporaryFilesNeverJoinADownload)
{
    // What killed downloads left: the temporary names of this and of
    // earlier versions.
    const std::vector<std::string> leftovers{
        ".file.txt.AbCdEfGh", ".whole.txt.AbCdEfGh", "file.txt.part", "whole.txt.part"};
    for (const std::string& name : leftovers)
        writeFile(folder_ + name, "stale ");
    ASSERT_TRUE(download("/file.txt"));
    EXPECT_EQ(readFile(folder_ + "file.txt"), "hello world");

    // A range download appends to the final file only: with none there it
    // holds just the range, with one it continues it (the caller chose to
    // replace the file).
    dl_.OnFileExists = [](TFileExistsOption&, const WideString&, WideString&) {};
    dl_.Range.RangeBegin = 6;
    ASSERT_TRUE(download("/whole.bin"));
    EXPECT_EQ(readFile(folder_ + "whole.txt"), "world");
    writeFile(folder_ + "whole.txt", "hello ");
    ASSERT_TRUE(download("/whole.bin"));
    EXPECT_EQ(readFile(folder_ + "whole.txt"), "hello world");

    for (const std::string& name : leftovers)
        EXPECT_EQ(readFile(folder_ + name), "stale ") << name;
    EXPECT_EQ(folderFiles().size(), leftovers.size() + 2);
}

// A killed download leaves its temporary file; the next download of the
// same name removes those older than a day, and only those.
TEST_F(IEDownloadTest, StaleTemporaryFilesOfTheSameNameGo)
{
    const auto twoDaysAgo = fs::file_time_type::clock::now() - std::chrono::hours(48);
    struct Leftover {
        std::string name;
        bool old;
        bool removed;
    };
    const Leftover leftovers[]{
        {".file.txt.AbCdEfGh", true, true},
        {".file.txt.Zz09Zz09", true, true},
        {".file.txt.AbCdEfGh1", true, false},
        {".file.txt.fresh000", false, false},
        {".other.txt.AbCdEfGh", true, false},
        {"file.txt.part", true, false},
    };
    for (const Leftover& l : leftovers) {
        writeFile(folder_ + l.name, "stale");
        if (l.old)
            fs::last_write_time(folder_ + l.name, twoDaysAgo);
    }
    ASSERT_TRUE(download("/file.txt"));
    EXPECT_EQ(readFile(folder_ + "file.txt"), "hello world");
    for (const Leftover& l : leftovers)
        EXPECT_EQ(fs::exists(folder_ + l.name), !l.removed) << l.name;
}

TEST_F(IEDownloadTest, PostIntoMemoryEchoesBody)
{
    dl_.DownloadMethod = dmStream;
    dl_.SetBindVerb(TBindVerb::Post);
    dl_.PostData = "a=1&b=two";
    std::string received;
    dl_.OnStreamComplete = [&](TBSCB*, TMemoryStream& stream, HRESULT) { received = std::string(stream.View()); };
    ASSERT_TRUE(download("/echo"));
    EXPECT_EQ(received, "a=1&b=two");
    EXPECT_TRUE(folderFiles().empty());
}

TEST_F(IEDownloadTest, PutSendsFileBytes)
{
    const std::string body("line one\n\0binary", 16);
    writeFile(folder_ + "source.bin", body);
    dl_.SetBindVerb(TBindVerb::Put);
    dl_.PutFileName = folder_ + "source.bin";
    ASSERT_TRUE(download("/upload.txt", "answer.txt"));
    EXPECT_EQ(uploaded_, body);
    EXPECT_EQ(readFile(folder_ + "answer.txt"), "stored");
}

TEST_F(IEDownloadTest, RangeRequestsPartOfBody)
{
    dl_.Range.RangeBegin = 2;
    dl_.Range.RangeEnd = 6;
    std::string requestHeaders;
    dl_.OnResponse = [&](TBSCB*, DWORD code, const WideString&, const WideString& sent, char16_t*&) {
        requestHeaders = fromWide(sent);
        return code == 206 ? S_OK : E_FAIL;
    };
    ASSERT_TRUE(download("/file.txt"));
    EXPECT_NE(requestHeaders.find("Range: bytes=2-6\r\n"), std::string::npos);
    EXPECT_EQ(readFile(folder_ + "file.txt"), "llo w");
}

TEST_F(IEDownloadTest, EmptyAddressIsRefusedWithOneCompletion)
{
    int connects = 0;
    dl_.OnConnect = [&](TBSCB*, HRESULT, const std::string&) { ++connects; };
    dl_.Go("");
    EXPECT_EQ(states_, (std::vector<TState>{sBusy, sReady}));
    EXPECT_EQ(completed_, std::vector<std::string>{""});
    EXPECT_EQ(connects, 0);
    EXPECT_EQ(dl_.ActiveConnections, 0);
    EXPECT_FALSE(dl_.Busy);
}

TEST_F(IEDownloadTest, UnreachableServerIsReported)
{
    const std::string url = fixture_.url("/file.txt");
    fixture_.stop();
    ASSERT_TRUE(dl_.Download(url, {}, nullptr, nullptr, folder_));
    EXPECT_TRUE(hasError(static_cast<int>(INET_E_CANNOT_CONNECT), "Couldn't connect to server"));
    ASSERT_EQ(stopResults_.size(), 1u);
    EXPECT_EQ(stopResults_[0], INET_E_CANNOT_CONNECT);
    EXPECT_TRUE(folderFiles().empty());
}

TEST_F(IEDownloadTest, ValidationRefusesAddressThatDoesNotAnswer200)
{
    dl_.ValidateUrl = true;
    EXPECT_FALSE(download("/missing"));
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_NE(errors_[0].second.find(fixture_.url("/missing")), std::string::npos);
    EXPECT_TRUE(download("/file.txt"));
}

TEST_F(IEDownloadTest, AddressWithoutAnyKnownSchemeNameGetsHttp)
{
    dl_.DownloadMethod = dmStream;
    const std::string bare = "127.0.0.1:" + std::to_string(fixture_.port());
    ASSERT_TRUE(dl_.Download(bare + "/plain.txt"));
    EXPECT_EQ(dl_.Url, "http://" + bare + "/plain.txt");
    // "file" anywhere in the address counts as a scheme name.
    dl_.Download(bare + "/file.txt");
    EXPECT_EQ(dl_.Url, bare + "/file.txt");
}

TEST_F(IEDownloadTest, LocalFileAddressIsSavedToo)
{
    fs::create_directories(folder_ + "src");
    writeFile(folder_ + "src/local.txt", "from disk");
    ASSERT_TRUE(dl_.Download("file://" + folder_ + "src/local.txt", {}, nullptr, nullptr, folder_));
    EXPECT_EQ(stopResults_, std::vector<HRESULT>{S_OK});
    EXPECT_EQ(readFile(folder_ + "local.txt"), "from disk");
}

TEST(IEDownloadFolderTest, DefaultFolderIsDownloadsBesideProgram)
{
    TIEDownload dl;
    dl.DownloadMethod = dmFile;
    const std::string expected = ProgramFolder() + "Downloads/";
    const bool existed = fs::exists(expected);
    dl.Download("http://127.0.0.1:1/nothing.txt");
    EXPECT_EQ(dl.DownloadFolder, expected);
    EXPECT_TRUE(fs::is_directory(expected));
    if (!existed)
        fs::remove_all(expected);
}

TEST(IEDownloadSettingsTest, DefaultsAndProcessWideTimeFormat)
{
    const char before = FormatSettings().TimeSeparator;
    {
        TIEDownload dl;
        EXPECT_EQ(FormatSettings().TimeSeparator, '_');
        EXPECT_EQ(dl.BindFValue(), 179u);
        EXPECT_EQ(dl.BindF2Value(), 8u);
        EXPECT_EQ(dl.BindInfoOptionsValue(), 0x20010000u);
        EXPECT_EQ(dl.TimeOut, 0);
        dl.Loaded();
        EXPECT_EQ(dl.TimeOut, 2147483647);
        dl.SetDefaultProtocol("");
        EXPECT_EQ(dl.DefaultProtocol(), "http://");
        EXPECT_EQ(dl.AdditionalHeader, std::vector<std::string>{"Content-Type: application/x-www-form-urlencoded "});
    }
    EXPECT_EQ(FormatSettings().TimeSeparator, before);
}

} // namespace
