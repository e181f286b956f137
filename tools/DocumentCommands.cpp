#include "tools/DocumentCommands.h"

#include "browserhost/LateBound.h"
#include "highlight/HighlightHTML.h"
#include "platform/files/SafeFile.h"
#include "platform/registry/Registry.h"
#include "platform/ui/Dialogs.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTextCharFormat>
#include <QTextCursor>

#include <algorithm>

namespace {

const QString HomePageKey = QStringLiteral("Software\\Microsoft\\Internet Explorer\\Main");
const QString HomePageValue = QStringLiteral("Start Page");

QColor colorOf(TColor color) { return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF); }

// A late-bound text of the document, empty when it cannot be read.
QString documentText(const OleObject& document, std::u16string_view member)
{
    try {
        return document.Text(member);
    } catch (const std::exception&) {
        return {};
    }
}

QString pageSource(IDispatch* document)
{
    QByteArray html;
    auto* persist = dynamic_cast<IPersistStreamInit*>(document);
    if (!persist || FAILED(persist->Save(html, false)))
        return {};
    return QString::fromUtf8(html);
}

// A window of the page's view: the one already open under that name, or a
// new one that is deleted when closed.
template <class Window> Window* pageWindow(IDispatch* document, const char* name, bool& created)
{
    auto* view = dynamic_cast<IDocumentView*>(document);
    QWidget* owner = view ? view->ViewWindow() : nullptr;
    if (owner)
        if (auto* open = owner->findChild<Window*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly)) {
            created = false;
            return open;
        }
    auto* window = new Window(owner, Qt::Window);
    window->setObjectName(QString::fromLatin1(name));
    window->setAttribute(Qt::WA_DeleteOnClose);
    created = true;
    return window;
}

void colourSource(QPlainTextEdit& editor, const QString& source)
{
    THighlightHTML highlighter;
    const std::string text = source.toStdString();
    highlighter.SetSource(text, 0);
    const std::vector<TColor>& colors = THighlightHTML::DefaultColors();
    QTextCursor cursor(editor.document());
    for (; !highlighter.AtEnd(); highlighter.NextToken()) {
        const int index = highlighter.TokenColor();
        QTextCharFormat format;
        if (index >= 1 && std::size_t(index) <= colors.size())
            format.setForeground(colorOf(colors[std::size_t(index) - 1]));
        const std::string_view token = highlighter.TokenText();
        cursor.insertText(QString::fromUtf8(token.data(), qsizetype(token.size())), format);
    }
}

HRESULT showSource(IDispatch* document)
{
    bool created = false;
    auto* window = pageWindow<QDialog>(document, SourceWindowName, created);
    if (created) {
        auto* editor = new QPlainTextEdit(window);
        editor->setReadOnly(true);
        editor->setLineWrapMode(QPlainTextEdit::NoWrap);
        editor->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        (new QHBoxLayout(window))->addWidget(editor);
        window->resize(800, 600);
    }
    auto* editor = window->findChild<QPlainTextEdit*>();
    editor->clear();
    colourSource(*editor, pageSource(document));
    window->setWindowTitle(QStringLiteral("Source of %1").arg(documentText(OleObject(document), u"URL")));
    window->show();
    window->raise();
    return S_OK;
}

// The find bar: a line for the text, next and previous, whether case
// matters, and how many matches there are.
class FindBar : public QDialog {
public:
    FindBar(QWidget* owner, Qt::WindowFlags flags) : QDialog(owner, flags | Qt::Tool)
    {
        setWindowTitle(QStringLiteral("Find"));
        auto* layout = new QHBoxLayout(this);
        text_ = new QLineEdit(this);
        // Room for a phrase, also once the match count shows beside it.
        text_->setMinimumWidth(200);
        text_->setObjectName(QStringLiteral("findText"));
        auto* previous = new QPushButton(QStringLiteral("Previous"), this);
        previous->setObjectName(QStringLiteral("findPrevious"));
        auto* next = new QPushButton(QStringLiteral("Next"), this);
        next->setObjectName(QStringLiteral("findNext"));
        next->setDefault(true);
        caseSensitive_ = new QCheckBox(QStringLiteral("Match case"), this);
        count_ = new QLabel(this);
        count_->setObjectName(QStringLiteral("findCount"));
        layout->addWidget(new QLabel(QStringLiteral("Find:"), this));
        layout->addWidget(text_);
        layout->addWidget(previous);
        layout->addWidget(next);
        layout->addWidget(caseSensitive_);
        layout->addWidget(count_);
        connect(next, &QPushButton::clicked, this, [this] { find(false); });
        connect(previous, &QPushButton::clicked, this, [this] { find(true); });
        connect(text_, &QLineEdit::returnPressed, this, [this] { find(false); });
    }
    void SetDocument(IDispatch* document) { view_ = dynamic_cast<IDocumentView*>(document); }
    // The user types at once: the bar takes the keyboard with its text
    // selected, so that a new search replaces the last one.
    void TakeKeyboard()
    {
        activateWindow();
        text_->setFocus(Qt::ActiveWindowFocusReason);
        text_->selectAll();
    }

protected:
    void reject() override
    {
        if (view_) {
            int active = 0, matches = 0;
            view_->Find(WideString(), false, false, active, matches);
        }
        QDialog::reject();
    }

private:
    void find(bool backward)
    {
        int active = 0, matches = 0;
        if (!view_
            || FAILED(
                view_->Find(text_->text().toStdU16String(), backward, caseSensitive_->isChecked(), active, matches))) {
            count_->setText(QString());
            return;
        }
        count_->setText(
            matches == 0 ? QStringLiteral("No matches") : QStringLiteral("%1 of %2 matches").arg(active).arg(matches));
    }

