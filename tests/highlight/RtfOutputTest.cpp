// Whole documents: golden files, the writer's invariants on many inputs, and
// an RTF reader written elsewhere (unrtf) reading the text back.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <sstream>

#include "highlight/HighlightHTML.h"
#include "highlight/HighlightXML.h"
#include "tests/highlight/BodyOf.h"
#include "tests/highlight/RtfInvariants.h"

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// `text` must be followed by a NUL.
std::string Highlight(const std::string& language, std::string_view text)
{
    std::unique_ptr<THighlightRichSyntax> h;
    if (language == "html")
        h = std::make_unique<THighlightHTML>();
    else
        h = std::make_unique<THighlightXML>();
    h->SetSource(text, 1);
    return h->GetRtf();
}

std::string WithCrLf(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

const fs::path kData = ZARN_HIGHLIGHT_TEST_DATA;

// Every "<name>.<html|xml>.rtf" in the data folder holds what the source
// beside it colours to; a pair added there is checked without more code.
TEST(HighlightGolden, EveryPairInTheDataFolder)
{
    int pairs = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(kData)) {
        const fs::path golden = entry.path();
        if (golden.extension() != ".rtf")
            continue;
        const fs::path source = fs::path(golden).replace_extension();
        const std::string language = source.extension().string().substr(source.extension().empty() ? 0 : 1);
        ASSERT_TRUE(language == "html" || language == "xml") << golden << " names no html or xml source";
        ASSERT_TRUE(fs::exists(source)) << golden << " has no source beside it";
        EXPECT_EQ(Highlight(language, ReadFile(source)), ReadFile(golden)) << source;
        ++pairs;
    }
    EXPECT_GE(pairs, 2);
}

// Random markup-heavy inputs, including NULs, broken UTF-8 and lone CRs.
std::string RandomMarkup(std::mt19937& rng)
{
    static const std::vector<std::string> pieces = {"<", ">", "</", "<!--", "-->", "<%", "%>", "<?", "?>", "<![CDATA[",
        "]]>", "<!DOCTYPE", "]>", "=", "\"", "'", "&", "&amp;", "&lt;", "&divide;", ";", "xmlns:p", "a", "href", "b",
        "/", "//", " ", "\t", "\r\n", "\r", "\n", "{", "}", "\\", "\xC3\xA9", "\xF0\x9F\x98\x80", "\xFF", "\xE2\x82",
        std::string(1, '\0'), "h1", "BLOCKQUOTE", "text"};
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1), length(0, 40);
    std::string s;
    for (std::size_t n = length(rng); n > 0; --n)
        s += pieces[pick(rng)];
    return s;
}

TEST(HighlightInvariants, EveryDocumentIsOneGroupHoldingTheWholeInput)
{
    std::vector<std::string> inputs = {ReadFile(kData / "sample.html"), ReadFile(kData / "sample.xml")};
    std::mt19937 rng(20240611);
    for (int i = 0; i < 3000; ++i)
        inputs.push_back(RandomMarkup(rng));
    for (const std::string& input : inputs)
        for (const std::string language : {"html", "xml"})
            ASSERT_EQ(rtf_check::CheckDocument(input, Highlight(language, input)), "")
                << language << " input: " << input;
}

// Texts that end inside each kind of run the scanners search sixteen bytes at
// a time, at every distance from a sixteen-byte step, each in a heap block
// that ends with the NUL after the text: built with AddressSanitizer, a read
// past that NUL fails the test.
TEST(HighlightInvariants, ScansStopAtTheNulAfterTheText)
{
    const std::vector<std::string> openings = {"", "<p>", "<p ", "<p a=", "<p a=\"", "<p>&", "<", "<!--", "<!-- a\r\n",
        "<%", "<a>", "<a b='", "<a b=\"&", "<a>&", "<![CDATA[", "<?xml", "<!DOCTYPE", "<a b=\"\xC3", "<p>{\xE2\x82"};
    for (const std::string& opening : openings)
        for (std::size_t fill = 0; fill <= 40; ++fill) {
            const std::string text = opening + std::string(fill, 'x');
            const auto block = std::make_unique<char[]>(text.size() + 1);
            std::memcpy(block.get(), text.data(), text.size());
            const std::string_view view(block.get(), text.size());
            for (const std::string language : {"html", "xml"})
                ASSERT_EQ(rtf_check::CheckDocument(text, Highlight(language, view)), "")
                    << language << " input: " << text;
        }
}

// The document body spelled out through the public token operations, the way
// a caller driving a highlighter by hand would write it.
template <class Highlighter> std::string BodyThroughTokenOperations(const std::string& text)
{
    Highlighter h;
    h.SetText(text);
    TRtfBuffer out;
    std::string scratch;
    for (; !h.AtEnd(); h.NextToken()) {
        const std::string_view token = h.EscapeText(h.TokenText(), scratch);
        if (token == "\r\n" || token == "\r")
            out.Append("\\par ");
        h.FormatToken(h.TokenColor(), token, out);
    }
    return std::string(out.View());
}

