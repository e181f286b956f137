// The main window following its main browser: the event log, the status bar,
// the progress bar, the caption, the address box, the navigation commands,
// the zone and encryption display and pop-up windows.
#include "app/unitZarnWeb.h"
#include "browserhost/Sextant.h"
#include "tools/SecurityZones.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>
#include <array>
#include <memory>
#include <utility>

namespace {

// Texts of the secure-lock states, by the control's SecureLockIcon value.
const std::array<const char*, 7> SecureLockTexts
    = {"UnSecure", "Mixed", "Unknown Bits", "40 Bit", "56 Bit", "Fortezza", "128 Bit"};

const QString SecureLevelPrefix = QStringLiteral("Secure Level: ");

QString text(const WideString& wide) { return QString::fromStdU16String(wide); }
QString text(const OleVariant& value) { return text(value.toWideString()); }

// A pop-up a page opened: a window of its own around a browser, so that the
// page that opened it can still script it. It is deleted when closed. The
// page sizes and places it (the sizes window.open asked for, resizeTo and
// moveTo), as it could size the browser window it opened from.
TSextant* openPopupWindow()
{
    auto* window = new QMainWindow;
    window->setAttribute(Qt::WA_DeleteOnClose);
    auto* browser = new TSextant(window);
    browser->FloatingHosting = true;
    window->setCentralWidget(browser);
    browser->OnTitleChange = [window](QObject*, const WideString& title) { window->setWindowTitle(text(title)); };
    window->resize(800, 600);
    window->show();
    return browser;
}

// The text of a secure-lock value; empty for a value outside the table.
QString secureLockText(int secureLockIcon)
{
    if (secureLockIcon < 0 || secureLockIcon >= int(SecureLockTexts.size()))
        return {};
    return QString::fromLatin1(SecureLockTexts[std::size_t(secureLockIcon)]);
}

} // namespace

void TfrmMain::AddEventLog(const QString& line)
{
    pendingEventLog_.append(line);
    if (!eventLogFlush_) {
        eventLogFlush_ = new QTimer(this);
        eventLogFlush_->setSingleShot(true);
        eventLogFlush_->setInterval(0);
        connect(eventLogFlush_, &QTimer::timeout, this, &TfrmMain::FlushEventLog);
    }
    if (!eventLogFlush_->isActive())
        eventLogFlush_->start();
}

void TfrmMain::FlushEventLog()
{
    if (pendingEventLog_.isEmpty())
        return;
    lvEventLog->addItems(pendingEventLog_);
    pendingEventLog_.clear();
    lvEventLog->setCurrentRow(lvEventLog->count() - 1);
}

void TfrmMain::ClearEventLog()
{
    pendingEventLog_.clear();
    lvEventLog->clear();
}

void TfrmMain::ShowZoneInfo()
{
    QString name;
    QString description;
    QIcon icon;
    CheckSiteSecurityZone(text(Sextant1->LocationURL()), name, description, icon);
    imgZone->setPixmap(icon.pixmap(16, 16));
    setWindowIcon(icon);
    QApplication::setWindowIcon(icon);
    SetStatusPanelText(1, name);
    statusBar()->setToolTip(description);
    lblZone->setText(name);
    lblZone->setToolTip(description);
    imgZone->setToolTip(QStringLiteral("The Web Site Security Zone Is ") + name);
}

void TfrmMain::ShowSSLInfo()
{
    QString status;
    QString description;
    // An https page whose certificate the user let pass is not secure.
    const bool secure
        = CheckSiteSecurityLevel(Sextant1, text(Sextant1->LocationURL()), status, description) && secureLockIcon_ != 0;
    imgUn->setVisible(!secure);
    ImgSSL->setVisible(secure);
    if (!secure) {
        status.clear();
        description.clear();
    }
    SetStatusPanelText(2, status);
    statusBar()->setToolTip(description);
    lblSSL->setText(status);
    lblSSL->setToolTip(description);
    ImgSSL->setToolTip(secure ? QStringLiteral("The Page SSL Security Status Is ") + status : QString());
}

void TfrmMain::ShowProgress(int progress, int progressMax)
{
    const bool showing = progress >= 1 && progressMax >= 2;
    // Progress past its total (or beyond the bar's range) shows a full bar,
    // never a value the bar would refuse and so keep its old one.
    ProgressBar1->setValue(showing ? int(std::clamp<qint64>(qint64(progress) * 100 / progressMax, 0, 100)) : 1);
    ProgressBar1->setVisible(showing);
}

void TfrmMain::SetSecureLock(int secureLockIcon)
{
    secureLockIcon_ = secureLockIcon;
    const QString lockText = secureLockText(secureLockIcon);
    if (!lockText.isEmpty())
        SecureLevelText = SecureLevelPrefix + lockText;
    lblLevel->setText(SecureLevelText);
    // The panel may cut the text.
    lblLevel->setToolTip(SecureLevelText);
}

void TfrmMain::popupBlocked(const QString& url)
{
    SetStatusPanelText(0,
        url.isEmpty() ? QStringLiteral("Pop-up window blocked") : QStringLiteral("Pop-up window blocked: %1").arg(url));
}

