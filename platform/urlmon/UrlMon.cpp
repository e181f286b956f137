#include "platform/urlmon/UrlMon.h"

#include "platform/inet/ProcessProxy.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRedirectLimit = 20;
constexpr DWORD kDefaultReceiveTimeoutMs = 60000;
std::atomic<DWORD> receiveTimeoutMs{kDefaultReceiveTimeoutMs};

std::string narrow(const std::u16string& text) { return fromWide(text); }

// An HTTP answer may send the client on to another web address only, never to
// a local file or another protocol.
bool isWebAddress(const std::string& url)
{
    const auto colon = url.find(':');
    if (colon == std::string::npos)
        return false;
    std::string scheme = url.substr(0, colon);
    std::transform(scheme.begin(), scheme.end(), scheme.begin(), [](unsigned char c) { return std::tolower(c); });
    return scheme == "http" || scheme == "https";
}

std::string secondsText(DWORD milliseconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", milliseconds / 1000.0);
    return text;
}

// Connections, DNS answers and TLS sessions are shared by every binding of
// the process, so consecutive downloads from one server reuse a connection.
// Bindings of different threads take turns on each shared part.
std::mutex shareLocks[CURL_LOCK_DATA_LAST];

void lockShare(CURL*, curl_lock_data data, curl_lock_access, void*) { shareLocks[data].lock(); }
void unlockShare(CURL*, curl_lock_data data, void*) { shareLocks[data].unlock(); }

