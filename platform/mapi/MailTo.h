#pragma once
// mailto: addresses (RFC 6068) for handing a mail to the user's mail
// program. Every header value is percent-encoded as UTF-8, so that text
// holding "&", "?" or "#" cannot add recipients, headers or attachments.
#include <QString>

// The longest address a mail program can be started with: one argument of a
// program holds at most 128 KiB, its closing NUL included.
constexpr qsizetype kMaxMailToLength = 128 * 1024 - 1;

// "mailto:" + to + "?subject=" + subject + "&body=" + body, each part
// encoded; line breaks of the body (LF, CR, CR LF, U+2028, U+2029) become
// %0D%0A. An empty subject or body is left out.
QString MailToAddress(const QString& to, const QString& subject, const QString& body);
