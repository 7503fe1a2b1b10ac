// The script window: an editor whose text is a script (and, while a macro is
// recorded, the macro itself), the messages of its compilation and run, the
// macro buttons, and the file manager's commands.
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolBar>
#include <functional>

#include "actions/filemanager.h"
#include "actions/obscript.h"
#include "actions/scripthighlighter.h"

// The colour behind the script window and the help panels.
QColor WorkspaceColour();

class TScriptForm : public QMainWindow {
  Q_OBJECT

 public:
  TScriptForm(TActionContext& context, TOBScript& script, const QString& fullTitle, QWidget* parent = nullptr);
  ~TScriptForm() override;

  // Shows, lays out and raises the window.
  void ShowForm();

  // The commands of the window's own list, and of its file manager.
  TRectAction* raScriptFormSave;
  TNopeAction* naExecuteMacro;
  TNopeAction* naStartMacro;
  TNopeAction* naStopMacro;
  TCustomOBActionList& list() { return list_; }
  TFileManager& ficman() { return ficman_; }

  QPlainTextEdit* Editor;
  QPlainTextEdit* Memo;
  QToolBar* ScriptBar;
  QLabel* statusName;   // panel 0
  QLabel* statusState;  // panel 1

  // Closing the window (the application manager unchecks its command).
  std::function<void()> onClosed;
  // Opens the help window.
  std::function<void()> onHelp;

  static QStringList DefaultScript();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void naStartMacroAfterApply();
  void naStopMacroAfterApply();
  void naExecuteMacroAfterApply();
  void ficman_scriptNewFile();
  void ficman_scriptOpenFile(const QString& path);
  void ficman_scriptSaveFile(const QString& path);
  void EditorChange();
  void FormResize();
  void SetEditorColour(const QColor& colour);
  void SetMemoColour(const QColor& colour);
  void ShowStatus(const QString& state);
  void SetText(const QString& text);
  void BuildMenus();

  TActionContext& context_;
  TOBScript& script_;
  TCustomOBActionList list_;
  TFileManager ficman_;
  TScriptHighlighter* highlighter_;
  QWidget* panel_;
  QWidget* separator_ = nullptr;
  QMenu* recentMenu_ = nullptr;
  bool settingText_ = false;  // the editor's text is being replaced, not edited
  bool closePending_ = false;
  int attachment_ = 0;  // of the window's commands to the script component
};
