// The typed-address list of the address box in the TypedURLs registry key:
// what is read back (Url1 to Url25, trimmed, without blanks and without
// addresses already inside the list), what is written (Url1 to Url24, higher
// values left alone), when nothing is written, and hostile texts.
#include "addressbar/IEAddress.h"
#include "platform/registry/Registry.h"

#include "TempHome.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QStringList>
#include <QTest>

#include <map>

namespace {

const QString kTypedUrls = QStringLiteral("\\Software\\Microsoft\\Internet Explorer\\TypedURLs");

using Values = std::map<int, QString>; // Url<n> -> text

void writeValues(const Values& values)
{
    TRegistry reg;
    reg.DeleteKey(kTypedUrls);
    ASSERT_TRUE(reg.OpenKey(kTypedUrls, true));
    for (const auto& [n, text] : values)
        reg.WriteString(QStringLiteral("Url%1").arg(n), text);
}

Values readValues()
{
    Values values;
    TRegistry reg;
    if (!reg.OpenKeyReadOnly(kTypedUrls))
        return values;
    for (const QString& name : reg.GetValueNames())
        values[name.mid(3).toInt()] = reg.ReadString(name);
    return values;
}

QStringList items(const TIEAddress& box)
{
    QStringList list;
    for (int i = 0; i < box.count(); ++i)
        list << box.itemText(i);
    return list;
}

QStringList numbered(int from, int to)
{
    QStringList list;
    for (int n = from; n <= to; ++n)
        list << QStringLiteral("http://site%1.test/page.html").arg(n);
    return list;
}

class TypedUrls : public ::testing::Test {
protected:
    TempHome home;
};

TEST_F(TypedUrls, LoadReadsTrimmedUniqueValuesUpToUrl25)
{
    const struct {
        const char* name;
        Values stored;
        QStringList loaded;
    } cases[] = {
        {"an address inside an earlier one is left out",
            {{1, "http://a.test/path/"}, {2, "http://a.test"}, {3, "http://b.test"}},
            {"http://a.test/path/", "http://b.test"}},
        {"blanks are trimmed and empty values skipped", {{1, "  http://a.test  "}, {2, "   "}, {4, "http://c.test"}},
            {"http://a.test", "http://c.test"}},
        {"containment is case-sensitive", {{1, "http://A.test/x.html"}, {2, "http://a.test"}},
            {"http://A.test/x.html", "http://a.test"}},
        {"exact repeats are left out", {{1, "http://a.test"}, {2, "http://a.test"}}, {"http://a.test"}},
        {"no list", {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeValues(c.stored);
        TIEAddress box;
        box.Loaded();
        EXPECT_EQ(items(box), c.loaded);
        EXPECT_EQ(box.currentText(), c.loaded.value(0));
    }

    Values thirty;
    const QStringList addresses = numbered(1, 30);
    for (int n = 1; n <= 30; ++n)
        thirty[n] = addresses[n - 1];
    writeValues(thirty);
    TIEAddress box;
    box.Loaded();
    EXPECT_EQ(items(box), numbered(1, 25)) << "Url26 and above are never read";
}

TEST_F(TypedUrls, InitialTextFollowsTextOnLoad)
{
    writeValues({{1, "http://typed.test/"}});
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\Microsoft\\Internet Explorer\\Main", true));
    reg.WriteString("Start Page", "http://home.test/");
    const struct {
        TTextOnLoad mode;
        const char* text;
    } cases[] = {
        {tlIELastVisited, "http://typed.test/"},
        {tlIEHomePage, "http://home.test/"},
        {tlBlank, ""},
        {tlUserDefine, "http://mine.test/"},
    };
    for (const auto& c : cases) {
        TIEAddress box;
        box.TextOnLoad = c.mode;
        box.TextOnShow = u"http://mine.test/";
        box.Loaded();
        EXPECT_EQ(box.currentText().toStdString(), c.text) << c.mode;
    }
}

TEST_F(TypedUrls, SaveWritesAtMost24ItemsAndLeavesHigherValues)
{
    writeValues({{25, "http://old25.test"}, {26, "http://old26.test"}});
    TIEAddress box;
    box.Loaded();
    box.clear();
    box.addItems(numbered(1, 30));
    box.setEditText("http://site1.test/page.html");
    box.SaveTypedUrls();
    const Values saved = readValues();
    for (int n = 1; n <= 24; ++n)
        EXPECT_EQ(saved.at(n), numbered(n, n).front()) << n;
    EXPECT_EQ(saved.at(25), "http://old25.test");
    EXPECT_EQ(saved.at(26), "http://old26.test");
    EXPECT_EQ(saved.size(), 26u);
}

TEST_F(TypedUrls, NothingIsWrittenForABlankTextOrWhenTheHandlerCancels)
{
    writeValues({{1, "http://kept.test"}});
    TIEAddress box;
    box.Loaded();
    box.insertItem(0, "http://new.test");
    QStringList asked;
    bool cancel = false;
    box.OnUpdateRegistry = [&](TObject* sender, const WideString& url, bool& Cancel) {
        EXPECT_EQ(sender, &box);
        asked << QString::fromStdU16String(url);
        Cancel = cancel;
    };
    box.setEditText("   ");
    box.SaveTypedUrls();
    EXPECT_TRUE(asked.isEmpty()) << "a blank text raises nothing";
    cancel = true;
    box.setEditText("http://new.test");
    box.SaveTypedUrls();
    EXPECT_EQ(asked, QStringList{"http://new.test"});
    EXPECT_EQ(readValues(), (Values{{1, "http://kept.test"}}));
    cancel = false;
    box.SaveTypedUrls();
    EXPECT_EQ(readValues(), (Values{{1, "http://new.test"}, {2, "http://kept.test"}}));
}

TEST_F(TypedUrls, ANewAddressReachesTheRegistryWithTheNextChoice)
{
    writeValues({{1, "http://first.test/"}});
    TIEAddress box;
    box.Loaded();
    box.setFocus();
    for (const char* typed : {"http://second.test/", "http://third.test/"}) {
        box.setEditText(typed);
        QTest::keyClick(box.lineEdit(), Qt::Key_Return);
    }
    EXPECT_EQ(items(box), (QStringList{"http://third.test/", "http://second.test/", "http://first.test/"}));
    EXPECT_EQ(readValues(), (Values{{1, "http://second.test/"}, {2, "http://first.test/"}}));
}

TEST_F(TypedUrls, HostileTextsKeepTheListWellFormed)
{
    const QString longText = QStringLiteral("http://long.test/") + QString(10000, u'a');
    const struct {
        const char* name;
        QString typed;
        QString listed;
    } cases[] = {
        {"10,000 characters", longText, longText + u'/'},
        {"control characters", QStringLiteral("http://a.test/\nb\r\x01\tc.html"),
            QStringLiteral("http://a.test/bc.html")},
        {"an invalid host", QStringLiteral("http://bad host!.test/"), QStringLiteral("http://bad host!.test/")},
        {"a missing file", QStringLiteral("file:///nonexistent/none.html"),
            QStringLiteral("file:///nonexistent/none.html")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeValues({});
        TIEAddress box;
        box.Loaded();
        for (int choice = 0; choice < 2; ++choice) {
            box.setEditText(c.typed);
            QTest::keyClick(box.lineEdit(), Qt::Key_Return);
        }
        EXPECT_EQ(items(box), QStringList{c.listed});
        EXPECT_EQ(readValues(), (Values{{1, c.listed}}));
        TIEAddress reread;
        reread.Loaded();
        EXPECT_EQ(items(reread), QStringList{c.listed});
    }
}

} // namespace
