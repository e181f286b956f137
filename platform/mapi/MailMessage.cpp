#include "platform/mapi/MailMessage.h"

#include "platform/files/SafeFile.h"
#include "platform/registry/Profile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QRandomGenerator>

// GLib names a structure field "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gmime/gmime.h>
#pragma pop_macro("signals")

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

void initGMime()
{
    static std::once_flag once;
    std::call_once(once, [] { g_mime_init(); });
}

template <class T> struct GUnref {
    void operator()(T* object) const
    {
        if (object)
            g_object_unref(object);
    }
};
template <class T> using GPtr = std::unique_ptr<T, GUnref<T>>;

// Header texts come from pages (a title) and users; a line break in one
// would start a header of its own.
QByteArray headerText(const QString& text)
{
    QString clean = text;
    for (QChar& c : clean) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || (c.unicode() >= 0x80 && c.unicode() <= 0x9F))
            c = u' ';
    }
    return clean.trimmed().toUtf8();
}

QString shownName(const TMailAttachment& attachment)
{
    return attachment.name.isEmpty() ? QFileInfo(attachment.path).fileName() : attachment.name;
}

TMailResult failure(int code, const QString& detail) { return {code, detail}; }

QString systemError(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

void addMailbox(GMimeMessage* message, GMimeAddressType type, const QString& name, const QString& address)
{
    const QByteArray addr = headerText(address);
    if (addr.isEmpty())
        return;
    const QByteArray shown = headerText(name);
    InternetAddress* mailbox = internet_address_mailbox_new(
        shown.isEmpty() || shown == addr ? nullptr : shown.constData(), addr.constData());
    internet_address_set_charset(mailbox, "utf-8");
    internet_address_list_add(g_mime_message_get_addresses(message, type), mailbox);
    g_object_unref(mailbox);
}

// The safe writer as a C stream, for GMime's file stream: GMime writes
// through it piece by piece, so the message is never held whole. That
// stream seeks to where it is before each write, which is all it may do.
struct WriterCookie {
    SafeFileWriter* writer;
    off64_t position = 0;
};

ssize_t cookieWrite(void* cookie, const char* data, size_t size)
{
    auto* out = static_cast<WriterCookie*>(cookie);
    if (!out->writer->Write(data, size))
        return -1;
    out->position += static_cast<off64_t>(size);
    return static_cast<ssize_t>(size);
}

int cookieSeek(void* cookie, off64_t* offset, int whence)
{
    auto* out = static_cast<WriterCookie*>(cookie);
    const off64_t target = whence == SEEK_SET ? *offset : whence == SEEK_CUR ? out->position + *offset : -1;
    if (target != out->position) {
        errno = ESPIPE;
        return -1;
    }
    *offset = target;
    return 0;
}

GMimePart* attachmentPart(const TMailAttachment& attachment, TMailResult& result)
{
    const QByteArray path = QFile::encodeName(attachment.path);
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        result = failure(
            error == ENOENT || error == ENOTDIR ? MAPI_E_ATTACHMENT_NOT_FOUND : MAPI_E_ATTACHMENT_OPEN_FAILURE,
            attachment.path + QStringLiteral(": ") + systemError(error));
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        result = failure(MAPI_E_ATTACHMENT_OPEN_FAILURE, attachment.path + QStringLiteral(": not a file"));
        return nullptr;
    }
    const QString name = shownName(attachment);
    static const QMimeDatabase mimeTypes;
    const QByteArray type = mimeTypes.mimeTypeForFile(name, QMimeDatabase::MatchExtension).name().toLatin1();
    const int slash = type.indexOf('/');
    GMimePart* part = g_mime_part_new_with_type(slash > 0 ? type.left(slash).constData() : "application",
        slash > 0 ? type.mid(slash + 1).constData() : "octet-stream");
    GPtr<GMimeStream> stream(g_mime_stream_fs_new(fd));
    GPtr<GMimeDataWrapper> content(g_mime_data_wrapper_new_with_stream(stream.get(), GMIME_CONTENT_ENCODING_DEFAULT));
    g_mime_part_set_content(part, content.get());
    g_mime_part_set_content_encoding(part, GMIME_CONTENT_ENCODING_BASE64);
    g_mime_object_set_disposition(GMIME_OBJECT(part), GMIME_DISPOSITION_ATTACHMENT);
    g_mime_part_set_filename(part, headerText(name).constData());
    // Encoded names go as UTF-8, which every reader decodes, rather than
    // GMime's narrowest charset.
    GMimeParam* parameters[]
        = {g_mime_param_list_get_parameter(
               g_mime_content_disposition_get_parameters(g_mime_object_get_content_disposition(GMIME_OBJECT(part))),
               "filename"),
            g_mime_param_list_get_parameter(
                g_mime_content_type_get_parameters(g_mime_object_get_content_type(GMIME_OBJECT(part))), "name")};
    for (GMimeParam* parameter : parameters) {
        if (parameter)
            g_mime_param_set_charset(parameter, "utf-8");
    }
    return part;
}

