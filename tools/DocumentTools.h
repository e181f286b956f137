#pragma once
// Stateless operations on the browser control and the HTML document it
// shows: scrolling, the character set, pictures of the page, links, source
// and text, saving pictures and text, form fields, the document's commands,
// the open and save dialogs and navigation helpers.
//
// Every operation that touches a document first tests that it is an HTML
// document (IsHtmlDocument) and otherwise does nothing and answers False, so
// the tools are harmless while the control shows nothing, a folder view, a
// PDF or a picture. Lists are the caller's: an operation clears or appends
// to them.
#include "browserhost/PagePrinting.h" // IsHtmlDocument
#include "browserhost/Sextant.h"
#include "platform/webcontrol/HtmlDocument.h"
#include "tools/JpegFile.h"

#include <QStringList>

class QLabel;

// Scrolling: the document's window scrolled to (0, 0), to (X, Y) or by the
// body's height. Failures are swallowed.
void ScrollToTop(IWebBrowser2* Browser);
void ScrollToPosition(IWebBrowser2* Browser, int X, int Y);
void ScrollToBottom(IDispatch* Document);
// Waits until the page is complete, sets the document's character set and,
// with Refresh, reloads the page in it (Refresh2 level 7). True once the
// character set was set, even when the reload failed.
bool SetCharacterSet(TSextant& Browser, IDispatch* Document, const QString& CharSet, bool Refresh);

// Pictures of the page. GetThumbnail draws the page, scaled, into Image at
// Image's size and shows it there; failures raise. GetScreenCapture writes a
// Width x Height BMP file of the page; GetJpegPageCapture draws the page at
// the source size, scales it to the target size and writes it as a JPEG of
// the given quality. Both answer False on any failure, with no file written.
// A size larger than the control's window lays the page out at that size, so
// a long page fills the picture.
void GetThumbnail(IDispatch* Application, QLabel* Image);
bool GetScreenCapture(IDispatch* Document, QWidget* Window, int Width, int Height, const QString& FileName);
bool GetJpegPageCapture(IWebBrowser2* Browser, const QString& FileName, int SourceHeight, int SourceWidth,
    int TargetHeight, int TargetWidth, int Quality = DefaultJpegQuality);
// The picture behind the captures: the page drawn at Width x Height; a null
// picture when it could not be drawn.
QImage DrawPage(IDispatch* ViewOwner, int Width, int Height);

// Links: clears Strings, then lists the page's links in document order,
// then those of each frame, depth first. A page whose body has no links
// gives the line "No Links found in the page body"; a frame that refuses
// access is skipped. Failures outside the frames raise.
void GetPageLinks(IWebBrowser2* Browser, QStringList& Strings);
// Source and text: clears Strings, then adds the document element's
// innerHTML (innerText) as one entry. Failures are swallowed.
void GetPageSourceHtml(IWebBrowser2* Browser, IDispatch* Document, QStringList& Strings);
void GetPageSourceText(IWebBrowser2* Browser, IDispatch* Document, QStringList& Strings);
// Shows the page's text in a message box with an OK button.
void ShowPageSourceText(IWebBrowser2* Browser, IDispatch* Document);
// Asks for a file ("Web Site Text", proposing "WebSiteText.txt") and writes
// the page's text there, through a temporary name. False when cancelled or
// not written.
bool SavePageText(TSextant& Owner, IWebBrowser2* Browser, IDispatch* Document);
// Asks for a folder (the user's pictures folder proposed) and downloads the
// page's GIF, JPG, BMP and PNG pictures into its "Images" folder, one after
// another; a failed download is skipped. File names from the pictures'
// addresses are reduced to safe names that stay in that folder. Answers how
// many were written; 0 when cancelled or not HTML.
int SaveAllImages(IWebBrowser2* Browser, IDispatch* Document);
// The addresses of the page's pictures in document order. Failures raise.
QStringList PageImageAddresses(IWebBrowser2* Browser);

// Form fields: the first INPUT, SELECT or TEXTAREA named FieldName (Index
// -1), or only the element at Index, takes Value. True when one did.
bool FillForm(TSextant& Browser, const QString& FieldName, const QString& Value, int Index);
bool FillFormField(IHTMLDocument3* Document, const QString& FieldName, const QString& Value, int Index);

// The document's command target: Exec with the standard group or
// CGID_IWebBrowser (UseBrowserGroup). 1 (S_FALSE) when the document is not
// HTML, has no command target or the call failed.
HRESULT ExecCommand(
    IDispatch* Document, bool UseBrowserGroup, DWORD CmdID, DWORD CmdExecOpt, const Variant& vaIn, Variant& vaOut);
// The command windows, through ExecCommand; True when Exec answered S_OK.
bool SaveAs(IDispatch* Document);
bool ShowPageProperties(IDispatch* Document);
bool ShowFindDialog(IDispatch* Document);
bool ViewPageSourceHtml(IDispatch* Document);
bool ShowInternetOptions(IDispatch* Document);

// The open dialog ("Browser - Open Dialog"); the chosen file is opened in
// Browser without waiting. True when the user chose one.
bool OpenDialog(TSextant& Browser, QWidget* Owner);
// The save dialog (Title, or "Browser - Save Dialog"; Filter, or the default
// save filter). When confirmed FileName receives the choice and the page is
// saved there; cancelled, FileName keeps its value.
void SaveDialog(TSextant& Browser, QWidget* Owner, const QString& Title, const QString& Filter, QString& FileName);
// The dialogs' filters.
QString OpenDialogFilter();
QString SaveDialogFilter();

// Navigation: to Url unless it is blank; to a search for Query (the query
// percent-encoded, a blank as "+", over https); to the blank page, waiting
// (the wait's result); to Url so that the control offers it for download.
void NavigateToUrl(TSextant& Browser, const QString& Url);
void SearchInGoogle(TSextant& Browser, const QString& Query);
void SearchInMsn(TSextant& Browser, const QString& Query);
void SearchInYahoo(TSextant& Browser, const QString& Query);
QString GoogleSearchUrl(const QString& Query);
QString MsnSearchUrl(const QString& Query);
QString YahooSearchUrl(const QString& Query);
bool GoAboutBlank(TSextant& Browser);
void GoDownloadFile(TSextant& Browser, const QString& Url);
// Fetches Url into FileName (through a temporary name), blocking until the
// transfer ends or the server has not answered or sent anything for 30 s;
// the file is also kept in the download cache (GetCachedPath). True when
// the file was written.
bool DownloadFile(const QString& Url, const QString& FileName);
