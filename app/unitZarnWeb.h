#pragma once
// TfrmMain, the one main window of ZarnWeb. It owns every component for its
// whole life and connects them: the main browser Sextant1 in the "Web
// Browser" tab, the second browser Sextant2 in the "Local Folders" tab, the
// address box, the links bar, the favorites views, the history menu and
// list, the toolbar, the menus and the status bar.
//
// Controls are public members named as the window's components, so that the
// commands of every part of the window, and tests, reach them by name.
//
// Start-up and shut-down:
// - construction (FormCreate) reads "links.txt" of the current folder into
//   LinksList, then appends an empty line and the links bar's addresses;
// - every show (FormShow) sends Sextant2 to the file-system root when the
//   Local Folders tab is showing (else choosing the tab does, so that no
//   engine renderer starts for a tab nobody opened), fills the links
//   checker's first column, places the window (its designed size,
//   widened so that no toolbar caption is cut, inside the screen's working
//   area), then applies a stored placement, and opens StartAddress when it
//   is set, else the last visited page when it contains "http", otherwise
//   the home page;
// - a close request (FormCloseQuery) stores the current address and the
//   placement, stops a loading page and refuses to close while the main
//   browser is still busy.
//
// While the window exists, Open on a shortcut in a shell context menu (the
// favorites views) opens the shortcut's address in Sextant1.
//
// Keys, wherever the focus is in the window: Ctrl+L, Alt+D and F6 put the
// caret in the address box with its text selected; F5 and Ctrl+R refresh;
// Alt+Left and Alt+Right go back and forward; Escape stops a loading page.
//
// ZARNWEB_EXIT_AFTER_LOAD=1 in the environment makes the program (main.cpp)
// print "ZarnWeb: document complete after <ms> ms" on standard output at the
// main browser's first document-complete of a top-level page and quit; the
// start-up benchmark uses it.
#include "addressbar/IEAddress.h"
#include "app/MainMenus.h"
#include "platform/com/ComTypes.h"
#include "tools/FormAutomation.h"

#include <QIcon>
#include <QList>
#include <QMainWindow>
#include <QStringList>

#include <functional>
#include <map>

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSplitter;
class QTabWidget;
class QTableWidget;
class QToolBar;
class QToolButton;
class QTimer;
class QTreeWidget;
class TSextant;
class TDodiViveDE;
class TFavoritesListView;
class TFavoritesTree;
class THistoryListView;
class THistoryMenu;
class TExportFavorite;
class TImportFavorite;
class TFavoritesMenu;
class TIEDownload;
class TLinksBar;

// The address among the program's arguments (after the program's own
// name): the first one that does not start with "-". An argument that does is
// an option, never an address, so an address such as "--load-extension=..."
// handed over by a link can never reach the engine as a switch. Empty when
// there is none.
QString StartAddressArgument(const QStringList& arguments);

// The program's title, "Sextant Component Pack - Mega Demo", and the main
// window's caption while it shows a page: the page's name, " - " and the
// program's title; the program's title alone for a page without a name.
QString ProgramCaption();
QString MainWindowCaption(const QString& pageName);

class TfrmMain : public QMainWindow {
    Q_OBJECT

public:
    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

    // Shared routines of the window's commands.
    // Appends a line to the event log; lines are added in batches once
    // control returns to the event loop, after which the newest is selected.
    void AddEventLog(const QString& line);
    // Adds the lines waiting for the event log now.
    void FlushEventLog();
    // Empties the event log, lines still waiting included.
    void ClearEventLog();
    // The security panel and status panels 1 and 2 for the main browser's
    // current address: its zone (name, description, icon, also the
    // application's icon) and whether it came encrypted ("SSL" or nothing).
    void ShowZoneInfo();
    void ShowSSLInfo();
    void StopIfBusy();
    void UpdateStopState();
    void ShowBrowserTab();
    void ShowEditorTab();
    void ShowImageTab();
    void ShowLinksTab();
    void RebuildActiveView();

    // Web form automation (FormCommands.cpp). Each command runs inside its
    // click, waiting for pages with events processed; while one runs, Zarn,
    // Tags and "Fill Form With Personal Details" are disabled, Stop or 30 s
    // without a page end it with a message, and a page the browser left
    // meanwhile is not filled. Failures, errors of the page included, end
    // the command with a message box.
    //
    // Where the last successful FindFormElement found its element.
    TFormElementPos FormElementPos;
    // Opens the ad form (AdFormAddress) in Sextant1, picks the second
    // "company_ad" radio button and fills the ad record's 17 fields; the
    // form is not submitted. False, with a message box, when the form did
    // not load or the browser left it.
    bool SetData();
    // SetData, then the three pictures attached through the page's file
    // choosers: the first with the file field "image" (and a click of the
    // first button without a name), then, with the form opened and filled
    // anew, all three with that button. A picture that did not go in is
    // reported in one message at the end.
    void ZarnClick();
    // Shows Memo1 with the page's form elements listed, or hides it.
    void BtnTagsClick();
    // Opens the portal's registration form (RegistrationFormAddress) and
    // fills its three fields with the sample values.
    void FillFormWithPersonalDetails1Click();
    bool FindFormElement(
        TSextant* Browser, const QString& Type, const QString& Name, TFormElementPos& Pos, int Occurrence);
    // Memo emptied, then one line per element of the page's forms
    // (tools/FormAutomation.h ListFormElements).
    void ListFormElements(TSextant* Browser, QPlainTextEdit* Memo);
    bool FormCommandRunning() const { return formCommandRunning_; }

