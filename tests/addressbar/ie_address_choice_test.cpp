// Choosing an address in the address box linked to a scripted browser: Enter
// with the list closed and open, OnUrlSelected cancelling, the text following
// the browser's location, the secure colour and the icon chosen for a text.
#include "addressbar/IEAddress.h"
#include "addressbar/SiteIcons.h"
#include "browserhost/Sextant.h"
#include "platform/shell/SpecialFolders.h"
#include "platform/shell/SystemImageList.h"

#include "FakeWebBrowser.h"
#include "TempHome.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTest>

#include <memory>

namespace {

QStringList items(const TIEAddress& box)
{
    QStringList list;
    for (int i = 0; i < box.count(); ++i)
        list << box.itemText(i);
    return list;
}

class AddressChoice : public ::testing::Test {
protected:
    void SetUp() override
    {
        browser = std::make_unique<TSextant>();
        control = factory.last();
        ASSERT_TRUE(control);
        // Every navigation ends at once, sent on to a canonical address.
        control->onNavigate = [this](FakeWebBrowser& fake, const WideString& url) {
            fake.locationName = u"Title of " + url;
            fake.Complete(redirects ? u"http://moved.test/" : url);
        };
        box = std::make_unique<TIEAddress>();
        box->Loaded();
        box->SetSextant(browser.get());
    }

    // The addresses the browser was sent to.
    QStringList navigations() const
    {
        QStringList urls;
        for (const auto& call : control->callsOf("Navigate2"))
            urls << QString::fromStdU16String(call.args[0].toWideString());
        return urls;
    }

    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* target = box->view()->isVisible() ? static_cast<QWidget*>(box->view()) : box->lineEdit();
        QTest::keyClick(target, key, modifiers);
    }

    TempHome home;
    FakeWebBrowserFactory factory;
    std::unique_ptr<TSextant> browser;
    FakeWebBrowser* control = nullptr;
    std::unique_ptr<TIEAddress> box;
    bool redirects = false;
};

TEST_F(AddressChoice, EnterWithTheListClosedNavigatesAndTheTextFollowsTheLocation)
{
    redirects = true;
    QStringList selected;
    box->OnUrlSelected = [&](TObject*, const WideString& url, bool&) { selected << QString::fromStdU16String(url); };
    box->setEditText("  http://typed.test/page.html ");
    press(Qt::Key_Return);
    EXPECT_EQ(selected, QStringList{"http://typed.test/page.html"});
    EXPECT_EQ(navigations(), QStringList{"http://typed.test/page.html"});
    EXPECT_EQ(box->currentText(), "http://moved.test/");
    EXPECT_EQ(items(*box), QStringList{"http://moved.test/"});
    EXPECT_EQ(box->toolTip(), "Title of http://typed.test/page.html");

    box->AutoNavigateOnEnterKey = false;
    box->setEditText("http://second.test/");
    press(Qt::Key_Return);
    EXPECT_EQ(navigations().size(), 1) << "no navigation without AutoNavigateOnEnterKey";
    box->setEditText("   ");
    press(Qt::Key_Return);
    EXPECT_EQ(selected.size(), 2) << "a blank text chooses nothing";
}

TEST_F(AddressChoice, KeyHandlersComeFirstAndDoubleClickNavigates)
{
    int seen = 0;
    box->OnKeyDown = [&](TObject*, int& key, Qt::KeyboardModifiers) {
        seen = key;
        key = 0;
    };
    box->setEditText("http://kept.test/");
    press(Qt::Key_Return);
    EXPECT_EQ(seen, Qt::Key_Return);
    EXPECT_TRUE(navigations().isEmpty()) << "a handler that clears the key keeps the box from acting";
    box->OnKeyDown = nullptr;

    for (const bool onDoubleClick : {false, true}) {
        box->AutoNavigateOnDblClk = onDoubleClick;
        QTest::mouseDClick(box->lineEdit(), Qt::LeftButton);
        EXPECT_EQ(navigations().size(), onDoubleClick ? 1 : 0);
        EXPECT_EQ(items(*box).value(0), "http://kept.test/") << "a double click is a choice";
    }
}

