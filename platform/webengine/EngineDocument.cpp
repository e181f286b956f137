#include "platform/webengine/EngineDocument.h"

#include "platform/files/SafeFile.h"
#include "platform/webengine/QtWebBrowser.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QPainter>
#include <QPointer>
#include <QTimer>
#include <QWebEngineDownloadRequest>
#include <QWebEngineFindTextResult>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <algorithm>
#include <cmath>
#include <map>

namespace {

// How long one call on the page may take before it counts as failed.
constexpr int ScriptTimeoutMs = 10000;
// How long the engine may take to lay the page out at a new size for a
// drawing, and to save a page.
constexpr int LayoutTimeoutMs = 5000;
constexpr int SaveTimeoutMs = 60000;
// How long the engine may take to learn of a selection.
constexpr int SelectionTimeoutMs = 1000;
// How long no new frame may come before a drawing counts as complete.
constexpr int QuietAfterFrameMs = 150;
// The pause between looks at whether the engine has laid the page out.
constexpr int LayoutPollMs = 10;

// One late-bound operation in the page: (token, ref, op, name, args). The
// page's objects reached so far are kept in a list of the control's script
// world, numbered from 0 (the document); the token names that list, so that
// a number from an earlier page is never taken for one of the current page.
// Names match without regard to case; the control's own names stand for the
// page's where they differ.
const char* const LateBoundScript = R"JS(
(function (token, ref, op, name, args) {
  let R = window.__zarnObjects;
  if (!R)
    R = window.__zarnObjects = { token: Date.now().toString(36) + Math.random().toString(36).slice(2), list: [document] };
  if (ref !== 0 && token !== R.token)
    return { error: 'stale' };
  const target = R.list[ref];
  if (target === undefined || target === null)
    return { error: 'stale' };
  const wrap = v => {
    if (v === undefined || v === null)
      return { value: null, token: R.token };
    // document.all answers typeof with 'undefined', yet is a collection.
    if (typeof v === 'object' || typeof v === 'function' || v instanceof HTMLAllCollection) {
      R.list.push(v);
      return { ref: R.list.length - 1, token: R.token };
    }
    return { value: v, token: R.token };
  };
  const unwrap = a => (a !== null && typeof a === 'object' && 'ref' in a) ? R.list[a.ref] : a;
  // The control's names are capitalised where the page's are not
  // (Document, Item, Length): the page's own spelling comes first, since a
  // window also has capitalised members of its own (Document, Image).
  const keyOf = (obj, wanted) => {
    const camel = wanted.charAt(0).toLowerCase() + wanted.slice(1);
    if (camel in obj)
      return camel;
    if (wanted in obj)
      return wanted;
    const lower = wanted.toLowerCase();
    for (let p = obj; p !== null; p = Object.getPrototypeOf(p))
      for (const k of Object.getOwnPropertyNames(p))
        if (k.toLowerCase() === lower)
          return k;
    return null;
  };
  const isDocument = obj => obj.nodeType === 9;
  try {
    const lower = name.toLowerCase();
    if (op === 'get' && isDocument(target) && lower === 'parentwindow')
      return wrap(target.defaultView);
    if (op === 'get' && isDocument(target) && lower === 'frames')
      return wrap(target.defaultView);
    if (op === 'items') {
      const count = target.length >>> 0;
      const values = [];
      for (let i = 0; i < count; i++) {
        const item = typeof target.item === 'function' ? target.item(i) : target[i];
        const key = item === null || item === undefined ? null : keyOf(item, name);
        const v = key === null ? null : item[key];
        values.push(v !== null && (typeof v === 'object' || typeof v === 'function') ? null : v);
      }
      return { values: values, token: R.token };
    }
    const key = keyOf(target, name);
    if (op === 'get')
      return key === null ? { error: 'member' } : wrap(target[key]);
    if (op === 'put') {
      if (key === null)
        return { error: 'member' };
      target[key] = unwrap(args[0]);
      return { value: null, token: R.token };
    }
    const values = args.map(unwrap);
    if (key !== null && typeof target[key] === 'function')
      return wrap(target[key](...values));
    if (lower === 'item' && values.length > 0)
      return wrap(target[values[0]]);
    // The control's all.tags(name): the elements of that tag name.
    if (lower === 'tags' && target instanceof HTMLAllCollection && values.length > 0)
      return wrap(document.getElementsByTagName(String(values[0])));
    return { error: 'member' };
  } catch (e) {
    return { error: e && e.name === 'SecurityError' ? 'denied' : 'failed' };
  }
})
)JS";