// Copies one file through the safe writer in pieces.
TMailResult copyFile(const QString& source, const QString& target)
{
    const int fd = ::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        return failure(
            error == ENOENT || error == ENOTDIR ? MAPI_E_ATTACHMENT_NOT_FOUND : MAPI_E_ATTACHMENT_OPEN_FAILURE,
            source + QStringLiteral(": ") + systemError(error));
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return failure(MAPI_E_ATTACHMENT_OPEN_FAILURE, source + QStringLiteral(": not a file"));
    }
    SafeFileWriter writer(QFile::encodeName(target).toStdString(), SafeFileWriter::Existing::Replace);
    TMailResult result;
    if (!writer.Open()) {
        result = failure(errno == ENOSPC ? MAPI_E_DISK_FULL : MAPI_E_ATTACHMENT_WRITE_FAILURE,
            target + QStringLiteral(": ") + systemError(errno));
    } else {
        std::vector<char> buffer(256 * 1024);
        for (;;) {
            const ssize_t got = ::read(fd, buffer.data(), buffer.size());
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                result = failure(MAPI_E_ATTACHMENT_OPEN_FAILURE, source + QStringLiteral(": ") + systemError(errno));
                break;
            }
            if (got == 0) {
                if (!writer.Commit())
                    result = failure(errno == ENOSPC ? MAPI_E_DISK_FULL : MAPI_E_ATTACHMENT_WRITE_FAILURE,
                        target + QStringLiteral(": ") + systemError(errno));
                break;
            }
            if (!writer.Write(buffer.data(), static_cast<size_t>(got))) {
                result = failure(errno == ENOSPC ? MAPI_E_DISK_FULL : MAPI_E_ATTACHMENT_WRITE_FAILURE,
                    target + QStringLiteral(": ") + systemError(errno));
                break;
            }
        }
    }
    ::close(fd);
    return result;
}

bool isInside(const QString& path, const QString& folder)
{
    const QString file = QFileInfo(path).absoluteFilePath();
    const QString root = QDir(folder).absolutePath() + u'/';
    return file.startsWith(root);
}

} // namespace