    IDocumentView* view_ = nullptr;
    QLineEdit* text_;
    QCheckBox* caseSensitive_;
    QLabel* count_;
};

HRESULT showFindBar(IDispatch* document)
{
    bool created = false;
    auto* bar = pageWindow<FindBar>(document, FindBarName, created);
    bar->SetDocument(document);
    bar->show();
    bar->raise();
    bar->TakeKeyboard();
    return S_OK;
}

HRESULT showProperties(IDispatch* document)
{
    const OleObject page(document);
    const QString address = documentText(page, u"URL");
    const QString protocol = address.section(u':', 0, 0).toLower();
    bool created = false;
    auto* window = pageWindow<QDialog>(document, PropertiesWindowName, created);
    delete window->layout();
    qDeleteAll(window->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly));
    auto* form = new QFormLayout(window);
    const auto row = [window, form](const char* label, const QString& value) {
        auto* text = new QLabel(value, window);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
        text->setWordWrap(true);
        form->addRow(QString::fromLatin1(label), text);
    };
    row("Title:", documentText(page, u"title"));
    row("Address:", address);
    row("Type:", documentText(page, u"contentType"));
    row("Size:", QStringLiteral("%1 bytes").arg(pageSource(document).toUtf8().size()));
    row("Character set:", documentText(page, u"characterSet"));
    row("Modified:", documentText(page, u"lastModified"));
    row("Connection:",
        protocol == QLatin1String("https")      ? QStringLiteral("Encrypted (HTTPS)")
            : protocol == QLatin1String("http") ? QStringLiteral("Not encrypted")
                                                : QStringLiteral("Local or built-in page"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, window);
    QObject::connect(buttons, &QDialogButtonBox::rejected, window, &QDialog::reject);
    form->addRow(buttons);
    window->setWindowTitle(QStringLiteral("Properties"));
    window->show();
    window->raise();
    return S_OK;
}

QString homePage()
{
    try {
        TRegistry registry(HKEY_CURRENT_USER);
        if (registry.OpenKeyReadOnly(HomePageKey) && registry.ValueExists(HomePageValue))
            return registry.ReadString(HomePageValue);
    } catch (const ERegistryException&) {}
    return {};
}

// The settings that exist so far: the home page.
HRESULT showOptions(IDispatch* document)
{
    auto* view = dynamic_cast<IDocumentView*>(document);
    QDialog dialog(view ? view->ViewWindow() : nullptr);
    dialog.setObjectName(QString::fromLatin1(OptionsDialogName));
    dialog.setWindowTitle(QStringLiteral("Internet Options"));
    auto* form = new QFormLayout(&dialog);
    auto* home = new QLineEdit(homePage(), &dialog);
    home->setObjectName(QStringLiteral("homePage"));
    form->addRow(QStringLiteral("Home page:"), home);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return OLECMDERR_E_CANCELED;
    try {
        TRegistry registry(HKEY_CURRENT_USER);
        if (registry.OpenKey(HomePageKey, true)) {
            registry.WriteString(HomePageValue, home->text().trimmed());
            return S_OK;
        }
    } catch (const ERegistryException& error) {
        ShowException(QString::fromLocal8Bit(error.what()));
    }
    return E_FAIL;
}

// The file name a page's title proposes.
QString proposedFileName(IDispatch* document)
{
    const QString title = documentText(OleObject(document), u"title").trimmed();
    return QString::fromStdString(SafeFileName(title.toStdString(), "page")) + QStringLiteral(".html");
}

} // namespace

QString SaveAsTitle() { return QStringLiteral("Save Web Page"); }

QString SaveAsFilter()
{
    return QStringLiteral("Web Page, complete|*.htm;*.html|Web Page, HTML only|*.htm;*.html|"
                          "Web Archive, single file|*.mht;*.mhtml");
}

HRESULT SaveDocumentAs(IDispatch* document)
{
    auto* view = dynamic_cast<IDocumentView*>(document);
    if (!view)
        return OLECMDERR_E_NOTSUPPORTED;
    TFileDialogOptions options;
    options.Title = SaveAsTitle();
    options.Filter = SaveAsFilter();
    options.FilterIndex = 1;
    options.DefaultExt = QStringLiteral("html");
    options.FileName = proposedFileName(document);
    options.Owner = view->ViewWindow();
    if (!Dialogs().SaveDialog(options))
        return OLECMDERR_E_CANCELED;
    static const IDocumentView::SaveFormat formats[]
        = {IDocumentView::CompleteHtml, IDocumentView::SingleHtml, IDocumentView::MimeHtml};
    const auto format = formats[std::clamp(options.FilterIndex, 1, 3) - 1];
    if (FAILED(view->SaveAs(options.FileName.toStdU16String(), format))) {
        ShowException(QStringLiteral("The page could not be saved to %1").arg(options.FileName));
        return E_FAIL;
    }
    return S_OK;
}

HRESULT TDocumentCommands::Exec(IDispatch* document, const GUID* cmdGroup, DWORD cmdId)
{
    if (!cmdGroup && cmdId == OLECMDID_SAVEAS)
        return SaveDocumentAs(document);
    if (!cmdGroup && cmdId == OLECMDID_PROPERTIES)
        return showProperties(document);
    if (cmdGroup && *cmdGroup == CGID_IWebBrowser) {
        switch (cmdId) {
        case HTMLID_FIND:
            return showFindBar(document);
        case HTMLID_VIEWSOURCE:
            return showSource(document);
        case HTMLID_OPTIONS:
            return showOptions(document);
        }
    }
    return OLECMDERR_E_NOTSUPPORTED;
}

void InstallDocumentCommands()
{
    static TDocumentCommands commands;
    SetDocumentCommandWindows(&commands);
}
