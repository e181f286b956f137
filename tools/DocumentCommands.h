#pragma once
// The windows behind the page's command-target commands that need a user:
// Save As (the page complete with its resources, the HTML alone or one web
// archive file, by the chosen file type), the page properties, the find bar,
// the page's source coloured by the HTML highlighter, and the Internet
// options. The program installs them once (InstallDocumentCommands); the
// find bar, the source and the properties are windows of their own that stay
// open beside the page, and the call returns once they are shown.
#include "platform/webcontrol/HtmlDocument.h"

#include <QString>

class QWidget;

class TDocumentCommands : public IDocumentCommandWindows {
public:
    // S_OK once done or shown; OLECMDERR_E_CANCELED when the user cancelled
    // Save As; E_FAIL when the page could not be saved (the user is told);
    // OLECMDERR_E_NOTSUPPORTED for other commands.
    HRESULT Exec(IDispatch* document, const GUID* cmdGroup, DWORD cmdId) override;
};

// Makes the page's commands open these windows, for the life of the process.
void InstallDocumentCommands();

// Save As: the dialog's title and filter; the filter's index picks the
// format (1 complete, 2 HTML only, 3 web archive).
QString SaveAsTitle();
QString SaveAsFilter();
HRESULT SaveDocumentAs(IDispatch* document);

// The windows, by object name, for whoever needs to find them.
inline constexpr const char* FindBarName = "zarnFindBar";
inline constexpr const char* SourceWindowName = "zarnSourceWindow";
inline constexpr const char* PropertiesWindowName = "zarnPageProperties";
inline constexpr const char* OptionsDialogName = "zarnInternetOptions";
