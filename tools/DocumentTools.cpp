#include "tools/DocumentTools.h"

#include "browserhost/DocumentOps.h"
#include "browserhost/LateBound.h"
#include "platform/files/SafeFile.h"
#include "platform/ui/Dialogs.h"
#include "platform/urlmon/DownloadToFile.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QStandardPaths>
#include <QUrl>

namespace {

constexpr const char* NoLinksLine = "No Links found in the page body";
constexpr std::int32_t RefreshWithCharset = 7;
// Navigate flags that let the control offer an address for download:
// navNoHistory, navNoReadFromCache, navNoWriteToCache, navAllowAutosearch,
// navBrowserBar.
constexpr std::int32_t DownloadNavigateFlags = 2 | 4 | 8 | 16 | 32;
const QStringList SavedPictureExtensions
    = {QStringLiteral("GIF"), QStringLiteral("JPG"), QStringLiteral("BMP"), QStringLiteral("PNG")};

// A filter text from description and pattern pairs: every pattern but the
// last is followed by a line feed and a carriage return.
QString filterOf(std::initializer_list<std::pair<const char*, const char*>> pairs)
{
    QStringList parts;
    for (const auto& [description, pattern] : pairs)
        parts << QString::fromUtf8(description) << QString::fromUtf8(pattern) + QStringLiteral("\n\r");
    QString filter = parts.join(u'|');
    filter.chop(2);
    return filter;
}

OleObject documentOf(IWebBrowser2* Browser)
{
    Variant document;
    if (!Browser || FAILED(Browser->GetProperty(DISPID_DOCUMENT, document)))
        return {};
    return OleObject(DispatchOf(document));
}

void scrollTo(IWebBrowser2* Browser, int X, int Y)
{
    try {
        const OleObject document = documentOf(Browser);
        if (IsHtmlDocument(document.get()))
            document.Object(u"ParentWindow").Call(u"ScrollTo", {Variant(X), Variant(Y)});
    } catch (const std::exception&) {}
}

void collectLinks(const OleObject& document, QStringList& Strings)
{
    if (!document)
        return;
    const OleObject body = document.Object(u"body");
    if (body && body.Text(u"tagName") == QLatin1String("BODY")) {
        const QStringList links = document.Object(u"links").ItemTexts(u"href");
        Strings << (links.isEmpty() ? QStringList{QString::fromLatin1(NoLinksLine)} : links);
    }
    const OleObject frames = document.Object(u"Frames");
    const int frameCount = frames.Integer(u"Length");
    for (int i = 0; i < frameCount; ++i) {
        try {
            collectLinks(frames.CallObject(u"Item", {Variant(i)}).Object(u"Document"), Strings);
        } catch (const std::exception&) {
            // A frame of another site refuses access; the next one follows.
        }
    }
}

// The document element's innerHTML or innerText as the list's one entry.
void documentElementText(IDispatch* Document, std::u16string_view member, QStringList& Strings)
{
    Strings.clear();
    try {
        if (IsHtmlDocument(Document))
            Strings << OleObject(Document).Object(u"documentElement").Text(member);
    } catch (const std::exception&) {}
}

QString pageText(IDispatch* Document) { return OleObject(Document).Object(u"documentElement").Text(u"innerText"); }

// Where the view drawing is: the object itself or the control's document.
IViewObject* viewObjectOf(IDispatch* object)
{
    if (auto* view = dynamic_cast<IViewObject*>(object))
        return view;
    if (auto* control = dynamic_cast<IWebBrowser2*>(object))
        return dynamic_cast<IViewObject*>(documentOf(control).get());
    return nullptr;
}

bool commandSucceeded(IDispatch* Document, bool UseBrowserGroup, DWORD command)
{
    Variant out;
    return ExecCommand(Document, UseBrowserGroup, command, OLECMDEXECOPT_DODEFAULT, Variant(), out) == S_OK;
}

QString searchQuery(const QString& Query)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(Query, " ").replace(' ', '+'));
}

// The folder SaveAllImages proposes: the user's pictures, else downloads.
QString proposedPictureFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    return folder;
}

