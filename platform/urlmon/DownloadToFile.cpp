#include "platform/urlmon/DownloadToFile.h"

#include "platform/files/SafeFile.h"
#include "platform/inet/UrlCache.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <string_view>

namespace {

using Clock = std::chrono::steady_clock;

std::string lowerScheme(std::string_view url)
{
    const auto colon = url.find(':');
    if (colon == std::string_view::npos || colon == 0)
        return {};
    std::string scheme(url.substr(0, colon));
    if (!std::isalpha(static_cast<unsigned char>(scheme[0])))
        return {};
    for (char& c : scheme) {
        const auto u = static_cast<unsigned char>(c);
        if (!std::isalnum(u) && c != '+' && c != '-' && c != '.')
            return {};
        c = static_cast<char>(std::tolower(u));
    }
    return scheme;
}

bool printableWithoutBlanks(std::string_view url)
{
    return std::none_of(url.begin(), url.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u <= 0x20 || u == 0x7F;
    });
}

// The part between "//" and the next "/", "?" or "#", without user and port.
std::string_view hostOf(std::string_view url)
{
    const auto start = url.find("//");
    if (start == std::string_view::npos)
        return {};
    std::string_view rest = url.substr(start + 2);
    rest = rest.substr(0, rest.find_first_of("/?#"));
    if (const auto at = rest.rfind('@'); at != std::string_view::npos)
        rest = rest.substr(at + 1);
    if (!rest.empty() && rest.front() == '[')
        return rest.substr(0, rest.find(']') + 1);
    return rest.substr(0, rest.find(':'));
}

} // namespace

HRESULT IsValidURL(IBindCtx*, const std::u16string& url, DWORD)
{
    if (url.empty())
        return E_INVALIDARG;
    const std::string text = fromWide(url);
    if (!printableWithoutBlanks(text))
        return S_FALSE;
    static const std::array<std::string_view, 5> known{"http", "https", "ftp", "file", "about"};
    const std::string scheme = lowerScheme(text);
    if (std::find(known.begin(), known.end(), scheme) == known.end() || text.size() == scheme.size() + 1)
        return S_FALSE;
    const bool needsHost = scheme == "http" || scheme == "https" || scheme == "ftp";
    return needsHost && hostOf(text).empty() ? S_FALSE : S_OK;
}

// Receives the binding's data into the file and keeps the outcome.
class TFileDownload::Receiver : public IBindStatusCallback {
public:
    Receiver(std::u16string url, std::string file, DownloadLimits limits)
        : url_(std::move(url)), writer_(std::move(file)), limits_(limits)
    {}
    ~Receiver() override
    {
        listener = nullptr;
        Abort();
    }

    IBindStatusCallback* listener = nullptr;

    HRESULT Start()
    {
        if (result_ != E_PENDING || moniker_)
            return result_;
        started_ = lastData_ = Clock::now();
        HRESULT hr = CreateURLMonikerEx(nullptr, url_, moniker_, URL_MK_UNIFORM);
        if (SUCCEEDED(hr))
            hr = CreateAsyncBindCtx(0, this, context_);
        if (SUCCEEDED(hr))
            hr = moniker_->BindToStorage(context_.get(), nullptr);
        if (FAILED(hr) && result_ == E_PENDING)
            finish(hr);
        return result_;
    }

    bool Done()
    {
        if (result_ == E_PENDING && moniker_ && Clock::now() >= deadline())
            abortWith(INET_E_CONNECTION_TIMEOUT);
        return result_ != E_PENDING;
    }

