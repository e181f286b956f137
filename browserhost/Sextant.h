#pragma once
// TSextant: the browser component that forms place. Navigation with waiting,
// the component's window procedure (keys, clicks, close query, moves),
// visibility, folder-view arrow keys and focus handling. Qt events of the
// component and of the control's inner widgets are turned into window
// messages and run through WindowProc, so handlers see the messages the rules
// are written in.
#include "browserhost/HostOptions.h"
#include "browserhost/Messages.h"
#include "browserhost/SxtCore.h"
#include "browserhost/ToolForwarders.h"

#include <QPointer>

class QAbstractItemView;
class QKeyEvent;
class QMouseEvent;
class QTimer;

class TSextant;

using TSxtBusyWaitEvent = std::function<void(TSextant* Sender, unsigned AStartTime, unsigned& TimeOut, bool& Cancel)>;
using TSxtVisibleEvent = std::function<void(TObject* ASender, WordBool Visible)>;
using TKeyEventEx = std::function<void(TObject* Sender, std::uint16_t& Key, std::uint16_t ScanCode, TShiftState Shift)>;
using TSxtClickEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TSxtMessageEvent = std::function<void(TObject* Sender, TMessage& Msg, bool& Handled)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;
using TSxtShowDialogEvent = std::function<void(
    TObject* Sender, QWidget* h, int StyleEx, const QString& OldCaption, std::u16string& NewCaption, bool& Cancel)>;
using TSxtHTMLCodeChangeEvent = std::function<void(TObject* Sender, const QStringList& HTMLCode, bool& Handled)>;

// The tool operations (ToolForwarders.h) are its own operations too.
class TSextant : public TCustomSextant, public TSxtToolForwarders {
    Q_OBJECT
public:
    explicit TSextant(QWidget* parent = nullptr);
    ~TSextant() override;

    // Navigation. Go: an existing folder navigates to "file:///" + Url
    // unchanged; an address that is empty after trimming blanks and control
    // characters does nothing; anything else goes to Navigate2 untrimmed.
    // With a TimeOut (ms) Go then waits; True unless that wait failed.
    bool Go(const QString& Url, unsigned TimeOut = 0);
    // Waits until ReadyState is complete (Wait) or while Busy (WaitWhileBusy),
    // sleeping in the event loop until an event arrives, so that an idle
    // wait costs next to nothing and a completion ends it at once. False when stopped,
    // cancelled by OnBusyWait or timed out (TimeOut 0: no limit). Never throws.
    // Wait answers True at once while the component has no window (its form
    // was never shown, or the control's window is parked).
    bool Wait(unsigned TimeOut = 0);
    bool WaitWhileBusy(unsigned TimeOut = 0);
    // Sets StopRequested and stops the control; errors are swallowed.
    void Stop();
    // Errors (no history entry) are swallowed.
    void GoBack();
    void GoForward();
    // A Stop made while no wait ran is forgotten when the next navigation
    // starts (Go, GoHome, GoBack, GoForward, Refresh, AssignEmptyDocument);
    // one that a handler makes during a navigation or wait ends that wait.
    void GoHome();
    void Refresh();
    // Navigates to about:blank and, when WaitForIt, waits without a limit.
    void AssignEmptyDocument(bool WaitForIt);
    // The loaded HTML document; nullptr without one (or for a folder view).
    IHTMLDocument2* GetDocument() const;

    bool StopRequested() const { return stopRequested_; }

    // Kept by the component and mirrored to its window; OnVisible follows
    // every change of the window's visibility.
    bool Visible() const { return visible_; }
    void SetVisible(bool value);

    // The control's properties of the same DISPIDs, read from and written to
    // the control (which starts with Silent off, RegisterAsDropTarget on and
    // RegisterAsBrowser off).
    bool Silent() const { return TSXT::Silent() != VARIANT_FALSE; }
    void SetSilent(bool value) { TSXT::SetSilent(toWordBool(value)); }
    bool RegisterAsDropTarget() const { return TSXT::RegisterAsDropTarget() != VARIANT_FALSE; }
    void SetRegisterAsDropTarget(bool value) { TSXT::SetRegisterAsDropTarget(toWordBool(value)); }
    bool RegisterAsBrowser() const { return TSXT::RegisterAsBrowser() != VARIANT_FALSE; }
    void SetRegisterAsBrowser(bool value) { TSXT::SetRegisterAsBrowser(toWordBool(value)); }

    // When set, Enter reaches the page instead of the form's dialog keys.
    bool EnableMessageHandler = true;