// Replaces the document's content, keeping its address.
const char* const LoadScript = "(function (html) { document.open(); document.write(html); document.close(); })";

// Whether the page has been laid out at the given size and drawn since.
const char* const LaidOutScript = R"JS(
(function (width, height) {
  if (window.innerWidth !== width || window.innerHeight !== height) {
    window.__zarnDrawn = false;
    return false;
  }
  if (window.__zarnDrawn === undefined || window.__zarnDrawn === false) {
    window.__zarnDrawn = 'waiting';
    requestAnimationFrame(() => requestAnimationFrame(() => { window.__zarnDrawn = true; }));
  }
  return window.__zarnDrawn === true;
})
)JS";

QJsonValue toJson(const Variant& value, const QString& token)
{
    if (const auto* number = value.get<std::int32_t>())
        return *number;
    if (const auto* text = value.get<WideString>())
        return QString::fromStdU16String(*text);
    if (const auto* flag = value.get<Variant::Bool>())
        return flag->value != VARIANT_FALSE;
    return QJsonValue::Null;
}

QString call(const char* function, const QJsonArray& args)
{
    QString list = QString::fromUtf8(QJsonDocument(args).toJson(QJsonDocument::Compact));
    list = list.mid(1, list.size() - 2); // the array's elements as arguments
    return QStringLiteral("%1(%2)").arg(QLatin1String(function), list);
}

Variant fromScriptValue(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return Variant::fromBool(value.toBool());
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Double: {
        const double number = value.toDouble();
        if (!std::isfinite(number))
            return Variant(Variant::Null{});
        return Variant(std::int32_t(std::clamp(std::round(number), -2147483648.0, 2147483647.0)));
    }
    case QMetaType::QString:
        return Variant(value.toString().toStdU16String());
    default:
        return Variant(Variant::Null{});
    }
}

HRESULT errorOf(const QString& error)
{
    if (error == QLatin1String("member"))
        return DISP_E_MEMBERNOTFOUND;
    if (error == QLatin1String("denied"))
        return E_ACCESSDENIED;
    return E_FAIL;
}

} // namespace

