#include "FakeWebBrowser.h"

#include "platform/webcontrol/WindowClass.h"

#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

FakeWebBrowser::FakeWebBrowser()
{
    window_ = new QWidget;
    SetWindowClassName(window_, WC_SHELLEMBEDDING);
    auto* layout = new QVBoxLayout(window_);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* edit = new QLineEdit(window_);
    edit->setObjectName(QStringLiteral("page"));
    SetWindowClassName(edit, WC_DOCOBJECTVIEW);
    layout->addWidget(edit);
    window_->setFocusProxy(edit);
    page_ = edit;
    properties = {{DISPID_SILENT, Variant::fromBool(false)}, {DISPID_REGISTERASDROPTARGET, Variant::fromBool(true)},
        {DISPID_REGISTERASBROWSER, Variant::fromBool(false)}, {DISPID_VISIBLE, Variant::fromBool(true)}};
}

FakeWebBrowser::~FakeWebBrowser()
{
    sink = nullptr;
    delete window_;
}

std::vector<FakeWebBrowser::Call> FakeWebBrowser::callsOf(const std::string& method) const
{
    std::vector<Call> found;
    for (const Call& call : calls) {
        if (call.method == method)
            found.push_back(call);
    }
    return found;
}

HRESULT FakeWebBrowser::Fire(DISPID dispId, std::vector<Variant>& args)
{
    return sink ? sink->Invoke(dispId, args) : S_OK;
}

bool FakeWebBrowser::FireBeforeNavigate(const WideString& url)
{
    std::vector<Variant> args{static_cast<IDispatch*>(this), Variant(url), Variant(0), Variant(WideString()), Variant(),
        Variant(WideString()), Variant::fromBool(false)};
    Fire(DISPID_BEFORENAVIGATE2, args);
    return args[6].toBool();
}

void FakeWebBrowser::Complete(const WideString& url)
{
    locationURL = url;
    std::vector<Variant> args{static_cast<IDispatch*>(this), Variant(url)};
    Fire(DISPID_NAVIGATECOMPLETE2, args);
    readyState = READYSTATE_COMPLETE;
    busy = false;
    args = {static_cast<IDispatch*>(this), Variant(url)};
    Fire(DISPID_DOCUMENTCOMPLETE, args);
}

QListWidget* FakeWebBrowser::ShowFolderList(int count)
{
    auto* list = new QListWidget(window_);
    SetWindowClassName(list, WC_LISTVIEW);
    list->setViewMode(QListView::IconMode);
    list->setMovement(QListView::Static);
    list->setResizeMode(QListView::Adjust);
    list->setGridSize(QSize(80, 60));
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (int i = 0; i < count; ++i)
        list->addItem(QStringLiteral("item %1").arg(i));
    list->setCurrentRow(0);
    page_->hide();
    window_->layout()->addWidget(list);
    list->lower();
    window_->setFocusProxy(list);
    return list;
}

HRESULT FakeWebBrowser::startNavigation(const std::string& method, const WideString& url, std::vector<Variant> args)
{
    calls.push_back({method, std::move(args)});
    if (FireBeforeNavigate(url))
        return S_OK;
    busy = true;
    readyState = READYSTATE_LOADING;
    if (onNavigate)
        onNavigate(*this, url);
    return S_OK;
}

HRESULT FakeWebBrowser::Navigate(const WideString& url, const Variant& flags, const Variant& targetFrameName,
    const Variant& postData, const Variant& headers)
{
    return startNavigation("Navigate", url, {Variant(url), flags, targetFrameName, postData, headers});
}

HRESULT FakeWebBrowser::Navigate2(const Variant& url, const Variant& flags, const Variant& targetFrameName,
    const Variant& postData, const Variant& headers)
{
    return startNavigation("Navigate2", url.toWideString(), {url, flags, targetFrameName, postData, headers});
}

HRESULT FakeWebBrowser::GoBack()
{
    calls.push_back({"GoBack", {}});
    return backEntries > 0 ? S_OK : E_FAIL;
}

HRESULT FakeWebBrowser::GoForward()
{
    calls.push_back({"GoForward", {}});
    return forwardEntries > 0 ? S_OK : E_FAIL;
}

HRESULT FakeWebBrowser::GoHome()
{
    calls.push_back({"GoHome", {}});
    return S_OK;
}

HRESULT FakeWebBrowser::Refresh()
{
    calls.push_back({"Refresh", {}});
    return S_OK;
}

HRESULT FakeWebBrowser::Refresh2(const Variant& level)
{
    calls.push_back({"Refresh2", {level}});
    return S_OK;
}

HRESULT FakeWebBrowser::Stop()
{
    calls.push_back({"Stop", {}});
    busy = false;
    return S_OK;
}

HRESULT FakeWebBrowser::ExecWB(std::int32_t cmdId, std::int32_t cmdExecOpt, const Variant& in, Variant&)
{
    calls.push_back({"ExecWB", {Variant(cmdId), Variant(cmdExecOpt), in}});
    return S_OK;
}

HRESULT FakeWebBrowser::GetProperty(DISPID dispId, Variant& value)
{
    switch (dispId) {
    case DISPID_APPLICATION:
        value = Variant(static_cast<IDispatch*>(this));
        return S_OK;
    case DISPID_DOCUMENT:
        value = Variant(document);
        return S_OK;
    case DISPID_LOCATIONNAME:
        value = Variant(locationName);
        return S_OK;
    case DISPID_LOCATIONURL:
        value = Variant(locationURL);
        return S_OK;
    case DISPID_BUSY:
        value = Variant::fromBool(busy);
        return S_OK;
    case DISPID_READYSTATE:
        value = Variant(readyState);
        return S_OK;
    }
    const auto found = properties.find(dispId);
    if (found == properties.end())
        return DISP_E_MEMBERNOTFOUND;
    value = found->second;
    return S_OK;
}

HRESULT FakeWebBrowser::PutProperty(DISPID dispId, const Variant& value)
{
    calls.push_back({"PutProperty", {Variant(dispId), value}});
    properties[dispId] = value;
    return S_OK;
}

HRESULT FakeWebBrowser::DoVerb(std::int32_t verb)
{
    calls.push_back({"DoVerb", {Variant(verb)}});
    if (verb != OLEIVERB_UIACTIVATE)
        return E_NOTIMPL;
    if (QWidget* proxy = window_->focusProxy())
        proxy->setFocus(Qt::OtherFocusReason);
    return S_OK;
}

FakeWebBrowserFactory::FakeWebBrowserFactory()
{
    previous_ = SetWebBrowserFactory([this] {
        auto control = std::make_unique<FakeWebBrowser>();
        created.push_back(control.get());
        return control;
    });
}

FakeWebBrowserFactory::~FakeWebBrowserFactory() { SetWebBrowserFactory(std::move(previous_)); }
