#include "tools/FormAutomation.h"

#include "browserhost/Sextant.h"
#include "platform/files/SafeFile.h"
#include "platform/input/KeyboardInput.h"
#include "platform/registry/Profile.h"
#include "platform/registry/Registry.h"
#include "platform/ui/Application.h"
#include "platform/webcontrol/PageForms.h"
#include "tools/DocumentTools.h"
#include "tools/SendKeys.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>
#include <QUrl>
#include <QWindow>

#include <set>

namespace {

IPageForms* pageForms(TSextant& Browser) { return dynamic_cast<IPageForms*>(Browser.Document()); }

QString text(const WideString& value) { return QString::fromStdU16String(value); }

// The keys SendKeys queued, held back from the focused window until the
// chooser they are meant for is on the screen.
class HeldKeys : public IKeyboardRecorder, public IFileChooserAnswer {
public:
    // Records the keys of text; False when SendKeys did not take it whole.
    bool Hold(const QString& keys)
    {
        SetKeyboardRecorder(this);
        bool read = false;
        try {
            read = SendKeys(keys.toLatin1().constData(), false);
        } catch (...) {
            SetKeyboardRecorder(nullptr);
            throw;
        }
        SetKeyboardRecorder(nullptr);
        return read && !keys_.empty();
    }

    void KeyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags) override
    {
        keys_.push_back({virtualKey, scanCode, flags});
    }
    void ToggleChanged(std::uint8_t, bool) override {}

    // Types the held keys into dialog once it has the focus, one at a time,
    // and stops as soon as anything else would receive one.
    void ChooserShown(QFileDialog* dialog) override
    {
        QPointer<QFileDialog> chooser(dialog);
        dialog->raise();
        dialog->activateWindow();
        const QDeadlineTimer focusDeadline(FocusTimeoutMs);
        while (chooser && chooser->isVisible() && !focusedOn(chooser) && !focusDeadline.hasExpired())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        std::set<std::uint8_t> down;
        for (const Key& key : keys_) {
            if (!chooser || !chooser->isVisible() || !focusedOn(chooser))
                break;
            keybd_event(key.virtualKey, key.scanCode, key.flags, 0);
            if (key.flags & KEYEVENTF_KEYUP)
                down.erase(key.virtualKey);
            else
                down.insert(key.virtualKey);
            DispatchPendingKeyEvents();
        }
        // A key left down by a sequence cut short would stay pressed for
        // whatever the user types next.
        for (const std::uint8_t key : down)
            keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
        DispatchPendingKeyEvents();
        keys_.clear();
    }

private:
    static constexpr int FocusTimeoutMs = 3000;
    struct Key {
        std::uint8_t virtualKey;
        std::uint8_t scanCode;
        std::uint32_t flags;
    };
    // The chooser is the modal window on top and the keys reach it (or a
    // pop-up of it, such as its file-name completion).
    static bool focusedOn(QFileDialog* chooser)
    {
        QWindow* focus = QGuiApplication::focusWindow();
        if (!focus || QApplication::activeModalWidget() != chooser)
            return false;
        return focus == chooser->windowHandle() || QApplication::activePopupWidget() != nullptr;
    }
    std::vector<Key> keys_;
};

QUrl comparable(const QString& url)
{
    return QUrl(url).adjusted(QUrl::NormalizePathSegments | QUrl::StripTrailingSlash | QUrl::RemoveFragment);
}

const QString FormsKey = QStringLiteral("SOFTWARE\\%1\\Forms");

QString formSetting(const char* environment, const QString& value, const QString& fallback)
{
    const QString fromEnvironment = qEnvironmentVariable(environment);
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    TRegistry registry(HKEY_LOCAL_MACHINE);
    if (registry.OpenKeyReadOnly(FormsKey.arg(ApplicationTitle())) && registry.ValueExists(value)) {
        const QString stored = registry.ReadString(value).trimmed();
        if (!stored.isEmpty())
            return stored;
    }
    return fallback;
}

