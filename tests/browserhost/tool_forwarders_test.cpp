// The browser component's tool operations against a recording tool double:
// each calls its own tool once, supplies exactly what its row says, and
// waits for the page exactly when its row says; a repeated operation during
// its wait is ignored, and one whose component goes during the wait does not
// run its tool.
#include "FakeWebBrowser.h"
#include "browserhost/Sextant.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QTimer>

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace {

struct Recorded {
    std::string name;
    unsigned supplied;
};

class ToolForwarders : public ::testing::Test {
protected:
    ToolForwarders()
    {
        form.resize(400, 300);
        sextant = new TSextant(&form);
        sextant->setGeometry(0, 0, 400, 300);
        control = factory.last();
        control->document = &document;
        control->locationURL = u"http://example.test/page";
        control->locationName = u"Page";
        control->readyState = READYSTATE_LOADING;
        form.show();
        QApplication::processEvents();
        // Every wait ends at its first pass, as Stop would end it.
        sextant->OnBusyWait = [this](TSextant*, unsigned, unsigned&, bool& cancel) {
            ++waits;
            if (onWait)
                onWait();
            cancel = true;
        };
        saved = SxtTools();
        SxtTools() = recordingTools();
    }
    ~ToolForwarders() override { SxtTools() = saved; }

    void record(const char* name, unsigned supplied) { calls.push_back({name, supplied}); }
    unsigned ctl(IWebBrowser2* b) const { return b == control ? spControl : 0; }
    unsigned doc(IDispatch* d) const { return d == &document ? spDocument : 0; }
    unsigned self(const TSextant& s) const { return &s == sextant ? spSelf : 0; }
    unsigned owner(const QObject* o) const { return o == sextant ? spOwner : 0; }
    unsigned window(const QWidget* w) const { return w == sextant ? spWindow : 0; }
    unsigned url(const QString& u) const { return u == "http://example.test/page" ? spLocationURL : 0; }

    // The double: every tool notes its name and which of its arguments are
    // what the component supplies.
    TSxtTools recordingTools()
    {
        TSxtTools t;
        t.ScrollToTop = [this](IWebBrowser2* b) { record("ScrollToTop", ctl(b)); };
        t.ScrollToBottom = [this](IDispatch* d) { record("ScrollToBottom", doc(d)); };
        t.ScrollToPosition = [this](IWebBrowser2* b, int, int) { record("ScrollToPosition", ctl(b)); };
        t.SetCharacterSet = [this](TSextant& s, IDispatch* d, const QString&, bool r) {
            record("SetCharacterSet", self(s) | doc(d) | (r ? spRefresh : 0));
            return true;
        };
        t.GetThumbnail = [this](IDispatch* a, QLabel*) {
            record("GetThumbnail", a == static_cast<IDispatch*>(control) ? spApplication : 0);
        };
        t.GetScreenCapture = [this](IDispatch* d, QWidget* w, int width, int height, const QString&) {
            record("GetScreenCapture",
                doc(d) | window(w) | (width == sextant->width() && height == sextant->height() ? spSize : 0));
            return true;
        };
        t.GetJpegPageCapture = [this](IDispatch* d, IWebBrowser2* b, const QString&, int, int, int, int) {
            record("GetJpegPageCapture", doc(d) | ctl(b));
            return true;
        };
        t.ShowPageSourceText = [this](IWebBrowser2* b, IDispatch* d) { record("ShowPageSourceText", ctl(b) | doc(d)); };
        t.GetPageSourceText
            = [this](IWebBrowser2* b, IDispatch* d, QStringList&) { record("GetPageSourceText", ctl(b) | doc(d)); };
        t.GetPageSourceHtml
            = [this](IWebBrowser2* b, IDispatch* d, QStringList&) { record("GetPageSourceHtml", ctl(b) | doc(d)); };
        t.GetPageLinks = [this](IWebBrowser2* b, QStringList&) { record("GetPageLinks", ctl(b)); };
        t.OpenDialog = [this](TSextant& s, QWidget* o) {
            record("OpenDialog", self(s) | owner(o));
            return true;
        };
        t.SaveAs = [this](IDispatch* d) {
            record("SaveAs", doc(d));
            return true;
        };
        t.SaveDialog = [this](TSextant& s, QWidget* o, const QString&, const QString&, QString&) {
            record("SaveDialog", self(s) | owner(o));
        };
        const auto documentTool = [this](const char* name) {
            return [this, name](IDispatch* d) {
                record(name, doc(d));
                return true;
            };
        };
        t.ShowInternetOptions = documentTool("ShowInternetOptions");
        t.ShowPageProperties = documentTool("ShowPageProperties");
        t.ShowFindDialog = documentTool("ShowFindDialog");
        t.ViewPageSourceHtml = documentTool("ViewPageSourceHtml");
        t.ShowOrganizeFavorites = [this](QWidget* w) { record("ShowOrganizeFavorites", window(w)); };
        t.SaveAllImages = [this](IWebBrowser2* b, IDispatch* d) {
            record("SaveAllImages", ctl(b) | doc(d));
            return 1;
        };
        t.SavePageText = [this](TSextant& o, IWebBrowser2* b, IDispatch* d) {
            record("SavePageText", owner(&o) | ctl(b) | doc(d));
            return true;
        };
        t.ExploreFolder = [this](QWidget* w, const QString&) {
            record("ExploreFolder", window(w));
            return true;
        };
        const auto browserTool
            = [this](const char* name) { return [this, name](TSextant& s, const QString&) { record(name, self(s)); }; };
        t.SearchInGoogle = browserTool("SearchInGoogle");
        t.SearchInMsn = browserTool("SearchInMsn");
        t.SearchInYahoo = browserTool("SearchInYahoo");
        t.GoDownloadFile = browserTool("GoDownloadFile");
        t.AddToRestrictedZone = browserTool("AddToRestrictedZone");
        t.AddToTrustedZone = browserTool("AddToTrustedZone");
        t.DownloadFileWithMessage = [this](const QString&, const QString&, bool) {
            record("DownloadFileWithMessage", 0);
            return true;
        };
        t.GoWithQueryDetails
            = [this](TSextant& s, const QString&, const QString&) { record("GoWithQueryDetails", self(s)); };
        t.GoAboutBlank = [this](TSextant& s) {
            record("GoAboutBlank", self(s));
            return true;
        };
        const auto textTool = [this](const char* name) {
            return [this, name] {
                record(name, 0);
                return QStringLiteral("text");
            };
        };
        t.GetCookiesPath = textTool("GetCookiesPath");
        t.GetHistoryPath = textTool("GetHistoryPath");
        t.GetDefaultBrowserFromRegistry = textTool("GetDefaultBrowserFromRegistry");
        t.GetSpecialFolderPath = [this](int) {
            record("GetSpecialFolderPath", 0);
            return QStringLiteral("text");
        };
        t.GetCachedPath = [this](const QString&) {
            record("GetCachedPath", 0);
            return QStringLiteral("text");
        };
        t.GetIPAndHostName = [this](QString&, QString&, QString&) {
            record("GetIPAndHostName", 0);
            return true;
        };
        t.SendPageInMail = [this](TSextant& s, QObject*, const QString&, const TSxtMailTexts& texts) {
            // The texts arrive by name, whatever the order of the tool's own arguments.
            EXPECT_EQ(texts.Subject, "subject");
            EXPECT_EQ(texts.Body, "body");
            record("SendPageInMail", self(s));
            return true;
        };
        const auto plainTool = [this](const char* name) {
            return [this, name] {
                record(name, 0);
                return true;
            };
        };
        t.CreateNewMail = plainTool("CreateNewMail");
        t.DeleteHistory = plainTool("DeleteHistory");
        t.CheckOnlineStatus = plainTool("CheckOnlineStatus");
        const auto voidTool = [this](const char* name) { return [this, name] { record(name, 0); }; };
        t.ClearCache = voidTool("ClearCache");
        t.ClearTypedUrls = voidTool("ClearTypedUrls");
        t.WorkOffline = voidTool("WorkOffline");
        t.WorkOnline = voidTool("WorkOnline");
        t.RestoreFormPlacement = voidTool("RestoreFormPlacement");
        t.SaveFormPlacement = voidTool("SaveFormPlacement");
        t.SendUrlInMail = [this](const QString& address, const QString& title) {
            record("SendUrlInMail", url(address) | (title == "Page" ? spLocationName : 0));
            return true;
        };
        t.FillForm = [this](TSextant& s, const QString&, const QString&, int) {
            record("FillForm", self(s));
            return true;
        };
        const auto zoneTest = [this](const char* name) {
            return [this, name](const QString&, bool) {
                record(name, 0);
                return true;
            };
        };
        t.CheckIfInTrustedZone = zoneTest("CheckIfInTrustedZone");
        t.CheckIfInRestrictedZone = zoneTest("CheckIfInRestrictedZone");
        t.CheckSiteSecurityLevel = [this](TSXT* c, const QString& u, QString&, QString&) {
            record("CheckSiteSecurityLevel", url(u) | (c == sextant ? spControl : 0));
            return true;
        };
        t.CheckSiteSecurityZone = [this](const QString& u, QString&, QString&, QIcon&) {
            record("CheckSiteSecurityZone", url(u));
            return true;
        };
        t.ShowIEVersionInfo = [this](QWidget* w) { record("ShowIEVersionInfo", window(w)); };
        t.SetNewHomePage = [this](const QString&) { record("SetNewHomePage", 0); };
        t.GetLastVisitedPage = [this](QString&) {
            record("GetLastVisitedPage", 0);
            return true;
        };
        t.SaveLastVisitedPage = [this](TSextant* s, const QString& u) {
            record("SaveLastVisitedPage", (s == sextant ? spSelf : 0) | url(u));
            return true;
        };
        t.AddToFavorites = [this](const QString&, const QString&) {
            record("AddToFavorites", 0);
            return true;
        };
        t.CreateDesktopShortcut = [this](QWidget* w) {
            record("CreateDesktopShortcut", window(w));
            return true;
        };
        return t;
    }

    // Each operation as the main window asks for it.
    std::map<std::string, std::function<void(TSextant&)>> operations()
    {
        QString text, text2, text3;
        QStringList lines;
        QIcon icon;
        return {
            {"ScrollToTop", [](TSextant& s) { s.ScrollToTop(); }},
            {"ScrollToBottom", [](TSextant& s) { s.ScrollToBottom(); }},
            {"ScrollToPosition", [](TSextant& s) { s.ScrollToPosition(200, 200); }},
            {"SetCharacterSet", [](TSextant& s) { EXPECT_TRUE(s.SetCharacterSet("utf-8")); }},
            {"GetThumbnail", [this](TSextant& s) { s.GetThumbnail(&label); }},
            {"GetScreenCapture", [](TSextant& s) { EXPECT_TRUE(s.GetScreenCapture("f.bmp")); }},
            {"GetJpegPageCapture", [](TSextant& s) { EXPECT_TRUE(s.GetJpegPageCapture("f.jpg", 1, 2, 3, 4)); }},
            {"ShowPageSourceText", [](TSextant& s) { s.ShowPageSourceText(); }},
            {"GetPageSourceText", [lines](TSextant& s) mutable { s.GetPageSourceText(lines); }},
            {"GetPageSourceHtml", [lines](TSextant& s) mutable { s.GetPageSourceHtml(lines); }},
            {"GetPageLinks", [lines](TSextant& s) mutable { s.GetPageLinks(lines); }},
            {"OpenDialog", [](TSextant& s) { EXPECT_TRUE(s.OpenDialog()); }},
            {"SaveAs", [](TSextant& s) { EXPECT_TRUE(s.SaveAs()); }},
            {"SaveDialog", [text](TSextant& s) mutable { s.SaveDialog("", "", text); }},
            {"ShowInternetOptions", [](TSextant& s) { EXPECT_TRUE(s.ShowInternetOptions()); }},
            {"ShowPageProperties", [](TSextant& s) { EXPECT_TRUE(s.ShowPageProperties()); }},
            {"ShowOrganizeFavorites", [](TSextant& s) { s.ShowOrganizeFavorites(); }},
            {"ShowFindDialog", [](TSextant& s) { EXPECT_TRUE(s.ShowFindDialog()); }},
            {"SaveAllImages", [](TSextant& s) { EXPECT_EQ(s.SaveAllImages(), 1); }},
            {"ViewPageSourceHtml", [](TSextant& s) { EXPECT_TRUE(s.ViewPageSourceHtml()); }},
            {"SavePageText", [](TSextant& s) { EXPECT_TRUE(s.SavePageText()); }},
            {"ExploreFolder", [](TSextant& s) { EXPECT_TRUE(s.ExploreFolder("/")); }},
            {"SearchInGoogle", [](TSextant& s) { s.SearchInGoogle("Sextant"); }},
            {"SearchInMsn", [](TSextant& s) { s.SearchInMsn("Sextant"); }},
            {"SearchInYahoo", [](TSextant& s) { s.SearchInYahoo("Sextant"); }},
            {"GoDownloadFile", [](TSextant& s) { s.GoDownloadFile("http://x.test/f"); }},
            {"DownloadFileWithMessage",
                [](TSextant& s) { EXPECT_TRUE(s.DownloadFileWithMessage("http://x.test/f", "f", true)); }},
            {"GoWithQueryDetails", [](TSextant& s) { s.GoWithQueryDetails("http://x.test/", "q=1"); }},
            {"GoAboutBlank", [](TSextant& s) { EXPECT_TRUE(s.GoAboutBlank()); }},
            {"GetCookiesPath",
                [text](TSextant& s) mutable {
                    s.GetCookiesPath(text);
                    EXPECT_EQ(text, "text");
                }},
            {"GetHistoryPath",
                [text](TSextant& s) mutable {
                    s.GetHistoryPath(text);
                    EXPECT_EQ(text, "text");
                }},
            {"GetDefaultBrowserFromRegistry",
                [text](TSextant& s) mutable {
                    s.GetDefaultBrowserFromRegistry(text);
                    EXPECT_EQ(text, "text");
                }},
            {"GetSpecialFolderPath", [](TSextant& s) { EXPECT_EQ(s.GetSpecialFolderPath(nullptr, 16), "text"); }},
            {"GetCachedPath",
                [text](TSextant& s) mutable {
                    s.GetCachedPath("http://x.test/", text);
                    EXPECT_EQ(text, "text");
                }},
            {"GetIPAndHostName",
                [text, text2, text3](TSextant& s) mutable { EXPECT_TRUE(s.GetIPAndHostName(text, text2, text3)); }},
            {"SendPageInMail",
                [](TSextant& s) {
                    EXPECT_TRUE(s.SendPageInMail(nullptr, "Site.html", {.Subject = "subject", .Body = "body"}));
                }},
            {"CreateNewMail", [](TSextant& s) { EXPECT_TRUE(s.CreateNewMail()); }},
            {"SendUrlInMail", [](TSextant& s) { EXPECT_TRUE(s.SendUrlInMail()); }},
            {"FillForm", [](TSextant& s) { EXPECT_TRUE(s.FillForm("name", "value", 0)); }},
            {"ClearCache", [](TSextant& s) { s.ClearCache(); }},
            {"ClearTypedUrls", [](TSextant& s) { s.ClearTypedUrls(); }},
            {"DeleteHistory", [](TSextant& s) { EXPECT_TRUE(s.DeleteHistory()); }},
            {"CheckOnlineStatus", [](TSextant& s) { EXPECT_TRUE(s.CheckOnlineStatus()); }},
            {"WorkOffline", [](TSextant& s) { s.WorkOffline(); }},
            {"WorkOnline", [](TSextant& s) { s.WorkOnline(); }},
            {"AddToRestrictedZone", [](TSextant& s) { s.AddToRestrictedZone("http://x.test/"); }},
            {"AddToTrustedZone", [](TSextant& s) { s.AddToTrustedZone("http://x.test/"); }},
            {"CheckIfInTrustedZone", [](TSextant& s) { EXPECT_TRUE(s.CheckIfInTrustedZone("http://x.test/", false)); }},
            {"CheckIfInRestrictedZone",
                [](TSextant& s) { EXPECT_TRUE(s.CheckIfInRestrictedZone("http://x.test/", false)); }},
            {"CheckSiteSecurityLevel",
                [text, text2](TSextant& s) mutable { EXPECT_TRUE(s.CheckSiteSecurityLevel(text, text2)); }},
            {"CheckSiteSecurityZone",
                [text, text2, icon](TSextant& s) mutable { EXPECT_TRUE(s.CheckSiteSecurityZone(text, text2, icon)); }},
            {"RestoreFormPlacement", [](TSextant& s) { s.RestoreFormPlacement(); }},
            {"SaveFormPlacement", [](TSextant& s) { s.SaveFormPlacement(); }},
            {"ShowIEVersionInfo", [](TSextant& s) { s.ShowIEVersionInfo(); }},
            {"SetNewHomePage", [](TSextant& s) { s.SetNewHomePage("http://x.test/"); }},
            {"GetLastVisitedPage", [text](TSextant& s) mutable { EXPECT_TRUE(s.GetLastVisitedPage(text)); }},
            {"SaveLastVisitedPage", [](TSextant& s) { EXPECT_TRUE(s.SaveLastVisitedPage()); }},
            {"AddToFavorites", [](TSextant& s) { s.AddToFavorites("http://x.test/", "X"); }},
            {"CreateDesktopShortcut", [](TSextant& s) { s.CreateDesktopShortcut(); }},
        };
    }

    FakeWebBrowserFactory factory;
    QWidget form;
    QLabel label;
    IDispatch document;
    TSextant* sextant = nullptr;
    FakeWebBrowser* control = nullptr;
    TSxtTools saved;
    std::vector<Recorded> calls;
    int waits = 0;
    std::function<void()> onWait;
};

TEST_F(ToolForwarders, EachRowCallsItsToolWithWhatItSuppliesAndWaitsAsItSays)
{
    auto ops = operations();
    std::set<std::string> names;
    for (const TSxtForwarder& row : SxtForwarders()) {
        const std::string name(row.Name);
        EXPECT_TRUE(names.insert(name).second) << "two rows for " << name;
        const auto op = ops.find(name);
        ASSERT_NE(op, ops.end()) << "no operation for the row " << name;
        calls.clear();
        waits = 0;
        op->second(*sextant);
        ASSERT_EQ(calls.size(), 1u) << name;
        EXPECT_EQ(calls[0].name, name);
        EXPECT_EQ(calls[0].supplied, row.Supplies) << name;
        EXPECT_EQ(waits > 0, row.Waits) << name;
        ops.erase(op);
    }
    for (const auto& [name, op] : ops)
        ADD_FAILURE() << "an operation without a row: " << name;
}

TEST_F(ToolForwarders, WhileWaitingTheSameOperationIsIgnoredAndTheStatusSaysSo)
{
    QStringList status;
    sextant->OnStatusTextChange = [&](QObject*, const WideString& text) { status << QString::fromStdU16String(text); };
    onWait = [this] {
        onWait = nullptr;
        sextant->ScrollToTop(); // chosen again while the first waits
        sextant->ScrollToBottom(); // another operation runs
    };
    sextant->ScrollToTop();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].name, "ScrollToBottom");
    EXPECT_EQ(calls[1].name, "ScrollToTop");
    EXPECT_EQ(status.first(), "Waiting for the page...");
    EXPECT_EQ(status.last(), "");
    EXPECT_FALSE(QApplication::overrideCursor());

    // Without tools registered an operation does nothing.
    SxtTools() = TSxtTools();
    calls.clear();
    QStringList lines{"kept"};
    sextant->GetPageLinks(lines);
    EXPECT_EQ(lines, QStringList{"kept"});
    EXPECT_FALSE(sextant->GoAboutBlank());
}

TEST_F(ToolForwarders, AComponentDestroyedDuringTheWaitDoesNotRunItsTool)
{
    QPointer<TSextant> alive(sextant);
    sextant->OnBusyWait = [this](TSextant*, unsigned, unsigned&, bool&) {
        if (sextant) {
            TSextant* dying = sextant;
            sextant = nullptr;
            QTimer::singleShot(0, [dying] { delete dying; });
        }
    };
    alive->SavePageText();
    EXPECT_TRUE(alive.isNull());
    EXPECT_TRUE(calls.empty());
    EXPECT_FALSE(QApplication::overrideCursor());
}

} // namespace
