#include "platform/urlmon/UrlMon.h"
#include "FixtureServer.h"

#include <gtest/gtest.h>

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
    bool stopped = false;
};

class UrlBindingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fixture_.server().set_keep_alive_max_count(1);
        fixture_.server().Get("/body", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(kBody, "application/octet-stream");
        });
        fixture_.start();
    }

    HRESULT bind(RecordingCallback& callback)
    {
        std::unique_ptr<IMoniker> moniker;
        std::unique_ptr<IBindCtx> ctx;
        EXPECT_EQ(CreateURLMonikerEx(nullptr, toWide(fixture_.url("/body")), moniker, URL_MK_UNIFORM), S_OK);
        EXPECT_EQ(CreateAsyncBindCtx(0, &callback, ctx), S_OK);
        const HRESULT hr = moniker->BindToStorage(ctx.get(), nullptr);
        while (!callback.stopped)
            UrlMonProcessPending(10);
        return hr;
    }

    FixtureServer fixture_;
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
