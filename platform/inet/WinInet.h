#pragma once
// The internet layer the download components call on: address cracking over
// curl's URL API, the header items of an HTTP answer, and opening an address
// to read its answer. Failures set the thread's last error (SystemMessages.h)
// to the internet error code that matches.
#include "platform/com/ComTypes.h"
#include "platform/inet/SystemMessages.h"

#include <memory>
#include <string>
#include <string_view>

// Crack flags.
constexpr DWORD ICU_ESCAPE = 0x80000000; // turn %xx escapes of the parts into their characters
constexpr DWORD ICU_DECODE = 0x10000000; // same meaning for the cracker

// InternetOpen access types and InternetOpenUrl flags.
constexpr DWORD INTERNET_OPEN_TYPE_PRECONFIG = 0;
constexpr DWORD INTERNET_OPEN_TYPE_DIRECT = 1;
constexpr DWORD INTERNET_OPEN_TYPE_PRECONFIG_WITH_NO_AUTOPROXY = 4;
constexpr DWORD INTERNET_FLAG_NO_UI = 0x200;

// HttpQueryInfo item numbers (low 16 bits) and modifiers.
constexpr DWORD HTTP_QUERY_CONTENT_TYPE = 1;
constexpr DWORD HTTP_QUERY_CONTENT_LENGTH = 5;
constexpr DWORD HTTP_QUERY_DATE = 9;
constexpr DWORD HTTP_QUERY_EXPIRES = 10;
constexpr DWORD HTTP_QUERY_LAST_MODIFIED = 11;
constexpr DWORD HTTP_QUERY_VERSION = 18;
constexpr DWORD HTTP_QUERY_STATUS_CODE = 19;
constexpr DWORD HTTP_QUERY_STATUS_TEXT = 20;
constexpr DWORD HTTP_QUERY_RAW_HEADERS_CRLF = 22;
constexpr DWORD HTTP_QUERY_CONNECTION = 23;
constexpr DWORD HTTP_QUERY_CONTENT_ENCODING = 29;
constexpr DWORD HTTP_QUERY_LOCATION = 33;
constexpr DWORD HTTP_QUERY_SERVER = 37;
constexpr DWORD HTTP_QUERY_WWW_AUTHENTICATE = 40;
constexpr DWORD HTTP_QUERY_ACCEPT_RANGES = 42;
constexpr DWORD HTTP_QUERY_SET_COOKIE = 43;
constexpr DWORD HTTP_QUERY_CONTENT_DISPOSITION = 47;
constexpr DWORD HTTP_QUERY_ETAG = 54;
constexpr DWORD HTTP_QUERY_CONTENT_RANGE = 68;
constexpr DWORD HTTP_QUERY_CUSTOM = 65535;
constexpr DWORD HTTP_QUERY_FLAG_NUMBER = 0x20000000;
constexpr DWORD HTTP_QUERY_MODIFIER_FLAGS_MASK = 0xFFFF0000;

// The parts of an address. On input each capacity, when not 0, is the
// longest part (in characters) the caller accepts for that field.
struct URL_COMPONENTS {
    DWORD dwStructSize = 60;
    std::string lpszScheme;
    DWORD dwSchemeLength = 0;
    std::string lpszHostName;
    DWORD dwHostNameLength = 0;
    int nPort = 0;
    std::string lpszUserName;
    DWORD dwUserNameLength = 0;
    std::string lpszPassword;
    DWORD dwPasswordLength = 0;
    std::string lpszUrlPath;
    DWORD dwUrlPathLength = 0;
    std::string lpszExtraInfo; // query and fragment, with their "?" and "#"
    DWORD dwExtraInfoLength = 0;
};

// Splits an absolute address. The port is the scheme's default when the
// address names none. False (last error ERROR_INTERNET_INVALID_URL,
// ERROR_INTERNET_UNRECOGNIZED_SCHEME or ERROR_INSUFFICIENT_BUFFER) when the
// address cannot be read or a part is longer than its capacity; then the
// record's texts are left empty.
bool InternetCrackUrl(std::string_view url, DWORD flags, URL_COMPONENTS& components);

// The header items of one HTTP answer, read from its raw header block.
class HttpResponseInfo {
public:
    HttpResponseInfo() = default;
    explicit HttpResponseInfo(std::string rawHeaders);

    // The status line and header lines, CR LF after each, blank line last.
    const std::string& rawHeaders() const { return raw_; }
    DWORD statusCode() const { return statusCode_; }
    // The value of one named header (case-insensitive), and whether present.
    bool header(std::string_view name, std::string& value) const;

    // HttpQueryInfo: the text of an item, or its number with
    // HTTP_QUERY_FLAG_NUMBER. False with ERROR_HTTP_HEADER_NOT_FOUND when the
    // answer lacks the item or it is not a number.
    bool QueryInfo(DWORD infoLevel, std::string& text) const;
    bool QueryInfoNumber(DWORD infoLevel, DWORD& number) const;

private:
    std::string raw_;
    DWORD statusCode_ = 0;
    std::string statusText_;
    std::string version_;
};

// InternetOpenUrl over HTTP: sends a GET for the address (following
// redirects) and keeps the final answer's headers; the body is not read.
// Null with the last error set when the address cannot be opened.
class InternetUrlRequest {
public:
    static std::unique_ptr<InternetUrlRequest> open(const std::string& url, const std::string& agent, DWORD flags);
    const HttpResponseInfo& response() const { return response_; }

private:
    HttpResponseInfo response_;
};

// curl's process-wide start-up, once.
void InternetInitialize();

// The internet error code for a libcurl result code.
DWORD InternetErrorFromCurl(int curlCode);
