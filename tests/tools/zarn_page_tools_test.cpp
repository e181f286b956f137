// zarn-capture and zarn-page against a loopback page: what they print and
// write, their exit statuses, what reaches a terminal, and that they leave
// the user's history alone.
#include "FixtureServer.h"
#include "platform/inet/UrlHistory.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct ToolRun {
    int ExitCode = -1;
    QString Out;
};

class ZarnPageToolsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        server = new FixtureServer;
        server->server().Get("/page", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("<html><body style=\"margin:0;background:#fff\">"
                            "<div style=\"position:absolute;left:40px;top:30px;width:60px;height:50px;"
                            "background:#f00\"></div><p style=\"margin-top:100px\">Tool words</p>"
                            "<a href=\"/a\">a</a><a href=\"/b\">b</a><img src=\"/p.png\"></body></html>",
                "text/html");
        });
        // Text that would retitle the terminal, colour it, ring it and
        // move its cursor (ESC, BEL, CR, backspace and the one-byte CSI).
        server->server().Get("/hostile", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("<html><body><p>before\x1b]0;owned\x07 \x1b[31mred\r\x08\xc2\x9b"
                            "2J after</p></body></html>",
                "text/html; charset=utf-8");
        });
        // A page opening a window a thousand times, and one whose script
        // never lets its load end.
        server->server().Get("/popups", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("<html><body><a href=\"/a\">a</a><script>"
                            "for (let i = 0; i < 1000; ++i) window.open('/page?' + i, 'w' + i);"
                            "</script></body></html>",
                "text/html");
        });
        server->server().Get("/busy", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("<html><body><script>for (;;) {}</script></body></html>", "text/html");
        });
        server->start();
    }
    static void TearDownTestSuite() { delete server; }

    static QString url(const char* path) { return QString::fromStdString(server->url(path)); }

    ToolRun run(const char* tool, const QStringList& arguments)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("ZARNWEB_HOME"), profile.path());
        environment.insert(QStringLiteral("HOME"), profile.path());
        process.setProcessEnvironment(environment);
        process.start(QString::fromUtf8(tool), arguments);
        EXPECT_TRUE(process.waitForStarted());
        EXPECT_TRUE(process.waitForFinished(120000));
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput())};
    }

    // Runs the tool with a terminal as its standard output and answers all
    // it wrote there.
    QByteArray runOnTerminal(const char* tool, const QStringList& arguments)
    {
        std::vector<std::string> texts{tool};
        for (const QString& argument : arguments)
            texts.push_back(argument.toStdString());
        std::vector<char*> argv;
        for (std::string& text : texts)
            argv.push_back(text.data());
        argv.push_back(nullptr);
        int terminal = -1;
        const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
        if (child == 0) {
            setenv("ZARNWEB_HOME", profile.path().toLocal8Bit().constData(), 1);
            setenv("HOME", profile.path().toLocal8Bit().constData(), 1);
            execv(tool, argv.data());
            _exit(127);
        }
        EXPECT_GT(child, 0);
        QByteArray written;
        char buffer[4096];
        for (;;) {
            pollfd ready{terminal, POLLIN, 0};
            if (poll(&ready, 1, 120000) <= 0)
                break;
            const ssize_t n = read(terminal, buffer, sizeof buffer);
            if (n <= 0) // EIO once the tool closed the terminal
                break;
            written.append(buffer, n);
        }
        int status = 0;
        waitpid(child, &status, 0);
        close(terminal);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << written.toStdString();
        return written;
    }

    QTemporaryDir profile;
    QTemporaryDir output;
    static inline FixtureServer* server = nullptr;
};

TEST_F(ZarnPageToolsTest, PagePrintsLinksTextAndPictures)
{
    EXPECT_EQ(run(ZARN_PAGE_EXE, {"links", url("/page")}).Out, url("/a") + "\n" + url("/b") + "\n");
    EXPECT_EQ(run(ZARN_PAGE_EXE, {"images", url("/page"), "--timeout", "60000"}).Out, url("/p.png") + "\n");
    const ToolRun text = run(ZARN_PAGE_EXE, {"text", url("/page")});
    EXPECT_EQ(text.ExitCode, 0);
    EXPECT_TRUE(text.Out.contains("Tool words"));
    EXPECT_TRUE(run(ZARN_PAGE_EXE, {"source", url("/page")}).Out.contains("<p style=\"margin-top:100px\">Tool words"));
}

// Pop-ups are refused, so the tools do their work on the page itself; a
// page whose script never ends meets the time-out all the same.
TEST_F(ZarnPageToolsTest, PopUpStormsAndBusyPagesEndOnTime)
{
    const ToolRun links = run(ZARN_PAGE_EXE, {"links", url("/popups")});
    EXPECT_EQ(links.ExitCode, 0);
    EXPECT_EQ(links.Out, url("/a") + "\n");
    const QString jpg = output.filePath("popups.jpg");
    EXPECT_EQ(run(ZARN_CAPTURE_EXE, {url("/popups"), "-o", jpg}).ExitCode, 0);
    EXPECT_FALSE(QImage(jpg).isNull());

    for (const char* tool : {ZARN_PAGE_EXE, ZARN_CAPTURE_EXE}) {
        const QStringList arguments = QString(tool) == ZARN_PAGE_EXE
            ? QStringList{"links", url("/busy"), "--timeout", "2000"}
            : QStringList{url("/busy"), "-o", output.filePath("busy.jpg"), "--timeout", "2000"};
        const ToolRun busy = run(tool, arguments);
        EXPECT_EQ(busy.ExitCode, 1) << tool;
        EXPECT_TRUE(busy.Out.isEmpty()) << tool;
    }
}

