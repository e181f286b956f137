#include "app/MainMenus.h"

#include <QActionGroup>
#include <QMenu>

namespace {
using E = TMenuEntry;
using C = TMenuCommand;

E item(C command, const char* caption) { return E(command, caption); }

// An item whose behaviour is not built yet; also used for the items that
// have nothing to do, so that none of them looks like it works.
E later(C command, const char* caption) { return E(command, caption, {}, E::Plain, false, "", true); }

E separator() { return E(C::None, "-"); }

E sub(const char* caption, std::vector<E> items, C command = C::None) { return E(command, caption, std::move(items)); }

E check(C command, const char* caption, bool checked = false, bool toCome = false)
{
    return E(command, caption, {}, E::Check, checked, "", toCome);
}

E radio(C command, const char* caption, const char* hint, bool checked = false, bool toCome = false)
{
    return E(command, caption, {}, E::Radio, checked, hint, toCome);
}

std::vector<E> fileMenu()
{
    return {item(C::OpenPageDialog, "&Open Page Dialog..."), item(C::LoadFromStream, "Load From Stream"),
        item(C::LoadFromStrings, "Load From Strings"), item(C::SavePageToStrings, "Save Page To Strings"),
        item(C::SavePageToStream, "Save Page To Stream"), separator(), item(C::SavePageToFile, "Save Page to file"),
        item(C::SaveDialog, "Save Dialog"), item(C::SavePageAs, "&Save page As..."),
        item(C::SavePageText, "Save page text"), item(C::SavePageImages, "Save Page Images"), separator(),
        item(C::Print, "&Print..."), item(C::PrintPreview, "Print Previe&w"), item(C::PageSetup, "Page &Setup"),
        item(C::PrintWithOptions, "Print With Options"), separator(), check(C::WorkOffline, "Work Offline"),
        separator(), item(C::Exit, "&Exit")};
}

std::vector<E> editMenu()
{
    return {item(C::Cut, "Cut To Clipboard"), item(C::Paste, "Paste from Clipboard"),
        item(C::Copy, "Cop&y to Clipboard"), item(C::SelectAll, "Select &All"), separator(),
        item(C::FindDialog, "&Find Dialog")};
}

std::vector<E> encodingMenu()
{
    return {radio(C::EncodingAutomatic, "Automatic", "_autodetect_all", true),
        radio(C::EncodingCentralEuropean, "Central European (ISO)", "iso-8859-2"),
        radio(C::EncodingWesternEuropean, "Western European (ISO)", "iso-8859-1"),
        radio(C::EncodingUtf8, "Unicode (UTF-8)", "utf-8"),
        radio(C::EncodingArabic, "Arabic (Windows)", "windows-1256"),
        radio(C::EncodingBaltic, "Baltic (Windows)", "windows-1257"),
        radio(C::EncodingChineseSimplified, "Chinese Simplified (GB2312)", "gb2312"),
        radio(C::EncodingChineseTraditional, "Chinese Traditional (Big5)", "big5"),
        radio(C::EncodingGreek, "Greek (Windows)", "windows-1253"),
        radio(C::EncodingKorean, "Korean (ISO)", "iso-2022-kr"),
        radio(C::EncodingThai, "Thai (Windows)", "windows-874"),
        radio(C::EncodingTurkish, "Turkish (Windows)", "windows-1254")};
}

std::vector<E> textSizeMenu()
{
    // One group: the browser has one text size, and opening the submenu marks it.
    return {radio(C::TextSizeLargest, "Largest", ""), radio(C::TextSizeLarge, "Large", ""),
        radio(C::TextSizeMedium, "Medium", ""), radio(C::TextSizeSmall, "Small", ""),
        radio(C::TextSizeSmallest, "Smallest", "")};
}

std::vector<E> viewMenu()
{
    return {later(C::PageSourceHtml, "&Page Source (Html)"), later(C::PageSourceText, "Page Source (Text)"),
        later(C::PageSourceHtmlAsStrings, "Page Source (Html As Strings)"),
        later(C::PageSourceTextAsStrings, "Page Source (Text  A Strings)"),
        later(C::PageImagesAsList, "View Page Images As A List"), separator(),
        sub("Encoding", encodingMenu(), C::EncodingMenu), sub("Text Size", textSizeMenu(), C::TextSizeMenu),
        separator(), item(C::ScrollToTop, "Scroll to the top"), item(C::ScrollToPosition, "Scroll To Position"),
        item(C::ScrollToBottom, "Scroll to the bottom"), separator(),
        check(C::ShowHideLinksBar, "View/Hide the links bar", true)};
}

std::vector<E> navigationMenu()
{
    return {item(C::GoHome, "Go Home"), item(C::GoBack, "Go Back"), item(C::GoForward, "Go Forward"),
        item(C::GoAboutBlank, "Go About : Blank"), item(C::Stop, "Stop"), item(C::Refresh, "Refresh"), separator(),
        item(C::GoDownloadMasked, "Go Dowload Masked"), item(C::GoWithQueryDetails, "Go With Query Details"),
        item(C::GoAndDownloadFile, "Go And Download A File")};
}

std::vector<E> editorMenu()
{
    return {item(C::EditorShow, "Show The Editor"),
        sub("File",
            {item(C::EditorNew, "New"), item(C::EditorOpen, "Open"), item(C::EditorSave, "Save"),
                item(C::EditorSaveAs, "Save As.."), item(C::EditorPrint, "Print")}),
        sub("Edit",
            {item(C::EditorFind, "Find"), item(C::EditorReplace, "Replace"),
                item(C::EditorGoToLine, "Go To Line Number.."),
                item(C::EditorSelectionAsLink, "Set Selection As A HyperLink"),
                item(C::EditorWordAsLink, "Set Word As A HyperLink"),
                check(C::EditorWrapLines, "Wrap Long Lines", true)}),
        sub("Tools",
            {item(C::EditorSnapshot, "Create A Snapshot"),
                item(C::EditorPreviewInBrowser, "Preview Code In The Browser (Stream)"),
                item(C::EditorLoadFromBrowser, "Load HTML Code From Browser (Stream)"),
                item(C::EditorMailSelection, "Mail Selected Text"), item(C::EditorMail, "Mail"),
                item(C::EditorHighlightHtml, "Highligh HTML"), item(C::EditorHighlightXml, "HighLight XML"),
                later(C::EditorHighlightUrl, "HighLight URL"), item(C::EditorSetColor, "Set Color"),
                item(C::EditorSetTheme, "Sert Themes")}),
        sub("Add",
            {item(C::EditorInsertSmilies, "Insert Smiles And Formated Text from image list Demo"),
                item(C::EditorInsertFileLink, "Insert File ( As Link)"), item(C::EditorInsertBitmap, "Insert Bitmap"),
                item(C::EditorAddDateTime, "Add Date And Time"), item(C::EditorAddBullets, "Add Bullets"),
                item(C::EditorAddRomanNumbers, "Add Roman Line Numbers"),
                item(C::EditorAddLineNumbers, "Add Line Numbers"), item(C::EditorAddButton, "Add A Button"),
                item(C::EditorAddEditBox, "Add TEdit Box"), item(C::EditorAddRadioButton, "Add A Radio Button"),
                item(C::EditorAddCheckBox, "Add A TCheckBox")}),
        sub("Fonts",
            {item(C::EditorSetFonts, "Set Fonts"), item(C::EditorSetFontColor, "Set Font Color"),
                item(C::EditorSetSize, "Set Size"), item(C::EditorBold, "Set Bold"),
                item(C::EditorItalic, "Set Italic"), item(C::EditorUnderline, "Set UnderLine"),
                item(C::EditorSelectionBackground, "Add Backround Color To Selected Text"),
                item(C::EditorResetFormat, "Reset Fonts Format")})};
}

std::vector<E> toolsMenu()
{
    return {
        later(C::TestZarn, "Test Zarn"),
        separator(),
        sub("Sextant Functions",
            {item(C::FillForm, "Fill Form With Personal Details"),
                item(C::GetDefaultBrowser, "Get Default Web Browser From Resistry"),
                item(C::CreateDesktopShortcut, "Create A ShortCut On Your Desktop"),
                item(C::CheckOnlineStatus, "Check Online Status"), item(C::GetHostAndIP, "Get Host And IP"),
                item(C::GetSpecialFolderPath, "Get Special Folder Path"),
                item(C::ToggleDesignMode, "Set Design mode on/off")}),
        sub("Security",
            {item(C::AddToRestrictedZone, "Add To Restricted Zone List"),
                item(C::CheckRestrictedZone, "Check If In Resricted Zone List"),
                item(C::AddToTrustedZone, "Add To Trusted List Zone List"),
                item(C::CheckTrustedZone, "Check If In Trusted Zone List"), separator(),
                item(C::CheckSiteSecurityLevel, "Check Site Security Level"),
                item(C::CheckSiteSecurityZone, "Check Site Security Zone"),
                item(C::CheckPageEncryption, "Check Page Security Encryption")}),
        sub("Favorites Tools",
            {later(C::OpenOtherBrowsersFavorites, "Open Other Browsers Favorites"),
                item(C::ShowImportExportWizard, "Show Import / Export Wizard"),
                item(C::ShowOrganizeFavorites, "Show Organize Favorites"), item(C::ExportFavorites, "Export Favorites"),
                item(C::ImportFavorites, "Import Favorites"), item(C::AddToFavorites, "Add To Favorites"),
                item(C::GetFavoritesPath, "Get Favorites Path")}),
        sub("History Tools",
            {item(C::GetHistoryPath, "Get History Path"), item(C::DeleteHistory, "Delete History"),
                item(C::ClearTypedUrls, "Clear Address Bar ( Typed URL's)")}),
        sub("Cache Tools", {item(C::GetCachedFilePath, "Get Cached File Path"), item(C::ClearCache, "Clear Cache")}),
        sub("Mail Tools",
            {item(C::SendPageInMail, "Send The Page In Mail"), item(C::SendUrlInMail, "Send The Url In Mail"),
                later(C::SavePageToEmail, "Save Page To Email"), item(C::CreateNewMail, "Create New Mail"), separator(),
                item(C::OpenYahooMail, "Open Yahoo Mail"), item(C::OpenOutlook, "Open Outlook"),
                item(C::OpenOutlookExpress, "Open Outlook Express"), item(C::OpenGoogleMail, "Open Google Mail"),
                item(C::OpenAddressBook, "Open Address Book"), item(C::OpenHotmail, "Open Hotmail Mail")}),
        sub("Home Page", {item(C::GetHomePage, "Get IE Home Page"), item(C::SetNewHomePage, "Set IE New Home Page")}),
        sub("Cookies",
            {item(C::CheckSiteCookies, "Check the site for Cookies"), item(C::GetCookiesPath, "Get Cookies Path")}),
        sub("Go Search",
            {item(C::SearchInMsn, "Search Im Msn"), item(C::SearchInGoogle, "Search In Google"),
                item(C::SearchInYahoo, "Search In Yahoo")}),
        sub("Show / Open",
            {item(C::ShowVersion, "Show Internet Explorer Version"),
                item(C::ShowInternetOptions, "Show Internet &Options..."),
                item(C::ShowPageProperties, "Show Page Properties"), item(C::OpenNewsClient, "Open News Client"),
                item(C::OpenCalendar, "Open Calender"), item(C::OpenNetMeeting, "Open Net Meeting"),
                item(C::OpenFolders, "Open Folders (Explore)"), later(C::OpenRegistryEditor, "Open Registry Editor")}),
        separator(),
        sub("Images",
            {later(C::ShowImageEditor, "Show The Image Editor"), later(C::CaptureBmp, "Get A Page Capture (Bmp)"),
                later(C::CaptureJpeg, "Get A Page Capture (Jpeg)"),
                later(C::PageToThumbnail, "Get page to Thumbnail")}),
        sub("DoroRuveRU Demo", editorMenu()),
        separator(),
        sub("Links List",
            {item(C::LinksAddSite, "Add The Site To The List"),
                item(C::LinksRemoveSite, "Remove The Site From The List"),
                item(C::LinksNavigate, "Navigate To Link Item"), item(C::LinksShowList, "Show The List"),
                item(C::LinksShowHideToolbar, "Show / Hide The Links Toolbar"),
                item(C::LinksClear, "Clear The Link List")}),
        sub("IE Download",
            {item(C::CheckLinks, "Check the links"), item(C::CheckUrlsFromList, "Check URL's From A Link List")}),
    };
}

void addEntry(QMenu* menu, const TMenuEntry& entry, std::map<TMenuCommand, QAction*>& items, QActionGroup*& radioGroup)
{
    if (entry.caption == QLatin1String("-")) {
        menu->addSeparator();
        return;
    }
    if (!entry.items.empty()) {
        QMenu* submenu = menu->addMenu(entry.caption);
        if (entry.command != TMenuCommand::None)
            items[entry.command] = submenu->menuAction();
        BuildMenu(submenu, entry.items, items);
        return;
    }
    QAction* action = menu->addAction(entry.caption);
    action->setCheckable(entry.kind != TMenuEntry::Plain);
    action->setChecked(entry.checkedAtStart);
    action->setEnabled(!entry.toCome);
    if (!entry.hint.isEmpty() || entry.kind == TMenuEntry::Radio) {
        action->setData(entry.hint);
        action->setStatusTip(entry.hint);
    }
    if (entry.kind == TMenuEntry::Radio) {
        if (!radioGroup)
            radioGroup = new QActionGroup(menu);
        radioGroup->addAction(action);
    }
    if (entry.command != TMenuCommand::None)
        items[entry.command] = action;
}
} // namespace

