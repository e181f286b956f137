#include "app/SettingsNotice.h"

#include "platform/registry/Registry.h"
#include "platform/ui/Dialogs.h"

#include <QDir>
#include <QStringList>

void ReportUntouchedHives()
{
    QStringList files;
    for (const UntouchedHive& hive : UntouchedHives())
        files << QDir::toNativeSeparators(hive.file) + QStringLiteral(": ") + hive.reason;
    if (files.isEmpty())
        return;
    MessageDlg(QStringLiteral("These settings files could not be used and were left untouched:\n\n%1\n\n"
                              "The program goes on with default settings in their place; settings changed while "
                              "it runs are not kept.")
                   .arg(files.join(QLatin1Char('\n'))),
        mtWarning, mbOK);
}