std::optional<QVariant> RunScriptAndWait(QWebEnginePage* page, const QString& script, int timeoutMs)
{
    auto result = std::make_shared<std::optional<QVariant>>();
    QEventLoop loop;
    QPointer<QEventLoop> waiting(&loop);
    page->runJavaScript(script, QWebEngineScript::ApplicationWorld, [result, waiting](const QVariant& value) {
        *result = value;
        if (waiting)
            waiting->quit();
    });
    if (!result->has_value()) {
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return *result;
}

// A page object reached through the document: a number in the page's list.
class EngineDocument::ScriptObject : public IDispatchByName {
public:
    ScriptObject(EngineDocument* document, QString token, int ref)
        : document_(document), token_(std::move(token)), ref_(ref)
    {}
    HRESULT GetMember(const WideString& name, Variant& value) override
    {
        return document_->Invoke(token_, ref_, "get", name, {}, value);
    }
    HRESULT PutMember(const WideString& name, const Variant& value) override
    {
        Variant ignored;
        return document_->Invoke(token_, ref_, "put", name, {value}, ignored);
    }
    HRESULT CallMember(const WideString& name, const std::vector<Variant>& args, Variant& result) override
    {
        return document_->Invoke(token_, ref_, "call", name, args, result);
    }
    HRESULT GetItemMembers(const WideString& name, std::vector<Variant>& values) override
    {
        return document_->ItemMembers(token_, ref_, name, values);
    }
    bool Belongs(const EngineDocument* document, const QString& token) const
    {
        return document == document_ && token == token_;
    }
    int Ref() const { return ref_; }

private:
    EngineDocument* document_;
    QString token_;
    int ref_;
};

EngineDocument::EngineDocument(QtWebBrowser* browser) : browser_(browser) {}
EngineDocument::~EngineDocument() { *alive_ = false; }

QWebEnginePage* EngineDocument::page() const { return browser_->page(); }

HRESULT EngineDocument::Invoke(const QString& token, int ref, const char* op, const WideString& name,
    const std::vector<Variant>& args, Variant& result)
{
    QJsonArray jsonArgs;
    for (const Variant& arg : args) {
        IDispatch* const* object = arg.get<IDispatch*>();
        auto* scriptObject = object ? dynamic_cast<ScriptObject*>(*object) : nullptr;
        if (scriptObject && scriptObject->Belongs(this, token_))
            jsonArgs.append(QJsonObject{{QStringLiteral("ref"), scriptObject->Ref()}});
        else
            jsonArgs.append(toJson(arg, token_));
    }
    const QJsonArray callArgs{token, ref, QLatin1String(op), QString::fromStdU16String(name), jsonArgs};
    const auto alive = alive_;
    const std::optional<QVariant> answer = RunScriptAndWait(page(), call(LateBoundScript, callArgs), ScriptTimeoutMs);
    if (!answer || !*alive)
        return E_FAIL;
    const QVariantMap reply = answer->toMap();
    if (reply.contains(QStringLiteral("error")) || !reply.contains(QStringLiteral("token")))
        return errorOf(reply.value(QStringLiteral("error")).toString());
    const QString replyToken = reply.value(QStringLiteral("token")).toString();
    if (reply.contains(QStringLiteral("values"))) {
        Variant::Array values;
        for (const QVariant& value : reply.value(QStringLiteral("values")).toList())
            values.push_back(fromScriptValue(value));
        result = Variant(std::move(values));
    } else if (reply.contains(QStringLiteral("ref")))
        result = ObjectFor(replyToken, reply.value(QStringLiteral("ref")).toInt());
    else
        result = fromScriptValue(reply.value(QStringLiteral("value")));
    return S_OK;
}

Variant EngineDocument::ObjectFor(const QString& token, int ref)
{
    if (token != token_) {
        objects_.clear();
        token_ = token;
    }
    objects_.push_back(std::make_unique<ScriptObject>(this, token, ref));
    return Variant(static_cast<IDispatch*>(objects_.back().get()));
}

HRESULT EngineDocument::GetMember(const WideString& name, Variant& value)
{
    return Invoke(QString(), 0, "get", name, {}, value);
}

HRESULT EngineDocument::PutMember(const WideString& name, const Variant& value)
{
    // The engine decides a page's character set when it loads it: a new one
    // applies from the next load (a refresh).
    if (QString::fromStdU16String(name).compare(QLatin1String("charset"), Qt::CaseInsensitive) == 0) {
        page()->settings()->setDefaultTextEncoding(QString::fromStdU16String(value.toWideString()));
        return S_OK;
    }
    Variant ignored;
    return Invoke(QString(), 0, "put", name, {value}, ignored);
}

HRESULT EngineDocument::CallMember(const WideString& name, const std::vector<Variant>& args, Variant& result)
{
    return Invoke(QString(), 0, "call", name, args, result);
}

HRESULT EngineDocument::GetItemMembers(const WideString& name, std::vector<Variant>& values)
{
    return ItemMembers(QString(), 0, name, values);
}

HRESULT EngineDocument::ItemMembers(const QString& token, int ref, const WideString& name, std::vector<Variant>& values)
{
    Variant result;
    const HRESULT hr = Invoke(token, ref, "items", name, {}, result);
    if (SUCCEEDED(hr))
        values = result.get<Variant::Array>() ? *result.get<Variant::Array>() : Variant::Array();
    return hr;
}

HRESULT EngineDocument::getElementsByName(const WideString& name, Variant& collection)
{
    return CallMember(u"getElementsByName", {Variant(name)}, collection);
}

HRESULT EngineDocument::Save(QByteArray& data, bool)
{
    auto html = std::make_shared<std::optional<QString>>();
    QEventLoop loop;
    QPointer<QEventLoop> waiting(&loop);
    page()->toHtml([html, waiting](const QString& text) {
        *html = text;
        if (waiting)
            waiting->quit();
    });
    if (!html->has_value()) {
        QTimer::singleShot(ScriptTimeoutMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (!html->has_value())
        return E_FAIL;
    data = (*html)->toUtf8();
    return S_OK;
}

HRESULT EngineDocument::Load(const QByteArray& data)
{
    const QString html = QString::fromUtf8(data);
    return RunScriptAndWait(page(), call(LoadScript, QJsonArray{html}), ScriptTimeoutMs) ? S_OK : E_FAIL;
}

HRESULT EngineDocument::Save(const WideString& fileName, bool remember)
{
    if (remember)
        return E_NOTIMPL;
    QByteArray data;
    if (const HRESULT hr = Save(data, false); FAILED(hr))
        return hr;
    SafeFileWriter writer(QString::fromStdU16String(fileName).toStdString());
    if (!writer.Open() || !writer.Write(data.constData(), std::size_t(data.size())) || !writer.Commit())
        return E_FAIL;
    return S_OK;
}

HRESULT EngineDocument::Exec(const GUID* cmdGroup, DWORD cmdId, DWORD, const Variant&, Variant&)
{
    if (!cmdGroup) {
        if (cmdId == OLECMDID_SELECTALL)
            return SelectAll();
        static const std::map<DWORD, QWebEnginePage::WebAction> editing = {
            {OLECMDID_CUT, QWebEnginePage::Cut},
            {OLECMDID_COPY, QWebEnginePage::Copy},
            {OLECMDID_PASTE, QWebEnginePage::Paste},
        };
        if (const auto found = editing.find(cmdId); found != editing.end()) {
            // The engine edits in its focused frame only.
            if (QWidget* view = browser_->view(); !view->hasFocus() && !view->isAncestorOf(QApplication::focusWidget()))
                view->setFocus(Qt::OtherFocusReason);
            page()->triggerAction(found->second);
            return S_OK;
        }
    }
    const bool standardWindow = !cmdGroup && (cmdId == OLECMDID_SAVEAS || cmdId == OLECMDID_PROPERTIES);
    const bool browserWindow
        = cmdGroup && *cmdGroup == CGID_IWebBrowser && cmdId >= HTMLID_FIND && cmdId <= HTMLID_OPTIONS;
    if ((standardWindow || browserWindow) && DocumentCommandWindows())
        return DocumentCommandWindows()->Exec(this, cmdGroup, cmdId);
    return OLECMDERR_E_NOTSUPPORTED;
}

// The engine copies only what it knows to be selected, and learns of a
// selection some time after the page made it: the call returns once the
// engine knows (or, on a page with nothing to select, after a short while).
HRESULT EngineDocument::SelectAll()
{
    QPointer<QWebEnginePage> engine(page());
    QEventLoop loop;
    QObject::connect(engine, &QWebEnginePage::selectionChanged, &loop, [&loop, engine] {
        if (engine && engine->hasSelection())
            loop.quit();
    });
    const std::optional<QVariant> selected
        = RunScriptAndWait(engine, QStringLiteral("document.execCommand('selectAll')"), ScriptTimeoutMs);
    if (!selected || !engine)
        return E_FAIL;
    if (!engine->hasSelection()) {
        QTimer::singleShot(SelectionTimeoutMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return S_OK;
}

namespace {

// Counts the paintings of the engine's view widget: each one shows a frame
// the engine has drawn.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) : widget_(widget)
    {
        if (widget_)
            widget_->installEventFilter(this);
    }
    ~PaintCounter() override
    {
        if (widget_)
            widget_->removeEventFilter(this);
    }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }

private:
    QPointer<QWidget> widget_;
};

} // namespace

// Resizes the view and waits until the page has been laid out at that size
// and drawn: the engine draws a large view in parts, frame after frame, so
// the drawing is complete once no frame has come for a while. At the view's
// own size the page is first laid out one pixel taller, so that it is drawn
// anew.
bool EngineDocument::LayOutAt(const QSize& size)
{
    QWebEngineView* view = browser_->view();
    const auto alive = alive_;
    if (view->size() == size && (!WaitForLayout(size + QSize(0, 1), false) || !*alive))
        return false;
    return WaitForLayout(size, true) && *alive;
}

bool EngineDocument::WaitForLayout(const QSize& size, bool drawn)
{
    QWebEngineView* view = browser_->view();
    QPointer<QWebEnginePage> engine(page());
    PaintCounter paints(view->focusProxy());
    view->resize(size);
    QEventLoop loop;
    QTimer poll;
    bool laidOut = false;
    int paintsSeen = 0;
    QElapsedTimer quiet; // since the layout or the last frame
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (laidOut) {
            if (paints.count != paintsSeen) {
                paintsSeen = paints.count;
                quiet.restart();
            } else if (!drawn || quiet.elapsed() >= QuietAfterFrameMs) {
                loop.quit();
            }
            return;
        }
        if (!engine) {
            loop.quit();
            return;
        }
        const std::optional<QVariant> answer
            = RunScriptAndWait(engine, call(LaidOutScript, QJsonArray{size.width(), size.height()}), LayoutTimeoutMs);
        if (answer && answer->toBool()) {
            laidOut = true;
            paintsSeen = paints.count;
            quiet.start();
        }
    });
    QTimer::singleShot(LayoutTimeoutMs, &loop, &QEventLoop::quit);
    poll.start(LayoutPollMs);
    loop.exec();
    return laidOut;
}

HRESULT EngineDocument::Draw(DWORD, QImage& target)
{
    QWebEngineView* view = browser_->view();
    if (target.isNull() || !view)
        return E_FAIL;
    const QSize shown = view->size();
    const QSize layout = shown.expandedTo(target.size());
    const auto alive = alive_;
    if (!LayOutAt(layout)) {
        if (*alive)
            view->resize(shown);
        return E_FAIL;
    }
    const QImage picture = view->grab(QRect(QPoint(0, 0), layout)).toImage();
    view->resize(shown);
    if (picture.isNull())
        return E_FAIL;
    QPainter painter(&target);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target.rect(), picture);
    return S_OK;
}

