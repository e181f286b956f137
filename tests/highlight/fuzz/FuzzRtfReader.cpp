// libFuzzer target: the RTF reader on any bytes. Input without the RTF mark
// gets one, so that every input reaches the parser. Runs must never be empty.
#include "platform/richedit/RtfReader.h"

#include <cstdlib>
#include <string>

namespace {

class CheckingSink final : public IRtfSink {
public:
    void Text(std::u16string_view text, const TRtfCharFormat& format, const TRtfTables& tables) override
    {
        if (text.empty())
            std::abort();
        const auto within
            = [](std::int32_t index, std::size_t size) { return index < 0 || static_cast<std::size_t>(index) < size; };
        if (!within(format.Foreground, tables.Colors.size()) || !within(format.Background, tables.Colors.size())
            || !within(format.Font, tables.Fonts.size()) || !within(format.Link, tables.Links.size()))
            std::abort();
    }
    void ParagraphBreak(TRtfAlignment) override {}
    void End(TRtfAlignment) override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, unsigned long size)
{
    std::string input(reinterpret_cast<const char*>(data), size);
    if (!IsRtf(input))
        input.insert(0, "{\\rtf1 ");
    CheckingSink sink;
    ReadRtf(input, sink);
    return 0;
}
