#pragma once
// The forms of the control's page, for automation: the document answers
// these questions in one round trip each (a script returning JSON), where
// the same work by late binding costs a round trip per element read. The
// positions are those of late binding: forms in document order
// (Document.forms), and within a form its elements in order (the form's
// Item(j): every listed control, FIELDSET, BUTTON and OBJECT included). The
// element facts are the engine's own: a BUTTON without a type reads
// "submit", a single SELECT "select-one", a file field's value
// "C:\fakepath\<name>" once a file is chosen.
//
// An HTML document of the control offers this interface by cast; a folder
// view, a PDF or a picture does not. Every call waits on the user-interface
// thread with events processed, so handlers and timers run during it.
#include "platform/com/ComTypes.h"

#include <vector>

class QFileDialog;

struct FormElementFacts {
    int form = 0;
    int element = 0;
    WideString name;
    WideString type;
    WideString value;
};

// Answers the file chooser that one click opened (IPageForms::PressFormElement).
class IFileChooserAnswer {
public:
    virtual ~IFileChooserAnswer() = default;
    // Raised once the chooser the click opened is on the screen: dialog is a
    // modal Qt file dialog of this process (never the desktop's), already
    // shown. The handler answers it (accepts a file or rejects it) before
    // returning, typically by typing into it; a dialog still open when the
    // handler returns is closed with nothing chosen. Unhandled (no answer
    // object): the chooser waits for the user.
    virtual void ChooserShown(QFileDialog* dialog) = 0;
};

// What a press did about a file chooser.
enum class ChooserOutcome {
    NotWaited, // no answer object was given: the press did not wait for one
    Chosen, // the chooser opened and a file was chosen
    Cancelled, // the chooser opened and was closed with nothing chosen
    NoChooser, // no chooser opened within the time allowed
};

class IPageForms {
public:
    virtual ~IPageForms() = default;
    // Every element of every form in order. formTags: how many FORM
    // elements the document holds (all.tags("FORM").length), which can
    // differ from the forms listed when a form sits inside another.
    // E_FAIL when the page did not answer.
    virtual HRESULT FormElements(std::vector<FormElementFacts>& elements, int& formTags) = 0;
    // The occurrence-th element (counted from 1; 0 or less is the first)
    // whose name and type equal name and type as text. S_OK with the
    // position, S_FALSE when there is none (or the document has no FORM
    // element), E_FAIL when the page did not answer or reading an element
    // failed before one was found.
    virtual HRESULT FindFormElement(
        const WideString& type, const WideString& name, int occurrence, int& form, int& element)
        = 0;
    // The element's click() from a script: what the page's handlers do with
    // an untrusted click (a file field opens no chooser this way).
    // S_FALSE when there is no element at that position.
    virtual HRESULT ClickFormElement(int form, int element) = 0;
    // A real click: the element is scrolled into view and the mouse pressed
    // and released at its centre, as a user clicks (the page sees a trusted
    // click, which may open a file chooser). With chooser, the call waits
    // for the file chooser this click opens, at most timeoutMs, hands it to
    // chooser and returns once it is answered; a chooser that opens later is
    // the user's. S_FALSE when there is no element at that position or it
    // has no box on the page (hidden); E_FAIL when the page did not answer.
    virtual HRESULT PressFormElement(
        int form, int element, IFileChooserAnswer* chooser, int timeoutMs, ChooserOutcome& outcome)
        = 0;
};

// The control's file choosers while an automation runs. The control offers
// this interface by cast.
class IFileChoosers {
public:
    virtual ~IFileChoosers() = default;
    // While refused, a chooser that no press is waiting for (one a page's
    // script opens after a click, say) closes at once with nothing chosen,
    // instead of waiting for the user in the middle of a run. Calls nest:
    // each true needs its false.
    virtual void RefuseUnexpectedChoosers(bool refuse) = 0;
};
