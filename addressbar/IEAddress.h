#pragma once
// TIEAddress: the address bar. An editable combo box whose list holds the
// addresses the user typed, kept in the current user's TypedURLs registry
// list (Url1 = the newest). Left of the text it shows the icon of what the
// text names: a special folder, a file, a folder, a file type, the site's
// own icon, the application icon or the web-page icon. With GUI = gsThemes it
// draws its own flat border and drop-down button in one of four colour
// themes. It completes addresses while the user types, colours its
// background for https addresses, and, linked to a browser (Sextant), it
// navigates that browser when an address is chosen and then shows the
// browser's location.
//
// Lifetime: create it, set its properties, then call Loaded() once (it runs
// by itself before the box is first shown when nobody called it). Loaded
// reads the typed list, sets the initial text and applies the theme.
//
// Choosing an address (handlers of OnKeyDown run first; "navigate" means the
// linked browser goes to the text without waiting, nothing without one):
// - Enter with the list open: OnUrlSelected; unless cancelled the current
//   item moves to the top, becomes the text, the list closes, the browser
//   navigates (once for AutoNavigateOnEnterKey, once more for
//   AutoNavigateOnSelected) and UpdateAfterSelect runs.
// - Enter with the list closed and a text that is not empty: OnUrlSelected;
//   unless cancelled the browser navigates when AutoNavigateOnEnterKey is
//   set; UpdateAfterSelect runs either way. A choice from the completion list
//   acts the same.
// - Down and Up with the list open move through the items (Down up to the
//   25th), showing each item's text and icon, and navigate when
//   AutoNavigateOnSelected is set; Alt+Down, Alt+Up and Escape close it.
//   Down with the list closed opens it on the next item (and navigates the
//   same way); Up with the list closed does nothing.
// - A click on an item: OnUrlSelected; unless cancelled the browser
//   navigates when AutoNavigateOnSelected is set; UpdateAfterSelect runs.
// - A double click in the text: navigates when AutoNavigateOnDblClk is set,
//   runs UpdateAfterSelect and selects the whole text.
// - Editing the text closes the list.
// Any change of the text, also one the program makes, shows the icon of the
// new text and sets the secure colour (ApplySecureSiteColor).
#include "browserhost/SXT.h"

#include <QComboBox>
#include <QIcon>
#include <QPointer>
#include <QSet>

#include <cstdint>
#include <functional>
#include <set>

class TSextant;

// Colours as 0x00BBGGRR, or a system colour (0x80000000 | index).
using TColor = std::int32_t;

enum TGUI { gsCombobox, gsThemes };
enum TTextAfterNav { anLocationUrl, anLocationName };
enum TTextOnLoad { tlIELastVisited, tlIEHomePage, tlBlank, tlUserDefine };
enum TAComp { AutoComplete1, AutoComplete2 };
enum TAutoCompleteOption { acAutoSuggest, acAutoAppend, acFileSystem, acUrlHistory, acUrlMRU, acUrlAll, acUseTab };
enum TAutoComplete2Option {
    acoNone,
    acoAutoSuggest,
    acoAutoAppend,
    acoSearch,
    acoFilterPrefix,
    acoUseTab,
    acoUpDownKeyDropList,
    acoRtlReading,
    acoWordFilter,
    acoNoPrefixFiltering
};
enum TACSource { acsList, acsHistory, acsMRU, acsShell };
using TAutoCompleteOptions = std::set<TAutoCompleteOption>;
using TAutoComplete2Options = std::set<TAutoComplete2Option>;
using TACSources = std::set<TACSource>;

// Raised when an address is chosen, before anything else happens. Url is the
// chosen text; setting Cancel stops the choice (no navigation; on Enter in the
// open list also no change to the list or the text). Unhandled: the choice
// goes on.
using TOnUrlSelectedEvent = std::function<void(TObject* Sender, const WideString& Url, bool& Cancel)>;
// Raised before the typed list is written to the registry; Url is the box's
// text. Setting Cancel skips this write (the list itself is kept).
// Unhandled: the list is written.
using TOnUpdateRegistryEvent = std::function<void(TObject* Sender, const WideString& Url, bool& Cancel)>;
// Raised after a choice, once the linked browser is no longer busy, before
// the text is replaced by the browser's location. OldUrl is the text, NewUrl
// what replaces it (LocationURL or LocationName, by TextAfterNav). Setting
// Cancel keeps the text. Unhandled: the text is replaced.
using TOnUpdateTextEvent
    = std::function<void(TObject* Sender, const WideString& OldUrl, const WideString& NewUrl, bool& Cancel)>;
