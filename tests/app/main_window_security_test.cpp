// The main window on the real engine: the security panel for a plain page,
// for pages over TLS (a trusted and an untrusted certificate) and for a site
// the user put in the restricted list, and pop-ups blocked and let through.
#include "app/unitZarnWeb.h"
#include "browserhost/Sextant.h"
#include "platform/inet/ZoneManager.h"
#include "platform/registry/Profile.h"
#include "platform/registry/Registry.h"
#include "platform/ui/Application.h"
#include "platform/webengine/QtWebBrowser.h"
#include "platform/webengine/WebEngineEnvironment.h"
#include "tools/SecurityZones.h"

#include "FixtureServer.h"
#include "ScriptedDialogs.h"
#include "TlsFixtureServer.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>

#include <functional>
#include <memory>

namespace {
FixtureServer* server = nullptr;
// Over TLS with a certificate the engine is told to trust, and with one it
// is not.
TlsFixtureServer* trustedServer = nullptr;
TlsFixtureServer* untrustedServer = nullptr;
ScriptedDialogs* dialogs = nullptr;

QString pageUrl(const char* path, const FixtureServer* from = server)
{
    return QString::fromStdString(from->url(path));
}
QString location(TSextant* browser) { return QString::fromStdU16String(browser->LocationURL()); }
// Generous: the engine and its TLS handshakes crawl on a busy machine.
bool waitUntil(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, 30000); }

class MainWindowSecurity : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_unique<TfrmMain>();
        SetApplicationMainForm(window.get());
        window->show();
        ASSERT_TRUE(waitUntil([&] { return !location(window->Sextant1).isEmpty(); }));
        ASSERT_TRUE(window->Sextant1->Wait(30000));
    }
    void TearDown() override
    {
        window.reset();
        SetApplicationMainForm(nullptr);
        // Every test starts with empty site lists: all fixtures share one host.
        TRegistry lists(HKEY_CURRENT_USER);
        lists.DeleteKey(ZoneMapDomainsKey);
        lists.DeleteKey(ZoneMapEscDomainsKey);
    }

    void open(const QString& url)
    {
        window->Sextant1->Navigate(url.toStdU16String());
        ASSERT_TRUE(waitUntil([&] { return location(window->Sextant1) == url && !window->Sextant1->Busy(); }))
            << location(window->Sextant1).toStdString();
    }

    // The text of the message box the Security menu item shows.
    QString securityItem(TMenuCommand command)
    {
        QAction* item = window->MenuItem(command);
        if (!item)
            return "no item " + QString::number(int(command));
        const qsizetype before = dialogs->Texts().size();
        item->trigger();
        return dialogs->Texts().size() > before ? dialogs->Last().Text : QString();
    }

    QStringList logLines()
    {
        window->FlushEventLog();
        QStringList lines;
        for (int i = 0; i < window->lvEventLog->count(); ++i)
            lines << window->lvEventLog->item(i)->text();
        return lines;
    }

    std::unique_ptr<TfrmMain> window;
};

TEST_F(MainWindowSecurity, APlainPageIsNotSecuredAndARestrictedSiteIsShownRestrictedOnItsNextLoad)
{
    open(pageUrl("/plain.html"));
    EXPECT_EQ(window->StatusPanelText(1), "Local intranet");
    EXPECT_EQ(window->StatusPanelText(2), "");
    EXPECT_TRUE(window->imgUn->isVisible());
    EXPECT_FALSE(window->ImgSSL->isVisible());
    EXPECT_EQ(window->lblLevel->text(), "Secure Level: UnSecure");
    EXPECT_TRUE(logLines().contains("OnDocumentComplete: " + pageUrl("/plain.html")));

    EXPECT_EQ(securityItem(TMenuCommand::CheckRestrictedZone), "The page is not in your Resricted sites list zone!");
    EXPECT_EQ(securityItem(TMenuCommand::AddToRestrictedZone), "");
    EXPECT_EQ(securityItem(TMenuCommand::CheckRestrictedZone), "The page is in your Resricted sites list zone.");
    open(pageUrl("/popup.html"));
    EXPECT_EQ(window->StatusPanelText(1), "Restricted sites");
    EXPECT_EQ(window->lblZone->text(), "Restricted sites");
    EXPECT_EQ(securityItem(TMenuCommand::CheckSiteSecurityZone), "The Web Site Security Zone Is: Restricted sites");
    EXPECT_EQ(securityItem(TMenuCommand::CheckSiteSecurityLevel), "The site is not secured.");
    EXPECT_EQ(securityItem(TMenuCommand::CheckPageEncryption), "Secure Level: UnSecure");
    EXPECT_EQ(securityItem(TMenuCommand::AddToTrustedZone),
        "Only sites with https:// prefix (secured sites) can be added to the trusted sites list zone!");
}

struct SecurityPanel {
    QString sslPanel;
    bool sslPicture;
    QString level;
};

SecurityPanel securityPanel(const TfrmMain& window)
{
    return {
        window.StatusPanelText(2), window.ImgSSL->isVisible() && !window.imgUn->isVisible(), window.lblLevel->text()};
}

