#pragma once
// The browser component's tool operations: one operation of TSextant per
// browser tool, so that the main window can ask its browser for a tool
// without gathering the tool's arguments itself. Each operation supplies what
// the tool needs of the component, for some first waits until the page is
// complete, and calls the tool; the contract, the messages and the failures
// are the tool's.
//
// The host never calls into the tools library: it declares what each
// operation calls (TSxtTools) and the tools library registers the
// implementations (RegisterSxtTools, tools/ToolRegistration.h). An operation
// whose tool is not registered does nothing and answers False, 0 or an empty
// text.
//
// Waiting operations wait without a time-out, with events processed, a busy
// cursor shown and the status text "Waiting for the page...". While one
// waits, the same operation asked for again (a nested command) is ignored;
// Stop ends the wait. A wait ended by Stop, by OnBusyWait's Cancel or by a
// time-out still runs the tool; one ended because the component is being
// destroyed or the application quits does not.
#include "platform/com/ComTypes.h"

#include <QIcon>
#include <QString>
#include <QStringList>

#include <functional>
#include <string_view>
#include <vector>

class QLabel;
class QObject;
class QWidget;
class TSextant;
class TSXT;
struct IWebBrowser2;
struct IDispatch;

// What an operation supplies of the component, as flags.
enum TSxtSupply : unsigned {
    spNothing = 0,
    spControl = 1 << 0, // its control object (IWebBrowser2)
    spDocument = 1 << 1, // its document (IDispatch)
    spApplication = 1 << 2, // its control's Application object
    spWindow = 1 << 3, // its window
    spSelf = 1 << 4, // the component itself, as browser
    spOwner = 1 << 5, // the component itself, as owner of a dialog or file
    spSize = 1 << 6, // its width and height
    spLocationURL = 1 << 7,
    spLocationName = 1 << 8,
    spRefresh = 1 << 9, // a request to refresh the page (True)
};

// One operation: its name (the tool's), whether it waits for the page first,
// and what it supplies.
struct TSxtForwarder {
    std::string_view Name;
    bool Waits;
    unsigned Supplies;
};

// Every operation, in one table; the operations below follow it.
const std::vector<TSxtForwarder>& SxtForwarders();
// The row of name; nullptr for a name that is no operation.
const TSxtForwarder* FindSxtForwarder(std::string_view name);

// The texts of a mail, by name so that they cannot change places.
struct TSxtMailTexts {
    QString Subject;
    QString Body;
};

// What each operation calls: the tool's arguments with what the component
// supplies first, in the order of its row's flags.
struct TSxtTools {
    std::function<void(IWebBrowser2*)> ScrollToTop;
    std::function<void(IDispatch* Document)> ScrollToBottom;
    std::function<void(IWebBrowser2*, int X, int Y)> ScrollToPosition;
    std::function<bool(TSextant&, IDispatch* Document, const QString& CharSet, bool Refresh)> SetCharacterSet;
    std::function<void(IDispatch* Application, QLabel* Image)> GetThumbnail;
    std::function<bool(IDispatch* Document, QWidget* Window, int Width, int Height, const QString& FileName)>
        GetScreenCapture;
    std::function<bool(IDispatch* Document, IWebBrowser2*, const QString& FileName, int SourceHeight, int SourceWidth,
        int TargetHeight, int TargetWidth)>
        GetJpegPageCapture;
    std::function<void(IWebBrowser2*, IDispatch* Document)> ShowPageSourceText;
    std::function<void(IWebBrowser2*, IDispatch* Document, QStringList& Strings)> GetPageSourceText;
    std::function<void(IWebBrowser2*, IDispatch* Document, QStringList& Strings)> GetPageSourceHtml;
    std::function<void(IWebBrowser2*, QStringList& Strings)> GetPageLinks;
    std::function<bool(TSextant& Browser, QWidget* Owner)> OpenDialog;
    std::function<bool(IDispatch* Document)> SaveAs;
    std::function<void(
        TSextant& Browser, QWidget* Owner, const QString& Title, const QString& Filter, QString& FileName)>
        SaveDialog;
    std::function<bool(IDispatch* Document)> ShowInternetOptions;
    std::function<bool(IDispatch* Document)> ShowPageProperties;
    std::function<void(QWidget* Window)> ShowOrganizeFavorites;
    std::function<bool(IDispatch* Document)> ShowFindDialog;
    std::function<int(IWebBrowser2*, IDispatch* Document)> SaveAllImages;
    std::function<bool(IDispatch* Document)> ViewPageSourceHtml;
    std::function<bool(TSextant& Owner, IWebBrowser2*, IDispatch* Document)> SavePageText;
    std::function<bool(QWidget* Window, const QString& Path)> ExploreFolder;
    std::function<void(TSextant&, const QString& Text)> SearchInGoogle;
    std::function<void(TSextant&, const QString& Text)> SearchInMsn;
    std::function<void(TSextant&, const QString& Text)> SearchInYahoo;
    std::function<void(TSextant&, const QString& Url)> GoDownloadFile;
    std::function<bool(const QString& Url, const QString& FileName, bool ShowMessages)> DownloadFileWithMessage;
    std::function<void(TSextant&, const QString& Url, const QString& Query)> GoWithQueryDetails;
    std::function<bool(TSextant&)> GoAboutBlank;
    std::function<QString()> GetCookiesPath;
    std::function<QString()> GetHistoryPath;
    std::function<QString()> GetDefaultBrowserFromRegistry;
    std::function<QString(int CSIDL)> GetSpecialFolderPath;
    std::function<QString(const QString& Url)> GetCachedPath;
    std::function<bool(QString& Host, QString& IP, QString& Error)> GetIPAndHostName;
    std::function<bool(TSextant&, QObject* Owner, const QString& FileName, const TSxtMailTexts& Texts)> SendPageInMail;
    std::function<bool()> CreateNewMail;
    std::function<bool(const QString& Address, const QString& Title)> SendUrlInMail;
    std::function<bool(TSextant&, const QString& FieldName, const QString& Value, int Index)> FillForm;
    std::function<void()> ClearCache;
    std::function<void()> ClearTypedUrls;
    std::function<bool()> DeleteHistory;
    std::function<bool()> CheckOnlineStatus;
    std::function<void()> WorkOffline;
    std::function<void()> WorkOnline;
    std::function<void(TSextant&, const QString& Url)> AddToRestrictedZone;
    std::function<void(TSextant&, const QString& Url)> AddToTrustedZone;
    std::function<bool(const QString& Url, bool Flag)> CheckIfInTrustedZone;
    std::function<bool(const QString& Url, bool Flag)> CheckIfInRestrictedZone;
    std::function<bool(TSXT* Control, const QString& LocationURL, QString& Text, QString& Description)>
        CheckSiteSecurityLevel;
    std::function<bool(const QString& LocationURL, QString& Name, QString& Description, QIcon& Icon)>
        CheckSiteSecurityZone;
    std::function<void()> RestoreFormPlacement;
    std::function<void()> SaveFormPlacement;
    std::function<void(QWidget* Window)> ShowIEVersionInfo;
    std::function<void(const QString& Url)> SetNewHomePage;
    std::function<bool(QString& Url)> GetLastVisitedPage;
    std::function<bool(TSextant*, const QString& LocationURL)> SaveLastVisitedPage;
    std::function<bool(const QString& Url, const QString& Title)> AddToFavorites;
    std::function<bool(QWidget* Window)> CreateDesktopShortcut;
};