    // Whether the pages this browser completes enter the user's history
    // store (platform/inet/UrlHistory.h), before OnDocumentComplete is
    // raised for them. Which pages qualify is the store's one rule
    // (IsRecordedVisit: not a page that failed to load, only web, FTP and
    // local addresses). Default true; a browser that loads pages the user
    // does not see as visits (the command-line page tools, a folder pane)
    // sets it false.
    bool RecordHistory() const { return recordHistory_; }
    void SetRecordHistory(bool value) { recordHistory_ = value; }

    // The component's window procedure. DoDefault is False after it when the
    // message must not go on to the control (a handler consumed it).
    void WindowProc(TMessage& Message, bool& DoDefault);
    // Sends one message through WindowProc; answers its result.
    LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);

    // The control's inner window of that class, following first children.
    QWidget* FindChildWindow(const QString& className) const;
    // Arrow keys in a folder view: moves the focused item; True when handled.
    bool MoveFolderViewSelection(std::uint16_t Key, TShiftState Shift);

    // Focus tracking of the control's inner windows.
    void HookChildWindows();
    void UnhookChildWindows();
    // Makes this component the form's focused control and UI-activates it;
    // Form defaults to the parent form.
    void ActivateBrowserFocus(QWidget* Form = nullptr);
    // True when the widget with the keyboard focus is this component or lies
    // inside it.
    bool Focused() const;
    void SetFocus();

    // Raised on every pass of a wait loop (Go with a time-out, Wait,
    // WaitWhileBusy, AssignEmptyDocument) before the time-out is checked: after
    // each batch of events and at least every 10 ms while assigned.
    // AStartTime is the loop's start in milliseconds of the system tick, the same
    // on every pass. Changing TimeOut changes the limit of this wait (0: none);
    // setting Cancel to true ends the wait, which then returns False.
    // Unhandled: the wait runs until complete, stopped or timed out.
    TSxtBusyWaitEvent OnBusyWait;
    // Raised after the component's window was shown or hidden, for any reason;
    // Visible is the new state, already stored in Visible(). Unhandled: nothing.
    TSxtVisibleEvent OnVisible;
    // Raised for each key pressed while the page, a folder view or the component
    // has the focus, before the page sees it (after the folder view's own arrow
    // keys). Key is the virtual-key code, ScanCode the key's scan code, Shift the
    // modifiers held. Setting Key to 0 keeps the key from the page.
    // Unhandled: the key reaches the page.
    TKeyEventEx OnKeyDown;
    // As OnKeyDown, for each key released.
    TKeyEventEx OnKeyUp;
    // Raised when the left or right mouse button is pressed inside the page or
    // folder view; X and Y are the position in the component. The click
    // goes on to the page either way. Unhandled: nothing.
    TSxtClickEvent OnClick;
    // Raised for every message run through WindowProc, after the component's
    // own handling. Handled comes in true when that handling produced a result;
    // setting it makes the message's result 1 (consumed), clearing it makes it
    // 0. Unhandled: the result stays as the component's handling left it.
    TSxtMessageEvent OnMessage;
    // Raised when the component's window is asked to close (WM_CLOSE, a page's
    // window.close() reaching it). CanClose comes in true; setting it to false
    // keeps the window open. Unhandled: the window closes.
    TCloseQueryEvent OnCloseQuery;

    // Runs once, after the creating code has set the properties (at the
    // latest on the first pass of the event loop after construction): the
    // error, floating-point, dialog-interception, proxy, sound and HTML code
    // options take effect. Calling it again does nothing.
    void Loaded();

    // Option groups.
    TDialogBoxes DialogBoxes;
    TDisableErrors DisableErrors;
    TPrintOptions PrintOptions;
    TProxySettings ProxySettings;
    TVisualEffects VisualEffects;

    // A fixed text naming the component; assigning it does nothing.
    QString About() const;
    void SetAbout(const QString&) {}

    // The user agent: uaInternal sends UserAgent to servers (User-Agent
    // header) and pages (navigator.userAgent); uaRegistry records it under
    // the registry's "Post Platform" key; uaDefault keeps the engine's own.
    // Setting a different value applies it (ApplyUserAgent).
    QString UserAgent() const { return userAgent_; }
    void SetUserAgent(const QString& value);
    TUserAgentMode UserAgentMode() const { return userAgentMode_; }
    void SetUserAgentMode(TUserAgentMode value);
    void ApplyUserAgent();
    // Removes this component's "Post Platform" entry and writes the base one.
    void RestoreUserAgentRegistry();

    // HTML shown in the browser: one line that is an address navigates to
    // it; other text is loaded as the document. Assigning copies the text
    // and applies it (after Loaded).
    QStringList HTMLCode() const { return htmlCode_; }
    void SetHTMLCode(const QStringList& lines);
    void ApplyHTMLCode();

    // The registry's "Start Page"; empty when missing.
    QString GetIEHomePage() const;
    // Header, footer and margins from the registry's page setup into
    // PrintOptions (margins converted to the stored unit); False when the
    // key could not be opened. Errors are swallowed.
    bool LoadPageSetupFromRegistry();
    // Sets the process's proxy from ProxySettings (with credentials when
    // UserName is set); a proxy applied is removed again when the
    // application ends. True when applied.
    bool ApplyProxySettings();
    // Switches the navigation click sound off (or on) for the process.
    void DisableNavigationSounds(bool Disable);

    // Printing. Print waits for the page and prints it with the print
    // dialog: with PrintOptions.Enabled by the page setup's header and
    // footer, otherwise with PrintOptions' Header and Footer for this job.
    // PrintWithOptions waits, opens the page setup (filled from
    // PrintOptions when Enabled, as it opens) and prints. PrintPreview shows
    // the control's preview; PageSetup waits and opens the page setup.
    // A failure of the control raises EOleException; a dialog the user
    // cancels is no failure.
    void Print();
    void PrintWithOptions();
    void PrintPreview();
    void PageSetup();
    // A page-setup dialog opened by PrintWithOptions is waiting to be filled.
    bool PageSetupPending = false;

    // Raised when one of the control's dialogs takes activation from the
    // form, before the dialog options act. h is the dialog, StyleEx its
    // extended window style (the dialog's "windowStyleEx" property; 0 when
    // it has none), OldCaption its caption. NewCaption and
    // Cancel are DialogBoxes.NewCaption and DialogBoxes.DisableAll
    // themselves: what the handler assigns stays for later dialogs; Cancel
    // closes this dialog and every later one. Unhandled: the options act.
    TSxtShowDialogEvent OnShowDialog;
    // Raised when HTMLCode is applied and is not a single address. Setting
    // Handled keeps the text from being loaded as the document. Unhandled:
    // the text (when not empty) becomes the document.
    TSxtHTMLCodeChangeEvent OnHTMLCodeChange;
    // Host refinements of the control's questions. HostCSS is added as a
    // style sheet to every frame of each page loaded after it is set, HostNS
    // is handed to the control as the host's namespace; both go out only when
    // an OnGetHostInfo handler left them empty. Items of
    // DisabledPopupMenuItems are removed from every context menu, which the
    // component then builds itself.
    QString HostCSS;
    QString HostNS;
    TIEPopupMenuItems DisabledPopupMenuItems;
    HRESULT GetHostInfo(DOCHOSTUIINFO* pInfo) override;

