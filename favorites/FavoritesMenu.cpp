#include "favorites/FavoritesMenu.h"

#include "browserhost/Sextant.h"
#include "browserhost/SystemTools.h"
#include "favorites/ExportFavorite.h"
#include "favorites/FavoritesViewCommon.h"
#include "favorites/ImportFavorite.h"
#include "favorites/ItemCaptions.h"
#include "platform/shell/ShellFolder.h"
#include "platform/shell/SpecialFolders.h"
#include "tools/OrganizeFavorites.h"
#include "tools/ShellItems.h"
#include "tools/WebActions.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

namespace {

constexpr HRESULT GeneralFailure = makeHResult(0x80004005);

const QString& channelTypeName()
{
    static const QString name = ChannelShortcutTypeName();
    return name;
}

const QString& internetTypeName()
{
    static const QString name = InternetShortcutTypeName();
    return name;
}

bool isUrlFile(LPCITEMIDLIST item)
{
    return ItemKind(item) == ITEM_FS_FILE
        && QString::fromUtf8(ItemPayload(item)).endsWith(QLatin1String(".url"), Qt::CaseInsensitive);
}

QString favoritesFolderName() { return QFileInfo(SpecialFolderPath(CSIDL_FAVORITES)).fileName(); }

} // namespace

TFavoritesMenu::TFavoritesMenu(QObject* owner) : TShellMenu(owner), Caption(favoritesFolderName()) {}

QString TFavoritesMenu::About() const { return QStringLiteral("TFavoritesMenu - the favorites folder as a menu"); }

void TFavoritesMenu::CreateMenu()
{
    if (!Enabled)
        return;
    UniquePidl favorites;
    const HRESULT result = SHGetSpecialFolderLocation(OwnerWindow, CSIDL_FAVORITES, favorites);
    if (FAILED(result)) {
        error(result, QStringLiteral("Failed to retrieve an IShellFolder object for a subfolder!"));
        return;
    }
    CreateTopMenu(MainMenu, MenuPosition, Caption, favorites.get());
}

void TFavoritesMenu::AddCommandItems(QMenu* top)
{
    const auto has = [this](TFavOptions option) { return Options.count(option) != 0; };
    if (has(TFavOptions::foAddFavorites))
        AddCommand(top, LiteralCaption(Localization.AddFavorites), [this] { AddFavorite(); });
    if (has(TFavOptions::foOrganizeFavorites))
        AddCommand(top, LiteralCaption(Localization.OrganizeFavorites), [this] { OrganizeFavorites(); });
    if (!top->actions().isEmpty())
        top->addSeparator();
    if (!IsIE5OrLater())
        return;
    if (has(TFavOptions::foImportFavorites))
        AddCommand(top, LiteralCaption(Localization.ImportFavorites), [this] { ImportBookmarks(); });
    if (has(TFavOptions::foExportFavorites))
        AddCommand(top, LiteralCaption(Localization.ExportFavorites), [this] { ExportBookmarks(); });
    if (has(TFavOptions::foImportExportWizard))
        AddCommand(top, LiteralCaption(Localization.ImportExportWizard), [this] { RunImportExportWizard(); });
    if (has(TFavOptions::foImportFavorites) || has(TFavOptions::foExportFavorites))
        top->addSeparator();
}

bool TFavoritesMenu::AcceptItem(IShellFolder& folder, LPCITEMIDLIST relative)
{
    if (Channels)
        return true;
    // Every ".url" file has the internet-shortcut type; only other items
    // need their type looked up.
    if (isUrlFile(relative) && internetTypeName() != channelTypeName())
        return true;
    return !ItemTypeNameIs(channelTypeName(), folder, relative);
}

bool TFavoritesMenu::IsFolderEntry(IShellFolder& folder, LPCITEMIDLIST relative)
{
    return !isUrlFile(relative) && IsFolderNotOfType(channelTypeName(), folder, relative);
}

QString TFavoritesMenu::EntryCaption(IShellFolder& folder, LPCITEMIDLIST relative)
{
    return LiteralCaption(CutCaption(GetDisplayName(folder, relative), MaxWidth));
}

int TFavoritesMenu::EntryIcon(const TShellMenuRecord& record)
{
    // Every ".url" file has the same icon; asking the shell once keeps a
    // folder of hundreds of favorites quick to open.
    if (!record.IsFolder && isUrlFile(LastItemOf(record.Absolute.get()).get())) {
        if (urlIcon_ == -2)
            urlIcon_ = ShortcutIconIndex(GetSmallIconIndex(record.Absolute.get()));
        return urlIcon_;
    }
    const int icon = GetSmallIconIndex(record.Absolute.get());
    // Folders keep the folder icon; a favorite the shell knows no better
    // icon for shows as a web page.
    return record.IsFolder ? icon : ShortcutIconIndex(icon);
}

