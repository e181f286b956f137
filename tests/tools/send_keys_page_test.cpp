// SendKeys typing into a field of a page shown by the real engine, offscreen.
#include "EngineTest.h"
#include "tools/SendKeys.h"

#include <QApplication>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <gtest/gtest.h>

namespace {

QString evaluate(QWebEnginePage& page, const QString& script) { return RunScript(&page, script).toString(); }

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
        [&] {
            return evaluate(*view.page(),
                       "document.getElementById('field').focus(); "
                       "document.activeElement.id")
                == "field";
        },
        20000));

    ASSERT_TRUE(SendKeys("/home/Pics (2)/car+a.jpg{LEFT 4}{BS}{END}~", false));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return evaluate(*view.page(), "document.getElementById('field').dataset.entered") == "1"; }, 20000));
    EXPECT_EQ(evaluate(*view.page(), "document.getElementById('field').value"), "/home/Pics 2/car.jpg");
}

} // namespace
