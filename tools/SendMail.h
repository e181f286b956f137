#pragma once
// Mail through the user's own mail program: TSxtMapiMail holds one message
// and sends it on a TSendMailThread, which writes the message into the
// profile's Outbox (platform/mapi/MailMessage.h) and hands it to the mail
// program with xdg-email; and the three mail tools built on it.
//
// On this desktop:
// - EditDialog False still opens the composer: xdg-email has no way to send
//   without showing the message, and the user sees what goes out anyway.
// - ResolveNames keeps each text as name and address: there is no address
//   book to resolve against.
// - The default profile is read from our registry store on the user-interface
//   thread before the worker starts; there is no log-on to make with it.
// - The worker waits for xdg-email, started in its own session, and never
//   ends it: a composer outlives ZarnWeb.
// - Nothing the mail layer is handed is deleted: the caller's files stay
//   where they are; the copies in the Outbox go after 7 days, long after the
//   mail program read them.
#include "browserhost/ToolForwarders.h"
#include "platform/mapi/MailMessage.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QThread>

#include <functional>

class QWidget;
class TSextant;

// "User cancelled request" and the rest of the Simple MAPI texts; a code not
// listed gives "Unknown Error Code: " followed by the code in decimal.
QString MapiErrorText(int code);

// The current user's "DefaultProfile" under "Software\Microsoft\Windows
// Messaging Subsystem\Profiles", else under "Software\Microsoft\Windows
// NT\CurrentVersion\Windows Messaging Subsystem\Profiles" when the first key
// cannot be opened. True when a value was read into Profile.
bool GetDefaultProfile(QString& Profile);

// Resolves a recipient's text. Without an address book the text becomes
// both the name and the address; the result is 0 (SUCCESS_SUCCESS).
int ResolveRecipient(const QString& Text, TMailRecipient& Recipient);

// The message the component's properties describe. A recipient line starting
// with "CC:" (any case) is a copy recipient, one starting with "BCC:" a blind
// copy, the prefix removed; any other line a main recipient; an empty line
// none. Attachment i is named AttachmentNames[i] when that exists and is
// not empty, else after its path's file name. With a sender address the
// sender is the originator (named SenderName, or the address when that is
// empty); without one the message has none.
TMailMessage MailMessageFor(const QString& SenderName, const QString& SenderAddress, const QString& Subject,
    const QString& Body, const QStringList& Recipients, const QStringList& Attachments,
    const QStringList& AttachmentNames, bool ResolveNames, bool RequestReceipt);

// What became of one send besides its result.
struct TMailSendReport {
    QString folder; // the message's Outbox folder; empty when none was made
    QString messageFile; // its message.eml; empty when it was not written
    bool openedMessageFile = false; // xdg-email failed; the file was opened instead
    bool noMailProgram = false; // neither worked
};

// The mail thread's work, blocking: prunes the Outbox, writes the message
// into a new Outbox folder (or into OutboxFolder when given, where an
// attachment already inside is used as it is) and hands it over
// (HandOverMessage). EditDialog is accepted and has no effect (see above).
// The result is a Simple MAPI code: 0 handed over, 11 or 12 for an
// attachment, 4 a full disk, 2 any other failure.
int SendMailMessage(const QString& SenderName, const QString& SenderAddress, const QString& Subject,
    const QString& Body, const QStringList& Recipients, const QStringList& Attachments,
    const QStringList& AttachmentNames, bool EditDialog, bool ResolveNames, bool RequestReceipt,
    const QString& OutboxFolder = {}, TMailSendReport* Report = nullptr);

class TSxtMapiMail;

// Everything one send needs, copied from the component when it starts, so
// that the thread never touches the component.
struct TMailJob {
    QString SenderName, SenderAddress, Subject, Body;
    QStringList Recipients, Attachments, AttachmentNames;
    bool EditDialog = true;
    bool ResolveNames = false;
    bool RequestReceipt = false;
    QString Profile; // GetDefaultProfile's answer; empty without one
    QString OutboxFolder;
};

