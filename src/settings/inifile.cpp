#include "settings/inifile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

namespace {

constexpr char kUtf16LeBom[] = "\xFF\xFE";
constexpr char kUtf16BeBom[] = "\xFE\xFF";
constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

// Windows-1252 differs from Latin-1 only in 0x80..0x9F.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString DecodeCp1252(QByteArrayView bytes) {
  QString text;
  text.reserve(bytes.size());
  for (char byte : bytes) {
    const auto code = static_cast<unsigned char>(byte);
    text += (code >= 0x80 && code < 0xA0) ? QChar(kCp1252High[code - 0x80]) : QChar(code);
  }
  return text;
}

QString DecodeUtf16(QByteArrayView bytes, bool bigEndian) {
  // An odd trailing byte is half a character: it is dropped.
  QString text(bytes.size() / 2, Qt::Uninitialized);
  for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    text[i / 2] = bigEndian ? QChar(char16_t(first << 8 | second)) : QChar(char16_t(second << 8 | first));
  }
  return text;
}

QString DecodeText(QByteArrayView bytes) {
  if (bytes.startsWith(kUtf16LeBom)) return DecodeUtf16(bytes.sliced(2), false);
  if (bytes.startsWith(kUtf16BeBom)) return DecodeUtf16(bytes.sliced(2), true);
  if (bytes.startsWith(kUtf8Bom)) return QString::fromUtf8(bytes.sliced(3));
  // UTF-16 without a mark: text of this file starts with ASCII, so one of the
  // first two bytes is zero.
  if (bytes.size() >= 2 && bytes[0] != 0 && bytes[1] == 0) return DecodeUtf16(bytes, false);
  if (bytes.size() >= 2 && bytes[0] == 0 && bytes[1] != 0) return DecodeUtf16(bytes, true);
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8(bytes);
  if (!utf8.hasError()) return text;
  return DecodeCp1252(bytes);
}

}  // namespace

QStringList IniFile::Decode(const QByteArray& bytes) {
  const QString text = DecodeText(bytes);
  QStringList lines;
  qsizetype start = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c != '\r' && c != '\n') continue;
    lines << text.mid(start, i - start);
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines << text.mid(start);
  return lines;
}

QByteArray IniFile::Encode(const QStringList& lines) {
  QByteArray bytes(kUtf16LeBom, 2);
  for (const QString& line : lines) {
    for (QChar c : line + QStringLiteral("\r\n")) {
      bytes.append(static_cast<char>(c.unicode() & 0xFF));
      bytes.append(static_cast<char>(c.unicode() >> 8));
    }
  }
  return bytes;
}

IniFile::LoadResult IniFile::Load(const QString& path) {
  lines_.clear();
  QFile file(path);
  if (!file.exists()) return LoadResult::Missing;
  if (!file.open(QIODevice::ReadOnly) || file.size() > kMaximumSize) return LoadResult::Unreadable;
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) return LoadResult::Unreadable;
  lines_ = Decode(bytes);
  return LoadResult::Loaded;
}

bool IniFile::Save(const QString& path) const {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  file.write(Encode(lines_));
  return file.commit();
}

bool IniFile::IsSectionHeader(const QString& line) {
  const QString trimmed = line.trimmed();
  return trimmed.startsWith('[') && trimmed.endsWith(']');
}

std::optional<QString> IniFile::Lookup(const QString& sectionHeader, const QString& key) const {
  QString section;
  for (const QString& line : lines_) {
    if (IsSectionHeader(line)) {
      section = line.trimmed();
      continue;
    }
    const qsizetype equals = line.indexOf('=');
    if (equals >= 0 && section == sectionHeader && QStringView(line).left(equals) == key) return line.mid(equals + 1);
  }
  return std::nullopt;
}

void IniFile::Write(const QString& sectionHeader, const QString& key, const QString& value) {
  const QString newLine = key + '=' + value;
  QString section;
  for (QString& line : lines_) {
    if (IsSectionHeader(line)) {
      section = line.trimmed();
      continue;
    }
    const qsizetype equals = line.indexOf('=');
    if (equals >= 0 && section == sectionHeader && QStringView(line).left(equals) == key) {
      line = newLine;
      return;
    }
  }
  qsizetype header = -1;
  for (qsizetype i = 0; i < lines_.size() && header < 0; ++i)
    if (lines_[i].trimmed() == sectionHeader) header = i;
  if (header < 0) {
    lines_ << sectionHeader << newLine;
    return;
  }
  for (qsizetype i = header + 1; i < lines_.size(); ++i) {
    if (IsSectionHeader(lines_[i])) {
      lines_.insert(i, newLine);
      return;
    }
  }
  lines_ << newLine;
}
