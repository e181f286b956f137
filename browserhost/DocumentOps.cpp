#include "browserhost/DocumentOps.h"

#include "browserhost/LateBound.h"

#include <QRegularExpression>

#include <istream>
#include <iterator>
#include <ostream>

namespace {

// WM_COMMAND: a menu or accelerator command for a window.
constexpr UINT CommandMessage = 0x0111;
constexpr int ImportExportWizardCommand = 374;
// How long LoadFromStream waits for the blank page it asked for.
constexpr unsigned BlankPageTimeoutMs = 10000;

template <class Interface> Interface& documentAs(TSextant& Browser)
{
    auto* found = dynamic_cast<Interface*>(Browser.Document());
    if (!found)
        throw EOleException(E_NOINTERFACE);
    return *found;
}

HRESULT savedHtml(TSextant& Browser, QByteArray& html)
{
    Browser.Wait();
    if (!Browser.Document())
        return S_FALSE;
    return documentAs<IPersistStreamInit>(Browser).Save(html, true);
}

HRESULT loadHtml(TSextant& Browser, const QByteArray& html)
{
    if (!Browser.Document()) {
        Browser.AssignEmptyDocument(false);
        Browser.Wait(BlankPageTimeoutMs);
        if (!Browser.Document())
            return S_FALSE;
    }
    return documentAs<IPersistStreamInit>(Browser).Load(html);
}

bool editingCommand(TSextant& Browser, DWORD command)
{
    Variant out;
    return ExecGroupCommand(Browser, StandardCommandGroup, command, Variant(), out) == S_OK;
}

} // namespace

HRESULT SaveToFile(TSextant& Browser, const QString& FileName)
{
    Browser.Wait();
    if (!Browser.Document())
        return S_FALSE;
    return documentAs<IPersistFile>(Browser).Save(FileName.toStdU16String(), false);
}

HRESULT SaveToStream(TSextant& Browser, std::ostream& Stream)
{
    QByteArray html;
    const HRESULT hr = savedHtml(Browser, html);
    if (hr == S_OK && !Stream.write(html.constData(), html.size()))
        return E_FAIL;
    return hr;
}

HRESULT SaveToStrings(TSextant& Browser, QStringList& Strings)
{
    QByteArray html;
    if (savedHtml(Browser, html) != S_OK)
        return S_FALSE;
    Strings = QString::fromUtf8(html).split(QRegularExpression(QStringLiteral("\r\n|\n|\r")));
    if (!Strings.isEmpty() && Strings.last().isEmpty())
        Strings.removeLast();
    return S_OK;
}

HRESULT LoadFromStrings(TSextant& Browser, const QStringList& Strings)
{
    try {
        return loadHtml(Browser, Strings.join(u'\n').toUtf8()) == S_OK ? S_OK : S_FALSE;
    } catch (const std::exception&) {
        return S_FALSE;
    }
}

HRESULT LoadFromStream(TSextant& Browser, std::istream& Stream)
{
    Stream.clear();
    Stream.seekg(0);
    const std::string html{std::istreambuf_iterator<char>(Stream), std::istreambuf_iterator<char>()};
    return loadHtml(Browser, QByteArray::fromStdString(html));
}

bool Copy(TSextant& Browser) { return editingCommand(Browser, OLECMDID_COPY); }
bool Paste(TSextant& Browser) { return editingCommand(Browser, OLECMDID_PASTE); }
bool SelectAll(TSextant& Browser) { return editingCommand(Browser, OLECMDID_SELECTALL); }
bool Cut(TSextant& Browser) { return editingCommand(Browser, OLECMDID_CUT); }

HRESULT ExecGroupCommand(
    TSextant& Browser, int GroupIndex, DWORD CmdID, const Variant& vaIn, Variant& vaOut, DWORD CmdExecOpt)
{
    if (GroupIndex != StandardCommandGroup && GroupIndex != WebBrowserCommandGroup)
        return E_INVALIDARG;
    auto* target = dynamic_cast<IOleCommandTarget*>(Browser.Document());
    if (!target)
        return E_UNEXPECTED;
    return target->Exec(
        GroupIndex == WebBrowserCommandGroup ? &CGID_IWebBrowser : nullptr, CmdID, CmdExecOpt, vaIn, vaOut);
}

void InvokeIECommand(TSextant& Browser, int Id) { Browser.Perform(CommandMessage, WPARAM(Id), 0); }

void ShowImportExportWizard(TSextant& Browser) { InvokeIECommand(Browser, ImportExportWizardCommand); }

void SetDesignMode(TSextant& Browser, bool On)
{
    if (OleObject document = Browser.GetDocument())
        document.Put(u"designMode", Variant(WideString(On ? u"On" : u"Off")));
}

bool IsDesignMode(TSextant& Browser)
{
    const OleObject document = Browser.GetDocument();
    return document && document.Text(u"designMode").compare(QLatin1String("On"), Qt::CaseInsensitive) == 0;
}

QString GetCookie(TSextant& Browser)
{
    IHTMLDocument2* document = Browser.GetDocument();
    return document ? OleObject(document).Text(u"cookie") : QString();
}
