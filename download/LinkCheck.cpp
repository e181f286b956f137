#include "download/LinkCheck.h"

#include "download/DownloadStatus.h"

#include <algorithm>
#include <cctype>

std::string LinkStatusText(int status)
{
    if (status == 200)
        return "Finished...";
    return status < 400 ? ResponseCodeText(0) : ResponseCodeText(status);
}

std::string LinkResultText(int status) { return ResponseCodeText(status); }

std::string LinkErrorText(const std::string& componentText) { return "Error: " + componentText; }

namespace {
bool isBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
} // namespace

TLinkEntry LinkEntryKind(const std::string& entry)
{
    const auto first = std::find_if_not(entry.begin(), entry.end(), isBlank);
    const auto last = std::find_if_not(entry.rbegin(), entry.rend(), isBlank).base();
    if (first >= last)
        return TLinkEntry::Empty;
    const std::string text(first, last);
    const auto colon = text.find(':');
    if (colon == std::string::npos || colon == 0 || !std::isalpha(static_cast<unsigned char>(text[0])))
        return TLinkEntry::Fetched;
    std::string scheme = text.substr(0, colon);
    for (char c : scheme) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.')
            return TLinkEntry::Fetched; // "a/b:c" has no scheme
    }
    // "example.com:8080/page": a host and a port, not a scheme.
    const std::string rest = text.substr(colon + 1);
    const auto digits = std::find_if_not(
        rest.begin(), rest.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
    if (digits != rest.begin() && (digits == rest.end() || *digits == '/' || *digits == '?' || *digits == '#'))
        return TLinkEntry::Fetched;
    std::transform(scheme.begin(), scheme.end(), scheme.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return scheme == "http" || scheme == "https" ? TLinkEntry::Fetched : TLinkEntry::OtherScheme;
}

std::string NotCheckedStatusText() { return "Not checked"; }
std::string NotCheckedResultText() { return "only http and https addresses are checked"; }