CURLSH* sharedState()
{
    static CURLSH* share = [] {
        InternetInitialize();
        CURLSH* s = curl_share_init();
        curl_share_setopt(s, CURLSHOPT_LOCKFUNC, lockShare);
        curl_share_setopt(s, CURLSHOPT_UNLOCKFUNC, unlockShare);
        curl_share_setopt(s, CURLSHOPT_SHARE, CURL_LOCK_DATA_CONNECT);
        curl_share_setopt(s, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
        curl_share_setopt(s, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
        return s;
    }();
    return share;
}

HRESULT resultFromCurl(CURLcode rc)
{
    switch (rc) {
    case CURLE_URL_MALFORMAT:
        return INET_E_INVALID_URL;
    case CURLE_UNSUPPORTED_PROTOCOL:
        return INET_E_UNKNOWN_PROTOCOL;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return INET_E_RESOURCE_NOT_FOUND;
    case CURLE_COULDNT_CONNECT:
        return INET_E_CANNOT_CONNECT;
    case CURLE_OPERATION_TIMEDOUT:
        return INET_E_CONNECTION_TIMEOUT;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CONNECT_ERROR:
        return INET_E_SECURITY_PROBLEM;
    case CURLE_FILE_COULDNT_READ_FILE:
    case CURLE_REMOTE_FILE_NOT_FOUND:
        return INET_E_RESOURCE_NOT_FOUND;
    default:
        return INET_E_DOWNLOAD_FAILURE;
    }
}

// Takes a task-memory text and frees it.
std::string takeTaskText(char16_t* text)
{
    if (!text)
        return {};
    std::string out = fromWide(text);
    CoTaskMemFree(text);
    return out;
}

// Bytes made available to the client; it reads them out in OnDataAvailable.
// A block is lent from the transfer's own buffer while the client reads it,
// and copied only when the client leaves part of it unread.
class BindingStream final : public IStream {
public:
    void lend(const char* data, std::size_t size)
    {
        lent_ = data;
        lentSize_ = size;
        lentRead_ = 0;
    }
    // Keeps what the client did not read of the lent block.
    void keepUnread()
    {
        if (lentRead_ < lentSize_) {
            if (read_ == kept_.size()) {
                kept_.clear();
                read_ = 0;
            }
            kept_.insert(kept_.end(), lent_ + lentRead_, lent_ + lentSize_);
        }
        lent_ = nullptr;
        lentSize_ = lentRead_ = 0;
    }
    HRESULT Read(void* buffer, ULONG cb, ULONG* read) override
    {
        auto* out = static_cast<char*>(buffer);
        std::size_t n = std::min<std::size_t>(cb, kept_.size() - read_);
        if (n)
            std::memcpy(out, kept_.data() + read_, n);
        read_ += n;
        const std::size_t m = std::min<std::size_t>(cb - n, lentSize_ - lentRead_);
        if (m)
            std::memcpy(out + n, lent_ + lentRead_, m);
        lentRead_ += m;
        n += m;
        if (read)
            *read = static_cast<ULONG>(n);
        return n < cb ? S_FALSE : S_OK;
    }

private:
    std::vector<char> kept_;
    std::size_t read_ = 0;
    const char* lent_ = nullptr;
    std::size_t lentSize_ = 0;
    std::size_t lentRead_ = 0;
};

// Transfer handles are kept for the next binding of the thread: a new multi
// handle costs a socket pair, which matters when many small files are fetched.
struct HandlePool {
    std::vector<CURLM*> multis;
    std::vector<CURL*> easies;
    ~HandlePool()
    {
        for (CURL* easy : easies)
            curl_easy_cleanup(easy);
        for (CURLM* multi : multis)
            curl_multi_cleanup(multi);
    }
};

HandlePool& handlePool()
{
    thread_local HandlePool pool;
    return pool;
}

CURLM* takeMulti()
{
    auto& pool = handlePool().multis;
    if (pool.empty())
        return curl_multi_init();
    CURLM* multi = pool.back();
    pool.pop_back();
    return multi;
}

CURL* takeEasy()
{
    auto& pool = handlePool().easies;
    if (pool.empty())
        return curl_easy_init();
    CURL* easy = pool.back();
    pool.pop_back();
    return easy;
}

void giveBack(CURLM* multi, CURL* easy)
{
    constexpr std::size_t kKept = 4;
    auto& pool = handlePool();
    if (pool.multis.size() < kKept)
        pool.multis.push_back(multi);
    else
        curl_multi_cleanup(multi);
    if (pool.easies.size() < kKept)
        pool.easies.push_back(easy);
    else
        curl_easy_cleanup(easy);
}

std::vector<UrlBinding*>& runningBindings()
{
    thread_local std::vector<UrlBinding*> list;
    return list;
}

} // namespace

void* CoTaskMemAlloc(std::size_t bytes) { return std::malloc(bytes); }

void CoTaskMemFree(void* block) { std::free(block); }

// One transfer of a moniker for one callback, with the requests a redirect or
// an authentication answer adds.
class UrlBinding final : public IBinding {
public:
    UrlBinding(std::string url, IBindStatusCallback* callback)
        : url_(std::move(url)), callback_(callback), multi_(takeMulti()), easy_(takeEasy())
    {}

    ~UrlBinding() override
    {
        unregister();
        detach();
        curl_easy_reset(easy_);
        curl_slist_free_all(headers_);
        giveBack(multi_, easy_);
    }

    HRESULT begin()
    {
        DWORD bindF = 0;
        info_ = BINDINFO{};
        callback_->GetBindInfo(bindF, info_);
        runningBindings().push_back(this);
        if (bindF & BINDF_ASYNCHRONOUS)
            return MK_S_ASYNCHRONOUS;
        while (!stopped_)
            step(50);
        return result_;
    }

    HRESULT Abort() override
    {
        if (stopped_)
            return E_FAIL;
        abortWith(E_ABORT, "Operation Aborted.");
        return S_OK;
    }

    HRESULT Resume() override { return S_OK; }

    HRESULT GetBindResult(GUID& clsid, DWORD& result, std::u16string& text) override
    {
        clsid = GUID{};
        result = static_cast<DWORD>(result_);
        text = toWide(resultText_);
        return S_OK;
    }

    HRESULT QueryInfo(DWORD option, void* buffer, DWORD& size) override
    {
        if (option & HTTP_QUERY_FLAG_NUMBER) {
            DWORD number = 0;
            if (size < sizeof number || !response_.QueryInfoNumber(option, number))
                return E_FAIL;
            std::memcpy(buffer, &number, sizeof number);
            size = sizeof number;
            return S_OK;
        }
        std::string text;
        if (!response_.QueryInfo(option, text) || text.size() + 1 > size)
            return E_FAIL;
        std::memcpy(buffer, text.c_str(), text.size() + 1);
        size = static_cast<DWORD>(text.size());
        return S_OK;
    }

    // One pass: start the request when due, move the transfer on, deliver.
    bool step(int waitMs)
    {
        if (inStep_ || stopped_)
            return false;
        inStep_ = true;
        const unsigned before = events_;
        if (!attached_)
            startRequest();
        if (attached_ && aborted_)
            stop(abortResult_, abortText_);
        if (attached_) {
            int running = 0;
            curl_multi_perform(multi_, &running);
            finishDone();
            if (attached_ && events_ == before) {
                curl_multi_poll(multi_, nullptr, 0, std::min(waitMs, untilReceiveTimeout()), nullptr);
                curl_multi_perform(multi_, &running);
                finishDone();
            }
        }
        // Checked after the transfer moved on, so that a client that took
        // long over a callback does not mistake data waiting for silence.
        if (attached_ && receiveTimedOut()) {
            abortWith(
                INET_E_CONNECTION_TIMEOUT, "Nothing was received for " + secondsText(receiveTimeoutMs) + " seconds.");
            stop(abortResult_, abortText_);
        }
        inStep_ = false;
        return events_ != before;
    }

private:
    enum class Next { Deliver, Redirect, Authenticate, Retry };

    // The first reason to end early wins; the stop reports it.
    void abortWith(HRESULT result, std::string text)
    {
        if (aborted_)
            return;
        aborted_ = true;
        abortResult_ = result;
        abortText_ = std::move(text);
    }

    int untilReceiveTimeout() const
    {
        const auto left = lastTraffic_ + std::chrono::milliseconds(receiveTimeoutMs) - Clock::now();
        return static_cast<int>(
            std::max<std::int64_t>(0, std::chrono::duration_cast<std::chrono::milliseconds>(left).count() + 1));
    }

    bool receiveTimedOut() const { return Clock::now() - lastTraffic_ >= std::chrono::milliseconds(receiveTimeoutMs); }

    void unregister()
    {
        auto& list = runningBindings();
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }

    void detach()
    {
        if (attached_)
            curl_multi_remove_handle(multi_, easy_);
        attached_ = false;
    }

    void startRequest()
    {
        ++events_;
        next_ = Next::Deliver;
        headerBlock_.clear();
        lastTraffic_ = Clock::now();
        char16_t* extra = nullptr;
        const HRESULT hr = callback_->BeginningTransaction(toWide(url_), u"", 0, &extra);
        requestHeaders_ = takeTaskText(extra);
        if (FAILED(hr)) {
            stop(hr, "The request was refused.");
            return;
        }
        char* host = nullptr;
        CURLU* parsed = curl_url();
        if (curl_url_set(parsed, CURLUPART_URL, url_.c_str(), CURLU_NON_SUPPORT_SCHEME) == CURLUE_OK)
            curl_url_get(parsed, CURLUPART_HOST, &host, 0);
        callback_->OnProgress(0, 0, BINDSTATUS_FINDINGRESOURCE, toWide(host ? host : ""));
        curl_free(host);
        curl_url_cleanup(parsed);
        configure();
        curl_multi_add_handle(multi_, easy_);
        attached_ = true;
    }

    void configure()
    {
        curl_easy_reset(easy_);
        curl_easy_setopt(easy_, CURLOPT_SHARE, sharedState());
        curl_easy_setopt(easy_, CURLOPT_URL, url_.c_str());
        InternetApplyProxy(easy_);
        curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy_, CURLOPT_BUFFERSIZE, 512L * 1024L);
        curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &UrlBinding::onHeader);
        curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this);
        curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &UrlBinding::onWrite);
        curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
        curl_easy_setopt(easy_, CURLOPT_PREREQFUNCTION, &UrlBinding::onConnected);
        curl_easy_setopt(easy_, CURLOPT_PREREQDATA, this);
        curl_easy_setopt(easy_, CURLOPT_XFERINFOFUNCTION, &UrlBinding::onTick);
        curl_easy_setopt(easy_, CURLOPT_XFERINFODATA, this);
        curl_easy_setopt(easy_, CURLOPT_NOPROGRESS, 0L);
        if (insecure_) {
            curl_easy_setopt(easy_, CURLOPT_SSL_VERIFYPEER, 0L);
            curl_easy_setopt(easy_, CURLOPT_SSL_VERIFYHOST, 0L);
        }
        if (!userName_.empty()) {
            curl_easy_setopt(easy_, CURLOPT_USERNAME, userName_.c_str());
            curl_easy_setopt(easy_, CURLOPT_PASSWORD, password_.c_str());
            curl_easy_setopt(easy_, CURLOPT_HTTPAUTH, CURLAUTH_ANY);
        }
        curl_slist_free_all(headers_);
        headers_ = curl_slist_append(nullptr, "Expect:");
        std::size_t pos = 0;
        while (pos < requestHeaders_.size()) {
            std::size_t end = requestHeaders_.find('\n', pos);
            if (end == std::string::npos)
                end = requestHeaders_.size();
            std::string line = requestHeaders_.substr(pos, end - pos);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (!line.empty())
                headers_ = curl_slist_append(headers_, line.c_str());
            pos = end + 1;
        }
        curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, headers_);
        configureVerb();
    }

    void configureVerb()
    {
        const auto& body = info_.stgmedData;
        switch (info_.dwBindVerb) {
        case BINDVERB_POST:
            curl_easy_setopt(easy_, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
            curl_easy_setopt(easy_, CURLOPT_POSTFIELDS, body.data());
            break;
        case BINDVERB_PUT:
            uploaded_ = 0;
            curl_easy_setopt(easy_, CURLOPT_UPLOAD, 1L);
            curl_easy_setopt(easy_, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(body.size()));
            curl_easy_setopt(easy_, CURLOPT_READFUNCTION, &UrlBinding::onRead);
            curl_easy_setopt(easy_, CURLOPT_READDATA, this);
            break;
        case BINDVERB_CUSTOM:
            customVerb_ = narrow(info_.szCustomVerb);
            if (!customVerb_.empty())
                curl_easy_setopt(easy_, CURLOPT_CUSTOMREQUEST, customVerb_.c_str());
            if (!body.empty()) {
                curl_easy_setopt(easy_, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
                curl_easy_setopt(easy_, CURLOPT_POSTFIELDS, body.data());
            }
            break;
        default:
            break;
        }
    }

    static int onConnected(void* self, char* ip, char*, int, int)
    {
        auto* b = static_cast<UrlBinding*>(self);
        b->callback_->OnProgress(0, 0, BINDSTATUS_CONNECTING, toWide(ip));
        b->callback_->OnProgress(0, 0, BINDSTATUS_SENDINGREQUEST, u"");
        ++b->events_;
        return b->aborted_ ? CURL_PREREQFUNC_ABORT : CURL_PREREQFUNC_OK;
    }

    static int onTick(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
    {
        return static_cast<UrlBinding*>(self)->aborted_ ? 1 : 0;
    }

    static size_t onRead(char* buffer, size_t size, size_t count, void* self)
    {
        auto* b = static_cast<UrlBinding*>(self);
        const auto& body = b->info_.stgmedData;
        const std::size_t n = std::min(size * count, body.size() - b->uploaded_);
        if (n) {
            std::memcpy(buffer, body.data() + b->uploaded_, n);
            b->lastTraffic_ = Clock::now();
        }
        b->uploaded_ += n;
        return n;
    }

    static size_t onHeader(char* data, size_t size, size_t count, void* self)
    {
        auto* b = static_cast<UrlBinding*>(self);
        b->lastTraffic_ = Clock::now();
        const std::string_view line(data, size * count);
        if (line.rfind("HTTP/", 0) == 0)
            b->headerBlock_.clear();
        b->headerBlock_.append(line);
        if ((line == "\r\n" || line == "\n") && b->headerBlock_.rfind("HTTP/", 0) == 0) {
            HttpResponseInfo answer(b->headerBlock_);
            if (answer.statusCode() >= 200)
                b->onAnswer(std::move(answer));
        }
        return b->aborted_ ? 0 : size * count;
    }

    // The headers of an answer (not 1xx) are in: follow, authenticate or
    // hand it to the client.
    void onAnswer(HttpResponseInfo answer)
    {
        ++events_;
        response_ = std::move(answer);
        const DWORD code = response_.statusCode();
        std::string location;
        if (code >= 300 && code < 400 && response_.header("Location", location)) {
            const std::string target = resolve(location);
            if (redirects_ == kRedirectLimit) {
                abortWith(INET_E_REDIRECT_FAILED,
                    "Too many redirects: the server redirected more than " + std::to_string(kRedirectLimit)
                        + " times.");
                return;
            }
            if (!isWebAddress(target)) {
                abortWith(INET_E_REDIRECT_FAILED, "A redirect to " + target + " was refused: not a web address.");
                return;
            }
            if (FAILED(callback_->OnProgress(0, 0, BINDSTATUS_REDIRECTING, toWide(target))) || aborted_) {
                abortWith(E_ABORT, "Operation Aborted.");
                return;
            }
            ++redirects_;
            redirectTo_ = target;
            next_ = Next::Redirect;
            return;
        }
        if (code == 401 && !userName_.empty()) {
            // curl answers the challenge itself; a 401 that stays the last
            // answer is handed over when the transfer ends.
            discardBody_ = true;
            return;
        }
        discardBody_ = false;
        if (code == 401 && !authAsked_) {
            authAsked_ = true;
            void* window = nullptr;
            char16_t* user = nullptr;
            char16_t* pass = nullptr;
            const HRESULT hr = callback_->Authenticate(window, user, pass);
            userName_ = takeTaskText(user);
            password_ = takeTaskText(pass);
            if (SUCCEEDED(hr) && !userName_.empty()) {
                next_ = Next::Authenticate;
                return;
            }
        }
        startResponse();
    }

    std::string resolve(const std::string& location) const
    {
        std::string result = location;
        CURLU* handle = curl_url();
        char* text = nullptr;
        if (curl_url_set(handle, CURLUPART_URL, url_.c_str(), CURLU_NON_SUPPORT_SCHEME) == CURLUE_OK
            && curl_url_set(handle, CURLUPART_URL, location.c_str(), CURLU_NON_SUPPORT_SCHEME) == CURLUE_OK
            && curl_url_get(handle, CURLUPART_URL, &text, 0) == CURLUE_OK)
            result = text;
        curl_free(text);
        curl_url_cleanup(handle);
        return result;
    }

    bool ensureStarted()
    {
        if (!startNotified_) {
            startNotified_ = true;
            if (FAILED(callback_->OnStartBinding(0, this)))
                abortWith(E_ABORT, "Operation Aborted.");
        }
        return !aborted_;
    }

    void startResponse()
    {
        responding_ = true;
        if (!ensureStarted())
            return;
        if (response_.statusCode() != 0) {
            char16_t* extra = nullptr;
            const HRESULT hr = callback_->OnResponse(
                response_.statusCode(), toWide(response_.rawHeaders()), toWide(requestHeaders_), &extra);
            takeTaskText(extra);
            if (FAILED(hr) || aborted_) {
                abortWith(E_ABORT, "Operation Aborted.");
                return;
            }
        }
        std::string type;
        if (response_.header("Content-Type", type))
            callback_->OnProgress(0, 0, BINDSTATUS_MIMETYPEAVAILABLE, toWide(type));
        wideUrl_ = toWide(url_);
        callback_->OnProgress(0, 0, BINDSTATUS_BEGINDOWNLOADDATA, wideUrl_);
        DWORD length = 0;
        response_.QueryInfoNumber(HTTP_QUERY_CONTENT_LENGTH, length);
        expected_ = length;
    }

    static size_t onWrite(char* data, size_t size, size_t count, void* self)
    {
        auto* b = static_cast<UrlBinding*>(self);
        const std::size_t n = size * count;
        b->lastTraffic_ = Clock::now();
        if (b->next_ != Next::Deliver || b->discardBody_)
            return n; // the body of an answer that is followed or retried
        if (!b->responding_)
            b->startResponse(); // answers without HTTP headers (file, ftp)
        if (b->aborted_)
            return 0;
        b->deliver(data, n);
        return b->aborted_ ? 0 : n;
    }

    void deliver(const char* data, std::size_t n)
    {
        ++events_;
        stream_.lend(data, n);
        total_ += n;
        const auto progress = static_cast<ULONG>(total_);
        callback_->OnProgress(progress, std::max<ULONG>(expected_, progress), BINDSTATUS_DOWNLOADINGDATA, wideUrl_);
        if (aborted_) {
            stream_.keepUnread();
            return;
        }
        DWORD flags = firstData_ ? BSCF_FIRSTDATANOTIFICATION : BSCF_INTERMEDIATEDATANOTIFICATION;
        if (expected_ == 0)
            flags |= BSCF_AVAILABLEDATASIZEUNKNOWN;
        firstData_ = false;
        callback_->OnDataAvailable(flags, progress, &stream_);
        stream_.keepUnread();
    }

    void finishDone()
    {
        int left = 0;
        while (CURLMsg* msg = curl_multi_info_read(multi_, &left)) {
            if (msg->msg != CURLMSG_DONE)
                continue;
            const CURLcode rc = msg->data.result;
            ++events_;
            detach();
            onTransferDone(rc);
            if (stopped_)
                return;
        }
    }

    void onTransferDone(CURLcode rc)
    {
        if (aborted_) {
            stop(abortResult_, abortText_);
            return;
        }
        if (rc == CURLE_PEER_FAILED_VERIFICATION && !insecure_) {
            const HRESULT answer = callback_->OnSecurityProblem(ERROR_INTERNET_INVALID_CA);
            if (answer == S_OK || answer == RPC_E_RETRY) {
                insecure_ = true;
                return; // the next step sends the request again
            }
        }
        if (rc != CURLE_OK) {
            stop(resultFromCurl(rc), curl_easy_strerror(rc));
            return;
        }
        switch (next_) {
        case Next::Redirect: {
            url_ = redirectTo_;
            DWORD bindF = 0;
            info_ = BINDINFO{};
            callback_->GetBindInfo(bindF, info_);
            return;
        }
        case Next::Authenticate:
        case Next::Retry:
            return;
        case Next::Deliver:
            break;
        }
        if (!responding_)
            startResponse();
        if (aborted_) {
            stop(abortResult_, abortText_);
            return;
        }
        const auto total = static_cast<ULONG>(total_);
        callback_->OnProgress(total, total, BINDSTATUS_ENDDOWNLOADDATA, toWide(url_));
        const DWORD first = firstData_ ? BSCF_FIRSTDATANOTIFICATION : 0;
        callback_->OnDataAvailable(first | BSCF_LASTDATANOTIFICATION | BSCF_DATAFULLYAVAILABLE, total, &stream_);
        stop(S_OK, "");
    }

    void stop(HRESULT result, const std::string& text)
    {
        detach();
        result_ = result;
        resultText_ = text;
        stopped_ = true;
        unregister();
        ensureStarted();
        callback_->OnStopBinding(result, toWide(text));
    }

    std::string url_;
    std::u16string wideUrl_; // url_ as reported with each block of data
    IBindStatusCallback* callback_;
    CURLM* multi_;
    CURL* easy_;
    curl_slist* headers_ = nullptr;
    BINDINFO info_;
    std::string requestHeaders_;
    std::string customVerb_;
    std::string headerBlock_;
    HttpResponseInfo response_;
    BindingStream stream_;
    std::string redirectTo_;
    std::string userName_;
    std::string password_;
    std::string resultText_;
    HRESULT result_ = S_OK;
    Next next_ = Next::Deliver;
    std::size_t uploaded_ = 0;
    std::uint64_t total_ = 0;
    DWORD expected_ = 0;
    unsigned events_ = 0;
    int redirects_ = 0;
    bool attached_ = false;
    bool aborted_ = false;
    HRESULT abortResult_ = E_ABORT;
    std::string abortText_;
    Clock::time_point lastTraffic_ = Clock::now();
    bool stopped_ = false;
    bool inStep_ = false;
    bool startNotified_ = false;
    bool responding_ = false;
    bool firstData_ = true;
    bool authAsked_ = false;
    bool discardBody_ = false;
    bool insecure_ = false;

    friend class IMoniker;
};

HRESULT IBindCtx::RegisterObjectParam(const std::string& key, IBindStatusCallback* object)
{
    params_[key] = object;
    return S_OK;
}

HRESULT IBindCtx::RevokeObjectParam(const std::string& key) { return params_.erase(key) ? S_OK : E_FAIL; }

IMoniker::IMoniker(std::u16string url) : url_(std::move(url)) {}

IMoniker::~IMoniker() = default;

HRESULT IMoniker::GetDisplayName(IBindCtx*, std::u16string& name) const
{
    name = url_;
    return S_OK;
}

HRESULT IMoniker::BindToStorage(IBindCtx* ctx, IStream** stream)
{
    if (!ctx || !ctx->callback())
        return E_INVALIDARG;
    if (stream)
        *stream = nullptr;
    binding_ = std::make_unique<UrlBinding>(fromWide(url_), ctx->callback());
    return binding_->begin();
}

IBinding* IMoniker::Binding() const { return binding_.get(); }

HRESULT CreateURLMonikerEx(IMoniker*, const std::u16string& url, std::unique_ptr<IMoniker>& moniker, DWORD)
{
    if (url.empty())
        return INET_E_INVALID_URL;
    moniker = std::make_unique<IMoniker>(url);
    return S_OK;
}

HRESULT CreateAsyncBindCtx(DWORD, IBindStatusCallback* callback, std::unique_ptr<IBindCtx>& ctx)
{
    ctx = std::make_unique<IBindCtx>(callback);
    return S_OK;
}

HRESULT RegisterBindStatusCallback(IBindCtx* ctx, IBindStatusCallback* callback, IBindStatusCallback** previous, DWORD)
{
    if (!ctx || !callback)
        return E_INVALIDARG;
    if (previous)
        *previous = ctx->callback_ == callback ? nullptr : ctx->callback_;
    ctx->callback_ = callback;
    return S_OK;
}

HRESULT RevokeBindStatusCallback(IBindCtx* ctx, IBindStatusCallback* callback)
{
    if (!ctx || ctx->callback_ != callback)
        return E_INVALIDARG;
    ctx->callback_ = nullptr;
    return S_OK;
}

void UrlMonSetReceiveTimeout(DWORD milliseconds)
{
    receiveTimeoutMs = milliseconds ? milliseconds : kDefaultReceiveTimeoutMs;
}

DWORD UrlMonReceiveTimeout() { return receiveTimeoutMs; }

bool UrlMonProcessPending(int waitMs)
{
    // A copy: callbacks may start or end bindings while the list is walked.
    const std::vector<UrlBinding*> bindings = runningBindings();
    bool progressed = false;
    for (UrlBinding* binding : bindings) {
        const auto& now = runningBindings();
        if (std::find(now.begin(), now.end(), binding) == now.end())
            continue;
        progressed |= binding->step(progressed ? 0 : waitMs);
    }
    return progressed;
}
