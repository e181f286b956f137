// SendKeys typing into real widgets through the synthetic keyboard, offscreen.
#include "ScriptedDialogs.h"
#include "platform/input/KeyboardInput.h"
#include "tools/SendKeys.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <array>
#include <memory>

namespace {

class SendKeysTyping : public ::testing::Test {
protected:
    SendKeysTyping()
    {
        const std::array<std::uint8_t, 256> released{};
        SetKeyboardState(released.data());
    }

    // A window with one line edit that has the keyboard focus.
    QLineEdit* focusedLineEdit()
    {
        window = std::make_unique<QWidget>();
        auto* edit = new QLineEdit(window.get());
        (new QVBoxLayout(window.get()))->addWidget(edit);
        window->show();
        window->activateWindow();
        edit->setFocus();
        EXPECT_TRUE(QTest::qWaitFor([&] { return edit->hasFocus(); }));
        return edit;
    }

    ScriptedDialogs dialogs;
    std::unique_ptr<QWidget> window;
};

TEST_F(SendKeysTyping, TypesTextEditingKeysAndEnterIntoALineEdit)
{
    QLineEdit* edit = focusedLineEdit();
    bool entered = false;
    QObject::connect(edit, &QLineEdit::returnPressed, [&] { entered = true; });

    ASSERT_TRUE(SendKeys("/tmp/My Pics_2/car-1.jpg+c{BS}{LEFT 4}x{END}!~", false));
    EXPECT_TRUE(QTest::qWaitFor([&] { return entered; }));
    EXPECT_EQ(edit->text(), "/tmp/My Pics_2/car-1x.jpg!");
}

TEST_F(SendKeysTyping, WithWaitTheKeysHaveArrivedWhenSendKeysReturns)
{
    QLineEdit* edit = focusedLineEdit();
    ASSERT_TRUE(SendKeys("+abc", true));
    EXPECT_EQ(edit->text(), "Abc");

    ASSERT_TRUE(SendKeys("de", false));
    EXPECT_EQ(edit->text(), "Abc");
    EXPECT_TRUE(QTest::qWaitFor([&] { return edit->text() == "Abcde"; }));
}

TEST_F(SendKeysTyping, ModifiedKeysReachShortcutsAndEditingCommands)
{
    QLineEdit* edit = focusedLineEdit();
    int triggered = 0;
    auto* action = new QAction(window.get());
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    window->addAction(action);
    QObject::connect(action, &QAction::triggered, [&] { ++triggered; });

    ASSERT_TRUE(SendKeys("hello^a^l", true));
    EXPECT_EQ(triggered, 1);
    EXPECT_EQ(edit->selectedText(), "hello");
}

TEST_F(SendKeysTyping, KeysTypedBeforeAMessageReachTheirWindowFirst)
{
    QLineEdit* edit = focusedLineEdit();
    dialogs.OnAsk = [&](const DialogCall&) {
        EXPECT_EQ(edit->text(), "ab");
        return DialogAnswer{};
    };
    ASSERT_TRUE(SendKeys("ab{FOO}c", false));
    EXPECT_EQ(dialogs.Texts(), QStringList{"Invalid Key Name"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return edit->text() == "abc"; }));
}

TEST_F(SendKeysTyping, ChoosesAFileInAFileDialogByItsPathAndEnter)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString picture = folder.filePath("picture 1.jpg");
    for (const QString& name : {picture, folder.filePath("picture 2.jpg")}) {
        QFile file(name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QFileDialog dialog(nullptr, "Choose File to Upload", QDir::homePath());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.open();
    ASSERT_TRUE(QTest::qWaitFor([&] {
        auto* focused = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        return focused && dialog.isAncestorOf(focused);
    }));

    ASSERT_TRUE(SendKeys((picture + "~").toLatin1().constData(), false));
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.result() == QDialog::Accepted && !dialog.isVisible(); }));
    EXPECT_EQ(dialog.selectedFiles(), QStringList{picture});
}

} // namespace
