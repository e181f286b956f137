// The host's answers to the control's questions, asked directly against the
// scriptable control: flags, accelerators, option keys, commands and script
// errors, services, ambient properties and context-menu decisions.
#include "FakeWebBrowser.h"
#include "browserhost/Sextant.h"

#include <QAction>
#include <QApplication>
#include <QMenu>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

class HostUITest : public ::testing::Test {
protected:
    HostUITest() : sextant(new TSextant(&form)) {}

    IDocHostUIHandler2* handler() { return sextant; }
    IOleCommandTarget* commands() { return sextant; }
    IServiceProvider* services() { return sextant; }
    IAmbientProperties* ambient() { return sextant; }

    FakeWebBrowserFactory factory;
    QWidget form;
    TSextant* sextant;
};

// A script-error event that knows some of the five properties.
class ErrorEvent : public IScriptErrorEvent {
public:
    explicit ErrorEvent(std::map<QString, QString> properties) : properties_(std::move(properties)) {}
    bool GetProperty(const QString& name, QString& value) const override
    {
        const auto found = properties_.find(name);
        if (found == properties_.end())
            return false;
        value = found->second;
        return true;
    }

private:
    std::map<QString, QString> properties_;
};

const std::map<QString, QString> FullError
    = {{QStringLiteral("errorLine"), QStringLiteral("7")}, {QStringLiteral("errorCharacter"), QStringLiteral("3")},
        {QStringLiteral("errorCode"), QStringLiteral("0")}, {QStringLiteral("errorMessage"), QStringLiteral("boom")},
        {QStringLiteral("errorUrl"), QStringLiteral("http://a/")}};

// The control's menus for a kind: one item per id given, none for other kinds.
class FakeMenus : public IContextMenuSource {
public:
    QWidget owner;
    std::vector<int> executed;
    QMenu* CreateContextMenu(DWORD kind) override
    {
        if (kind != CONTEXT_MENU_DEFAULT)
            return nullptr;
        auto* menu = new QMenu;
        for (int id : {IDM_GOBACKWARD, IDM_VIEWSOURCE, IDM_REFRESH})
            menu->addAction(QString::number(id))->setData(id);
        return menu;
    }
    QWidget* MenuOwner() override { return &owner; }
    void ExecMenuCommand(int commandId) override { executed.push_back(commandId); }
};

TEST_F(HostUITest, OptionSetsGiveTheirFlagValues)
{
    using UI = TUserInterfaceOption;
    using DL = TDownloadControlOption;
    DOCHOSTUIINFO info;
    handler()->GetHostInfo(&info);
    EXPECT_EQ(info.cbSize, 20u);
    EXPECT_EQ(info.dwFlags, 0x44000u);
    EXPECT_EQ(sextant->DownloadControlFlags(), 0x70u);

    struct Case {
        TUserInterfaceOptions options;
        DWORD flags;
    };
    const Case cases[] = {
        {{UI::EnableThemes}, 0x40000},
        {{UI::DisableTextSelect, UI::DontUseScrollBars}, 0x9},
        {{UI::EnablesFormsAutoComplete, UI::ForceSameWindowNavigation}, 0x14000},
        {{UI::ForceUserActivationOnActiveXJava}, 0x20000000},
        {{}, 0},
    };
    for (const Case& c : cases) {
        sextant->SetUserInterfaceOptions(c.options);
        handler()->GetHostInfo(&info);
        EXPECT_EQ(info.dwFlags, c.flags);
    }
    sextant->SetDownloadOptions({DL::DontExecuteScripts, DL::WorkOffline, DL::ForceOfflineMode});
    EXPECT_EQ(sextant->DownloadControlFlags(), 0x90000080u);
    EXPECT_EQ(PopupMenuItemId(TIEPopupMenuItem::rcsViewSource), 2139);
    EXPECT_EQ(PopupMenuItemId(TIEPopupMenuItem::rcsOpenLink), 2136);
}

TEST_F(HostUITest, GetHostInfoHandsOnTheHostStyleSheetUnlessAHandlerGaveOne)
{
    sextant->HostCSS = QStringLiteral("p { color: red }");
    sextant->HostNS = QStringLiteral("ns");
    DOCHOSTUIINFO info;
    handler()->GetHostInfo(&info);
    EXPECT_EQ(info.pchHostCss, u"p { color: red }");
    EXPECT_EQ(info.pchHostNS, u"ns");
    sextant->OnGetHostInfo = [](TObject*, DOCHOSTUIINFO& given) {
        given.pchHostCss = u"b {}";
        given.dwFlags = 0x1;
    };
    handler()->GetHostInfo(&info);
    EXPECT_EQ(info.pchHostCss, u"b {}");
    EXPECT_EQ(info.dwFlags, 0x1u);
}

