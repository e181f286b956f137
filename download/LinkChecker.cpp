#include "download/LinkChecker.h"

#include "download/DownloadStatus.h"
#include "download/LinkCheck.h"
#include "platform/urlmon/UrlMon.h"

#include <algorithm>
#include <chrono>
#include <memory>

namespace {

using Clock = std::chrono::steady_clock;

std::string narrow(const std::u16string& text)
{
    std::string out;
    for (char32_t c : text) {
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string widen(const std::string& text)
{
    // Addresses are ASCII once a list is read; other bytes pass one by one so
    // that the binding can refuse them itself.
    return std::u16string(text.begin(), text.end());
}

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r\n\f\v");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n\f\v") - first + 1);
}

// One running check: the binding's callback and its objects.
class Check final : public IBindStatusCallback {
public:
    Check(TLinkOutcome& outcome, std::string url) : outcome_(outcome), url_(std::move(url)) {}

    bool Start()
    {
        started_ = Clock::now();
        outcome_.FinalUrl = url_;
        HRESULT result = CreateURLMonikerEx(nullptr, widen(url_), moniker_, URL_MK_UNIFORM);
        if (SUCCEEDED(result))
            result = CreateAsyncBindCtx(0, this, context_);
        if (SUCCEEDED(result))
            result = moniker_->BindToStorage(context_.get(), nullptr);
        if (FAILED(result) && !done_)
            finish(result, {});
        return !done_;
    }

    bool Done() const { return done_; }

    HRESULT GetBindInfo(DWORD& bindF, BINDINFO& info) override
    {
        bindF = BINDF_ASYNCHRONOUS | BINDF_GETNEWESTVERSION;
        info.dwBindVerb = BINDVERB_GET;
        return S_OK;
    }

    HRESULT OnProgress(ULONG, ULONG, ULONG statusCode, const std::u16string& statusText) override
    {
        if (statusCode == BINDSTATUS_REDIRECTING && !statusText.empty())
            outcome_.FinalUrl = narrow(statusText);
        return S_OK;
    }

    HRESULT OnResponse(DWORD responseCode, const std::u16string&, const std::u16string&, char16_t**) override
    {
        outcome_.Answered = true;
        outcome_.Status = int(responseCode);
        outcome_.StatusText = LinkStatusText(outcome_.Status);
        outcome_.ResultText = LinkResultText(outcome_.Status);
        outcome_.Seconds = seconds();
        // The body is read and dropped as it comes: stopping the binding here
        // would cost the connection, and a server its keep-alive.
        return S_OK;
    }

    HRESULT OnDataAvailable(DWORD, DWORD, IStream* stream) override
    {
        char buffer[4096];
        ULONG read = 0;
        while (stream && SUCCEEDED(stream->Read(buffer, sizeof buffer, &read)) && read > 0) {}
        return S_OK;
    }

    HRESULT OnStopBinding(HRESULT result, const std::u16string& error) override
    {
        finish(result, error);
        return S_OK;
    }

private:
    double seconds() const { return std::chrono::duration<double>(Clock::now() - started_).count(); }

    void finish(HRESULT result, const std::u16string& error)
    {
        if (done_)
            return;
        done_ = true;
        if (outcome_.Answered)
            return;
        outcome_.Seconds = seconds();
        const std::string text = error.empty() ? ResponseCodeText(result) : narrow(error);
        outcome_.StatusText = LinkErrorText(text);
    }

    TLinkOutcome& outcome_;
    std::string url_;
    std::unique_ptr<IMoniker> moniker_;
    std::unique_ptr<IBindCtx> context_;
    Clock::time_point started_;
    bool done_ = false;
};

std::string withScheme(const std::string& entry)
{
    return entry.find("://") == std::string::npos ? "http://" + entry : entry;
}

} // namespace

bool OutcomeBroken(const TLinkOutcome& outcome)
{
    return outcome.Fetched && LinkBroken(outcome.Answered, outcome.Status);
}

std::vector<TLinkOutcome> CheckLinkList(
    const std::vector<std::string>& entries, int jobs, int timeoutMs, const std::function<void(std::size_t)>& progress)
{
    std::vector<TLinkOutcome> outcomes(entries.size());
    UrlMonSetReceiveTimeout(DWORD(timeoutMs > 0 ? timeoutMs : 0));
    if (jobs < 1)
        jobs = 1;
    struct Running {
        std::size_t index;
        std::unique_ptr<Check> check;
    };
    std::vector<Running> running;
    std::size_t next = 0;
    const auto report = [&](std::size_t index) {
        if (progress)
            progress(index);
    };
    while (next < entries.size() || !running.empty()) {
        while (next < entries.size() && int(running.size()) < jobs) {
            const std::size_t index = next++;
            TLinkOutcome& outcome = outcomes[index];
            outcome.Entry = entries[index];
            switch (LinkEntryKind(outcome.Entry)) {
            case TLinkEntry::Empty:
                report(index);
                continue;
            case TLinkEntry::OtherScheme:
                outcome.StatusText = NotCheckedStatusText();
                outcome.ResultText = NotCheckedResultText();
                report(index);
                continue;
            case TLinkEntry::Fetched:
                break;
            }
            outcome.Fetched = true;
            const std::string address = trimmed(outcome.Entry);
            const bool control = std::any_of(address.begin(), address.end(),
                [](char c) { return (static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F; });
            if (control) {
                outcome.StatusText = LinkErrorText("the address holds control characters");
                report(index);
                continue;
            }
            auto check = std::make_unique<Check>(outcome, withScheme(address));
            if (check->Start())
                running.push_back({index, std::move(check)});
            else
                report(index);
        }
        if (running.empty())
            continue;
        // Each binding is waited on in turn, so a short wait keeps one quiet
        // binding from holding up the answers of the others.
        UrlMonProcessPending(2);
        for (auto it = running.begin(); it != running.end();) {
            if (it->check->Done()) {
                report(it->index);
                it = running.erase(it);
            } else {
                ++it;
            }
        }
    }
    return outcomes;
}