// Raised twice for a site icon: before it is fetched (Icon is nullptr) and
// after it was read (Icon points to it, 16 x 16; a handler may change it).
// Favicon is the file in the profile's cache it is stored in, SiteUrl the
// box's text. Setting Cancel before the fetch leaves the site without one for
// now (it is asked again at the next text); after it, keeps the icon out of
// the list. Unhandled: the icon is fetched and shown.
using TOnGetFaviconEvent = std::function<void(
    TObject* Sender, const WideString& Favicon, const WideString& SiteUrl, bool& Cancel, QIcon* Icon)>;
// Raised before the application icon is shown for a web address (UseAppIcon).
// Icon is the application's icon; a handler may replace it. Setting Cancel
// shows no icon. Unhandled: the application icon is shown.
using TOnGetAppIconEvent = std::function<void(TObject* Sender, bool& Cancel, QIcon& Icon)>;
// Raised when the generic web-page icon is shown; Ext is "htm" and Icon that
// icon. Information only; unhandled: nothing.
using TOnGetIconEvent = std::function<void(TObject* Sender, const QString& Ext, const QIcon& Icon)>;
// Raised for each key pressed in the box before the box acts on it. Key is
// the Qt key code; setting it to 0 makes the box ignore the key. Shift holds
// the modifiers. Unhandled: the box acts on the key.
using TIEAddressKeyEvent = std::function<void(TObject* Sender, int& Key, Qt::KeyboardModifiers Shift)>;

class TCustomIEAddress : public QComboBox {
    Q_OBJECT
public:
    // Inside the class: the rich editor has a TThemes of its own.
    enum TThemes { tmNone, tmXP, tmSilver, tmSoil };
    // Colours the themes and defaults use.
    static constexpr TColor clSystemColor = static_cast<TColor>(0x80000000u);
    static constexpr TColor clNone = 0x1FFFFFFF;
    static constexpr TColor clBlack = 0x000000;
    static constexpr TColor clMaroon = 0x000080;
    static constexpr TColor clGray = 0x808080;
    static constexpr TColor clSilver = 0xC0C0C0;
    static constexpr TColor clWhite = 0xFFFFFF;
    static constexpr TColor clActiveBorder = clSystemColor | 10;
    static constexpr TColor clBtnFace = clSystemColor | 15;
    static constexpr TColor clBtnShadow = clSystemColor | 16;
    static constexpr TColor cl3DDkShadow = clSystemColor | 21;
    static constexpr TColor cl3DLight = clSystemColor | 22;
    static constexpr TColor clInfoBk = clSystemColor | 24;
    // The colour a TColor stands for on this desktop (system colours from
    // the application's palette); clNone gives an invalid colour.
    static QColor ToQColor(TColor color);

    // The TypedURLs values read (Url1 to Url25) and written (Url1 to Url24).
    static constexpr int TypedUrlsRead = 25;
    static constexpr int TypedUrlsWritten = 24;

    explicit TCustomIEAddress(QWidget* parent = nullptr);
    ~TCustomIEAddress() override;

    // Read-only: a fixed text about the component.
    QString About() const;

    // Border, arrow and button colours (gsThemes); replaced by the theme's in
    // Loaded and when Themes changes.
    TColor ArrowColor = clBlack;
    TColor BorderColor = clBlack; // clNone: white border, no line left of the button
    TColor ButtonColor = clBtnFace;
    TColor ButtonPressedColor = clBtnFace;
    TColor HintColor = clInfoBk; // the application's hint colour while the site hint is shown
    TColor SecureSiteBG = clInfoBk; // background for https addresses
    int IconLeft = 4;
    int IconTop = 3;
    bool ShowFavicon = false;
    bool ShowSiteToolTip = true;
    TTextAfterNav TextAfterNav = anLocationUrl;
    TTextOnLoad TextOnLoad = tlIEHomePage;
    WideString TextOnShow; // initial text for tlUserDefine
    bool UpdateTextAfterNav = true;
    bool UseAppIcon = false;
    bool UseSecureSiteBGColor = true;
    bool AutoNavigateOnDblClk = true;
    bool AutoNavigateOnEnterKey = true;
    bool AutoNavigateOnLoad = true;
    bool AutoNavigateOnSelected = true;

