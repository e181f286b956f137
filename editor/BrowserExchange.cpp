// Showing the editor's text as a page of the browser, and loading the
// browser's page into the editor. The waits for the page process events, so
// the window stays usable meanwhile, and the editor or the browser may be
// gone when a wait returns.
#include "editor/DodiViveDE.h"

#include "browserhost/DocumentOps.h"
#include "browserhost/Sextant.h"
#include "platform/ui/Dialogs.h"
#include "tools/DocumentTools.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTextBoundaryFinder>

#include <sstream>

namespace {
constexpr unsigned PageWaitMs = 30000;
constexpr unsigned BlankPageWaitMs = 10000;
// The engine's copy reaches the clipboard after the command returns.
constexpr int ClipboardWaitMs = 5000;
// Save adds ".html": the whole name stays within a file system's 255 bytes.
constexpr qsizetype MaxFileNameBytes = 250;

const QString NoSextantText = QStringLiteral("You must assign a TSextant before using this feature.");
const QString NoBrowserText = QStringLiteral("You should Assign A web Browser before using this feature!");

void showError(const QString& text) { MessageDlg(text, mtError, mbOK); }

// While alive, Esc anywhere in the program stops the browser, which ends
// the wait for its page.
class EscapeStopsBrowser : public QObject {
public:
    explicit EscapeStopsBrowser(TSextant& browser) : browser_(&browser) { qApp->installEventFilter(this); }
    ~EscapeStopsBrowser() override { qApp->removeEventFilter(this); }

    bool Pressed() const { return pressed_; }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape)
            return false;
        if (!pressed_ && browser_)
            browser_->Stop();
        pressed_ = true;
        return true;
    }

private:
    QPointer<TSextant> browser_;
    bool pressed_ = false;
};

bool waitForClipboardChange(int timeoutMs)
{
    bool changed = false;
    const QMetaObject::Connection watch
        = QObject::connect(QApplication::clipboard(), &QClipboard::dataChanged, [&changed] { changed = true; });
    QElapsedTimer clock;
    clock.start();
    while (!changed && clock.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    QObject::disconnect(watch);
    return changed;
}
} // namespace

QString TDodiViveDE::FileNameFromTitle(const QString& title)
{
    QString name;
    for (const QChar c : title)
        name += (c == u'/' || c == u'\\' || c.category() == QChar::Other_Control) ? QChar(u'_') : c;
    while (name.startsWith(u'.'))
        name.remove(0, 1);
    if (name.toUtf8().size() > MaxFileNameBytes) {
        QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, name);
        qsizetype end = 0;
        for (qsizetype next = graphemes.toNextBoundary(); next > 0; next = graphemes.toNextBoundary()) {
            if (QStringView(name).left(next).toUtf8().size() > MaxFileNameBytes)
                break;
            end = next;
        }
        name.truncate(end);
    }
    return name.trimmed().isEmpty() ? kUntitled : name;
}

bool TDodiViveDE::PreviewInBrowser()
{
    if (!sextant_) {
        showError(NoSextantText);
        return false;
    }
    const QString html = DocumentText();
    QPointer<TDodiViveDE> self(this);
    // The text is shown in a page of its own, never written into the site
    // shown before, where its scripts would act as that site.
    sextant_->Stop();
    const bool blank = sextant_->Go(QStringLiteral("about:blank"), BlankPageWaitMs);
    if (!self || !sextant_)
        return false;
    if (!blank || sextant_->LocationURL() != u"about:blank") {
        showError(QStringLiteral("The browser could not open an empty page for the preview."));
        return false;
    }
    SetPlainText(false);
    if (LoadFromStrings(*sextant_, QStringList{html}) != S_OK) {
        showError(QStringLiteral("The text could not be shown in the browser."));
        return false;
    }
    return true;
}

bool TDodiViveDE::WaitForBrowserPage(const QString& noBrowserText)
{
    if (!sextant_) {
        showError(noBrowserText);
        return false;
    }
    if (!CheckSaveChanges())
        return false;
    if (sextant_->LocationURL().empty()) {
        showError(QStringLiteral("The browser shows no page to load."));
        return false;
    }
    QPointer<TDodiViveDE> self(this);
    bool complete = false;
    bool escaped = false;
    {
        EscapeStopsBrowser escape(*sextant_);
        complete = sextant_->Wait(PageWaitMs);
        escaped = escape.Pressed();
    }
    if (!self || !sextant_)
        return false;
    if (complete && sextant_->Document())
        return true;
    // Esc or the browser's Stop: the user ended the wait and needs no box.
    if (!escaped && !sextant_->StopRequested())
        showError(complete ? QStringLiteral("The browser shows no page to load.")
                           : QStringLiteral("The page did not finish loading within 30 seconds; "
                                            "the editor was left as it was."));
    return false;
}

void TDodiViveDE::LoadBrowserText(const QString& text)
{
    SetPlainText(true);
    LoadFromBytes(text.toUtf8());
    SetPlainText(false);
    FinishBrowserLoad();
}

void TDodiViveDE::FinishBrowserLoad()
{
    filesInserted_ = false;
    fileName_ = FileNameFromTitle(QString::fromStdU16String(sextant_->LocationName()));
    UpdateStatusHint();
    ScrollToFirstLine();
    const int second = LineIndex(1);
    SetSel(second < 0 ? 0 : second, second < 0 ? 0 : second);
}

bool TDodiViveDE::LoadFromBrowserStream()
{
    if (!WaitForBrowserPage(NoSextantText))
        return false;
    std::stringstream stream;
    try {
        if (SaveToStream(*sextant_, stream) != S_OK)
            throw std::runtime_error("no document");
    } catch (const std::exception&) {
        showError(QStringLiteral("The page's code could not be read from the browser."));
        return false;
    }
    LoadBrowserText(QString::fromStdString(stream.str()));
    return true;
}

bool TDodiViveDE::LoadFromBrowserDocument()
{
    if (!WaitForBrowserPage(NoSextantText))
        return false;
    QStringList html;
    GetPageSourceHtml(sextant_->ControlInterface(), sextant_->Document(), html);
    if (html.isEmpty()) {
        showError(QStringLiteral("The page's code could not be read from the browser."));
        return false;
    }
    LoadBrowserText(html.first());
    return true;
}

bool TDodiViveDE::LoadFromBrowserClipboard()
{
    if (!WaitForBrowserPage(NoBrowserText))
        return false;
    QPointer<TDodiViveDE> self(this);
    const bool copied = SelectAll(*sextant_) && Copy(*sextant_) && waitForClipboardChange(ClipboardWaitMs);
    if (!self || !sextant_)
        return false;
    if (!copied) {
        showError(QStringLiteral("The page could not be copied from the browser."));
        return false;
    }
    LoadFromBytes(std::string_view());
    SetPlainText(false);
    paste();
    FinishBrowserLoad();
    return true;
}