void storeFormSetting(const QString& value, const QString& url)
{
    TRegistry registry(HKEY_LOCAL_MACHINE);
    if (registry.OpenKey(FormsKey.arg(ApplicationTitle()), true))
        registry.WriteString(value, url);
}

} // namespace

bool FindFormElement(TSextant& Browser, const QString& Type, const QString& Name, TFormElementPos& Pos, int Occurrence)
{
    IPageForms* forms = pageForms(Browser);
    int form = 0, element = 0;
    if (!forms
        || forms->FindFormElement(Type.toStdU16String(), Name.toStdU16String(), Occurrence, form, element) != S_OK)
        return false;
    Pos = {form, element};
    return true;
}

QStringList ListFormElements(TSextant& Browser)
{
    IPageForms* forms = pageForms(Browser);
    std::vector<FormElementFacts> elements;
    int formTags = 0;
    QStringList lines;
    if (!forms || FAILED(forms->FormElements(elements, formTags)) || formTags == 0)
        return lines;
    const QString separator = QStringLiteral(" - ");
    for (const FormElementFacts& element : elements) {
        const QString type = text(element.type);
        const QString value
            = type.compare(QLatin1String("password"), Qt::CaseInsensitive) == 0 ? kMaskedPassword : text(element.value);
        lines << text(element.name) + separator + type + separator + value;
    }
    return lines;
}

bool ClickFormElement(TSextant& Browser, const TFormElementPos& Pos)
{
    IPageForms* forms = pageForms(Browser);
    return forms && forms->ClickFormElement(Pos.FormIndex, Pos.ElementIndex) == S_OK;
}

std::optional<QString> KeysForPath(const QString& Path)
{
    static const QString special = QStringLiteral("+^%~()");
    QString keys;
    for (const QChar c : Path) {
        const char16_t code = c.unicode();
        if (code < 0x20 || code > 0x7E)
            return std::nullopt;
        if (c == u'{')
            keys += QStringLiteral("{{}");
        else if (c == u'}')
            keys += QStringLiteral("{}}");
        else if (special.contains(c))
            keys += u'{' + QString(c) + u'}';
        else
            keys += c;
    }
    if (keys.isEmpty())
        return std::nullopt;
    return keys + u'~';
}

TAttachResult AttachFile(TSextant& Browser, const TFormElementPos& Pos, const QString& Path)
{
    const std::optional<QString> keys = KeysForPath(Path);
    if (!keys)
        return TAttachResult::Untypable;
    if (!QFileInfo(Path).isFile())
        return TAttachResult::Missing;
    IPageForms* forms = pageForms(Browser);
    if (!forms)
        return TAttachResult::NoElement;
    HeldKeys held;
    if (!held.Hold(*keys))
        return TAttachResult::Untypable;
    ChooserOutcome outcome = ChooserOutcome::NoChooser;
    if (forms->PressFormElement(Pos.FormIndex, Pos.ElementIndex, &held, ChooserTimeoutMs, outcome) != S_OK)
        return TAttachResult::NoElement;
    switch (outcome) {
    case ChooserOutcome::Chosen:
        return TAttachResult::Attached;
    case ChooserOutcome::Cancelled:
        return TAttachResult::NotTaken;
    default:
        return TAttachResult::NoChooser;
    }
}

QString AttachFailureText(TAttachResult Result)
{
    const QString notAttached = QStringLiteral("picture not attached");
    switch (Result) {
    case TAttachResult::Attached:
        return {};
    case TAttachResult::NoChooser:
        return notAttached + QStringLiteral(" (no file chooser opened)");
    case TAttachResult::NotTaken:
        return notAttached + QStringLiteral(" (the file chooser did not take it)");
    case TAttachResult::Untypable:
        return notAttached + QStringLiteral(" (its path has characters that cannot be typed)");
    case TAttachResult::Missing:
        return notAttached + QStringLiteral(" (no such file)");
    case TAttachResult::NoElement:
        return notAttached + QStringLiteral(" (the page has no element to click)");
    }
    return notAttached;
}

