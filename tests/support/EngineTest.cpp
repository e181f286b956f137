#include "EngineTest.h"

#include "platform/webcontrol/WebBrowser.h"

#include <QDesktopServices>
#include <QTest>
#include <QWebEnginePage>

#include <memory>

bool NavigateAndWait(IWebBrowser2& browser, const QString& url, int timeoutMs)
{
    if (FAILED(browser.Navigate(url.toStdU16String(), Variant(), Variant(), Variant(), Variant())))
        return false;
    return QTest::qWaitFor([&browser] { return !IsBusy(browser); }, timeoutMs);
}

bool IsBusy(IWebBrowser2& browser)
{
    Variant busy;
    browser.GetProperty(DISPID_BUSY, busy);
    return busy.toBool();
}

QString TextProperty(IWebBrowser2& browser, std::int32_t dispId)
{
    Variant value;
    browser.GetProperty(dispId, value);
    return QString::fromStdU16String(value.toWideString());
}

QVariant RunScript(QWebEnginePage* page, const QString& script, int timeoutMs)
{
    auto result = std::make_shared<std::optional<QVariant>>();
    page->runJavaScript(script, [result](const QVariant& value) { *result = value; });
    if (!QTest::qWaitFor([&result] { return result->has_value(); }, timeoutMs))
        return {};
    return **result;
}

DesktopUrlRecorder::DesktopUrlRecorder(const QStringList& schemes) : schemes_(schemes)
{
    for (const QString& scheme : schemes_)
        QDesktopServices::setUrlHandler(scheme, this, "open");
}

DesktopUrlRecorder::~DesktopUrlRecorder()
{
    for (const QString& scheme : schemes_)
        QDesktopServices::unsetUrlHandler(scheme);
}

void DesktopUrlRecorder::open(const QUrl& url) { opened.append(url); }
