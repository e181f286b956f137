#include "platform/shell/AutoComplete.h"

#include "platform/inet/UrlHistory.h"
#include "platform/registry/Registry.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStringListModel>
#include <QUrl>
#include <QWindow>

namespace {

const char* const kPropertyName = "zarnAutoComplete";
constexpr int kMaxTypedValues = 25;

QStringList registryTypedList()
{
    QStringList list;
    TRegistry reg(HKEY_CURRENT_USER);
    try {
        if (!reg.OpenKeyReadOnly(QStringLiteral("\\Software\\Microsoft\\Internet Explorer\\TypedURLs")))
            return list;
        for (int n = 1; n <= kMaxTypedValues; ++n) {
            const QString name = QStringLiteral("Url%1").arg(n);
            if (reg.GetDataType(name) == REG_SZ || reg.GetDataType(name) == REG_EXPAND_SZ)
                list << reg.ReadString(name).trimmed();
        }
    } catch (const ERegistryException&) {
        // A list that cannot be read offers nothing.
    }
    return list;
}

// The folder and the start of the name a text names as a path: "/usr/lo"
// is ("/usr", "lo"); "file:///tmp/" is ("/tmp", "").
bool splitPath(const QString& text, QString& folder, QString& namePrefix)
{
    QString path = text;
    if (path.startsWith(QStringLiteral("file://"), Qt::CaseInsensitive))
        path = QUrl(path).toLocalFile();
    else if (path.startsWith(QStringLiteral("~/")))
        path = QDir::homePath() + path.mid(1);
    if (!path.startsWith(u'/'))
        return false;
    const qsizetype slash = path.lastIndexOf(u'/');
    folder = slash == 0 ? QStringLiteral("/") : path.left(slash);
    namePrefix = path.mid(slash + 1);
    return true;
}

} // namespace

TAutoComplete::TAutoComplete(QLineEdit* edit)
    : QObject(edit), edit_(edit), completer_(new QCompleter(this)), model_(new QStringListModel(this))
{
    completer_->setModel(model_);
    completer_->setWidget(edit);
    completer_->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    completer_->setMaxVisibleItems(MaxSuggestions);
    // Filters installed later run first: Enter without a chosen row reaches
    // the edit here, before the completer would swallow it.
    completer_->popup()->installEventFilter(this);
    connect(edit, &QLineEdit::textEdited, this, &TAutoComplete::textEdited);
    // A text the program sets is where the user's typing continues from.
    connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!edit_->isModified())
            lastTyped_ = text;
    });
    connect(completer_, qOverload<const QString&>(&QCompleter::activated), this, [this](const QString& address) {
        edit_->setText(address);
        emit Chosen(address);
    });
}

TAutoComplete* TAutoComplete::Attach(QLineEdit* edit)
{
    if (TAutoComplete* existing = Of(edit))
        return existing;
    auto* completion = new TAutoComplete(edit);
    edit->setProperty(kPropertyName, QVariant::fromValue(static_cast<QObject*>(completion)));
    return completion;
}

TAutoComplete* TAutoComplete::Of(const QLineEdit* edit)
{
    return edit ? qobject_cast<TAutoComplete*>(edit->property(kPropertyName).value<QObject*>()) : nullptr;
}

void TAutoComplete::Detach(QLineEdit* edit)
{
    if (TAutoComplete* completion = Of(edit)) {
        edit->setProperty(kPropertyName, QVariant());
        completion->completer_->popup()->hide();
        completion->deleteLater();
    }
}

void TAutoComplete::SetSources(DWORD sources) { sources_ = sources; }

void TAutoComplete::SetOptions(DWORD options)
{
    options_ = options;
    if (!(options & ACO_AUTOSUGGEST))
        completer_->popup()->hide();
}

void TAutoComplete::SetTypedList(std::function<QStringList()> provider) { typedList_ = std::move(provider); }

void TAutoComplete::SetHistory(TUrlHistory* history) { history_ = history; }

QAbstractItemView* TAutoComplete::Popup() const { return completer_->popup(); }

bool TAutoComplete::matches(const QString& candidate, const QString& typed) const
{
    if (options_ & ACO_NOPREFIXFILTERING)
        return candidate.startsWith(typed, Qt::CaseInsensitive);
    return TUrlHistory::MatchKey(candidate).startsWith(TUrlHistory::MatchKey(typed))
        || candidate.startsWith(typed, Qt::CaseInsensitive);
}

QStringList TAutoComplete::typedAddresses() const { return typedList_ ? typedList_() : registryTypedList(); }

QStringList TAutoComplete::fileSystemEntries(const QString& text) const
{
    QString folder;
    QString prefix;
    if (!splitPath(text, folder, prefix) || !QFileInfo(folder).isDir())
        return {};
    QStringList entries;
    const QString head = text.left(text.size() - prefix.size());
    const QDir dir(folder);
    const QFileInfoList found = dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : found) {
        if (!entry.fileName().startsWith(prefix))
            continue;
        entries << head + entry.fileName() + (entry.isDir() ? QStringLiteral("/") : QString());
        if (entries.size() == MaxSuggestions)
            break;
    }
    return entries;
}

