#pragma once
// The document object model of the control's page. A document, and every
// object reached from it, answers late-bound members by name (body, links,
// frames, item, innerHTML, ...) as the control's scripting objects do; the
// document also offers the interfaces asked of it by cast: IHTMLDocument2
// (WebBrowser.h), IHTMLDocument3, persistence, its command target and the
// view drawing. A folder view, a PDF or a picture shown by the control is a
// document without any of these.
//
// Every call runs on the user-interface thread and waits there for the page
// with events processed, so handlers and timers run during the call.
#include "platform/webcontrol/WebBrowser.h"

#include <QByteArray>
#include <QImage>

class QWidget;

inline const GUID CGID_IWebBrowser = *GUID::parse("{ED016940-BD5B-11CF-BA4E-00C04FD70816}");

// Commands of the document's command target: the standard group (no group)
// and CGID_IWebBrowser.
constexpr DWORD OLECMDID_SAVEAS = 4;
constexpr DWORD OLECMDID_PROPERTIES = 10;
constexpr DWORD OLECMDID_CUT = 11;
constexpr DWORD OLECMDID_COPY = 12;
constexpr DWORD OLECMDID_PASTE = 13;
constexpr DWORD OLECMDID_SELECTALL = 17;
constexpr DWORD HTMLID_FIND = 1;
constexpr DWORD HTMLID_VIEWSOURCE = 2;
constexpr DWORD HTMLID_OPTIONS = 3;

// Aspects of IViewObject::Draw.
constexpr DWORD DVASPECT_CONTENT = 1;
constexpr DWORD DVASPECT_DOCPRINT = 8;

// Late binding by name. Names match without regard to case, and the
// control's own names stand for the page's (parentWindow, frames of a
// document, Item of a frame list, Document of a frame). An object in a
// result is owned by the document it came from and stays valid until the
// control has loaded another page; a call on it after that answers E_FAIL.
class IDispatchByName : public virtual IDispatch {
public:
    // DISP_E_MEMBERNOTFOUND for a name the object lacks, E_ACCESSDENIED for
    // an object of another site (a frame from elsewhere), E_FAIL when the
    // page is gone or did not answer within the control's time-out.
    virtual HRESULT GetMember(const WideString& name, Variant& value) = 0;
    virtual HRESULT PutMember(const WideString& name, const Variant& value) = 0;
    // Calls a method; an indexer (item of a collection without an item
    // method) is called as well.
    virtual HRESULT CallMember(const WideString& name, const std::vector<Variant>& args, Variant& result) = 0;
    // A collection's items read in one call: the member name of each item,
    // in order (Null for an item without it, or whose member is an object).
    virtual HRESULT GetItemMembers(const WideString& name, std::vector<Variant>& values) = 0;
};

class IHTMLDocument3 : public virtual IDispatchByName {
public:
    // The collection of the elements named name; an empty collection when
    // none is.
    virtual HRESULT getElementsByName(const WideString& name, Variant& collection) = 0;
};

// Saving the page's HTML and replacing it with other HTML.
class IPersistStreamInit {
public:
    virtual ~IPersistStreamInit() = default;
    // The document's markup as UTF-8. clearDirty marks the document saved.
    virtual HRESULT Save(QByteArray& data, bool clearDirty) = 0;
    // Replaces the document's content with the HTML in data (UTF-8 unless
    // it names another character set); the address stays.
    virtual HRESULT Load(const QByteArray& data) = 0;
};

class IPersistFile {
public:
    virtual ~IPersistFile() = default;
    // Writes the document's markup to fileName through a temporary name.
    // remember: the document takes that file as its own (not supported:
    // E_NOTIMPL).
    virtual HRESULT Save(const WideString& fileName, bool remember) = 0;
};

// Drawing the page into a picture.
class IViewObject {
public:
    virtual ~IViewObject() = default;
    // Draws the page as shown at the picture's size: a picture larger than
    // the control's window lays the page out at that size for the drawing,
    // so a long page fills it. DVASPECT_CONTENT and DVASPECT_DOCPRINT draw
    // alike. E_FAIL when the page could not be drawn.
    virtual HRESULT Draw(DWORD aspect, QImage& target) = 0;
};

// What the document's command windows (Save As, find, view source) ask of
// the page beyond its object model.
class IDocumentView {
public:
    virtual ~IDocumentView() = default;
    enum SaveFormat { CompleteHtml, SingleHtml, MimeHtml };
    // Saves the page: complete (the HTML and a folder of its resources),
    // the HTML alone, or one web archive file. Waits until written.
    virtual HRESULT SaveAs(const WideString& fileName, SaveFormat format) = 0;
    // Highlights the next (backward: previous) match of text from the last
    // one; an empty text clears the highlight. matches: how many there are;
    // active: the highlighted one, counted from 1 (0 with none).
    virtual HRESULT Find(const WideString& text, bool backward, bool caseSensitive, int& active, int& matches) = 0;
    // The control's window, the owner of the document's windows.
    virtual QWidget* ViewWindow() = 0;
};

// The windows behind the document's command-target commands that need a
// user: OLECMDID_SAVEAS, OLECMDID_PROPERTIES, and HTMLID_FIND,
// HTMLID_VIEWSOURCE, HTMLID_OPTIONS of CGID_IWebBrowser. The program
// installs them (tools/DocumentCommands.h); without them a document answers
// those commands with OLECMDERR_E_NOTSUPPORTED.
class IDocumentCommandWindows {
public:
    virtual ~IDocumentCommandWindows() = default;
    virtual HRESULT Exec(IDispatch* document, const GUID* cmdGroup, DWORD cmdId) = 0;
};
IDocumentCommandWindows* DocumentCommandWindows();
// The caller keeps ownership; nullptr removes them.
void SetDocumentCommandWindows(IDocumentCommandWindows* windows);
