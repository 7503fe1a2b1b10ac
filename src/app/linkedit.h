// A read-only text filled from link mark-up (help/linkmarkup.h), whose links
// raise click and hint events.
#pragma once

#include <QTextBrowser>
#include <functional>

#include "help/linkmarkup.h"

class TLinkEdit : public QTextBrowser {
  Q_OBJECT

 public:
  explicit TLinkEdit(QWidget* parent = nullptr);

  void SetRichText(const QString& markup);
  const QString& RichText() const { return richText_; }

  QColor UrlColor = QColor(0, 0, 128), MailColor = QColor(0, 0, 128), LinkColor = QColor(0, 0, 128);
  bool UseInternalCursor = false;
  std::function<void(const QString& target)> OnUrlClick, OnMailClick, OnCustomLinkClick;
  std::function<QString(const QString& target)> OnUrlHint, OnMailHint, OnCustomLinkHint;

  // The link under a point of the viewport, or none.
  const markup::Link* LinkAt(const QPoint& viewportPoint) const;

 protected:
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QString richText_;
  markup::Parsed parsed_;
};