// The file name a picture's address gives: the text after its last "/",
// decoded and reduced to a name that stays in its folder.
QString pictureFileName(const QString& address)
{
    const QString lastPart = address.mid(address.lastIndexOf(u'/') + 1);
    const QByteArray decoded = QByteArray::fromPercentEncoding(lastPart.toUtf8());
    return QString::fromStdString(SafeFileName(decoded.toStdString(), "picture"));
}

} // namespace

void ScrollToTop(IWebBrowser2* Browser) { scrollTo(Browser, 0, 0); }

void ScrollToPosition(IWebBrowser2* Browser, int X, int Y) { scrollTo(Browser, X, Y); }

void ScrollToBottom(IDispatch* Document)
{
    try {
        if (!IsHtmlDocument(Document))
            return;
        const OleObject document(Document);
        const int height = document.Object(u"body").Integer(u"scrollHeight");
        document.Object(u"ParentWindow").Call(u"scrollBy", {Variant(0), Variant(height)});
    } catch (const std::exception&) {}
}

bool SetCharacterSet(TSextant& Browser, IDispatch* Document, const QString& CharSet, bool Refresh)
{
    bool set = false;
    try {
        Browser.Wait();
        if (IsHtmlDocument(Document)) {
            OleObject(Document).Put(u"charset", Variant(CharSet.toStdU16String()));
            set = true;
        }
        if (Refresh) {
            OleVariant level(RefreshWithCharset);
            Browser.Refresh2(level);
        }
    } catch (const std::exception&) {}
    return set;
}

QImage DrawPage(IDispatch* ViewOwner, int Width, int Height)
{
    IViewObject* view = viewObjectOf(ViewOwner);
    if (!view || Width <= 0 || Height <= 0)
        return {};
    QImage picture(Width, Height, QImage::Format_RGB32);
    picture.fill(Qt::white);
    return SUCCEEDED(view->Draw(DVASPECT_CONTENT, picture)) ? picture : QImage();
}

void GetThumbnail(IDispatch* Application, QLabel* Image)
{
    if (!Image)
        return;
    IViewObject* view = viewObjectOf(Application);
    if (!view)
        throw EOleException(E_NOINTERFACE);
    QImage picture(Image->size(), QImage::Format_RGB32);
    picture.fill(Qt::white);
    view->Draw(DVASPECT_DOCPRINT, picture);
    Image->setPixmap(QPixmap::fromImage(picture));
    Image->repaint();
}

bool GetScreenCapture(IDispatch* Document, QWidget*, int Width, int Height, const QString& FileName)
{
    if (!IsHtmlDocument(Document))
        return false;
    const QImage picture = DrawPage(Document, Width, Height);
    return !picture.isNull() && SavePicture(picture, FileName, "BMP");
}

bool GetJpegPageCapture(IWebBrowser2* Browser, const QString& FileName, int SourceHeight, int SourceWidth,
    int TargetHeight, int TargetWidth, int Quality)
{
    if (TargetWidth <= 0 || TargetHeight <= 0)
        return false;
    const QImage picture = DrawPage(Browser, SourceWidth, SourceHeight);
    if (picture.isNull())
        return false;
    const QSize target(TargetWidth, TargetHeight);
    const QImage scaled
        = picture.size() == target ? picture : picture.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return SavePicture(scaled, FileName, "JPG", Quality);
}

void GetPageLinks(IWebBrowser2* Browser, QStringList& Strings)
{
    Strings.clear();
    const OleObject document = documentOf(Browser);
    if (IsHtmlDocument(document.get()))
        collectLinks(document, Strings);
}

void GetPageSourceHtml(IWebBrowser2*, IDispatch* Document, QStringList& Strings)
{
    documentElementText(Document, u"innerHTML", Strings);
}

void GetPageSourceText(IWebBrowser2*, IDispatch* Document, QStringList& Strings)
{
    documentElementText(Document, u"innerText", Strings);
}

void ShowPageSourceText(IWebBrowser2*, IDispatch* Document)
{
    if (IsHtmlDocument(Document))
        MessageDlg(pageText(Document), mtCustom, mbOK);
}

