#include "tools/OrganizeFavorites.h"

#include "platform/shell/OrganizeFavoritesDialog.h"
#include "platform/shell/SpecialFolders.h"
#include "tools/BrowserSettings.h"

void ShowOrganizeFavorites(QWidget* owner)
{
    const QString folder = GetSpecialFolderPath(CSIDL_FAVORITES);
    if (!folder.isEmpty())
        DoOrganizeFavDlg(owner, folder);
}