void expectPanel(const TfrmMain& window, const SecurityPanel& expected, const QString& page)
{
    const SecurityPanel shown = securityPanel(window);
    EXPECT_EQ(shown.sslPanel, expected.sslPanel) << page.toStdString();
    EXPECT_EQ(shown.sslPicture, expected.sslPicture) << page.toStdString();
    EXPECT_EQ(shown.level, expected.level) << page.toStdString();
    EXPECT_EQ(window.lblSSL->text(), expected.sslPanel) << page.toStdString();
}

TEST_F(MainWindowSecurity, TheSslPanelFollowsTheConnectionOfEachPage)
{
    const SecurityPanel secure{"SSL", true, "Secure Level: 128 Bit"};
    const SecurityPanel unsecure{"", false, "Secure Level: UnSecure"};
    const struct {
        QString url;
        SecurityPanel panel;
    } pages[] = {
        {pageUrl("/secure.html", trustedServer), secure},
        {pageUrl("/plain.html"), unsecure},
        {pageUrl("/secure.html", trustedServer), secure},
        // The engine refuses the certificate and shows its error page.
        {pageUrl("/secure.html", untrustedServer), unsecure},
    };
    for (const auto& page : pages) {
        open(page.url);
        expectPanel(*window, page.panel, page.url);
    }

    open(pageUrl("/secure.html", trustedServer));
    EXPECT_EQ(securityItem(TMenuCommand::CheckSiteSecurityLevel),
        "Secure Type: SSL\n\rDescription: It is a secure web page.");
    EXPECT_EQ(securityItem(TMenuCommand::CheckPageEncryption), "Secure Level: 128 Bit");
    EXPECT_EQ(securityItem(TMenuCommand::CheckTrustedZone), "The page is not in your truested sites list zone!");
    EXPECT_EQ(securityItem(TMenuCommand::AddToTrustedZone), "");
    EXPECT_EQ(securityItem(TMenuCommand::CheckTrustedZone), "The page is in your truested sites list zone.");
    open(pageUrl("/secure.html", trustedServer) + "?again");
    EXPECT_EQ(window->lblZone->text(), "Trusted sites");
}

TEST_F(MainWindowSecurity, WindowOpenIsRefusedWhileBlockPopupsIsDownAndOpensInAWindowOfOursOtherwise)
{
    open(pageUrl("/popup.html"));
    QWebEnginePage* page = dynamic_cast<QtWebBrowser*>(window->Sextant1->DefaultInterface())->page();
    const QString openPlain = "window.open('" + pageUrl("/plain.html") + "', '_blank');";
    // Browsers in visible windows other than the main one.
    const auto popupBrowsers = [this] {
        QList<TSextant*> browsers;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top != window.get() && top->isVisible())
                browsers += top->findChildren<TSextant*>();
        return browsers;
    };

    window->tbBlock->setChecked(true);
    page->runJavaScript(openPlain);
    ASSERT_TRUE(waitUntil([&] { return logLines().contains("OnNewWindow"); }));
    EXPECT_TRUE(popupBrowsers().isEmpty());

    window->tbBlock->setChecked(false);
    page->runJavaScript(openPlain);
    ASSERT_TRUE(waitUntil([&] { return popupBrowsers().size() == 1; }));
    TSextant* popup = popupBrowsers().front();
    EXPECT_TRUE(waitUntil([&] { return location(popup) == pageUrl("/plain.html") && !popup->Busy(); }))
        << location(popup).toStdString();
    EXPECT_EQ(logLines().count("OnNewWindow"), 2);
    QPointer<QWidget> popupWindow = popup->window();
    popupWindow->close();
    EXPECT_TRUE(waitUntil([&] { return popupWindow.isNull(); }));
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir profile;
    qputenv("ZARNWEB_HOME", profile.path().toUtf8());
    TlsFixtureServer trusted;
    TlsFixtureServer untrusted;
    // The engine trusts the first server's certificate, and no other, from its start.
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
        qgetenv("QTWEBENGINE_CHROMIUM_FLAGS") + " --ignore-certificate-errors-spki-list=" + trusted.spkiPin().c_str());
    PrepareWebEngineEnvironment();
    InstallQtWebBrowser();
    QApplication app(argc, argv);
    EnsureProfileDefaults();
    ScriptedDialogs scripted;
    dialogs = &scripted;
    FixtureServer fixture;
    fixture.server().Get("/plain.html", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("<html><head><title>plain</title></head><body>plain</body></html>", "text/html");
    });
    fixture.server().Get("/popup.html", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("<html><head><title>opener</title></head><body>opener</body></html>", "text/html");
    });
    fixture.start();
    server = &fixture;
    for (TlsFixtureServer* tls : {&trusted, &untrusted}) {
        tls->server().Get("/secure.html", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("<html><head><title>secure</title></head><body>secure</body></html>", "text/html");
        });
        tls->start();
    }
    trustedServer = &trusted;
    untrustedServer = &untrusted;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
