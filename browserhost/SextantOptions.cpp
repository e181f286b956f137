#include "browserhost/DialogInterception.h"
#include "browserhost/PagePrinting.h"
#include "browserhost/Sextant.h"
#include "browserhost/SxtUnit.h"
#include "browserhost/SystemTools.h"
#include "platform/print/PageSetup.h"
#include "platform/registry/Registry.h"
#include "platform/webcontrol/FeatureControl.h"

#include <QLocale>

namespace {

const QString UserAgentKey
    = QStringLiteral("\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\User Agent");
const QString PostPlatform = QStringLiteral("Post Platform");
const QString BaseAgentEntry = QStringLiteral("User-agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1)");
constexpr double MillimetresPerInch = 25.4;
// The browser generation from which navigation sounds are a process
// feature rather than an entry of the sound scheme.
constexpr int SoundFeatureMajorVersion = 7;
constexpr std::int32_t MediumTextSize = 2;

bool isAddressLine(const QString& line)
{
    const QString lower = line.toLower();
    return lower.startsWith(QLatin1String("http")) || lower.startsWith(QLatin1String("www."))
        || lower.startsWith(QLatin1String("ftp:")) || lower.startsWith(QLatin1String("file"))
        || lower.left(6) == QLatin1String("about:");
}

// A failure of the control reaches the caller; a cancelled dialog does not.
void check(HRESULT result)
{
    if (FAILED(result) && result != OLECMDERR_E_CANCELED)
        throw EOleException(result);
}

} // namespace

QString TSextant::About() const { return QStringLiteral("Sextant browser component - ZarnWeb"); }

void TSextant::Loaded()
{
    if (std::exchange(loaded_, true))
        return;
    EnableMessageHandler = true;
    // Suppressed errors let scripts run on with no dialog, whatever action
    // was set before the component came up.
    if (DisableErrors.ScriptErrorsSuppressed)
        ScriptErrorAction = eaContinue;
    DisableErrors.ApplyFloatingPoint();
    HookOwnerWindow(this);
    if (ProxySettings.AutoLoadProxy)
        ApplyProxySettings();
    if (VisualEffects.DisableSounds) {
        DisableNavigationSounds(true);
        SxtUnit().RestoreSounds = [] {
            if (IEMajorVersion() < SoundFeatureMajorVersion)
                DisableNavigationSound(false);
        };
    }
    ApplyHTMLCode();
}

void TSextant::DestroyOptions()
{
    if (VisualEffects.TextSize != MediumTextSize && ControlInterface()) {
        Variant in(MediumTextSize), out;
        ControlInterface()->ExecWB(OLECMDID_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, in, out);
    }
    RestoreUserAgentRegistry();
    UnhookOwnerWindow(this);
}

void TDisableErrors::SetfpExceptions(bool value)
{
    fpExceptions_ = value;
    ApplyFloatingPoint();
}

void TDisableErrors::ApplyFloatingPoint() const { SetFloatingPointExceptions(fpExceptions_); }

void TSextant::SetUserAgent(const QString& value)
{
    if (std::exchange(userAgent_, value) != value)
        ApplyUserAgent();
}

void TSextant::SetUserAgentMode(TUserAgentMode value)
{
    if (std::exchange(userAgentMode_, value) != value)
        ApplyUserAgent();
}

void TSextant::RestoreUserAgentRegistry()
{
    if (!std::exchange(registryHoldsAgent_, false))
        return;
    appliedRegistryAgent_.clear();
    try {
        TRegistry reg(HKEY_CURRENT_USER);
        if (!reg.OpenKey(UserAgentKey, false))
            return;
        reg.DeleteKey(PostPlatform);
        if (reg.OpenKey(PostPlatform, true))
            reg.WriteString(BaseAgentEntry, QString());
    } catch (const ERegistryException&) {}
}

void TSextant::ApplyUserAgent()
{
    switch (userAgentMode_) {
    case uaDefault:
        RestoreUserAgentRegistry();
        break;
    case uaInternal:
        if (userAgent_ == appliedInternalAgent_)
            break;
        RestoreUserAgentRegistry();
        if (auto* control = dynamic_cast<IOleControl*>(ControlInterface())) {
            appliedInternalAgent_ = userAgent_;
            control->OnAmbientPropertyChange(DISPID_AMBIENT_USERAGENT);
        }
        break;
    case uaRegistry: {
        const QString entry = BaseAgentEntry + QLatin1Char('(') + userAgent_ + QLatin1Char(')');
        if (entry == appliedRegistryAgent_)
            break;
        RestoreUserAgentRegistry();
        appliedRegistryAgent_ = entry;
        try {
            TRegistry reg(HKEY_CURRENT_USER);
            if (reg.OpenKey(UserAgentKey + QLatin1Char('\\') + PostPlatform, true)) {
                reg.WriteString(entry, QString());
                registryHoldsAgent_ = true;
            }
        } catch (const ERegistryException&) {}
        break;
    }
    }
    // Leaving uaInternal gives the control its own agent back.
    if (userAgentMode_ != uaInternal && !appliedInternalAgent_.isEmpty()) {
        appliedInternalAgent_.clear();
        if (auto* control = dynamic_cast<IOleControl*>(ControlInterface()))
            control->OnAmbientPropertyChange(DISPID_AMBIENT_USERAGENT);
    }
}

