#include "app/linkedit.h"

#include <QMouseEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolTip>

TLinkEdit::TLinkEdit(QWidget* parent) : QTextBrowser(parent) {
  setReadOnly(true);
  setOpenLinks(false);
  setMouseTracking(true);
  viewport()->setMouseTracking(true);
}

void TLinkEdit::SetRichText(const QString& markup) {
  const bool wasEnabled = isEnabled();
  setEnabled(false);
  richText_ = markup;
  markup::Colours colours;
  colours.url = UrlColor;
  colours.mail = MailColor;
  colours.custom = LinkColor;
  colours.buttonFace = palette().color(QPalette::Active, QPalette::Button);
  colours.workspace = palette().color(QPalette::Active, QPalette::Dark);
  parsed_ = markup::Parse(markup, colours);
  setPlainText(parsed_.text);
  QTextCursor cursor(document());
  const QFont base = font();
  for (const markup::Run& run : parsed_.runs) {
    QTextCharFormat format;
    format.setFontWeight(run.format.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(run.format.italic);
    format.setFontUnderline(run.format.underline);
    format.setFontStrikeOut(run.format.strikeOut);
    // The control is disabled while it is filled: its enabled colour.
    format.setForeground(run.format.colour.value_or(palette().color(QPalette::Active, QPalette::Text)));
    // Qt shows no size below one point.
    format.setFontPointSize(run.format.points ? std::max(1, *run.format.points) : base.pointSizeF());
    format.setFontFamilies({run.format.family.value_or(base.family())});
    cursor.setPosition(static_cast<int>(run.start));
    cursor.setPosition(static_cast<int>(run.start + run.length), QTextCursor::KeepAnchor);
    cursor.setCharFormat(format);
  }
  QTextBlock block = document()->begin();
  for (const markup::Align align : parsed_.paragraphs) {
    if (!block.isValid()) break;
    QTextBlockFormat format = block.blockFormat();
    format.setAlignment(align == markup::Align::Left     ? Qt::AlignLeft
                        : align == markup::Align::Right  ? Qt::AlignRight
                        : align == markup::Align::Center ? Qt::AlignHCenter
                                                         : alignment());
    QTextCursor(block).setBlockFormat(format);
    block = block.next();
  }
  setEnabled(wasEnabled);
}

const markup::Link* TLinkEdit::LinkAt(const QPoint& viewportPoint) const {
  const QTextCursor cursor = cursorForPosition(viewportPoint);
  // The character under the pointer, not the gap before it: the cursor
  // lands on the nearer edge of a character.
  const QRect before = cursorRect(cursor);
  qsizetype position = cursor.position();
  if (viewportPoint.x() < before.left() && position > 0 && !cursor.atBlockStart()) --position;
  return markup::LinkAt(parsed_, position);
}

void TLinkEdit::mouseMoveEvent(QMouseEvent* event) {
  QTextBrowser::mouseMoveEvent(event);
  const markup::Link* link = LinkAt(event->position().toPoint());
  const std::function<QString(const QString&)>* hint = nullptr;
  if (link)
    hint = link->kind == markup::LinkKind::Url    ? &OnUrlHint
           : link->kind == markup::LinkKind::Mail ? &OnMailHint
                                                  : &OnCustomLinkHint;
  if (link && ((hint && *hint) || UseInternalCursor)) {
    viewport()->setCursor(Qt::PointingHandCursor);
    if (hint && *hint) {
      const QString text = (*hint)(link->target);
      setToolTip(text);
      QToolTip::showText(event->globalPosition().toPoint(), text, this);
    }
    return;
  }
  viewport()->setCursor(UseInternalCursor ? Qt::ArrowCursor : Qt::IBeamCursor);
  setToolTip({});
  QToolTip::hideText();
}

void TLinkEdit::mouseReleaseEvent(QMouseEvent* event) {
  QTextBrowser::mouseReleaseEvent(event);
  const markup::Link* link = LinkAt(event->position().toPoint());
  if (!link) return;
  const auto& handler = link->kind == markup::LinkKind::Url    ? OnUrlClick
                        : link->kind == markup::LinkKind::Mail ? OnMailClick
                                                               : OnCustomLinkClick;
  if (handler) handler(link->target);
}
