#pragma once
// Address completion for an edit field, standing where the shell's
// auto-complete stood: while the user types, a list of addresses that begin
// with the text drops down under the field (auto-suggest) and/or the first
// one is written on into the field with the added part selected
// (auto-append). The addresses come from the typed-address list, the URL
// history store and the file system, as chosen. Used on the user-interface
// thread only.
#include "platform/com/ComTypes.h"

#include <QObject>
#include <QStringList>

#include <functional>

class QAbstractItemView;
class QCompleter;
class QLineEdit;
class QMouseEvent;
class QStringListModel;
class TUrlHistory;

// SHAutoComplete flags.
constexpr DWORD SHACF_DEFAULT = 0;
constexpr DWORD SHACF_FILESYSTEM = 0x1;
constexpr DWORD SHACF_URLHISTORY = 0x2;
constexpr DWORD SHACF_URLMRU = 0x4;
constexpr DWORD SHACF_URLALL = SHACF_URLHISTORY | SHACF_URLMRU;
constexpr DWORD SHACF_USETAB = 0x8;
constexpr DWORD SHACF_AUTOSUGGEST_FORCE_ON = 0x10000000;
constexpr DWORD SHACF_AUTOSUGGEST_FORCE_OFF = 0x20000000;
constexpr DWORD SHACF_AUTOAPPEND_FORCE_ON = 0x40000000;
constexpr DWORD SHACF_AUTOAPPEND_FORCE_OFF = 0x80000000;

// Options of a completion object (IAutoComplete2::SetOptions).
constexpr DWORD ACO_NONE = 0;
constexpr DWORD ACO_AUTOSUGGEST = 0x1;
constexpr DWORD ACO_AUTOAPPEND = 0x2;
constexpr DWORD ACO_SEARCH = 0x4;
constexpr DWORD ACO_FILTERPREFIXES = 0x8;
constexpr DWORD ACO_USETAB = 0x10;
constexpr DWORD ACO_UPDOWNKEYDROPSLIST = 0x20;
constexpr DWORD ACO_RTLREADING = 0x40;
constexpr DWORD ACO_WORDFILTER = 0x80;
constexpr DWORD ACO_NOPREFIXFILTERING = 0x100;

// Where the addresses come from.
constexpr DWORD ACL_TYPED = 0x1; // the typed-address list (most recent first)
constexpr DWORD ACL_HISTORY = 0x2; // the URL history store (most visited first)
constexpr DWORD ACL_FILESYSTEM = 0x4; // files and folders, for a text that starts a path

class TAutoComplete : public QObject {
    Q_OBJECT
public:
    // At most this many addresses are offered.
    static constexpr int MaxSuggestions = 20;

    // The completion of edit, created on first use and owned by the edit.
    static TAutoComplete* Attach(QLineEdit* edit);
    // The completion of edit; nullptr when it has none.
    static TAutoComplete* Of(const QLineEdit* edit);
    // Removes the completion of edit (nothing happens without one).
    static void Detach(QLineEdit* edit);

    void SetSources(DWORD sources); // ACL_* bits; none: nothing is offered
    DWORD Sources() const { return sources_; }
    // ACO_* bits. ACO_AUTOSUGGEST shows the list, ACO_AUTOAPPEND writes the
    // first address on, ACO_USETAB lets Tab and Shift+Tab move through the
    // list.
    // ACO_NOPREFIXFILTERING compares whole addresses; otherwise the scheme
    // and a leading "www." are left out on both sides. The others are taken
    // and have no effect here.
    void SetOptions(DWORD options);
    DWORD Options() const { return options_; }
    // Gives the typed-address list; without one the list is read from the
    // registry's TypedURLs values (Url1 to Url25) of the current user.
    void SetTypedList(std::function<QStringList()> provider);
    // The store the history addresses come from; without one the profile's
    // store. Not owned; must outlive this object or be reset.
    void SetHistory(TUrlHistory* history);

    // The addresses offered for text, in order: typed list, history, file
    // system, without repeats, at most MaxSuggestions.
    QStringList Suggestions(const QString& text);
    // The list under the edit (hidden unless it is shown).
    QAbstractItemView* Popup() const;
    QCompleter* Completer() const { return completer_; }

signals:
    // The user chose an address from the list (Enter on an item or a click);
    // the edit already holds it.
    void Chosen(const QString& address);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit TAutoComplete(QLineEdit* edit);
    void textEdited(const QString& text);
    bool pressOutsideList(QMouseEvent* press);
    void appendFirst(const QString& typed, const QStringList& suggestions);
    bool matches(const QString& candidate, const QString& typed) const;
    QStringList typedAddresses() const;
    QStringList fileSystemEntries(const QString& text) const;

    QLineEdit* edit_;
    QCompleter* completer_;
    QStringListModel* model_;
    std::function<QStringList()> typedList_;
    TUrlHistory* history_ = nullptr;
    DWORD sources_ = ACL_TYPED | ACL_HISTORY;
    DWORD options_ = ACO_AUTOSUGGEST | ACO_AUTOAPPEND;
    QString lastTyped_;
};

// Sets up the completion of edit as the flags say: SHACF_URLHISTORY,
// SHACF_URLMRU (the typed list) and SHACF_FILESYSTEM choose the sources
// (SHACF_DEFAULT: all three), SHACF_USETAB the Tab key, and the FORCE flags
// switch auto-suggest and auto-append on or off (default: the list is
// shown, nothing is appended). Applying
// it again replaces the earlier setting. E_INVALIDARG without an edit.
HRESULT SHAutoComplete(QLineEdit* edit, DWORD flags);
