// libFuzzer target for the XML highlighter.
#include "editor/HighlightXML.h"
#include "tests/editor/fuzz/FuzzHighlighter.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    return FuzzHighlighter<THighlightXML>(data, size);
}