    HRESULT Wait(const std::function<bool()>& betweenSteps)
    {
        while (!Done()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline() - Clock::now());
            UrlMonProcessPending(static_cast<int>(std::clamp<long long>(left.count(), 0, 50)));
            if (betweenSteps && !Done() && !betweenSteps())
                Abort();
        }
        return result_;
    }

    HRESULT Result() const { return result_; }

    void Abort()
    {
        if (result_ == E_PENDING && moniker_)
            abortWith(E_ABORT);
    }

    HRESULT GetBindInfo(DWORD& bindF, BINDINFO&) override
    {
        bindF |= BINDF_ASYNCHRONOUS | BINDF_GETNEWESTVERSION;
        return S_OK;
    }

    HRESULT OnResponse(DWORD code, const std::u16string&, const std::u16string&, char16_t**) override
    {
        status_ = code;
        answered_ = true;
        lastData_ = Clock::now();
        return S_OK;
    }

    HRESULT OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode, const std::u16string& text) override
    {
        if (listener && FAILED(listener->OnProgress(progress, progressMax, statusCode, text))) {
            abortWith(E_ABORT);
            return E_ABORT;
        }
        return S_OK;
    }

    HRESULT OnDataAvailable(DWORD, DWORD size, IStream* stream) override
    {
        std::array<char, 65536> buffer; // not cleared: only what Read fills is used
        ULONG read = 0;
        answered_ = true;
        lastData_ = Clock::now();
        while (stream && SUCCEEDED(stream->Read(buffer.data(), buffer.size(), &read)) && read > 0) {
            if (limits_.maxBytes && written_ + read > limits_.maxBytes) {
                abortWith(E_OUTOFMEMORY);
                return E_ABORT;
            }
            if (!opened_ && !(opened_ = writer_.Open())) {
                abortWith(STG_E_WRITEFAULT);
                return E_ABORT;
            }
            if (!writer_.Write(buffer.data(), read)) {
                abortWith(STG_E_WRITEFAULT);
                return E_ABORT;
            }
            written_ += read;
        }
        return S_OK;
    }

    HRESULT OnStopBinding(HRESULT result, const std::u16string&) override
    {
        if (result_ == E_PENDING)
            finish(SUCCEEDED(result) ? commit() : result);
        return S_OK;
    }

private:
    // When the download is given up unless something arrives first: the
    // earliest of its limits that applies now.
    Clock::time_point deadline() const
    {
        Clock::time_point due = answered_ ? lastData_ + limits_.stall : started_ + limits_.connect;
        if (limits_.total.count() > 0)
            due = std::min(due, started_ + limits_.total);
        return due;
    }

    HRESULT commit()
    {
        if (status_ != 0 && (status_ < 200 || status_ > 299))
            return E_FAIL;
        if (!opened_ && !(opened_ = writer_.Open()))
            return STG_E_WRITEFAULT; // an empty answer still makes an empty file
        return writer_.Commit() ? S_OK : STG_E_WRITEFAULT;
    }

    // The outcome is kept before the binding hears of the abort, so that its
    // stop report does not replace it.
    void abortWith(HRESULT result)
    {
        finish(result);
        if (IBinding* binding = moniker_ ? moniker_->Binding() : nullptr)
            binding->Abort();
    }

    void finish(HRESULT result)
    {
        result_ = result;
        if (FAILED(result))
            writer_.Discard();
        if (listener)
            listener->OnStopBinding(result, {});
    }

    std::u16string url_;
    SafeFileWriter writer_;
    DownloadLimits limits_;
    std::unique_ptr<IMoniker> moniker_;
    std::unique_ptr<IBindCtx> context_;
    Clock::time_point started_{};
    Clock::time_point lastData_{};
    bool answered_ = false;
    DWORD status_ = 0;
    std::uint64_t written_ = 0;
    bool opened_ = false;
    HRESULT result_ = E_PENDING;
};

TFileDownload::TFileDownload(std::u16string url, std::string file, DownloadLimits limits)
    : receiver_(std::make_unique<Receiver>(std::move(url), std::move(file), limits))
{}

TFileDownload::~TFileDownload() = default;

HRESULT TFileDownload::Start() { return receiver_->Start(); }
HRESULT TFileDownload::Wait(const std::function<bool()>& betweenSteps) { return receiver_->Wait(betweenSteps); }
bool TFileDownload::Done() { return receiver_->Done(); }
HRESULT TFileDownload::Result() const { return receiver_->Result(); }
void TFileDownload::Abort() { receiver_->Abort(); }
void TFileDownload::SetListener(IBindStatusCallback* listener) { receiver_->listener = listener; }

HRESULT DownloadUrlToFile(const std::u16string& url, const std::u16string& fileName, const DownloadLimits& limits,
    IBindStatusCallback* callback, const std::function<bool()>& betweenSteps)
{
    if (url.empty() || fileName.empty())
        return E_INVALIDARG;
    TFileDownload download(url, fromWide(fileName), limits);
    download.SetListener(callback);
    download.Start();
    const HRESULT result = download.Wait(betweenSteps);
    // A file that could not be kept in the cache is still downloaded.
    if (result == S_OK)
        TUrlCache().Store(QString::fromStdU16String(url), QString::fromStdU16String(fileName));
    return result;
}

HRESULT URLDownloadToFile(
    void*, const std::u16string& url, const std::u16string& fileName, DWORD, IBindStatusCallback* callback)
{
    return DownloadUrlToFile(url, fileName, {}, callback);
}