TEST_F(AddressChoice, ASiteIconIsFetchedForAChosenAddressNotWhileTyping)
{
    box->ShowFavicon = true;
    const QString host = QStringLiteral("127.0.0.1:1"); // nothing listens there
    box->setFocus();
    QTest::keyClicks(box->lineEdit(), "http://127.0.0.1:1/");
    EXPECT_FALSE(TSiteIcons::Instance().Fetching(host));
    EXPECT_EQ(TSiteIcons::Instance().IndexOf(host), TSiteIcons::Unknown);
    for (const char* prefix : {"1", "12", "127.0", "127.0.0.1"})
        EXPECT_FALSE(TSiteIcons::Instance().Fetching(prefix)) << prefix;
    press(Qt::Key_Return);
    EXPECT_TRUE(TSiteIcons::Instance().Fetching(host) || TSiteIcons::Instance().IndexOf(host) == -1);
}

TEST_F(AddressChoice, OnUpdateTextSeesBothAddressesAndCanKeepTheText)
{
    redirects = true;
    QStringList seen;
    bool keep = true;
    box->OnUpdateText = [&](TObject*, const WideString& oldUrl, const WideString& newUrl, bool& Cancel) {
        seen << QString::fromStdU16String(oldUrl) << QString::fromStdU16String(newUrl);
        Cancel = keep;
    };
    box->setEditText("http://typed.test/a.html");
    press(Qt::Key_Return);
    EXPECT_EQ(seen, (QStringList{"http://typed.test/a.html", "http://moved.test/"}));
    EXPECT_EQ(box->currentText(), "http://typed.test/a.html");
    keep = false;
    press(Qt::Key_Return);
    EXPECT_EQ(box->currentText(), "http://moved.test/");
}

TEST_F(AddressChoice, EnterOnTheFourthItemOfTheOpenListMovesItToTheTopAndNavigates)
{
    const QStringList list{"http://one.test/", "http://two.test/", "http://three.test/", "http://four.test/"};
    const struct {
        bool onEnter, onSelected;
        int navigations;
    } cases[] = {{true, true, 2}, {true, false, 1}, {false, true, 1}, {false, false, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.onEnter << c.onSelected);
        control->calls.clear();
        box->clear();
        box->addItems(list);
        box->AutoNavigateOnEnterKey = c.onEnter;
        box->AutoNavigateOnSelected = c.onSelected;
        box->show();
        box->showPopup();
        ASSERT_TRUE(box->view()->isVisible());
        box->view()->setCurrentIndex(box->model()->index(3, 0));
        press(Qt::Key_Return);
        EXPECT_FALSE(box->view()->isVisible());
        EXPECT_EQ(items(*box),
            (QStringList{"http://four.test/", "http://one.test/", "http://two.test/", "http://three.test/"}));
        EXPECT_EQ(box->currentText(), "http://four.test/");
        EXPECT_EQ(navigations(), QStringList(c.navigations, "http://four.test/"));
    }
}

TEST_F(AddressChoice, CancellingOnUrlSelectedInTheOpenListLeavesEverythingAlone)
{
    const QStringList list{"http://one.test/", "http://two.test/", "http://three.test/"};
    box->addItems(list);
    box->setEditText("http://typed.test/");
    QString asked;
    box->OnUrlSelected = [&](TObject*, const WideString& url, bool& Cancel) {
        asked = QString::fromStdU16String(url);
        Cancel = true;
    };
    box->show();
    box->showPopup();
    box->view()->setCurrentIndex(box->model()->index(2, 0));
    press(Qt::Key_Return);
    EXPECT_EQ(asked, "http://three.test/");
    EXPECT_EQ(items(*box), list);
    EXPECT_EQ(box->currentText(), "http://typed.test/");
    EXPECT_TRUE(navigations().isEmpty());

    box->hidePopup();
    box->setEditText("http://closed.test/");
    press(Qt::Key_Return);
    EXPECT_TRUE(navigations().isEmpty()) << "cancelled with the list closed";
    EXPECT_EQ(items(*box).first(), "http://closed.test/") << "the choice is still recorded";
}

