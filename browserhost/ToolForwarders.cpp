#include "browserhost/ToolForwarders.h"

#include "browserhost/Sextant.h"

#include <QApplication>
#include <QCursor>
#include <QPointer>

#include <algorithm>
#include <type_traits>

const std::vector<TSxtForwarder>& SxtForwarders()
{
    static const std::vector<TSxtForwarder> table{
        {"ScrollToTop", true, spControl},
        {"ScrollToBottom", true, spDocument},
        {"ScrollToPosition", true, spControl},
        {"SetCharacterSet", false, spSelf | spDocument | spRefresh},
        {"GetThumbnail", false, spApplication},
        {"GetScreenCapture", false, spDocument | spWindow | spSize},
        {"GetJpegPageCapture", false, spDocument | spControl},
        {"ShowPageSourceText", false, spControl | spDocument},
        {"GetPageSourceText", true, spControl | spDocument},
        {"GetPageSourceHtml", true, spControl | spDocument},
        {"GetPageLinks", false, spControl},
        {"OpenDialog", false, spSelf | spOwner},
        {"SaveAs", false, spDocument},
        {"SaveDialog", false, spSelf | spOwner},
        {"ShowInternetOptions", false, spDocument},
        {"ShowPageProperties", false, spDocument},
        {"ShowOrganizeFavorites", false, spWindow},
        {"ShowFindDialog", false, spDocument},
        {"SaveAllImages", false, spControl | spDocument},
        {"ViewPageSourceHtml", false, spDocument},
        {"SavePageText", true, spOwner | spControl | spDocument},
        {"ExploreFolder", false, spWindow},
        {"SearchInGoogle", false, spSelf},
        {"SearchInMsn", false, spSelf},
        {"SearchInYahoo", false, spSelf},
        {"GoDownloadFile", false, spSelf},
        {"DownloadFileWithMessage", false, spNothing},
        {"GoWithQueryDetails", false, spSelf},
        {"GoAboutBlank", false, spSelf},
        {"GetCookiesPath", false, spNothing},
        {"GetHistoryPath", false, spNothing},
        {"GetDefaultBrowserFromRegistry", false, spNothing},
        {"GetSpecialFolderPath", false, spNothing},
        {"GetCachedPath", false, spNothing},
        {"GetIPAndHostName", false, spNothing},
        {"SendPageInMail", false, spSelf},
        {"CreateNewMail", false, spNothing},
        {"SendUrlInMail", false, spLocationURL | spLocationName},
        {"FillForm", false, spSelf},
        {"ClearCache", false, spNothing},
        {"ClearTypedUrls", false, spNothing},
        {"DeleteHistory", false, spNothing},
        {"CheckOnlineStatus", false, spNothing},
        {"WorkOffline", false, spNothing},
        {"WorkOnline", false, spNothing},
        {"AddToRestrictedZone", false, spSelf},
        {"AddToTrustedZone", false, spSelf},
        {"CheckIfInTrustedZone", false, spNothing},
        {"CheckIfInRestrictedZone", false, spNothing},
        {"CheckSiteSecurityLevel", false, spLocationURL | spControl},
        {"CheckSiteSecurityZone", false, spLocationURL},
        {"RestoreFormPlacement", false, spNothing},
        {"SaveFormPlacement", false, spNothing},
        {"ShowIEVersionInfo", false, spWindow},
        {"SetNewHomePage", false, spNothing},
        {"GetLastVisitedPage", false, spNothing},
        {"SaveLastVisitedPage", false, spSelf | spLocationURL},
        {"AddToFavorites", false, spNothing},
        {"CreateDesktopShortcut", false, spWindow},
    };
    return table;
}

const TSxtForwarder* FindSxtForwarder(std::string_view name)
{
    const auto& table = SxtForwarders();
    const auto row
        = std::find_if(table.begin(), table.end(), [name](const TSxtForwarder& r) { return r.Name == name; });
    return row == table.end() ? nullptr : &*row;
}

TSxtTools& SxtTools()
{
    static TSxtTools tools;
    return tools;
}

TSextant& TSxtToolForwarders::Host() { return static_cast<TSextant&>(*this); }

namespace {
// A tool's answer when it does not run.
template <class R> R nothing()
{
    if constexpr (!std::is_void_v<R>)
        return R{};
}

QString text(const WideString& value) { return QString::fromStdU16String(value); }
} // namespace

template <class Call> auto TSxtToolForwarders::Forward(std::string_view name, Call call) -> decltype(call())
{
    using R = decltype(call());
    const TSxtForwarder* row = FindSxtForwarder(name);
    if (!row || !row->Waits)
        return call();
    if (std::find(waiting_.begin(), waiting_.end(), name) != waiting_.end())
        return nothing<R>();
    QPointer<TSextant> host(&Host());
    const auto status = [&host](const QString& text) {
        if (host && host->OnStatusTextChange)
            host->OnStatusTextChange(host.data(), text.toStdU16String());
    };
    waiting_.push_back(name);
    QApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
    status(QStringLiteral("Waiting for the page..."));
    host->Wait();
    QApplication::restoreOverrideCursor();
    if (!host)
        return nothing<R>();
    waiting_.erase(std::find(waiting_.begin(), waiting_.end(), name));
    status(QString());
    if (QCoreApplication::closingDown())
        return nothing<R>();
    return call();
}

