#pragma once
// The body of a highlighter's document: what follows "\f0 " up to " }".

#include <string>

template <class Highlighter> std::string BodyOf(const std::string& text)
{
    Highlighter h;
    h.SetText(text);
    const std::string rtf = h.GetRtf();
    const std::string start = "\\fs20\\f0 ";
    const std::size_t from = rtf.find(start) + start.size();
    return rtf.substr(from, rtf.size() - 2 - from);
}
