#pragma once
// Asynchronous URL binding on libcurl: URL monikers, bind contexts, the
// binding object and the callback interface a client implements. A binding
// makes progress only while its thread calls UrlMonProcessPending (the
// client's wait loop), and every callback runs inside that call, on that
// thread. Several bindings may run at once; a callback may start and wait for
// another binding, which then runs while the first one is held.
#include "platform/com/ComTypes.h"
#include "platform/inet/WinInet.h"

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

using ULONG = std::uint32_t;
using LONG = std::int32_t;

constexpr HRESULT MK_S_ASYNCHRONOUS = 0x000401E8;
constexpr HRESULT INET_E_INVALID_URL = makeHResult(0x800C0002);
constexpr HRESULT INET_E_CANNOT_CONNECT = makeHResult(0x800C0004);
constexpr HRESULT INET_E_RESOURCE_NOT_FOUND = makeHResult(0x800C0005);
constexpr HRESULT INET_E_DATA_NOT_AVAILABLE = makeHResult(0x800C0007);
constexpr HRESULT INET_E_DOWNLOAD_FAILURE = makeHResult(0x800C0008);
constexpr HRESULT INET_E_CONNECTION_TIMEOUT = makeHResult(0x800C000B);
constexpr HRESULT INET_E_UNKNOWN_PROTOCOL = makeHResult(0x800C000D);
constexpr HRESULT INET_E_SECURITY_PROBLEM = makeHResult(0x800C000E);
constexpr HRESULT INET_E_REDIRECT_FAILED = makeHResult(0x800C0014);
constexpr HRESULT RPC_E_RETRY = makeHResult(0x80010109);

constexpr DWORD URL_MK_UNIFORM = 1;

constexpr DWORD BINDF_ASYNCHRONOUS = 0x1;
constexpr DWORD BINDF_GETNEWESTVERSION = 0x10;
constexpr DWORD BINDF2_DISABLEAUTOREDIRECT = 0x4; // "redirect unless SID": no redirect is followed here
constexpr DWORD BINDF2_DISABLEBASICOVERHTTP = 0x1;

constexpr DWORD BINDVERB_GET = 0;
constexpr DWORD BINDVERB_POST = 1;
constexpr DWORD BINDVERB_PUT = 2;
constexpr DWORD BINDVERB_CUSTOM = 3;

constexpr DWORD BSCF_FIRSTDATANOTIFICATION = 0x1;
constexpr DWORD BSCF_INTERMEDIATEDATANOTIFICATION = 0x2;
constexpr DWORD BSCF_LASTDATANOTIFICATION = 0x4;
constexpr DWORD BSCF_DATAFULLYAVAILABLE = 0x8;
constexpr DWORD BSCF_AVAILABLEDATASIZEUNKNOWN = 0x10;

constexpr ULONG BINDSTATUS_FINDINGRESOURCE = 1;
constexpr ULONG BINDSTATUS_CONNECTING = 2;
constexpr ULONG BINDSTATUS_REDIRECTING = 3;
constexpr ULONG BINDSTATUS_BEGINDOWNLOADDATA = 4;
constexpr ULONG BINDSTATUS_DOWNLOADINGDATA = 5;
constexpr ULONG BINDSTATUS_ENDDOWNLOADDATA = 6;
constexpr ULONG BINDSTATUS_SENDINGREQUEST = 11;
constexpr ULONG BINDSTATUS_MIMETYPEAVAILABLE = 13;
constexpr ULONG BINDSTATUS_CONTENTDISPOSITIONATTACH = 26;

// Task memory: out-texts handed between a client and the binding.
void* CoTaskMemAlloc(std::size_t bytes);
void CoTaskMemFree(void* block);

struct SECURITY_ATTRIBUTES {
    DWORD nLength = 12;
    std::string lpSecurityDescriptor;
    bool bInheritHandle = false;
};

// What a client tells the binding about its request.
struct BINDINFO {
    DWORD cbSize = 84;
    std::u16string szExtraInfo;
    std::vector<char> stgmedData; // the request body (POST, PUT)
    DWORD grfBindInfoF = 0;
    DWORD dwBindVerb = BINDVERB_GET;
    std::u16string szCustomVerb;
    DWORD dwOptions = 0;
    DWORD dwCodePage = 0;
    SECURITY_ATTRIBUTES securityAttributes;
};

class IStream {
public:
    virtual ~IStream() = default;
    // Copies up to cb bytes; *read is 0 when nothing is left. S_FALSE when
    // fewer bytes than asked were available.
    virtual HRESULT Read(void* buffer, ULONG cb, ULONG* read) = 0;
};

// The running binding, handed to the client at OnStartBinding. A binding
// follows at most 20 redirects, and only to http and https addresses; beyond
// that it stops with INET_E_REDIRECT_FAILED before any data of the last
// answer reaches the client. It also stops, with INET_E_CONNECTION_TIMEOUT,
// when nothing was sent or received for the receive time-out
// (UrlMonSetReceiveTimeout).
class IBinding {
public:
    virtual ~IBinding() = default;
    // Stops the transfer; the client gets OnStopBinding(E_ABORT).
    virtual HRESULT Abort() = 0;
    virtual HRESULT Resume() = 0;
    // The binding's result code and text once it stopped (before: S_OK). The
    // text says what went wrong in the binding's own words; empty on success.
    virtual HRESULT GetBindResult(GUID& protocolClsid, DWORD& result, std::u16string& resultText) = 0;
    // IWinInetHttpInfo: one item of the HTTP answer into buffer (size bytes;
    // size is updated). With HTTP_QUERY_FLAG_NUMBER the item is written as a
    // 32-bit number. E_FAIL when the answer lacks it or the buffer is short.
    virtual HRESULT QueryInfo(DWORD option, void* buffer, DWORD& size) = 0;
};

