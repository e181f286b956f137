// zarn-sendkeys: the printed key events, the typing mode and exit statuses.
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

struct ToolRun {
    int ExitCode = -1;
    QString Out;
    QString Err;
};

ToolRun runTool(const QStringList& arguments, const QByteArray& input = {},
    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess tool;
    tool.setProcessEnvironment(environment);
    tool.start(ZARN_SENDKEYS_EXE, arguments);
    EXPECT_TRUE(tool.waitForStarted());
    tool.write(input);
    tool.closeWriteChannel();
    EXPECT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit);
    return {tool.exitCode(), QString::fromUtf8(tool.readAllStandardOutput()),
        QString::fromUtf8(tool.readAllStandardError())};
}

TEST(ZarnSendKeys, PrintsEachStepAndTheResult)
{
    struct Case {
        QString Text;
        int ExitCode;
        QString Out;
    };
    const Case cases[] = {
        {"a+b~", 0,
            "down 41 1E\nup 41 1E\ndown 10 2A\ndown 42 30\nup 42 30\nup 10 2A\ndown 0D 1C\nup 0D 1C\nresult true\n"},
        {"{LEFT}{NUMLOCK}{FOO}", 0, "down 25 4B ext\nup 25 4B ext\nnumlock\nmsgbox Invalid Key Name\nresult true\n"},
        {"{{}", 0, "down 10 2A\ndown DB 1A\nup DB 1A\nup 10 2A\nresult true\n"},
        {"a{ENTER", 1, "down 41 1E\nup 41 1E\nmsgbox No Close\nresult false\n"},
        {"", 1, "result false\n"},
    };
    for (const Case& c : cases) {
        const ToolRun run = runTool({"--print", c.Text});
        EXPECT_EQ(run.ExitCode, c.ExitCode) << c.Text.toStdString();
        EXPECT_EQ(run.Out, c.Out) << c.Text.toStdString();
    }
}

TEST(ZarnSendKeys, ReadsTheTextFromStandardInputWithoutItsLastLineBreak)
{
    const ToolRun run = runTool({"--print", "-"}, "x\n");
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Out, "down 58 2D\nup 58 2D\nresult true\n");

    const ToolRun dashText = runTool({"--print", "--", "-"});
    EXPECT_EQ(dashText.Out, "down BD 0C\nup BD 0C\nresult true\n");
}

TEST(ZarnSendKeys, ACountThatIsNoIntegerEndsWithStatusTwoAndTheReason)
{
    const ToolRun run = runTool({"--print", "a{TAB x}"});
    EXPECT_EQ(run.ExitCode, 2);
    EXPECT_EQ(run.Out, "down 41 1E\nup 41 1E\n");
    EXPECT_TRUE(run.Err.contains("'X' is not a valid integer value")) << run.Err.toStdString();

    // A count out of range is refused the same way, never taken modulo 65536.
    const struct {
        const char* text;
        const char* reason;
    } outOfRange[] = {
        {"a{b -1}", "'-1' is not a valid repeat count"},
        {"a{b 65536}", "'65536' is not a valid repeat count"},
        {"a{b 1000000}", "'1000000' is not a valid repeat count"},
        {"a{b 10001}", "'10001' is not a valid repeat count"},
        {"a{b 99999999999}", "'99999999999' is not a valid integer value"},
    };
    for (const auto& c : outOfRange) {
        const ToolRun refused = runTool({"--print", c.text});
        EXPECT_EQ(refused.ExitCode, 2) << c.text;
        EXPECT_EQ(refused.Out, "down 41 1E\nup 41 1E\n") << c.text;
        EXPECT_TRUE(refused.Err.contains(c.reason)) << refused.Err.toStdString();
    }
    const ToolRun zero = runTool({"--print", "{b 0}"});
    EXPECT_EQ(zero.ExitCode, 0);
    EXPECT_FALSE(zero.Out.contains("down 42")) << zero.Out.toStdString();

    const ToolRun nul = runTool({"--print", "-"}, QByteArray("a\0b", 3));
    EXPECT_EQ(nul.ExitCode, 2);
    EXPECT_TRUE(nul.Err.contains("NUL")) << nul.Err.toStdString();
}

TEST(ZarnSendKeys, HelpAndBadUsage)
{
    const ToolRun help = runTool({"--help"});
    EXPECT_EQ(help.ExitCode, 0);
    EXPECT_TRUE(help.Out.startsWith("usage: zarn-sendkeys"));
    EXPECT_TRUE(help.Out.contains("--print"));

    for (const QStringList& arguments :
        {QStringList{}, QStringList{"--print"}, QStringList{"--frobnicate", "a"}, QStringList{"a", "b"}}) {
        const ToolRun run = runTool(arguments);
        EXPECT_EQ(run.ExitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.Err.startsWith("usage: zarn-sendkeys")) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.Out.isEmpty());
    }
}

TEST(ZarnSendKeys, WithoutPrintTypesIntoAWindowOfItsOwn)
{
    QProcessEnvironment offscreen = QProcessEnvironment::systemEnvironment();
    offscreen.insert("QT_QPA_PLATFORM", "offscreen");
    const ToolRun run = runTool({"ab+c~\"{TAB}x{BS}{FOO}"}, {}, offscreen);
    EXPECT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    EXPECT_EQ(run.Out, "msgbox Invalid Key Name\ntext \"abC\\n\\\"\\t\"\nresult true\n");

    QProcessEnvironment noDisplay = offscreen;
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        noDisplay.remove(name);
    const ToolRun headless = runTool({"abc"}, {}, noDisplay);
    EXPECT_EQ(headless.ExitCode, 1);
    EXPECT_TRUE(headless.Err.contains("needs a display")) << headless.Err.toStdString();
}

} // namespace
