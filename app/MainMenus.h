#pragma once
// The main window's menus and the links bar's pop-up menu, as data, and the
// builder that turns them into Qt menus.
//
// Every item carries a command id. The window binds one handler to each id
// (TfrmMain::OnMenuCommand) and finds items by id, never by caption, so a
// caption can change without unbinding anything. An item whose behaviour is
// not built yet is marked still to come: it is shown disabled, so that a user
// never chooses an item that does nothing, and the menu test lists every
// other item that has no handler.
//
// Adding a menu command: add an id below, an entry with it in MainMenus.cpp,
// and a handler where the window binds the commands of that menu.
#include <QString>

#include <map>
#include <vector>

class QAction;
class QMenu;

enum class TMenuCommand {
    None, // separators, and submenus nothing needs to reach
    // Menus reached by id because something follows their opening.
    FileMenu,
    EditMenu,
    ViewMenu,
    NavigationMenu,
    ToolsMenu,
    EncodingMenu,
    TextSizeMenu,

    // File
    OpenPageDialog,
    LoadFromStream,
    LoadFromStrings,
    SavePageToStrings,
    SavePageToStream,
    SavePageToFile,
    SaveDialog,
    SavePageAs,
    SavePageText,
    SavePageImages,
    Print,
    PrintPreview,
    PageSetup,
    PrintWithOptions,
    WorkOffline,
    Exit,
    // Edit
    Cut,
    Paste,
    Copy,
    SelectAll,
    FindDialog,
    // View
    PageSourceHtml,
    PageSourceText,
    PageSourceHtmlAsStrings,
    PageSourceTextAsStrings,
    PageImagesAsList,
    EncodingAutomatic,
    EncodingCentralEuropean,
    EncodingWesternEuropean,
    EncodingUtf8,
    EncodingArabic,
    EncodingBaltic,
    EncodingChineseSimplified,
    EncodingChineseTraditional,
    EncodingGreek,
    EncodingKorean,
    EncodingThai,
    EncodingTurkish,
    TextSizeLargest,
    TextSizeLarge,
    TextSizeMedium,
    TextSizeSmall,
    TextSizeSmallest,
    ScrollToTop,
    ScrollToPosition,
    ScrollToBottom,
    ShowHideLinksBar,
    // Navigation
    GoHome,
    GoBack,
    GoForward,
    GoAboutBlank,
    Stop,
    Refresh,
    GoDownloadMasked,
    GoWithQueryDetails,
    GoAndDownloadFile,
    // Tools
    TestZarn,
    FillForm,
    GetDefaultBrowser,
    CreateDesktopShortcut,
    CheckOnlineStatus,
    GetHostAndIP,
    GetSpecialFolderPath,
    ToggleDesignMode,
    AddToRestrictedZone,
    CheckRestrictedZone,
    AddToTrustedZone,
    CheckTrustedZone,
    CheckSiteSecurityLevel,
    CheckSiteSecurityZone,
    CheckPageEncryption,
    OpenOtherBrowsersFavorites,
    ShowImportExportWizard,
    ShowOrganizeFavorites,
    ExportFavorites,
    ImportFavorites,
    AddToFavorites,
    GetFavoritesPath,
    GetHistoryPath,
    DeleteHistory,
    ClearTypedUrls,
    GetCachedFilePath,
    ClearCache,
    SendPageInMail,
    SendUrlInMail,
    SavePageToEmail,
    CreateNewMail,
    OpenYahooMail,
    OpenOutlook,
    OpenOutlookExpress,
    OpenGoogleMail,
    OpenAddressBook,
    OpenHotmail,
    GetHomePage,
    SetNewHomePage,
    CheckSiteCookies,
    GetCookiesPath,
    SearchInMsn,
    SearchInGoogle,
    SearchInYahoo,
    ShowVersion,
    ShowInternetOptions,
    ShowPageProperties,
    OpenNewsClient,
    OpenCalendar,
    OpenNetMeeting,
    OpenFolders,
    OpenRegistryEditor,
    ShowImageEditor,
    CaptureBmp,
    CaptureJpeg,
    PageToThumbnail,
    // Tools > the editor's submenu
    EditorShow,
    EditorNew,
    EditorOpen,
    EditorSave,
    EditorSaveAs,
    EditorPrint,
    EditorFind,
    EditorReplace,
    EditorGoToLine,
    EditorSelectionAsLink,
    EditorWordAsLink,
    EditorWrapLines,
    EditorSnapshot,
    EditorPreviewInBrowser,
    EditorLoadFromBrowser,
    EditorMailSelection,
    EditorMail,
    EditorHighlightHtml,
    EditorHighlightXml,
    EditorHighlightUrl,
    EditorSetColor,
    EditorSetTheme,
    EditorInsertSmilies,
    EditorInsertFileLink,
    EditorInsertBitmap,
    EditorAddDateTime,
    EditorAddBullets,
    EditorAddRomanNumbers,
    EditorAddLineNumbers,
    EditorAddButton,
    EditorAddEditBox,
    EditorAddRadioButton,
    EditorAddCheckBox,
    EditorSetFonts,
    EditorSetFontColor,
    EditorSetSize,
    EditorBold,
    EditorItalic,
    EditorUnderline,
    EditorSelectionBackground,
    EditorResetFormat,
    // Tools > Links List and IE Download
    LinksAddSite,
    LinksRemoveSite,
    LinksNavigate,
    LinksShowList,
    LinksShowHideToolbar,
    LinksClear,
    CheckLinks,
    CheckUrlsFromList,
    // The links bar's pop-up menu
    LinksBarAddSite,
    LinksBarRemoveSite,
    LinksBarNavigate,
    LinksBarShowList,
    LinksBarShowHide,
    LinksBarClear,
};

// One menu item: its command id, its caption ("&" marks the accelerator, "-"
// is a separator) and, for a submenu, its items. Check items start checked
// when checkedAtStart; radio items of one submenu form one exclusive group;
// hint carries the item's data (an encoding item's charset name). toCome:
// the item's behaviour is not built yet; it is shown disabled.
struct TMenuEntry {
    enum Kind { Plain, Check, Radio };
    TMenuEntry(TMenuCommand command, const char* caption, std::vector<TMenuEntry> items = {}, Kind kind = Plain,
        bool checkedAtStart = false, const char* hint = "", bool toCome = false)
        : command(command), caption(QString::fromUtf8(caption)), items(std::move(items)), kind(kind),
          checkedAtStart(checkedAtStart), hint(QString::fromUtf8(hint)), toCome(toCome)
    {}

    TMenuCommand command;
    QString caption;
    std::vector<TMenuEntry> items;
    Kind kind;
    bool checkedAtStart;
    QString hint;
    bool toCome;
};

// "&File", "&Edit", "&View", "Navigation" and "&Tools" with all their items.
const std::vector<TMenuEntry>& MainMenuEntries();
// The links bar's pop-up menu.
const std::vector<TMenuEntry>& LinksBarPopupEntries();

// Adds entries to menu. Every entry with a command id other than None is
// recorded in items under its id (a submenu by its menu action). Items to
// come are disabled.
void BuildMenu(QMenu* menu, const std::vector<TMenuEntry>& entries, std::map<TMenuCommand, QAction*>& items);
