#include "tools/SendMail.h"

#include "browserhost/DocumentOps.h"
#include "browserhost/Sextant.h"
#include "platform/files/SafeFile.h"
#include "platform/registry/Registry.h"
#include "platform/shell/ProgramLauncher.h"
#include "platform/ui/Dialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <QWidget>

#include <exception>

QString MapiErrorText(int code)
{
    switch (code) {
    case 1:
        return QStringLiteral("User cancelled request");
    case 2:
        return QStringLiteral("General MAPI failure");
    case 3:
        return QStringLiteral("Logon failure");
    case 4:
        return QStringLiteral("Disk full");
    case 5:
        return QStringLiteral("Insufficient memory");
    case 6:
        return QStringLiteral("Access denied");
    case 8:
        return QStringLiteral("Too many sessions");
    case 9:
        return QStringLiteral("Too many files open");
    case 10:
        return QStringLiteral("Too many recipients");
    case 11:
        return QStringLiteral("Attachment not found");
    case 12:
        return QStringLiteral("Failed to open attachment");
    case 13:
        return QStringLiteral("Failed to write attachment");
    case 14:
        return QStringLiteral("Unknown recipient");
    case 15:
        return QStringLiteral("Invalid recipient type");
    case 16:
        return QStringLiteral("No messages");
    case 17:
        return QStringLiteral("Invalid message");
    case 18:
        return QStringLiteral("Text too large.");
    case 19:
        return QStringLiteral("Invalid session");
    case 20:
        return QStringLiteral("Type not supported");
    case 21:
        return QStringLiteral("Ambiguous recipient");
    case 22:
        return QStringLiteral("Message in use");
    case 23:
        return QStringLiteral("Network failure");
    case 24:
        return QStringLiteral("Invalid edit fields");
    case 25:
        return QStringLiteral("Invalid recipients");
    case 26:
        return QStringLiteral("Not supported");
    default:
        return QStringLiteral("Unknown Error Code: ") + QString::number(code);
    }
}

bool GetDefaultProfile(QString& Profile)
{
    try {
        TRegistry registry(HKEY_CURRENT_USER);
        if (!registry.OpenKeyReadOnly(QStringLiteral("Software\\Microsoft\\Windows Messaging Subsystem\\Profiles"))
            && !registry.OpenKeyReadOnly(QStringLiteral(
                "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging Subsystem\\Profiles")))
            return false;
        if (!registry.ValueExists(QStringLiteral("DefaultProfile")))
            return false;
        Profile = registry.ReadString(QStringLiteral("DefaultProfile"));
        return true;
    } catch (const ERegistryException&) {
        return false;
    }
}

int ResolveRecipient(const QString& Text, TMailRecipient& Recipient)
{
    Recipient.name = Text;
    Recipient.address = Text;
    return SUCCESS_SUCCESS;
}

TMailMessage MailMessageFor(const QString& SenderName, const QString& SenderAddress, const QString& Subject,
    const QString& Body, const QStringList& Recipients, const QStringList& Attachments,
    const QStringList& AttachmentNames, bool ResolveNames, bool RequestReceipt)
{
    TMailMessage message;
    if (!SenderAddress.isEmpty()) {
        message.senderName = SenderName.isEmpty() ? SenderAddress : SenderName;
        message.senderAddress = SenderAddress;
    }
    message.subject = Subject;
    message.body = Body;
    message.requestReceipt = RequestReceipt;
    for (int i = 0; i < Attachments.size(); ++i) {
        const QString name = i < AttachmentNames.size() && !AttachmentNames[i].isEmpty()
            ? AttachmentNames[i]
            : QFileInfo(Attachments[i]).fileName();
        message.attachments.push_back({Attachments[i], name});
    }
    for (const QString& line : Recipients) {
        TMailRecipient recipient;
        QString text = line;
        if (line.startsWith(QLatin1String("CC:"), Qt::CaseInsensitive)) {
            recipient.kind = TMailRecipientKind::Cc;
            text = line.mid(3);
        } else if (line.startsWith(QLatin1String("BCC:"), Qt::CaseInsensitive)) {
            recipient.kind = TMailRecipientKind::Bcc;
            text = line.mid(4);
        }
        text = text.trimmed();
        if (text.isEmpty())
            continue;
        if (ResolveNames) {
            ResolveRecipient(text, recipient);
        } else {
            recipient.name = text;
            recipient.address = text;
        }
        message.recipients.push_back(recipient);
    }
    return message;
}

int SendMailMessage(const QString& SenderName, const QString& SenderAddress, const QString& Subject,
    const QString& Body, const QStringList& Recipients, const QStringList& Attachments,
    const QStringList& AttachmentNames, bool EditDialog, bool ResolveNames, bool RequestReceipt,
    const QString& OutboxFolder, TMailSendReport* Report)
{
    Q_UNUSED(EditDialog);
    TMailSendReport report;
    const auto done = [&](int code) {
        if (Report)
            *Report = report;
        return code;
    };
    const TMailMessage message = MailMessageFor(SenderName, SenderAddress, Subject, Body, Recipients, Attachments,
        AttachmentNames, ResolveNames, RequestReceipt);
    PruneOutbox();
    report.folder = OutboxFolder.isEmpty() ? NewOutboxMessageFolder() : OutboxFolder;
    if (report.folder.isEmpty())
        return done(MAPI_E_FAILURE);
    TMailMessage written;
    const TMailResult result = WriteOutboxMessage(message, report.folder, written);
    if (result.code != SUCCESS_SUCCESS)
        return done(result.code);
    report.messageFile = QDir(report.folder).filePath(QStringLiteral("message.eml"));
    const THandOver handOver = HandOverMessage(written, report.messageFile);
    report.openedMessageFile = handOver.openedMessageFile;
    report.noMailProgram = handOver.noMailProgram;
    return done(handOver.code);
}