// The callback a client gives the binding: status callback, HTTP
// negotiation, authentication and security questions. Every answer that a
// client leaves to these defaults behaves as noted.
class IBindStatusCallback {
public:
    virtual ~IBindStatusCallback() = default;
    // Called once, before any data, when the answer's headers are in (or
    // just before OnStopBinding when no answer came). A failure aborts.
    virtual HRESULT OnStartBinding(DWORD reserved, IBinding* binding) { return S_OK; }
    virtual HRESULT GetPriority(LONG& priority)
    {
        priority = 0;
        return S_OK;
    }
    virtual HRESULT OnLowResource(DWORD reserved) { return E_NOTIMPL; }
    // Status reports (BINDSTATUS_*). A failure for a redirect stops it.
    virtual HRESULT OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode, const std::u16string& statusText)
    {
        return S_OK;
    }
    virtual HRESULT OnStopBinding(HRESULT result, const std::u16string& error) { return S_OK; }
    // Asked before each request (again after a redirect). Default: GET, no body.
    virtual HRESULT GetBindInfo(DWORD& bindF, BINDINFO& info) { return S_OK; }
    // size is the total of bytes made available so far; stream holds them.
    virtual HRESULT OnDataAvailable(DWORD bscf, DWORD size, IStream* stream) { return S_OK; }
    virtual HRESULT OnObjectAvailable() { return S_OK; }
    // HTTP: extra request headers (CR LF separated, task memory, may stay
    // null). A failure stops the request.
    virtual HRESULT BeginningTransaction(
        const std::u16string& url, const std::u16string& headers, DWORD reserved, char16_t** additionalHeaders)
    {
        return S_OK;
    }
    // HTTP: the answer. A failure aborts before any data.
    virtual HRESULT OnResponse(DWORD responseCode, const std::u16string& responseHeaders,
        const std::u16string& requestHeaders, char16_t** additionalRequestHeaders)
    {
        return S_OK;
    }
    // A 401 answer: user name and password in task memory. Without them
    // (the default) the 401 answer is the final one.
    virtual HRESULT Authenticate(void*& window, char16_t*& userName, char16_t*& password) { return S_OK; }
    // A certificate problem (an internet error code). S_OK or RPC_E_RETRY
    // retries without the check; anything else (the default) fails.
    virtual HRESULT OnSecurityProblem(DWORD problem) { return S_FALSE; }
};

class UrlBinding;

class IBindCtx {
public:
    explicit IBindCtx(IBindStatusCallback* callback) : callback_(callback) {}
    IBindStatusCallback* callback() const { return callback_; }
    HRESULT RegisterObjectParam(const std::string& key, IBindStatusCallback* object);
    HRESULT RevokeObjectParam(const std::string& key);

private:
    friend HRESULT RegisterBindStatusCallback(IBindCtx*, IBindStatusCallback*, IBindStatusCallback**, DWORD);
    friend HRESULT RevokeBindStatusCallback(IBindCtx*, IBindStatusCallback*);
    IBindStatusCallback* callback_;
    std::map<std::string, IBindStatusCallback*> params_;
};

class IMoniker {
public:
    explicit IMoniker(std::u16string url);
    ~IMoniker();
    IMoniker(const IMoniker&) = delete;
    IMoniker& operator=(const IMoniker&) = delete;

    // S_FALSE: a URL moniker never names a running object.
    HRESULT IsRunning(IBindCtx* ctx) const { return S_FALSE; }
    HRESULT GetDisplayName(IBindCtx* ctx, std::u16string& name) const;
    // Starts the transfer for the context's callback. Asynchronous (bind
    // flag BINDF_ASYNCHRONOUS): answers MK_S_ASYNCHRONOUS at once. Otherwise
    // returns when the binding stopped, with its result.
    HRESULT BindToStorage(IBindCtx* ctx, IStream** stream);
    // The binding of the last BindToStorage, also before the callback got it
    // at OnStartBinding (so that a client can abort it early); null before.
    IBinding* Binding() const;

private:
    std::u16string url_;
    std::unique_ptr<UrlBinding> binding_;
};

HRESULT CreateURLMonikerEx(
    IMoniker* context, const std::u16string& url, std::unique_ptr<IMoniker>& moniker, DWORD flags);
HRESULT CreateAsyncBindCtx(DWORD reserved, IBindStatusCallback* callback, std::unique_ptr<IBindCtx>& ctx);
// Makes callback the context's status callback; previous receives the one it
// replaces (nothing when there was none).
HRESULT RegisterBindStatusCallback(
    IBindCtx* ctx, IBindStatusCallback* callback, IBindStatusCallback** previous, DWORD reserved);
HRESULT RevokeBindStatusCallback(IBindCtx* ctx, IBindStatusCallback* callback);

// How long a binding of this process may wait without sending or receiving
// a byte before it stops with INET_E_CONNECTION_TIMEOUT; 60 s at start. 0
// restores the 60 s, so that no binding waits forever.
void UrlMonSetReceiveTimeout(DWORD milliseconds);
DWORD UrlMonReceiveTimeout();

// Drives the running bindings of this thread: waits at most waitMs for
// network activity and delivers the callbacks that follow. True when any
// binding made progress.
bool UrlMonProcessPending(int waitMs);
