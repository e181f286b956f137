#pragma once
// Interception of the control's dialog boxes. The control's dialogs (alerts,
// log-in, script errors, print, page setup) carry the window class "#32770"
// (or "Internet Explorer_TridentDlgFrame" for HTML dialogs) and are parented
// to the control's window; the application's own dialogs are never touched.
// A control dialog with the error dialogs' extended style carries it in the
// "windowStyleEx" property.
// The first loaded browser component watches its form: when the form loses
// activation to such a dialog, the dialog is inspected once, by the
// component's dialog, error and print options.
#include <QString>

class QWidget;
class TSextant;

inline constexpr const char* WC_TRIDENTDLGFRAME = "Internet Explorer_TridentDlgFrame";

// Whether the window is one of the control's dialogs (step one of the
// inspection): an HTML dialog of the control, or a standard dialog whose
// parent is the control's window or lies inside it.
bool IsControlDialog(const QWidget* window);
// The caption with the first "Microsoft " removed and then the first
// "Internet Explorer" replaced by newCaption (both case-sensitive).
QString ReplaceDialogCaption(const QString& caption, const QString& newCaption);
// A margin in millimetres as the page-setup dialog shows it: converted to
// inches when the locale measures in inches, in the shortest decimal text.
QString PageSetupMarginText(double millimetres);

// Installs the watch on the component's form, unless another component of
// the process holds it or the component has no form. Undone by
// UnhookOwnerWindow (the component's destruction).
void HookOwnerWindow(TSextant* component);
void UnhookOwnerWindow(TSextant* component);
// Inspects a dialog that took activation from the watched form.
void InspectActivatedWindow(TSextant* component, QWidget* dialog);