TSendMailThread::TSendMailThread(TMailJob Job) : job_(std::move(Job))
{
    setObjectName(QStringLiteral("TSendMailThread"));
}

void TSendMailThread::run()
{
    TMailSendReport report;
    int result = MAPI_E_FAILURE;
    try {
        result = SendMailMessage(job_.SenderName, job_.SenderAddress, job_.Subject, job_.Body, job_.Recipients,
            job_.Attachments, job_.AttachmentNames, job_.EditDialog, job_.ResolveNames, job_.RequestReceipt,
            job_.OutboxFolder, &report);
    } catch (const std::exception&) {
        result = MAPI_E_FAILURE;
    }
    returnValue_ = result;
    emit Done(result, report);
}

TSxtMapiMail::TSxtMapiMail(QObject* Owner) : QObject(Owner) {}

bool TSxtMapiMail::Send()
{
    if (sending_)
        return false;
    TMailJob job{SenderName, SenderAddress, Subject, Body, Recipients, Attachments, AttachmentNames, EditDialog,
        ResolveNames, RequestReceipt, {}, OutboxFolder};
    GetDefaultProfile(job.Profile);
    auto* thread = new TSendMailThread(std::move(job));
    connect(thread, &TSendMailThread::Done, this, &TSxtMapiMail::Finished, Qt::QueuedConnection);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    sending_ = true;
    thread->start();
    return true;
}

void TSxtMapiMail::Finished(int Result, const TMailSendReport& Report)
{
    sending_ = false;
    lastResult_ = Result;
    if (ShowErrors)
        ShowMailFailure(Result, Report, qobject_cast<QWidget*>(parent()));
    if (OnSent)
        OnSent(this, Result, Report);
}

void ShowMailFailure(int Result, const TMailSendReport& Report, QWidget* Parent)
{
    Q_UNUSED(Parent);
    if (Result == SUCCESS_SUCCESS || Result == MAPI_E_USER_ABORT || Report.openedMessageFile)
        return;
    if (Report.noMailProgram) {
        if (MessageDlg(QStringLiteral("No mail program could take the message. It was kept in the Outbox as:\n")
                    + QDir::toNativeSeparators(Report.messageFile) + QStringLiteral("\n\nOpen the Outbox folder?"),
                mtError, mbYesNo)
            == mrYes)
            ProgramLauncher().openWithDesktop(QUrl::fromLocalFile(Report.folder));
        return;
    }
    MessageDlg(QStringLiteral("MAPI Error %1: %2").arg(Result).arg(MapiErrorText(Result)), mtError, mbOK);
}

namespace {
// A tool's component lives until its send has ended, then goes on the
// user-interface thread, once; an owner that goes first takes it along.
bool sendAndRelease(TSxtMapiMail* mail)
{
    mail->OnSent = [](TSxtMapiMail* sender, int, const TMailSendReport&) { sender->deleteLater(); };
    if (mail->Send())
        return true;
    delete mail;
    return false;
}
} // namespace

bool SendPageInMail(TSextant& Browser, QObject* Owner, const QString& FileName, const TMailTexts& Texts)
{
    const QString folder = NewOutboxMessageFolder();
    const QString name = QString::fromStdString(SafeFileName(FileName.toStdString(), "Site.html"));
    const QString target = folder.isEmpty() ? QString() : QDir(folder).filePath(name);
    HRESULT saved = S_FALSE;
    if (!target.isEmpty()) {
        try {
            saved = SaveToFile(Browser, target);
        } catch (const EOleException&) {
            saved = E_FAIL;
        }
    }
    if (saved != S_OK) {
        if (!folder.isEmpty())
            QDir(folder).removeRecursively();
        MessageDlg(QStringLiteral("The page could not be saved for the message."), mtError, mbOK);
        return false;
    }
    auto* mail = new TSxtMapiMail(Owner);
    mail->Subject = Texts.Subject;
    mail->Body = Texts.Body;
    mail->Attachments = {target};
    mail->OutboxFolder = folder;
    mail->EditDialog = true;
    return sendAndRelease(mail);
}

bool SendUrlInMail(const QString& Address, const QString& Title)
{
    auto* mail = new TSxtMapiMail(nullptr);
    mail->Subject = Title;
    mail->Body = Address;
    mail->EditDialog = true;
    return sendAndRelease(mail);
}

bool CreateNewMail()
{
    return ProgramLauncher().openWithDesktop(QUrl(QStringLiteral("mailto:?subject=&body="), QUrl::StrictMode));
}
