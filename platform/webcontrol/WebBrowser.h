#pragma once
// The web-browser control: its default interface IWebBrowser2 (methods and
// properties by DISPID), the event sink DWebBrowserEvents2 that receives its
// 34 events by DISPID, and the host-side interfaces it asks on its client
// site. The page engine behind it is Qt WebEngine (platform/webengine,
// QtWebBrowser.h), installed by the program; unit tests use a scriptable double.
#include "platform/com/Variant.h"

#include <functional>
#include <memory>
#include <vector>

class QWidget;

using DISPID = std::int32_t;

inline constexpr const char* CLSID_WebBrowser = "{8856F961-340A-11D0-A96B-00C04FD705A2}";
inline constexpr const char* IID_IWebBrowser2 = "{D30C1661-CDAF-11D0-8A3E-00C04FC9E26E}";
inline constexpr const char* DIID_DWebBrowserEvents2 = "{34A715A0-6587-11D0-924A-0020AFC7AC4D}";
inline const GUID CGID_Explorer = *GUID::parse("{000214D0-0000-0000-C000-000000000046}");
inline const GUID CGID_DocHostCommandHandler = *GUID::parse("{F38BC242-B950-11D1-8918-00C04FC2C836}");

// Properties of the control.
constexpr DISPID DISPID_APPLICATION = 200;
constexpr DISPID DISPID_DOCUMENT = 203;
constexpr DISPID DISPID_LOCATIONNAME = 210;
constexpr DISPID DISPID_LOCATIONURL = 211;
constexpr DISPID DISPID_BUSY = 212;
constexpr DISPID DISPID_READYSTATE = -525;
constexpr DISPID DISPID_VISIBLE = 402;
constexpr DISPID DISPID_STATUSBAR = 403;
constexpr DISPID DISPID_STATUSTEXT = 404;
constexpr DISPID DISPID_TOOLBAR = 405;
constexpr DISPID DISPID_MENUBAR = 406;
constexpr DISPID DISPID_FULLSCREEN = 407;
// Offline: the process-wide offline state (ProcessOffline, platform/inet);
// setting it on one browser sets it for every browser and transfer of ours.
constexpr DISPID DISPID_OFFLINE = 550;
constexpr DISPID DISPID_SILENT = 551;
constexpr DISPID DISPID_REGISTERASBROWSER = 552;
constexpr DISPID DISPID_REGISTERASDROPTARGET = 553;
constexpr DISPID DISPID_THEATERMODE = 554;
constexpr DISPID DISPID_ADDRESSBAR = 555;
constexpr DISPID DISPID_RESIZABLE = 556;
// The control's own property, numbered outside the published range: whether
// pages loaded from local files (file: addresses) may read other local files
// through scripts (XMLHttpRequest of file: addresses, the contents of file:
// frames, file: pictures drawn on a canvas). False by default: as in every
// current browser, a local page cannot read other local files. Qt WebEngine
// 6.4 decides reading and loading with one switch, so while it is off a local
// page does not load other local files at all: its pictures, style sheets,
// scripts and frames from local files stay empty. Its links (and scripts)
// still open other local files in the control, as Navigate does. A host
// turns it on with PutProperty; it holds for pages loaded after the change
// and raises no event. Pages from elsewhere never load or open local files.
constexpr DISPID DISPID_LOCALFILEACCESS = 1000;

