#pragma once
// The option groups of the browser component: the control's dialog boxes,
// error handling, visual effects, printing and the process's proxy.
#include <QString>
#include <QStringList>

#include <string>

// What happens to the control's own dialog boxes when they open.
class TDialogBoxes {
public:
    bool DisableAll = false; // close every intercepted dialog at once
    bool ReplaceCaption = true; // put NewCaption in place of "Internet Explorer"
    bool ReplaceIcon = true; // give intercepted dialogs the application's icon
    std::u16string NewCaption;
};

class TDisableErrors {
public:
    // Kept with the options; nothing reads it.
    bool EnableDDE = true;
    // True: the process keeps the floating-point environment it started
    // with; False: every floating-point exception is masked. Applied when set
    // and when the component is loaded.
    bool fpExceptions() const { return fpExceptions_; }
    void SetfpExceptions(bool value);
    // At load forces ScriptErrorAction to eaContinue; intercepted error
    // dialogs are closed or destroyed.
    bool ScriptErrorsSuppressed = true;

    // Applies fpExceptions to the process.
    void ApplyFloatingPoint() const;

private:
    bool fpExceptions_ = true;
};

class TVisualEffects {
public:
    // At load, switches the navigation click sound off for the process.
    bool DisableSounds = false;
    // Not applied; a component destroyed with a size other than 2 sets the
    // control's text size back to 2 (medium).
    int TextSize = 2;
};

// Page margins in millimetres.
struct TMargins {
    double Left = 0;
    double Right = 0;
    double Top = 0;
    double Bottom = 0;
};

enum TPrintOrientationOption { poPortrait, poLandScape };
enum TMeasureUnit { muMillimetres, muInches };

class TPrintOptions {
public:
    // Fill the page-setup dialog from these options when PrintWithOptions
    // opens it, and print without a header and footer override.
    bool Enabled = false;
    TMargins Margins;
    QString Header; // in the control's header codes
    QString Footer;
    QStringList HTMLHeader{QStringLiteral("<HTML></HTML>")}; // kept; nothing reads it
    TPrintOrientationOption Orientation = poPortrait;
    // The unit of the stored margins: millimetres, except while a form
    // designer seeds them.
    TMeasureUnit MeasureUnit = muMillimetres;
    // Nothing sets it: printing always shows the print dialog.
    bool PrintWithoutPrompting = false;
};

class TProxySettings {
public:
    bool AutoLoadProxy = false; // apply the proxy when the component is loaded
    QString Address; // proxy host
    int Port = 80;
    QString UserName; // when set, the proxy's log-in is answered with it
    QString Password;
    QString UserAgent; // agent text used when the proxy is set
};

enum TUserAgentMode { uaDefault, uaInternal, uaRegistry };
