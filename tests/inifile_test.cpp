#include <gtest/gtest.h>

#include <QDir>

#include "settings/inifile.h"
#include "support/tempfolder.h"

namespace {

const QString kSection = "[\\Software\\Orbelin\\Tessivo]";

QByteArray Utf16(const QString& text, bool bigEndian) {
  QByteArray bytes = bigEndian ? QByteArray("\xFE\xFF", 2) : QByteArray("\xFF\xFE", 2);
  for (QChar c : text) {
    const char high = static_cast<char>(c.unicode() >> 8), low = static_cast<char>(c.unicode() & 0xFF);
    bytes.append(bigEndian ? high : low).append(bigEndian ? low : high);
  }
  return bytes;
}

IniFile WithLines(const QStringList& lines) {
  IniFile ini;
  ini.setLines(lines);
  return ini;
}

}  // namespace

TEST(IniFile, reads_every_encoding_an_editor_may_leave) {
  const QString text = "[Sec]\r\nDurée Incruster=7\r\nSigne=€\r\n";
  const QStringList expected = {"[Sec]", "Durée Incruster=7", "Signe=€"};
  EXPECT_EQ(IniFile::Decode(Utf16(text, false)), expected);
  EXPECT_EQ(IniFile::Decode(Utf16(text, true)), expected);
  EXPECT_EQ(IniFile::Decode(Utf16(text, false).mid(2)), expected);  // no mark
  EXPECT_EQ(IniFile::Decode(Utf16(text, true).mid(2)), expected);
  EXPECT_EQ(IniFile::Decode("\xEF\xBB\xBF" + text.toUtf8()), expected);
  EXPECT_EQ(IniFile::Decode(text.toUtf8()), expected);
  // The Western Windows code page: é is 0xE9, € is 0x80.
  EXPECT_EQ(IniFile::Decode("[Sec]\r\nDur\xE9"
                            "e Incruster=7\r\nSigne=\x80\r\n"),
            expected);
}

TEST(IniFile, splits_lines_at_any_line_end) {
  EXPECT_EQ(IniFile::Decode("a\nb\rc\r\nd"), (QStringList{"a", "b", "c", "d"}));
  EXPECT_EQ(IniFile::Decode("a\r\n\r\nb\r\n"), (QStringList{"a", "", "b"}));
  EXPECT_EQ(IniFile::Decode(""), QStringList{});
  // Half a UTF-16 character at the end of a cut file is dropped.
  EXPECT_EQ(IniFile::Decode(QByteArray("\xFF\xFE"
                                       "a\0=\0"
                                       "1\0\x32",
                                       9)),
            (QStringList{"a=1"}));
}

TEST(IniFile, writes_utf16_little_endian_with_mark_and_crlf) {
  const QByteArray expected(
      "\xFF\xFE"
      "[\0"
      "s\0"
      "]\0"
      "\r\0\n\0"
      "\xE9\0"
      "=\0"
      "\xAC\x20"
      "\r\0\n\0",
      22);
  EXPECT_EQ(IniFile::Encode({"[s]", "é=€"}), expected);
  EXPECT_EQ(IniFile::Decode(expected), (QStringList{"[s]", "é=€"}));
}

TEST(IniFile, lookup_takes_the_first_exact_match_in_its_section) {
  const IniFile ini = WithLines({
      "Volume=1",  // before any section
      "[Other]",
      "Volume=2",
      "  " + kSection + "  ",  // a header is recognised trimmed
      "volume=3",              // names are case-sensitive
      "Volume = 4",            // the name is the text before "=", spaces included
      "Volume= 5 ",
      "Volume=6",
      "Chemin=a=b",
  });
  EXPECT_EQ(ini.Lookup(kSection, "Volume"), " 5 ");
  EXPECT_EQ(ini.Lookup(kSection, "volume"), "3");
  EXPECT_EQ(ini.Lookup(kSection, "Volume "), " 4");
  EXPECT_EQ(ini.Lookup(kSection, "Chemin"), "a=b");
  EXPECT_EQ(ini.Lookup("[Other]", "Volume"), "2");
  EXPECT_FALSE(ini.Lookup(kSection, "Absent"));
  EXPECT_FALSE(ini.Lookup("[\\software\\orbelin\\tessivo]", "Volume"));
}

TEST(IniFile, writes_replace_or_insert_at_the_end_of_the_section) {
  // Replacing keeps the line's place.
  IniFile replaced = WithLines({kSection, "A=1", "B=2"});
  replaced.Write(kSection, "A", "9");
  EXPECT_EQ(replaced.lines(), (QStringList{kSection, "A=9", "B=2"}));

  // A following section: the new line goes just before it.
  IniFile followed = WithLines({"[First]", "X=1", kSection, "A=1", "", "[Next]", "A=2"});
  followed.Write(kSection, "B", "2");
  EXPECT_EQ(followed.lines(), (QStringList{"[First]", "X=1", kSection, "A=1", "", "B=2", "[Next]", "A=2"}));

  // The header is the last line: the new line comes right after it.
  IniFile headerLast = WithLines({"[First]", "X=1", kSection});
  headerLast.Write(kSection, "A", "1");
  EXPECT_EQ(headerLast.lines(), (QStringList{"[First]", "X=1", kSection, "A=1"}));

  // No such section: header and line are appended.
  IniFile noSection = WithLines({"[First]", "X=1"});
  noSection.Write(kSection, "A", "1");
  noSection.Write(kSection, "B", "2");
  EXPECT_EQ(noSection.lines(), (QStringList{"[First]", "X=1", kSection, "A=1", "B=2"}));

  // A key of the same name in another section is left alone.
  IniFile other = WithLines({"[Other]", "A=1", kSection});
  other.Write(kSection, "A", "2");
  EXPECT_EQ(other.lines(), (QStringList{"[Other]", "A=1", kSection, "A=2"}));
}

TEST(IniFile, load_tells_missing_from_unreadable_and_save_replaces_whole) {
  TempFolder folder;
  IniFile ini;
  EXPECT_EQ(ini.Load(folder.file("absent.ini")), IniFile::LoadResult::Missing);
  QDir(folder.path()).mkdir("folder.ini");
  EXPECT_EQ(ini.Load(folder.file("folder.ini")), IniFile::LoadResult::Unreadable);

  ini.setLines({kSection, "A=1"});
  ASSERT_TRUE(ini.Save(folder.file("saved.ini")));
  IniFile again;
  ASSERT_EQ(again.Load(folder.file("saved.ini")), IniFile::LoadResult::Loaded);
  EXPECT_EQ(again.lines(), ini.lines());
  EXPECT_FALSE(ini.Save(folder.file("no/such/folder/x.ini")));
  EXPECT_FALSE(QFile::exists(folder.file("no/such/folder/x.ini")));
}

TEST(IniFile, binary_content_survives_a_rewrite) {
  QByteArray binary;
  for (int i = 1; i < 256; ++i) binary.append(static_cast<char>(i));
  IniFile ini;
  ini.setLines(IniFile::Decode(binary));
  ini.Write(kSection, "A", "1");
  const QStringList reread = IniFile::Decode(IniFile::Encode(ini.lines()));
  EXPECT_EQ(reread, ini.lines());
  EXPECT_EQ(reread.last(), "A=1");
}
