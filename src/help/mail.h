// A mail for the desktop's mail program: the "mailto:" address with its
// subject and body, every character outside the unreserved set
// percent-encoded as UTF-8, line breaks as %0D%0A.
#pragma once

#include <QByteArray>
#include <QString>

QByteArray MailtoAddress(const QString& address, const QString& subject, const QString& body);
