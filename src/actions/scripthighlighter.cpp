#include "actions/scripthighlighter.h"

#include <QTextCharFormat>

namespace {

// A block ends inside a comment of one of the two kinds, or outside.
enum BlockState { kOutside = 0, kInBrace = 1, kInParenStar = 2 };

constexpr const char* kReservedWords[] = {
    "and",   "array", "begin",  "case",    "const",     "div",     "do",     "downto", "else", "end",
    "for",   "function", "if",  "in",      "mod",       "not",     "of",     "or",     "procedure", "program",
    "record", "repeat", "set",  "shl",     "shr",       "then",    "to",     "type",   "until", "var",
    "while", "xor",   "forward", "string", "widestring", "true",   "false",
};
constexpr const char* kRoutines[] = {"inttostr", "strtoint", "strtointdef", "length", "copy", "pos", "uppercase",
                                     "lowercase", "trim", "inc", "dec", "ord", "chr", "low", "high", "exit",
                                     "break", "continue", "result"};

QTextCharFormat Format(const QColor& colour, bool bold = false, bool italic = false) {
  QTextCharFormat format;
  format.setForeground(colour);
  if (bold) format.setFontWeight(QFont::Bold);
  format.setFontItalic(italic);
  return format;
}

bool IsWordStart(QChar c) { return c == '_' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsWordPart(QChar c) { return IsWordStart(c) || (c >= '0' && c <= '9'); }
bool IsHex(QChar c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

}  // namespace

TScriptHighlighter::TScriptHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {
  for (const char* name : kRoutines) routines_.insert(QString::fromLatin1(name));
}

void TScriptHighlighter::SetRoutineNames(const QStringList& names) {
  for (const QString& name : names) routines_.insert(name.toLower());
  rehighlight();
}

void TScriptHighlighter::highlightBlock(const QString& text) {
  const QTextCharFormat comment = Format(Qt::darkGreen, false, true);
  const QTextCharFormat number = Format(QColor(0, 0, 128));
  const QTextCharFormat string = Format(QColor(128, 0, 128));
  const QTextCharFormat symbol = Format(Qt::blue);
  const QTextCharFormat reserved = Format(QColor(128, 0, 0), true);
  QTextCharFormat statement;
  statement.setFontWeight(QFont::Bold);

  const qsizetype size = text.size();
  qsizetype i = 0;
  setCurrentBlockState(kOutside);
  // A comment left open on the line before.
  if (previousBlockState() == kInBrace || previousBlockState() == kInParenStar) {
    const bool brace = previousBlockState() == kInBrace;
    const qsizetype end = brace ? text.indexOf('}') : text.indexOf("*)");
    if (end < 0) {
      setFormat(0, static_cast<int>(size), comment);
      setCurrentBlockState(previousBlockState());
      return;
    }
    i = end + (brace ? 1 : 2);
    setFormat(0, static_cast<int>(i), comment);
  }
  while (i < size) {
    const QChar c = text[i];
    const qsizetype start = i;
    if (c.isSpace()) {
      ++i;
    } else if (c == '/' && i + 1 < size && text[i + 1] == '/') {
      setFormat(static_cast<int>(i), static_cast<int>(size - i), comment);
      return;
    } else if (c == '{' || (c == '(' && i + 1 < size && text[i + 1] == '*')) {
      const bool brace = c == '{';
      const qsizetype end = brace ? text.indexOf('}', i + 1) : text.indexOf("*)", i + 2);
      if (end < 0) {
        setFormat(static_cast<int>(i), static_cast<int>(size - i), comment);
        setCurrentBlockState(brace ? kInBrace : kInParenStar);
        return;
      }
      i = end + (brace ? 1 : 2);
      setFormat(static_cast<int>(start), static_cast<int>(i - start), comment);
    } else if (c == '\'' || c == '#') {
      while (i < size && (text[i] == '\'' || text[i] == '#')) {
        if (text[i] == '\'') {
          ++i;
          while (i < size && !(text[i] == '\'' && (i + 1 >= size || text[i + 1] != '\''))) i += text[i] == '\'' ? 2 : 1;
          if (i < size) ++i;
        } else {
          ++i;
          if (i < size && text[i] == '$') ++i;
          while (i < size && IsHex(text[i])) ++i;
        }
      }
      setFormat(static_cast<int>(start), static_cast<int>(i - start), string);
    } else if (c.isDigit() || (c == '$' && i + 1 < size && IsHex(text[i + 1]))) {
      ++i;
      while (i < size && IsHex(text[i])) ++i;
      setFormat(static_cast<int>(start), static_cast<int>(i - start), number);
    } else if (IsWordStart(c)) {
      while (i < size && IsWordPart(text[i])) ++i;
      const QString word = text.mid(start, i - start).toLower();
      bool isReserved = false;
      for (const char* reservedWord : kReservedWords) isReserved = isReserved || word == QLatin1String(reservedWord);
      if (isReserved)
        setFormat(static_cast<int>(start), static_cast<int>(i - start), reserved);
      else if (routines_.contains(word))
        setFormat(static_cast<int>(start), static_cast<int>(i - start), statement);
    } else {
      ++i;
      setFormat(static_cast<int>(start), 1, symbol);
    }
  }
}