// Events of DWebBrowserEvents2, delivered to the sink's Invoke with their
// arguments in the published order; a "var" argument is a Variant the sink may
// change, and the control reads it back when Invoke returns. When each event
// is raised, what its arguments mean, what a changed one does and what the
// control does when nobody handles it is written at the handler each DISPID
// reaches, TSXT's events in browserhost/SXT.h.
constexpr DISPID DISPID_STATUSTEXTCHANGE = 102;
constexpr DISPID DISPID_DOWNLOADCOMPLETE = 104;
constexpr DISPID DISPID_COMMANDSTATECHANGE = 105;
constexpr DISPID DISPID_DOWNLOADBEGIN = 106;
constexpr DISPID DISPID_PROGRESSCHANGE = 108;
constexpr DISPID DISPID_PROPERTYCHANGE = 112;
constexpr DISPID DISPID_TITLECHANGE = 113;
constexpr DISPID DISPID_PRINTTEMPLATEINSTANTIATION = 225;
constexpr DISPID DISPID_PRINTTEMPLATETEARDOWN = 226;
constexpr DISPID DISPID_UPDATEPAGESTATUS = 227;
constexpr DISPID DISPID_BEFORENAVIGATE2 = 250;
constexpr DISPID DISPID_NEWWINDOW2 = 251;
constexpr DISPID DISPID_NAVIGATECOMPLETE2 = 252;
constexpr DISPID DISPID_ONQUIT = 253;
constexpr DISPID DISPID_ONVISIBLE = 254;
constexpr DISPID DISPID_ONTOOLBAR = 255;
constexpr DISPID DISPID_ONMENUBAR = 256;
constexpr DISPID DISPID_ONSTATUSBAR = 257;
constexpr DISPID DISPID_ONFULLSCREEN = 258;
constexpr DISPID DISPID_DOCUMENTCOMPLETE = 259;
constexpr DISPID DISPID_ONTHEATERMODE = 260;
constexpr DISPID DISPID_ONADDRESSBAR = 261;
constexpr DISPID DISPID_WINDOWSETRESIZABLE = 262;
constexpr DISPID DISPID_WINDOWCLOSING = 263;
constexpr DISPID DISPID_WINDOWSETLEFT = 264;
constexpr DISPID DISPID_WINDOWSETTOP = 265;
constexpr DISPID DISPID_WINDOWSETWIDTH = 266;
constexpr DISPID DISPID_WINDOWSETHEIGHT = 267;
constexpr DISPID DISPID_CLIENTTOHOSTWINDOW = 268;
constexpr DISPID DISPID_SETSECURELOCKICON = 269;
constexpr DISPID DISPID_FILEDOWNLOAD = 270;
constexpr DISPID DISPID_NAVIGATEERROR = 271;
constexpr DISPID DISPID_PRIVACYIMPACTEDSTATECHANGE = 272;
constexpr DISPID DISPID_NEWWINDOW3 = 273;

// ReadyState values.
constexpr std::int32_t READYSTATE_UNINITIALIZED = 0;
constexpr std::int32_t READYSTATE_LOADING = 1;
constexpr std::int32_t READYSTATE_LOADED = 2;
constexpr std::int32_t READYSTATE_INTERACTIVE = 3;
constexpr std::int32_t READYSTATE_COMPLETE = 4;

// Command ids of OnCommandStateChange.
constexpr std::int32_t CSC_UPDATECOMMANDS = -1;
constexpr std::int32_t CSC_NAVIGATEFORWARD = 1;
constexpr std::int32_t CSC_NAVIGATEBACK = 2;

// SecureLockIcon values of OnSetSecureLockIcon: the page's encryption state.
constexpr std::int32_t secureLockIconUnsecure = 0;
constexpr std::int32_t secureLockIconMixed = 1;
constexpr std::int32_t secureLockIconSecureUnknownBits = 2;
constexpr std::int32_t secureLockIconSecure40Bit = 3;
constexpr std::int32_t secureLockIconSecure56Bit = 4;
constexpr std::int32_t secureLockIconSecureFortezza = 5;
constexpr std::int32_t secureLockIconSecure128Bit = 6;

// Navigate flags the control understands.
constexpr std::int32_t navOpenInNewWindow = 0x1;
constexpr std::int32_t navNoHistory = 0x2;

// Refresh2 levels.
constexpr std::int32_t REFRESH_NORMAL = 0;
constexpr std::int32_t REFRESH_COMPLETELY = 3;