QStringList TAutoComplete::Suggestions(const QString& text)
{
    QStringList found;
    const QString typed = text.trimmed();
    if (typed.isEmpty())
        return found;
    auto offer = [&](const QString& address) {
        if (found.size() < MaxSuggestions && !address.isEmpty() && !found.contains(address))
            found << address;
    };
    if (sources_ & ACL_TYPED)
        for (const QString& address : typedAddresses())
            if (matches(address, typed))
                offer(address);
    if (sources_ & ACL_HISTORY) {
        TUrlHistory own;
        TUrlHistory& history = history_ ? *history_ : own;
        for (const TUrlHistoryEntry& entry : history.MatchPrefix(typed, MaxSuggestions))
            if (matches(entry.Url, typed))
                offer(entry.Url);
    }
    if (sources_ & ACL_FILESYSTEM)
        for (const QString& path : fileSystemEntries(typed))
            offer(path);
    return found;
}

void TAutoComplete::textEdited(const QString& text)
{
    // Only a text that grew at its end is completed: deleting must not
    // bring back what the user just removed.
    const bool grew
        = text.size() > lastTyped_.size() && text.startsWith(lastTyped_) && edit_->cursorPosition() == text.size();
    lastTyped_ = text;
    const QStringList suggestions = options_ & (ACO_AUTOSUGGEST | ACO_AUTOAPPEND) ? Suggestions(text) : QStringList();
    model_->setStringList(suggestions);
    if ((options_ & ACO_AUTOSUGGEST) && !suggestions.isEmpty()) {
        completer_->complete();
        // The list offers; what the user typed stays the choice until they
        // pick an address of the list (arrow keys, a click).
        completer_->popup()->setCurrentIndex(QModelIndex());
    } else
        completer_->popup()->hide();
    if ((options_ & ACO_AUTOAPPEND) && grew)
        appendFirst(text, suggestions);
}

void TAutoComplete::appendFirst(const QString& typed, const QStringList& suggestions)
{
    for (const QString& address : suggestions) {
        if (address.size() > typed.size() && address.startsWith(typed, Qt::CaseInsensitive)) {
            edit_->setText(typed + address.mid(typed.size()));
            edit_->setSelection(edit_->text().size(), typed.size() - edit_->text().size());
            edit_->setModified(true);
            lastTyped_ = typed; // typing over the appended part continues the typed text
            return;
        }
    }
}

// A press outside the open list closes it, and still reaches what it was
// aimed at (the GO button beside the box, a link in the page): the list
// would otherwise swallow it, and the user's first click would do nothing.
bool TAutoComplete::pressOutsideList(QMouseEvent* press)
{
    QAbstractItemView* list = completer_->popup();
    const QPoint global = press->globalPosition().toPoint();
    if (list->rect().contains(list->mapFromGlobal(global)))
        return false;
    list->hide();
    QWidget* aimed = QApplication::widgetAt(global);
    QWindow* window = aimed ? aimed->window()->windowHandle() : nullptr;
    if (window && !QApplication::activePopupWidget()) {
        QMouseEvent replay(QEvent::MouseButtonPress, window->mapFromGlobal(press->globalPosition()),
            press->globalPosition(), press->button(), press->buttons(), press->modifiers(), press->pointingDevice());
        QCoreApplication::sendEvent(window, &replay);
    }
    return true;
}

bool TAutoComplete::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == completer_->popup() && event->type() == QEvent::MouseButtonPress
        && pressOutsideList(static_cast<QMouseEvent*>(event)))
        return true;
    if (watched != completer_->popup() || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (enter && !completer_->popup()->currentIndex().isValid()) {
        completer_->popup()->hide();
        QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text());
        QCoreApplication::sendEvent(edit_, &copy);
        return true;
    }
    if (key->key() == Qt::Key_Tab && (options_ & ACO_USETAB)) {
        QAbstractItemView* view = completer_->popup();
        const int rows = model_->rowCount();
        if (rows > 0) {
            const int step = key->modifiers() & Qt::ShiftModifier ? -1 : 1;
            const int row = (view->currentIndex().row() + step + rows) % rows;
            view->setCurrentIndex(model_->index(row));
            edit_->setText(model_->index(row).data().toString());
        }
        return true;
    }
    return QObject::eventFilter(watched, event);
}

HRESULT SHAutoComplete(QLineEdit* edit, DWORD flags)
{
    if (!edit)
        return E_INVALIDARG;
    DWORD sources = 0;
    if (flags & SHACF_URLMRU)
        sources |= ACL_TYPED;
    if (flags & SHACF_URLHISTORY)
        sources |= ACL_HISTORY;
    if (flags & SHACF_FILESYSTEM)
        sources |= ACL_FILESYSTEM;
    if ((flags & (SHACF_URLALL | SHACF_FILESYSTEM)) == 0)
        sources = ACL_TYPED | ACL_HISTORY | ACL_FILESYSTEM;
    DWORD options = (flags & SHACF_AUTOSUGGEST_FORCE_OFF) ? 0 : ACO_AUTOSUGGEST;
    if (flags & SHACF_AUTOAPPEND_FORCE_ON)
        options |= ACO_AUTOAPPEND;
    if (flags & SHACF_USETAB)
        options |= ACO_USETAB;
    TAutoComplete* completion = TAutoComplete::Attach(edit);
    completion->SetSources(sources);
    completion->SetOptions(options);
    return S_OK;
}
