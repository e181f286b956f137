#pragma once
// Process-wide focus fixes of the browser component. Application-wide event
// filters stand where a thread mouse hook and a hook on the application
// window stood: turning the mouse wheel over a browser that does not hold
// the keyboard focus gives it the focus (that notch does not scroll), and
// re-activating a form whose focused control is a browser component puts
// the focus back into the page. InternetFeatures keeps the per-process
// browser feature switches and applies those this engine has.
#include <QObject>
#include <QPoint>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>

class QWidget;

// Raised for every wheel turn before the fix acts. Point is the cursor's
// screen position, hwndFromPoint the widget under it, lp the wheel delta
// (the vertical angle in eighths of a degree). Setting Handled keeps the fix
// from moving the focus (unless ActiveFormOnly decides otherwise); the
// wheel then scrolls as usual. Unhandled: the fix decides alone.
using TMouseWheelEvent = std::function<void(QPoint Point, QWidget* hwndFromPoint, int lp, bool& Handled)>;

// The per-process browser feature switches, ordinal = feature number.
enum TInternetFeatureList {
    ObjectCaching,
    ZoneElevation,
    MimeHandling,
    MimeSniffing,
    WindowRestrictions,
    WebocPopupManagement,
    Behaviors,
    DisableMkProtocol,
    LocalMachineLockDown,
    Securityband,
    RestrictActivexInstall,
    ValidateNavigateUrl,
    RestrictFileDownload,
    AddonManagement,
    ProtocolLockdown,
    HttpUsernamePasswordDisable,
    SafeBindToObject,
    UncSavedFileCheck,
    GetUrlDomFilePathUnencoded,
    TabbedBrowsing,
    Sslux,
    DisableNavigationSounds,
    DisableLegacyCompression,
    ForceAddrAndStatus,
    XmlHttp,
    DisableTelnetProtocol,
    Feeds,
    BlockInputPrompts,
    EntryCount,
};
using TInternetFeatures = std::uint32_t; // bit n: feature n

constexpr TInternetFeatures FeatureBit(TInternetFeatureList feature) { return TInternetFeatures(1) << feature; }

class TMouseWheelFix {
public:
    bool Active() const { return filter_ != nullptr; }
    void SetActive(bool value);
    bool ActiveFormOnly() const { return activeFormOnly_; }
    void SetActiveFormOnly(bool value) { activeFormOnly_ = value; }
    // Every wheel turn, before the fix acts; Handled keeps the focus where it
    // is. Unhandled: the fix decides alone. (Arguments at TMouseWheelEvent.)
    TMouseWheelEvent OnMouseWheel;

    // The fix's decision for one wheel turn over widget under; True when the
    // focus moved and the turn is swallowed.
    bool HandleWheel(QWidget* under, QPoint point, int delta);

private:
    std::unique_ptr<QObject> filter_;
    bool activeFormOnly_ = false;
};

class TFocusControl {
public:
    bool Active() const { return filter_ != nullptr; }
    void SetActive(bool value);

    // A form was activated: when its focused control is a browser component
    // that does not hold the focus, the component is asked (by a posted
    // focus-restore message) to take it back.
    static void FormActivated(QWidget* form);

private:
    std::unique_ptr<QObject> filter_;
};

class TSxtControl : public QObject {
    Q_OBJECT
public:
    explicit TSxtControl(QObject* owner = nullptr);
    ~TSxtControl() override;

    TMouseWheelFix MouseWheelFix;
    TFocusControl FocusControl;

    TInternetFeatures InternetFeatures() const { return internetFeatures_; }
    // Stores the set; a set that is not empty switches its members on and
    // every other feature off for the process (platform/webcontrol's
    // FeatureControl.h says which ones this engine acts on). The empty set
    // changes nothing.
    void SetInternetFeatures(TInternetFeatures features);

private:
    TInternetFeatures internetFeatures_ = 0;
};

// The one TSxtControl of the process, made at the browser unit's start.
TSxtControl* SxtControl();