TEST_F(HostUITest, TranslateAcceleratorMasksCtrlWithTheGivenCharacters)
{
    struct Case {
        const char* name;
        UINT message;
        WPARAM key;
        bool shift, ctrl, alt;
        const char* shortcuts;
        HRESULT answer;
        bool reported;
    };
    const Case cases[] = {
        {"Ctrl+N", WM_KEYDOWN, 'N', false, true, false, "N", S_OK, true},
        {"Ctrl+Shift+N", WM_KEYDOWN, 'N', true, true, false, "N", S_FALSE, false},
        {"Ctrl+Alt+N", WM_KEYDOWN, 'N', false, true, true, "N", S_FALSE, false},
        {"N alone", WM_KEYDOWN, 'N', false, false, false, "N", S_FALSE, false},
        {"Ctrl+N released", WM_KEYUP, 'N', false, true, false, "N", S_FALSE, false},
        {"Ctrl+N, nothing masked", WM_KEYDOWN, 'N', false, true, false, "", S_FALSE, false},
        {"Ctrl+N, lower case given", WM_KEYDOWN, 'N', false, true, false, "n", S_FALSE, false},
        {"Ctrl+P among others", WM_KEYDOWN, 'P', false, true, false, "NPO", S_OK, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sextant->DisableCtrlShortcuts = QString::fromLatin1(c.shortcuts);
        std::vector<char> reported;
        int translated = 0;
        sextant->OnMaskedCtrlChar = [&](TObject*, char masked) { reported.push_back(masked); };
        sextant->OnTranslateAccelerator = [&](TObject*, const MSG*, const GUID*, DWORD, bool&) { ++translated; };
        MSG msg;
        msg.message = c.message;
        msg.wParam = c.key;
        msg.lParam = c.alt ? KF_ALTDOWN : 0;
        msg.shiftDown = c.shift;
        msg.ctrlDown = c.ctrl;
        EXPECT_EQ(handler()->TranslateAccelerator(&msg, nullptr, 0), c.answer);
        EXPECT_EQ(reported, c.reported ? std::vector<char>{char(c.key)} : std::vector<char>{});
        EXPECT_EQ(translated, c.reported ? 0 : 1);
    }
    sextant->OnTranslateAccelerator = [](TObject*, const MSG*, const GUID*, DWORD, bool& done) { done = true; };
    MSG plain;
    plain.message = WM_KEYDOWN;
    plain.wParam = 'A';
    EXPECT_EQ(handler()->TranslateAccelerator(&plain, nullptr, 0), S_OK);
}

TEST_F(HostUITest, OptionKeyPathsAnswerByTheOverrideFlag)
{
    struct Case {
        const char* path;
        bool override;
        HRESULT option, overrideAnswer;
    };
    const Case cases[] = {
        {"", false, S_FALSE, S_FALSE},
        {"Software\\Zarn", false, S_OK, S_FALSE},
        {"Software\\Zarn", true, S_FALSE, S_OK},
    };
    for (const Case& c : cases) {
        sextant->OptionKeyPath = QString::fromLatin1(c.path);
        sextant->OverrideOptionKeyPath = c.override;
        WideString key, overrideKey;
        EXPECT_EQ(handler()->GetOptionKeyPath(&key, 0), c.option);
        EXPECT_EQ(handler()->GetOverrideKeyPath(&overrideKey, 0), c.overrideAnswer);
        EXPECT_EQ(key.empty() && overrideKey.empty(), c.option != S_OK && c.overrideAnswer != S_OK);
    }
}

TEST_F(HostUITest, RefreshAndUnloadCommandsFollowTheirHandlers)
{
    Variant out;
    EXPECT_EQ(commands()->Exec(&CGID_DocHostCommandHandler, IDM_REFRESH, 0, Variant(), out), OLECMDERR_E_NOTSUPPORTED);
    bool cancel = true;
    std::vector<DWORD> refreshes;
    sextant->OnRefresh = [&](TObject*, DWORD id, bool& c) {
        refreshes.push_back(id);
        c = cancel;
    };
    for (DWORD id : {DWORD(IDM_REFRESH), IDM_REFRESH_TOP, IDM_REFRESH_TOP_FULL})
        EXPECT_EQ(commands()->Exec(&CGID_DocHostCommandHandler, id, 0, Variant(), out), S_OK);
    cancel = false;
    EXPECT_EQ(commands()->Exec(&CGID_DocHostCommandHandler, IDM_REFRESH, 0, Variant(), out), OLECMDERR_E_NOTSUPPORTED);
    EXPECT_EQ(refreshes, (std::vector<DWORD>{2300, 6041, 6042, 2300}));

    EXPECT_EQ(commands()->Exec(&CGID_Explorer, SHDVID_UNLOAD, 0, Variant(), out), OLECMDERR_E_NOTSUPPORTED);
    int unloads = 0;
    sextant->OnUnload = [&](TObject*) { ++unloads; };
    EXPECT_EQ(commands()->Exec(&CGID_Explorer, SHDVID_UNLOAD, 0, Variant(), out), S_OK);
    EXPECT_EQ(unloads, 1);

    // Two view re-creations in a row raise OnPreRefresh once.
    int preRefreshes = 0;
    sextant->OnPreRefresh = [&](TObject*) { ++preRefreshes; };
    commands()->Exec(&CGID_Explorer, SHDVID_VIEWCREATED, 0, Variant(), out);
    commands()->Exec(&CGID_Explorer, SHDVID_VIEWCREATED, 0, Variant(), out);
    EXPECT_EQ(preRefreshes, 1);

    // Every command reaches OnCommandExec, which may answer.
    sextant->OnCommandExec
        = [](TObject*, const GUID*, DWORD id, DWORD, const Variant&, Variant&, HRESULT& r) { r = HRESULT(id); };
    EXPECT_EQ(commands()->Exec(nullptr, 77, 0, Variant(), out), 77);
}

TEST_F(HostUITest, ScriptErrorsAreAnsweredByTheActionTakenBeforeTheEvent)
{
    struct Case {
        TScriptErrorAction action;
        HRESULT answer;
        bool keepRunning;
    };
    const Case cases[] = {{eaContinue, S_OK, true}, {eaCancel, S_OK, false}, {eaAskUser, S_FALSE, false}};
    ErrorEvent event(FullError);
    const Variant in(static_cast<IDispatch*>(&event));
    for (const Case& c : cases) {
        sextant->ScriptErrorAction = c.action;
        Variant out;
        EXPECT_EQ(commands()->Exec(&CGID_DocHostCommandHandler, OLECMDID_SHOWSCRIPTERROR, 0, in, out), c.answer);
        if (c.answer == S_OK)
            EXPECT_EQ(out.toBool(), c.keepRunning);
    }

    // A handler's change applies from the next error on.
    sextant->ScriptErrorAction = eaContinue;
    std::vector<QString> seen;
    sextant->OnScriptError = [&](TObject*, const QString& line, const QString& character, const QString& code,
                                 const QString& message, const QString& address, TScriptErrorAction& action) {
        seen = {line, character, code, message, address};
        action = eaAskUser;
    };
    Variant out;
    EXPECT_EQ(commands()->Exec(&CGID_DocHostCommandHandler, OLECMDID_SHOWSCRIPTERROR, 0, in, out), S_OK);
    EXPECT_EQ(seen,
        (std::vector<QString>{QStringLiteral("7"), QStringLiteral("3"), QStringLiteral("0"), QStringLiteral("boom"),
            QStringLiteral("http://a/")}));
    EXPECT_EQ(commands()->Exec(&CGID_DocHostCommandHandler, OLECMDID_SHOWSCRIPTERROR, 0, in, out), S_FALSE);

    // An event without one of the properties raises an error naming it.
    auto partial = FullError;
    partial.erase(QStringLiteral("errorUrl"));
    ErrorEvent incomplete(partial);
    seen.clear();
    try {
        commands()->Exec(&CGID_DocHostCommandHandler, OLECMDID_SHOWSCRIPTERROR, 0,
            Variant(static_cast<IDispatch*>(&incomplete)), out);
        ADD_FAILURE() << "no error raised";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "'errorUrl' is not supported.");
    }
    EXPECT_TRUE(seen.empty());
}

