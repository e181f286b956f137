#include "platform/inet/WinInet.h"

#include "platform/inet/ProcessProxy.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <mutex>
#include <sstream>

namespace {

bool equalsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
        s.remove_suffix(1);
    return s;
}

const char* headerNameOf(DWORD item)
{
    switch (item) {
    case HTTP_QUERY_CONTENT_TYPE:
        return "Content-Type";
    case HTTP_QUERY_CONTENT_LENGTH:
        return "Content-Length";
    case HTTP_QUERY_DATE:
        return "Date";
    case HTTP_QUERY_EXPIRES:
        return "Expires";
    case HTTP_QUERY_LAST_MODIFIED:
        return "Last-Modified";
    case HTTP_QUERY_CONNECTION:
        return "Connection";
    case HTTP_QUERY_CONTENT_ENCODING:
        return "Content-Encoding";
    case HTTP_QUERY_LOCATION:
        return "Location";
    case HTTP_QUERY_SERVER:
        return "Server";
    case HTTP_QUERY_WWW_AUTHENTICATE:
        return "WWW-Authenticate";
    case HTTP_QUERY_ACCEPT_RANGES:
        return "Accept-Ranges";
    case HTTP_QUERY_SET_COOKIE:
        return "Set-Cookie";
    case HTTP_QUERY_CONTENT_DISPOSITION:
        return "Content-Disposition";
    case HTTP_QUERY_ETAG:
        return "ETag";
    case HTTP_QUERY_CONTENT_RANGE:
        return "Content-Range";
    default:
        return nullptr;
    }
}

bool fail(DWORD code)
{
    SetLastError(code);
    return false;
}

// Copies one part of a parsed address; missing parts are empty.
bool copyPart(CURLU* handle, CURLUPart part, unsigned decode, DWORD capacity, std::string& out)
{
    char* text = nullptr;
    if (curl_url_get(handle, part, &text, decode) == CURLUE_OK && text) {
        out = text;
        curl_free(text);
    } else {
        out.clear();
    }
    return capacity == 0 || out.size() <= capacity;
}

} // namespace

void InternetInitialize()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

DWORD InternetErrorFromCurl(int curlCode)
{
    switch (static_cast<CURLcode>(curlCode)) {
    case CURLE_OK:
        return ERROR_SUCCESS;
    case CURLE_UNSUPPORTED_PROTOCOL:
        return ERROR_INTERNET_UNRECOGNIZED_SCHEME;
    case CURLE_URL_MALFORMAT:
        return ERROR_INTERNET_INVALID_URL;
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
        return ERROR_INTERNET_NAME_NOT_RESOLVED;
    case CURLE_COULDNT_CONNECT:
        return ERROR_INTERNET_CANNOT_CONNECT;
    case CURLE_OPERATION_TIMEDOUT:
        return ERROR_INTERNET_TIMEOUT;
    case CURLE_ABORTED_BY_CALLBACK:
        return ERROR_INTERNET_OPERATION_CANCELLED;
    case CURLE_GOT_NOTHING:
    case CURLE_WEIRD_SERVER_REPLY:
        return ERROR_HTTP_INVALID_SERVER_RESPONSE;
    case CURLE_RECV_ERROR:
    case CURLE_PARTIAL_FILE:
        return ERROR_INTERNET_CONNECTION_ABORTED;
    case CURLE_SEND_ERROR:
        return ERROR_INTERNET_CONNECTION_RESET;
    case CURLE_TOO_MANY_REDIRECTS:
        return ERROR_HTTP_REDIRECT_FAILED;
    case CURLE_PEER_FAILED_VERIFICATION:
        return ERROR_INTERNET_INVALID_CA;
    case CURLE_SSL_CONNECT_ERROR:
        return ERROR_INTERNET_SECURITY_CHANNEL_ERROR;
    case CURLE_OUT_OF_MEMORY:
        return ERROR_NOT_ENOUGH_MEMORY;
    default:
        return ERROR_INTERNET_INTERNAL_ERROR;
    }
}

bool InternetCrackUrl(std::string_view url, DWORD flags, URL_COMPONENTS& c)
{
    InternetInitialize();
    const DWORD capScheme = c.dwSchemeLength, capHost = c.dwHostNameLength, capUser = c.dwUserNameLength,
                capPass = c.dwPasswordLength, capPath = c.dwUrlPathLength, capExtra = c.dwExtraInfoLength;
    c = URL_COMPONENTS{};
    CURLU* handle = curl_url();
    std::string text(url);
    const CURLUcode rc = curl_url_set(handle, CURLUPART_URL, text.c_str(), CURLU_NON_SUPPORT_SCHEME);
    if (rc != CURLUE_OK) {
        curl_url_cleanup(handle);
        return fail(rc == CURLUE_BAD_SCHEME || rc == CURLUE_MALFORMED_INPUT ? ERROR_INTERNET_UNRECOGNIZED_SCHEME
                                                                            : ERROR_INTERNET_INVALID_URL);
    }
    const unsigned decode = (flags & (ICU_ESCAPE | ICU_DECODE)) ? CURLU_URLDECODE : 0;
    std::string query, fragment, port;
    bool fits = copyPart(handle, CURLUPART_SCHEME, 0, capScheme, c.lpszScheme)
        & copyPart(handle, CURLUPART_HOST, 0, capHost, c.lpszHostName)
        & copyPart(handle, CURLUPART_USER, decode, capUser, c.lpszUserName)
        & copyPart(handle, CURLUPART_PASSWORD, decode, capPass, c.lpszPassword)
        & copyPart(handle, CURLUPART_PATH, decode, capPath, c.lpszUrlPath);
    copyPart(handle, CURLUPART_QUERY, decode, 0, query);
    copyPart(handle, CURLUPART_FRAGMENT, decode, 0, fragment);
    copyPart(handle, CURLUPART_PORT, CURLU_DEFAULT_PORT, 0, port);
    curl_url_cleanup(handle);
    if (!query.empty())
        c.lpszExtraInfo = "?" + query;
    if (!fragment.empty())
        c.lpszExtraInfo += "#" + fragment;
    fits = fits && (capExtra == 0 || c.lpszExtraInfo.size() <= capExtra);
    if (!fits) {
        c = URL_COMPONENTS{};
        return fail(ERROR_INSUFFICIENT_BUFFER);
    }
    // Brackets belong to the address syntax, not to the host's name.
    if (c.lpszHostName.size() > 1 && c.lpszHostName.front() == '[' && c.lpszHostName.back() == ']')
        c.lpszHostName = c.lpszHostName.substr(1, c.lpszHostName.size() - 2);
    std::from_chars(port.data(), port.data() + port.size(), c.nPort);
    c.dwSchemeLength = static_cast<DWORD>(c.lpszScheme.size());
    c.dwHostNameLength = static_cast<DWORD>(c.lpszHostName.size());
    c.dwUserNameLength = static_cast<DWORD>(c.lpszUserName.size());
    c.dwPasswordLength = static_cast<DWORD>(c.lpszPassword.size());
    c.dwUrlPathLength = static_cast<DWORD>(c.lpszUrlPath.size());
    c.dwExtraInfoLength = static_cast<DWORD>(c.lpszExtraInfo.size());
    SetLastError(ERROR_SUCCESS);
    return true;
}

