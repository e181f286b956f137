#include "platform/webcontrol/WebBrowser.h"

#include <stdexcept>
#include <utility>

namespace {

WebBrowserFactory& factory()
{
    static WebBrowserFactory instance;
    return instance;
}

} // namespace

std::unique_ptr<IWebBrowser2> CreateWebBrowser()
{
    if (!factory())
        throw std::logic_error("no web-browser control is installed (call InstallQtWebBrowser() at start-up)");
    return factory()();
}

WebBrowserFactory SetWebBrowserFactory(WebBrowserFactory newFactory)
{
    return std::exchange(factory(), std::move(newFactory));
}