HRESULT EngineDocument::SaveAs(const WideString& fileName, SaveFormat format)
{
    static const std::map<SaveFormat, QWebEngineDownloadRequest::SavePageFormat> formats = {
        {CompleteHtml, QWebEngineDownloadRequest::CompleteHtmlSaveFormat},
        {SingleHtml, QWebEngineDownloadRequest::SingleHtmlSaveFormat},
        {MimeHtml, QWebEngineDownloadRequest::MimeHtmlSaveFormat},
    };
    QEventLoop loop;
    std::optional<bool> saved;
    QObject::connect(
        page()->profile(), &QWebEngineProfile::downloadRequested, &loop, [&](QWebEngineDownloadRequest* download) {
            if (!download->isSavePageDownload() || download->page() != page())
                return;
            QObject::connect(download, &QWebEngineDownloadRequest::isFinishedChanged, &loop, [&, download] {
                saved = download->state() == QWebEngineDownloadRequest::DownloadCompleted;
                loop.quit();
            });
        });
    page()->save(QString::fromStdU16String(fileName), formats.at(format));
    QTimer::singleShot(SaveTimeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return saved.value_or(false) ? S_OK : E_FAIL;
}

HRESULT EngineDocument::Find(const WideString& text, bool backward, bool caseSensitive, int& active, int& matches)
{
    QWebEnginePage::FindFlags flags;
    if (backward)
        flags |= QWebEnginePage::FindBackward;
    if (caseSensitive)
        flags |= QWebEnginePage::FindCaseSensitively;
    auto found = std::make_shared<std::optional<QWebEngineFindTextResult>>();
    QEventLoop loop;
    QPointer<QEventLoop> waiting(&loop);
    page()->findText(QString::fromStdU16String(text), flags, [found, waiting](const QWebEngineFindTextResult& result) {
        *found = result;
        if (waiting)
            waiting->quit();
    });
    if (!found->has_value()) {
        QTimer::singleShot(ScriptTimeoutMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (!found->has_value())
        return E_FAIL;
    active = (*found)->activeMatch();
    matches = (*found)->numberOfMatches();
    return S_OK;
}

QWidget* EngineDocument::ViewWindow() { return browser_->window(); }

namespace {

// The page's forms read through the prototypes of the control's script
// world, which the page cannot alter: an element named "length", "forms" or
// "elements" shadows those members of its form or document for ordinary
// reads, never for these.
const char* const FormsPrelude = R"JS(
  const getter = (proto, name) => Object.getOwnPropertyDescriptor(proto, name).get;
  const formsOf = getter(Document.prototype, 'forms');
  const elementsOf = getter(HTMLFormElement.prototype, 'elements');
  const lengthOf = getter(HTMLCollection.prototype, 'length');
  const forms = formsOf.call(document);
  const formCount = lengthOf.call(forms);
  const controlsOf = f => elementsOf.call(HTMLCollection.prototype.item.call(forms, f));
  const text = v => (v === undefined || v === null) ? '' : String(v);
  const formTags = () => lengthOf.call(Document.prototype.getElementsByTagName.call(document, 'FORM'));
  const elementAt = (f, e) => {
    if (f < 0 || f >= formCount)
      return null;
    return HTMLCollection.prototype.item.call(controlsOf(f), e);
  };
)JS";

const char* const ListFormsScript = R"JS(
(function () {
  %1
  const elements = [];
  for (let f = 0; f < formCount; f++) {
    const controls = controlsOf(f);
    const count = lengthOf.call(controls);
    for (let e = 0; e < count; e++) {
      const el = HTMLCollection.prototype.item.call(controls, e);
      let name = '', type = '', value = '';
      try { name = text(el.name); type = text(el.type); value = text(el.value); } catch (x) {}
      elements.push([f, e, name, type, value]);
    }
  }
  return JSON.stringify({ tags: formTags(), elements: elements });
})()
)JS";

const char* const FindFormScript = R"JS(
(function (type, name, occurrence) {
  %1
  if (formTags() === 0)
    return JSON.stringify({ found: false });
  for (let f = 0; f < formCount; f++) {
    const controls = controlsOf(f);
    const count = lengthOf.call(controls);
    for (let e = 0; e < count; e++) {
      const el = HTMLCollection.prototype.item.call(controls, e);
      let elName, elType;
      try { elName = text(el.name); elType = text(el.type); } catch (x) { return JSON.stringify({ failed: true }); }
      if (elName === name && elType === type && --occurrence <= 0)
        return JSON.stringify({ found: true, form: f, element: e });
    }
  }
  return JSON.stringify({ found: false });
})
)JS";

const char* const ClickFormScript = R"JS(
(function (f, e) {
  %1
  const el = elementAt(f, e);
  if (!el)
    return JSON.stringify({ found: false });
  el.click();
  return JSON.stringify({ found: true });
})
)JS";

