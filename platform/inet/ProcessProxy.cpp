#include "platform/inet/ProcessProxy.h"

#include "platform/registry/Registry.h"

#include <QNetworkProxy>

#include <curl/curl.h>

#include <atomic>
#include <optional>

namespace {

const QString OfflineKey = QStringLiteral("\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings");
const QString OfflineValue = QStringLiteral("GlobalUserOffline");

bool storedOffline()
{
    try {
        TRegistry reg(HKEY_CURRENT_USER);
        return reg.OpenKeyReadOnly(OfflineKey) && reg.ValueExists(OfflineValue) && reg.ReadInteger(OfflineValue) != 0;
    } catch (const ERegistryException&) {
        return false;
    }
}

// A store that cannot be written leaves the state to this run.
void storeOffline(bool offline)
{
    try {
        TRegistry reg(HKEY_CURRENT_USER);
        if (reg.OpenKey(OfflineKey, true))
            reg.WriteInteger(OfflineValue, offline ? 1 : 0);
    } catch (const ERegistryException&) {}
}

struct ProxyState {
    std::optional<QNetworkProxy> before; // Qt's proxy before the first change
    ProcessProxy current;
    std::function<void()> changed;
    std::atomic<bool> offline{storedOffline()}; // read by the engine's network threads
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

void SetProcessOffline(bool offline)
{
    state().offline = offline;
    storeOffline(offline);
}

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
