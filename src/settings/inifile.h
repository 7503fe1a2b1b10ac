// The portable preference file "Tessivo.ini": lines of text in sections, read
// in any of the encodings a user's editor may leave behind and always written
// back as UTF-16 little-endian with a byte-order mark and CR LF line ends.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

class IniFile {
 public:
  enum class LoadResult { Missing, Loaded, Unreadable };

  // Files larger than this are not preferences; they are left alone.
  static constexpr qint64 kMaximumSize = 16 * 1024 * 1024;

  // Replaces the lines with those of the file. An unreadable file leaves no
  // lines and must not be written over.
  LoadResult Load(const QString& path);

  // Writes every line through a temporary file renamed over the target, so a
  // failure never leaves a half-written file. False when nothing was written.
  bool Save(const QString& path) const;

  // The value of the first line named `key` inside the section whose header
  // line is `sectionHeader` ("[...]"): the text after the first "=", untrimmed.
  std::optional<QString> Lookup(const QString& sectionHeader, const QString& key) const;

  // Replaces the first matching line's value, or adds the line at the end of
  // its section, creating the section at the end of the file when needed.
  void Write(const QString& sectionHeader, const QString& key, const QString& value);

  const QStringList& lines() const { return lines_; }
  void setLines(QStringList lines) { lines_ = std::move(lines); }

  // Encoding detection (byte-order marks, then UTF-16 without a mark, then
  // UTF-8, else the Windows Western code page) and line splitting at CR LF,
  // LF or CR.
  static QStringList Decode(const QByteArray& bytes);
  static QByteArray Encode(const QStringList& lines);

 private:
  static bool IsSectionHeader(const QString& line);

  QStringList lines_;
};
