#pragma once
// Web actions of the browser: the web-mail pages, downloading with a
// message, navigation with posted form data and adding a favorite.
#include <QString>

class TSextant;

// Navigate the browser to the log-in page or inbox of a web-mail provider.
void OpenHotmail(TSextant& browser);
void OpenGoogleMail(TSextant& browser);
void OpenYahooMail(TSextant& browser);

// Downloads source into target (DownloadFile: given up when the server does
// not answer or goes quiet for 30 s, written through a temporary name).
// With showMessage a dialog shows the progress while the download takes
// more than a moment, with a Stop button that cancels it (no message
// follows), and the user is told the outcome: "Download successful." or the
// error box "Downloading Error!!". True only when the file was written.
bool DownloadFileWithMessage(const QString& source, const QString& target, bool showMessage);

// Navigates to address followed by query, posting
// "version=current&name=myname" as an urlencoded form.
void GoWithQueryDetails(TSextant& browser, const QString& address, const QString& query);

// Adds the page to the favorites folder as an internet shortcut. The user
// may change the name first ("Add Favorite"); an existing favorite of that
// name is replaced only when the user agrees. Nothing happens for a blank
// address or title. True when the shortcut was written.
bool AddToFavorites(const QString& address, const QString& title);

// Puts a link to the browser's page on the desktop: a desktop link named
// after the page title (the address when it has none). An existing link of
// that name is replaced only when the user agrees. True when written.
bool CreateDesktopShortcut(TSextant& browser);

// The About box: the program and the page engine's version.
void ShowIEVersionInfo();