// ExecWB commands and options.
constexpr std::int32_t OLECMDID_PRINT = 6;
constexpr std::int32_t OLECMDID_PRINTPREVIEW = 7;
constexpr std::int32_t OLECMDID_PAGESETUP = 8;
constexpr std::int32_t OLECMDID_STOP = 23;
constexpr std::int32_t OLECMDEXECOPT_DODEFAULT = 0;
constexpr std::int32_t OLECMDEXECOPT_PROMPTUSER = 1;
constexpr std::int32_t OLECMDEXECOPT_DONTPROMPTUSER = 2;
constexpr HRESULT OLECMDERR_E_NOTSUPPORTED = makeHResult(0x80040100);
constexpr HRESULT OLECMDERR_E_DISABLED = makeHResult(0x80040101);
constexpr HRESULT OLECMDERR_E_CANCELED = makeHResult(0x80040103);

// Command of CGID_Explorer with which the control tells its host that it has
// (re)created its view window.
constexpr DWORD SHDVID_VIEWCREATED = 39;

// Verbs of IOleObject::DoVerb.
constexpr std::int32_t OLEIVERB_UIACTIVATE = -4;

// An HTML document of the control. Later document operations extend this
// interface; a document that is not HTML (a folder view) does not answer it.
class IHTMLDocument2 : public virtual IDispatch {
public:
    virtual WideString get_URL() const = 0;
    virtual WideString get_title() const = 0;
};

// The sink of the control's events. Arguments are in the published order;
// "var" arguments are written in place, and the control reads them back after
// Invoke returns (Cancel, URL and the rest).
class DWebBrowserEvents2 {
public:
    virtual ~DWebBrowserEvents2() = default;
    virtual HRESULT Invoke(DISPID dispId, std::vector<Variant>& args) = 0;
};

// Host-side interfaces. The control asks its client site for each of them with
// dynamic_cast at the engine hook where the question arises; a site that does
// not implement one gets the control's own behaviour, noted at each method.
// Further host questions (context menus, accelerators, messages, new windows,
// downloads, authentication) attach the same way: one small interface here,
// asked by QtWebBrowser, implemented by the browser host.
class IOleClientSite {
public:
    virtual ~IOleClientSite() = default;
};

// Commands the control sends to its host: the view-created notification
// (CGID_Explorer, SHDVID_VIEWCREATED), OLECMDID_STOP when a page is stopped,
// and later refresh and script-error commands. Without it the control goes on
// as if OLECMDERR_E_NOTSUPPORTED had been answered.
class IOleCommandTarget {
public:
    virtual ~IOleCommandTarget() = default;
    virtual HRESULT Exec(const GUID* cmdGroup, DWORD cmdId, DWORD cmdExecOpt, const Variant& in, Variant& out) = 0;
};

// A page script's window.moveTo/resizeTo reach the host here. Without it the
// control raises OnWindowSetLeft/Top/Width/Height and moves nothing.
class IHTMLOMWindowServices {
public:
    virtual ~IHTMLOMWindowServices() = default;
    virtual HRESULT moveTo(std::int32_t x, std::int32_t y) = 0;
    virtual HRESULT resizeTo(std::int32_t x, std::int32_t y) = 0;
};

// The control's object side: activation with a verb.
class IOleObject {
public:
    virtual ~IOleObject() = default;
    // OLEIVERB_UIACTIVATE gives the current view the keyboard focus; other
    // verbs answer E_NOTIMPL. E_FAIL while no view is shown.
    virtual HRESULT DoVerb(std::int32_t verb) = 0;
};

