#include "download/Url.h"

#include "download/ProgramInfo.h"

#include <QLoggingCategory>

#include <charconv>
#include <cstdio>

namespace {

// The text before the first delim; s keeps what follows it (or becomes
// empty when there is no delim).
std::string takeBefore(std::string& s, std::string_view delim)
{
    const auto pos = s.find(delim);
    std::string head;
    if (pos == std::string::npos) {
        head.swap(s);
    } else {
        head = s.substr(0, pos);
        s.erase(0, pos + delim.size());
    }
    return head;
}

// A decimal number, read as C's integer conversion reads one: a "+" sign
// may precede the digits. 80 for anything else.
int parsePort(std::string_view text)
{
    if (text.size() > 1 && text[0] == '+' && text[1] != '-')
        text.remove_prefix(1);
    int port = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), port);
    return (text.empty() || ec != std::errc() || end != text.data() + text.size()) ? 80 : port;
}

// Splits a path (with query) at its query: the directory part, the file
// name and the query. "?" marks the query, "=" does when there is no "?".
void splitPath(const std::string& s, std::string& dir, std::string& document, std::string& parameters)
{
    auto q = s.find('?');
    if (q == std::string::npos)
        q = s.find('=');
    const auto slash = q == std::string::npos ? s.rfind('/') : (q == 0 ? std::string::npos : s.rfind('/', q - 1));
    const std::size_t cut = slash == std::string::npos ? 0 : slash + 1;
    dir = s.substr(0, cut);
    document = q == std::string::npos ? s : s.substr(0, q);
    parameters = q == std::string::npos ? std::string() : s.substr(q);
    document.erase(0, cut);
}

// The debugger's channel: silent unless asked for (QT_LOGGING_RULES=
// "zarn.url.debug=true"), so that a tool's standard error carries no error
// text for a download that succeeded.
Q_LOGGING_CATEGORY(debugChannel, "zarn.url", QtInfoMsg)

void debugOutput(const std::string& text) { qCDebug(debugChannel, "%s", text.c_str()); }

} // namespace

TUrl::TUrl(const std::string& url)
{
    if (!url.empty())
        Url = url;
}

void TUrl::Clear()
{
    Bookmark.clear();
    HostName.clear();
    Protocol.clear();
    Path.clear();
    Document.clear();
    ExtraInfo.clear();
    UserName.clear();
    Password.clear();
    Parameters.clear();
    Port = 80;
    Components.lpszScheme.clear();
    Components.lpszHostName.clear();
    Components.lpszUserName.clear();
    Components.lpszPassword.clear();
    Components.lpszUrlPath.clear();
    Components.lpszExtraInfo.clear();
}

std::string TUrl::FixUrl(const std::string& address)
{
    if (!address.empty() && address.back() == '/')
        return address;
    const auto dot = address.rfind('.');
    const auto slash = address.rfind('/');
    if (slash != std::string::npos && (dot == std::string::npos || dot < slash))
        return address + "/";
    return address;
}

void TUrl::ParseUrl(const std::string& address)
{
    Clear();
    std::string s = FixUrl(address);
    for (char& c : s)
        if (c == '\\')
            c = '/';
    const auto schemeEnd = s.find("://");
    if (schemeEnd != std::string::npos) {
        Protocol = s.substr(0, schemeEnd);
        s.erase(0, schemeEnd + 3);
        std::string authority = takeBefore(s, "/");
        std::string userInfo;
        if (authority.find('@') != std::string::npos)
            userInfo = takeBefore(authority, "@");
        UserName = takeBefore(userInfo, ":");
        Password = UserName.empty() ? std::string() : userInfo;
        std::string portText;
        const auto open = authority.find('[');
        const auto close = authority.find(']');
        if (open != std::string::npos && close != std::string::npos && close > open) {
            HostName = authority.substr(open + 1, close - open - 1);
            const auto colon = authority.find(':', close);
            if (colon != std::string::npos)
                portText = authority.substr(colon + 1);
        } else {
            HostName = takeBefore(authority, ":");
            portText = authority;
        }
        Port = parsePort(portText);
        std::string dir;
        splitPath(s, dir, Document, Parameters);
        Path = "/" + dir;
        Bookmark = Document;
        Document = takeBefore(Bookmark, "#");
    } else {
        splitPath(s, Path, Document, Parameters);
    }
    if (Bookmark.empty()) {
        Bookmark = Parameters;
        Parameters = takeBefore(Bookmark, "#");
    }
    BuildComponents();
}

void TUrl::BuildComponents()
{
    ExtraInfo = Document + Parameters;
    if (!Bookmark.empty())
        ExtraInfo += "#" + Bookmark;
    Components = URL_COMPONENTS{};
    Components.lpszScheme = Protocol;
    Components.dwSchemeLength = static_cast<DWORD>(Protocol.size());
    Components.lpszHostName = HostName;
    Components.dwHostNameLength = static_cast<DWORD>(HostName.size());
    Components.lpszUserName = UserName;
    Components.dwUserNameLength = static_cast<DWORD>(UserName.size());
    Components.lpszPassword = Password;
    Components.dwPasswordLength = static_cast<DWORD>(Password.size());
    Components.lpszUrlPath = Path;
    Components.dwUrlPathLength = static_cast<DWORD>(Path.size());
    Components.lpszExtraInfo = ExtraInfo;
    Components.dwExtraInfoLength = static_cast<DWORD>(ExtraInfo.size());
    Components.nPort = Port;
}

void TUrl::ReportLastError()
{
    const DWORD code = GetLastError();
    const std::string message = SysErrorMessage(code);
    if (OnError)
        OnError(this, static_cast<int>(code), message);
    debugOutput(message);
}

void TUrl::CrackUrl(const std::string& address, DWORD flags, WideString& encodedUrl)
{
    Clear();
    Url = FixUrl(address);
    Components = URL_COMPONENTS{};
    Components.dwSchemeLength = 32;
    Components.dwHostNameLength = 256;
    Components.dwUserNameLength = 128;
    Components.dwPasswordLength = 128;
    Components.dwUrlPathLength = 2048;
    Components.dwExtraInfoLength = 2055;
    if (!InternetCrackUrl(address, flags, Components)) {
        Clear();
        ReportLastError();
        encodedUrl.clear();
        return;
    }
    HostName = Components.lpszHostName;
    Protocol = Components.lpszScheme;
    Path = Components.lpszUrlPath;
    Port = Components.nPort;
    ExtraInfo = Components.lpszExtraInfo;
    UserName = Components.lpszUserName;
    Password = Components.lpszPassword;
    encodedUrl = toWide(address);
}

std::string TUrl::QueryInfo(const std::string& address, DWORD infoLevel)
{
    const auto request = InternetUrlRequest::open(address, ProgramTitle(), INTERNET_FLAG_NO_UI);
    if (!request) {
        ReportLastError();
        return {};
    }
    std::string text;
    if (!request->response().QueryInfo(infoLevel, text) || text.size() > 512)
        return {};
    return text.substr(0, text.find('\0'));
}

bool TUrl::IsUrlValid(const std::string& address)
{
    const std::string status = QueryInfo(address, HTTP_QUERY_STATUS_CODE);
    return status == "200" || status == "401";
}
