// The editor tab: the rich editor on it and the commands of the editor menu
// (Tools > DoroRuveRU Demo) that call its operations.
#include "app/unitZarnWeb.h"

#include "editor/DodiViveDE.h"
#include "platform/ui/Dialogs.h"

#include <QAction>
#include <QVBoxLayout>

void TfrmMain::createEditor()
{
    auto* layout = new QVBoxLayout(tabEditor);
    layout->setContentsMargins(0, 0, 0, 0);
    DodiViveDE1 = new TDodiViveDE(tabEditor);
    DodiViveDE1->setObjectName(QStringLiteral("DodiViveDE1"));
    DodiViveDE1->SetSextant(Sextant1);
    DodiViveDE1->Loaded();
    layout->addWidget(DodiViveDE1);
}

void TfrmMain::bindEditorCommands()
{
    const QString menu = QStringLiteral("&Tools|DoroRuveRU Demo|");
    // Binds a menu item; withTab: the editor tab is shown first. File errors
    // are reported, as for any command.
    const auto bind = [&](const char* path, bool withTab, auto operation) {
        connect(MenuItem(menu + QLatin1String(path)), &QAction::triggered, this, [this, withTab, operation] {
            if (withTab)
                ShowEditorTab();
            try {
                operation(*DodiViveDE1);
            } catch (const EFileError& error) {
                ShowException(QString::fromStdString(error.what()));
            }
        });
    };
    bind("Show The Editor", true, [](TDodiViveDE&) {});
    bind("File|New", true, [](TDodiViveDE& e) { e.NewDocument(); });
    bind("File|Open", true, [](TDodiViveDE& e) { e.OpenDocument(); });
    bind("File|Save", true, [](TDodiViveDE& e) { e.SaveDocument(); });
    bind("File|Save As..", true, [](TDodiViveDE& e) { e.SaveDocumentAs(); });
    bind("File|Print", true, [](TDodiViveDE& e) { e.PrintWithDialog(); });
    bind("Edit|Find", true, [](TDodiViveDE& e) { e.OpenFindDialog(); });
    bind("Edit|Replace", true, [](TDodiViveDE& e) { e.OpenReplaceDialog(); });
    bind("Edit|Go To Line Number..", true, [](TDodiViveDE& e) {
        const QString answer = InputBox(
            QStringLiteral("Select A Line"), QStringLiteral("Please Enter a line number to select.."), QString());
        bool number = false;
        const int line = answer.trimmed().toInt(&number);
        if (number)
            e.SelectLine(line);
    });
    bind("Edit|Set Selection As A HyperLink", false, [](TDodiViveDE& e) { e.SetSelectionAsHyperlink(true); });
    bind("Edit|Set Word As A HyperLink", false, [](TDodiViveDE& e) { e.SetWordAsHyperlink(true); });
    QAction* wrap = MenuItem(menu + QStringLiteral("Edit|Wrap Long Lines"));
    connect(wrap, &QAction::triggered, this, [this, wrap] {
        ShowEditorTab();
        DodiViveDE1->SetWordWrap(wrap->isChecked());
    });
    bind("Tools|Highligh HTML", true, [](TDodiViveDE& e) {
        e.HighlightAsHTML();
        e.ScrollToFirstLine();
    });
    bind("Tools|HighLight XML", true, [](TDodiViveDE& e) { e.HighlightAsXML(); });
    bind("Tools|Set Color", true, [](TDodiViveDE& e) { e.SetBackgroundColor(); });
    bind("Tools|Sert Themes", true, [](TDodiViveDE& e) { e.ApplyTheme(tBlack); });
    bind("Add|Add Date And Time", true, [](TDodiViveDE& e) { e.AddDateTime(); });
    bind("Fonts|Set Fonts", true, [](TDodiViveDE& e) { e.SelectFont(); });
    bind("Fonts|Set Font Color", true, [](TDodiViveDE& e) { e.SetSelectionColor(); });
    bind("Fonts|Set Size", true, [](TDodiViveDE& e) { e.SelectFont(); });
    bind("Fonts|Set Bold", true, [](TDodiViveDE& e) { e.ToggleBold(); });
    bind("Fonts|Set Italic", true, [](TDodiViveDE& e) { e.ToggleItalic(); });
    bind("Fonts|Set UnderLine", true, [](TDodiViveDE& e) { e.ToggleUnderline(); });
    bind("Fonts|Add Backround Color To Selected Text", true, [](TDodiViveDE& e) { e.SetSelectionBackground(); });
    bind("Fonts|Reset Fonts Format", false, [](TDodiViveDE& e) { e.ResetFormat(); });
}
