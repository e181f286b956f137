// The File, Edit and View commands that act on the main browser's page: the
// clipboard and selection, find, saving, loading and printing the page, the
// text size and the character set.
#include "app/unitZarnWeb.h"

#include "browserhost/DocumentOps.h"
#include "browserhost/Sextant.h"
#include "editor/DodiViveDE.h"
#include "platform/shell/ProgramLauncher.h"
#include "platform/ui/Dialogs.h"
#include "tools/DocumentTools.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTabWidget>
#include <QTextEdit>
#include <QUrl>

#include <sstream>

namespace {
using C = TMenuCommand;

// Text size levels by item, largest first.
constexpr std::pair<C, int> TextSizes[] = {{C::TextSizeLargest, 4}, {C::TextSizeLarge, 3}, {C::TextSizeMedium, 2},
    {C::TextSizeSmall, 1}, {C::TextSizeSmallest, 0}};
constexpr int SmallestTextSize = 0;
constexpr int MediumTextSize = 2;
constexpr int LargestTextSize = 4;

const C EncodingItems[] = {C::EncodingAutomatic, C::EncodingCentralEuropean, C::EncodingWesternEuropean,
    C::EncodingUtf8, C::EncodingArabic, C::EncodingBaltic, C::EncodingChineseSimplified, C::EncodingChineseTraditional,
    C::EncodingGreek, C::EncodingKorean, C::EncodingThai, C::EncodingTurkish};

constexpr int MaxCookieLength = 180;

void reportFailure(const QString& text) { MessageDlg(text, mtError, mbOK); }

// A menu opened with Alt and a letter takes the focus from a text box of the
// window, which drops its selection; Copy or Cut chosen there then found
// nothing selected. The selection comes back with the focus.
class MenuKeepsSelection : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // An editable combo box hands its focus events to its line edit
        // directly, past every filter.
        auto* combo = qobject_cast<QComboBox*>(watched);
        auto* edit = combo ? combo->lineEdit() : qobject_cast<QLineEdit*>(watched);
        if (!edit || (event->type() != QEvent::FocusOut && event->type() != QEvent::FocusIn)
            || static_cast<QFocusEvent*>(event)->reason() != Qt::MenuBarFocusReason)
            return false;
        if (event->type() == QEvent::FocusOut) {
            kept_ = edit;
            start_ = edit->selectionStart();
            length_ = edit->selectionLength();
        } else if (kept_ == edit && start_ >= 0) {
            edit->setSelection(start_, length_);
        }
        return false;
    }

private:
    QPointer<QLineEdit> kept_;
    int start_ = -1;
    int length_ = 0;
};
} // namespace

// The clipboard items act where the user is working: in a text box of the
// window (the address or search box, the editor) when it has the focus, else
// in the page, where the page's own focus decides between its text and a
// form field.
QWidget* TfrmMain::focusedTextWidget() const
{
    QWidget* focused = focusWidget();
    if (qobject_cast<QLineEdit*>(focused) || qobject_cast<QTextEdit*>(focused)
        || qobject_cast<QPlainTextEdit*>(focused))
        return focused;
    if (auto* box = qobject_cast<QComboBox*>(focused))
        return box->lineEdit();
    return nullptr;
}

void TfrmMain::bindPageCommands()
{
    qApp->installEventFilter(new MenuKeepsSelection(this));
    // Each text widget has the four as slots of these names.
    const auto clipboard = [this](C command, const char* slot, bool (*onPage)(TSextant&)) {
        OnMenuCommand(command, [this, slot, onPage] {
            if (QWidget* text = focusedTextWidget())
                QMetaObject::invokeMethod(text, slot);
            else
                onPage(*Sextant1);
        });
    };
    clipboard(C::Cut, "cut", &Cut);
    clipboard(C::Copy, "copy", &Copy);
    clipboard(C::Paste, "paste", &Paste);
    clipboard(C::SelectAll, "selectAll", &SelectAll);
    QAction* find = MenuItem(C::FindDialog);
    find->setShortcut(QKeySequence::Find);
    OnMenuCommand(C::FindDialog, [this] { ShowFindDialog(Sextant1->Document()); });

    bindPrintCommands();
    bindPageToolCommands();
    bindPageTransferCommands();
    bindTextSizeCommands();
    bindEncodingCommands();

    OnMenuCommand(C::CheckSiteCookies, [this] {
        const QString cookie = GetCookie(*Sextant1).left(MaxCookieLength);
        ShowMessage(cookie.isEmpty() ? QStringLiteral("No cookies were found.")
                                     : QStringLiteral("The web site has just added a cookie:\n\r") + cookie);
    });
}