HttpResponseInfo::HttpResponseInfo(std::string rawHeaders) : raw_(std::move(rawHeaders))
{
    std::string_view status(raw_);
    status = status.substr(0, status.find('\n'));
    status = trim(status);
    const auto firstSpace = status.find(' ');
    version_ = std::string(status.substr(0, firstSpace));
    if (firstSpace == std::string_view::npos)
        return;
    std::string_view rest = status.substr(firstSpace + 1);
    std::from_chars(rest.data(), rest.data() + rest.size(), statusCode_);
    const auto secondSpace = rest.find(' ');
    if (secondSpace != std::string_view::npos)
        statusText_ = std::string(rest.substr(secondSpace + 1));
}

bool HttpResponseInfo::header(std::string_view name, std::string& value) const
{
    std::string_view rest(raw_);
    rest.remove_prefix(std::min(rest.size(), rest.find('\n') + 1)); // status line
    while (!rest.empty()) {
        const auto end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        const auto colon = line.find(':');
        if (colon != std::string_view::npos && equalsNoCase(trim(line.substr(0, colon)), name)) {
            value = std::string(trim(line.substr(colon + 1)));
            return true;
        }
    }
    return false;
}

bool HttpResponseInfo::QueryInfo(DWORD infoLevel, std::string& text) const
{
    const DWORD item = infoLevel & ~HTTP_QUERY_MODIFIER_FLAGS_MASK;
    if (raw_.empty())
        return fail(ERROR_HTTP_HEADER_NOT_FOUND);
    switch (item) {
    case HTTP_QUERY_STATUS_CODE:
        text = std::to_string(statusCode_);
        return true;
    case HTTP_QUERY_STATUS_TEXT:
        text = statusText_;
        return true;
    case HTTP_QUERY_VERSION:
        text = version_;
        return true;
    case HTTP_QUERY_RAW_HEADERS_CRLF:
        text = raw_;
        return true;
    default:
        break;
    }
    const char* name = headerNameOf(item);
    if (!name || !header(name, text))
        return fail(ERROR_HTTP_HEADER_NOT_FOUND);
    return true;
}

bool HttpResponseInfo::QueryInfoNumber(DWORD infoLevel, DWORD& number) const
{
    std::string text;
    if (!QueryInfo(infoLevel, text))
        return false;
    DWORD value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end == text.data())
        return fail(ERROR_HTTP_HEADER_NOT_FOUND);
    number = value;
    return true;
}

namespace {

struct HeaderCollector {
    std::string block; // headers of the answer being read
    bool headersDone = false;
};

size_t collectHeader(char* data, size_t size, size_t count, void* user)
{
    auto* c = static_cast<HeaderCollector*>(user);
    std::string_view line(data, size * count);
    if (line.rfind("HTTP/", 0) == 0) // a new answer (after a redirect or 100 Continue)
        c->block.clear();
    c->block.append(line);
    if (line == "\r\n" || line == "\n")
        c->headersDone = true;
    return size * count;
}

size_t stopAtBody(char*, size_t, size_t, void*) { return 0; }

} // namespace

std::unique_ptr<InternetUrlRequest> InternetUrlRequest::open(const std::string& url, const std::string& agent, DWORD)
{
    InternetInitialize();
    CURL* easy = curl_easy_init();
    if (!easy) {
        SetLastError(ERROR_INTERNET_OUT_OF_HANDLES);
        return nullptr;
    }
    HeaderCollector collector;
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    InternetApplyProxy(easy);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, agent.c_str());
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 20L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, collectHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &collector);
    // Only the headers are wanted: the transfer stops at the first body byte.
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, stopAtBody);
    const CURLcode rc = curl_easy_perform(easy);
    curl_easy_cleanup(easy);
    if (!collector.headersDone) {
        SetLastError(InternetErrorFromCurl(rc == CURLE_OK ? CURLE_GOT_NOTHING : rc));
        return nullptr;
    }
    auto request = std::unique_ptr<InternetUrlRequest>(new InternetUrlRequest);
    request->response_ = HttpResponseInfo(std::move(collector.block));
    SetLastError(ERROR_SUCCESS);
    return request;
}