TEST_F(HostUITest, ServicesAreHandedOutOnlyWhenTheirEventsAreAssigned)
{
    struct Case {
        const char* name;
        const GUID* service;
        const GUID* iid;
    };
    const Case cases[] = {
        {"new windows", &SID_SNewWindowManager, &IID_INewWindowManager},
        {"downloads", &SID_SDownloadManager, &IID_IDownloadManager},
        {"log-in", &IID_INewWindowManager, &IID_IAuthenticate},
        {"behaviours", &IID_IHostBehaviorInit, &IID_IHostBehaviorInit},
        {"window services", &IID_IHTMLOMWindowServices, &IID_IHTMLOMWindowServices},
    };
    auto ask = [&](const Case& c) {
        void* object = nullptr;
        const HRESULT answer = services()->QueryService(*c.service, *c.iid, &object);
        EXPECT_EQ(answer == S_OK, object != nullptr);
        return object;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ask(c), nullptr);
    }
    void* focus = nullptr;
    EXPECT_EQ(services()->QueryService(IID_IProtectFocus, IID_IProtectFocus, &focus), S_OK);
    bool allowed = false;
    static_cast<IProtectFocus*>(focus)->AllowFocusChange(&allowed);
    EXPECT_TRUE(allowed);

    sextant->OnEvaluateNewWindow = [](TObject*, const WideString&, const WideString&, const WideString&,
                                       const WideString&, bool, DWORD, DWORD, HRESULT& r) { r = S_FALSE; };
    sextant->OnFileDownload = [](TObject*, const WideString&, IDispatch*, DWORD, std::int32_t, const BINDINFO*,
                                  const WideString&, const WideString&, UINT, HRESULT& r) { r = S_OK; };
    sextant->OnAuthenticate = [](TObject*, QWidget*&, WideString& user, WideString&, HRESULT&) { user = u"me"; };
    sextant->OnPopulateNSTable = [](TObject*) {};
    sextant->OnMove = [](TObject*, int, int) {};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NE(ask(c), nullptr);
    }
    auto* windows = static_cast<INewWindowManager*>(ask(cases[0]));
    EXPECT_EQ(windows->EvaluateNewWindow(u"http://a/", u"", u"", u"", false, 0, 0), S_FALSE);
    auto* login = static_cast<IAuthenticate*>(ask(cases[2]));
    QWidget* window = nullptr;
    WideString user, password;
    EXPECT_EQ(login->Authenticate(&window, &user, &password), S_OK);
    EXPECT_EQ(window, static_cast<QWidget*>(sextant));
    EXPECT_EQ(user, u"me");

    // Another service may come from OnQueryService.
    int other = 0;
    sextant->OnQueryService = [&](TObject*, const GUID&, const GUID&, void*& object) { object = &other; };
    void* object = nullptr;
    EXPECT_EQ(services()->QueryService(CGID_Explorer, CGID_Explorer, &object), S_OK);
    EXPECT_EQ(object, &other);
}

