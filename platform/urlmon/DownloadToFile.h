#pragma once
// Fetching one address into one local file, and the address check that goes
// with it: URLDownloadToFile and IsValidURL over the URL binding (UrlMon.h).
#include "platform/urlmon/UrlMon.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

constexpr HRESULT E_PENDING = makeHResult(0x8000000A);
constexpr HRESULT STG_E_WRITEFAULT = makeHResult(0x8003001D);

// S_OK when url is an absolute address of a scheme this platform binds or
// shows (http, https, ftp, file, about), made of printable characters without
// blanks, and with a host for http, https and ftp; S_FALSE for any other
// text, E_INVALIDARG for an empty one.
HRESULT IsValidURL(IBindCtx* context, const std::u16string& url, DWORD reserved);

// How far a download to a file may go before it is given up.
struct DownloadLimits {
    std::chrono::milliseconds total{60000}; // the whole transfer, connecting included
    std::uint64_t maxBytes = 64ull << 20; // a larger answer fails with E_OUTOFMEMORY
};

// One address fetched into one file. The file is written through a
// temporary file in its folder and appears only complete, when the answer
// was a success (2xx, after at most 20 redirects between web addresses);
// on any failure an existing file is left as it was. The binding runs on the
// thread that started it and moves only while that thread calls
// UrlMonProcessPending (or Wait).
class TFileDownload {
public:
    TFileDownload(std::u16string url, std::string file, DownloadLimits limits = {});
    ~TFileDownload(); // aborts a running transfer; the file is not touched
    TFileDownload(const TFileDownload&) = delete;
    TFileDownload& operator=(const TFileDownload&) = delete;

    // Starts the transfer; E_PENDING while it runs, else a failure result
    // (the download is then Done).
    HRESULT Start();
    // Drives the transfer until it is done or its time is up; the result.
    HRESULT Wait();
    // Done once the file was written or the transfer failed, timed out
    // (INET_E_CONNECTION_TIMEOUT) or was aborted (E_ABORT).
    bool Done();
    // S_OK when the file was written; E_PENDING while running.
    HRESULT Result() const;
    void Abort();
    // Hears OnProgress for each step of the transfer (a failure answer
    // aborts it) and OnStopBinding once with the download's result. Set it
    // before Start; it must outlive the transfer.
    void SetListener(IBindStatusCallback* listener);

private:
    class Receiver;
    std::unique_ptr<Receiver> receiver_;
};

// Fetches url into fileName and returns when done: S_OK when the file was
// written, else the failure (INET_E_* for the transfer, E_FAIL for an answer
// that is not a success, STG_E_WRITEFAULT when the file cannot be written).
// Bounded by the default DownloadLimits. caller and reserved are not used;
// callback, when given, hears OnProgress for each step and OnStopBinding
// with the result; a failed OnProgress aborts the download.
HRESULT URLDownloadToFile(void* caller, const std::u16string& url, const std::u16string& fileName, DWORD reserved,
    IBindStatusCallback* callback);