bool SavePageText(TSextant& Owner, IWebBrowser2*, IDispatch* Document)
{
    if (!IsHtmlDocument(Document))
        return false;
    const QString text = pageText(Document);
    TFileDialogOptions options;
    options.Filter = QStringLiteral("Text file|*.txt|Word file|*.doc");
    options.DefaultExt = QStringLiteral("txt");
    options.FilterIndex = 1;
    options.FileName = QStringLiteral("WebSiteText.txt");
    options.Title = QStringLiteral("Web Site Text");
    options.Owner = &Owner;
    if (!Dialogs().SaveDialog(options))
        return false;
    return WriteFileSafely(options.FileName, (text + u'\n').toUtf8());
}

int SaveAllImages(IWebBrowser2* Browser, IDispatch* Document)
{
    if (!IsHtmlDocument(Document))
        return 0;
    QString folder = proposedPictureFolder();
    if (!Dialogs().SelectDirectory(QStringLiteral("Save the page's pictures in"), folder))
        return 0;
    const QString imagesFolder = QDir(folder).filePath(QStringLiteral("Images"));
    MessageDlg(imagesFolder, mtCustom, mbYes | mbCancel | mbAll);
    if (!QDir().mkpath(imagesFolder))
        throw EOleException(E_ACCESSDENIED);
    int written = 0;
    for (const QString& address : PageImageAddresses(Browser)) {
        const QString extension = address.mid(address.lastIndexOf(u'.') + 1).toUpper();
        if (!SavedPictureExtensions.contains(extension))
            continue;
        if (DownloadFile(address, QDir(imagesFolder).filePath(pictureFileName(address))))
            ++written;
    }
    return written;
}

QStringList PageImageAddresses(IWebBrowser2* Browser)
{
    return documentOf(Browser).Object(u"Images").ItemTexts(u"Src");
}

bool FillForm(TSextant& Browser, const QString& FieldName, const QString& Value, int Index)
{
    IDispatch* document = Browser.Document();
    if (!document)
        return false;
    auto* document3 = dynamic_cast<IHTMLDocument3*>(document);
    return document3 && FillFormField(document3, FieldName, Value, Index);
}

bool FillFormField(IHTMLDocument3* Document, const QString& FieldName, const QString& Value, int Index)
{
    static const QStringList fieldTags
        = {QStringLiteral("INPUT"), QStringLiteral("SELECT"), QStringLiteral("TEXTAREA")};
    try {
        Variant found;
        if (FAILED(Document->getElementsByName(FieldName.toStdU16String(), found)) || !DispatchOf(found))
            return false;
        const OleObject elements(DispatchOf(found));
        const int tries = Index == -1 ? elements.Integer(u"length") : 1;
        for (int k = 0; k < tries; ++k) {
            const int position = Index == -1 ? k : Index;
            const OleObject element = elements.CallObject(u"item", {Variant(position), Variant(WideString())});
            if (!element)
                continue;
            if (fieldTags.contains(element.Text(u"tagName").toUpper())) {
                element.Put(u"value", Variant(Value.toStdU16String()));
                return true;
            }
        }
    } catch (const std::exception&) {}
    return false;
}

HRESULT ExecCommand(
    IDispatch* Document, bool UseBrowserGroup, DWORD CmdID, DWORD CmdExecOpt, const Variant& vaIn, Variant& vaOut)
{
    try {
        auto* target = IsHtmlDocument(Document) ? dynamic_cast<IOleCommandTarget*>(Document) : nullptr;
        if (!target)
            return S_FALSE;
        return target->Exec(UseBrowserGroup ? &CGID_IWebBrowser : nullptr, CmdID, CmdExecOpt, vaIn, vaOut);
    } catch (const std::exception&) {
        return S_FALSE;
    }
}

