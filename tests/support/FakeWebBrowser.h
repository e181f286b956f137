#pragma once
// A scriptable stand-in for the web-browser control. It records every method
// call, answers properties from plain fields, and raises events only when the
// test says so (Fire and the helpers below), so host logic can be driven
// event by event without a page engine.
#include "platform/webcontrol/WebBrowser.h"

#include <QPointer>
#include <QWidget>

#include <map>
#include <string>

class FakeWebBrowser : public IWebBrowser2 {
public:
    FakeWebBrowser();
    ~FakeWebBrowser() override;

    struct Call {
        std::string method;
        std::vector<Variant> args;
    };
    std::vector<Call> calls;
    // Calls of one method, in order.
    std::vector<Call> callsOf(const std::string& method) const;

    // Control state the properties answer.
    bool busy = false;
    std::int32_t readyState = READYSTATE_UNINITIALIZED;
    WideString locationURL;
    WideString locationName;
    IDispatch* document = nullptr;
    // History entries; GoBack/GoForward fail with E_FAIL without one.
    int backEntries = 0;
    int forwardEntries = 0;
    std::map<DISPID, Variant> properties;
    IOleClientSite* site = nullptr;
    DWebBrowserEvents2* sink = nullptr;

    // Run after a navigation that before-navigate did not cancel (the control
    // is then Busy and loading); leave empty for a page that never completes.
    std::function<void(FakeWebBrowser&, const WideString& url)> onNavigate;

    // Raises an event on the sink; the arguments come back with the
    // handlers' changes.
    HRESULT Fire(DISPID dispId, std::vector<Variant>& args);
    // Raises OnBeforeNavigate2 for the control itself; True when cancelled.
    bool FireBeforeNavigate(const WideString& url);
    // Ends the current navigation: location, navigate-complete,
    // ReadyState complete, document-complete.
    void Complete(const WideString& url);

    // The control's window, and a focusable widget inside it that stands
    // for the page (keys sent to it are keys sent to the page).
    QWidget* window() override { return window_; }
    QWidget* pageWidget() const { return page_; }
    // Replaces the page by a folder list ("SysListView32") in icon mode with
    // `count` items on a fixed grid; the first item is focused and selected.
    class QListWidget* ShowFolderList(int count);

    void SetClientSite(IOleClientSite* clientSite) override { site = clientSite; }
    void Advise(DWebBrowserEvents2* eventSink) override { sink = eventSink; }
    HRESULT Navigate(const WideString& url, const Variant& flags, const Variant& targetFrameName,
        const Variant& postData, const Variant& headers) override;
    HRESULT Navigate2(const Variant& url, const Variant& flags, const Variant& targetFrameName, const Variant& postData,
        const Variant& headers) override;
    HRESULT GoBack() override;
    HRESULT GoForward() override;
    HRESULT GoHome() override;
    HRESULT Refresh() override;
    HRESULT Refresh2(const Variant& level) override;
    HRESULT Stop() override;
    HRESULT ExecWB(std::int32_t cmdId, std::int32_t cmdExecOpt, const Variant& in, Variant& out) override;
    HRESULT GetProperty(DISPID dispId, Variant& value) override;
    HRESULT PutProperty(DISPID dispId, const Variant& value) override;
    HRESULT DoVerb(std::int32_t verb) override;

private:
    HRESULT startNavigation(const std::string& method, const WideString& url, std::vector<Variant> args);

    QPointer<QWidget> window_;
    QWidget* page_ = nullptr;
};

// Makes every browser host created while it lives get a FakeWebBrowser; the
// factory installed before comes back when it goes.
class FakeWebBrowserFactory {
public:
    FakeWebBrowserFactory();
    ~FakeWebBrowserFactory();
    FakeWebBrowserFactory(const FakeWebBrowserFactory&) = delete;
    FakeWebBrowserFactory& operator=(const FakeWebBrowserFactory&) = delete;
    // The controls created so far, oldest first (owned by their hosts).
    std::vector<FakeWebBrowser*> created;
    FakeWebBrowser* last() const { return created.empty() ? nullptr : created.back(); }

private:
    WebBrowserFactory previous_;
};