// Scrolls the element into view and answers its centre in the view, or no
// box when it has none; arms a flag the mouse's release sets.
const char* const PlaceFormScript = R"JS(
(function (f, e) {
  %1
  const el = elementAt(f, e);
  if (!el)
    return JSON.stringify({ found: false });
  el.scrollIntoView({ block: 'center', inline: 'center' });
  const r = el.getBoundingClientRect();
  if (r.width <= 0 || r.height <= 0)
    return JSON.stringify({ found: true, box: false });
  // The engine routes the mouse by what it last drew: the press waits
  // until the scrolled page has been drawn.
  window.__zarnPlaced = false;
  requestAnimationFrame(() => requestAnimationFrame(() => { window.__zarnPlaced = true; }));
  window.__zarnReleased = false;
  window.addEventListener('mouseup', () => { window.__zarnReleased = true; }, { once: true, capture: true });
  const clamp = (v, high) => Math.max(0, Math.min(v, high - 1));
  return JSON.stringify({ found: true, box: true,
    x: clamp(r.left + r.width / 2, window.innerWidth), y: clamp(r.top + r.height / 2, window.innerHeight) });
})
)JS";

// How long the page may take to see a press after it was sent.
constexpr int PressSeenTimeoutMs = 5000;
// How long a press may go unseen before it is sent again.
constexpr int RepressAfterMs = 300;