// The registered tools of the process; every member empty until the tools
// library registered them. Used on the user-interface thread only.
TSxtTools& SxtTools();

// The operations, as TSextant has them (TSextant derives from this class).
// Each keeps its tool's contract and result.
class TSxtToolForwarders {
public:
    void ScrollToTop();
    void ScrollToBottom();
    void ScrollToPosition(int X, int Y);
    bool SetCharacterSet(const QString& CharSet);
    void GetThumbnail(QLabel* Image);
    bool GetScreenCapture(const QString& FileName);
    bool GetJpegPageCapture(
        const QString& FileName, int SourceHeight, int SourceWidth, int TargetHeight, int TargetWidth);
    void ShowPageSourceText();
    void GetPageSourceText(QStringList& Strings);
    void GetPageSourceHtml(QStringList& Strings);
    void GetPageLinks(QStringList& Strings);
    bool OpenDialog();
    bool SaveAs();
    void SaveDialog(const QString& Title, const QString& Filter, QString& FileName);
    bool ShowInternetOptions();
    bool ShowPageProperties();
    void ShowOrganizeFavorites();
    bool ShowFindDialog();
    int SaveAllImages();
    bool ViewPageSourceHtml();
    bool SavePageText();
    bool ExploreFolder(const QString& Path);
    void SearchInGoogle(const QString& Text);
    void SearchInMsn(const QString& Text);
    void SearchInYahoo(const QString& Text);
    void GoDownloadFile(const QString& Url);
    bool DownloadFileWithMessage(const QString& Url, const QString& FileName, bool ShowMessages);
    void GoWithQueryDetails(const QString& Url, const QString& Query);
    bool GoAboutBlank();
    void GetCookiesPath(QString& Text);
    void GetHistoryPath(QString& Text);
    void GetDefaultBrowserFromRegistry(QString& Text);
    // Window is the caller's; the folder does not depend on it.
    QString GetSpecialFolderPath(QWidget* Window, int CSIDL);
    void GetCachedPath(const QString& Url, QString& LocalFile);
    bool GetIPAndHostName(QString& Host, QString& IP, QString& Error);
    bool SendPageInMail(QObject* Owner, const QString& FileName, const TSxtMailTexts& Texts);
    bool CreateNewMail();
    bool SendUrlInMail();
    bool FillForm(const QString& FieldName, const QString& Value, int Index);
    void ClearCache();
    void ClearTypedUrls();
    bool DeleteHistory();
    bool CheckOnlineStatus();
    void WorkOffline();
    void WorkOnline();
    void AddToRestrictedZone(const QString& Url);
    void AddToTrustedZone(const QString& Url);
    bool CheckIfInTrustedZone(const QString& Url, bool Flag);
    bool CheckIfInRestrictedZone(const QString& Url, bool Flag);
    bool CheckSiteSecurityLevel(QString& Text, QString& Description);
    bool CheckSiteSecurityZone(QString& Name, QString& Description, QIcon& Icon);
    void RestoreFormPlacement();
    void SaveFormPlacement();
    void ShowIEVersionInfo();
    void SetNewHomePage(const QString& Url);
    bool GetLastVisitedPage(QString& Url);
    bool SaveLastVisitedPage();
    void AddToFavorites(const QString& Url, const QString& Title);
    void CreateDesktopShortcut();

protected:
    TSxtToolForwarders() = default;
    ~TSxtToolForwarders() = default;

private:
    TSextant& Host();
    // Waits for the page when name's row says so. False when the tool must
    // not run: the same operation is already waiting, or the component or
    // the application went away during the wait.
    template <class Call> auto Forward(std::string_view name, Call call) -> decltype(call());

    std::vector<std::string_view> waiting_;
};
