#pragma once
// The HTML document of the Qt WebEngine control: its object model answered
// by scripts run in the page (in a script world of the control's own, which
// the page's scripts cannot see or alter), persistence through the engine's
// HTML, the command target and drawing of the view.
#include "platform/webcontrol/HtmlDocument.h"
#include "platform/webcontrol/PageForms.h"

#include <QJsonObject>
#include <QString>
#include <QVariant>

#include <memory>
#include <optional>
#include <vector>

class QtWebBrowser;
class QWebEnginePage;

// Runs script in the page and waits for its result on the calling thread,
// events processed, for at most timeoutMs; nothing when no result came (the
// page went away or did not answer in time).
std::optional<QVariant> RunScriptAndWait(QWebEnginePage* page, const QString& script, int timeoutMs);

// A document the control shows that is not HTML: a PDF or a picture.
class NonHtmlDocument : public IDispatch {};

class EngineDocument : public IHTMLDocument2,
                       public IHTMLDocument3,
                       public IPersistStreamInit,
                       public IPersistFile,
                       public IOleCommandTarget,
                       public IViewObject,
                       public IDocumentView,
                       public IPageForms {
public:
    explicit EngineDocument(QtWebBrowser* browser);
    ~EngineDocument() override;

    HRESULT GetMember(const WideString& name, Variant& value) override;
    HRESULT PutMember(const WideString& name, const Variant& value) override;
    HRESULT CallMember(const WideString& name, const std::vector<Variant>& args, Variant& result) override;
    HRESULT GetItemMembers(const WideString& name, std::vector<Variant>& values) override;
    HRESULT getElementsByName(const WideString& name, Variant& collection) override;

    HRESULT Save(QByteArray& data, bool clearDirty) override;
    HRESULT Load(const QByteArray& data) override;
    HRESULT Save(const WideString& fileName, bool remember) override;

    // Copy, cut, paste and select all act on the page; the commands that
    // need a user go to DocumentCommandWindows().
    HRESULT Exec(const GUID* cmdGroup, DWORD cmdId, DWORD cmdExecOpt, const Variant& in, Variant& out) override;

    HRESULT Draw(DWORD aspect, QImage& target) override;

    HRESULT SaveAs(const WideString& fileName, SaveFormat format) override;
    HRESULT Find(const WideString& text, bool backward, bool caseSensitive, int& active, int& matches) override;
    QWidget* ViewWindow() override;

    HRESULT FormElements(std::vector<FormElementFacts>& elements, int& formTags) override;
    HRESULT FindFormElement(
        const WideString& type, const WideString& name, int occurrence, int& form, int& element) override;
    HRESULT ClickFormElement(int form, int element) override;
    HRESULT PressFormElement(
        int form, int element, IFileChooserAnswer* chooser, int timeoutMs, ChooserOutcome& outcome) override;

    // One late-bound operation on the page object numbered ref.
    HRESULT Invoke(const QString& token, int ref, const char* op, const WideString& name,
        const std::vector<Variant>& args, Variant& result);
    HRESULT ItemMembers(const QString& token, int ref, const WideString& name, std::vector<Variant>& values);

protected:
    QWebEnginePage* page() const;
    QtWebBrowser* browser_;

private:
    class ScriptObject;
    HRESULT SelectAll();
    bool LayOutAt(const QSize& size);
    // drawn: also waits until the engine has stopped sending frames.
    bool WaitForLayout(const QSize& size, bool drawn);
    Variant ObjectFor(const QString& token, int ref);
    // Runs one form script and parses its JSON answer; nothing when the page
    // did not answer or answered no object.
    std::optional<QJsonObject> FormScript(const QString& script);
    // Asks the page condition until it answers true, at most timeoutMs;
    // False then, or when the page did not answer.
    bool waitInPage(const QString& condition, int timeoutMs);

    // False once this document is gone: a call that waited for the page
    // then touches nothing of it.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    // Objects handed out for the page of the current token; those of an
    // earlier page go when a newer page answers.
    QString token_;
    std::vector<std::unique_ptr<ScriptObject>> objects_;
};
