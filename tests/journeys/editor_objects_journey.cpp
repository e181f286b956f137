// A user fills the editor from the Add menu: the image-list demo puts smilies
// between coloured sample lines and formatted text.
#include "Journey.h"

#include "editor/DodiViveDE.h"

#include <QTextBlock>
#include <QTextFragment>

#include <map>

namespace {

class EditorObjects : public Journey {};

TEST_F(EditorObjects, TheImageListDemoInsertsSmiliesAndFormattedText)
{
    OpenWindow();
    ChooseMenu({"Tools", "DoroRuveRU Demo", "Add", "Insert Smiles And Formated Text from image list Demo"});
    TDodiViveDE& editor = *Window().DodiViveDE1;
    ASSERT_TRUE(WaitFor([&] { return editor.isVisible(); }));

    const QString text = editor.DocumentText();
    EXPECT_EQ(text.count(QChar::ObjectReplacementCharacter), 3) << text.toStdString();
    for (const char* shown : {"The Velvet Lanterns", "Copper Harbour", "Northern Static", "C U L8r"})
        EXPECT_TRUE(text.contains(QLatin1String(shown))) << shown;
    // Each text in its colour.
    std::map<QString, QColor> colours;
    for (QTextBlock block = editor.document()->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            colours[it.fragment().text().trimmed()] = it.fragment().charFormat().foreground().color();
    EXPECT_EQ(colours[QStringLiteral("The Velvet Lanterns")], QColor(Qt::yellow));
    EXPECT_EQ(colours[QStringLiteral("Copper Harbour")], QColor(0x80, 0x00, 0x80));
    EXPECT_EQ(colours[QStringLiteral("Northern Static")], QColor(Qt::red));
    EXPECT_EQ(colours[QStringLiteral("C U L8r")], QColor(0x00, 0x80, 0x00));
}

} // namespace
