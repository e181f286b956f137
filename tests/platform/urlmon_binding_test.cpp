#include "FixtureServer.h"
#include "ServerGate.h"
#include "platform/urlmon/UrlMon.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const std::string kBody(1 << 20, 'q');

// Records every call; reads the stream slowly (a few bytes per notice) and
// the rest at the last notice, as a client that falls behind would.
class RecordingCallback : public IBindStatusCallback {
public:
    HRESULT GetBindInfo(DWORD& bindF, BINDINFO& info) override
    {
        calls.push_back("GetBindInfo");
        bindF = bindFlags;
        info.dwBindVerb = BINDVERB_GET;
        return S_OK;
    }
    HRESULT BeginningTransaction(const std::u16string&, const std::u16string&, DWORD, char16_t** extra) override
    {
        calls.push_back("BeginningTransaction");
        return S_OK;
    }
    HRESULT OnStartBinding(DWORD, IBinding* b) override
    {
        calls.push_back("OnStartBinding");
        binding = b;
        return S_OK;
    }
    HRESULT OnResponse(DWORD code, const std::u16string&, const std::u16string&, char16_t**) override
    {
        calls.push_back("OnResponse " + std::to_string(code));
        return S_OK;
    }
    HRESULT OnProgress(ULONG, ULONG, ULONG status, const std::u16string&) override
    {
        // Consecutive download reports count once.
        const std::string entry = "OnProgress " + std::to_string(status);
        if (status != BINDSTATUS_DOWNLOADINGDATA || calls.back() != entry)
            calls.push_back(entry);
        return S_OK;
    }
    HRESULT OnDataAvailable(DWORD bscf, DWORD size, IStream* stream) override
    {
        if (bscf & BSCF_FIRSTDATANOTIFICATION)
            calls.push_back("first data");
        if (bscf & BSCF_LASTDATANOTIFICATION)
            calls.push_back("last data");
        if (abortOnData) {
            binding->Abort();
            return S_OK;
        }
        char chunk[4096];
        ULONG read = 0;
        const ULONG want = (bscf & BSCF_LASTDATANOTIFICATION) ? sizeof chunk : 7;
        do {
            stream->Read(chunk, want, &read);
            received.append(chunk, read);
        } while (read == sizeof chunk);
        lastSize = size;
        return S_OK;
    }
    HRESULT OnStopBinding(HRESULT hr, const std::u16string&) override
    {
        calls.push_back("OnStopBinding");
        result = hr;
        if (binding) {
            GUID clsid;
            std::u16string text;
            binding->GetBindResult(clsid, bindResult, text);
            bindText = fromWide(text);
        }
        stopped = true;
        return S_OK;
    }

    DWORD bindFlags = BINDF_ASYNCHRONOUS;
    bool abortOnData = false;
    IBinding* binding = nullptr;
    std::vector<std::string> calls{""};
    std::string received;
    DWORD lastSize = 0;
    HRESULT result = S_FALSE;
    DWORD bindResult = 0;
    std::string bindText;
    bool stopped = false;
};

// Sets the receive time-out for one test and restores the default after it.
class ReceiveTimeout {
public:
    explicit ReceiveTimeout(DWORD milliseconds) { UrlMonSetReceiveTimeout(milliseconds); }
    ~ReceiveTimeout() { UrlMonSetReceiveTimeout(0); }
};

class UrlBindingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto& s = fixture_.server();
        s.set_keep_alive_max_count(1);
        s.Get("/body", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(kBody, "application/octet-stream");
        });
        s.Get("/loop", [](const httplib::Request&, httplib::Response& res) {
            res.set_redirect("/loop");
            res.set_content("redirect body", "text/plain");
        });
        s.Get("/to-file", [](const httplib::Request&, httplib::Response& res) {
            res.set_redirect("file:///etc/hostname");
            res.set_content("redirect body", "text/plain");
        });
        // Stalls until the test ends: before its answer, or after a first
        // part of the body.
        s.Get("/silent", [this](const httplib::Request&, httplib::Response& res) {
            gate_.Wait();
            res.set_content("too late", "text/plain");
        });
        s.Get("/stalls", FirstThenQuiet(gate_));
        fixture_.start();
    }

    void TearDown() override
    {
        gate_.Open();
        fixture_.stop();
    }

    HRESULT bind(RecordingCallback& callback, const std::string& path = "/body")
    {
        std::unique_ptr<IMoniker> moniker;
        std::unique_ptr<IBindCtx> ctx;
        EXPECT_EQ(CreateURLMonikerEx(nullptr, toWide(fixture_.url(path)), moniker, URL_MK_UNIFORM), S_OK);
        EXPECT_EQ(CreateAsyncBindCtx(0, &callback, ctx), S_OK);
        const HRESULT hr = moniker->BindToStorage(ctx.get(), nullptr);
        while (!callback.stopped)
            UrlMonProcessPending(10);
        return hr;
    }

    FixtureServer fixture_;
    ServerGate gate_;
};

