#pragma once
// What the browser component does with its loaded page: loading it from text
// or a stream, saving it to a file, a stream or a list of lines, the
// clipboard and selection commands, design mode and the cookie. The saving
// operations first wait until the page is complete.
//
// A document that lacks the interface an operation needs (a folder view, a
// PDF) makes it raise EOleException(E_NOINTERFACE), except where a rule
// below says otherwise.
#include "browserhost/Sextant.h"
#include "platform/webcontrol/HtmlDocument.h"

#include <QStringList>

#include <iosfwd>

// Command groups of ExecGroupCommand: 0 the standard commands, 1 CGID_IWebBrowser.
constexpr int StandardCommandGroup = 0;
constexpr int WebBrowserCommandGroup = 1;

// No document: 1 (S_FALSE). Otherwise the page's HTML is written to FileName
// (through a temporary name); the page does not take the file as its own.
HRESULT SaveToFile(TSextant& Browser, const QString& FileName);
// No document: 1. Otherwise the page's HTML (UTF-8) is written to Stream,
// which stays the caller's.
HRESULT SaveToStream(TSextant& Browser, std::ostream& Stream);
// No document: 1 and Strings unchanged. Otherwise Strings is replaced by the
// lines of the page's HTML and the answer is 0; 1 when saving failed.
HRESULT SaveToStrings(TSextant& Browser, QStringList& Strings);
// Replaces the page's content with the HTML of the lines (joined by line
// breaks). Without a document the blank page is loaded first and waited
// for. Any failure answers 1.
HRESULT LoadFromStrings(TSextant& Browser, const QStringList& Strings);
// As LoadFromStrings with the HTML read from Stream from its start.
HRESULT LoadFromStream(TSextant& Browser, std::istream& Stream);

// The editing commands of the page's command target; True when it answered S_OK.
bool Copy(TSextant& Browser);
bool Paste(TSextant& Browser);
bool SelectAll(TSextant& Browser);
bool Cut(TSextant& Browser);

// Exec on the page's command target with the group of GroupIndex (see
// above); E_UNEXPECTED when there is no page or it has no command target,
// E_INVALIDARG for an unknown group.
HRESULT ExecGroupCommand(
    TSextant& Browser, int GroupIndex, DWORD CmdID, const Variant& vaIn, Variant& vaOut, DWORD CmdExecOpt = 0);
// Sends WM_COMMAND with Id to the component's window procedure.
void InvokeIECommand(TSextant& Browser, int Id);
// InvokeIECommand with 374, the control's import and export wizard.
void ShowImportExportWizard(TSextant& Browser);

// Without an HTML document nothing happens; otherwise its designMode becomes "On" or "Off".
void SetDesignMode(TSextant& Browser, bool On);
// False without an HTML document; True when its designMode is "On".
bool IsDesignMode(TSextant& Browser);
// The page's cookie (as scripts see it); empty without an HTML document.
QString GetCookie(TSextant& Browser);