bool TSextant::AmbientUserAgent(WideString& agent) const
{
    if (userAgentMode_ != uaInternal || userAgent_.isEmpty())
        return false;
    agent = userAgent_.toStdU16String();
    return true;
}

void TSextant::SetHTMLCode(const QStringList& lines)
{
    htmlCode_ = lines;
    if (loaded_)
        ApplyHTMLCode();
}

void TSextant::ApplyHTMLCode()
{
    if (htmlCode_.size() == 1 && isAddressLine(htmlCode_.first())) {
        Go(htmlCode_.first());
        return;
    }
    bool handled = false;
    if (OnHTMLCodeChange)
        OnHTMLCodeChange(this, htmlCode_, handled);
    if (handled || htmlCode_.isEmpty())
        return;
    const QByteArray html = htmlCode_.join(QLatin1Char('\n')).toUtf8();
    Navigate(QString::fromLatin1("data:text/html;charset=utf-8;base64," + html.toBase64()).toStdU16String());
}

QString TSextant::GetIEHomePage() const
{
    try {
        TRegistry reg(HKEY_CURRENT_USER);
        if (reg.OpenKeyReadOnly(QStringLiteral("\\Software\\Microsoft\\Internet Explorer\\Main"))
            && reg.ValueExists(QStringLiteral("Start Page")))
            return reg.ReadString(QStringLiteral("Start Page"));
    } catch (const ERegistryException&) {}
    return {};
}

bool TSextant::LoadPageSetupFromRegistry()
{
    try {
        TRegistry reg(HKEY_CURRENT_USER);
        if (!reg.OpenKeyReadOnly(QString::fromLatin1(PageSetupKey)))
            return false;
        PrintOptions.Header = reg.ReadString(QStringLiteral("header"));
        PrintOptions.Footer = reg.ReadString(QStringLiteral("footer"));
        const QString decimal = QLocale().decimalPoint();
        const auto margin = [&](const char* name) {
            QString text
                = reg.ValueExists(QString::fromLatin1(name)) ? reg.ReadString(QString::fromLatin1(name)) : QString();
            if (text.isEmpty())
                text = QStringLiteral("0.750000");
            text.remove(QLatin1Char(' '));
            if (decimal != QLatin1String("."))
                text.replace(text.indexOf(QLatin1Char('.')), 1, decimal);
            const double inches = QLocale().toDouble(text);
            return PrintOptions.MeasureUnit == muInches ? inches : inches * MillimetresPerInch;
        };
        PrintOptions.Margins.Left = margin("margin_left");
        PrintOptions.Margins.Right = margin("margin_right");
        PrintOptions.Margins.Top = margin("margin_top");
        PrintOptions.Margins.Bottom = margin("margin_bottom");
    } catch (const ERegistryException&) {}
    return true;
}

bool TSextant::ApplyProxySettings()
{
    const TProxySettings& p = ProxySettings;
    const bool applied = !p.UserName.isEmpty()
        ? SetProxyWithAuthentication(p.UserAgent, p.Address, p.UserName, p.Port, p.Password)
        : SetProxy(p.UserAgent, p.Address + QLatin1Char(':') + QString::number(p.Port));
    SxtUnit().ResetProxy = applied ? std::function<void()>([] { RemoveProxy(); }) : nullptr;
    return applied;
}

void TSextant::DisableNavigationSounds(bool Disable)
{
    if (IEMajorVersion() < SoundFeatureMajorVersion)
        DisableNavigationSound(Disable);
    else
        CoInternetSetFeatureEnabled(FEATURE_DISABLE_NAVIGATION_SOUNDS, Disable);
}

void TSextant::PrintThrough(const std::function<HRESULT()>& print)
{
    if (ControlInterface())
        check(print());
}

void TSextant::Print()
{
    Wait();
    PrintThrough([this] {
        return PrintPage(*ControlInterface(), PrintOptions.PrintWithoutPrompting, !PrintOptions.Enabled,
            PrintOptions.Header, PrintOptions.Footer);
    });
}

void TSextant::PrintWithOptions()
{
    Wait();
    PrintThrough([this] {
        return ::PrintWithOptions(
            *ControlInterface(), true, PrintOptions.Enabled, PrintOptions.PrintWithoutPrompting, PageSetupPending);
    });
}

void TSextant::PrintPreview()
{
    PrintThrough([this] { return ::PrintPreview(*ControlInterface()); });
}

void TSextant::PageSetup()
{
    Wait();
    PrintThrough([this] { return ::PageSetup(*ControlInterface(), PrintOptions.PrintWithoutPrompting); });
}
