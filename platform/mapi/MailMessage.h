#pragma once
// A mail message as an RFC 5322 file (MIME, made with GMime 3), the
// profile's Outbox that keeps each message with copies of its attachments,
// and the hand-over of a message to the user's mail program through
// xdg-email. Results are the Simple MAPI codes below, so that callers keep
// one error vocabulary whatever carried the message.
//
// Safe to use from any thread; nothing here touches widgets.
#include <QString>
#include <QStringList>

#include <vector>

// The Simple MAPI results this layer produces.
constexpr int SUCCESS_SUCCESS = 0;
constexpr int MAPI_E_USER_ABORT = 1;
constexpr int MAPI_E_FAILURE = 2;
constexpr int MAPI_E_DISK_FULL = 4;
constexpr int MAPI_E_ATTACHMENT_NOT_FOUND = 11;
constexpr int MAPI_E_ATTACHMENT_OPEN_FAILURE = 12;
constexpr int MAPI_E_ATTACHMENT_WRITE_FAILURE = 13;

enum class TMailRecipientKind { To, Cc, Bcc };

struct TMailRecipient {
    TMailRecipientKind kind = TMailRecipientKind::To;
    QString name; // shown name; left out of the header when empty or equal to the address
    QString address;
};

struct TMailAttachment {
    QString path; // the file whose content is attached
    QString name; // the name the reader sees; the path's file name when empty
};

struct TMailMessage {
    QString senderName;
    // Without it the message has no From (and no receipt request, which
    // needs an address to go to).
    QString senderAddress;
    QString subject;
    QString body;
    std::vector<TMailRecipient> recipients; // empty addresses are left out
    std::vector<TMailAttachment> attachments;
    // Adds Disposition-Notification-To with the sender.
    bool requestReceipt = false;
};

struct TMailResult {
    int code = SUCCESS_SUCCESS;
    // What went wrong, for a person (a path, the system's reason); empty on success.
    QString detail;
};

// Writes the message to emlPath through the safe writer: From (only with a
// sender address), To, Cc, Bcc, Date, Message-ID, the subject encoded by
// RFC 2047 where it is not ASCII, the body as UTF-8 text, and each attachment
// base64-encoded with its name (RFC 2231 where it is not ASCII). Header
// texts lose their control characters, so no text can add a header.
// Attachments are read in pieces, so memory does not grow with their size.
// Codes: 11 an attachment is missing, 12 it cannot be read, 4 the disk is
// full, 2 anything else; nothing is left at emlPath on failure.
TMailResult WriteMailMessage(const TMailMessage& message, const QString& emlPath);

// The profile's "Outbox" folder.
QString OutboxFolder();
// Makes a new, empty folder for one message under the Outbox, named after
// the time with a random part so that two senders never share one. Empty
// when it cannot be made.
QString NewOutboxMessageFolder();
// Removes the Outbox's message folders last changed more than maxAgeDays
// ago, by then long read by the mail program. Returns how many were removed.
int PruneOutbox(int maxAgeDays = 7);

// Writes the message into folder (from NewOutboxMessageFolder) as
// "message.eml", beside a copy of each attachment under its name ("<n>/<name>"
// so that two attachments may share a name); an attachment already inside
// folder is used as it is. The returned message's attachments are those
// copies; the caller's files are never changed or removed. Codes as
// WriteMailMessage.
TMailResult WriteOutboxMessage(const TMailMessage& message, const QString& folder, TMailMessage& written);

// The xdg-email arguments for the message: --utf8, then --to, --cc and
// --bcc for each recipient, --subject and --body when not empty (xdg-email
// refuses an empty one), --attach for each attachment. Every value is an
// argument of its own, never a shell command line or a mailto: address
// built here.
QStringList XdgEmailArguments(const TMailMessage& message);

// The result for an exit status of xdg-email: 0 gives 0 (the mail program
// took the message; whether it took the attachments too it does not say),
// 2 gives 11, 5 gives 12, anything else 2.
int MapXdgEmailExit(int exitStatus);

// Runs program with arguments in a session of its own, so that a mail
// program it starts is not ended with this process, and waits for it
// without ever ending it. Its exit status; -1 when it could not be started,
// 128 + the signal when a signal ended it.
int RunInOwnSession(const QString& program, const QStringList& arguments);

struct THandOver {
    int code = SUCCESS_SUCCESS;
    // xdg-email failed and the message file was opened with the desktop's
    // program for message/rfc822 instead.
    bool openedMessageFile = false;
    // Neither could be done: there is no mail program to hand the message to.
    bool noMailProgram = false;
};

// Hands the message (written as emlPath, attachments as written there) to
// the user's mail program with xdg-email; when that fails, opens emlPath
// with xdg-open. Blocks until both programs have returned (a mail program
// that stays in front keeps it waiting).
THandOver HandOverMessage(const TMailMessage& message, const QString& emlPath);
