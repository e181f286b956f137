#pragma once
// Web form automation on a browser component's page: finding and listing
// form elements, filling fields, clicking elements, attaching a file through
// the page's file chooser with typed keys, and the fixed records that the
// main window's Zarn button and "Fill Form With Personal Details" put into
// their forms. The main window's commands and zarn-form share this code.
//
// Everything runs on the user-interface thread; the calls that wait (page
// loads, the page's answers, a chooser) process events meanwhile.
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

class TSextant;

// Where the last successful FindFormElement found its element: the form's
// index in the page's forms and the element's index in that form, 0-based.
struct TFormElementPos {
    std::int32_t FormIndex = 0;
    std::int32_t ElementIndex = 0;
};

// The Occurrence-th element (from 1; 0 or less is the first) of the page's
// forms whose name is Name and type is Type, compared as text, in one
// question to the page. True with Pos overwritten when there is one; False,
// Pos untouched, when the page has no FORM element, none matches, reading an
// element failed first, or the page holds no HTML document.
bool FindFormElement(TSextant& Browser, const QString& Type, const QString& Name, TFormElementPos& Pos, int Occurrence);

// One line per element of every form in order: name + " - " + type + " - " +
// value. A password field's value shows as kMaskedPassword (also when it is
// empty, so its length never shows). No lines when the page has no FORM
// element or no HTML document.
QStringList ListFormElements(TSextant& Browser);
inline constexpr const char* kMaskedPassword = "********";

// The element's Click, as a script clicks: the page's handlers run, but
// nothing that needs a user's click happens (no file chooser opens). True
// when the page had an element at Pos.
bool ClickFormElement(TSextant& Browser, const TFormElementPos& Pos);

// The keys (in the language of tools/SendKeys.h) that type Path and then
// Enter: the language's own characters escaped ("+" as "{+}", braces as
// "{{}" and "{}}"). Nothing when Path holds a character no key types
// (beyond printable ASCII, or a control character): typing another would
// choose another file.
std::optional<QString> KeysForPath(const QString& Path);

// Attaching a file to the element at Pos: the path's keys are held back,
// the element is clicked as a user clicks and, when the page opens a file
// chooser for this click within ChooserTimeoutMs, the keys are typed into
// that chooser and nowhere else. Keys not delivered are discarded.
enum class TAttachResult {
    Attached, // the chooser opened and took the file
    NoChooser, // no chooser opened in time: nothing typed
    NotTaken, // the chooser opened but did not take the file (it lost the focus, or the path did not choose one)
    Untypable, // KeysForPath refused the path: nothing clicked
    Missing, // no such file: nothing clicked
    NoElement, // the page has no element at Pos to click
};
inline constexpr int ChooserTimeoutMs = 10000;
TAttachResult AttachFile(TSextant& Browser, const TFormElementPos& Pos, const QString& Path);
// "picture not attached" for every result but Attached, with the reason
// after it; empty for Attached.
QString AttachFailureText(TAttachResult Result);

// One page run of an automation: the page is opened and waited for within
// a limit, and each step checks that the browser still shows it, so that a
// navigation or a Stop meanwhile ends the run instead of filling another
// page.
class TFormRun {
public:
    // While the run exists, a file chooser the page opens that no
    // AttachFile waits for closes with nothing chosen (IFileChoosers).
    explicit TFormRun(TSextant& Browser, unsigned LimitMs = 30000);
    ~TFormRun();
    TFormRun(const TFormRun&) = delete;
    TFormRun& operator=(const TFormRun&) = delete;
    // Navigates to Url and waits until complete. False, with Error() saying
    // why, when stopped, not complete within the limit, or the page loaded
    // is not at Url (moved elsewhere, another navigation came first).
    bool Open(const QString& Url);
    // Takes the page the browser shows now, once complete, as the run's
    // page. False, with Error() set, when there is none.
    bool Adopt();
    // Waits for the page after a step that may have started loading.
    bool Settle();
    // True while the browser shows the page Open loaded; else False with
    // Error() set.
    bool StillOnPage();
    const QString& Error() const { return error_; }
    TSextant& Browser() { return browser_; }

private:
    bool waitForPage();
    TSextant& browser_;
    unsigned limitMs_;
    QString expected_;
    QString error_;
};

// Fields of a form and the values they take, in order.
using TFieldValues = std::vector<std::pair<QString, QString>>;

// Fills each field with FillForm (tools/DocumentTools.h, element index -1)
// while Run's page is still shown. Answers the names of the fields the page
// lacked; stops early, with Run's error set, when the page went away.
QStringList FillFields(TFormRun& Run, const TFieldValues& Fields, bool* Completed = nullptr);

// The advertisement record the Zarn button puts into the ad form: the 17
// fields in the order they are filled, and the description text (CR LF
// line ends). Every value is fictitious.
const TFieldValues& AdRecordFields();
QString AdDescription();
// The record's three pictures: "<folder>/<base>-01.jpg" to "-03.jpg", with
// the folder in the profile (ZarnPictures/) and the base name a letter and
// seven digits.
QStringList AdPicturePaths();
// Copies the pictures shipped with the program into the profile where any
// is missing. False when one could not be written.
bool SeedAdPictures();

// The sample values of the personal-details fill (firstname, secondname,
// yahooid), fictitious.
const TFieldValues& PersonalDetailsFields();

// The addresses of the ad form and of the portal's registration form:
// settings under HKEY_LOCAL_MACHINE "SOFTWARE\<title>\Forms", values
// "AdForm" and "RegistrationForm", so that a tester can point them at a
// server of their own; the environment variables ZARNWEB_AD_FORM and
// ZARNWEB_REGISTRATION_FORM, when set, win over both. Defaults are on the
// reserved "example" domains.
QString AdFormAddress();
QString RegistrationFormAddress();
void SetAdFormAddress(const QString& Url);
void SetRegistrationFormAddress(const QString& Url);