protected:
    // UserAgent in uaInternal mode with a UserAgent set.
    bool AmbientUserAgent(WideString& agent) const override;
    bool BuildsOwnMenus() const override;
    void FilterPopupMenu(DWORD id, QMenu* menu, IDispatch* context) override;
    // A navigation of the page starting forgets a Stop made while idle,
    // before its handlers run; the page's completion is recorded in the
    // history (RecordHistory).
    HRESULT Invoke(DISPID dispId, std::vector<Variant>& args) override;
    void ViewCreated() override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void customEvent(QEvent* event) override;

private:
    template <class Condition> bool WaitLoop(Condition condition, unsigned TimeOut);
    void ArmWakeUp(QTimer& wakeUp, unsigned TimeOut, unsigned elapsed) const;
    bool HandleKeyMessage(TMessage& Message, const TKeyEventEx& handler, bool folderKeys);
    static bool IsFirstReceiver(const QWidget* widget, const QEvent* event);
    bool ForwardKey(QKeyEvent* key);
    void ForwardClick(QMouseEvent* mouse);
    void VisibilityChanged(bool shown);
    bool HandleAllocated() const;
    void ForgetIdleStop();
    bool IsHooked(const QWidget* window) const;
    void Hook(QWidget* window);
    QAbstractItemView* FolderListView() const;

    bool visible_ = true;
    bool recordHistory_ = true;
    // The page's current navigation ended in an error.
    bool pageFailed_ = false;
    bool stopRequested_ = false;
    int waitDepth_ = 0;
    bool destroying_ = false;
    // Script moves reach the host through window services on current
    // systems, so the window procedure does not track them.
    const bool isXPSP2OrLater_ = true;
    bool moveTracking_ = !isXPSP2OrLater_;
    bool activating_ = false;
    QList<QPointer<QWidget>> hooked_;
    // Modifier keys of the key event being run through WindowProc.
    Qt::KeyboardModifiers keyModifiers_;
    void DestroyOptions();
    void PrintThrough(const std::function<HRESULT()>& print);
    bool loaded_ = false;
    QString userAgent_;
    TUserAgentMode userAgentMode_ = uaDefault;
    QString appliedInternalAgent_;
    QString appliedRegistryAgent_;
    bool registryHoldsAgent_ = false;
    QStringList htmlCode_;
};