TEST_F(UrlBindingTest, CallbacksComeInOrderAndUnreadDataIsKept)
{
    RecordingCallback callback;
    EXPECT_EQ(bind(callback), MK_S_ASYNCHRONOUS);
    EXPECT_EQ(callback.result, S_OK);
    EXPECT_EQ(callback.calls,
        (std::vector<std::string>{"", "GetBindInfo", "BeginningTransaction", "OnProgress 1", "OnProgress 2",
            "OnProgress 11", "OnStartBinding", "OnResponse 200", "OnProgress 13", "OnProgress 4", "OnProgress 5",
            "first data", "OnProgress 5", "OnProgress 6", "last data", "OnStopBinding"}));
    EXPECT_EQ(callback.received, kBody);
    EXPECT_EQ(callback.lastSize, kBody.size());
}

TEST_F(UrlBindingTest, AbortFromCallbackStopsWithEAbort)
{
    RecordingCallback callback;
    callback.abortOnData = true;
    bind(callback);
    EXPECT_EQ(callback.result, E_ABORT);
    EXPECT_EQ(callback.calls.back(), "OnStopBinding");
    EXPECT_EQ(static_cast<HRESULT>(callback.bindResult), E_ABORT);
}

TEST_F(UrlBindingTest, SynchronousBindingReturnsWhenStopped)
{
    RecordingCallback callback;
    callback.bindFlags = 0;
    std::unique_ptr<IMoniker> moniker;
    std::unique_ptr<IBindCtx> ctx;
    CreateURLMonikerEx(nullptr, toWide(fixture_.url("/nothing-here")), moniker, URL_MK_UNIFORM);
    CreateAsyncBindCtx(0, &callback, ctx);
    EXPECT_EQ(moniker->BindToStorage(ctx.get(), nullptr), S_OK);
    EXPECT_TRUE(callback.stopped);
    EXPECT_EQ(callback.calls.back(), "OnStopBinding");
    EXPECT_NE(std::find(callback.calls.begin(), callback.calls.end(), "OnResponse 404"), callback.calls.end());
}

} // namespace

namespace {

bool contains(const std::vector<std::string>& calls, const std::string& call)
{
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

} // namespace

TEST_F(UrlBindingTest, RedirectsBeyondLimitOrAwayFromTheWebFailWithoutData)
{
    struct Case {
        const char* path;
        const char* text;
        int redirectsFollowed;
    };
    for (const Case& c : {Case{"/loop", "Too many redirects: the server redirected more than 20 times.", 20},
             Case{"/to-file", "A redirect to file:///etc/hostname was refused: not a web address.", 0}}) {
        SCOPED_TRACE(c.path);
        RecordingCallback callback;
        bind(callback, c.path);
        EXPECT_EQ(callback.result, INET_E_REDIRECT_FAILED);
        EXPECT_EQ(static_cast<HRESULT>(callback.bindResult), INET_E_REDIRECT_FAILED);
        EXPECT_EQ(callback.bindText, c.text);
        EXPECT_EQ(std::count(callback.calls.begin(), callback.calls.end(), "OnProgress 3"), c.redirectsFollowed);
        EXPECT_FALSE(contains(callback.calls, "first data"));
        EXPECT_FALSE(contains(callback.calls, "OnResponse 302"));
        EXPECT_TRUE(callback.received.empty());
    }
}

TEST_F(UrlBindingTest, ServerThatGoesQuietTimesOut)
{
    ReceiveTimeout shortWait(200);
    for (const char* path : {"/silent", "/stalls"}) {
        SCOPED_TRACE(path);
        RecordingCallback callback;
        bind(callback, path);
        EXPECT_EQ(callback.result, INET_E_CONNECTION_TIMEOUT);
        EXPECT_EQ(callback.bindText, "Nothing was received for 0.2 seconds.");
        EXPECT_FALSE(contains(callback.calls, "last data"));
    }
}

TEST(UrlMonSettingsTest, ReceiveTimeoutDefaultsToAMinuteAndZeroRestoresIt)
{
    EXPECT_EQ(UrlMonReceiveTimeout(), 60000u);
    UrlMonSetReceiveTimeout(1500);
    EXPECT_EQ(UrlMonReceiveTimeout(), 1500u);
    UrlMonSetReceiveTimeout(0);
    EXPECT_EQ(UrlMonReceiveTimeout(), 60000u);
}
