#include "download/DownloadStatus.h"

#include "platform/inet/SystemMessages.h"
#include "platform/urlmon/UrlMon.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <unordered_map>

namespace {

const std::unordered_map<std::uint32_t, const char*>& codeTexts()
{
    static const std::unordered_map<std::uint32_t, const char*> table = {
        // HTTP status
        {100, "Continue"},
        {101, "Switching Protocols"},
        {200, "OK"},
        {201, "Created"},
        {202, "Accepted"},
        {203, "Non-Authoritative Information"},
        {204, "No Content"},
        {205, "Reset Content"},
        {206, "Partial Content"},
        {300, "Multiple Choices"},
        {301, "Moved Permanently"},
        {302, "Moved Temporarily"},
        {303, "See Other"},
        {304, "Not Modified"},
        {305, "Use Proxy"},
        {400, "Bad Request"},
        {401, "Unauthorized"},
        {402, "Payment Required"},
        {403, "Forbidden"},
        {404, "Not Found"},
        {405, "Method Not Allowed"},
        {406, "None Acceptable"},
        {407, "Proxy Authentication Required"},
        {408, "Request Timeout"},
        {409, "Conflict"},
        {410, "Gone"},
        {411, "Length Required"},
        {412, "Precondition Failed"},
        {413, "Request Entity Too Large"},
        {414, "Request-URI Too Long"},
        {415, "Unsupported Media Type"},
        {416, "Requested Range Not Satisfiable"},
        {417, "Expectation Failed"},
        {500, "Internal Server Error"},
        {501, "Not Implemented"},
        {502, "Bad Gateway"},
        {503, "Service Unavailable"},
        {504, "Gateway Timeout"},
        {505, "HTTP Version Not Supported"},
        // bind status
        {0, "The operation was successful"},
        {1, "Finding resource..."},
        {2, "Connecting..."},
        {3, "Server redirecting client..."},
        {4, "Beginning to download data..."},
        {5, "Downloading data..."},
        {6, "Ending data download..."},
        {7, "Beginning to download components..."},
        {8, "Installing components..."},
        {9, "Ending component download..."},
        {10, "Using cached copy..."},
        {11, "Sending request..."},
        {12, "CLSID available..."},
        {13, "MIME type available..."},
        {14, "Cache file name available..."},
        {15, "Synchronous operation has started..."},
        {16, "Ending synchronous operation..."},
        {17, "Beginning to upload data..."},
        {18, "Uploading data..."},
        {19, "Ending data upload..."},
        {20, "Protocol handler CLSID is available..."},
        {21, "Encoding data..."},
        {22, "Verified MIME type is available..."},
        {23, "Class install location is available..."},
        {24, "Decoding data..."},
        {25, "Pluggable MIME handler is being loaded..."},
        {26, "Content-Disposition resource is an attachment..."},
        {27, "New MIME type available for resource..."},
        {28, "CLSID to return on BindToObject..."},
        {29, "IUnknown interface has been released..."},
        {30, "Connected directly to the pluggable protocol handler..."},
        {31, "Raw MIME type..."},
        {32, "Proxy server has been detected..."},
        {33, "Valid types of range requests..."},
        {34, "A cookie was sent"},
        {35, "A Platform for Privacy Preferences was received."},
        {36, "A cookie was suppressed from being sent to the web server."},
        {37, "A a cookie has been initialized. "},
        {38, "A cookie sent by the server was accepted."},
        {39, "A cookie sent by the server was rejected."},
        {40, "User settings require a prompt before performing a cookie operation."},
        {41, "A cookie is a leashed cookie."},
        {42, "A cookie is a downgraded cookie."},
        {43, "HTTP headers contain a link to the full privacy policy"},
        {44, "HTTP response from the server contains the P3P privacy header"},
        {45, "A session cookie was received."},
        {46, "A persistent cookie was received. "},
        {47, "The session cookies are allowed."},
        {48, "A response from the server was written to memory only."},
        {49, "The Content-Disposition header contains a file name."},
        {50, "The reported Content-Type of the file does not match the content. "},
        {51, "The publisher name is being downloaded and is available."},
        {52, "The display name being downloaded and is available."},
        {53, "A problem with the SSL certificate."},
        {54, "Server's authoritative MIME type reported"},
        {55, "Class identifier (CLSID) generated from authoritative Content-Type HTTP response header"},
        {56, "Download progress values are above the maximum 32-bit file size limit."},
        // internet security problems
        {12037, "SSL certificate date that was received from the server is bad. The certificate is expired."},
        {12038,
            "SSL certificate common name (host name field) is incorrect???for example, if you entered "
            "www.server.com and the common name on the certificate says www.different.com."},
        {12039, "The application is moving from a non-SSL to an SSL connection because of a redirect."},
        {12040, "The application is moving from an SSL to an non-SSL connection because of a redirect."},
        {12041,
            "The content is not entirely secure. Some of the content being viewed may have come from unsecured "
            "servers."},
        {12042,
            "The application is posting and attempting to change multiple lines of text on a server that is not "
            "secure."},
        {12043, "The application is posting data to a server that is not secure."},
        {12044, "The server is requesting client authentication."},
        {12045, "The function is unfamiliar with the Certificate Authority that generated the server's certificate."},
        {12046, "Client authorization is not set up on this computer."},
        {12054, "The requested resource requires Fortezza authentication."},
        {12168, "The redirection requires user confirmation."},
        {12170, "SSL certificate was revoked."},
        // COM results
        {0x000401E8, "Asynchronous mode."},
        {0x80004001, "Not implemented"},
        {0x80004002, "No such interface supported"},
        {0x80004004, "Operation Aborted."},
        {0x80004005, "Failed"},
        {0x8000FFFF, "Catastrophic failure"},
        {0x80030005, "Unable to access the storage object."},
        {0x800401E0,
            "The operation was unable to connect to the storage, possibly because a network device could not be "
            "connected to. For more information, see IMoniker::BindToObject."},
        {0x800401E1,
            "The operation could not be completed within the time limit specified by the bind context's "
            "BIND_OPTS structure."},
        {0x800401E2, "Moniker needs to be generic."},
        {0x800401E3, "Operation unavailable."},
        {0x800401E4, "A moniker could not be created because of invalid URL syntax."},
        {0x800401E5, "No object for moniker."},
        {0x800401E6, "Bad extension for file."},
        {0x800401E7,
            "An intermediate object was found but it did not support an interface required for an operation. "
            "For example, an item moniker returns this value if its container does not support the "
            "IOleItemContainer interface."},
        {0x800401E8, "Moniker is not bindable."},
        {0x800401E9, "Moniker is not bound."},
        {0x800401EA, "Moniker cannot open file."},
        {0x800401EB, "User input required for operation to succeed."},
        {0x800401EC, "Moniker class has no inverse."},
        {0x800401ED, "The object identified by the moniker does not have its own storage."},
        {0x800401EE, "No common prefix."},
        {0x800401EF, "Moniker could not be enumerated"},
        {0x80070005, "Access Denied."},
        {0x8007000E, "There was insufficient memory ..."},
        {0x80070057, "One or more parameters are invalid."},
        {0x800C0002, "The URL could not be parsed."},
        {0x800C0003, "No Internet session was established."},
        {0x800C0004, "The attempt to connect to the Internet has failed."},
        {0x800C0005, "The server or proxy was not found."},
        {0x800C0006, "The object was not found."},
        {0x800C0007, "An Internet connection was established, but the data cannot be retrieved."},
        {0x800C0008, "The download has failed (the connection was interrupted)."},
        {0x800C0009, "Authentication is needed to access the object."},
        {0x800C000A, "The object is not in one of the acceptable MIME types."},
        {0x800C000B, "The Internet connection has timed out."},
        {0x800C000C, "The request was invalid."},
        {0x800C000D, "The protocol is not known and no pluggable protocols have been entered that match."},
        {0x800C000E, "A security problem was encountered."},
        {0x800C000F, "The object could not be loaded."},
        {0x800C0010, "CoCreateInstance failed."},
        {0x800C0011, "Use the default action."},
        {0x800C0012, "Use the default settings."},
        {0x800C0013, "The requested option is unknown."},
        {0x800C0014, "The request is being redirected."},
        {0x800C0015, "The request is being redirected to a directory."},
        {0x800C0016, "The requested resource could not be locked."},
        {0x800C0017, "Re-issue request with extended Binding."},
        {0x800C0018, "Binding is terminated."},
        {0x800C0100, "Permission to download is declined."},
        {0x800C0200, "Result is dispatched."},
        {0x800C0300, "Cannot replace a protected System File Protection (SFP) file."},
    };
    return table;
}

struct TimeParts {
    int month, hour, minute, second, millisecond;
};

TimeParts localParts(std::chrono::system_clock::time_point when)
{
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count();
    const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
    std::tm tm{};
    localtime_r(&seconds, &tm);
    return {tm.tm_mon + 1, tm.tm_hour, tm.tm_min, tm.tm_sec, static_cast<int>(ms % 1000)};
}

std::string formatParts(const std::string& format, const TimeParts& t)
{
    std::string out;
    bool afterHour = false;
    char buf[8];
    for (std::size_t i = 0; i < format.size();) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(format[i])));
        std::size_t run = 1;
        while (i + run < format.size() && std::tolower(static_cast<unsigned char>(format[i + run])) == c)
            ++run;
        auto field = [&](int value, bool twoDigits) {
            std::snprintf(buf, sizeof buf, twoDigits ? "%02d" : "%d", value);
            out += buf;
        };
        switch (c) {
        case 'h':
            field(t.hour, run >= 2);
            afterHour = true;
            break;
        case 'n':
            field(t.minute, run >= 2);
            afterHour = false;
            break;
        case 'm':
            field(afterHour ? t.minute : t.month, run >= 2);
            afterHour = false;
            break;
        case 's':
            field(t.second, run >= 2);
            afterHour = false;
            break;
        case 'z':
            std::snprintf(buf, sizeof buf, run >= 3 ? "%03d" : "%d", t.millisecond);
            out += buf;
            afterHour = false;
            break;
        case ':':
            out.append(run, FormatSettings().TimeSeparator);
            break;
        default:
            out.append(format, i, run);
            break;
        }
        i += run;
    }
    return out;
}

