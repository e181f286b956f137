#include "browserhost/PagePrinting.h"

namespace {

std::int32_t promptOption(bool noPrompt) { return noPrompt ? OLECMDEXECOPT_DONTPROMPTUSER : OLECMDEXECOPT_PROMPTUSER; }

} // namespace

bool IsHtmlDocument(IDispatch* document) { return dynamic_cast<IHTMLDocument2*>(document) != nullptr; }

IDispatch* HtmlDocumentOf(IWebBrowser2& browser)
{
    Variant document;
    if (FAILED(browser.GetProperty(DISPID_DOCUMENT, document)))
        return nullptr;
    const auto* dispatch = std::get_if<IDispatch*>(&document.value());
    return dispatch && IsHtmlDocument(*dispatch) ? *dispatch : nullptr;
}

HRESULT PrintPage(
    IWebBrowser2& browser, bool noPrompt, bool useHeaderFooter, const QString& header, const QString& footer)
{
    if (!HtmlDocumentOf(browser))
        return S_FALSE;
    Variant in, out;
    if (useHeaderFooter)
        in = Variant(Variant::Array{Variant(header.toStdU16String()), Variant(footer.toStdU16String())});
    return browser.ExecWB(OLECMDID_PRINT, promptOption(noPrompt), in, out);
}

bool PrintWithHeaderFooter(IWebBrowser2& browser, const QString& header, const QString& footer, std::int32_t execOption)
{
    Variant in(Variant::Array{Variant(header.toStdU16String()), Variant(footer.toStdU16String())}), out;
    return SUCCEEDED(browser.ExecWB(OLECMDID_PRINT, execOption, in, out));
}

bool ShowPageSetupDialog(IWebBrowser2& browser, bool askedByHost, bool fillFromOptions, bool& pending)
{
    if (!HtmlDocumentOf(browser))
        return false;
    if (askedByHost && fillFromOptions)
        pending = true;
    Variant in, out;
    return browser.ExecWB(OLECMDID_PAGESETUP, OLECMDEXECOPT_DODEFAULT, in, out) == S_OK;
}

HRESULT PrintWithOptions(IWebBrowser2& browser, bool askedByHost, bool fillFromOptions, bool noPrompt, bool& pending)
{
    ShowPageSetupDialog(browser, askedByHost, fillFromOptions, pending);
    return PrintPage(browser, noPrompt, false, {}, {});
}

HRESULT PrintPreview(IWebBrowser2& browser)
{
    if (!HtmlDocumentOf(browser))
        return S_FALSE;
    Variant in, out;
    return browser.ExecWB(OLECMDID_PRINTPREVIEW, OLECMDEXECOPT_DONTPROMPTUSER, in, out);
}

HRESULT PageSetup(IWebBrowser2& browser, bool noPrompt)
{
    if (!HtmlDocumentOf(browser))
        return S_FALSE;
    Variant in, out;
    return browser.ExecWB(OLECMDID_PAGESETUP, promptOption(noPrompt), in, out);
}