void TfrmMain::bindPageToolCommands()
{
    OnMenuCommand(C::OpenPageDialog, [this] { OpenDialog(*Sextant1, this); });
    OnMenuCommand(C::SavePageText, [this] {
        Sextant1->Wait();
        SavePageText(*Sextant1, Sextant1->ControlInterface(), Sextant1->Document());
    });
    OnMenuCommand(C::SavePageImages, [this] { SaveAllImages(Sextant1->ControlInterface(), Sextant1->Document()); });
    OnMenuCommand(C::ScrollToTop, [this] {
        Sextant1->Wait();
        ScrollToTop(Sextant1->ControlInterface());
    });
    OnMenuCommand(C::ScrollToPosition, [this] {
        Sextant1->Wait();
        ScrollToPosition(Sextant1->ControlInterface(), 200, 200);
    });
    OnMenuCommand(C::ScrollToBottom, [this] {
        Sextant1->Wait();
        ScrollToBottom(Sextant1->Document());
    });
    OnMenuCommand(C::GoAboutBlank, [this] { GoAboutBlank(*Sextant1); });
    OnMenuCommand(C::GoAndDownloadFile, [this] {
        StopIfBusy();
        GoDownloadFile(*Sextant1,
            InputBox(
                QStringLiteral("Download a file"), QStringLiteral("Please Enter a valid path + file name"), QString()));
    });
    OnMenuCommand(C::ToggleDesignMode, [this] {
        SetDesignMode(*Sextant1, !IsDesignMode(*Sextant1));
        SetStatusPanelText(4, IsDesignMode(*Sextant1) ? QStringLiteral("Design Mode ") : QString());
    });
    OnMenuCommand(C::ShowPageProperties, [this] { ShowPageProperties(Sextant1->Document()); });
    const QString searched = QStringLiteral("Sextant");
    OnMenuCommand(C::SearchInMsn, [this, searched] { SearchInMsn(*Sextant1, searched); });
    OnMenuCommand(C::SearchInGoogle, [this, searched] { SearchInGoogle(*Sextant1, searched); });
    OnMenuCommand(C::SearchInYahoo, [this, searched] { SearchInYahoo(*Sextant1, searched); });
}

void TfrmMain::bindPrintCommands()
{
    // The control reports a failure by raising; a cancelled dialog is none.
    const auto print = [this](C command, void (TSextant::*operation)()) {
        OnMenuCommand(command, [this, operation] {
            try {
                (Sextant1->*operation)();
            } catch (const EOleException& error) {
                reportFailure(QStringLiteral("The page could not be printed: ") + QString::fromUtf8(error.what()));
            }
        });
    };
    print(C::Print, &TSextant::Print);
    print(C::PrintPreview, &TSextant::PrintPreview);
    print(C::PageSetup, &TSextant::PageSetup);
    print(C::PrintWithOptions, &TSextant::PrintWithOptions);
}

