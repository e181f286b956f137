#pragma once
// The links checker's words for what a server answered, and which entries of
// a list are fetched at all; shared by the window's Links Checker tab and
// zarn-links, so that both say the same thing about the same answer.
#include <string>

// The "Status" column: "Finished..." for 200; "The operation was
// successful" (ResponseCodeText(0)) for any other answer below 400 (a 3xx
// included); the status's own text (ResponseCodeText) from 400 on.
std::string LinkStatusText(int status);
// The "Result" column: the status's own text for every status.
std::string LinkResultText(int status);
// A download that failed without an answer (refused, timed out, no such
// host): "Error: " and the download component's text of the failure.
std::string LinkErrorText(const std::string& componentText);

// What the checker does with one entry of a list.
enum class TLinkEntry {
    Empty, // blank: nothing is fetched and the row stays empty
    Fetched, // http or https, or no scheme (the default protocol is added)
    OtherScheme, // any other scheme (file:, ftp:, javascript:...): not fetched
};
// Blanks around the entry are ignored. "host:8080/path" counts as an
// address without a scheme.
TLinkEntry LinkEntryKind(const std::string& entry);
// The row's "Status" and "Result" texts for an entry that is not fetched.
std::string NotCheckedStatusText(); // "Not checked"
std::string NotCheckedResultText(); // "only http and https addresses are checked"

// Whether the checker counts the outcome as broken: no answer at all, or an
// answer of 400 or more.
inline bool LinkBroken(bool answered, int status) { return !answered || status >= 400; }
