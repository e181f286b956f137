#pragma once
// TFavoritesMenu: a "Favorites" menu in a main menu bar: command items (add
// the current page, organize favorites, import, export, the import/export
// wizard) followed by one item per favorite and one sub-menu per favorites
// folder, each with its shell icon; sub-menus are filled when first opened
// (TShellMenu, ShellMenu.h). Choosing a favorite opens it in Sextant, or
// hands its address to OnURLSelected.
//
// The menu follows the favorites folder: a change on disk (a favorite added
// elsewhere, an import, the organize dialog) shows the next time the menu
// opens. Add and Organize rebuild it themselves once their click has
// returned.
//
// Failures go to OnError only (silent without a handler). Used on the
// user-interface thread only.
#include "favorites/FavoritesListView.h"
#include "favorites/ShellMenu.h"

#include <QMenuBar>
#include <QPointer>
#include <QString>

#include <functional>
#include <set>

class QWidget;
class TSextant;

enum class TFavOptions {
    foAddFavorites,
    foOrganizeFavorites,
    foImportFavorites,
    foExportFavorites,
    foImportExportWizard
};

// The captions of the command items and of an empty folder.
struct TFavoritesMenuLocalization {
    QString AddFavorites = QStringLiteral("Add to Favorites");
    QString OrganizeFavorites = QStringLiteral("Organize Favorites");
    QString ImportFavorites = QStringLiteral("Import Favorites");
    QString ExportFavorites = QStringLiteral("Export Favorites");
    QString ImportExportWizard = QStringLiteral("Import Export Favorites Wizard");
    QString EmptyCaption = QStringLiteral(" (empty) ");
};

class TFavoritesMenu : public TShellMenu {
    Q_OBJECT

public:
    // Caption starts as the favorites folder's own name.
    explicit TFavoritesMenu(QObject* owner = nullptr);

    QString About() const;
    void SetAbout(const QString&) {}
    // Caption of the top item; read by CreateMenu.
    QString Caption;
    // List channel shortcuts too. false by default.
    bool Channels = false;
    // Opens favorites and supplies the page to add; none by default.
    QPointer<TSextant> Sextant;
    TFavoritesMenuLocalization Localization;
    // The bar that receives the top item; none by default (a free menu).
    QPointer<QMenuBar> MainMenu;
    // Longest item caption in characters (whole characters) before it is
    // cut and "..." added. 50 by default.
    int MaxWidth = 50;
    // 1-based place of the top item in MainMenu, clamped to 1 .. (items +
    // 1). 1 by default.
    int MenuPosition = 1;
    // The command items shown; Add and Organize by default.
    std::set<TFavOptions> Options{TFavOptions::foAddFavorites, TFavOptions::foOrganizeFavorites};
    // How a shortcut's address is read (IntShCut by default).
    TResolveUrl ResolveUrl = IntShCut;
    // The window that owns the dialogs the commands show; none by default.
    QPointer<QWidget> OwnerWindow;

    // Raised after AddFavorite asked the platform to add the page: Title and
    // URL are the page's, Success the result of getting the platform's
    // helper (S_OK, or the failure also reported through OnError). Nothing
    // changes when unhandled.
    std::function<void(TSextant* Sextant, const WideString& Title, const WideString& URL, HRESULT Success)>
        OnAddFavorites;
    // Raised for every failure: ErrorCode a result code, ErrMessage the fixed
    // text of the failing step ("Please assign a browser", "Failed - Empty URL
    // string!", "Failed to retrieve an IShellFolder object for a subfolder!",
    // "Failed Enum objects!", ...) or the bookmark components' own message.
    // Unhandled: silent.
    std::function<void(HRESULT ErrorCode, const QString& ErrMessage)> OnError;
    // Raised when Export has written its file, with the exporter's success
    // text (Import shows its own success box). Unhandled: nothing is shown.
    std::function<void(const QString& Message)> OnDone;
    // The platform's import/export wizard, shown by RunImportExportWizard
    // once the browser holds a document. Unset: the command does nothing.
    std::function<void()> ImportExportWizard;
    // Raised when a favorite is chosen, with the item and its address, in
    // place of Sextant opening it. Unhandled: Sextant opens the address.
    std::function<void(QObject* Sender, const QString& Url)> OnURLSelected;

    // Builds the menu (when Enabled): the top item with Caption at
    // MenuPosition of MainMenu, the command items, the favorites folder.
    void CreateMenu();
    // The command items' operations. Each does nothing without Enabled
    // (AddFavorite then reports "Please assign a browser").
    void AddFavorite();
    void OrganizeFavorites();
    void ImportBookmarks();
    void ExportBookmarks();
    void RunImportExportWizard();

protected:
    void AddCommandItems(QMenu* top) override;
    bool AcceptItem(IShellFolder& folder, LPCITEMIDLIST relative) override;
    bool IsFolderEntry(IShellFolder& folder, LPCITEMIDLIST relative) override;
    QString EntryCaption(IShellFolder& folder, LPCITEMIDLIST relative) override;
    int EntryIcon(const TShellMenuRecord& record) override;
    QString EmptyCaption() const override;
    void ItemChosen(QAction* item, const TShellMenuRecord& record) override;
    void ShellFailure(TShellMenuFailure failure, HRESULT result) override;

private:
    void error(HRESULT code, const QString& message);
    // The address behind a favorite (its absolute list).
    QString addressOf(LPCITEMIDLIST absolute);
    bool ensureDocument();

    // The icon of ".url" files, once asked for (-2 before).
    int urlIcon_ = -2;
};