QString formScript(const char* script, const QJsonArray& args = {})
{
    const QString body = QString::fromLatin1(script).arg(QLatin1String(FormsPrelude));
    return args.isEmpty() ? body : call(body.toUtf8().constData(), args);
}

} // namespace

bool EngineDocument::waitInPage(const QString& condition, int timeoutMs)
{
    const auto alive = alive_;
    QElapsedTimer waited;
    waited.start();
    QEventLoop pause;
    while (waited.elapsed() < timeoutMs) {
        const std::optional<QVariant> met = RunScriptAndWait(page(), condition, ScriptTimeoutMs);
        if (!*alive || !met)
            return false;
        if (met->toBool())
            return true;
        QTimer::singleShot(10, &pause, &QEventLoop::quit);
        pause.exec();
    }
    return false;
}

std::optional<QJsonObject> EngineDocument::FormScript(const QString& script)
{
    const auto alive = alive_;
    const std::optional<QVariant> answer = RunScriptAndWait(page(), script, ScriptTimeoutMs);
    if (!answer || !*alive || answer->typeId() != QMetaType::QString)
        return std::nullopt;
    const QJsonDocument json = QJsonDocument::fromJson(answer->toString().toUtf8());
    if (!json.isObject())
        return std::nullopt;
    return json.object();
}

