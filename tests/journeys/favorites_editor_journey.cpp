// Favorites exported to and imported from a bookmark file the user picks,
// from the Favorites Tools items and from the import and export wizard; and
// the editor's Save writing an edited HTML file back in place as HTML.
#include "Journey.h"

#include "editor/DodiViveDE.h"
#include "platform/shell/SpecialFolders.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenuBar>
#include <QTextEdit>
#include <QTimer>

namespace {

class FavoritesAndEditor : public Journey {
protected:
    // While it lives, every modal window but a file dialog is closed as it
    // comes: a message box by Enter (its default button), the organizer by
    // its Close button.
    struct Dismisser {
        explicit Dismisser(FavoritesAndEditor& journey)
        {
            timer.setInterval(100);
            QObject::connect(&timer, &QTimer::timeout, [&journey] {
                QWidget* modal = QApplication::activeModalWidget();
                if (!modal || qobject_cast<QFileDialog*>(modal) || !modal->isVisible())
                    return;
                if (auto* close = modal->findChild<QAbstractButton*>("btnClose"))
                    journey.Click(close);
                else
                    journey.Press(Qt::Key_Return);
            });
            timer.start();
        }
        QTimer timer;
    };

    static void WriteFile(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    static QByteArray ReadFile(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

TEST_F(FavoritesAndEditor, FavoritesGoToAChosenBookmarkFileAndComeBackFromIt)
{
    const QString favorites = SpecialFolderPath(CSIDL_FAVORITES);
    WriteFile(favorites + "/Fish.url", "[InternetShortcut]\r\nURL=http://fish.test/\r\n");
    OpenWindow();

    const QString exported = QDir::current().filePath("exported.htm");
    ASSERT_TRUE(AnswerFileDialog(exported, [&] {
        ChooseMenuByClick({"Tools", "Favorites Tools", "Export Favorites"});
    }));
    ASSERT_TRUE(WaitFor([&] { return QFileInfo::exists(exported); }));
    EXPECT_TRUE(ReadFile(exported).contains("http://fish.test/"));
    EXPECT_TRUE(WaitFor([&] { return AddressText().endsWith("/exported.htm"); })) << AddressText().toStdString();

    QFile::remove(favorites + "/Fish.url");
    {
        Dismisser dismisser(*this);
        ASSERT_TRUE(AnswerFileDialog(exported, [&] {
            ChooseMenuByClick({"Tools", "Favorites Tools", "Import Favorites"});
        }));
    }
    EXPECT_TRUE(WaitFor([&] { return QFileInfo::exists(favorites + "/Imported Bookmarks/Fish.url"); }));

    const QString byWizard = QDir::current().filePath("wizard.htm");
    const SeenDialog wizard = AnswerDialog("Export...", [&] {
        AnswerFileDialog(byWizard, [&] {
            ChooseMenuByClick({"Tools", "Favorites Tools", "Show Import / Export Wizard"});
        });
    });
    EXPECT_EQ(wizard.Buttons, QStringList({"Import...", "Export...", "Cancel"}));
    EXPECT_TRUE(WaitFor([&] { return QFileInfo::exists(byWizard); }));
}

TEST_F(FavoritesAndEditor, TheEditorSavesAnEditedHtmlFileInPlaceAsHtml)
{
    const QString page = QDir::current().filePath("X.html");
    WriteFile(page, "<p>first</p>\n");
    OpenWindow();

    ASSERT_TRUE(AnswerFileDialog(page, [&] { ChooseMenuByClick({"Tools", "DoroRuveRU Demo", "File", "Open"}); }));
    QTextEdit* editor = Window().DodiViveDE1;
    ASSERT_TRUE(WaitFor([&] { return editor->toPlainText().contains("<p>first</p>"); }));
    Click(editor);
    Press(Qt::Key_End, Qt::ControlModifier);
    Type("<p>second</p>");

    const SeenDialog overwrite = AnswerDialog("Yes", [&] {
        ChooseMenuByClick({"Tools", "DoroRuveRU Demo", "File", "Save"});
    });
    EXPECT_TRUE(overwrite.Text.contains("Do you want to overwrite")) << overwrite.Text.toStdString();
    EXPECT_EQ(ReadFile(page), QByteArray("<p>first</p>\n<p>second</p>"));
    EXPECT_FALSE(QFileInfo::exists(page + ".html"));
}

} // namespace