// Two decimals with the thousands separator, as "%.2n"; "NAN", "INF" and
// "-INF" for values that are no finite number. The digits come from
// to_chars, which ignores the C locale (Qt sets it from the environment),
// so that only FormatSettings chooses the separators.
std::string formatNumber(double value)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value > 0 ? "INF" : "-INF";
    // Room for the largest finite double: 309 integer digits, the point and two decimals.
    char digits[DBL_MAX_10_EXP + 8];
    const auto end = std::to_chars(digits, digits + sizeof digits, std::fabs(value), std::chars_format::fixed, 2).ptr;
    const std::string_view text(digits, static_cast<std::size_t>(end - digits));
    const auto point = text.find('.');
    const std::string_view integer = text.substr(0, point);
    std::string grouped = value < 0 ? "-" : "";
    for (std::size_t i = 0; i < integer.size(); ++i) {
        if (i != 0 && (integer.size() - i) % 3 == 0)
            grouped += FormatSettings().ThousandSeparator;
        grouped += integer[i];
    }
    return grouped + FormatSettings().DecimalSeparator + std::string(text.substr(point + 1));
}

} // namespace

TFormatSettings& FormatSettings()
{
    static TFormatSettings settings;
    return settings;
}

std::string FormatTimeText(const std::string& format, std::chrono::system_clock::time_point when)
{
    return formatParts(format, localParts(when));
}