HRESULT EngineDocument::FormElements(std::vector<FormElementFacts>& elements, int& formTags)
{
    const std::optional<QJsonObject> reply = FormScript(formScript(ListFormsScript));
    if (!reply)
        return E_FAIL;
    elements.clear();
    formTags = reply->value(QStringLiteral("tags")).toInt();
    const QJsonArray list = reply->value(QStringLiteral("elements")).toArray();
    elements.reserve(std::size_t(list.size()));
    for (const QJsonValue& item : list) {
        const QJsonArray facts = item.toArray();
        elements.push_back({facts.at(0).toInt(), facts.at(1).toInt(), facts.at(2).toString().toStdU16String(),
            facts.at(3).toString().toStdU16String(), facts.at(4).toString().toStdU16String()});
    }
    return S_OK;
}

HRESULT EngineDocument::FindFormElement(
    const WideString& type, const WideString& name, int occurrence, int& form, int& element)
{
    const QJsonArray args{QString::fromStdU16String(type), QString::fromStdU16String(name), occurrence};
    const std::optional<QJsonObject> reply = FormScript(formScript(FindFormScript, args));
    if (!reply || reply->value(QStringLiteral("failed")).toBool())
        return E_FAIL;
    if (!reply->value(QStringLiteral("found")).toBool())
        return S_FALSE;
    form = reply->value(QStringLiteral("form")).toInt();
    element = reply->value(QStringLiteral("element")).toInt();
    return S_OK;
}

HRESULT EngineDocument::ClickFormElement(int form, int element)
{
    const std::optional<QJsonObject> reply = FormScript(formScript(ClickFormScript, QJsonArray{form, element}));
    if (!reply)
        return E_FAIL;
    return reply->value(QStringLiteral("found")).toBool() ? S_OK : S_FALSE;
}

HRESULT EngineDocument::PressFormElement(
    int form, int element, IFileChooserAnswer* chooser, int timeoutMs, ChooserOutcome& outcome)
{
    outcome = chooser ? ChooserOutcome::NoChooser : ChooserOutcome::NotWaited;
    const std::optional<QJsonObject> place = FormScript(formScript(PlaceFormScript, QJsonArray{form, element}));
    if (!place)
        return E_FAIL;
    if (!place->value(QStringLiteral("found")).toBool() || !place->value(QStringLiteral("box")).toBool())
        return S_FALSE;
    const double zoom = page()->zoomFactor();
    const QPointF at(
        place->value(QStringLiteral("x")).toDouble() * zoom, place->value(QStringLiteral("y")).toDouble() * zoom);

    const auto alive = alive_;
    if (!waitInPage(QStringLiteral("window.__zarnPlaced === true"), PressSeenTimeoutMs))
        return E_FAIL;
    struct Answer {
        bool done = false;
        ChooserOutcome outcome = ChooserOutcome::NoChooser;
    };
    auto answer = std::make_shared<Answer>();
    QEventLoop loop;
    QPointer<QEventLoop> waiting(&loop);
    if (chooser)
        browser_->ExpectFileChooser(chooser, [answer, waiting](bool chosen) {
            answer->done = true;
            answer->outcome = chosen ? ChooserOutcome::Chosen : ChooserOutcome::Cancelled;
            if (waiting)
                waiting->quit();
        });
    // A page that has only just loaded drops a press that comes before the
    // engine lets input through: the press is repeated until the page has
    // seen its release (or its chooser opened).
    QElapsedTimer pressing;
    pressing.start();
    bool released = false;
    while (!released && !answer->done && pressing.elapsed() < PressSeenTimeoutMs) {
        browser_->PressAt(at);
        QElapsedTimer seen;
        seen.start();
        while (!answer->done && seen.elapsed() < RepressAfterMs) {
            const std::optional<QVariant> met
                = RunScriptAndWait(page(), QStringLiteral("window.__zarnReleased === true"), ScriptTimeoutMs);
            if (!*alive || !met) {
                if (*alive && chooser && !answer->done)
                    browser_->ExpectFileChooser(nullptr, {});
                return E_FAIL;
            }
            if ((released = met->toBool()))
                break;
            QTimer::singleShot(10, &loop, &QEventLoop::quit);
            loop.exec();
        }
    }
    if (!*alive)
        return E_FAIL;
    if (!chooser)
        return released ? S_OK : E_FAIL;
    if (!answer->done) {
        QTimer::singleShot(std::max(0, timeoutMs), &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (!*alive)
        return E_FAIL;
    if (!answer->done)
        browser_->ExpectFileChooser(nullptr, {});
    outcome = answer->outcome;
    return S_OK;
}
