#include "help/linkmarkup.h"

namespace markup {

namespace {

struct NamedColour {
  const char* name;
  int r, g, b;
};

constexpr NamedColour kColours[] = {
    {"RED", 255, 0, 0},        {"GREEN", 0, 128, 0},       {"YELLOW", 255, 255, 0},   {"BLUE", 0, 0, 255},
    {"BLACK", 0, 0, 0},        {"WHITE", 255, 255, 255},   {"AQUA", 0, 255, 255},     {"DKGRAY", 128, 128, 128},
    {"GRAY", 128, 128, 128},   {"OLIVE", 128, 128, 0},     {"PURPLE", 128, 0, 128},   {"FUCHSIA", 255, 0, 255},
    {"LIME", 0, 255, 0},       {"MAROON", 128, 0, 0},      {"NAVY", 0, 0, 128},       {"LTGRAY", 192, 192, 192},
    {"SILVER", 192, 192, 192}, {"MEDGRAY", 160, 160, 164}, {"TEAL", 0, 128, 128},     {"MONEYGREEN", 192, 220, 192},
    {"CREAM", 255, 251, 240},  {"SKYBLUE", 166, 202, 240},
};

std::optional<QColor> ColourNamed(const QString& name, const Colours& colours) {
  if (name == QLatin1String("BTNFACE")) return colours.buttonFace;
  if (name == QLatin1String("APPWORKSPACE")) return colours.workspace;
  for (const NamedColour& colour : kColours)
    if (name == QLatin1String(colour.name)) return QColor(colour.r, colour.g, colour.b);
  return std::nullopt;
}

class Builder {
 public:
  explicit Builder(const Colours& colours) : colours_(colours) { out_.paragraphs.push_back(Align::Control); }

  // A line break written in the mark-up is one too: it ends a paragraph,
  // as the widget will show it. A carriage return is left out.
  void Character(QChar c) {
    if (c == '\r') return;
    if (c == '\n' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator) {
      out_.text += '\n';
      out_.paragraphs.push_back(Align::Control);
      return;
    }
    out_.text += c;
  }

  void Tag(const QString& tag) {
    const qsizetype blank = tag.indexOf(' ');
    const QString name = (blank < 0 ? tag : tag.left(blank)).toUpper();
    const QString argument = blank < 0 ? QString() : tag.mid(blank + 1).trimmed();
    if (name == QLatin1String("BR")) {
      // The text before the break, the break included, keeps the format.
      out_.text += '\n';
      Close();
      const QString where = argument.toUpper();
      out_.paragraphs.back() = where == QLatin1String("LEFT")     ? Align::Left
                               : where == QLatin1String("RIGHT")  ? Align::Right
                               : where == QLatin1String("CENTER") ? Align::Center
                                                                  : Align::Control;
      out_.paragraphs.push_back(Align::Control);
      return;
    }
    Close();
    if (name == QLatin1String("B")) format_.bold = true;
    else if (name == QLatin1String("/B")) format_.bold = false;
    else if (name == QLatin1String("I")) format_.italic = true;
    else if (name == QLatin1String("/I")) format_.italic = false;
    else if (name == QLatin1String("U")) format_.underline = true;
    else if (name == QLatin1String("/U")) format_.underline = false;
    else if (name == QLatin1String("S")) format_.strikeOut = true;
    else if (name == QLatin1String("/S")) format_.strikeOut = false;
    else if (name == QLatin1String("COLOR")) {
      if (const auto colour = ColourNamed(argument.toUpper(), colours_)) format_.colour = colour;
    } else if (name == QLatin1String("/COLOR")) format_.colour.reset();
    else if (name == QLatin1String("SIZE")) {
      bool number = false;
      const int points = argument.toInt(&number);
      format_.points = number && points > 0 ? points : 0;
    } else if (name == QLatin1String("/SIZE")) format_.points.reset();
    else if (name == QLatin1String("FONT")) format_.family = argument;
    else if (name == QLatin1String("/FONT")) format_.family.reset();
    else if (name == QLatin1String("URL")) OpenLink(LinkKind::Url, argument, colours_.url);
    else if (name == QLatin1String("MAIL")) OpenLink(LinkKind::Mail, argument, colours_.mail);
    else if (name == QLatin1String("LINK")) OpenLink(LinkKind::Custom, argument, colours_.custom);
    else if (name == QLatin1String("/URL") || name == QLatin1String("/MAIL") || name == QLatin1String("/LINK"))
      CloseLink();
  }

  Parsed Finish() {
    Close();
    if (open_) out_.links.back().end = out_.text.size();
    return std::move(out_);
  }

 private:
  // The text since the last tag takes the current format.
  void Close() {
    const qsizetype end = out_.text.size();
    if (end == runStart_) return;
    if (!out_.runs.empty() && out_.runs.back().format == format_)
      out_.runs.back().length += end - runStart_;
    else
      out_.runs.push_back({runStart_, end - runStart_, format_});
    runStart_ = end;
  }
  void OpenLink(LinkKind kind, const QString& target, const QColor& colour) {
    if (open_) out_.links.back().end = out_.text.size();
    remembered_ = format_;
    format_.colour = colour;
    format_.underline = true;
    out_.links.push_back({kind, target, out_.text.size(), out_.text.size()});
    open_ = true;
  }
  void CloseLink() {
    if (!open_) return;
    out_.links.back().end = out_.text.size();
    open_ = false;
    format_.colour = remembered_.colour;
    format_.bold = remembered_.bold;
    format_.italic = remembered_.italic;
    format_.underline = remembered_.underline;
    format_.strikeOut = remembered_.strikeOut;
  }

  const Colours& colours_;
  Parsed out_;
  Format format_, remembered_;
  qsizetype runStart_ = 0;
  bool open_ = false;
};

}  // namespace

Parsed Parse(const QString& markup, const Colours& colours) {
  Builder builder(colours);
  QString tag;
  bool inTag = false;
  int lessThans = 0;  // met inside the open tag: shown once it closes
  for (const QChar c : markup) {
    if (!inTag) {
      if (c == '<') {
        inTag = true;
        tag.clear();
        lessThans = 0;
      } else {
        builder.Character(c);
      }
    } else if (c == '>') {
      inTag = false;
      for (; lessThans > 0; --lessThans) builder.Character('<');
      builder.Tag(tag);
    } else if (c == '<') {
      ++lessThans;  // shown as it is; the tag goes on
    } else {
      tag += c;
    }
  }
  // Nothing after a "<" never closed is shown.
  return builder.Finish();
}

const Link* LinkAt(const Parsed& parsed, qsizetype position) {
  for (const Link& link : parsed.links)
    if (position >= link.start && position < link.end) return &link;
  return nullptr;
}

}  // namespace markup
