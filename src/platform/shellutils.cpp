#include "platform/shellutils.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSettings>
#include <QStandardPaths>
#include <QSysInfo>
#include <QUrl>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace shell {
namespace {

QString ExistingFolder(QStandardPaths::StandardLocation location) {
  const QString path = QStandardPaths::writableLocation(location);
  if (path.isEmpty() || !QFileInfo(path).isDir()) return {};
  return QDir::cleanPath(path);
}

}  // namespace

QString PersonalFolder() {
  const QString documents = ExistingFolder(QStandardPaths::DocumentsLocation);
  return documents.isEmpty() ? QDir::cleanPath(QDir::homePath()) : documents;
}

QString PicturesFolder() {
  const QString pictures = ExistingFolder(QStandardPaths::PicturesLocation);
  return pictures.isEmpty() ? PersonalFolder() : pictures;
}

QString VideosFolder() {
  const QString videos = ExistingFolder(QStandardPaths::MoviesLocation);
  return videos.isEmpty() ? PersonalFolder() : videos;
}

QString CompanionExePath() {
  QSettings companion(QSettings::NativeFormat, QSettings::UserScope, "Orbelin", "Scenolog");
  const QVariant value = companion.value("Exename");
  return value.typeId() == QMetaType::QString ? value.toString() : QString();
}

SystemVersion CurrentSystemVersion() { return {QSysInfo::prettyProductName(), QSysInfo::kernelVersion()}; }

void RevealInExplorer(const QString& path) {
  const QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
  QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
                                                     "org.freedesktop.FileManager1", "ShowItems");
  call << QStringList{url.toString()} << QString();
  const QDBusConnection bus = QDBusConnection::sessionBus();
  if (bus.isConnected()) {
    const QDBusMessage reply = bus.call(call, QDBus::Block, 2000);
    if (reply.type() == QDBusMessage::ReplyMessage) return;
  }
  QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
}

bool OpenDocument(const QString& pathOrAddress) {
  QString target = pathOrAddress;
  if (target.endsWith(QChar(0xA9))) target.chop(1);
  if (target.isEmpty()) return false;
  const QUrl url = QFileInfo::exists(target) ? QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath())
                                             : QUrl(target, QUrl::TolerantMode);
  return url.isValid() && QDesktopServices::openUrl(url);
}

bool DeleteFileForced(const QString& path) {
  QFile file(path);
  if (!file.exists()) return false;
  file.setPermissions(file.permissions() | QFileDevice::WriteOwner | QFileDevice::WriteUser);
  return file.remove();
}

bool DeleteToRecycleBin(const QString& path) {
  if (!QFileInfo::exists(path)) return false;
  // The trash lives in the user's data folder, which a fresh account may not
  // have yet.
  QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
  return QFile::moveToTrash(path);
}

std::optional<int> ParseInteger(const QString& text) {
  const std::string digits = text.trimmed().toStdString();
  const char* first = digits.data();
  const char* last = first + digits.size();
  if (first != last && *first == '+') ++first;  // "+5" is a number too
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(first, last, value);
  if (error != std::errc() || end != last || first == last) return std::nullopt;
  return value;
}

std::optional<double> ParseReal(const QString& text) {
  std::string number = text.trimmed().toStdString();
  for (char& c : number)
    if (c == ',') c = '.';
  const char* first = number.data();
  const char* last = first + number.size();
  if (first != last && *first == '+') ++first;
  double value = 0.0;
  const auto [end, error] = std::from_chars(first, last, value);
  if (error != std::errc() || end != last || first == last || !std::isfinite(value)) return std::nullopt;
  return value;
}

int StrToIntOrZero(const QString& text) { return ParseInteger(text).value_or(0); }

double StrToFloatOrZero(const QString& text) { return ParseReal(text).value_or(0.0); }

QString FloatToText(double value) {
  char buffer[64];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  if (error != std::errc()) return QStringLiteral("0");
  // Stored numbers must read back on a machine of any language.
  return QString::fromLatin1(buffer, end - buffer);
}

void FitSizeToRatio(int& width, int& height, int a, int b) {
  if (a <= 0 || b <= 0) return;
  const std::int64_t widthTimesB = std::int64_t{width} * b;
  const std::int64_t heightTimesA = std::int64_t{height} * a;
  if (widthTimesB < heightTimesA)
    height = static_cast<int>(widthTimesB / a);
  else if (heightTimesA < widthTimesB)
    width = static_cast<int>(heightTimesA / b);
}

Rect FitRectToRatio(int a, int b, const Rect& source) {
  if (a <= 0 || b <= 0) return {source.left, source.top, source.left, source.top};
  const std::int64_t width = std::int64_t{source.right} - source.left;
  const std::int64_t height = std::int64_t{source.bottom} - source.top;
  Rect result = source;
  if (width * b < height * a) {
    const std::int64_t fittedHeight = width * b / a;
    result.top = static_cast<int>(source.top + (height - fittedHeight) / 2);
    result.bottom = static_cast<int>(result.top + fittedHeight);
  } else {
    const std::int64_t fittedWidth = height * a / b;
    result.left = static_cast<int>(source.left + (width - fittedWidth) / 2);
    result.right = static_cast<int>(result.left + fittedWidth);
  }
  return result;
}

QString TwoDigits(int value) { return (QStringLiteral("00") + QString::number(value)).right(2); }

}  // namespace shell
