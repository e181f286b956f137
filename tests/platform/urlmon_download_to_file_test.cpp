// Fetching an address into a file: the address check, a complete file only
// on success, the old file kept on every failure, and the limits on size and
// time that keep a hostile server from filling the disk or holding the caller.
#include "FixtureServer.h"
#include "ServerGate.h"
#include "TempHome.h"
#include "platform/inet/UrlCache.h"
#include "platform/urlmon/DownloadToFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::string contentOf(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(IsValidURL, AcceptsAbsoluteAddressesOfKnownSchemes)
{
    const struct {
        const char16_t* url;
        HRESULT expected;
    } cases[] = {
        {u"http://example.com/", S_OK},
        {u"HTTPS://Example.com/a?b#c", S_OK},
        {u"ftp://ftp.example.com/file", S_OK},
        {u"file:///tmp/x.html", S_OK},
        {u"about:blank", S_OK},
        {u"http://", S_FALSE},
        {u"http:///path", S_FALSE},
        {u"example.com", S_FALSE},
        {u"gopher://example.com/", S_FALSE},
        {u"javascript:alert(1)", S_FALSE},
        {u"http://exa mple.com/", S_FALSE},
        {u"http://example.com/\n", S_FALSE},
        {u"1http://example.com/", S_FALSE},
        {u"", E_INVALIDARG},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsValidURL(nullptr, c.url, 0), c.expected) << fromWide(c.url);
}

class DownloadToFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        server.server().Get("/icon.ico",
            [](const httplib::Request&, httplib::Response& res) { res.set_content("ICON", "image/x-icon"); });
        server.server().Get(
            "/moved", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/icon.ico"); });
        server.server().Get("/large", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(std::string(4096, 'x'), "application/octet-stream");
        });
        server.server().Get("/quiet", FirstThenQuiet(gate));
        server.server().Get("/silent", [this](const httplib::Request&, httplib::Response& res) {
            gate.Wait();
            res.set_content("late", "text/plain");
        });
        server.start();
        folder = std::filesystem::temp_directory_path() / ("zarn-dl-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        target = folder / "target.ico";
        std::ofstream(target) << "OLD";
    }
    void TearDown() override
    {
        gate.Open();
        server.stop();
        std::filesystem::remove_all(folder);
    }

    std::u16string url(const char* path) const { return toWide(server.url(path)); }
    std::u16string file() const { return toWide(target.string()); }

    TempHome home;
    ServerGate gate;
    FixtureServer server;
    std::filesystem::path folder;
    std::filesystem::path target;
};

TEST_F(DownloadToFile, WritesTheFileOnlyForASuccessfulAnswer)
{
    const struct {
        const char* path;
        HRESULT result;
        const char* content;
    } cases[] = {
        {"/missing", E_FAIL, "OLD"},
        {"/icon.ico", S_OK, "ICON"},
        {"/moved", S_OK, "ICON"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(URLDownloadToFile(nullptr, url(c.path), file(), 0, nullptr), c.result) << c.path;
        EXPECT_EQ(contentOf(target), c.content) << c.path;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1) << "no temporary file is left";
    TUrlCache cache;
    EXPECT_FALSE(cache.Find(QString::fromStdU16String(url("/missing"))));
    ASSERT_TRUE(cache.Find(QString::fromStdU16String(url("/moved"))));
    EXPECT_EQ(cache.Find(QString::fromStdU16String(url("/moved")))->Size, 4) << "kept under the address asked for";
}

TEST_F(DownloadToFile, LimitsOfSizeAndTimeFailAndKeepTheOldFile)
{
    TFileDownload tooLarge(url("/large"), target.string(), {std::chrono::milliseconds(20000), 1024});
    tooLarge.Start();
    EXPECT_EQ(tooLarge.Wait(), E_OUTOFMEMORY);

    TFileDownload stalled(url("/quiet"), target.string(), {std::chrono::milliseconds(300), 1024});
    EXPECT_EQ(stalled.Start(), E_PENDING);
    EXPECT_FALSE(stalled.Done());
    EXPECT_EQ(stalled.Wait(), INET_E_CONNECTION_TIMEOUT);
    EXPECT_EQ(contentOf(target), "OLD");

    TFileDownload aborted(url("/quiet"), target.string());
    aborted.Start();
    aborted.Abort();
    EXPECT_TRUE(aborted.Done());
    EXPECT_EQ(aborted.Result(), E_ABORT);
    EXPECT_EQ(contentOf(target), "OLD");
}

TEST_F(DownloadToFile, ASilentServerIsGivenUpWithoutATotalLimit)
{
    using std::chrono::milliseconds;
    const struct {
        const char* path;
        DownloadLimits limits;
    } cases[] = {
        {"/silent", {milliseconds(0), 0, milliseconds(300), milliseconds(60000)}},
        {"/quiet", {milliseconds(0), 0, milliseconds(60000), milliseconds(300)}},
    };
    for (const auto& c : cases) {
        TFileDownload download(url(c.path), target.string(), c.limits);
        EXPECT_EQ(download.Start(), E_PENDING);
        EXPECT_EQ(download.Wait(), INET_E_CONNECTION_TIMEOUT) << c.path;
        EXPECT_EQ(contentOf(target), "OLD") << c.path;
    }
}

TEST_F(DownloadToFile, TheWaitersCheckBetweenStepsCanStopTheTransfer)
{
    TFileDownload download(url("/quiet"), target.string());
    download.Start();
    int steps = 0;
    EXPECT_EQ(download.Wait([&] { return ++steps < 3; }), E_ABORT);
    EXPECT_EQ(steps, 3);
    EXPECT_EQ(contentOf(target), "OLD");
}

TEST_F(DownloadToFile, AListenerHearsTheStepsAndCanStopThem)
{
    struct Listener : IBindStatusCallback {
        HRESULT OnProgress(ULONG, ULONG, ULONG status, const std::u16string&) override
        {
            statuses.push_back(status);
            return refuse ? E_ABORT : S_OK;
        }
        HRESULT OnStopBinding(HRESULT result, const std::u16string&) override
        {
            stops.push_back(result);
            return S_OK;
        }
        std::vector<ULONG> statuses;
        std::vector<HRESULT> stops;
        bool refuse = false;
    } listener;
    EXPECT_EQ(URLDownloadToFile(nullptr, url("/icon.ico"), file(), 0, &listener), S_OK);
    EXPECT_NE(std::find(listener.statuses.begin(), listener.statuses.end(), BINDSTATUS_ENDDOWNLOADDATA),
        listener.statuses.end());
    EXPECT_EQ(listener.stops, std::vector<HRESULT>{S_OK});

    std::ofstream(target) << "OLD";
    listener.refuse = true;
    listener.stops.clear();
    EXPECT_EQ(URLDownloadToFile(nullptr, url("/icon.ico"), file(), 0, &listener), E_ABORT);
    EXPECT_EQ(listener.stops, std::vector<HRESULT>{E_ABORT});
    EXPECT_EQ(contentOf(target), "OLD");
}

} // namespace