    // The browser this box drives and follows; nullptr for none. Not owned;
    // the box forgets it when it is destroyed.
    TSextant* Sextant() const;
    void SetSextant(TSextant* browser);
    // Flat: turns the 3-D look off and clears HasBorder.
    bool Flat() const { return flat_; }
    void SetFlat(bool value);
    TGUI GUI() const { return gui_; }
    void SetGUI(TGUI value);
    bool HasBorder() const { return hasBorder_; }
    void SetHasBorder(bool value);
    // False hides the drop-down button by clipping the window.
    bool HasDropDown() const { return hasDropDown_; }
    void SetHasDropDown(bool value);
    // Applies the theme's colours at once when the box was loaded.
    TThemes Themes() const { return themes_; }
    void SetThemes(TThemes value);
    TAComp AutoCompleteVersion() const { return autoCompleteVersion_; }
    void SetAutoCompleteVersion(TAComp value);
    TAutoCompleteOptions AutoCompleteOptions() const { return autoCompleteOptions_; }
    void SetAutoCompleteOptions(const TAutoCompleteOptions& value);
    TAutoComplete2Options AutoComplete2Options() const { return autoComplete2Options_; }
    void SetAutoComplete2Options(const TAutoComplete2Options& value);
    TACSources AutoComplete2Source() const { return autoComplete2Source_; }
    void SetAutoComplete2Source(const TACSources& value);

    // An address is chosen; Cancel stops the choice. Unhandled: it goes on.
    // (Arguments in full at TOnUrlSelectedEvent.)
    TOnUrlSelectedEvent OnUrlSelected;
    // The typed list is about to be written; Cancel skips this write.
    // Unhandled: it is written. (TOnUpdateRegistryEvent.)
    TOnUpdateRegistryEvent OnUpdateRegistry;
    // After a choice, before the text becomes the browser's location; Cancel
    // keeps the text. Unhandled: it is replaced. (TOnUpdateTextEvent.)
    TOnUpdateTextEvent OnUpdateText;
    // Before a site icon is fetched and after it was read; Cancel leaves the
    // site without it. Unhandled: fetched and shown. (TOnGetFaviconEvent.)
    TOnGetFaviconEvent OnGetFavicon;
    // Before the application icon is shown for a web address; Icon may be
    // replaced, Cancel shows none. Unhandled: the application icon.
    TOnGetAppIconEvent OnGetAppIcon;
    // The generic web-page icon is shown; information only. Unhandled: nothing.
    TOnGetIconEvent OnGetIcon;
    // Each key before the box acts on it; Key 0 makes the box ignore it.
    // Unhandled: the box acts on the key. (TIEAddressKeyEvent.)
    TIEAddressKeyEvent OnKeyDown;

    // Runs once: takes the colours, applies the theme, reads the typed list,
    // sets the initial text (TextOnLoad) and, with a linked browser and
    // AutoNavigateOnLoad, navigates to it.
    void Loaded();
    bool IsLoaded() const { return loaded_; }

    // Removes the item at the current index, when there is one.
    void DeleteSelected();

    // The typed list. LoadTypedUrls fills the list from Url1 to Url25 of the
    // TypedURLs key, each trimmed, skipping empty ones and ones that already
    // occur anywhere inside the list's text (a case-sensitive substring
    // test); unless TextOnLoad is tlUserDefine the text becomes the first
    // item. SaveTypedUrls (for a text that is not empty, unless
    // OnUpdateRegistry cancels) writes items 1 to 24 as Url1 to Url24,
    // skipping empty items and leaving higher values as they are. A key that
    // cannot be opened or written is skipped silently.
    void LoadTypedUrls();
    void SaveTypedUrls();
    // Inserts the text at the top unless an item equals it exactly.
    void AddTextToList();