void TfrmMain::bindSextant1Events()
{
    IEAddress1->SetSextant(Sextant1);
    Sextant1->OnBeforeNavigate2
        = [this](QObject*, IDispatch*, OleVariant& url, OleVariant&, OleVariant&, OleVariant&, OleVariant&, WordBool&) {
              ClearEventLog();
              AddEventLog(QStringLiteral("OnBeforeNavigate2 ") + text(url));
          };
    Sextant1->OnNavigateComplete2 = [this](QObject*, IDispatch*, OleVariant& url) {
        AddEventLog(QStringLiteral("OnNavigateComplete2 ") + text(url));
        IEAddress1->setEditText(text(Sextant1->LocationURL()));
        ShowZoneInfo();
        ShowSSLInfo();
    };
    Sextant1->OnDocumentComplete = [this](QObject*, IDispatch* pDisp, OleVariant& url) {
        AddEventLog(QStringLiteral("OnDocumentComplete: ") + text(url));
        UpdateStopState();
        if (pDisp == Sextant1->Application())
            emit MainDocumentComplete(text(url));
    };
    Sextant1->OnDownloadBegin = [this](QObject*) {
        AddEventLog(QStringLiteral("OnDownloadBegin"));
        UpdateStopState();
    };
    Sextant1->OnDownloadComplete = [this](QObject*) {
        AddEventLog(QStringLiteral("OnDocumentComplete ") + text(Sextant1->LocationName()));
        ProgressBar1->hide();
        UpdateStopState();
        Sextant1->UIActivate();
    };
    Sextant1->OnProgressChange = [this](QObject*, int progress, int progressMax) {
        UpdateStopState();
        ShowProgress(progress, progressMax);
    };
    Sextant1->OnStatusTextChange = [this](QObject*, const WideString& status) { SetStatusPanelText(0, text(status)); };
    Sextant1->OnTitleChange = [this](QObject*, const WideString& title) {
        setWindowTitle(MainWindowCaption(text(Sextant1->LocationName())));
        SetStatusPanelText(0, text(title));
    };
    Sextant1->OnCommandStateChange = [this](QObject*, int command, WordBool enable) {
        if (command == CSC_UPDATECOMMANDS) {
            UpdateStopState();
        } else if (command == CSC_NAVIGATEFORWARD) {
            ToolBtnForward->setEnabled(enable);
            GoForward1->setEnabled(enable);
        } else if (command == CSC_NAVIGATEBACK) {
            ToolbtnBack->setEnabled(enable);
            GoBack1->setEnabled(enable);
        }
    };
    Sextant1->OnPropertyChange = [this](QObject*, const WideString&) { UpdateStopState(); };
    // Block Popups blocks the windows a page opens on its own; a window the
    // user asked for (a click on a link into another window, a button whose
    // script opens one) opens, as in every browser. The page's report of the
    // window it opens comes first, with whether the user's gesture led to it;
    // a window no report came for counts as opened without one.
    auto userAskedForWindow = std::make_shared<bool>(false);
    Sextant1->OnEvaluateNewWindow
        = [this, userAskedForWindow](QObject*, const WideString& url, const WideString&, const WideString&,
              const WideString&, bool, DWORD flags, DWORD, HRESULT& result) {
              *userAskedForWindow = flags & NWMF_USERINITIATED;
              if (tbBlock->isChecked() && !*userAskedForWindow) {
                  AddEventLog(QStringLiteral("OnNewWindow"));
                  popupBlocked(text(url));
                  result = S_FALSE;
              }
          };
    Sextant1->OnNewWindow2 = [this, userAskedForWindow](QObject*, IDispatch*& ppDisp, WordBool& cancel) {
        AddEventLog(QStringLiteral("OnNewWindow"));
        if (tbBlock->isChecked() && !std::exchange(*userAskedForWindow, false)) {
            cancel = true;
            popupBlocked(QString());
        } else {
            ppDisp = openPopupWindow()->Application();
        }
    };
    Sextant1->OnVisible = [this](QObject*, WordBool visible) {
        if (visible)
            AddEventLog(QStringLiteral("OnVisible: Visible"));
    };
    Sextant1->OnFullScreen = [this](QObject*, WordBool fullScreen) {
        if (fullScreen)
            AddEventLog(QStringLiteral("OnFullScreen: FullScreen"));
    };
    Sextant1->OnSetSecureLockIcon = [this](QObject*, int secureLockIcon) { SetSecureLock(secureLockIcon); };
    Sextant1->OnScriptError = [this](QObject*, const QString&, const QString&, const QString& errorCode,
                                  const QString& errorMessage, const QString&, TScriptErrorAction&) {
        AddEventLog(QStringLiteral("OnNavigateError ") + errorMessage + QStringLiteral("  ") + errorCode);
        // The log is out of sight unless the Accessories panel shows it.
        SetStatusPanelText(0, QStringLiteral("Error on page: ") + errorMessage);
    };
    Sextant1->OnShowDialog = [this](QObject*, QWidget*, int, const QString&, std::u16string&, bool&) {
        AddEventLog(QStringLiteral("OnShowDialog"));
    };
}
