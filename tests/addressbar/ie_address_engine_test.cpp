// The address box driving the real page engine: an address typed and
// entered loads in the linked browser and the box follows the browser to
// where a redirect sent it; the site icon the loopback server offers at its
// root appears left of the text.
#include "addressbar/AddressText.h"
#include "addressbar/IEAddress.h"
#include "addressbar/SiteIcons.h"
#include "browserhost/Sextant.h"
#include "platform/registry/Profile.h"
#include "platform/shell/SystemImageList.h"
#include "platform/webengine/QtWebBrowser.h"
#include "platform/webengine/WebEngineEnvironment.h"

#include "FixtureServer.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <functional>
#include <memory>

namespace {

FixtureServer* server = nullptr;

QString pageUrl(const char* path) { return QString::fromStdString(server->url(path)); }

bool waitUntil(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, 20000); }

std::string iconBytes(Qt::GlobalColor color)
{
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "ICO");
    return bytes.toStdString();
}

// A window holding the box above its browser.
struct Window {
    Window()
    {
        auto* layout = new QVBoxLayout(&form);
        box = new TIEAddress(&form);
        browser = new TSextant(&form);
        layout->addWidget(box);
        layout->addWidget(browser, 1);
        form.resize(640, 480);
        box->ShowFavicon = true;
        box->AutoNavigateOnLoad = false;
        box->TextOnLoad = tlUserDefine;
        box->Loaded();
        box->SetSextant(browser);
        form.show();
    }
    QWidget form;
    TIEAddress* box;
    TSextant* browser;
};

TEST(AddressBoxEngine, TypedAddressAndEnterNavigateAndTheTextFollowsARedirect)
{
    Window window;
    QLineEdit* edit = window.box->lineEdit();
    edit->setFocus();
    QTest::keyClicks(edit, pageUrl("/moved"));
    QTest::keyClick(edit, Qt::Key_Return);
    const QString landed = pageUrl("/landed.html");
    EXPECT_TRUE(waitUntil([&] { return window.box->currentText() == landed; }))
        << window.box->currentText().toStdString();
    EXPECT_EQ(QString::fromStdU16String(window.browser->LocationURL()), landed);
    EXPECT_EQ(window.box->itemText(0), landed);
    EXPECT_EQ(window.box->toolTip(), "Landed");
}

TEST(AddressBoxEngine, HostileAddressesEndWithoutHarm)
{
    const QString tooLong = pageUrl("/") + QString(10000, u'a');
    const QString cases[] = {
        tooLong,
        QStringLiteral("http://a.test/\x01\x02\tpage.html"),
        QStringLiteral("http://bad_host!.invalid/"),
        QStringLiteral("file:///nonexistent/missing.html"),
    };
    Window window;
    for (const QString& typed : cases) {
        SCOPED_TRACE(typed.left(60).toStdString());
        window.box->setEditText(typed);
        QTest::keyClick(window.box->lineEdit(), Qt::Key_Return);
        EXPECT_TRUE(waitUntil([&] { return !window.browser->Busy(); }));
        for (int i = 0; i < window.box->count(); ++i)
            for (const QChar c : window.box->itemText(i))
                EXPECT_GE(c.unicode(), 0x20) << "no control character enters the list";
    }
    EXPECT_GE(window.box->count(), 1);
}