// IWebBrowser2. Methods answer HRESULTs and never throw; Navigate and
// Navigate2 return at once, and loading is reported through the events.
//
// Navigate and Navigate2 take an address as the user typed it and fix it up
// with FixUpAddress (TypedAddress.h) against the program's working folder:
// OnBeforeNavigate2 and, once loaded, LocationURL carry the fixed-up address.
//
// A local folder is shown as a folder view in place of the page. Folder
// views are entries of the navigation history like pages: GoBack and
// GoForward move through pages and folders in the order they were shown,
// with the same events as any navigation, and OnCommandStateChange
// (CSC_NAVIGATEBACK, CSC_NAVIGATEFORWARD) says whether either can move.
//
// Addresses of schemes the control does not load itself (mailto:, a made-up
// scheme: anything but http, https, file, about, data, blob, filesystem,
// javascript, view-source, qrc, chrome, devtools and schemes with a handler
// installed in the engine profile) belong to programs of the desktop.
// However one is asked for (Navigate, a link, a script, a frame, a server's
// redirect), OnBeforeNavigate2 is raised first, for the page or the frame;
// its Cancel ends the matter. The page shown stays, and no other navigation
// event follows for that address. Unless cancelled, the user is asked once
// the current engine call has returned, through IDialogs::MessageBox with the
// application title as caption and the style MB_YESNO | MB_ICONQUESTION |
// MB_DEFBUTTON2 (No is the default answer):
//     Open this address with the program for "<scheme>" addresses?
//
//     <address>
// (the address fully percent-encoded, cut after 300 characters with "...").
// Only Yes hands the address to the desktop (QDesktopServices::openUrl);
// when no program starts, the box "No program could be started for
// "<scheme>" addresses." (MB_OK | MB_ICONERROR) says so. After No, further
// such addresses are refused without asking until the control navigates
// again. A question not yet shown when the control navigates or stops is
// dropped, and so is an address asked for while a question is open. With the
// Silent property set, every such address is refused without a question. A
// page can neither answer nor suppress the question. A server's redirect to
// such an address ends the navigation: the page shown before stays, complete.
class IWebBrowser2 : public virtual IDispatch, public IOleObject {
public:
    // The control's window. The host places it, re-parents it and keeps it
    // alive across re-creation of its own window.
    virtual QWidget* window() = 0;

    virtual void SetClientSite(IOleClientSite* site) = 0;
    // One sink at a time; nullptr disconnects.
    virtual void Advise(DWebBrowserEvents2* sink) = 0;

    virtual HRESULT Navigate(const WideString& url, const Variant& flags, const Variant& targetFrameName,
        const Variant& postData, const Variant& headers)
        = 0;
    virtual HRESULT Navigate2(const Variant& url, const Variant& flags, const Variant& targetFrameName,
        const Variant& postData, const Variant& headers)
        = 0;
    // E_FAIL when there is no history entry in that direction.
    virtual HRESULT GoBack() = 0;
    virtual HRESULT GoForward() = 0;
    // The home page: HKEY_CURRENT_USER "Software\Microsoft\Internet
    // Explorer\Main" value "Start Page"; about:blank when it is missing.
    virtual HRESULT GoHome() = 0;
    virtual HRESULT Refresh() = 0;
    virtual HRESULT Refresh2(const Variant& level) = 0;
    virtual HRESULT Stop() = 0;
    // OLECMDID_PRINT (prompting unless OLECMDEXECOPT_DONTPROMPTUSER; printing
    // goes on after the call), OLECMDID_PRINTPREVIEW, OLECMDID_PAGESETUP and
    // OLECMDID_STOP; OLECMDERR_E_DISABLED without an HTML page,
    // OLECMDERR_E_CANCELED when the user cancels, OLECMDERR_E_NOTSUPPORTED
    // for other commands.
    virtual HRESULT ExecWB(std::int32_t cmdId, std::int32_t cmdExecOpt, const Variant& in, Variant& out) = 0;

    // Property access by DISPID: DISP_E_MEMBERNOTFOUND for an unknown DISPID,
    // and for a put of a read-only one.
    virtual HRESULT GetProperty(DISPID dispId, Variant& value) = 0;
    virtual HRESULT PutProperty(DISPID dispId, const Variant& value) = 0;
};

// Creates the control that new browser hosts get, through the factory the
// program installed (the Qt WebEngine control: InstallQtWebBrowser() in
// platform/webengine; a test double in unit tests). Throws std::logic_error
// when no factory is installed, since a host without a control cannot work.
std::unique_ptr<IWebBrowser2> CreateWebBrowser();
using WebBrowserFactory = std::function<std::unique_ptr<IWebBrowser2>()>;
// Installs the factory CreateWebBrowser uses and answers the one it replaces,
// so that a test double can put the previous factory back (an empty factory
// removes it).
WebBrowserFactory SetWebBrowserFactory(WebBrowserFactory factory);