    // After any choice, for a text that is not empty: normalizes the text,
    // saves the list (as it is, before the text joins it), sets the secure
    // colour, shows the browser's location, adds the text to the list, sets
    // the site hint and fetches the site icon.
    void UpdateAfterSelect();
    // The text followed by "/" when it is folder-like (NormalizeAddressText)
    // and the box's text is not empty.
    QString NormalizeAddress(const QString& text) const;
    // With UseSecureSiteBGColor and a text that is not empty: SecureSiteBG
    // for a text starting with "https" (case-sensitive), else the colour the
    // box had when it was loaded.
    void ApplySecureSiteColor();
    // With a linked browser, UpdateTextAfterNav and a text: waits while the
    // browser is busy, then (unless OnUpdateText cancels) shows its
    // LocationURL or LocationName (an empty one leaves the text).
    void UpdateTextFromBrowser();
    // With a linked browser and ShowSiteToolTip: once its document is
    // complete, the page title becomes the hint when the browser shows the
    // text's address, and the application's hints take HintColor.
    void UpdateSiteToolTip();

    // The icon list index of the icon for text (see the class comment), or -1.
    int GetIconIndex(const QString& text);
    // The site icon of the text's host ("favicon.ico" at its root, or else
    // the icon named by the page when the linked browser shows the text's
    // address): its index when it is known, else -1 while it is fetched in
    // the background (the box shows it when it arrives) or when the host has
    // none. Needs ShowFavicon, a closed list and a valid web address as the
    // text. A text the user is still typing shows only icons already known;
    // the fetch starts once the text is chosen or set by the program. A host
    // whose icon could not be fetched is not asked again while the program
    // runs.
    int LoadFavicon();
    // The icon index shown now (left of the text), -1 for none.
    int CurrentIconIndex() const { return currentIcon_; }

    // Drawing (gsThemes).
    void ApplyTheme();
    void PositionEdit();
    void UpdateRegion();

    // Completion, set up when the box is loaded and when its options change:
    // AutoComplete1 takes AutoCompleteOptions, AutoComplete2
    // AutoComplete2Options and AutoComplete2Source.
    void SetupAutoComplete();
    void SetupAutoComplete2();

    // Item height of the open list.
    static constexpr int ListItemHeight = 16;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    void showPopup() override;
    void hidePopup() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool listOpen() const;
    void navigate();
    void applyTextOnLoad();
    bool urlSelected();
    void setBackground(const QColor& color);
    void showIcon(int index);
    void refreshIcon();
    void paintButton(QPainter& painter);
    QRect buttonRect() const;
    void setTextKeepingList(const QString& text);
    bool handleKey(QKeyEvent* key, bool fromList);
    void enterInOpenList();
    void enterInClosedList();
    void moveInOpenList(int step);
    void itemClicked(int index);
    void doubleClicked();
    void textEdited(const QString& text);
    void selectAllLater();
    int faviconFromFile(const QString& host, const QString& file);
    void faviconFetched(const QString& host, const QString& file, bool ok);
    int appIconIndex();
    int webPageIconIndex();
    void attachCompletion();

    QPointer<TSextant> sextant_;
    bool flat_ = false;
    TGUI gui_ = gsThemes;
    bool hasBorder_ = true;
    bool hasDropDown_ = true;
    TThemes themes_ = tmNone;
    TAComp autoCompleteVersion_ = AutoComplete2;
    TAutoCompleteOptions autoCompleteOptions_{acAutoAppend, acUrlHistory};
    TAutoComplete2Options autoComplete2Options_{acoAutoSuggest, acoAutoAppend, acoSearch};
    TACSources autoComplete2Source_{acsList, acsHistory, acsMRU, acsShell};
    bool loaded_ = false;
    QColor savedColor_;
    QColor savedHintColor_;
    int currentIcon_ = -1;
    QSet<QString> awaitedHosts_; // site icons this box waits for
    int appIcon_ = -1;
    bool clickInList_ = false; // a mouse button was released over the open list
};

class TIEAddress : public TCustomIEAddress {
    Q_OBJECT
public:
    explicit TIEAddress(QWidget* parent = nullptr);
};
