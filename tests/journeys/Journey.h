#pragma once
// What every journey needs: the real main window on the real engine, pages
// from the loopback fixture server, and a user's hands. Keys and clicks go
// through the window system (QWindow events), so they reach what a user's
// would reach: an open list or menu takes them before the widget under it,
// window shortcuts and menu accelerators apply. The checks read what a user
// sees: the address box, the caption, the status bar, windows and dialogs,
// files on disk.
//
// The process has its own HOME, XDG folders, profile (ZARNWEB_HOME) and
// current folder for its whole run (JourneyMain.cpp); a journey that needs a
// fresh profile closes the window and opens a new one on the same profile,
// which is what a restart of the program sees.
#include "app/unitZarnWeb.h"

#include <gtest/gtest.h>

#include <QPoint>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <ostream>
#include <string>

// Texts in failure messages as text.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

class QAction;
class QMenu;
class QWebEnginePage;
class QWidget;

// The fixture server's pages. A path registered with Serve is answered with
// its body; any other "/<name>.html" is a small page titled <name> that says
// "page <name>"; anything else is 404.
namespace JourneyPages {
void Serve(const std::string& path, const std::string& body, const std::string& contentType = "text/html");
// "http://127.0.0.1:<port><path>".
QString Url(const std::string& path);
int Port();
// How often path was requested.
int Requests(const std::string& path);
// Starts the server (JourneyMain.cpp does, before the first journey).
void Start();
void Stop();
} // namespace JourneyPages

// What a dialog showed before the journey answered it.
struct SeenDialog {
    bool Shown = false;
    QString Title;
    QString Text; // every label's text, one per line
    QStringList Buttons; // the buttons' captions, without "&"
    QString DefaultButton; // caption of the button Enter presses
    QStringList Fields; // the texts of its edit fields (a file dialog's file name)
    QString Folder; // a file dialog's folder
};

class Journey : public ::testing::Test {
protected:
    void TearDown() override;

    // Opens the main window as the program does (maximised, active) and waits
    // until its first page has loaded. StartAddress, when given, is the
    // address the program was started with.
    TfrmMain& OpenWindow(const QString& startAddress = {});
    // Closes the window as a user does (its close button) and destroys it.
    void CloseWindow();
    TfrmMain& Window() const { return *window_; }

    // Keys, delivered through the window system to whatever has the keyboard.
    void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void Type(const QString& text);
    // Clicks into the address box, selects its text (Ctrl+A) and types text.
    void TypeAddress(const QString& text);
    // A left click (or double click) on widget at pos (its centre by default).
    void Click(QWidget* widget, QPoint pos = {});
    void DoubleClick(QWidget* widget, QPoint pos = {});
    // Chooses a menu item of the main menu by its path of visible captions
    // without "&" ({"File", "Save As..."}): the first menu is opened with
    // Alt and its accelerator, the items are reached by their accelerators,
    // or with the arrow keys where they have none, and Enter.
    void ChooseMenu(const QStringList& path);
    // The same with the top menu opened by a click on the menu bar.
    void ChooseMenuByClick(const QStringList& path);
    // The menu item at path, without opening anything; nullptr when there is
    // none.
    QAction* MenuAction(const QStringList& path) const;

    // Chooses the item captioned caption (without "&") of the menu that is
    // open now (a context menu, a submenu), by its accelerator or the arrow
    // keys and Enter.
    void ChooseFromOpenMenu(const QString& caption);
    // The page on screen: the engine's widget that takes the mouse, the
    // centre of the page's element with that id in it, a click on it.
    QWidget* PageWidget() const;
    QPoint CentreOf(const QString& elementId) const;
    // The click returns once the page has seen it.
    void ClickInPage(const QString& elementId, Qt::MouseButton button = Qt::LeftButton);
    // Runs script in the page and returns its value (invalid on time-out).
    QVariant RunInPage(const QString& script, int timeoutMs = 20000) const;

    // Runs trigger; the next dialog it opens (a modal dialog or message box)
    // is read and answered by a click on the button captioned answer. What it
    // showed is returned (Shown false when none came within the wait).
    SeenDialog AnswerDialog(const QString& answer, const std::function<void()>& trigger, int timeoutMs = 20000);

    // Runs trigger and answers the file dialog it opens by typing path into
    // the dialog's name box and pressing Enter. False when no dialog came.
    bool AnswerFileDialog(const QString& path, const std::function<void()>& trigger);

    // Waits for condition, running the event loop; false on time-out.
    static bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 20000);
    // Waits until the address box shows url, the page no longer loads and,
    // when given, the caption contains title.
    bool WaitForPage(const QString& url, const QString& title = {}, int timeoutMs = 20000);
    // Waits until no page is loading in the main browser.
    bool WaitUntilLoaded(int timeoutMs = 20000);

    // What the user sees.
    QString AddressText() const;
    QString Caption() const;
    QString StatusText(int panel = 0) const;
    // The address of the page the main browser shows (what its content is).
    QString ShownPageUrl() const;
    // The text of the page's body, read from the page.
    QString PageText(int timeoutMs = 20000) const;
    QWebEnginePage* Page() const;
    // Visible top-level windows other than the main window, newest last.
    QList<QWidget*> OtherWindows() const;

private:
    std::unique_ptr<TfrmMain> window_;
};
