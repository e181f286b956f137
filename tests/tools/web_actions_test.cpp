// Web actions: favorites named safely from hostile page titles and never
// replaced without the user's word, downloads that tell their outcome, and
// navigation that posts form data the server sees.
#include "FixtureServer.h"
#include "ScriptedDialogs.h"
#include "ServerGate.h"
#include "browserhost/Sextant.h"
#include "platform/registry/Registry.h"
#include "platform/shell/ShortcutFiles.h"
#include "platform/shell/SpecialFolders.h"
#include "tools/BrowserSettings.h"
#include "tools/DocumentTools.h"
#include "tools/WebActions.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <atomic>

namespace {

TEST(AddToFavorites, WritesAShortcutAndAsksBeforeReplacing)
{
    const QString folder = SpecialFolderPath(CSIDL_FAVORITES);
    const QString file = folder + QStringLiteral("/_.._secret.url");
    QFile::remove(file);
    ScriptedDialogs dialogs;

    dialogs.Accept();
    ASSERT_TRUE(AddToFavorites(QStringLiteral("http://first.example/"), QStringLiteral("../../secret")));
    EXPECT_EQ(ReadInternetShortcutUrl(file), QStringLiteral("http://first.example/"));
    EXPECT_EQ(dialogs.Last().Value, QStringLiteral("_.._secret"));

    dialogs.Accept().Answer(mrNo);
    EXPECT_FALSE(AddToFavorites(QStringLiteral("http://second.example/"), QStringLiteral("../../secret")));
    EXPECT_EQ(dialogs.Last().Kind, QStringLiteral("MessageDlg"));
    EXPECT_EQ(ReadInternetShortcutUrl(file), QStringLiteral("http://first.example/"));

    dialogs.Accept().Answer(mrYes);
    EXPECT_TRUE(AddToFavorites(QStringLiteral("http://second.example/"), QStringLiteral("../../secret")));
    EXPECT_EQ(ReadInternetShortcutUrl(file), QStringLiteral("http://second.example/"));

    const size_t asked = dialogs.Calls().size();
    dialogs.Cancel();
    EXPECT_FALSE(AddToFavorites(QStringLiteral("http://third.example/"), QStringLiteral("Third")));
    EXPECT_FALSE(AddToFavorites(QStringLiteral(" "), QStringLiteral("Blank address")));
    EXPECT_FALSE(AddToFavorites(QStringLiteral("http://x.example/"), QStringLiteral(" ")));
    EXPECT_EQ(dialogs.Calls().size(), asked + 1) << "blank pages are not offered";
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/Third.url")));
}

class WebActionsServer : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        server = new FixtureServer;
        auto& s = server->server();
        s.Get("/file.txt",
            [](const httplib::Request&, httplib::Response& res) { res.set_content("body", "text/plain"); });
        s.Get("/titled", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("<html><head><title>../..\\Desk top</title></head></html>", "text/html");
        });
        s.Post("/form", [](const httplib::Request& req, httplib::Response& res) {
            // The title would fold the line break, so it is spelt out.
            std::string body = req.body;
            if (body.size() >= 2 && body.compare(body.size() - 2, 2, "\r\n") == 0)
                body.replace(body.size() - 2, 2, "<CRLF>");
            res.set_content("<html><head><title>" + req.get_header_value("Content-Type") + "|" + body + "|"
                    + req.get_param_value("q") + "</title></head></html>",
                "text/html");
        });
        s.Get("/slow", FirstThenQuiet(*gate));
        s.Get("/cached", [](const httplib::Request&, httplib::Response& res) {
            ++cachedHits;
            res.set_header("Cache-Control", "max-age=3600");
            res.set_content(
                "<html><head><title>Cached</title></head><body>" + std::string(20000, 'c') + "</body></html>",
                "text/html");
        });
        server->start();
    }
    static void TearDownTestSuite()
    {
        gate->Open();
        delete server;
    }
    static QString url(const char* path) { return QString::fromStdString(server->url(path)); }

    static inline FixtureServer* server = nullptr;
    static inline ServerGate* gate = new ServerGate;
    static inline std::atomic<int> cachedHits{0};
};

TEST_F(WebActionsServer, DownloadWithMessageTellsTheOutcome)
{
    QTemporaryDir folder;
    const QString target = folder.filePath(QStringLiteral("file.txt"));
    ScriptedDialogs dialogs;

    EXPECT_TRUE(DownloadFileWithMessage(url("/file.txt"), target, true));
    EXPECT_EQ(dialogs.Last().Caption, QStringLiteral("Download successful."));
    EXPECT_EQ(dialogs.Last().Text,
        QStringLiteral("Downloading: ") + url("/file.txt") + QStringLiteral("\n\rTo: ") + target
            + QStringLiteral("\n\rwas successfully finished."));

    EXPECT_FALSE(DownloadFileWithMessage(url("/missing"), folder.filePath(QStringLiteral("m")), true));
    EXPECT_EQ(dialogs.Last().Caption, QStringLiteral("Downloading Error!!"));
    EXPECT_EQ(dialogs.Last().Text, QStringLiteral("An error ocurred while downloading the file.") + url("/missing"));
    EXPECT_EQ(dialogs.Last().Type & 0xF0, MB_ICONERROR);

    const size_t shown = dialogs.Calls().size();
    EXPECT_TRUE(DownloadFileWithMessage(url("/file.txt"), folder.filePath(QStringLiteral("quiet")), false));
    EXPECT_FALSE(DownloadFileWithMessage(url("/missing"), folder.filePath(QStringLiteral("q2")), false));
    EXPECT_EQ(dialogs.Calls().size(), shown);
}

