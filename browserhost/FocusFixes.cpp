#include "browserhost/FocusFixes.h"

#include "browserhost/Messages.h"
#include "browserhost/Sextant.h"
#include "platform/webcontrol/FeatureControl.h"
#include "platform/webcontrol/WindowClass.h"

#include <QApplication>
#include <QWheelEvent>

namespace {

// The nearest ancestor of the widget (its parent first) of the browser
// control's outer window class.
QWidget* browserOf(QWidget* widget)
{
    for (QWidget* w = widget ? widget->parentWidget() : nullptr; w; w = w->parentWidget()) {
        if (WindowClassName(w) == QLatin1String(WC_SHELLEMBEDDING))
            return w;
    }
    return nullptr;
}

class WheelFilter : public QObject {
public:
    explicit WheelFilter(TMouseWheelFix& fix) : fix_(fix) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Wheel || !watched->isWidgetType())
            return false;
        // A wheel event that a child ignored travels on to its parents;
        // only its first receiver, the widget under the cursor, counts.
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel == last_ && wheel->timestamp() == lastTime_)
            return false;
        last_ = wheel;
        lastTime_ = wheel->timestamp();
        return fix_.HandleWheel(
            static_cast<QWidget*>(watched), wheel->globalPosition().toPoint(), wheel->angleDelta().y());
    }

private:
    TMouseWheelFix& fix_;
    const QWheelEvent* last_ = nullptr;
    quint64 lastTime_ = 0;
};

class ActivationFilter : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::WindowActivate && watched->isWidgetType()
            && static_cast<QWidget*>(watched)->isWindow())
            TFocusControl::FormActivated(static_cast<QWidget*>(watched));
        return false;
    }
};

} // namespace

void TMouseWheelFix::SetActive(bool value)
{
    if (value && !filter_) {
        filter_ = std::make_unique<WheelFilter>(*this);
        qApp->installEventFilter(filter_.get());
    } else if (!value)
        filter_.reset();
}

bool TMouseWheelFix::HandleWheel(QWidget* under, QPoint point, int delta)
{
    bool handled = false;
    if (OnMouseWheel)
        OnMouseWheel(point, under, delta, handled);
    if (activeFormOnly_ && under)
        handled = under->window() != QApplication::activeWindow();
    QWidget* focus = QApplication::focusWidget();
    if (handled || !under || !focus)
        return false;
    QWidget* browser = browserOf(under);
    if (!browser)
        return false;
    if (browser == browserOf(focus) && WindowClassName(focus) != QLatin1String(WC_DOCOBJECTVIEW))
        return false;
    under->setFocus(Qt::MouseFocusReason);
    return true;
}

void TFocusControl::SetActive(bool value)
{
    if (value && !filter_) {
        filter_ = std::make_unique<ActivationFilter>();
        qApp->installEventFilter(filter_.get());
    } else if (!value)
        filter_.reset();
}

void TFocusControl::FormActivated(QWidget* form)
{
    if (!form || QCoreApplication::closingDown() || !form->isEnabled())
        return;
    TSextant* browser = nullptr;
    for (QWidget* w = form->focusWidget(); w && !browser; w = w->parentWidget())
        browser = qobject_cast<TSextant*>(w);
    if (!browser || browser->window() != form || browser->Focused())
        return;
    TMessage message{WM_RESTOREBROWSERFOCUS, WPARAM(0), 0, 0};
    QCoreApplication::postEvent(browser, new TMessageEvent(message));
}

TSxtControl::TSxtControl(QObject* owner) : QObject(owner) {}

TSxtControl::~TSxtControl()
{
    MouseWheelFix.SetActive(false);
    FocusControl.SetActive(false);
}

void TSxtControl::SetInternetFeatures(TInternetFeatures set)
{
    internetFeatures_ = set;
    if (set == 0)
        return;
    for (int feature = 0; feature < EntryCount; ++feature)
        CoInternetSetFeatureEnabled(feature, set & FeatureBit(TInternetFeatureList(feature)));
}

TSxtControl* SxtControl()
{
    static QPointer<TSxtControl> control;
    if (!control && qApp) {
        control = new TSxtControl(qApp);
        control->FocusControl.SetActive(true);
        control->MouseWheelFix.SetActive(true);
    }
    return control;
}