TEST_F(HostUITest, AmbientPropertiesAnswerDownloadControlAndUserMode)
{
    std::vector<Variant> none;
    Variant result;
    EXPECT_EQ(ambient()->Invoke(DISPID_AMBIENT_DLCONTROL, DISPATCH_PROPERTYGET, none, &result, nullptr), S_OK);
    EXPECT_EQ(result.toInt(), 0x70);
    EXPECT_EQ(ambient()->Invoke(DISPID_AMBIENT_USERMODE, DISPATCH_PROPERTYGET, none, &result, nullptr), S_OK);
    EXPECT_TRUE(result.toBool());
    std::vector<Variant> design{Variant::fromBool(true)};
    EXPECT_EQ(ambient()->Invoke(DISPID_AMBIENT_USERMODE, DISPATCH_PROPERTYPUT, design, nullptr, nullptr), S_OK);
    EXPECT_EQ(ambient()->Invoke(DISPID_AMBIENT_USERMODE, DISPATCH_PROPERTYGET, none, &result, nullptr), S_OK);
    EXPECT_FALSE(result.toBool());
    EXPECT_EQ(ambient()->Invoke(DISPID_AMBIENT_USERAGENT, DISPATCH_PROPERTYGET, none, &result, nullptr),
        DISP_E_MEMBERNOTFOUND);

    sextant->OnInvoke = [](TObject*, DISPID id, WORD, std::vector<Variant>&, Variant* out, HRESULT& r) {
        if (id == 4242)
            throw std::runtime_error("refused");
        *out = Variant(std::int32_t(id));
        r = S_OK;
    };
    EXPECT_EQ(ambient()->Invoke(17, DISPATCH_PROPERTYGET, none, &result, nullptr), S_OK);
    EXPECT_EQ(result.toInt(), 17);
    EXCEPINFO error;
    EXPECT_EQ(ambient()->Invoke(4242, DISPATCH_PROPERTYGET, none, &result, &error), DISP_E_EXCEPTION);
    EXPECT_EQ(error.wCode, 9999);
    EXPECT_EQ(error.bstrDescription, u"refused");
}

