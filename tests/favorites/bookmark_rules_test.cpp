// The rules of bookmark files: which lines become favorites and folders,
// how names from a file are made safe, the order records are written in,
// escaping, and how a file's bytes are decoded into lines.
#include "favorites/BookmarkRecords.h"
#include "favorites/ImportFavorite.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

// A record as "Folder/Parts|Title|Url|Level".
QString describe(const TUrlRec& record)
{
    return record.Folder.join(QLatin1Char('/')) + QLatin1Char('|') + record.Title + QLatin1Char('|') + record.Url
        + QLatin1Char('|') + QString::number(record.Level);
}

QStringList describeAll(const TUrlRecs& records)
{
    QStringList described;
    for (const TUrlRec& record : records)
        described << describe(record);
    return described;
}

struct LineCase {
    const char* line;
    const char* record; // "" when the line gives none
    int skipped;
};

TEST(BookmarkLines, EachLineKindGivesItsRecord)
{
    const LineCase cases[] = {
        {R"(<DT><A HREF="http://a.example/">A</A>)", "|A|http://a.example/|0", 0},
        {R"(<DT><A HREF="https://b.example/x">B</A>)", "|B|https://b.example/x|0", 0},
        {R"(<DT><A HREF="https://f.example/" ADD_DATE="1" ICON="data:image/png;base64,AA==">Fox</A>)",
            "|Fox|https://f.example/|0", 0},
        {R"(<DT><A HREF="http://a.example/?x=1&amp;y=2">Tom &amp; Jerry &#8364;</A>)",
            "|Tom & Jerry \u20ac|http://a.example/?x=1&y=2|0", 0},
        {R"(<DT><A HREF="http://a.example/">a/b: c?</A>)", "|a-b- c-|http://a.example/|0", 0},
        {R"(<DT><A HREF="http://a.example/">&lt;script&gt;x&lt;/script&gt;</A>)",
            "|-script-x--script-|http://a.example/|0", 0},
        {R"(<DT><A HREF="http://a.example/"></A>)", "|Favorite|http://a.example/|0", 0},
        {R"(<DT><H3 ADD_DATE="1">Work &amp; Play</H3>)", "Work & Play|||1", 0},
        {R"(<DT><H3>..</H3>)", "Favorite|||1", 0},
        {R"(<DT><H3>../../etc</H3>)", "-..-etc|||1", 0},
        // Not taken: other schemes, and lines that only mention a web address.
        {R"(<DT><A HREF="ftp://x.example/">ftp</A>)", "", 1},
        {R"x(<DT><A HREF="javascript:alert(1)">script</A>)x", "", 1},
        {R"(<DT><A HREF="file:///etc/passwd">local</A>)", "", 1},
        {R"(<DT><A HREF="http://a.example/&#13;&#10;b">break</A>)", "", 1},
        {R"(<DT><A HREF="http://a.example/)", "", 1},
        {R"x(<DT><A HREF="javascript:alert(1)">see http://x.example/</A>)x", "", 1},
        {R"(<DD>read more at http://x.example/)", "", 0},
        {R"(<DT><a href="HTTP://X.EXAMPLE/">shouting</a>)", "", 1},
        {R"(<TITLE>Bookmarks</TITLE>)", "", 0},
    };
    for (const LineCase& c : cases) {
        int skipped = -1;
        const TUrlRecs records = ParseBookmarks({QString::fromUtf8(c.line)}, &skipped);
        const QString expected = QString::fromUtf8(c.record);
        EXPECT_EQ(describeAll(records), expected.isEmpty() ? QStringList() : QStringList{expected}) << c.line;
        EXPECT_EQ(skipped, c.skipped) << c.line;
    }
}

TEST(BookmarkLines, FoldersNestByTheirListsAndExtraClosingsStopAtTheTop)
{
    const QStringList lines = {
        "<DL><p>",
        "    <DT><H3>F</H3>",
        "    <DL><p>",
        "        <DT><A HREF=\"http://a/\">A</A>",
        "        <DT><H3>Sub</H3>",
        "        <DL><p>",
        "            <DT><A HREF=\"http://b/\">B</A>",
        "        </DL><p>",
        "    </DL><p>",
        "    <DT><H3>G</H3>",
        "    <DL><p>",
        "    </DL><p>",
        "</DL><p>",
        "</DL><p>",
        "</DL><p>",
        "<DT><H3>H</H3>",
        "<DT><A HREF=\"http://c/\">C</A>",
    };
    EXPECT_EQ(describeAll(ParseBookmarks(lines)),
        (QStringList{
            "F|||1", "F|A|http://a/|1", "F/Sub|||2", "F/Sub|B|http://b/|2", "G|||1", "H|||1", "H|C|http://c/|1"}));
}

TEST(BookmarkNames, NamesFromAFileBecomeSafeNamesInsideTheTarget)
{
    const struct {
        QString name;
        QString cleaned;
    } cases[] = {
        {"a/b: c?", "a-b- c-"},
        {R"("quoted")", "-quoted-"},
        {R"(a\b*c|d<e>f)", "a-b-c-d-e-f"},
        {"..", "Favorite"},
        {".hidden", "hidden"},
        {"", "Favorite"},
        {"tab\there", "tab_here"},
        {"caf\u00e9", "caf\u00e9"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CleanBookmarkName(c.name), c.cleaned) << c.name.toStdString();
    EXPECT_EQ(CleanBookmarkName(QString(300, QLatin1Char('x'))).toUtf8().size(), 255);
}

TEST(BookmarkOrder, FoldersSortPartByPartWithEachFolderBeforeItsContents)
{
    const QStringList sorted = {"|A|u|1", "|B|u|1", "|a|u|1", "Work|||1", "Work|Z|u|2", "Work/Old|||2",
        "Work/Old|x|u|3", "Work Projects|||1", "Work Projects|y|u|2", "Work-2|||1"};
    TUrlRecs records;
    for (const QString& line : sorted) {
        const QStringList fields = line.split(QLatin1Char('|'));
        const QStringList folder = fields[0].isEmpty() ? QStringList() : fields[0].split(QLatin1Char('/'));
        records.push_back({folder, fields[1], fields[2], fields[3].toInt()});
    }
    std::shuffle(records.begin(), records.end(), std::mt19937(7));
    SortUrlRecs(records);
    EXPECT_EQ(describeAll(records), sorted);
}

TEST(BookmarkEscaping, MarkupCharactersBecomeEntitiesAndComeBack)
{
    const struct {
        QString text;
        QString escaped;
    } cases[] = {
        {"Tom & Jerry", "Tom &amp; Jerry"},
        {"<script>alert(\"x\")</script>", "&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt;"},
        {"&amp;", "&amp;amp;"},
        {"it's \u00e9", "it's \u00e9"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EscapeHtml(c.text), c.escaped);
        EXPECT_EQ(DecodeHtmlEntities(c.escaped), c.text);
    }
    const struct {
        QString text;
        QString decoded;
    } decodings[] = {
        {"&#65;&#x42;&#X43;&apos;&nbsp;", "ABC'\u00a0"},
        {"&bogus; &amp &#0; &#xD800; &#x110000; &", "&bogus; &amp &#0; &#xD800; &#x110000; &"},
        {"&#128512;", QString::fromUtf8("\xF0\x9F\x98\x80")},
    };
    for (const auto& d : decodings)
        EXPECT_EQ(DecodeHtmlEntities(d.text), d.decoded) << d.text.toStdString();
}

TEST(BookmarkFileText, BytesAreDecodedByTheDeclaredCharsetIntoLines)
{
    const struct {
        QByteArray bytes;
        QStringList lines;
    } cases[] = {
        {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"caf\xC3\xA9\r\n", {"caf\u00e9"}},
        {"<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=ISO-8859-1\">\ncaf\xE9",
            {"<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=ISO-8859-1\">", "caf\u00e9"}},
        {"\xEF\xBB\xBFx", {"x"}},
        {"bad \xC3\x28 \xFF end", {"bad \ufffd( \ufffd end"}},
        {"", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BookmarkFileLines(c.bytes), c.lines) << c.bytes.toStdString();
}

} // namespace
