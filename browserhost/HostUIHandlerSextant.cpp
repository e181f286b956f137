#include "browserhost/Sextant.h"

#include <QAction>
#include <QMenu>

#include <array>

HRESULT TSextant::GetHostInfo(DOCHOSTUIINFO* pInfo)
{
    TCustomSextant::GetHostInfo(pInfo);
    if (pInfo->pchHostCss.empty())
        pInfo->pchHostCss = HostCSS.toStdU16String();
    if (pInfo->pchHostNS.empty())
        pInfo->pchHostNS = HostNS.toStdU16String();
    return S_OK;
}

bool TSextant::BuildsOwnMenus() const { return TCustomSextant::BuildsOwnMenus() || !DisabledPopupMenuItems.Empty(); }

// Items are found by their command id, in submenus too.
void TSextant::FilterPopupMenu(DWORD id, QMenu* menu, IDispatch* context)
{
    TCustomSextant::FilterPopupMenu(id, menu, context);
    constexpr int itemCount = int(TIEPopupMenuItem::rcsOpenLink) + 1;
    for (int i = 0; i < itemCount; ++i) {
        const auto item = TIEPopupMenuItem(i);
        if (!DisabledPopupMenuItems.Contains(item))
            continue;
        for (QAction* action : menu->findChildren<QAction*>()) {
            bool ok = false;
            if (action->data().toInt(&ok) == PopupMenuItemId(item) && ok)
                delete action;
        }
    }
}