TEST_F(HostUITest, DropHandlingTypesChooseTheDropTarget)
{
    FakeWebBrowser* control = factory.last();
    IDropTarget* replacement = reinterpret_cast<IDropTarget*>(&factory);
    sextant->OnGetDropTarget = [&](TObject*, IDropTarget*& target) { target = replacement; };
    struct Case {
        TDragDropHandlingType type;
        HRESULT answer;
        IDropTarget* target;
        bool registered;
    };
    const Case cases[] = {
        {ddtNo, S_OK, nullptr, false},
        {ddtMy, S_OK, sextant, false},
        {ddtCustom, S_OK, replacement, false},
        {ddtMS, E_NOTIMPL, nullptr, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.type));
        sextant->SetDropHandlingType(c.type);
        IDropTarget* target = reinterpret_cast<IDropTarget*>(&control);
        EXPECT_EQ(handler()->GetDropTarget(nullptr, &target), c.answer);
        EXPECT_EQ(target, c.target);
        if (c.type == ddtNo || c.type == ddtMS)
            EXPECT_EQ(control->properties[DISPID_REGISTERASDROPTARGET].toBool(), c.registered);
    }
    // The component's own target takes drops only through its events.
    sextant->SetDropHandlingType(ddtMy);
    DWORD effect = DROPEFFECT_COPY;
    EXPECT_EQ(sextant->DragEnter(nullptr, 0, POINT{}, &effect), S_OK);
    EXPECT_EQ(effect, DROPEFFECT_NONE);
    sextant->OnDropEvent = [](TObject*, const QMimeData*, DWORD, POINT, DWORD& e, HRESULT&) { e = DROPEFFECT_COPY; };
    EXPECT_EQ(sextant->Drop(nullptr, 0, POINT{}, &effect), S_OK);
    EXPECT_EQ(effect, DROPEFFECT_COPY);
}

TEST_F(HostUITest, ContextMenuDecisions)
{
    FakeMenus menus;
    const POINT at{10, 10};
    // Unhandled and nothing disabled: the control's menu.
    EXPECT_EQ(handler()->ShowContextMenu(CONTEXT_MENU_DEFAULT, &at, &menus, nullptr), S_FALSE);
    // A handler's S_OK suppresses every menu.
    sextant->OnShowContextMenu
        = [](TObject*, DWORD, const POINT*, IContextMenuSource*, IDispatch*, HRESULT& r) { r = S_OK; };
    EXPECT_EQ(handler()->ShowContextMenu(CONTEXT_MENU_DEFAULT, &at, &menus, nullptr), S_OK);
    sextant->OnShowContextMenu = nullptr;
    // A disabled kind: no menu from the control; other kinds unaffected.
    sextant->DisabledPopupMenus = {TIEPopupMenu::rcmAnchor};
    EXPECT_EQ(handler()->ShowContextMenu(CONTEXT_MENU_ANCHOR, &at, &menus, nullptr), S_OK);
    EXPECT_EQ(handler()->ShowContextMenu(CONTEXT_MENU_IMAGE, &at, &menus, nullptr), S_FALSE);
    sextant->DisabledPopupMenus = {TIEPopupMenu::rcmAll};
    EXPECT_EQ(handler()->ShowContextMenu(CONTEXT_MENU_IMAGE, &at, &menus, nullptr), S_OK);
    sextant->DisabledPopupMenus = {};
    // Removed items make the host build the menu; a kind without a menu is
    // not shown.
    sextant->DisabledPopupMenuItems = {TIEPopupMenuItem::rcsViewSource};
    EXPECT_EQ(handler()->ShowContextMenu(CONTEXT_MENU_TABLE, &at, &menus, nullptr), S_FALSE);
    std::vector<int> offered, left;
    sextant->OnFilterPopupMenu = [&](TObject*, DWORD, QMenu* menu, IDispatch*) {
        for (QAction* action : menu->actions())
            offered.push_back(action->data().toInt());
        // Once the menu shows, notes what is left of it and closes it,
        // choosing nothing.
        QMetaObject::invokeMethod(
            menu,
            [&left, menu] {
                for (QAction* action : menu->actions())
                    left.push_back(action->data().toInt());
                menu->close();
            },
            Qt::QueuedConnection);
    };
    EXPECT_EQ(handler()->ShowContextMenu(CONTEXT_MENU_DEFAULT, &at, &menus, nullptr), S_OK);
    EXPECT_EQ(offered, (std::vector<int>{IDM_GOBACKWARD, IDM_VIEWSOURCE, IDM_REFRESH}));
    EXPECT_EQ(left, (std::vector<int>{IDM_GOBACKWARD, IDM_REFRESH}));
    EXPECT_TRUE(menus.executed.empty());
}

} // namespace
