#include "app/MainMenus.h"

#include <QActionGroup>
#include <QMenu>

namespace {
using E = TMenuEntry;

E sub(const char* caption, std::vector<E> items) { return E(caption, std::move(items)); }

E check(const char* caption, bool checked = false) { return E(caption, {}, E::Check, checked); }

E radio(const char* caption, const char* hint, bool checked = false) { return E(caption, {}, E::Radio, checked, hint); }

std::vector<E> fileMenu()
{
    return {{"&Open Page Dialog..."}, {"Load From Stream"}, {"Load From Strings"}, {"Save Page To Strings"},
        {"Save Page To Stream"}, {"-"}, {"Save Page to file"}, {"Save Dialog"}, {"&Save page As..."},
        {"Save page text"}, {"Save Page Images"}, {"-"}, {"&Print..."}, {"Print Previe&w"}, {"Page &Setup"},
        {"Print With Options"}, {"-"}, check("Work Offline"), {"-"}, {"&Exit"}};
}

std::vector<E> editMenu()
{
    return {{"Cut To Clipboard"}, {"Paste from Clipboard"}, {"Cop&y to Clipboard"}, {"Select &All"}, {"-"},
        {"&Find Dialog"}};
}

std::vector<E> encodingMenu()
{
    return {radio("Automatic", "_autodetect_all", true), radio("Central European (ISO)", "iso-8859-2"),
        radio("Western European (ISO)", "iso-8859-1"), radio("Unicode (UTF-8)", "utf-8"),
        radio("Arabic (Windows)", "windows-1256"), radio("Baltic (Windows)", "windows-1257"),
        radio("Chinese Simplified (GB2312)", "gb2312"), radio("Chinese Traditional (Big5)", ""),
        radio("Greek (Windows)", "windows-1253"), radio("Korean (ISO)", "iso-2022-kr"),
        radio("Thai (Windows)", "windows-874"), radio("Turkish (Windows)", "windows-1254")};
}

std::vector<E> viewMenu()
{
    return {{"&Page Source (Html)"}, {"Page Source (Text)"}, {"Page Source (Html As Strings)"},
        {"Page Source (Text  A Strings)"}, {"View Page Images As A List"}, {"-"}, sub("Encoding", encodingMenu()),
        sub("Text Size", {check("Largest"), check("Large"), check("Medium"), check("Small"), check("Smallest")}), {"-"},
        {"Scroll to the top"}, {"Scroll To Position"}, {"Scroll to the bottom"}, {"-"}, {"View/Hide the links bar"}};
}

std::vector<E> navigationMenu()
{
    return {{"Go Home"}, {"Go Back"}, {"Go Forward"}, {"Go About : Blank"}, {"Stop"}, {"Refresh"}, {"-"},
        {"Go Dowload Masked"}, {"Go With Query Details"}, {"Go And Download A File"}};
}

std::vector<E> editorMenu()
{
    return {{"Show The Editor"}, sub("File", {{"New"}, {"Open"}, {"Save"}, {"Save As.."}, {"Print"}}),
        sub("Edit",
            {{"Find"}, {"Replace"}, {"Go To Line Number.."}, {"Set Selection As A HyperLink"},
                {"Set Word As A HyperLink"}, check("Wrap Long Lines", true)}),
        sub("Tools",
            {{"Create A Snapshot"}, {"Preview Code In The Browser (Stream)"}, {"Load HTML Code From Browser (Stream)"},
                {"Mail Selected Text"}, {"Mail"}, {"Highligh HTML"}, {"HighLight XML"}, {"HighLight URL"},
                {"Set Color"}, {"Sert Themes"}}),
        sub("Add",
            {{"Insert Smiles And Formated Text from image list Demo"}, {"Insert File ( As Link)"}, {"Insert Bitmap"},
                {"Add Date And Time"}, {"Add Bullets"}, {"Add Roman Line Numbers"}, {"Add Line Numbers"},
                {"Add A Button"}, {"Add TEdit Box"}, {"Add A Radio Button"}, {"Add A TCheckBox"}}),
        sub("Fonts",
            {{"Set Fonts"}, {"Set Font Color"}, {"Set Size"}, {"Set Bold"}, {"Set Italic"}, {"Set UnderLine"},
                {"Add Backround Color To Selected Text"}, {"Reset Fonts Format"}})};
}

std::vector<E> toolsMenu()
{
    return {
        {"Test Zarn"},
        {"-"},
        sub("Sextant Functions",
            {{"Fill Form With Personal Details"}, {"Get Default Web Browser From Resistry"},
                {"Create A ShortCut On Your Desktop"}, {"Check Online Status"}, {"Get Host And IP"},
                {"Get Special Folder Path"}, {"Set Design mode on/off"}}),
        sub("Security",
            {{"Add To Restricted Zone List"}, {"Check If In Resricted Zone List"}, {"Add To Trusted List Zone List"},
                {"Check If In Trusted Zone List"}, {"-"}, {"Check Site Security Level"}, {"Check Site Security Zone"},
                {"Check Page Security Encryption"}}),
        sub("Favorites Tools",
            {{"Open Other Browsers Favorites"}, {"Show Import / Export Wizard"}, {"Show Organize Favorites"},
                {"Export Favorites"}, {"Import Favorites"}, {"Add To Favorites"}, {"Get Favorites Path"}}),
        sub("History Tools", {{"Get History Path"}, {"Delete History"}, {"Clear Address Bar ( Typed URL's)"}}),
        sub("Cache Tools", {{"Get Cached File Path"}, {"Clear Cache"}}),
        sub("Mail Tools",
            {{"Send The Page In Mail"}, {"Send The Url In Mail"}, {"Save Page To Email"}, {"Create New Mail"}, {"-"},
                {"Open Yahoo Mail"}, {"Open Outlook"}, {"Open Outlook Express"}, {"Open Google Mail"},
                {"Open Address Book"}, {"Open Hotmail Mail"}}),
        sub("Home Page", {{"Get IE Home Page"}, {"Set IE New Home Page"}}),
        sub("Cookies", {{"Check the site for Cookies"}, {"Get Cookies Path"}}),
        sub("Go Search", {{"Search Im Msn"}, {"Search In Google"}, {"Search In Yahoo"}}),
        sub("Show / Open",
            {{"Show Internet Explorer Version"}, {"Show Internet &Options..."}, {"Show Page Properties"},
                {"Open News Client"}, {"Open Calender"}, {"Open Net Meeting"}, {"Open Folders (Explore)"},
                {"Open Registry Editor"}}),
        {"-"},
        sub("Images",
            {{"Show The Image Editor"}, {"Get A Page Capture (Bmp)"}, {"Get A Page Capture (Jpeg)"},
                {"Get page to Thumbnail"}}),
        sub("DoroRuveRU Demo", editorMenu()),
        {"-"},
        sub("Links List",
            {{"Add The Site To The List"}, {"Remove The Site From The List"}, {"Navigate To Link Item"},
                {"Show The List"}, {"Show / Hide The Links Toolbar"}, {"Clear The Link List"}}),
        sub("IE Download", {{"Check the links"}, {"Check URL's From A Link List"}}),
    };
}

void addEntry(QMenu* menu, const TMenuEntry& entry, const QString& path, QHash<QString, QAction*>& items,
    QActionGroup*& radioGroup)
{
    if (entry.caption == QLatin1String("-")) {
        menu->addSeparator();
        return;
    }
    const QString itemPath = path + QLatin1Char('|') + entry.caption;
    if (!entry.items.empty()) {
        QMenu* submenu = menu->addMenu(entry.caption);
        items.insert(itemPath, submenu->menuAction());
        BuildMenu(submenu, entry.items, itemPath, items);
        return;
    }
    QAction* action = menu->addAction(entry.caption);
    action->setCheckable(entry.kind != TMenuEntry::Plain);
    action->setChecked(entry.checkedAtStart);
    if (!entry.hint.isEmpty() || entry.kind == TMenuEntry::Radio) {
        action->setData(entry.hint);
        action->setStatusTip(entry.hint);
    }
    if (entry.kind == TMenuEntry::Radio) {
        if (!radioGroup)
            radioGroup = new QActionGroup(menu);
        radioGroup->addAction(action);
    }
    items.insert(itemPath, action);
}
} // namespace

const std::vector<TMenuEntry>& MainMenuEntries()
{
    static const std::vector<TMenuEntry> entries{sub("&File", fileMenu()), sub("&Edit", editMenu()),
        sub("&View", viewMenu()), sub("Navigation", navigationMenu()), sub("&Tools", toolsMenu())};
    return entries;
}

const std::vector<TMenuEntry>& LinksBarPopupEntries()
{
    static const std::vector<TMenuEntry> entries{{"Add Current Site To The Links List"},
        {"Remove The Current Site From The Links List"}, {"Navigate To Link List Item"}, {"Show The List"},
        {"View/Hide The Links Toolbar"}, {"Clear The Links List"}};
    return entries;
}

void BuildMenu(
    QMenu* menu, const std::vector<TMenuEntry>& entries, const QString& path, QHash<QString, QAction*>& items)
{
    QActionGroup* radioGroup = nullptr;
    for (const TMenuEntry& entry : entries)
        addEntry(menu, entry, path, items, radioGroup);
}
