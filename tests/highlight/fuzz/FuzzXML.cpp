// libFuzzer target for the XML highlighter.
#include "highlight/HighlightXML.h"
#include "tests/highlight/fuzz/FuzzHighlighter.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    return FuzzHighlighter<THighlightXML>(data, size);
}
