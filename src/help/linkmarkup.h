// The mark-up of the link texts: "<B>gras</B><BR CENTER><URL https://…>ici</URL>".
// A parser only: mark-up in; the text shown, its format runs, the alignment
// of each paragraph and the links with their place out. The widget applies
// the result; nothing here is HTML.
#pragma once

#include <QColor>
#include <QString>
#include <optional>
#include <vector>

namespace markup {

enum class LinkKind { Url, Mail, Custom };
enum class Align { Control, Left, Right, Center };

// A character format: what is not set is the control's own.
struct Format {
  bool bold = false, italic = false, underline = false, strikeOut = false;
  std::optional<QColor> colour;
  std::optional<int> points;  // 0: the smallest size the widget can show
  std::optional<QString> family;
  bool operator==(const Format&) const = default;
};

struct Run {
  qsizetype start = 0, length = 0;
  Format format;
};

// A link from its first character up to, not including, `end`.
struct Link {
  LinkKind kind = LinkKind::Url;
  QString target;
  qsizetype start = 0, end = 0;
};

struct Colours {
  QColor url = QColor(0, 0, 128), mail = QColor(0, 0, 128), custom = QColor(0, 0, 128);
  QColor buttonFace = QColor(240, 240, 240);  // "BTNFACE", from the palette
  QColor workspace = QColor(171, 171, 171);   // "APPWORKSPACE"
};

struct Parsed {
  // A line break is one character, '\n'.
  QString text;
  std::vector<Run> runs;                 // adjacent, covering the whole text
  std::vector<Align> paragraphs;         // one per paragraph
  std::vector<Link> links;
};

// Linear in the mark-up's length whatever its shape. Text after a "<" that
// is never closed is not shown.
Parsed Parse(const QString& markup, const Colours& colours = {});

// The link at a character of the text, or none.
const Link* LinkAt(const Parsed& parsed, qsizetype position);

}  // namespace markup