TFormRun::TFormRun(TSextant& Browser, unsigned LimitMs) : browser_(Browser), limitMs_(LimitMs)
{
    if (auto* choosers = dynamic_cast<IFileChoosers*>(browser_.DefaultInterface()))
        choosers->RefuseUnexpectedChoosers(true);
}

TFormRun::~TFormRun()
{
    if (auto* choosers = dynamic_cast<IFileChoosers*>(browser_.DefaultInterface()))
        choosers->RefuseUnexpectedChoosers(false);
}

bool TFormRun::waitForPage()
{
    QElapsedTimer waited;
    waited.start();
    if (browser_.Wait(limitMs_))
        return true;
    // The wait forgets its Stop as it ends: a wait that ended early was stopped.
    error_ = waited.elapsed() < qint64(limitMs_)
        ? QStringLiteral("Stopped: the form was left as it was.")
        : QStringLiteral("The page did not load within %1 seconds.").arg((limitMs_ + 999) / 1000);
    return false;
}

bool TFormRun::Open(const QString& Url)
{
    error_.clear();
    expected_.clear();
    browser_.Go(Url);
    if (!waitForPage())
        return false;
    const QString location = text(browser_.LocationURL());
    if (comparable(location) != comparable(Url)) {
        error_ = QStringLiteral("The browser shows %1 instead of %2: nothing was filled.").arg(location, Url);
        return false;
    }
    expected_ = location;
    return true;
}

bool TFormRun::Adopt()
{
    error_.clear();
    expected_.clear();
    if (!waitForPage())
        return false;
    expected_ = text(browser_.LocationURL());
    if (expected_.isEmpty()) {
        error_ = QStringLiteral("The browser shows no page.");
        return false;
    }
    return true;
}

bool TFormRun::Settle() { return waitForPage() && StillOnPage(); }

bool TFormRun::StillOnPage()
{
    if (browser_.StopRequested()) {
        error_ = QStringLiteral("Stopped: the form was left as it was.");
        return false;
    }
    const QString location = text(browser_.LocationURL());
    if (expected_.isEmpty() || location != expected_ || browser_.Busy()) {
        error_ = QStringLiteral("The browser left the form (now at %1): the rest was not filled.").arg(location);
        return false;
    }
    return true;
}

QStringList FillFields(TFormRun& Run, const TFieldValues& Fields, bool* Completed)
{
    QStringList missing;
    if (Completed)
        *Completed = false;
    for (const auto& [name, value] : Fields) {
        if (!Run.StillOnPage())
            return missing;
        if (!FillForm(Run.Browser(), name, value, -1))
            missing << name;
    }
    if (Completed)
        *Completed = true;
    return missing;
}

const TFieldValues& AdRecordFields()
{
    static const TFieldValues fields = [] {
        const QString reference = QStringLiteral("EX-4821");
        return TFieldValues{
            {QStringLiteral("region"), QStringLiteral("12")},
            {QStringLiteral("dpt_code"), QStringLiteral("7")},
            {QStringLiteral("zipcode"), QStringLiteral("99990")},
            {QStringLiteral("company_ad_id"), QStringLiteral("1")},
            {QStringLiteral("category"), QStringLiteral("2")},
            {QStringLiteral("name"), QStringLiteral("Garage Exemple Automobiles")},
            {QStringLiteral("SIREN"), QStringLiteral("000123456")},
            {QStringLiteral("email"), QStringLiteral("annonces@garage-exemple.example")},
            {QStringLiteral("phone"), QStringLiteral("0999000123")},
            {QStringLiteral("subject"), QStringLiteral("Modele Fictif 1.6 Confort (ref:") + reference + u')'},
            {QStringLiteral("custom_ref"), reference},
            {QStringLiteral("regdate"), QStringLiteral("6")},
            {QStringLiteral("mileage"), QStringLiteral("84500")},
            {QStringLiteral("fuel"), QStringLiteral("2")},
            {QStringLiteral("gearbox"), QStringLiteral("1")},
            {QStringLiteral("body"), AdDescription()},
            {QStringLiteral("price"), QStringLiteral("8900")},
        };
    }();
    return fields;
}