const std::vector<TMenuEntry>& MainMenuEntries()
{
    static const std::vector<TMenuEntry> entries{sub("&File", fileMenu(), C::FileMenu),
        sub("&Edit", editMenu(), C::EditMenu), sub("&View", viewMenu(), C::ViewMenu),
        sub("Navigation", navigationMenu(), C::NavigationMenu), sub("&Tools", toolsMenu(), C::ToolsMenu)};
    return entries;
}

const std::vector<TMenuEntry>& LinksBarPopupEntries()
{
    static const std::vector<TMenuEntry> entries{item(C::LinksBarAddSite, "Add Current Site To The Links List"),
        item(C::LinksBarRemoveSite, "Remove The Current Site From The Links List"),
        item(C::LinksBarNavigate, "Navigate To Link List Item"), item(C::LinksBarShowList, "Show The List"),
        item(C::LinksBarShowHide, "View/Hide The Links Toolbar"), item(C::LinksBarClear, "Clear The Links List")};
    return entries;
}

void BuildMenu(QMenu* menu, const std::vector<TMenuEntry>& entries, std::map<TMenuCommand, QAction*>& items)
{
    QActionGroup* radioGroup = nullptr;
    for (const TMenuEntry& entry : entries)
        addEntry(menu, entry, items, radioGroup);
}
