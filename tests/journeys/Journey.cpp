// Keys and clicks go to QWindows (QTEST_QPA_MOUSE_HANDLING and the QWindow
// overloads of the key functions), the path a real event takes.
#define QTEST_QPA_MOUSE_HANDLING
#include "Journey.h"

#include "FixtureServer.h"
#include "browserhost/Sextant.h"
#include "platform/ui/Application.h"
#include "platform/webengine/QtWebBrowser.h"

#include <QWebEngineView>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWindow>

#include <map>
#include <mutex>
#include <optional>
#include <regex>

namespace {

struct Served {
    std::string body;
    std::string contentType;
};

std::mutex pagesLock;
std::map<std::string, Served> pages;
std::map<std::string, int> requests;
std::unique_ptr<FixtureServer> server;

QWindow* windowOf(QWidget* widget)
{
    QWidget* top = widget->window();
    return top->windowHandle();
}

QString withoutAccelerator(QString caption)
{
    caption.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    return caption.replace(QStringLiteral("&&"), QStringLiteral("&"));
}

// The accelerator letter of a caption ("Save &As..." has 'a'); none: 0.
QChar accelerator(const QString& caption)
{
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != u'&')
            continue;
        if (caption[i + 1] == u'&') {
            ++i;
            continue;
        }
        return caption[i + 1].toLower();
    }
    return {};
}

QAction* findItem(const QList<QAction*>& actions, const QString& caption)
{
    for (QAction* action : actions)
        if (!action->isSeparator() && withoutAccelerator(action->text()) == caption)
            return action;
    return nullptr;
}

// The key of an accelerator letter or digit.
int keyOf(QChar letter)
{
    // Qt's key codes of letters and digits are their upper-case ASCII codes.
    const char16_t c = letter.toUpper().unicode();
    return (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ? int(c) : 0;
}

// Whether letter picks exactly one visible, enabled item of menu.
bool uniqueAccelerator(const QList<QAction*>& actions, QChar letter)
{
    int found = 0;
    for (QAction* action : actions)
        if (action->isVisible() && !action->isSeparator() && accelerator(action->text()) == letter)
            ++found;
    return found == 1;
}

} // namespace

namespace JourneyPages {

void Serve(const std::string& path, const std::string& body, const std::string& contentType)
{
    std::lock_guard lock(pagesLock);
    pages[path] = {body, contentType};
}

QString Url(const std::string& path) { return QString::fromStdString(server->url(path)); }

int Port() { return server->port(); }

int Requests(const std::string& path)
{
    std::lock_guard lock(pagesLock);
    return requests[path];
}

void Start()
{
    server = std::make_unique<FixtureServer>();
    server->server().Get(".*", [](const httplib::Request& request, httplib::Response& response) {
        std::lock_guard lock(pagesLock);
        ++requests[request.path];
        if (const auto page = pages.find(request.path); page != pages.end()) {
            response.set_content(page->second.body, page->second.contentType);
            return;
        }
        static const std::regex titled("/([A-Za-z0-9_-]+)\\.html");
        std::smatch name;
        if (std::regex_match(request.path, name, titled)) {
            const std::string title = name[1];
            response.set_content(
                "<html><head><title>" + title + "</title></head><body><p>page " + title + "</p></body></html>",
                "text/html");
            return;
        }
        response.status = 404;
        response.set_content("<html><head><title>Not here</title></head><body>not here</body></html>", "text/html");
    });
    server->start();
}

void Stop() { server.reset(); }

} // namespace JourneyPages

void Journey::TearDown()
{
    if (window_)
        CloseWindow();
    for (QWidget* other : OtherWindows())
        other->close();
}

TfrmMain& Journey::OpenWindow(const QString& startAddress)
{
    window_ = std::make_unique<TfrmMain>();
    window_->StartAddress = startAddress;
    SetApplicationMainForm(window_.get());
    window_->showMaximized();
    window_->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    EXPECT_TRUE(WaitFor([this] { return !window_->Sextant1->LocationURL().empty(); }));
    EXPECT_TRUE(WaitUntilLoaded());
    return *window_;
}

void Journey::CloseWindow()
{
    if (!window_)
        return;
    EXPECT_TRUE(WaitFor([this] { return window_->close(); }));
    SetApplicationMainForm(nullptr);
    window_.reset();
}

void Journey::Press(int key, Qt::KeyboardModifiers modifiers)
{
    QWidget* target = QApplication::activePopupWidget();
    if (!target)
        target = QApplication::activeModalWidget();
    if (!target)
        target = QApplication::activeWindow();
    if (!target)
        target = window_.get();
    QTest::keyClick(windowOf(target), Qt::Key(key), modifiers);
}

void Journey::Type(const QString& text)
{
    for (const QChar c : text) {
        QWidget* target = QApplication::activePopupWidget();
        if (!target)
            target = QApplication::activeWindow() ? QApplication::activeWindow() : window_.get();
        // keyClick(QWindow*, char) gives the key code and the text of an
        // ASCII character.
        QTest::keyClick(windowOf(target), c.toLatin1());
    }
}

