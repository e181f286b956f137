// A user right-clicks the page and chooses View Source from its menu: a
// window titled after the page's address shows the page's code at once.
#include "Journey.h"

#include <QApplication>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

namespace {

const std::string SourcePage = "<html><head><title>Sourced</title></head>"
                               "<body><p id=text>Visible words</p><!-- a comment only the code shows --></body></html>";

class PageContextMenu : public Journey {
protected:
    // Right-clicks the element and chooses caption from the page's menu. The
    // menu runs an event loop of its own until it closes, so the choice is
    // made from a timer inside that loop.
    void ChooseFromContextMenu(const QString& elementId, const QString& caption)
    {
        const QPoint at = CentreOf(elementId);
        ASSERT_FALSE(at.isNull()) << elementId.toStdString();
        bool chosen = false;
        QTimer watch;
        watch.setInterval(50);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (chosen || !qobject_cast<QMenu*>(QApplication::activePopupWidget()))
                return;
            chosen = true;
            ChooseFromOpenMenu(caption);
        });
        watch.start();
        QTest::mouseClick(PageWidget(), Qt::RightButton, Qt::NoModifier, at);
        EXPECT_TRUE(WaitFor([&] { return chosen; })) << "no menu for a right click";
    }
};

TEST_F(PageContextMenu, ViewSourceShowsThePageCodeInAWindowOfItsOwn)
{
    JourneyPages::Serve("/source.html", SourcePage);
    OpenWindow(JourneyPages::Url("/source.html"));
    ASSERT_TRUE(WaitForPage(JourneyPages::Url("/source.html"), "Sourced"));

    ChooseFromContextMenu(QStringLiteral("text"), QStringLiteral("View Source"));
    QPlainTextEdit* code = nullptr;
    ASSERT_TRUE(WaitFor(
        [&] {
            for (QWidget* window : OtherWindows())
                if (window->windowTitle().startsWith(QStringLiteral("Source of ")))
                    code = window->findChild<QPlainTextEdit*>();
            return code && code->toPlainText().contains(QStringLiteral("a comment only the code shows"));
        },
        10000))
        << "no source window with the page's code; windows: " << [&] {
               QStringList titles;
               for (QWidget* window : OtherWindows())
                   titles << window->windowTitle();
               return titles.join(u'|').toStdString()
                   + (code ? " text: " + code->toPlainText().left(300).toStdString() : "");
           }();
    EXPECT_TRUE(code->window()->windowTitle().contains(JourneyPages::Url("/source.html")))
        << code->window()->windowTitle().toStdString();
}

} // namespace