std::string CurrentTimeText()
{
    return FormatTimeText(FormatSettings().LongTimeFormat, std::chrono::system_clock::now());
}

std::string ZeroTimeText() { return formatParts(FormatSettings().LongTimeFormat, TimeParts{12, 0, 0, 0, 0}); }

std::string ResponseCodeText(std::int32_t code)
{
    const auto& table = codeTexts();
    const auto it = table.find(static_cast<std::uint32_t>(code));
    if (it != table.end())
        return it->second;
    return "Unknown Response: " + std::to_string(code) + " " + SysErrorMessage(static_cast<DWORD>(code));
}

std::string DataFlagsText(std::uint32_t flags)
{
    switch (flags) {
    case 1:
        return "Identifed the first call to OnDataAvailable.";
    case 2:
        return "Identifed the intermediate call to OnDataAvailable.";
    case 4:
        return "Identifed the last call to OnDataAvailable.";
    case 8:
        return "All of the requested data is available.";
    case 16:
        return "Size of the data available is unknown.";
    default:
        return ResponseCodeText(static_cast<std::int32_t>(flags));
    }
}

std::string FormatTime(std::int32_t seconds)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%2.2d:%2.2d:%2.2d", (seconds / 3600) % 60, (seconds / 60) % 60, seconds % 60);
    return buf;
}

std::string FormatSize(double bytes)
{
    if (!(bytes > 0)) // also NaN: no size to show
        return {};
    if (bytes < 1024)
        return formatNumber(bytes) + " b";
    const double kb = bytes / 1024;
    if (kb < 1024)
        return formatNumber(kb) + " Kb";
    return formatNumber(kb / 1024) + " Mb";
}

std::string ReplaceChar(std::string text, char oldChar, char newChar)
{
    for (char& c : text)
        if (c == oldChar)
            c = newChar;
    return text;
}

char16_t* TaskMemString(const WideString& text)
{
    const std::size_t bytes = 2 * text.size() + 2;
    auto* copy = static_cast<char16_t*>(CoTaskMemAlloc(bytes));
    if (!copy)
        return nullptr;
    std::memset(copy, 0, bytes);
    std::memcpy(copy, text.data(), 2 * text.size());
    return copy;
}