void Journey::TypeAddress(const QString& text)
{
    // A click into a window that lost the focus (to a dialog that closed)
    // activates it first.
    if (!window_->isActiveWindow()) {
        window_->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    }
    QLineEdit* edit = window_->IEAddress1->lineEdit();
    Click(edit);
    EXPECT_TRUE(WaitFor([edit] { return edit->hasFocus(); }));
    Press(Qt::Key_A, Qt::ControlModifier);
    Type(text);
}

void Journey::Click(QWidget* widget, QPoint pos)
{
    if (pos.isNull())
        pos = widget->rect().center();
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, pos);
}

void Journey::DoubleClick(QWidget* widget, QPoint pos)
{
    if (pos.isNull())
        pos = widget->rect().center();
    QTest::mouseDClick(widget, Qt::LeftButton, Qt::NoModifier, pos);
}

QAction* Journey::MenuAction(const QStringList& path) const
{
    QList<QAction*> actions = window_->menuBar()->actions();
    QAction* item = nullptr;
    for (const QString& caption : path) {
        item = findItem(actions, caption);
        if (!item)
            return nullptr;
        actions = item->menu() ? item->menu()->actions() : QList<QAction*>();
    }
    return item;
}

void Journey::ChooseFromOpenMenu(const QString& caption)
{
    ASSERT_TRUE(WaitFor([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); }, 10000))
        << "no menu open for " << caption.toStdString();
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    const QList<QAction*> actions = menu->actions();
    QAction* item = findItem(actions, caption);
    ASSERT_TRUE(item) << caption.toStdString();
    ASSERT_TRUE(item->isEnabled()) << caption.toStdString() << " is disabled";
    const QChar letter = accelerator(item->text());
    if (!letter.isNull() && uniqueAccelerator(actions, letter)) {
        Press(keyOf(letter));
        return;
    }
    for (int step = 0; step <= actions.size() && menu->activeAction() != item; ++step)
        Press(Qt::Key_Down);
    ASSERT_EQ(menu->activeAction(), item) << caption.toStdString();
    Press(Qt::Key_Return);
}

QWidget* Journey::PageWidget() const
{
    return dynamic_cast<QtWebBrowser*>(window_->Sextant1->DefaultInterface())->view()->focusProxy();
}

QPoint Journey::CentreOf(const QString& elementId) const
{
    const QVariantList box
        = RunInPage(QStringLiteral("(() => { const e = document.getElementById('%1'); if (!e) return [];"
                                   " e.scrollIntoView({block: 'center'}); const r = e.getBoundingClientRect();"
                                   " return [r.left + r.width / 2, r.top + r.height / 2]; })()")
                        .arg(elementId))
              .toList();
    return box.size() == 2 ? QPoint(box[0].toInt(), box[1].toInt()) : QPoint();
}

// The engine delivers mouse events and later commands (a menu's Select All,
// a script) on different channels, so under load a command can overtake the
// click. A user sees the click land before choosing anything else; the
// journey waits for the element's mouseup, or for the page the click led to.
void Journey::ClickInPage(const QString& elementId, Qt::MouseButton button)
{
    const QPoint at = CentreOf(elementId);
    ASSERT_FALSE(at.isNull()) << "no element " << elementId.toStdString() << " on the page";
    RunInPage(QStringLiteral("window.journeyMouseUps = 0; document.getElementById('%1')"
                             ".addEventListener('mouseup', () => { window.journeyMouseUps++; }, {once: true});")
                  .arg(elementId));
    QTest::mouseClick(PageWidget(), button, Qt::NoModifier, at);
    const QString seen = QStringLiteral("window.journeyMouseUps === undefined || window.journeyMouseUps > 0");
    EXPECT_TRUE(WaitFor([&] { return RunInPage(seen).toBool(); }, 10000))
        << "the page saw no click on " << elementId.toStdString();
}

QVariant Journey::RunInPage(const QString& script, int timeoutMs) const
{
    auto result = std::make_shared<std::optional<QVariant>>();
    Page()->runJavaScript(script, [result](const QVariant& value) { *result = value; });
    QTest::qWaitFor([&] { return result->has_value(); }, timeoutMs);
    return result->value_or(QVariant());
}

void Journey::ChooseMenuByClick(const QStringList& path)
{
    QMenuBar* bar = window_->menuBar();
    QAction* top = MenuAction({path.first()});
    ASSERT_TRUE(top) << path.first().toStdString();
    Click(bar, bar->actionGeometry(top).center());
    for (const QString& caption : path.mid(1))
        ChooseFromOpenMenu(caption);
}

bool Journey::AnswerFileDialog(const QString& path, const std::function<void()>& trigger)
{
    bool answered = false;
    QTimer watch;
    watch.setInterval(20);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (answered || !dialog || !dialog->isVisible())
            return;
        answered = true;
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        Click(name);
        Press(Qt::Key_A, Qt::ControlModifier);
        Type(path);
        Press(Qt::Key_Return);
    });
    watch.start();
    trigger();
    WaitFor([&] { return answered; });
    WaitFor([] { return !QApplication::activeModalWidget(); }, 5000);
    return answered;
}