    // Text of status bar panel index (0 to 4); empty for other indexes.
    QString StatusPanelText(int index) const;
    void SetStatusPanelText(int index, const QString& text);

    // Addresses for the links checker: "links.txt", an empty line, the links
    // bar's addresses.
    QStringList LinksList;
    // The address the program was started with (StartAddressArgument); the
    // first show opens it instead of the last visited page.
    QString StartAddress;
    // "Secure Level: " and the text of the last secure-lock notification
    // whose value was known; empty before the first one.
    QString SecureLevelText;
    WideString PopupUrl;

    // Image lists: toolbar pictures (16 x 16), favorites tree pictures and
    // the editor's smilies (19 x 19).
    QList<QIcon> ilToolBar;
    QList<QIcon> ilFavoritesTree;
    QList<QIcon> ilsSmilies;

    // Top panel: toolbar, address and search row, links bar.
    QWidget* PanelTop = nullptr;
    QToolBar* MainToolBar = nullptr;
    QAction* ToolbtnBack = nullptr;
    QAction* ToolBtnForward = nullptr;
    QAction* ToolBtnStop = nullptr;
    QAction* ToolBtnRefresh = nullptr;
    QAction* ToolBtnHome = nullptr;
    QAction* ToolBtnSearch = nullptr;
    QAction* ToolBtnAccesories = nullptr;
    QAction* tbBlock = nullptr;
    QWidget* PanelSecurity = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* lblZone = nullptr;
    QLabel* imgZone = nullptr;
    QLabel* lblSSL = nullptr;
    QLabel* ImgSSL = nullptr;
    QLabel* imgUn = nullptr;
    QLabel* lblLevel = nullptr;
    QPushButton* BtnZarn = nullptr;
    QPushButton* BtnTags = nullptr;
    QWidget* PanelMiddle = nullptr;
    TIEAddress* IEAddress1 = nullptr;
    QToolButton* btnGo = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QLineEdit* edtSearch = nullptr;
    QToolButton* spdBtnGoogleSearch = nullptr;
    TLinksBar* LinksBar1 = nullptr;

    // Accessories panel on the left, its splitter and its tabs.
    QSplitter* SplitterACC = nullptr;
    QWidget* PanelAcc = nullptr;
    QToolButton* sbRebuildView = nullptr;
    QTabWidget* PageCtrl = nullptr;
    QListWidget* lvEventLog = nullptr;
    TFavoritesListView* FavoritesListView1 = nullptr;
    TFavoritesTree* FavoritesTree1 = nullptr;
    // The bookmark-file exporter and importer behind the favorites menu
    // items and the tree's Export and Import nodes.
    TExportFavorite* ExportFavorite1 = nullptr;
    TImportFavorite* ImportFavorite1 = nullptr;
    THistoryListView* HistoryListView1 = nullptr;
    QWidget* Panel1 = nullptr;
    QToolButton* sbUp = nullptr;
    QToolButton* sbRefresh = nullptr;
    QToolButton* sbConnect = nullptr;
    QLineEdit* edtUser = nullptr;
    QLineEdit* edtPassword = nullptr;
    TSextant* Sextant2 = nullptr;

    // Browser panel and its tabs.
    QWidget* PanelWEB = nullptr;
    QTabWidget* pctrlWB = nullptr;
    TSextant* Sextant1 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QWidget* tabEditor = nullptr;
    TDodiViveDE* DodiViveDE1 = nullptr;
    QLabel* ImageViewer = nullptr;
    QTableWidget* StringGrid1 = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QPushButton* Button1 = nullptr;
    // The links checker's download component; each checked address is saved
    // in LinksDownloadFolder().
    TIEDownload* IEDownload1 = nullptr;
    // Whether the links checker is running (its button reads "Stop" then).
    bool CheckingLinks() const { return checking_; }
    // "Downloads/" beside the program when that folder can be written,
    // otherwise "Downloads/" in the profile folder.
    static QString LinksDownloadFolder();

