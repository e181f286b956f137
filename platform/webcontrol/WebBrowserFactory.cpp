#include "platform/webcontrol/QtWebBrowser.h"
#include "platform/webcontrol/WebBrowser.h"

namespace {

WebBrowserFactory& factory()
{
    static WebBrowserFactory instance;
    return instance;
}

} // namespace

std::unique_ptr<IWebBrowser2> CreateWebBrowser()
{
    if (factory())
        return factory()();
    return std::make_unique<QtWebBrowser>();
}

void SetWebBrowserFactory(WebBrowserFactory newFactory) { factory() = std::move(newFactory); }