TEST_F(WebActionsServer, StopInTheProgressDialogCancelsTheDownloadWithoutAMessage)
{
    QTemporaryDir folder;
    const QString target = folder.filePath(QStringLiteral("slow.txt"));
    ScriptedDialogs dialogs;
    const QString address = url("/slow") + QStringLiteral("?<b>bold</b>");
    QString label, button;
    Qt::TextFormat format = Qt::AutoText;
    QTimer stopper;
    QObject::connect(&stopper, &QTimer::timeout, [&] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* progress = qobject_cast<QProgressDialog*>(window);
            if (!progress || !progress->isVisible())
                continue;
            label = progress->findChild<QLabel*>()->text();
            format = progress->findChild<QLabel*>()->textFormat();
            QPushButton* stop = progress->findChild<QPushButton*>();
            button = stop->text();
            stop->click();
        }
    });
    stopper.start(20);

    EXPECT_FALSE(DownloadFileWithMessage(address, target, true));
    EXPECT_EQ(label, QStringLiteral("Downloading: ") + address);
    EXPECT_EQ(format, Qt::PlainText) << "markup in an address is not rendered";
    EXPECT_EQ(button, QStringLiteral("Stop"));
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_TRUE(dialogs.Calls().empty()) << "the user who stopped needs no box";
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(), 0);
}

TEST_F(WebActionsServer, DownloadsAreCachedUntilTheCacheIsCleared)
{
    QTemporaryDir folder;
    ClearCache();
    ASSERT_TRUE(DownloadFile(url("/file.txt"), folder.filePath(QStringLiteral("one.txt"))));

    const QString cached = GetCachedPath(url("/file.txt"));
    ASSERT_FALSE(cached.isEmpty());
    QFile copy(cached);
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), "body");
    EXPECT_TRUE(GetCachedPath(url("/FILE.txt")).isEmpty()) << "letter case counts";
    EXPECT_TRUE(GetCachedPath(url("/missing")).isEmpty());

    const CacheCleared cleared = ClearCache();
    EXPECT_EQ(cleared.Files, 1);
    EXPECT_EQ(cleared.FileBytes, 4);
    EXPECT_FALSE(QFileInfo::exists(cached));
    EXPECT_TRUE(GetCachedPath(url("/file.txt")).isEmpty());
    EXPECT_EQ(ClearCache().Files, 0);
    EXPECT_TRUE(QFileInfo::exists(folder.filePath(QStringLiteral("one.txt"))));
}

TEST_F(WebActionsServer, ClearingTheEnginesCacheLetsPagesLoadAtOnce)
{
    QWidget form;
    form.resize(320, 240);
    TSextant browser(&form);
    form.show();
    browser.Navigate(url("/cached").toStdU16String());
    ASSERT_TRUE(browser.Wait(20000));
    browser.Navigate(url("/titled").toStdU16String());
    ASSERT_TRUE(browser.Wait(20000));

    const CacheCleared cleared = ClearCache();
    EXPECT_GT(cleared.EngineBytes, 0);
    const int served = cachedHits.load();
    browser.Navigate(url("/cached").toStdU16String());
    ASSERT_TRUE(browser.Wait(20000)) << "a load after clearing completes";
    EXPECT_EQ(cachedHits.load(), served + 1) << "the page came from the server again";
}

TEST_F(WebActionsServer, GoWithQueryDetailsPostsTheFormData)
{
    QWidget form;
    form.resize(320, 240);
    TSextant browser(&form);
    form.show();
    GoWithQueryDetails(browser, url("/form"), QStringLiteral("?q=zarn"));
    ASSERT_TRUE(browser.Wait(20000));
    EXPECT_EQ(QString::fromStdU16String(browser.LocationName()),
        QStringLiteral("application/x-www-form-urlencoded|version=current&name=myname<CRLF>|zarn"));
}

TEST_F(WebActionsServer, DesktopShortcutLinksThePageUnderASafeName)
{
    QWidget form;
    form.resize(320, 240);
    TSextant browser(&form);
    form.show();
    browser.Navigate(url("/titled").toStdU16String());
    ASSERT_TRUE(browser.Wait(20000));
    ScriptedDialogs dialogs;
    const QString file = SpecialFolderPath(CSIDL_DESKTOPDIRECTORY) + QStringLiteral("/_.._Desk top.desktop");

    ASSERT_TRUE(CreateDesktopShortcut(browser));
    EXPECT_EQ(ReadDesktopLinkUrl(file), url("/titled"));
    EXPECT_TRUE(dialogs.Calls().empty());

    dialogs.Answer(mrNo);
    EXPECT_FALSE(CreateDesktopShortcut(browser)) << "an existing link is kept without the user's word";
    EXPECT_EQ(dialogs.Last().Kind, QStringLiteral("MessageDlg"));
}

TEST(AboutBox, ShowsTheEngineVersion)
{
    TRegistry reg(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("Software\\Microsoft\\Internet Explorer"), true));
    reg.WriteString(QStringLiteral("svcVersion"), QStringLiteral("108.0.5359.220"));
    ScriptedDialogs dialogs;
    ShowIEVersionInfo();
    EXPECT_EQ(dialogs.Last().Caption, QStringLiteral("About ZarnWeb"));
    EXPECT_TRUE(dialogs.Last().Text.endsWith(QStringLiteral("Page engine version: 108.0.5359.220")))
        << dialogs.Last().Text.toStdString();
}

} // namespace
