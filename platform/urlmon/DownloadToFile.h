#pragma once
// Fetching one address into one local file, and the address check that goes
// with it: URLDownloadToFile and IsValidURL over the URL binding (UrlMon.h).
#include "platform/urlmon/UrlMon.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

constexpr HRESULT E_PENDING = makeHResult(0x8000000A);
constexpr HRESULT STG_E_WRITEFAULT = makeHResult(0x8003001D);

// S_OK when url is an absolute address of a scheme this platform binds or
// shows (http, https, ftp, file, about), made of printable characters without
// blanks, and with a host for http, https and ftp; S_FALSE for any other
// text, E_INVALIDARG for an empty one.
HRESULT IsValidURL(IBindCtx* context, const std::u16string& url, DWORD reserved);

// How far a download to a file may go before it is given up. A limit that
// is passed ends the download with INET_E_CONNECTION_TIMEOUT (time) or
// E_OUTOFMEMORY (size). The defaults suit files of any size the user asked
// for: no total time or size, but a server that does not answer or goes
// quiet is given up. A caller that fetches small files on the browser's own
// account (site icons) sets a total time and a size as well.
struct DownloadLimits {
    std::chrono::milliseconds total{0}; // the whole transfer, connecting included; 0: none
    std::uint64_t maxBytes = 0; // the longest answer; 0: none
    std::chrono::milliseconds connect{30000}; // from the start until the answer begins
    std::chrono::milliseconds stall{30000}; // the longest wait for the next bytes of the answer
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
    // Drives the transfer until it is done or a limit is passed; the result.
    // betweenSteps, when given, runs after each step of the transfer (at
    // least every 50 ms, so that it can keep a window answering); when it
    // returns False the transfer is aborted (E_ABORT).
    HRESULT Wait(const std::function<bool()>& betweenSteps = {});
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

// Fetches url into fileName and returns when done, keeping the file in the
// download cache (UrlCache.h) as the entry of url: S_OK when the file was
// written, else the failure (INET_E_* for the transfer, E_FAIL for an answer
// that is not a success, STG_E_WRITEFAULT when the file cannot be written,
// E_ABORT when stopped). Bounded by limits. callback, when given, hears
// OnProgress for each step and OnStopBinding with the result; a failed
// OnProgress aborts the download. betweenSteps, when given, runs as for
// TFileDownload::Wait and stops the download by returning False.
HRESULT DownloadUrlToFile(const std::u16string& url, const std::u16string& fileName, const DownloadLimits& limits,
    IBindStatusCallback* callback, const std::function<bool()>& betweenSteps = {});
// DownloadUrlToFile with the default limits. caller and reserved are not
// used.
HRESULT URLDownloadToFile(void* caller, const std::u16string& url, const std::u16string& fileName, DWORD reserved,
    IBindStatusCallback* callback);