TEST_F(ZarnPageToolsTest, ExitStatusesTellUsageFromFailure)
{
    struct Case {
        const char* tool;
        QStringList arguments;
        int exitCode;
    };
    const QString jpg = output.filePath("x.jpg");
    const Case cases[] = {
        {ZARN_PAGE_EXE, {"--help"}, 0},
        {ZARN_PAGE_EXE, {"everything", url("/page")}, 2},
        {ZARN_PAGE_EXE, {"links"}, 2},
        {ZARN_PAGE_EXE, {"links", url("/page"), "--timeout", "soon"}, 2},
        {ZARN_PAGE_EXE, {"links", "http://127.0.0.1:1/"}, 1},
        {ZARN_CAPTURE_EXE, {"--help"}, 0},
        {ZARN_CAPTURE_EXE, {url("/page")}, 2},
        {ZARN_CAPTURE_EXE, {url("/page"), "-o", output.filePath("x.gif")}, 2},
        {ZARN_CAPTURE_EXE, {url("/page"), "-o", jpg, "--size", "0x10"}, 2},
        {ZARN_CAPTURE_EXE, {url("/page"), "-o", jpg, "--quality", "101"}, 2},
        {ZARN_CAPTURE_EXE, {"http://127.0.0.1:1/", "-o", jpg}, 1},
        {ZARN_CAPTURE_EXE, {url("/page"), "-o", output.filePath("missing/x.jpg")}, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(run(c.tool, c.arguments).ExitCode, c.exitCode) << c.arguments.join(' ').toStdString();
    EXPECT_TRUE(QDir(output.path()).isEmpty());
}

TEST_F(ZarnPageToolsTest, CaptureDrawsThePageAtTheAskedSize)
{
    struct Case {
        const char* file;
        QStringList extra;
        QSize size;
        QPoint red;
    };
    const Case cases[] = {
        {"page.bmp", {"--size", "400x300"}, {400, 300}, {70, 55}},
        {"page.png", {"--size", "400x300", "--thumbnail", "200x150"}, {200, 150}, {35, 27}},
        {"page.jpg", {"--size", "300x900", "--quality", "95"}, {300, 900}, {70, 55}},
    };
    for (const Case& c : cases) {
        const QString file = output.filePath(c.file);
        ASSERT_EQ(run(ZARN_CAPTURE_EXE, QStringList{url("/page"), "-o", file} + c.extra).ExitCode, 0) << c.file;
        const QImage picture(file);
        ASSERT_EQ(picture.size(), c.size) << c.file;
        const QColor red = picture.pixelColor(c.red);
        EXPECT_GT(red.red(), 215) << c.file;
        EXPECT_LT(red.green() + red.blue(), 80) << c.file;
        EXPECT_GT(picture.pixelColor(c.size.width() - 5, 5).green(), 215) << c.file; // white beside it
    }
}

TEST_F(ZarnPageToolsTest, PageTextReachesATerminalWithoutItsControlCharacters)
{
    const QByteArray shown = runOnTerminal(ZARN_PAGE_EXE, {"text", url("/hostile")});
    ASSERT_TRUE(shown.contains("before")) << shown.toStdString();
    ASSERT_TRUE(shown.contains("after"));
    // The terminal turns the tool's line ends into CR LF; no other control
    // character may reach it.
    const QByteArray text = QByteArray(shown).replace("\r\n", "\n");
    for (const char c : text)
        EXPECT_TRUE(c == '\n' || c == '\t' || static_cast<unsigned char>(c) >= 0x20 && c != 0x7F)
            << "raw control character " << int(static_cast<unsigned char>(c));
    EXPECT_FALSE(text.contains("\xc2\x9b"));
    EXPECT_TRUE(text.contains("\\x1B]0;owned\\x07")) << text.toStdString();

    // Into a pipe the text is the page's, unchanged.
    EXPECT_TRUE(run(ZARN_PAGE_EXE, {"text", url("/hostile")}).Out.contains(QStringLiteral("\x1b[31mred")));
}

TEST_F(ZarnPageToolsTest, PagesTheToolsLoadStayOutOfTheHistory)
{
    ASSERT_EQ(run(ZARN_PAGE_EXE, {"links", url("/page")}).ExitCode, 0);
    ASSERT_EQ(run(ZARN_CAPTURE_EXE, {url("/page"), "-o", output.filePath("page.png")}).ExitCode, 0);
    EXPECT_EQ(TUrlHistory(profile.filePath("History/history.sqlite")).Count(), 0);
}

} // namespace