TEST_F(AddressChoice, ArrowKeysWalkTheOpenListAndNavigateAsTheyGo)
{
    box->addItems({"http://one.test/", "http://two.test/", "http://three.test/"});
    box->setEditText("http://one.test/");
    box->show();
    press(Qt::Key_Up);
    EXPECT_FALSE(box->view()->isVisible()) << "Up with the list closed does nothing";
    press(Qt::Key_Down);
    ASSERT_TRUE(box->view()->isVisible());
    EXPECT_EQ(box->currentText(), "http://two.test/");
    press(Qt::Key_Down);
    press(Qt::Key_Down); // past the last item: stays
    EXPECT_EQ(box->currentText(), "http://three.test/");
    press(Qt::Key_Up);
    EXPECT_EQ(box->currentText(), "http://two.test/");
    EXPECT_EQ(navigations(), (QStringList{"http://two.test/", "http://three.test/", "http://two.test/"}));
    press(Qt::Key_Escape);
    EXPECT_FALSE(box->view()->isVisible());
}

TEST_F(AddressChoice, SecureColourFollowsACaseSensitiveHttpsPrefix)
{
    const QColor normal = box->palette().color(QPalette::Base);
    const QColor secure = TIEAddress::ToQColor(box->SecureSiteBG);
    ASSERT_NE(normal, secure);
    // Steps in order: each starts from the colour the one before left.
    const struct {
        const char* text;
        bool useColour;
        QColor expected;
    } steps[] = {
        {"https://bank.test/", true, secure},
        {"http://plain.test/", true, normal},
        {"HTTPS://BANK.TEST/", true, normal},
        {"https://bank.test/", false, normal},
        {"https://bank.test/", true, secure},
        {"", true, secure},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.text);
        box->UseSecureSiteBGColor = step.useColour;
        box->setEditText(step.text);
        box->ApplySecureSiteColor();
        EXPECT_EQ(box->palette().color(QPalette::Base), step.expected);
    }

    // The browser's location set by the program after a followed link.
    box->setEditText("https://bank.test/");
    EXPECT_EQ(box->palette().color(QPalette::Base), secure);
    box->setEditText("http://plain.test/");
    EXPECT_EQ(box->palette().color(QPalette::Base), normal);
}

TEST_F(AddressChoice, IconFollowsWhatTheTextNames)
{
    QDir(home.path()).mkpath("folder");
    QFile file(home.path("notes.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    SystemImageList& icons = SystemImageList::instance();
    const int webPage = icons.indexOfFileType("*.htm");
    const struct {
        QString text;
        int expected;
    } cases[] = {
        {home.path("folder"), icons.indexOfFolder()},
        {home.path("notes.txt"), icons.indexOfFileType("notes.txt")},
        {"file:///nowhere/missing.zip", icons.indexOfFileType("missing.zip")},
        {"http://host/report.docx", icons.indexOfFileType(".docx")},
        {"http://host/index.php", webPage},
        {"http://site.test/", webPage},
        {"  my computer ", icons.indexOfSpecialFolder(CSIDL_DRIVES)},
        {"APPLICATION DATA", webPage},
        {"", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(box->GetIconIndex(c.text), c.expected) << c.text.toStdString();

    QStringList raised;
    box->OnGetIcon = [&](TObject*, const QString& ext, const QIcon&) { raised << ext; };
    box->GetIconIndex("http://site.test/");
    EXPECT_EQ(raised, QStringList{"htm"});

    box->UseAppIcon = true;
    box->OnGetAppIcon = [](TObject*, bool& Cancel, QIcon&) { Cancel = true; };
    EXPECT_EQ(box->GetIconIndex("http://site.test/"), -1) << "a cancelled application icon shows none";
}

} // namespace