#define SXT_FORWARD(name, ...)                                                                                         \
    Forward(#name, [&] {                                                                                               \
        auto& tool = SxtTools().name;                                                                                  \
        using R = decltype(tool(__VA_ARGS__));                                                                         \
        return tool ? tool(__VA_ARGS__) : nothing<R>();                                                                \
    })

void TSxtToolForwarders::ScrollToTop() { SXT_FORWARD(ScrollToTop, Host().ControlInterface()); }
void TSxtToolForwarders::ScrollToBottom() { SXT_FORWARD(ScrollToBottom, Host().Document()); }
void TSxtToolForwarders::ScrollToPosition(int X, int Y)
{
    SXT_FORWARD(ScrollToPosition, Host().ControlInterface(), X, Y);
}
bool TSxtToolForwarders::SetCharacterSet(const QString& CharSet)
{
    return SXT_FORWARD(SetCharacterSet, Host(), Host().Document(), CharSet, true);
}
void TSxtToolForwarders::GetThumbnail(QLabel* Image) { SXT_FORWARD(GetThumbnail, Host().Application(), Image); }
bool TSxtToolForwarders::GetScreenCapture(const QString& FileName)
{
    return SXT_FORWARD(GetScreenCapture, Host().Document(), &Host(), Host().width(), Host().height(), FileName);
}
bool TSxtToolForwarders::GetJpegPageCapture(
    const QString& FileName, int SourceHeight, int SourceWidth, int TargetHeight, int TargetWidth)
{
    return SXT_FORWARD(GetJpegPageCapture, Host().Document(), Host().ControlInterface(), FileName, SourceHeight,
        SourceWidth, TargetHeight, TargetWidth);
}
void TSxtToolForwarders::ShowPageSourceText()
{
    SXT_FORWARD(ShowPageSourceText, Host().ControlInterface(), Host().Document());
}
void TSxtToolForwarders::GetPageSourceText(QStringList& Strings)
{
    SXT_FORWARD(GetPageSourceText, Host().ControlInterface(), Host().Document(), Strings);
}
void TSxtToolForwarders::GetPageSourceHtml(QStringList& Strings)
{
    SXT_FORWARD(GetPageSourceHtml, Host().ControlInterface(), Host().Document(), Strings);
}
void TSxtToolForwarders::GetPageLinks(QStringList& Strings)
{
    SXT_FORWARD(GetPageLinks, Host().ControlInterface(), Strings);
}
bool TSxtToolForwarders::OpenDialog() { return SXT_FORWARD(OpenDialog, Host(), &Host()); }
bool TSxtToolForwarders::SaveAs() { return SXT_FORWARD(SaveAs, Host().Document()); }
void TSxtToolForwarders::SaveDialog(const QString& Title, const QString& Filter, QString& FileName)
{
    SXT_FORWARD(SaveDialog, Host(), &Host(), Title, Filter, FileName);
}
bool TSxtToolForwarders::ShowInternetOptions() { return SXT_FORWARD(ShowInternetOptions, Host().Document()); }
bool TSxtToolForwarders::ShowPageProperties() { return SXT_FORWARD(ShowPageProperties, Host().Document()); }
void TSxtToolForwarders::ShowOrganizeFavorites() { SXT_FORWARD(ShowOrganizeFavorites, &Host()); }
bool TSxtToolForwarders::ShowFindDialog() { return SXT_FORWARD(ShowFindDialog, Host().Document()); }
int TSxtToolForwarders::SaveAllImages()
{
    return SXT_FORWARD(SaveAllImages, Host().ControlInterface(), Host().Document());
}
bool TSxtToolForwarders::ViewPageSourceHtml() { return SXT_FORWARD(ViewPageSourceHtml, Host().Document()); }
bool TSxtToolForwarders::SavePageText()
{
    return SXT_FORWARD(SavePageText, Host(), Host().ControlInterface(), Host().Document());
}
bool TSxtToolForwarders::ExploreFolder(const QString& Path) { return SXT_FORWARD(ExploreFolder, &Host(), Path); }
void TSxtToolForwarders::SearchInGoogle(const QString& Text) { SXT_FORWARD(SearchInGoogle, Host(), Text); }
void TSxtToolForwarders::SearchInMsn(const QString& Text) { SXT_FORWARD(SearchInMsn, Host(), Text); }
void TSxtToolForwarders::SearchInYahoo(const QString& Text) { SXT_FORWARD(SearchInYahoo, Host(), Text); }
void TSxtToolForwarders::GoDownloadFile(const QString& Url) { SXT_FORWARD(GoDownloadFile, Host(), Url); }
bool TSxtToolForwarders::DownloadFileWithMessage(const QString& Url, const QString& FileName, bool ShowMessages)
{
    return SXT_FORWARD(DownloadFileWithMessage, Url, FileName, ShowMessages);
}
void TSxtToolForwarders::GoWithQueryDetails(const QString& Url, const QString& Query)
{
    SXT_FORWARD(GoWithQueryDetails, Host(), Url, Query);
}
bool TSxtToolForwarders::GoAboutBlank() { return SXT_FORWARD(GoAboutBlank, Host()); }
void TSxtToolForwarders::GetCookiesPath(QString& Text) { Text = SXT_FORWARD(GetCookiesPath); }
void TSxtToolForwarders::GetHistoryPath(QString& Text) { Text = SXT_FORWARD(GetHistoryPath); }
void TSxtToolForwarders::GetDefaultBrowserFromRegistry(QString& Text)
{
    Text = SXT_FORWARD(GetDefaultBrowserFromRegistry);
}
QString TSxtToolForwarders::GetSpecialFolderPath(QWidget* Window, int CSIDL)
{
    Q_UNUSED(Window);
    return SXT_FORWARD(GetSpecialFolderPath, CSIDL);
}
void TSxtToolForwarders::GetCachedPath(const QString& Url, QString& LocalFile)
{
    LocalFile = SXT_FORWARD(GetCachedPath, Url);
}
bool TSxtToolForwarders::GetIPAndHostName(QString& Host, QString& IP, QString& Error)
{
    return SXT_FORWARD(GetIPAndHostName, Host, IP, Error);
}
bool TSxtToolForwarders::SendPageInMail(QObject* Owner, const QString& FileName, const TSxtMailTexts& Texts)
{
    return SXT_FORWARD(SendPageInMail, Host(), Owner, FileName, Texts);
}
bool TSxtToolForwarders::CreateNewMail() { return SXT_FORWARD(CreateNewMail); }
bool TSxtToolForwarders::SendUrlInMail()
{
    return SXT_FORWARD(SendUrlInMail, text(Host().LocationURL()), text(Host().LocationName()));
}
bool TSxtToolForwarders::FillForm(const QString& FieldName, const QString& Value, int Index)
{
    return SXT_FORWARD(FillForm, Host(), FieldName, Value, Index);
}
void TSxtToolForwarders::ClearCache() { SXT_FORWARD(ClearCache); }
void TSxtToolForwarders::ClearTypedUrls() { SXT_FORWARD(ClearTypedUrls); }
bool TSxtToolForwarders::DeleteHistory() { return SXT_FORWARD(DeleteHistory); }
bool TSxtToolForwarders::CheckOnlineStatus() { return SXT_FORWARD(CheckOnlineStatus); }
void TSxtToolForwarders::WorkOffline() { SXT_FORWARD(WorkOffline); }
void TSxtToolForwarders::WorkOnline() { SXT_FORWARD(WorkOnline); }
void TSxtToolForwarders::AddToRestrictedZone(const QString& Url) { SXT_FORWARD(AddToRestrictedZone, Host(), Url); }
void TSxtToolForwarders::AddToTrustedZone(const QString& Url) { SXT_FORWARD(AddToTrustedZone, Host(), Url); }
bool TSxtToolForwarders::CheckIfInTrustedZone(const QString& Url, bool Flag)
{
    return SXT_FORWARD(CheckIfInTrustedZone, Url, Flag);
}
bool TSxtToolForwarders::CheckIfInRestrictedZone(const QString& Url, bool Flag)
{
    return SXT_FORWARD(CheckIfInRestrictedZone, Url, Flag);
}
bool TSxtToolForwarders::CheckSiteSecurityLevel(QString& Text, QString& Description)
{
    return SXT_FORWARD(CheckSiteSecurityLevel, &Host(), text(Host().LocationURL()), Text, Description);
}
bool TSxtToolForwarders::CheckSiteSecurityZone(QString& Name, QString& Description, QIcon& Icon)
{
    return SXT_FORWARD(CheckSiteSecurityZone, text(Host().LocationURL()), Name, Description, Icon);
}
void TSxtToolForwarders::RestoreFormPlacement() { SXT_FORWARD(RestoreFormPlacement); }
void TSxtToolForwarders::SaveFormPlacement() { SXT_FORWARD(SaveFormPlacement); }
void TSxtToolForwarders::ShowIEVersionInfo() { SXT_FORWARD(ShowIEVersionInfo, &Host()); }
void TSxtToolForwarders::SetNewHomePage(const QString& Url) { SXT_FORWARD(SetNewHomePage, Url); }
bool TSxtToolForwarders::GetLastVisitedPage(QString& Url) { return SXT_FORWARD(GetLastVisitedPage, Url); }
bool TSxtToolForwarders::SaveLastVisitedPage()
{
    return SXT_FORWARD(SaveLastVisitedPage, &Host(), text(Host().LocationURL()));
}
void TSxtToolForwarders::AddToFavorites(const QString& Url, const QString& Title)
{
    SXT_FORWARD(AddToFavorites, Url, Title);
}
void TSxtToolForwarders::CreateDesktopShortcut() { SXT_FORWARD(CreateDesktopShortcut, &Host()); }
