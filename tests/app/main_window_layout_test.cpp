// The first window on a fresh profile, on a small and on a large screen: it
// lies inside the screen's working area, every toolbar caption and every
// accessories tab label is whole, and no toolbar button falls into the
// toolbar's overflow menu, down to the narrowest the window can be made. A
// stored placement still wins.
#include "app/unitZarnWeb.h"
#include "platform/ui/Application.h"
#include "tools/FormPlacement.h"

#include "FakeWebBrowser.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <memory>

namespace {
// The screens of the test's display, side by side; the small one is the
// primary screen.
const QRect SmallScreen(0, 0, 1024, 768);
const QRect LargeScreen(1024, 0, 1920, 1080);

QRect inWindow(const QWidget* widget, const QWidget* window)
{
    return QRect(widget->mapTo(window, QPoint(0, 0)), widget->size());
}

// The style draws a tool button's caption inside the button less its frame
// and elides a caption that is wider.
int captionRoom(const QToolButton* button)
{
    const int frame = button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
    return button->width() - 2 * frame;
}

void expectToolbarWhole(const TfrmMain& window)
{
    const QToolBar* bar = window.MainToolBar;
    for (QAction* action : bar->actions()) {
        if (action->isSeparator())
            continue;
        const std::string caption = action->text().toStdString();
        auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action));
        ASSERT_NE(button, nullptr) << caption;
        EXPECT_TRUE(button->isVisible()) << caption;
        EXPECT_TRUE(bar->rect().contains(button->geometry())) << caption;
        EXPECT_LE(button->fontMetrics().horizontalAdvance(action->text()), captionRoom(button)) << caption;
    }
    const auto* overflow = bar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"));
    EXPECT_TRUE(!overflow || !overflow->isVisible()) << "overflow menu shown";
    const std::initializer_list<const QWidget*> row{bar, window.BtnZarn, window.BtnTags};
    for (const QWidget* widget : row)
        EXPECT_TRUE(window.rect().contains(inWindow(widget, &window))) << widget->objectName().toStdString();
}

void expectTabLabelsWhole(const QTabWidget* tabs)
{
    const QTabBar* bar = tabs->tabBar();
    ASSERT_TRUE(bar->isVisible());
    for (int tab = 0; tab < bar->count(); ++tab) {
        const std::string label = bar->tabText(tab).toStdString();
        EXPECT_TRUE(bar->rect().contains(bar->tabRect(tab))) << label;
        EXPECT_LE(bar->fontMetrics().horizontalAdvance(bar->tabText(tab)), bar->tabRect(tab).width()) << label;
    }
}

class FirstWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(profile.isValid());
        qputenv("ZARNWEB_HOME", profile.path().toUtf8());
    }
    void TearDown() override { SetApplicationMainForm(nullptr); }

    std::unique_ptr<TfrmMain> openWindow(const QRect& screen, bool maximised)
    {
        auto window = std::make_unique<TfrmMain>();
        SetApplicationMainForm(window.get());
        // A window opens on the primary screen; one moved to the other screen
        // before it is shown is placed there.
        window->setScreen(QGuiApplication::screenAt(screen.center()));
        window->move(screen.topLeft());
        if (maximised)
            window->showMaximized();
        else
            window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return window;
    }

    static void showAccessories(TfrmMain& window)
    {
        window.ToolBtnAccesories->trigger();
        const QTabBar* tabs = window.PageCtrl->tabBar();
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return window.PanelAcc->isVisible() && tabs->width() >= tabs->sizeHint().width(); }));
    }

    QTemporaryDir profile;
    FakeWebBrowserFactory factory;
};

TEST_F(FirstWindow, FitsTheScreenWithEveryCaptionWhole)
{
    enum Size { Opened, Maximised, Narrowest };
    struct Case {
        const char* name;
        QRect screen;
        Size size;
    };
    const Case cases[] = {
        {"small screen", SmallScreen, Opened},
        {"small screen, maximised", SmallScreen, Maximised},
        {"small screen, narrowest", SmallScreen, Narrowest},
        {"large screen", LargeScreen, Opened},
        {"large screen, maximised", LargeScreen, Maximised},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto window = openWindow(c.screen, c.size == Maximised);
        const QRect area = window->screen()->availableGeometry();
        EXPECT_EQ(area, c.screen);
        const QRect frame = window->frameGeometry();
        EXPECT_TRUE(area.contains(frame)) << frame.width() << "x" << frame.height();
        if (c.size == Narrowest) {
            const QSize narrowest = window->minimumSize();
            window->resize(narrowest);
            ASSERT_TRUE(QTest::qWaitFor([&] { return window->size() == narrowest; }));
        }
        expectToolbarWhole(*window);
        if (c.size == Maximised && c.screen == LargeScreen) {
            // With room to spare the security panel has its designed width
            // and the spacer takes the rest.
            EXPECT_EQ(window->PanelSecurity->width(), 298);
            EXPECT_GT(window->PanelSecurity->x(), window->MainToolBar->geometry().right() + 298);
        }
        showAccessories(*window);
        expectTabLabelsWhole(window->PageCtrl);
        expectToolbarWhole(*window);
    }
}

TEST_F(FirstWindow, StoredPlacementWins)
{
    const QRect stored(60, 40, 900, 600);
    {
        auto window = openWindow(SmallScreen, false);
        window->setGeometry(stored);
        SaveFormPlacement();
    }
    auto window = openWindow(SmallScreen, false);
    EXPECT_EQ(window->geometry(), stored);
}
} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("screens.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    auto screen = [](const QRect& r) {
        return QStringLiteral(R"({"name": "%1x%2", "x": %3, "y": %4, "width": %1, "height": %2,
                                  "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1})")
            .arg(r.width())
            .arg(r.height())
            .arg(r.x())
            .arg(r.y());
    };
    file.write(QStringLiteral(R"({"screens": [%1, %2]})").arg(screen(SmallScreen), screen(LargeScreen)).toUtf8());
    file.close();
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toUtf8());

    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
