#pragma once
// Printing operations of the browser tools: print, print with a header and
// footer, page setup, print preview. They drive the control through
// IWebBrowser2::ExecWB; the control prints the page with the header and
// footer in its header codes (&w title, &u address, &p page, &P page count,
// &d/&D date, &t/&T time, &b alignment) and the page setup's margins.
// Results are the control's HRESULTs: OLECMDERR_E_CANCELED when the user
// cancelled a dialog, S_FALSE when the control shows no HTML document.
#include "platform/webcontrol/WebBrowser.h"

#include <QString>

// Whether the object is an HTML document (answers IHTMLDocument2); a
// missing one is not.
bool IsHtmlDocument(IDispatch* document);
// The control's document when it is an HTML document, else nullptr.
IDispatch* HtmlDocumentOf(IWebBrowser2& browser);

// Prints the page; with useHeaderFooter the given header and footer replace
// the page setup's for this job. noPrompt skips the print dialog.
HRESULT PrintPage(
    IWebBrowser2& browser, bool noPrompt, bool useHeaderFooter, const QString& header, const QString& footer);
// Prints with this header and footer; failures are swallowed (the result
// says whether the control took the job).
bool PrintWithHeaderFooter(
    IWebBrowser2& browser, const QString& header, const QString& footer, std::int32_t execOption);
// Opens the control's page-setup dialog. When both flags are set the
// pending flag is set first, so that a host filling the dialog as it opens
// knows it was asked for. False without an HTML document (pending
// untouched) or when the dialog was not confirmed.
bool ShowPageSetupDialog(IWebBrowser2& browser, bool askedByHost, bool fillFromOptions, bool& pending);
// ShowPageSetupDialog, then PrintPage without a header and footer override.
HRESULT PrintWithOptions(IWebBrowser2& browser, bool askedByHost, bool fillFromOptions, bool noPrompt, bool& pending);
HRESULT PrintPreview(IWebBrowser2& browser);
HRESULT PageSetup(IWebBrowser2& browser, bool noPrompt);