TEST(AddressBoxEngine, TheSiteIconServedAtTheRootAppears)
{
    Window window;
    // A host of its own: the icon of 127.0.0.1 may be known from a test before.
    const QString site = QStringLiteral("http://localhost:%1/landed.html").arg(server->port());
    QStringList events;
    window.box->OnGetFavicon = [&](TObject*, const WideString&, const WideString& siteUrl, bool&, QIcon* icon) {
        events << QString::fromStdU16String(siteUrl) + (icon ? " loaded" : " fetch");
    };
    window.box->setEditText(site); // the icon of the new text is looked for at once
    EXPECT_EQ(window.box->LoadFavicon(), -1) << "the first look starts the fetch and does not wait";
    const QString host = FaviconHost(site);
    ASSERT_TRUE(waitUntil([&] { return TSiteIcons::Instance().IndexOf(host) >= 0; }));
    const int index = TSiteIcons::Instance().IndexOf(host);
    EXPECT_GT(index, 0);
    EXPECT_TRUE(waitUntil([&] { return window.box->CurrentIconIndex() == index; }));
    EXPECT_EQ(events, (QStringList{site + " fetch", site + " loaded"}));
    const QImage shown = SystemImageList::instance().pixmap(index, SystemImageList::ImageSize::Small).toImage();
    EXPECT_EQ(shown.pixelColor(8, 8), QColor(Qt::red));
    EXPECT_EQ(window.box->LoadFavicon(), index) << "known now";
    EXPECT_EQ(window.box->GetIconIndex(QStringLiteral("http://localhost:%1").arg(server->port())), index)
        << "the bare host shares it";
    EXPECT_FALSE(TSiteIcons::Instance().Fetching(host));
}

TEST(AddressBoxEngine, ASiteWithoutARootIconShowsTheIconItsPageNames)
{
    FixtureServer site;
    const std::string blue = iconBytes(Qt::blue);
    site.server().Get("/page.html", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("<html><head><title>Named</title><link rel=stylesheet href=/a.css>"
                        "<LINK REL='shortcut icon' HREF='img/site.ico'></head><body>page</body></html>",
            "text/html");
    });
    site.server().Get("/img/site.ico",
        [blue](const httplib::Request&, httplib::Response& res) { res.set_content(blue, "image/x-icon"); });
    site.start();
    Window window;
    const QString page = QString::fromStdString(site.url("/page.html"));
    window.box->setEditText(page);
    QTest::keyClick(window.box->lineEdit(), Qt::Key_Return);
    const QString host = FaviconHost(page);
    ASSERT_TRUE(waitUntil([&] { return TSiteIcons::Instance().IndexOf(host) >= 0; }));
    const int index = TSiteIcons::Instance().IndexOf(host);
    const QImage shown = SystemImageList::instance().pixmap(index, SystemImageList::ImageSize::Small).toImage();
    EXPECT_EQ(shown.pixelColor(8, 8), QColor(Qt::blue));
    EXPECT_TRUE(waitUntil([&] { return window.box->CurrentIconIndex() == index; }));
}

TEST(AddressBoxEngine, AHostWithoutAnIconIsAskedOnce)
{
    Window window;
    FixtureServer bare; // answers 404 to everything
    bare.start();
    const QString site = QString::fromStdString(bare.url("/page.html"));
    window.box->setEditText(site);
    EXPECT_EQ(window.box->LoadFavicon(), -1);
    const QString host = FaviconHost(site);
    ASSERT_TRUE(waitUntil([&] { return TSiteIcons::Instance().IndexOf(host) == -1; }));
    EXPECT_FALSE(TSiteIcons::Instance().Fetching(host));
    EXPECT_EQ(window.box->LoadFavicon(), -1);
    EXPECT_FALSE(TSiteIcons::Instance().Fetching(host)) << "a failed host is not fetched again";
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    QTemporaryDir profile;
    qputenv("HOME", home.path().toUtf8());
    qputenv("ZARNWEB_HOME", profile.path().toUtf8());
    PrepareWebEngineEnvironment();
    InstallQtWebBrowser();
    QApplication app(argc, argv);
    EnsureProfileDefaults();
    FixtureServer fixture;
    const std::string icon = iconBytes(Qt::red);
    fixture.server().Get(
        "/moved", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/landed.html"); });
    fixture.server().Get("/landed.html", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("<html><head><title>Landed</title></head><body>here</body></html>", "text/html");
    });
    fixture.server().Get("/favicon.ico",
        [icon](const httplib::Request&, httplib::Response& res) { res.set_content(icon, "image/x-icon"); });
    fixture.start();
    server = &fixture;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