    // Menus. Items of the main menu and of the links bar's pop-up menu are
    // found and bound by their command id (MainMenus.h).
    THistoryMenu* HistoryMenu1 = nullptr;
    TFavoritesMenu* FavoritesMenu1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* GoBack1 = nullptr;
    QAction* GoForward1 = nullptr;
    QAction* Stop1 = nullptr;
    // The item (for a submenu, its menu action) with that id; null for an id
    // no menu holds.
    QAction* MenuItem(TMenuCommand command) const;
    // Makes handler what choosing the item does; a later handler for the same
    // id replaces the earlier one. Binding leaves the item's enabled state as
    // it is.
    void OnMenuCommand(TMenuCommand command, std::function<void()> handler);
    bool HandlesMenuCommand(TMenuCommand command) const;

signals:
    // The main browser completed a top-level document.
    void MainDocumentComplete(const QString& url);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void FormCloseQuery(bool& canClose);
    void FormDestroy();

    void btnGoClick();
    // Whether text may go to the browser; tells the user when it may not.
    bool addressUsable(const QString& text);
    void ToolbtnBackClick();
    void ToolBtnForwardClick();
    void ToolBtnRefreshClick();
    void ToolBtnHomeClick();
    void ToolBtnAccesoriesClick(bool down);
    void sbUpClick();

    void bindKeys();
    void focusAddressBox();
    // Binds the handlers of the main browser's events (BrowserEvents.cpp).
    void bindSextant1Events();
    // ProgressBar1 for a progress notification: shown at the percentage
    // (truncated) when progress >= 1 and progressMax >= 2, else hidden at 1.
    void ShowProgress(int progress, int progressMax);
    // SecureLevelText and lblLevel for a secure-lock notification.
    void SetSecureLock(int secureLockIcon);
    // Tells the user in the status bar that a pop-up window (of url, when
    // known) was blocked.
    void popupBlocked(const QString& url);
    void bindSextant2Events();

    void placeOnScreen();
    void createImageLists();
    void createTopPanel();
    QWidget* createToolBarRow();
    QWidget* createToolBar();
    QWidget* createSecurityPanel();
    QWidget* createMiddlePanel();
    void createLinksBar();
    QWidget* createAccessoriesPanel();
    QWidget* createLocalFoldersTab();
    QWidget* createBrowserPanel();
    QWidget* createLinksCheckerTab();
    void createStatusBar();
    void createMenus();
    void bindCommands();
    void createEditor();
    void bindEditorCommands();
    // The settings and system commands of the menus (SettingsCommands.cpp).
    void bindSettingsCommands();
    // The Security menu's site lists, zone and encryption (SecurityCommands.cpp).
    void bindSecurityCommands();
    // The File, Edit and View commands on the main browser's page
    // (PageCommands.cpp).
    void bindPageCommands();
    void bindFormCommands();
    // Runs a form command with its buttons disabled; its errors end up in a
    // message box instead of the event loop.
    void runFormCommand(const std::function<void()>& command);
    bool setData(TFormRun& run);
    void bindPrintCommands();
    void bindPageToolCommands();
    void bindPageTransferCommands();
    void bindTextSizeCommands();
    void bindEncodingCommands();
    // The window's text box (address or search box, editor) that has the
    // focus; null when the focus is elsewhere (the page).
    QWidget* focusedTextWidget() const;
    // The editor's paragraphs, and its text replaced by lines.
    QStringList editorLines() const;
    void setEditorLines(const QStringList& lines);
    // The favorites commands' file choices (SettingsCommands.cpp): the
    // exporter's target and the importer's source, asked from the user.
    // False when the user cancelled.
    bool chooseExportFile();
    bool chooseImportFile();
    void exportFavorites();
    void importFavorites();
    void fillLinksGrid();
    QStringList linksBarUrls() const;
    // The links list commands and the links checker (LinksCommands.cpp).
    void bindLinksCommands();
    void Button1Click();
    void CheckTheLinksClick();
    // Checks every entry of LinksList in order, each answer in its own row.
    void checkLinks();
    void setCheckingState(bool checking);
    void writeRow(int row, const QString& status, const QString& result);

    QList<QLabel*> statusPanels_;
    QStringList pendingEventLog_;
    QTimer* eventLogFlush_ = nullptr;
    std::map<TMenuCommand, QAction*> menuItems_;
    std::map<TMenuCommand, std::function<void()>> menuHandlers_;
    // The encoding item whose character set the page took last.
    QAction* encodingInUse_ = nullptr;
    // The page's last secure-lock state; -1 before the first.
    int secureLockIcon_ = -1;
    // The links checker: running, asked to stop, a close waiting for it,
    // the grid row of the address being fetched, whether it got its answer
    // and whether a failure was written in it.
    bool checking_ = false;
    bool stopChecking_ = false;
    bool closeAfterCheck_ = false;
    int checkingRow_ = 0;
    bool rowDone_ = false;
    bool rowFailed_ = false;
    QObject* inputBlocker_ = nullptr;
    bool formCommandRunning_ = false;
};