QString TFavoritesMenu::EmptyCaption() const { return Localization.EmptyCaption; }

void TFavoritesMenu::ShellFailure(TShellMenuFailure failure, HRESULT result)
{
    error(result,
        failure == TShellMenuFailure::BindFolder
            ? QStringLiteral("Failed to retrieve an IShellFolder object for a subfolder!")
            : QStringLiteral("Failed Enum objects!"));
}

void TFavoritesMenu::error(HRESULT code, const QString& message)
{
    if (OnError)
        OnError(code, message);
}

QString TFavoritesMenu::addressOf(LPCITEMIDLIST absolute)
{
    std::shared_ptr<IShellFolder> desktop;
    std::shared_ptr<IShellFolder> parent;
    UniquePidl parentList = JoinLists(absolute, nullptr);
    StripLastPidlItem(parentList.get());
    const UniquePidl item = LastItemOf(absolute);
    HRESULT result = SHGetDesktopFolder(desktop);
    if (SUCCEEDED(result))
        result = IsEmptyList(parentList.get()) ? (parent = desktop, S_OK)
                                               : desktop->BindToObject(parentList.get(), parent);
    if (FAILED(result) || !parent) {
        error(FAILED(result) ? result : E_FAIL,
            QStringLiteral("Failed to retrieve an IShellFolder object for a subfolder!"));
        return {};
    }
    SHFILEINFO info;
    const QString type
        = SHGetFileInfo(absolute, 0, info, SHGFI_TYPENAME | SHGFI_PIDL) ? info.szTypeName.left(80) : QString();
    if (type == channelTypeName()) {
        QString name;
        GetLinkTargetDisplayName(*parent, item.get(), name);
        return name;
    }
    const QString path = GetParsingName(*parent, item.get());
    if (type != internetTypeName()) {
        try {
            return ResolveShellLink(path);
        } catch (const EOleSysError& failure) {
            error(failure.ErrorCode, QString::fromUtf8(failure.what()));
            return {};
        }
    }
    return ResolveUrl == IniFile ? ReadUrlFromShortcut(path) : ResolveUrlShortcut(path);
}

void TFavoritesMenu::ItemChosen(QAction* item, const TShellMenuRecord& record)
{
    const QString address = addressOf(record.Absolute.get());
    if (OnURLSelected)
        OnURLSelected(item, address);
    else if (Sextant && !address.isEmpty())
        Sextant->Go(address);
}

void TFavoritesMenu::AddFavorite()
{
    if (!Enabled || !Sextant) {
        error(GeneralFailure, QStringLiteral("Please assign a browser"));
        return;
    }
    const WideString title = Sextant->LocationName();
    const WideString url = Sextant->LocationURL();
    if (url.empty() || url == u"about:blank") {
        error(GeneralFailure, QStringLiteral("Failed - Empty URL string!"));
        return;
    }
    QString name = QString::fromStdU16String(title).trimmed();
    if (name.isEmpty())
        name = QString::fromStdU16String(url);
    // The platform's helper is always at hand here, so its creation cannot
    // fail; the add itself asks the user for the name.
    if (OnAddFavorites)
        OnAddFavorites(Sextant, title, url, S_OK);
    AddToFavorites(QString::fromStdU16String(url), name);
    RebuildMenu();
}

void TFavoritesMenu::OrganizeFavorites()
{
    if (!Enabled)
        return;
    if (SpecialFolderPath(CSIDL_FAVORITES).isEmpty())
        error(GeneralFailure, QStringLiteral("Failed while getting path for the favorites!"));
    ShowOrganizeFavorites(OwnerWindow);
    RebuildMenu();
}

bool TFavoritesMenu::ensureDocument()
{
    if (!Enabled || !Sextant)
        return false;
    if (!Sextant->Document())
        Sextant->AssignEmptyDocument(true);
    return true;
}

void TFavoritesMenu::ImportBookmarks()
{
    if (!ensureDocument())
        return;
    TImportFavorite importer;
    importer.OnError = [this](QObject*, const QString& message, unsigned char code) { error(code, message); };
    // The importer shows its own success box (ShowSuccessMessage).
    importer.Execute();
    RebuildMenu();
}

void TFavoritesMenu::ExportBookmarks()
{
    if (!ensureDocument())
        return;
    TExportFavorite exporter;
    exporter.OnError = [this](QObject*, const QString& message, unsigned char code) { error(code, message); };
    exporter.OnSuccess = [this](QObject*, const QString& message) {
        if (OnDone)
            OnDone(message);
    };
    exporter.Execute();
}

void TFavoritesMenu::RunImportExportWizard()
{
    if (!Enabled || !Sextant)
        return;
    if (!Sextant->Document()) {
        Sextant->AssignEmptyDocument(false);
        Sextant->Wait();
    }
    if (ImportExportWizard)
        ImportExportWizard();
}
