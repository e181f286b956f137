// The process set-up for the page engine: sandbox off only as root,
// --disable-gpu only without a display, flags already set are kept, the data
// home is given its default only when unset.
#include "platform/webengine/WebEngineEnvironment.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

struct Environment {
    const char* platform;
    const char* display;
    const char* flags;
    const char* sandbox;
};

void apply(const Environment& e)
{
    auto set = [](const char* name, const char* value) {
        if (value)
            qputenv(name, value);
        else
            qunsetenv(name);
    };
    set("QT_QPA_PLATFORM", e.platform);
    set("DISPLAY", e.display);
    qunsetenv("WAYLAND_DISPLAY");
    set("QTWEBENGINE_CHROMIUM_FLAGS", e.flags);
    set("QTWEBENGINE_DISABLE_SANDBOX", e.sandbox);
}

TEST(WebEngineEnvironment, GpuIsSwitchedOffOnlyWithoutADisplayAndFlagsAreKept)
{
    const struct {
        Environment env;
        QByteArray flags;
    } cases[] = {
        {{"offscreen", ":0", nullptr, nullptr}, "--disable-gpu"},
        {{nullptr, nullptr, nullptr, nullptr}, "--disable-gpu"},
        {{"offscreen", nullptr, "--lang=de", nullptr}, "--lang=de --disable-gpu"},
        {{"offscreen", nullptr, "--disable-gpu --lang=de", nullptr}, "--disable-gpu --lang=de"},
        {{"xcb", ":0", nullptr, nullptr}, ""},
        {{"xcb", ":0", "--lang=de", nullptr}, "--lang=de"},
    };
    for (const auto& c : cases) {
        apply(c.env);
        PrepareWebEngineEnvironment();
        PrepareWebEngineEnvironment(); // twice: nothing added twice
        EXPECT_EQ(qgetenv("QTWEBENGINE_CHROMIUM_FLAGS"), c.flags) << c.env.platform << " " << c.env.flags;
    }
}

TEST(WebEngineEnvironment, SandboxIsSwitchedOffOnlyForRootAndAnExplicitChoiceStays)
{
    apply({"offscreen", nullptr, nullptr, nullptr});
    PrepareWebEngineEnvironment();
    EXPECT_EQ(qgetenv("QTWEBENGINE_DISABLE_SANDBOX"), geteuid() == 0 ? QByteArray("1") : QByteArray());

    apply({"offscreen", nullptr, nullptr, "0"});
    PrepareWebEngineEnvironment();
    EXPECT_EQ(qgetenv("QTWEBENGINE_DISABLE_SANDBOX"), QByteArray("0"));
}

TEST(WebEngineEnvironment, DataHomeGetsItsDefaultOnlyWhenUnset)
{
    const struct {
        const char* home;
        const char* dataHome;
        const char* expected;
    } cases[] = {
        {"/home/u", nullptr, "/home/u/.local/share"},
        {"/home/u", "/data", "/data"},
        {"/home/u", "", ""},
        {"", nullptr, nullptr},
    };
    for (const auto& c : cases) {
        qputenv("HOME", c.home);
        if (c.dataHome)
            qputenv("XDG_DATA_HOME", c.dataHome);
        else
            qunsetenv("XDG_DATA_HOME");
        PrepareWebEngineEnvironment();
        EXPECT_EQ(qEnvironmentVariableIsSet("XDG_DATA_HOME"), c.expected != nullptr) << c.home;
        EXPECT_EQ(qgetenv("XDG_DATA_HOME"), QByteArray(c.expected)) << c.home;
    }
}

} // namespace
