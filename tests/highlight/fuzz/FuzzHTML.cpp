// libFuzzer target for the HTML highlighter.
#include "highlight/HighlightHTML.h"
#include "tests/highlight/fuzz/FuzzHighlighter.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    return FuzzHighlighter<THighlightHTML>(data, size);
}