// The worker thread of one send. It frees itself (on the user-interface
// thread) once it ended; a thread still waiting for the mail program when
// the program quits is left to end with the process.
class TSendMailThread : public QThread {
    Q_OBJECT
public:
    explicit TSendMailThread(TMailJob Job);
    // SendMailMessage's result once the thread has ended; -1 before.
    int ReturnValue() const { return returnValue_; }

signals:
    // Emitted from the worker when the send is done, before the thread ends.
    void Done(int Result, const TMailSendReport& Report);

protected:
    void run() override;

private:
    TMailJob job_;
    std::atomic<int> returnValue_{-1};
};

// Raised on the user-interface thread when a send of the component has
// ended. Result is SendMailMessage's code; Report says where the message
// was kept and whether a mail program took it. Unhandled: nothing beyond
// the messages ShowErrors shows.
using TMailSentEvent = std::function<void(TSxtMapiMail* Sender, int Result, const TMailSendReport& Report)>;

class TSxtMapiMail : public QObject {
    Q_OBJECT
public:
    explicit TSxtMapiMail(QObject* Owner = nullptr);

    QString Subject;
    QString Body;
    QString SenderName;
    // Without it the message has no originator.
    QString SenderAddress;
    // One recipient per line ("CC:" and "BCC:" prefixes, see MailMessageFor).
    QStringList Recipients;
    // Full paths of the files to attach; they are copied, never removed.
    QStringList Attachments;
    // Names shown for the attachments, by position.
    QStringList AttachmentNames;
    bool EditDialog = true;
    bool ResolveNames = false;
    bool RequestReceipt = false;
    // The Outbox folder to write the message into (one a caller made with
    // NewOutboxMessageFolder to save a file for it); empty: a new one.
    QString OutboxFolder;
    // Whether a failed send is shown: MapiErrorText for every code but 0
    // and 1 ("MAPI Error <code>: <text>"), and, when no mail program took the
    // message, where it was kept with an offer to open the Outbox. Default
    // True.
    bool ShowErrors = true;

    // Starts a TSendMailThread on a copy of the message and returns True;
    // False (and nothing starts) while a send of this component is still
    // running. The component stays its owner's: freeing it during a send
    // only means nobody hears of the result.
    bool Send();
    bool Sending() const { return sending_; }
    // The result of the last send that ended; -1 before.
    int LastResult() const { return lastResult_; }

    // Raised on the user-interface thread once a send that Send started has
    // ended, after the failure messages ShowErrors shows. Result is
    // SendMailMessage's code: SUCCESS_SUCCESS when a mail program took the
    // message, else one of the MAPI_E_ codes (MapiErrorText names them);
    // Report names the Outbox folder and the
    // message file, and says whether no mail program was found or the file
    // was opened instead. Not raised when the component was freed during the
    // send. Unhandled: nothing beyond those messages.
    TMailSentEvent OnSent;

private:
    void Finished(int Result, const TMailSendReport& Report);

    bool sending_ = false;
    int lastResult_ = -1;
};

// Shows what a failed send means to the user (see ShowErrors); nothing for
// 0 and 1.
void ShowMailFailure(int Result, const TMailSendReport& Report, QWidget* Parent);

// The texts of a mail tool, passed by name so that they cannot change places:
// SendPageInMail(b, owner, "Site.html", {.Subject = ..., .Body = ...}).
using TMailTexts = TSxtMailTexts;

// Saves Browser's page (waiting for it with events processed) as FileName
// (its last path component) in a new Outbox folder and sends it as the
// attachment of a message with Texts, EditDialog set. A page that cannot be
// saved is reported and nothing is sent. The mail component belongs to
// Owner (nullptr: to nobody) and is released on the user-interface thread
// when the send has ended. True when the send started.
bool SendPageInMail(TSextant& Browser, QObject* Owner, const QString& FileName, const TMailTexts& Texts);
// Sends a message with subject Title and body Address, EditDialog set. The
// mail component has no owner and is released when the send has ended.
bool SendUrlInMail(const QString& Address, const QString& Title);
// Opens "mailto:?subject=&body=" through the program launcher: the mail
// program's new-message window, subject and body empty. False when no
// program could open it.
bool CreateNewMail();
