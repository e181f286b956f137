// SendKeys typing into a field of a page shown by the real engine, offscreen.
#include "platform/input/KeyboardInput.h"
#include "platform/webcontrol/WebEngineEnvironment.h"
#include "tools/SendKeys.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <gtest/gtest.h>

namespace {

QString evaluate(QWebEnginePage& page, const QString& script)
{
    QString result;
    bool done = false;
    page.runJavaScript(script, [&](const QVariant& value) {
        result = value.toString();
        done = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, 20000));
    return result;
}

TEST(SendKeysPage, TypesIntoTheFocusedFieldOfAPage)
{
    QWebEngineView view;
    bool loaded = false;
    QObject::connect(&view, &QWebEngineView::loadFinished, [&](bool ok) { loaded = ok; });
    view.setHtml("<html><body><input id='field' onkeydown=\"if (event.key == 'Enter') this.dataset.entered = 1\">"
                 "</body></html>");
    view.resize(400, 200);
    view.show();
    view.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return loaded; }, 60000));
    view.setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] {
        QWidget* focused = QApplication::focusWidget();
        return focused && (focused == &view || view.isAncestorOf(focused));
    }));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return evaluate(*view.page(), "document.getElementById('field').focus(); "
                                            "document.activeElement.id") == "field"; },
        20000));

    ASSERT_TRUE(SendKeys("/home/Pics (2)/car+a.jpg{LEFT 4}{BS}{END}~", false));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return evaluate(*view.page(), "document.getElementById('field').dataset.entered") == "1"; }, 20000));
    EXPECT_EQ(evaluate(*view.page(), "document.getElementById('field').value"), "/home/Pics 2/car.jpg");
}

}

int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("ZARNWEB_HOME", home.path().toUtf8());
    PrepareWebEngineEnvironment();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
