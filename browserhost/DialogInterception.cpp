#include "browserhost/DialogInterception.h"

#include "browserhost/Sextant.h"
#include "browserhost/SxtUnit.h"
#include "platform/print/PageSetup.h"
#include "platform/webcontrol/WindowClass.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMetaObject>
#include <QPointer>

#include <memory>

namespace {

constexpr double MillimetresPerInch = 25.4;
// The extended style of the control's error dialogs.
constexpr int ErrorDialogStyleEx = 0x410101;

// Watches the hooking component's form for losing activation.
class OwnerWatch : public QObject {
public:
    explicit OwnerWatch(TSextant* component) : component_(component) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::WindowDeactivate && component_) {
            if (QWidget* active = QApplication::activeWindow())
                InspectActivatedWindow(component_, active);
        }
        return false;
    }

private:
    QPointer<TSextant> component_;
};

struct Hook {
    QPointer<TSextant> component;
    QPointer<QWidget> owner;
    std::unique_ptr<OwnerWatch> watch;
};

Hook& hook()
{
    static Hook instance;
    return instance;
}

bool insideControl(const QWidget* widget)
{
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        if (WindowClassName(w) == QLatin1String(WC_SHELLEMBEDDING))
            return true;
    }
    return false;
}

template <class T> T* control(QWidget* dialog, int id) { return dialog->findChild<T*>(QString::number(id)); }

void setText(QWidget* dialog, int id, const QString& text)
{
    if (auto* edit = control<QLineEdit>(dialog, id))
        edit->setText(text);
}

void click(QWidget* dialog, int id)
{
    if (auto* button = control<QAbstractButton>(dialog, id))
        button->click();
}

// The page-setup dialog filled from the print options and confirmed.
void fillPageSetup(TSextant* component, QWidget* dialog)
{
    const TPrintOptions& options = component->PrintOptions;
    click(dialog, options.Orientation == poLandScape ? IDC_LANDSCAPE : IDC_PORTRAIT);
    setText(dialog, IDC_HEADER, options.Header);
    setText(dialog, IDC_FOOTER, options.Footer);
    setText(dialog, IDC_MARGIN_LEFT, PageSetupMarginText(options.Margins.Left));
    setText(dialog, IDC_MARGIN_TOP, PageSetupMarginText(options.Margins.Top));
    setText(dialog, IDC_MARGIN_RIGHT, PageSetupMarginText(options.Margins.Right));
    setText(dialog, IDC_MARGIN_BOTTOM, PageSetupMarginText(options.Margins.Bottom));
    // Confirmed by a click on the first button, once the dialog runs.
    for (QObject* child : dialog->findChildren<QObject*>()) {
        auto* button = qobject_cast<QAbstractButton*>(child);
        if (button && WindowClassName(button) == QLatin1String("Button")) {
            QMetaObject::invokeMethod(button, &QAbstractButton::click, Qt::QueuedConnection);
            return;
        }
    }
}

void closeDialog(QWidget* dialog) { QMetaObject::invokeMethod(dialog, &QWidget::close, Qt::QueuedConnection); }

void destroyDialog(QWidget* dialog)
{
    if (auto* box = qobject_cast<QDialog*>(dialog))
        QMetaObject::invokeMethod(
            box, [box] { box->done(QDialog::Rejected); }, Qt::QueuedConnection);
    else
        dialog->hide();
}

} // namespace

bool IsControlDialog(const QWidget* window)
{
    const QString className = WindowClassName(window);
    if (className == QLatin1String(WC_TRIDENTDLGFRAME))
        return true;
    return className == QLatin1String(WC_DIALOG) && insideControl(window->parentWidget());
}

QString ReplaceDialogCaption(const QString& caption, const QString& newCaption)
{
    QString text = caption;
    if (const qsizetype at = text.indexOf(QLatin1String("Microsoft ")); at >= 0)
        text.remove(at, 10);
    if (const qsizetype at = text.indexOf(QLatin1String("Internet Explorer")); at >= 0)
        text.replace(at, 17, newCaption);
    return text;
}

QString PageSetupMarginText(double millimetres)
{
    return ShortestDecimal(LocaleMeasuresInInches() ? millimetres / MillimetresPerInch : millimetres);
}

void HookOwnerWindow(TSextant* component)
{
    QWidget* owner = component->window();
    if (SxtUnit().OwnerHooked || !owner || owner == component)
        return;
    Hook& h = hook();
    h.component = component;
    h.owner = owner;
    h.watch = std::make_unique<OwnerWatch>(component);
    owner->installEventFilter(h.watch.get());
    SxtUnit().OwnerHooked = true;
}

void UnhookOwnerWindow(TSextant* component)
{
    Hook& h = hook();
    if (h.component != component || !h.watch)
        return;
    if (h.owner)
        h.owner->removeEventFilter(h.watch.get());
    h = Hook();
    SxtUnit().OwnerHooked = false;
}

void InspectActivatedWindow(TSextant* component, QWidget* dialog)
{
    if (!dialog || !IsControlDialog(dialog))
        return;
    const QString oldCaption = dialog->windowTitle();
    const int styleEx = dialog->property("windowStyleEx").toInt();
    TDialogBoxes& boxes = component->DialogBoxes;
    if (component->OnShowDialog)
        component->OnShowDialog(component, dialog, styleEx, oldCaption, boxes.NewCaption, boxes.DisableAll);
    if (boxes.DisableAll)
        closeDialog(dialog);
    if (boxes.ReplaceIcon)
        dialog->setWindowIcon(QApplication::windowIcon());
    if (boxes.ReplaceCaption)
        dialog->setWindowTitle(ReplaceDialogCaption(oldCaption, QString::fromStdU16String(boxes.NewCaption)));
    if (component->DisableErrors.ScriptErrorsSuppressed) {
        const QString upper = oldCaption.toUpper();
        if (upper.contains(QLatin1String("SCRIPT"))) {
            closeDialog(dialog);
            return;
        }
        if (upper.contains(QLatin1String("ERROR")) || styleEx == ErrorDialogStyleEx) {
            destroyDialog(dialog);
            return;
        }
    }
    if (component->PrintOptions.Enabled && std::exchange(component->PageSetupPending, false))
        fillPageSetup(component, dialog);
}
