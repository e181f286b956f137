// libFuzzer target for the HTML highlighter.
#include "editor/HighlightHTML.h"
#include "tests/editor/fuzz/FuzzHighlighter.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    return FuzzHighlighter<THighlightHTML>(data, size);
}