TEST(HighlightInvariants, WriterMatchesTheTokenOperations)
{
    std::vector<std::string> inputs = {ReadFile(kData / "sample.html"), ReadFile(kData / "sample.xml")};
    std::mt19937 rng(7);
    for (int i = 0; i < 1000; ++i)
        inputs.push_back(RandomMarkup(rng));
    for (const std::string& input : inputs) {
        ASSERT_EQ(BodyOf<THighlightHTML>(input), BodyThroughTokenOperations<THighlightHTML>(input)) << input;
        ASSERT_EQ(BodyOf<THighlightXML>(input), BodyThroughTokenOperations<THighlightXML>(input)) << input;
    }
}

// unrtf --html output, reduced to plain text: tags dropped, entities decoded,
// whitespace runs folded to one blank (unrtf folds them too).
class UnrtfReader {
public:
    UnrtfReader()
    {
        // The conf file maps code points to the entity names unrtf writes.
        std::ifstream conf("/usr/share/unrtf/html.conf");
        std::string line, number;
        while (std::getline(conf, line)) {
            // Code points from 0xF000 up are the symbol font's private mappings.
            if (line.size() > 1 && line[0] == '\t' && line[1] == '&' && !number.empty() && std::stoul(number) < 0xF000)
                FNames[line.substr(1)] = static_cast<char32_t>(std::stoul(number));
            number = !line.empty() && std::isdigit(static_cast<unsigned char>(line[0])) ? line : "";
        }
        FNames["&lt;"] = '<';
        FNames["&gt;"] = '>';
        FNames["&amp;"] = '&';
        FNames["&quot;"] = '"';
        FNames["&nbsp;"] = ' ';
    }

    std::string Read(const std::string& rtf) const
    {
        const fs::path file = fs::temp_directory_path() / ("zarn-unrtf-" + std::to_string(::getpid()) + ".rtf");
        std::ofstream(file, std::ios::binary) << rtf;
        std::string html;
        if (FILE* p = ::popen(("unrtf --html '" + file.string() + "' 2>/dev/null").c_str(), "r")) {
            char buf[4096];
            for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
                html.append(buf, n);
            ::pclose(p);
        }
        fs::remove(file);
        const std::size_t body = html.find("<body>");
        const std::size_t end = html.rfind("</body>");
        if (body == std::string::npos || end == std::string::npos)
            return "<no body>";
        return Fold(Decode(html.substr(body + 6, end - body - 6)));
    }

    static std::string Fold(const std::string& text)
    {
        std::string out;
        for (char c : text) {
            const bool blank = c == ' ' || c == '\t' || c == '\r' || c == '\n';
            if (!blank)
                out += c;
            else if (!out.empty() && out.back() != ' ')
                out += ' ';
        }
        while (!out.empty() && out.back() == ' ')
            out.pop_back();
        return out;
    }

private:
    std::string Decode(const std::string& html) const
    {
        std::string out;
        char32_t high = 0;
        for (std::size_t i = 0; i < html.size();) {
            if (html[i] == '<') {
                i = html.find('>', i) + 1;
                continue;
            }
            if (html[i] != '&') {
                out += html[i++];
                continue;
            }
            const std::size_t semi = html.find(';', i);
            const std::string entity = html.substr(i, semi - i + 1);
            i = semi + 1;
            char32_t cp = '?';
            if (entity[1] == '#') {
                cp = static_cast<char32_t>(std::stoul(entity.substr(2)));
            } else if (auto it = FNames.find(entity); it != FNames.end()) {
                cp = it->second;
            }
            if (cp >= 0xD800 && cp <= 0xDBFF) {
                high = cp;
                continue;
            }
            if (cp >= 0xDC00 && cp <= 0xDFFF)
                cp = 0x10000 + ((high - 0xD800) << 10) + (cp - 0xDC00);
            rtf_check::AppendUtf8(cp, out);
        }
        return out;
    }

    std::map<std::string, char32_t> FNames;
};

TEST(HighlightReadback, UnrtfShowsTheSourceText)
{
    if (std::system("command -v unrtf >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "unrtf is not installed";
    const UnrtfReader reader;
    for (const std::string language : {"html", "xml"}) {
        const std::string text = WithCrLf(ReadFile(kData / ("sample." + language)));
        EXPECT_EQ(reader.Read(Highlight(language, text)), UnrtfReader::Fold(text)) << language;
    }
    const std::string snippet = "<p class=\"a\">{x} \\ caf\xC3\xA9 \xE2\x82\xAC \xE6\x97\xA5</p>";
    EXPECT_EQ(reader.Read(Highlight("html", snippet)), snippet);
}

} // namespace