TMailResult WriteMailMessage(const TMailMessage& message, const QString& emlPath)
{
    initGMime();
    GPtr<GMimeMessage> mail(g_mime_message_new(TRUE));
    if (!message.senderAddress.trimmed().isEmpty())
        addMailbox(mail.get(), GMIME_ADDRESS_TYPE_FROM, message.senderName, message.senderAddress);
    for (const TMailRecipient& recipient : message.recipients) {
        const GMimeAddressType type = recipient.kind == TMailRecipientKind::Cc ? GMIME_ADDRESS_TYPE_CC
            : recipient.kind == TMailRecipientKind::Bcc                        ? GMIME_ADDRESS_TYPE_BCC
                                                                               : GMIME_ADDRESS_TYPE_TO;
        addMailbox(mail.get(), type, recipient.name, recipient.address);
    }
    g_mime_message_set_subject(mail.get(), headerText(message.subject).constData(), "utf-8");
    GDateTime* now = g_date_time_new_now_local();
    g_mime_message_set_date(mail.get(), now);
    g_date_time_unref(now);
    char* id = g_mime_utils_generate_message_id("zarnweb.localhost");
    g_mime_message_set_message_id(mail.get(), id);
    g_free(id);
    if (message.requestReceipt && !message.senderAddress.trimmed().isEmpty()) {
        InternetAddressList* from = g_mime_message_get_from(mail.get());
        char* receiptTo = internet_address_list_to_string(from, nullptr, TRUE);
        g_mime_object_set_header(GMIME_OBJECT(mail.get()), "Disposition-Notification-To", receiptTo, "utf-8");
        g_free(receiptTo);
    }

    // UTF-8 whatever the text holds: GMime's own choice would be the
    // narrowest charset, which some readers guess wrong on a reply.
    GPtr<GMimeTextPart> text(g_mime_text_part_new_with_subtype("plain"));
    QString body = message.body;
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    const QByteArray utf8 = body.toUtf8();
    GPtr<GMimeStream> bodyStream(g_mime_stream_mem_new_with_buffer(utf8.constData(), static_cast<size_t>(utf8.size())));
    GPtr<GMimeDataWrapper> bodyContent(
        g_mime_data_wrapper_new_with_stream(bodyStream.get(), GMIME_CONTENT_ENCODING_DEFAULT));
    g_mime_part_set_content(GMIME_PART(text.get()), bodyContent.get());
    g_mime_text_part_set_charset(text.get(), "utf-8");
    // Text a person can still read in the raw file: quoted-printable
    // rather than the base64 GMime picks for short non-ASCII text.
    const GMimeContentEncoding best
        = g_mime_part_get_best_content_encoding(GMIME_PART(text.get()), GMIME_ENCODING_CONSTRAINT_7BIT);
    g_mime_part_set_content_encoding(
        GMIME_PART(text.get()), best == GMIME_CONTENT_ENCODING_BASE64 ? GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE : best);

    if (message.attachments.empty()) {
        g_mime_message_set_mime_part(mail.get(), GMIME_OBJECT(text.get()));
    } else {
        GPtr<GMimeMultipart> mixed(g_mime_multipart_new_with_subtype("mixed"));
        g_mime_multipart_add(mixed.get(), GMIME_OBJECT(text.get()));
        for (const TMailAttachment& attachment : message.attachments) {
            TMailResult result;
            GPtr<GMimePart> part(attachmentPart(attachment, result));
            if (!part)
                return result;
            g_mime_multipart_add(mixed.get(), GMIME_OBJECT(part.get()));
        }
        g_mime_message_set_mime_part(mail.get(), GMIME_OBJECT(mixed.get()));
    }

    SafeFileWriter writer(QFile::encodeName(emlPath).toStdString());
    if (!writer.Open())
        return failure(
            errno == ENOSPC ? MAPI_E_DISK_FULL : MAPI_E_FAILURE, emlPath + QStringLiteral(": ") + systemError(errno));
    WriterCookie cookie{&writer};
    cookie_io_functions_t functions{nullptr, &cookieWrite, &cookieSeek, nullptr};
    FILE* file = fopencookie(&cookie, "w", functions);
    if (!file)
        return failure(MAPI_E_FAILURE, emlPath + QStringLiteral(": ") + systemError(errno));
    std::setvbuf(file, nullptr, _IOFBF, 256 * 1024);
    GPtr<GMimeStream> out(g_mime_stream_file_new(file));
    g_mime_stream_file_set_owner(GMIME_STREAM_FILE(out.get()), FALSE);
    GMimeFormatOptions* options = g_mime_format_options_new();
    g_mime_format_options_set_newline_format(options, GMIME_NEWLINE_FORMAT_DOS);
    g_mime_format_options_set_param_encoding_method(options, GMIME_PARAM_ENCODING_METHOD_RFC2231);
    errno = 0;
    const ssize_t written = g_mime_object_write_to_stream(GMIME_OBJECT(mail.get()), options, out.get());
    const bool flushed = g_mime_stream_flush(out.get()) == 0 && std::fflush(file) == 0;
    const int writeError = errno;
    g_mime_format_options_free(options);
    out.reset();
    std::fclose(file);
    if (written < 0 || !flushed) {
        // A part whose file could not be read, or the target's disk.
        return failure(writeError == ENOSPC ? MAPI_E_DISK_FULL : MAPI_E_FAILURE,
            emlPath + QStringLiteral(": ") + systemError(writeError ? writeError : EIO));
    }
    if (!writer.Commit())
        return failure(
            errno == ENOSPC ? MAPI_E_DISK_FULL : MAPI_E_FAILURE, emlPath + QStringLiteral(": ") + systemError(errno));
    return {};
}

QString OutboxFolder() { return QDir(ProfileFolder()).filePath(QStringLiteral("Outbox")); }