bool SaveAs(IDispatch* Document) { return commandSucceeded(Document, false, OLECMDID_SAVEAS); }
bool ShowPageProperties(IDispatch* Document) { return commandSucceeded(Document, false, OLECMDID_PROPERTIES); }
bool ShowFindDialog(IDispatch* Document) { return commandSucceeded(Document, true, HTMLID_FIND); }
bool ViewPageSourceHtml(IDispatch* Document) { return commandSucceeded(Document, true, HTMLID_VIEWSOURCE); }
bool ShowInternetOptions(IDispatch* Document) { return commandSucceeded(Document, true, HTMLID_OPTIONS); }

QString OpenDialogFilter()
{
    return filterOf({{"Internet Files", "*.htm; *.html; *.url; *.mht; *.mhtml; *.php *.asp"},
        {"Image Files", " *.gif;*.bmp;*.ico;*.jpg;*.png;*.wmf; *.emf; "},
        {"Text & Documents Files", " *.txt;*.doc;*.xls;*.dot;"}, {"Compressed Files", " *.zip;"},
        {"XML Files", " *.xml;"}, {"Any Files", "*.*"}});
}

QString SaveDialogFilter()
{
    return filterOf({{"Internet Files", "*.htm; *.html;*.mht; *.mhtml; *.php *.asp"},
        {"Text & Documents Files", " *.txt;*.doc;*.xls;*.dot;"}, {"XML Files", " *.xml;"}, {"Any Files", "*.*"}});
}

bool OpenDialog(TSextant& Browser, QWidget* Owner)
{
    TFileDialogOptions options;
    options.Filter = OpenDialogFilter();
    options.Title = QStringLiteral("Browser - Open Dialog");
    options.Owner = Owner;
    if (!Dialogs().OpenDialog(options))
        return false;
    Browser.Go(options.FileName);
    return true;
}

void SaveDialog(TSextant& Browser, QWidget* Owner, const QString& Title, const QString& Filter, QString& FileName)
{
    TFileDialogOptions options;
    options.Filter = Filter.isEmpty() ? SaveDialogFilter() : Filter;
    options.Title = Title.isEmpty() ? QStringLiteral("Browser - Save Dialog") : Title;
    options.FileName = FileName;
    options.Owner = Owner;
    if (!Dialogs().SaveDialog(options))
        return;
    FileName = options.FileName;
    if (!FileName.isEmpty())
        SaveToFile(Browser, FileName);
}

void NavigateToUrl(TSextant& Browser, const QString& Url)
{
    if (Url.trimmed().isEmpty())
        return;
    OleVariant url(Url.toStdU16String()), flags(0), target(0), postData(0), headers(0);
    Browser.Navigate2(url, flags, target, postData, headers);
}

QString GoogleSearchUrl(const QString& Query)
{
    return QStringLiteral("https://www.google.com/search?ie=UTF-8&q=") + searchQuery(Query);
}

QString MsnSearchUrl(const QString& Query)
{
    return QStringLiteral("https://search.msn.com/results.aspx?q=") + searchQuery(Query)
        + QStringLiteral("&FORM=CBPW&first=1&noredir=1");
}

QString YahooSearchUrl(const QString& Query)
{
    return QStringLiteral("https://search.yahoo.com/bin/search?p=") + searchQuery(Query);
}

void SearchInGoogle(TSextant& Browser, const QString& Query) { NavigateToUrl(Browser, GoogleSearchUrl(Query)); }
void SearchInMsn(TSextant& Browser, const QString& Query) { NavigateToUrl(Browser, MsnSearchUrl(Query)); }
void SearchInYahoo(TSextant& Browser, const QString& Query) { NavigateToUrl(Browser, YahooSearchUrl(Query)); }

bool GoAboutBlank(TSextant& Browser)
{
    Browser.Go(QStringLiteral("about:blank"));
    return Browser.Wait();
}

void GoDownloadFile(TSextant& Browser, const QString& Url)
{
    OleVariant flags(DownloadNavigateFlags);
    Browser.Navigate(Url.toStdU16String(), flags);
}

bool DownloadFile(const QString& Url, const QString& FileName)
{
    try {
        return URLDownloadToFile(nullptr, Url.toStdU16String(), FileName.toStdU16String(), 0, nullptr) == S_OK;
    } catch (const std::exception&) {
        return false;
    }
}
