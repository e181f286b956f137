#pragma once
// The body of a highlighter's libFuzzer target: the document written for any
// input keeps the writer's invariants (see RtfInvariants.h).

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/highlight/RtfInvariants.h"

template <class Highlighter> int FuzzHighlighter(const unsigned char* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    Highlighter highlighter;
    highlighter.SetText(text);
    const std::string problem = rtf_check::CheckDocument(text, highlighter.GetRtf());
    if (!problem.empty()) {
        std::fprintf(stderr, "broken document: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
