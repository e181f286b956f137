#include "platform/com/ComTypes.h"
#include "platform/com/Utf8.h"

#include <cstdio>

WideString toWide(std::string_view utf8)
{
    WideString out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        auto lead = static_cast<unsigned char>(utf8[i]);
        std::uint32_t cp = 0xFFFD;
        std::size_t len = 1;
        if (lead < 0x80) {
            cp = lead;
        } else if ((lead >> 5) == 0x6) {
            len = 2;
            cp = lead & 0x1F;
        } else if ((lead >> 4) == 0xE) {
            len = 3;
            cp = lead & 0x0F;
        } else if ((lead >> 3) == 0x1E) {
            len = 4;
            cp = lead & 0x07;
        }
        if (len > 1) {
            if (i + len > utf8.size()) {
                cp = 0xFFFD;
                len = 1;
            } else {
                for (std::size_t k = 1; k < len; ++k) {
                    auto c = static_cast<unsigned char>(utf8[i + k]);
                    if ((c >> 6) != 0x2) {
                        cp = 0xFFFD;
                        len = k;
                        break;
                    }
                    cp = (cp << 6) | (c & 0x3F);
                }
            }
        }
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::string fromWide(std::u16string_view wide)
{
    std::string out;
    out.reserve(wide.size());
    AppendUtf8(wide, out);
    return out;
}

std::optional<GUID> GUID::parse(std::string_view text)
{
    if (text.size() == 38 && text.front() == '{' && text.back() == '}')
        text = text.substr(1, 36);
    if (text.size() != 36 || text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-')
        return std::nullopt;
    auto hex = [&](std::size_t pos, std::size_t count, std::uint64_t& out) {
        out = 0;
        for (std::size_t k = pos; k < pos + count; ++k) {
            char c = text[k];
            int digit = (c >= '0' && c <= '9') ? c - '0'
                : (c >= 'a' && c <= 'f')       ? c - 'a' + 10
                : (c >= 'A' && c <= 'F')       ? c - 'A' + 10
                                               : -1;
            if (digit < 0)
                return false;
            out = out * 16 + static_cast<std::uint64_t>(digit);
        }
        return true;
    };
    GUID g;
    std::uint64_t v = 0;
    if (!hex(0, 8, v))
        return std::nullopt;
    g.data1 = static_cast<std::uint32_t>(v);
    if (!hex(9, 4, v))
        return std::nullopt;
    g.data2 = static_cast<std::uint16_t>(v);
    if (!hex(14, 4, v))
        return std::nullopt;
    g.data3 = static_cast<std::uint16_t>(v);
    const std::size_t bytePos[8] = {19, 21, 24, 26, 28, 30, 32, 34};
    for (int k = 0; k < 8; ++k) {
        if (!hex(bytePos[k], 2, v))
            return std::nullopt;
        g.data4[k] = static_cast<std::uint8_t>(v);
    }
    return g;
}

std::string GUID::toString() const
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", data1, data2, data3, data4[0],
        data4[1], data4[2], data4[3], data4[4], data4[5], data4[6], data4[7]);
    return buf;
}
