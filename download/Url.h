#pragma once
// TUrl splits a web address into its parts, by its own text rules
// (ParseUrl) or by the internet layer's cracker (CrackUrl), and can ask a
// server for one header item of an address. One object serves one address
// on one thread; it holds no handle between calls.
#include "platform/com/ComTypes.h"
#include "platform/inet/WinInet.h"

#include <functional>
#include <string>

class TUrl {
public:
    explicit TUrl(const std::string& url = {});

    // Empties every part except Url, sets Port to 80.
    void Clear();
    // Appends "/" when the last path segment has no dot.
    static std::string FixUrl(const std::string& address);
    // Fills the parts by the program's rules; never fails.
    void ParseUrl(const std::string& address);
    // Fills the parts through the cracker (the scheme's default port). On
    // failure the parts are cleared, OnError reports the last error and
    // encodedUrl is emptied.
    void CrackUrl(const std::string& address, DWORD flags, WideString& encodedUrl);
    // The text of one header item (an HttpQueryInfo item number) of the
    // address's answer to a GET; empty when it cannot be opened (reported by
    // OnError) or the answer lacks the item.
    std::string QueryInfo(const std::string& address, DWORD infoLevel);
    // True when the address answers 200 or 401.
    bool IsUrlValid(const std::string& address);

    std::string Document;
    std::string Protocol;
    std::string Url;
    int Port = 0;
    std::string Path;
    std::string HostName;
    std::string ExtraInfo;
    std::string UserName;
    std::string Password;
    std::string Bookmark;
    std::function<void(TUrl* sender, int errorCode, const std::string& message)> OnError;
    std::string Parameters;
    URL_COMPONENTS Components;

private:
    void BuildComponents();
    void ReportLastError();
};