void TfrmMain::bindPageTransferCommands()
{
    OnMenuCommand(C::SavePageToFile, [this] {
        const QString target = QDir::current().filePath(QStringLiteral("Site.html"));
        HRESULT result = S_FALSE;
        try {
            result = SaveToFile(*Sextant1, target);
        } catch (const EOleException&) {}
        if (result != S_OK) {
            reportFailure(QStringLiteral("The page could not be saved to ") + QDir::toNativeSeparators(target));
            return;
        }
        // The folder that holds the file, so that the user sees it.
        ProgramLauncher().openWithDesktop(QUrl::fromLocalFile(QDir::currentPath()));
    });
    OnMenuCommand(C::SaveDialog, [this] {
        QString fileName;
        ::SaveDialog(*Sextant1, this, QString(), QString(), fileName);
    });
    OnMenuCommand(C::SavePageAs, [this] { SaveAs(Sextant1->Document()); });

    const auto editorCaption
        = [this](const QString& caption) { pctrlWB->setTabText(pctrlWB->indexOf(tabEditor), caption); };
    OnMenuCommand(C::LoadFromStream, [this, editorCaption] {
        ShowEditorTab();
        DodiViveDE1->append(
            QStringLiteral("<p><font size=\"7\">This HTML is a test of: Browser - Load From Stream.  </font></p>"));
        DodiViveDE1->HighlightAsHTML();
        editorCaption(QStringLiteral("Browser - Load From Stream"));
        std::stringstream stream(editorLines().join(QLatin1Char('\n')).toStdString());
        LoadFromStream(*Sextant1, stream);
    });
    OnMenuCommand(C::LoadFromStrings, [this, editorCaption] {
        ShowEditorTab();
        DodiViveDE1->append(
            QStringLiteral("<p><font size=\"7\">This HTML is a test of: Browser - Load From Strings.  </font></p>"));
        editorCaption(QStringLiteral("Browser - Load From Strings"));
        LoadFromStrings(*Sextant1, editorLines());
        DodiViveDE1->HighlightAsHTML();
    });
    OnMenuCommand(C::SavePageToStrings, [this, editorCaption] {
        ShowEditorTab();
        editorCaption(QStringLiteral("Browser - Save To Strings"));
        QStringList lines = editorLines();
        if (SaveToStrings(*Sextant1, lines) == S_OK)
            setEditorLines(lines);
    });
    OnMenuCommand(C::SavePageToStream, [this, editorCaption] {
        ShowEditorTab();
        editorCaption(QStringLiteral("Browser - Save To Stream"));
        std::stringstream stream;
        if (SaveToStream(*Sextant1, stream) != S_OK)
            return;
        setEditorLines(QString::fromStdString(stream.str()).split(QLatin1Char('\n')));
        DodiViveDE1->HighlightAsHTML();
    });
}

// Opening the submenu marks the browser's current size; choosing an item
// while a page loads changes nothing, so the mark goes back to the size the
// page has.
void TfrmMain::bindTextSizeCommands()
{
    const auto markCurrentSize = [this] {
        const int current = Sextant1->GetZoom();
        for (const auto& [command, size] : TextSizes)
            MenuItem(command)->setChecked(size == current);
    };
    connect(MenuItem(C::TextSizeMenu)->menu(), &QMenu::aboutToShow, this, markCurrentSize);
    for (const auto& [command, size] : TextSizes) {
        OnMenuCommand(command, [this, size, markCurrentSize] {
            if (Sextant1->Busy()) {
                markCurrentSize();
                return;
            }
            Sextant1->SetZoom(size);
        });
    }
    // The keys every browser zooms with, one size at a time.
    const auto addKeys = [this](const char* name, QList<QKeySequence> keys, std::function<int(int)> size) {
        auto* action = new QAction(this);
        action->setObjectName(QString::fromLatin1(name));
        // A key given twice (the platform's zoom key is one of ours) would make
        // the shortcut ambiguous, and an ambiguous shortcut does nothing.
        QList<QKeySequence> unique;
        for (const QKeySequence& key : keys)
            if (!key.isEmpty() && !unique.contains(key))
                unique << key;
        action->setShortcuts(unique);
        addAction(action);
        connect(action, &QAction::triggered, this, [this, size] { Sextant1->SetZoom(size(Sextant1->GetZoom())); });
    };
    addKeys("actTextLarger",
        {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal), QKeySequence::ZoomIn},
        [](int size) { return std::min(size + 1, LargestTextSize); });
    addKeys("actTextSmaller", {QKeySequence(Qt::CTRL | Qt::Key_Minus), QKeySequence::ZoomOut},
        [](int size) { return std::max(size - 1, SmallestTextSize); });
    addKeys("actTextMedium", {QKeySequence(Qt::CTRL | Qt::Key_0)}, [](int) { return MediumTextSize; });
}

// The mark moves only when the page took the character set; otherwise it
// goes back to the one in use.
void TfrmMain::bindEncodingCommands()
{
    encodingInUse_ = MenuItem(C::EncodingAutomatic);
    for (C command : EncodingItems) {
        QAction* item = MenuItem(command);
        OnMenuCommand(command, [this, item] {
            if (SetCharacterSet(*Sextant1, Sextant1->Document(), item->data().toString(), true))
                encodingInUse_ = item;
            else
                encodingInUse_->setChecked(true);
        });
    }
}

QStringList TfrmMain::editorLines() const { return DodiViveDE1->Text().split(QStringLiteral("\r\n")); }

void TfrmMain::setEditorLines(const QStringList& lines) { DodiViveDE1->setPlainText(lines.join(QLatin1Char('\n'))); }