QString AdDescription()
{
    const QString separator(44, u'_');
    const QStringList lines{
        QStringLiteral("Modele Fictif 1.6 Confort (ref:EX-4821)"),
        QString(),
        QStringLiteral("Garantie : 12 mois pièces et main-d'œuvre"),
        QStringLiteral("Carrosserie : berline"),
        QStringLiteral("Puissance : 7 CV fiscaux, 110 ch"),
        QStringLiteral("Couleur : gris clair métallisé"),
        QStringLiteral("Première mise en circulation : 03/2019"),
        QStringLiteral("5 portes, 5 places"),
        QString(),
        QStringLiteral(" - Équipements intérieurs :"),
        QStringLiteral("climatisation automatique, régulateur de vitesse, sièges chauffants, radio Bluetooth"),
        QString(),
        QStringLiteral(" - Équipements extérieurs :"),
        QStringLiteral("jantes alliage 16 pouces, rétroviseurs électriques, feux antibrouillard"),
        QString(),
        QStringLiteral(" - Sécurité :"),
        QStringLiteral("ABS, ESP, 6 airbags, aide au stationnement arrière"),
        QString(),
        QString(),
        QStringLiteral("Contact : Jean Exemple au 09 99 00 01 23"),
        QStringLiteral("Garage Exemple Automobiles"),
        QString(),
        separator,
        QString(),
        QStringLiteral("Véhicule révisé, contrôle technique à jour, reprise possible, financement sur mesure"),
        separator,
        QString(),
        QStringLiteral("Horaires d'ouverture :"),
        QStringLiteral("du lundi au samedi, de 9 h à 12 h et de 14 h à 19 h"),
        separator,
        QString(),
        QStringLiteral("Tous nos véhicules sur www.garage-exemple.example"),
        QString(),
    };
    QString description;
    for (const QString& line : lines)
        description += line + QStringLiteral("\r\n");
    return description;
}

QStringList AdPicturePaths()
{
    const QString folder = ProfileFolder() + QStringLiteral("/ZarnPictures/");
    const QString base = QStringLiteral("V0048210");
    return {folder + base + QStringLiteral("-01.jpg"), folder + base + QStringLiteral("-02.jpg"),
        folder + base + QStringLiteral("-03.jpg")};
}

bool SeedAdPictures()
{
    bool seeded = true;
    for (const QString& path : AdPicturePaths()) {
        if (QFileInfo(path).isFile())
            continue;
        QFile shipped(QStringLiteral(":/zarnweb/pictures/") + QFileInfo(path).fileName());
        if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !shipped.open(QIODevice::ReadOnly)) {
            seeded = false;
            continue;
        }
        const QByteArray data = shipped.readAll();
        SafeFileWriter writer(path.toStdString());
        seeded = writer.Open() && writer.Write(data.constData(), std::size_t(data.size())) && writer.Commit() && seeded;
    }
    return seeded;
}

const TFieldValues& PersonalDetailsFields()
{
    static const TFieldValues fields{
        {QStringLiteral("firstname"), QStringLiteral("Camille")},
        {QStringLiteral("secondname"), QStringLiteral("Exemple")},
        {QStringLiteral("yahooid"), QStringLiteral("camille.exemple.4821")},
    };
    return fields;
}

QString AdFormAddress()
{
    return formSetting(
        "ZARNWEB_AD_FORM", QStringLiteral("AdForm"), QStringLiteral("http://www.annonces.example/ai/form/0?ca=17_s"));
}

QString RegistrationFormAddress()
{
    return formSetting("ZARNWEB_REGISTRATION_FORM", QStringLiteral("RegistrationForm"),
        QStringLiteral("http://edit.portail.example/config/eval_register"));
}

void SetAdFormAddress(const QString& Url) { storeFormSetting(QStringLiteral("AdForm"), Url); }
void SetRegistrationFormAddress(const QString& Url) { storeFormSetting(QStringLiteral("RegistrationForm"), Url); }
