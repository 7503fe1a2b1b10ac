// Colours a script as its editor shows it: comments green italic, numbers
// navy, strings purple, symbols blue, reserved words maroon bold, and the
// names of the routines scripts call in bold.
#pragma once

#include <QSet>
#include <QSyntaxHighlighter>

class TScriptHighlighter : public QSyntaxHighlighter {
  Q_OBJECT

 public:
  explicit TScriptHighlighter(QTextDocument* document);
  // The routine names shown in bold, in any case.
  void SetRoutineNames(const QStringList& names);

 protected:
  void highlightBlock(const QString& text) override;

 private:
  QSet<QString> routines_;
};