QString NewOutboxMessageFolder()
{
    const QString outbox = OutboxFolder();
    if (!QDir().mkpath(outbox))
        return {};
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString name = stamp + u'-'
            + QString::number(QRandomGenerator::global()->generate() & 0xFFFFFF, 16).rightJustified(6, u'0');
        const QString folder = QDir(outbox).filePath(name);
        if (::mkdir(QFile::encodeName(folder).constData(), 0700) == 0)
            return folder;
        if (errno != EEXIST)
            return {};
    }
    return {};
}

int PruneOutbox(int maxAgeDays)
{
    const QDateTime limit = QDateTime::currentDateTimeUtc().addDays(-maxAgeDays);
    int removed = 0;
    const QFileInfoList folders
        = QDir(OutboxFolder()).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::NoSymLinks);
    for (const QFileInfo& folder : folders) {
        if (folder.lastModified().toUTC() < limit && QDir(folder.absoluteFilePath()).removeRecursively())
            ++removed;
    }
    return removed;
}

TMailResult WriteOutboxMessage(const TMailMessage& message, const QString& folder, TMailMessage& written)
{
    written = message;
    for (std::size_t i = 0; i < message.attachments.size(); ++i) {
        const TMailAttachment& attachment = message.attachments[i];
        TMailAttachment& copy = written.attachments[i];
        copy.name = shownName(attachment);
        if (isInside(attachment.path, folder))
            continue;
        const QString place = QDir(folder).filePath(QString::number(i + 1));
        if (!QDir().mkpath(place))
            return failure(MAPI_E_ATTACHMENT_WRITE_FAILURE, place);
        const QString safeName = QString::fromStdString(
            SafeFileName(copy.name.toStdString(), QFileInfo(attachment.path).fileName().toStdString()));
        copy.path = QDir(place).filePath(safeName);
        const TMailResult copied = copyFile(attachment.path, copy.path);
        if (copied.code != SUCCESS_SUCCESS)
            return copied;
    }
    return WriteMailMessage(written, QDir(folder).filePath(QStringLiteral("message.eml")));
}

QStringList XdgEmailArguments(const TMailMessage& message)
{
    QStringList arguments{QStringLiteral("--utf8")};
    for (const TMailRecipient& recipient : message.recipients) {
        const QString address = QString::fromUtf8(headerText(recipient.address));
        if (address.isEmpty())
            continue;
        const char* option = recipient.kind == TMailRecipientKind::Cc ? "--cc"
            : recipient.kind == TMailRecipientKind::Bcc               ? "--bcc"
                                                                      : "--to";
        arguments << QString::fromLatin1(option) << address;
    }
    const QString subject = QString::fromUtf8(headerText(message.subject));
    if (!subject.isEmpty())
        arguments << QStringLiteral("--subject") << subject;
    if (!message.body.isEmpty())
        arguments << QStringLiteral("--body") << message.body;
    for (const TMailAttachment& attachment : message.attachments)
        arguments << QStringLiteral("--attach") << attachment.path;
    return arguments;
}

int MapXdgEmailExit(int exitStatus)
{
    switch (exitStatus) {
    case 0:
        return SUCCESS_SUCCESS;
    case 2:
        return MAPI_E_ATTACHMENT_NOT_FOUND;
    case 5:
        return MAPI_E_ATTACHMENT_OPEN_FAILURE;
    default:
        return MAPI_E_FAILURE;
    }
}

int RunInOwnSession(const QString& program, const QStringList& arguments)
{
    std::vector<QByteArray> storage;
    storage.push_back(QFile::encodeName(program));
    for (const QString& argument : arguments)
        storage.push_back(argument.toUtf8());
    std::vector<char*> argv;
    for (QByteArray& argument : storage)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (spawned != 0)
        return -1;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
}

THandOver HandOverMessage(const TMailMessage& message, const QString& emlPath)
{
    THandOver result;
    const int status = RunInOwnSession(QStringLiteral("xdg-email"), XdgEmailArguments(message));
    result.code = MapXdgEmailExit(status);
    if (result.code != MAPI_E_FAILURE)
        return result;
    if (RunInOwnSession(QStringLiteral("xdg-open"), {emlPath}) == 0)
        result.openedMessageFile = true;
    else
        result.noMailProgram = true;
    return result;
}
