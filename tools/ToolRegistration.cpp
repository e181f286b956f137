#include "tools/ToolRegistration.h"

#include "browserhost/Sextant.h"
#include "browserhost/ToolForwarders.h"
#include "platform/shell/ProgramLauncher.h"
#include "tools/BrowserSettings.h"
#include "tools/DocumentTools.h"
#include "tools/FormPlacement.h"
#include "tools/OrganizeFavorites.h"
#include "tools/SecurityZones.h"
#include "tools/SendMail.h"
#include "tools/WebActions.h"

#include <QUrl>

void RegisterSxtTools()
{
    TSxtTools& t = SxtTools();
    t.ScrollToTop = [](IWebBrowser2* b) { ::ScrollToTop(b); };
    t.ScrollToBottom = [](IDispatch* d) { ::ScrollToBottom(d); };
    t.ScrollToPosition = [](IWebBrowser2* b, int x, int y) { ::ScrollToPosition(b, x, y); };
    t.SetCharacterSet
        = [](TSextant& s, IDispatch* d, const QString& c, bool r) { return ::SetCharacterSet(s, d, c, r); };
    t.GetThumbnail = [](IDispatch* a, QLabel* i) { ::GetThumbnail(a, i); };
    t.GetScreenCapture = [](IDispatch* d, QWidget* w, int width, int height, const QString& f) {
        return ::GetScreenCapture(d, w, width, height, f);
    };
    // The capture draws the page through the control; the document is not needed.
    t.GetJpegPageCapture = [](IDispatch*, IWebBrowser2* b, const QString& f, int sh, int sw, int th, int tw) {
        return ::GetJpegPageCapture(b, f, sh, sw, th, tw);
    };
    t.ShowPageSourceText = [](IWebBrowser2* b, IDispatch* d) { ::ShowPageSourceText(b, d); };
    t.GetPageSourceText = [](IWebBrowser2* b, IDispatch* d, QStringList& s) { ::GetPageSourceText(b, d, s); };
    t.GetPageSourceHtml = [](IWebBrowser2* b, IDispatch* d, QStringList& s) { ::GetPageSourceHtml(b, d, s); };
    t.GetPageLinks = [](IWebBrowser2* b, QStringList& s) { ::GetPageLinks(b, s); };
    t.OpenDialog = [](TSextant& s, QWidget* o) { return ::OpenDialog(s, o); };
    t.SaveAs = [](IDispatch* d) { return ::SaveAs(d); };
    t.SaveDialog = [](TSextant& s, QWidget* o, const QString& title, const QString& filter, QString& f) {
        ::SaveDialog(s, o, title, filter, f);
    };
    t.ShowInternetOptions = [](IDispatch* d) { return ::ShowInternetOptions(d); };
    t.ShowPageProperties = [](IDispatch* d) { return ::ShowPageProperties(d); };
    t.ShowOrganizeFavorites = [](QWidget* w) { ::ShowOrganizeFavorites(w); };
    t.ShowFindDialog = [](IDispatch* d) { return ::ShowFindDialog(d); };
    t.SaveAllImages = [](IWebBrowser2* b, IDispatch* d) { return ::SaveAllImages(b, d); };
    t.ViewPageSourceHtml = [](IDispatch* d) { return ::ViewPageSourceHtml(d); };
    t.SavePageText = [](TSextant& o, IWebBrowser2* b, IDispatch* d) { return ::SavePageText(o, b, d); };
    t.ExploreFolder
        = [](QWidget*, const QString& path) { return ProgramLauncher().openWithDesktop(QUrl::fromLocalFile(path)); };
    t.SearchInGoogle = [](TSextant& s, const QString& q) { ::SearchInGoogle(s, q); };
    t.SearchInMsn = [](TSextant& s, const QString& q) { ::SearchInMsn(s, q); };
    t.SearchInYahoo = [](TSextant& s, const QString& q) { ::SearchInYahoo(s, q); };
    t.GoDownloadFile = [](TSextant& s, const QString& u) { ::GoDownloadFile(s, u); };
    t.DownloadFileWithMessage
        = [](const QString& u, const QString& f, bool m) { return ::DownloadFileWithMessage(u, f, m); };
    t.GoWithQueryDetails = [](TSextant& s, const QString& u, const QString& q) { ::GoWithQueryDetails(s, u, q); };
    t.GoAboutBlank = [](TSextant& s) { return ::GoAboutBlank(s); };
    t.GetCookiesPath = [] { return ::GetCookiesPath(); };
    t.GetHistoryPath = [] { return ::GetHistoryPath(); };
    t.GetDefaultBrowserFromRegistry = [] { return ::GetDefaultBrowserFromRegistry(); };
    t.GetSpecialFolderPath = [](int csidl) { return ::GetSpecialFolderPath(csidl); };
    t.GetCachedPath = [](const QString& u) { return ::GetCachedPath(u); };
    t.GetIPAndHostName = [](QString& h, QString& a, QString& e) { return ::GetIPAndHostName(h, a, e); };
    t.SendPageInMail = [](TSextant& s, QObject* o, const QString& f, const TSxtMailTexts& texts) {
        return ::SendPageInMail(s, o, f, texts);
    };
    t.CreateNewMail = [] { return ::CreateNewMail(); };
    t.SendUrlInMail = [](const QString& a, const QString& title) { return ::SendUrlInMail(a, title); };
    t.FillForm = [](TSextant& s, const QString& f, const QString& v, int i) { return ::FillForm(s, f, v, i); };
    t.ClearCache = [] { ::ClearCache(); };
    t.ClearTypedUrls = [] { ::ClearTypedUrls(); };
    t.DeleteHistory = [] { return ::DeleteHistory(); };
    t.CheckOnlineStatus = [] { return ::CheckOnlineStatus(); };
    t.WorkOffline = [] { ::WorkOffline(); };
    t.WorkOnline = [] { ::WorkOnline(); };
    t.AddToRestrictedZone = [](TSextant&, const QString& u) { ::AddToRestrictedZone(u); };
    t.AddToTrustedZone = [](TSextant&, const QString& u) { ::AddToTrustedZone(u); };
    t.CheckIfInTrustedZone = [](const QString& u, bool f) { return ::CheckIfInTrustedZone(u, f); };
    t.CheckIfInRestrictedZone = [](const QString& u, bool f) { return ::CheckIfInRestrictedZone(u, f); };
    t.CheckSiteSecurityLevel = [](TSXT* c, const QString& u, QString& type, QString& description) {
        return ::CheckSiteSecurityLevel(c, u, type, description);
    };
    t.CheckSiteSecurityZone = [](const QString& u, QString& name, QString& description, QIcon& icon) {
        return ::CheckSiteSecurityZone(u, name, description, icon);
    };
    t.RestoreFormPlacement = [] { ::RestoreFormPlacement(); };
    t.SaveFormPlacement = [] { ::SaveFormPlacement(); };
    t.ShowIEVersionInfo = [](QWidget*) { ::ShowIEVersionInfo(); };
    t.SetNewHomePage = [](const QString& u) { ::SetNewHomePage(u); };
    t.GetLastVisitedPage = [](QString& u) { return ::GetLastVisitedPage(u); };
    t.SaveLastVisitedPage = [](TSextant* s, const QString& u) { return ::SaveLastVisitedPage(s, u); };
    t.AddToFavorites = [](const QString& u, const QString& title) { return ::AddToFavorites(u, title); };
    t.CreateDesktopShortcut = [](QWidget* w) {
        auto* browser = qobject_cast<TSextant*>(w);
        return browser && ::CreateDesktopShortcut(*browser);
    };
}