void Journey::ChooseMenu(const QStringList& path)
{
    QList<QAction*> actions = window_->menuBar()->actions();
    QMenu* open = nullptr;
    for (int level = 0; level < path.size(); ++level) {
        QAction* item = findItem(actions, path[level]);
        ASSERT_TRUE(item) << path.mid(0, level + 1).join('|').toStdString();
        ASSERT_TRUE(item->isEnabled()) << path.mid(0, level + 1).join('|').toStdString() << " is disabled";
        const QChar letter = accelerator(item->text());
        // Choosing an item may delete it (a menu rebuilt after the click):
        // what it opens is taken before.
        const QPointer<QMenu> sub = item->menu();
        if (level == 0) {
            if (!letter.isNull() && uniqueAccelerator(actions, letter)) {
                Press(keyOf(letter), Qt::AltModifier);
            } else {
                QMenuBar* bar = window_->menuBar();
                Click(bar, bar->actionGeometry(item).center());
            }
        } else if (!letter.isNull() && uniqueAccelerator(actions, letter)) {
            Press(keyOf(letter));
        } else {
            // Down from the top until the item is the active one, then Enter
            // (Right for a submenu works the same with Enter).
            for (int step = 0; step <= actions.size() && open->activeAction() != item; ++step)
                Press(Qt::Key_Down);
            ASSERT_EQ(open->activeAction(), item) << path[level].toStdString();
            Press(Qt::Key_Return);
        }
        if (sub) {
            ASSERT_TRUE(WaitFor([sub] { return sub && sub->isVisible(); }, 5000)) << path[level].toStdString();
            open = sub;
            actions = sub->actions();
        }
    }
}

SeenDialog Journey::AnswerDialog(const QString& answer, const std::function<void()>& trigger, int timeoutMs)
{
    SeenDialog seen;
    bool answered = false;
    QTimer watch;
    watch.setInterval(20);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (answered || !dialog || !dialog->isVisible())
            return;
        answered = true;
        seen.Shown = true;
        seen.Title = dialog->windowTitle();
        QStringList texts;
        for (QLabel* label : dialog->findChildren<QLabel*>())
            if (!label->text().isEmpty())
                texts << label->text();
        seen.Text = texts.join(u'\n');
        for (QLineEdit* field : dialog->findChildren<QLineEdit*>())
            if (field->isVisible())
                seen.Fields << field->text();
        if (auto* files = qobject_cast<QFileDialog*>(dialog))
            seen.Folder = files->directory().absolutePath();
        QAbstractButton* chosen = nullptr;
        for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
            if (!button->isVisible())
                continue;
            const QString caption = withoutAccelerator(button->text());
            seen.Buttons << caption;
            if (auto* push = qobject_cast<QPushButton*>(button); push && push->isDefault())
                seen.DefaultButton = caption;
            if (caption == answer)
                chosen = button;
        }
        if (chosen) {
            QTimer::singleShot(0, chosen, [this, chosen] { Click(chosen); });
            return;
        }
        ADD_FAILURE() << "no button " << answer.toStdString() << " in " << seen.Buttons.join(", ").toStdString();
        // Closed unanswered, so that the journey fails instead of waiting for ever.
        QTimer::singleShot(0, dialog, [dialog] {
            if (auto* modal = qobject_cast<QDialog*>(dialog))
                modal->reject();
            else
                dialog->close();
        });
    });
    watch.start();
    trigger();
    WaitFor([&] { return answered; }, timeoutMs);
    // The answer takes effect once the dialog's own loop has returned.
    WaitFor([] { return !QApplication::activeModalWidget(); }, 5000);
    return seen;
}

bool Journey::WaitFor(const std::function<bool()>& condition, int timeoutMs)
{
    return QTest::qWaitFor(condition, timeoutMs);
}

bool Journey::WaitUntilLoaded(int timeoutMs)
{
    return WaitFor([this] { return !window_->Sextant1->Busy(); }, timeoutMs);
}

bool Journey::WaitForPage(const QString& url, const QString& title, int timeoutMs)
{
    return WaitFor(
        [&] {
            return AddressText() == url && !window_->Sextant1->Busy() && (title.isEmpty() || Caption().contains(title));
        },
        timeoutMs);
}

QString Journey::AddressText() const { return window_->IEAddress1->currentText(); }

QString Journey::Caption() const { return window_->windowTitle(); }

QString Journey::StatusText(int panel) const { return window_->StatusPanelText(panel); }

QString Journey::ShownPageUrl() const { return Page()->url().toString(); }

QWebEnginePage* Journey::Page() const
{
    return dynamic_cast<QtWebBrowser*>(window_->Sextant1->DefaultInterface())->page();
}

QString Journey::PageText(int timeoutMs) const
{
    return RunInPage(QStringLiteral("document.body ? document.body.innerText : ''"), timeoutMs).toString();
}

QList<QWidget*> Journey::OtherWindows() const
{
    QList<QWidget*> others;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top != window_.get() && top->isVisible() && top->windowType() != Qt::Popup
            && top->windowType() != Qt::ToolTip)
            others << top;
    return others;
}
