#pragma once
// Checks what every document written by a highlighter must satisfy, whatever
// the input: one balanced group, no brace or backslash from the input left
// unescaped, and the input's characters all present, in order.
// Shared by the unit tests and the fuzz targets.

#include <cstdint>
#include <string>
#include <string_view>

namespace rtf_check {

inline void AppendUtf8(char32_t cp, std::string& out)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes the body of a highlighter document back to the bytes of its input.
// Returns an empty string and sets `error` when the body breaks a rule.
inline std::string DecodeBody(std::string_view body, std::string& error)
{
    std::string text;
    char16_t high = 0;
    for (std::size_t i = 0; i < body.size();) {
        const char c = body[i];
        if (c == '{') {
            // The only group a body may hold is the empty one that ends a \u word.
            if (i + 1 >= body.size() || body[i + 1] != '}' || i == 0 || body[i - 1] != '?') {
                error = "unescaped '{' at body offset " + std::to_string(i);
                return {};
            }
            i += 2;
            continue;
        }
        if (c == '}') {
            error = "unescaped '}' at body offset " + std::to_string(i);
            return {};
        }
        if (c != '\\') {
            if (c == 0 || static_cast<unsigned char>(c) >= 128) {
                error = "raw NUL or non-ASCII byte at body offset " + std::to_string(i);
                return {};
            }
            if (high) {
                error = "lone high surrogate";
                return {};
            }
            text += c;
            ++i;
            continue;
        }
        const std::string_view rest = body.substr(i + 1);
        if (!rest.empty() && (rest[0] == '\\' || rest[0] == '{' || rest[0] == '}')) {
            text += rest[0];
            i += 2;
        } else if (rest.substr(0, 4) == "par ") {
            i += 5;
        } else if (rest.substr(0, 2) == "cf") {
            std::size_t k = 2;
            while (k < rest.size() && rest[k] >= '0' && rest[k] <= '9')
                ++k;
            if (k == 2 || k >= rest.size() || rest[k] != ' ') {
                error = "bad \\cf word at body offset " + std::to_string(i);
                return {};
            }
            i += 1 + k + 1;
        } else if (rest.size() >= 3 && rest[0] == '\'') {
            text += static_cast<char>(std::stoi(std::string(rest.substr(1, 2)), nullptr, 16));
            i += 4;
        } else if (!rest.empty() && rest[0] == 'u') {
            std::size_t k = 1;
            if (k < rest.size() && rest[k] == '-')
                ++k;
            while (k < rest.size() && rest[k] >= '0' && rest[k] <= '9')
                ++k;
            if (k >= rest.size() || rest[k] != '?') {
                error = "bad \\u word at body offset " + std::to_string(i);
                return {};
            }
            const auto unit
                = static_cast<char16_t>(static_cast<std::int16_t>(std::stoi(std::string(rest.substr(1, k - 1)))));
            if (unit >= 0xD800 && unit <= 0xDBFF) {
                high = unit;
            } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
                if (!high) {
                    error = "lone low surrogate";
                    return {};
                }
                AppendUtf8(0x10000 + ((char32_t(high) - 0xD800) << 10) + (unit - 0xDC00), text);
                high = 0;
            } else {
                AppendUtf8(unit, text);
            }
            i += 1 + k + 1;
        } else {
            error = "unknown control word at body offset " + std::to_string(i);
            return {};
        }
    }
    return text;
}

// Empty when `rtf` is a sound document for `input`; otherwise what is wrong.
inline std::string CheckDocument(std::string_view input, std::string_view rtf)
{
    int depth = 0;
    for (std::size_t i = 0; i < rtf.size(); ++i) {
        if (rtf[i] == '\\') {
            ++i;
            continue;
        }
        if (rtf[i] == '{')
            ++depth;
        if (rtf[i] == '}' && --depth == 0 && i + 1 != rtf.size())
            return "document group closes early";
        if (depth < 0)
            return "unbalanced '}'";
    }
    if (depth != 0 || rtf.empty() || rtf.front() != '{')
        return "document is not one balanced group";

    constexpr std::string_view kBodyStart = "\\deflang1033\\pard\\plain\\f0\\fs20\\f0 ";
    const std::size_t start = rtf.find(kBodyStart);
    if (start == std::string_view::npos)
        return "no document start";
    if (rtf.substr(rtf.size() - 2) != " }")
        return "document does not end with \" }\"";
    const std::string_view body = rtf.substr(start + kBodyStart.size(), rtf.size() - 2 - start - kBodyStart.size());
    std::string error;
    const std::string text = DecodeBody(body, error);
    if (!error.empty())
        return error;
    if (text != input)
        return "decoded text differs from the input";
    return {};
}

} // namespace rtf_check
