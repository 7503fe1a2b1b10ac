#include "help/mail.h"

#include <QRegularExpression>
#include <QUrl>

namespace {

// Any line break, alone or paired, becomes CR LF before encoding.
QByteArray Encoded(QString text) {
  text.replace(QRegularExpression(QStringLiteral("\r\n|\r|\n")), QStringLiteral("\r\n"));
  return QUrl::toPercentEncoding(text);
}

}  // namespace

QByteArray MailtoAddress(const QString& address, const QString& subject, const QString& body) {
  return "mailto:" + QUrl::toPercentEncoding(address, "@") + "?subject=" + Encoded(subject) + "&body=" + Encoded(body);
}
