#include "platform/inet/ProcessProxy.h"

#include <QNetworkProxy>

#include <curl/curl.h>

#include <atomic>
#include <optional>

namespace {

struct ProxyState {
    std::optional<QNetworkProxy> before; // Qt's proxy before the first change
    ProcessProxy current;
    std::function<void()> changed;
    std::atomic<bool> offline{false}; // read by the engine's network threads
};

ProxyState& state()
{
    static ProxyState instance;
    return instance;
}

} // namespace

bool SetProcessProxy(const ProcessProxy& proxy)
{
    if (proxy.Host.trimmed().isEmpty() || proxy.Port < 1 || proxy.Port > 65535)
        return false;
    ProxyState& s = state();
    if (!s.before)
        s.before = QNetworkProxy::applicationProxy();
    // The engine answers the proxy's 407 with the application proxy's
    // credentials when they are set.
    QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::HttpProxy, proxy.Host.trimmed(),
        static_cast<quint16>(proxy.Port), proxy.UserName, proxy.Password));
    s.current = proxy;
    s.current.Host = proxy.Host.trimmed();
    if (s.changed)
        s.changed();
    return true;
}

void ResetProcessProxy()
{
    ProxyState& s = state();
    if (!s.before)
        return;
    QNetworkProxy::setApplicationProxy(*std::exchange(s.before, std::nullopt));
    s.current = {};
    if (s.changed)
        s.changed();
}

void SetProcessProxyChangedHandler(std::function<void()> handler) { state().changed = std::move(handler); }

ProcessProxy CurrentProcessProxy() { return state().current; }

void SetProcessOffline(bool offline) { state().offline = offline; }

bool ProcessOffline() { return state().offline; }

void InternetApplyProxy(CURL* easy)
{
    if (ProcessOffline())
        curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "file");
    const ProcessProxy& proxy = state().current;
    if (proxy.Host.isEmpty())
        return;
    curl_easy_setopt(easy, CURLOPT_PROXY, proxy.Host.toUtf8().constData());
    curl_easy_setopt(easy, CURLOPT_PROXYPORT, static_cast<long>(proxy.Port));
    curl_easy_setopt(easy, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_HTTP));
    curl_easy_setopt(easy, CURLOPT_NOPROXY, "");
    if (!proxy.UserName.isEmpty()) {
        curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, proxy.UserName.toUtf8().constData());
        curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, proxy.Password.toUtf8().constData());
        curl_easy_setopt(easy, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_ANY));
    }
}
