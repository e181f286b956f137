// SafeFileName: whatever a server or a page names a file, the result is one
// plain name that stays inside the target folder.
#include "platform/files/SafeFile.h"

#include <gtest/gtest.h>

namespace {

std::string repeated(std::string_view piece, std::size_t times)
{
    std::string text;
    for (std::size_t i = 0; i < times; ++i)
        text += piece;
    return text;
}

bool isWholeUtf8(const std::string& text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}

TEST(SafeFileName, ReducesOutsideNamesToOneNameInTheFolder)
{
    using namespace std::string_literals;
    struct Case {
        std::string fromOutside;
        std::string expected;
    };
    const Case cases[] = {
        {"report.pdf", "report.pdf"},
        {"../evil.txt", "evil.txt"},
        {"../../x", "x"},
        {"/etc/x", "x"},
        {"a/b", "b"},
        {"a\\b", "b"},
        {"..\\..\\windows\\evil.exe", "evil.exe"},
        {"folder/", "folder"},
        {"..", "fallback"},
        {".", "fallback"},
        {"", "fallback"},
        {"/", "fallback"},
        {"a/..", "fallback"},
        {".\x01.", "fallback"},
        {"\x01\x02\x7F", "fallback"},
        {"na\nme\r\t.txt", "name.txt"},
        {"nul\0byte.txt"s, "nulbyte.txt"},
        {"c1\xC2\x85\xC2\x9B"
         "x",
            "c1x"},
        {"caf\xC3\xA9 \xC2\xA0ok", "caf\xC3\xA9 \xC2\xA0ok"},
        {".hidden", ".hidden"},
        {"invoice\xE2\x80\xAEgpj.exe", "invoicegpj.exe"},
        {"\xE2\x80\xAA\xE2\x80\xAB\xE2\x80\xAC\xE2\x80\xADx\xE2\x81\xA6\xE2\x81\xA7\xE2\x81\xA8\xE2\x81\xA9.txt",
            "x.txt"},
        {"\xE2\x80\x8F"
         "a\xE2\x80\x8E\xD8\x9C",
            "a"},
        {"\xE2\x80\xAE", "fallback"},
        {"em\xE2\x80\x94"
         "dash\xE2\x80\xAF\xE2\x81\xA5",
            "em\xE2\x80\x94"
            "dash\xE2\x80\xAF\xE2\x81\xA5"},
        {"\xE2\x80", "\xE2\x80"},
        {"...", "..."},
        {repeated("a/", 600) + "last.txt", "last.txt"},
        {repeated("../", 600), "fallback"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SafeFileName(c.fromOutside, "fallback"), c.expected) << '"' << c.fromOutside << '"';
}

TEST(SafeFileName, LongNamesAreCutToTheLimitKeepingTheExtension)
{
    struct Case {
        std::string name;
        std::string expected;
    };
    const std::string euro = "\xE2\x82\xAC";
    const Case cases[] = {
        {std::string(255, 'a'), std::string(255, 'a')},
        {std::string(300, 'a') + ".txt", std::string(251, 'a') + ".txt"},
        {std::string(300, 'a'), std::string(255, 'a')},
        {"dir/" + std::string(300, 'a') + ".tar.gz", std::string(252, 'a') + ".gz"},
        // An "extension" as long as a name is no extension.
        {"a." + std::string(300, 'b'), "a." + std::string(253, 'b')},
        // 100 three-byte characters: 85 fit (255 bytes) with nothing cut in half.
        {repeated(euro, 100), repeated(euro, 85)},
        {repeated(euro, 100) + ".html", repeated(euro, 83) + ".html"},
        {"x" + repeated("\xF0\x9F\x98\x80", 80), "x" + repeated("\xF0\x9F\x98\x80", 63)},
    };
    for (const Case& c : cases) {
        const std::string safe = SafeFileName(c.name, "fallback");
        EXPECT_EQ(safe, c.expected) << c.name.size() << " bytes";
        EXPECT_LE(safe.size(), 255u);
        EXPECT_TRUE(isWholeUtf8(safe));
    }
}

TEST(SafeFileName, FallbackIsReducedToo)
{
    EXPECT_EQ(SafeFileName("..", "../index.html"), "index.html");
    EXPECT_EQ(SafeFileName("", std::string(300, 'f')), std::string(255, 'f'));
    EXPECT_EQ(SafeFileName("/", ".."), "_");
}

} // namespace
