// A user numbers the lines of the editor from the editor menu: roman numbers
// on every line, then arabic numbers on the line the caret is in.
#include "Journey.h"

#include "editor/DodiViveDE.h"

#include <QTextBlock>
#include <QTextList>

namespace {

class EditorNumbering : public Journey {
protected:
    // Each line as the editor shows it: its number, a blank, its text.
    QStringList ShownLines() const
    {
        QStringList lines;
        const TDodiViveDE& editor = *Window().DodiViveDE1;
        for (QTextBlock block = editor.document()->begin(); block.isValid(); block = block.next()) {
            const QTextList* list = block.textList();
            lines << (list ? list->itemText(block) + u' ' : QString()) + block.text();
        }
        return lines;
    }
};

TEST_F(EditorNumbering, RomanNumbersOnEveryLineThenArabicOnTheCaretsLine)
{
    OpenWindow();
    const QStringList demo{QStringLiteral("Tools"), QStringLiteral("DoroRuveRU Demo")};
    ChooseMenu(demo + QStringList{QStringLiteral("Show The Editor")});
    ASSERT_TRUE(WaitFor([&] { return Window().DodiViveDE1->isVisible(); }));
    Click(Window().DodiViveDE1->viewport());
    Type(QStringLiteral("alpha"));
    Press(Qt::Key_Return);
    Type(QStringLiteral("beta"));
    Press(Qt::Key_Return);
    Type(QStringLiteral("gamma"));

    ChooseMenu(demo + QStringList{QStringLiteral("Add"), QStringLiteral("Add Roman Line Numbers")});
    EXPECT_EQ(ShownLines(), (QStringList{"I. alpha", "II. beta", "III. gamma"}));

    // The caret went to the start; a new line typed there, numbered alone.
    Type(QStringLiteral("zero"));
    Press(Qt::Key_Return);
    Press(Qt::Key_Up);
    ChooseMenu(demo + QStringList{QStringLiteral("Add"), QStringLiteral("Add Line Numbers")});
    const QStringList lines = ShownLines();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], QStringLiteral("1. zero"));
    EXPECT_EQ(lines[3], QStringLiteral("III. gamma"));
}

} // namespace
