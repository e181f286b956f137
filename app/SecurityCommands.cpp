// The Security menu: the page's site put in the user's restricted or trusted
// list and looked up there, and the page's zone and encryption told.
#include "app/unitZarnWeb.h"

#include "browserhost/Sextant.h"
#include "platform/ui/Dialogs.h"
#include "tools/SecurityZones.h"

#include <QAction>
#include <QIcon>

void TfrmMain::bindSecurityCommands()
{
    const auto bind = [this](TMenuCommand command, auto handler) { OnMenuCommand(command, handler); };
    const auto location = [this] { return QString::fromStdU16String(Sextant1->LocationURL()); };
    const auto inform = [](const QString& text) { MessageDlg(text, mtInformation, mbOK); };

    bind(TMenuCommand::AddToRestrictedZone, [location] { AddToRestrictedZone(location()); });
    bind(TMenuCommand::CheckRestrictedZone, [location, inform] {
        inform(CheckIfInRestrictedZone(location(), false)
                ? QStringLiteral("The page is in your Resricted sites list zone.")
                : QStringLiteral("The page is not in your Resricted sites list zone!"));
    });
    bind(TMenuCommand::AddToTrustedZone, [location] { AddToTrustedZone(location()); });
    bind(TMenuCommand::CheckTrustedZone, [location, inform] {
        inform(CheckIfInTrustedZone(location(), false)
                ? QStringLiteral("The page is in your truested sites list zone.")
                : QStringLiteral("The page is not in your truested sites list zone!"));
    });
    bind(TMenuCommand::CheckSiteSecurityLevel, [this, location] {
        QString secureType, description;
        if (CheckSiteSecurityLevel(Sextant1, location(), secureType, description))
            ShowMessage(
                QStringLiteral("Secure Type: ") + secureType + QStringLiteral("\n\rDescription: ") + description);
        else
            ShowMessage(QStringLiteral("The site is not secured."));
    });
    bind(TMenuCommand::CheckSiteSecurityZone, [location] {
        QString zoneName, description;
        QIcon icon;
        CheckSiteSecurityZone(location(), zoneName, description, icon);
        ShowMessage(QStringLiteral("The Web Site Security Zone Is: ") + zoneName);
    });
    bind(TMenuCommand::CheckPageEncryption, [this] { ShowMessage(SecureLevelText); });
}
