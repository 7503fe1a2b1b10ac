#include "app/scriptform.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLocale>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QScrollBar>
#include <QStatusBar>
#include <QUrl>
#include <QVBoxLayout>

#include "app/commandicon.h"
#include "platform/shellutils.h"
#include "texts.h"

namespace {

constexpr int kButtonSize = 37;
constexpr int kMemoHeight = 49;
constexpr int kMargin = 8;
constexpr int kStatePanelWidth = 120;
constexpr int kEditorPixels = 17;

QString Text(const char* text) { return QString::fromUtf8(text); }

// Files a drag or the clipboard carries, as the desktop's file manager puts
// them (text/uri-list).
QStringList LocalFiles(const QMimeData* data) {
  QStringList files;
  if (!data || !data->hasUrls()) return files;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) files << url.toLocalFile();
  return files;
}

}  // namespace

QColor WorkspaceColour() { return QColor(0xAB, 0xAB, 0xAB); }

QStringList TScriptForm::DefaultScript() {
  return {Text(texts::kScriptDefault1), Text(texts::kScriptDefault2), "begin", "", "end."};
}

TScriptForm::TScriptForm(TActionContext& context, TOBScript& script, const QString& fullTitle, QWidget* parent)
    : QMainWindow(parent), context_(context), script_(script), ficman_(context, this) {
  setObjectName("ScriptForm");
  setWindowTitle(Text(texts::kScriptWindowTitle) + fullTitle);
  QPalette backdrop = palette();
  backdrop.setColor(QPalette::Window, WorkspaceColour());
  setPalette(backdrop);
  setAutoFillBackground(true);

  // The window's own commands.
  raScriptFormSave = new TRectAction(context, this);
  raScriptFormSave->InternalId = "raScriptFormSave";
  raScriptFormSave->ScriptName = Text(texts::kScriptFormSave);
  raScriptFormSave->setText(Text(texts::kScriptFormSave));
  raScriptFormSave->ApplyWhenLoad = true;
  raScriptFormSave->DefaultValue = {300, 300, 1100, 860};
  raScriptFormSave->SetQuietly(raScriptFormSave->DefaultValue);
  raScriptFormSave->InternalApply = [this] { setGeometry(raScriptFormSave->value().ToQRect()); };
  raScriptFormSave->InternalBeforeSave = [this](TRectValue& value) { value = TRectValue::FromQRect(geometry()); };
  const auto macroCommand = [this, &context](const char* id, const char* caption, const char* hint, Qt::Key key,
                                             void (TScriptForm::*afterApply)()) {
    auto* action = new TNopeAction(context, this);
    action->InternalId = QString::fromLatin1(id);
    action->setText(Text(caption));
    action->setToolTip(Text(hint));
    action->setShortcut(QKeySequence(key));
    action->OnAfterApply = [this, afterApply] { (this->*afterApply)(); };
    return action;
  };
  naExecuteMacro = macroCommand("naExecuteMacro", texts::kScriptExecute, texts::kScriptExecuteHint, Qt::Key_F5,
                                &TScriptForm::naExecuteMacroAfterApply);
  naExecuteMacro->ScriptName = "ExecuteMacro";
  naStartMacro = macroCommand("naStartMacro", texts::kScriptStart, texts::kScriptStartHint, Qt::Key_F3,
                              &TScriptForm::naStartMacroAfterApply);
  naStopMacro = macroCommand("naStopMacro", texts::kScriptStop, texts::kScriptStopHint, Qt::Key_F4,
                             &TScriptForm::naStopMacroAfterApply);
  for (TCustomAbstractAction* action :
       std::initializer_list<TCustomAbstractAction*>{raScriptFormSave, naExecuteMacro, naStartMacro, naStopMacro}) {
    list_.Add(action);
    addAction(action);
  }
  for (TCustomAbstractAction* action : ficman_.list().actions()) addAction(action);

  // The file manager's steps and the desktop it asks.
  ficman_.OnNewFile = [this] { ficman_scriptNewFile(); };
  ficman_.OnOpenFile = [this](const QString& path) { ficman_scriptOpenFile(path); };
  ficman_.OnSaveFile = [this](const QString& path) { ficman_scriptSaveFile(path); };
  ficman_.OnBeforeChange = [this] {
    if (context_.macro.active()) naStopMacro->ApplyAction();
  };
  ficman_.askYesNo = [this](const QString& question) {
    return QMessageBox::warning(this, windowTitle(), question, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
  };
  ficman_.chooseOpen = [this] {
    return QFileDialog::getOpenFileName(this, Text(texts::kFileChooseOpen), ficman_.waInitialDir->value(),
                                        Text(texts::kScriptOpenFilter));
  };
  ficman_.chooseSave = [this] {
    QFileDialog dialog(this, Text(texts::kFileChooseTarget), ficman_.waInitialDir->value(),
                       Text(texts::kScriptOpenFilter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(ficman_.DefaultExt.mid(1));
    // The file manager asks before overwriting, with its own words.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first()
                                                                                  : QString();
  };
  ficman_.clipboardFiles = [] { return LocalFiles(QApplication::clipboard()->mimeData()); };
  ficman_.reveal = [](const QString& path) { shell::RevealInExplorer(path); };

  // The tool bar: file commands, a stretch, help and close.
  ScriptBar = addToolBar(Text(texts::kScriptMenu));
  ScriptBar->setObjectName("ScriptBar");
  ScriptBar->setMovable(false);
  ScriptBar->setIconSize(QSize(24, 24));
  const auto button = [this](QAction* action, const QString& icon) {
    action->setIcon(CommandIcon(icon, 24));
    ScriptBar->addAction(action);
    if (QWidget* widget = ScriptBar->widgetForAction(action)) widget->setFixedSize(kButtonSize, kButtonSize);
  };
  button(ficman_.naNewFile, "naNewFile");
  button(ficman_.waOpenFile, "waOpenFile");
  button(ficman_.naPasteFile, "naPasteFile");
  button(ficman_.naSaveFile, "naSaveFile");
  button(ficman_.naParentFolder, "naParentFolder");
  separator_ = new QWidget(ScriptBar);
  separator_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  ScriptBar->addWidget(separator_);
  auto* help = new QAction(Text(texts::kScriptShowHelp), this);
  connect(help, &QAction::triggered, this, [this] {
    if (onHelp) onHelp();
  });
  button(help, "acHelp");
  auto* closePage = new QAction(Text(texts::kScriptClose), this);
  closePage->setToolTip(Text(texts::kScriptClosePageHint));
  connect(closePage, &QAction::triggered, this, &QWidget::close);
  button(closePage, "naClosePage");

  auto* central = new QWidget(this);
  setCentralWidget(central);
  Editor = new QPlainTextEdit(central);
  Editor->setObjectName("Editor");
  QFont mono(QStringLiteral("Liberation Mono"));
  mono.setStyleHint(QFont::Monospace);
  mono.setPixelSize(kEditorPixels);
  Editor->setFont(mono);
  Editor->setLineWrapMode(QPlainTextEdit::NoWrap);
  Editor->setAcceptDrops(true);
  Editor->viewport()->setAcceptDrops(true);
  Editor->installEventFilter(this);
  Editor->viewport()->installEventFilter(this);
  highlighter_ = new TScriptHighlighter(Editor->document());
  connect(Editor, &QPlainTextEdit::textChanged, this, [this] { EditorChange(); });
  Memo = new QPlainTextEdit(central);
  Memo->setObjectName("Memo");
  Memo->setReadOnly(true);
  Memo->setFixedHeight(kMemoHeight);

  panel_ = new QWidget(central);
  panel_->setObjectName("Panel");
  auto* panelLayout = new QVBoxLayout(panel_);
  auto* macros = new QGroupBox(Text(texts::kScriptMacroMenu), panel_);
  auto* macrosLayout = new QVBoxLayout(macros);
  for (QAction* action : {static_cast<QAction*>(naStartMacro), static_cast<QAction*>(naStopMacro)}) {
    auto* push = new QPushButton(action->text(), macros);
    push->setToolTip(action->toolTip());
    connect(push, &QPushButton::clicked, action, &QAction::trigger);
    macrosLayout->addWidget(push);
  }
  panelLayout->addWidget(macros);
  auto* execute = new QPushButton(naExecuteMacro->text(), panel_);
  execute->setToolTip(naExecuteMacro->toolTip());
  connect(execute, &QPushButton::clicked, naExecuteMacro, &QAction::trigger);
  panelLayout->addWidget(execute);
  panel_->adjustSize();

  statusName = new QLabel(this);
  statusName->setAlignment(Qt::AlignCenter);
  statusState = new QLabel(this);
  statusState->setFixedWidth(kStatePanelWidth);
  statusBar()->addWidget(statusName, 1);
  statusBar()->addPermanentWidget(statusState);

  BuildMenus();
  ficman_.OnRecentChanged = [this] { BuildMenus(); };
  // Scripts call the window's persistable commands by their script names,
  // so that a recorded macro replays.
  attachment_ = script_.Attach([this] { return list_.ScriptProcedures() + ficman_.list().ScriptProcedures(); });
  ficman_.New();
  // Esc stops a running script; a script that runs keeps the window alive.
  qApp->installEventFilter(this);
}

TScriptForm::~TScriptForm() { script_.Detach(attachment_); }

void TScriptForm::BuildMenus() {
  menuBar()->clear();
  QMenu* scripts = menuBar()->addMenu(Text(texts::kScriptMenu));
  scripts->addActions({ficman_.naNewFile, ficman_.waOpenFile, ficman_.naPasteFile, ficman_.naSaveFile,
                       ficman_.waSaveFileAs});
  scripts->addSeparator();
  scripts->addAction(ficman_.naParentFolder);
  scripts->addSeparator();
  for (int i = 0; i < TFileManager::kRecentShown; ++i) scripts->addAction(ficman_.naRecent[i]);
  scripts->addSeparator();
  QAction* help = scripts->addAction(Text(texts::kScriptShowHelp));
  connect(help, &QAction::triggered, this, [this] {
    if (onHelp) onHelp();
  });
  QAction* close = scripts->addAction(Text(texts::kScriptClose));
  close->setToolTip(Text(texts::kScriptClosePageHint));
  connect(close, &QAction::triggered, this, &QWidget::close);
  QMenu* macros = menuBar()->addMenu(Text(texts::kScriptMacroMenu));
  macros->addActions({naStartMacro, naStopMacro, naExecuteMacro});
}

void TScriptForm::ShowForm() {
  highlighter_->SetRoutineNames(script_.RoutineNames());
  show();
  FormResize();
  raise();
  activateWindow();
}

void TScriptForm::SetEditorColour(const QColor& colour) {
  QPalette p = Editor->palette();
  p.setColor(QPalette::Base, colour);
  Editor->setPalette(p);
}

void TScriptForm::SetMemoColour(const QColor& colour) {
  QPalette p = Memo->palette();
  p.setColor(QPalette::Base, colour);
  Memo->setPalette(p);
}

void TScriptForm::ShowStatus(const QString& state) {
  statusName->setText(QFileInfo(ficman_.currentFile()).fileName());
  statusState->setText(state);
}

void TScriptForm::SetText(const QString& text) {
  settingText_ = true;
  Editor->setPlainText(text);
  settingText_ = false;
}

// --- Macros ---------------------------------------------------------------------

void TScriptForm::naStartMacroAfterApply() {
  Memo->clear();
  SetMemoColour(WorkspaceColour());
  SetEditorColour(Qt::white);
  context_.macro.Start([this](const QString& line) { Editor->appendPlainText(line); });
  SetText({});
  const QLocale locale;
  const QDateTime now = QDateTime::currentDateTime();
  Editor->setPlainText(Text(texts::kScriptMacroHeader) + locale.toString(now.date(), QLocale::LongFormat) +
                       Text(texts::kScriptMacroAt) + locale.toString(now.time(), QLocale::LongFormat));
  Editor->appendPlainText({});
  Editor->appendPlainText("begin");
}

void TScriptForm::naStopMacroAfterApply() {
  Memo->clear();
  SetEditorColour(QApplication::palette().color(QPalette::ToolTipBase));
  if (!context_.macro.active()) return;
  Editor->appendPlainText("end.");
  context_.macro.Stop();
}

void TScriptForm::naExecuteMacroAfterApply() {
  if (script_.running()) {
    // A macro executing macros: the running one ends with an error.
    script_.RunScript();
    return;
  }
  Memo->clear();
  script_.Script = Editor->toPlainText();
  script_.CompileScript();
  Memo->appendPlainText(script_.Messages.join('\n'));
  script_.RunScript();
  Memo->appendPlainText(script_.Messages.join('\n'));
  SetMemoColour(QApplication::palette().color(QPalette::ToolTipBase));
  if (closePending_) {
    closePending_ = false;
    close();
  }
}

// --- Files ----------------------------------------------------------------------

void TScriptForm::ficman_scriptNewFile() {
  SetText(DefaultScript().join('\n'));
  ShowStatus(Text(texts::kScriptStateNew));
  Memo->clear();
  SetEditorColour(QApplication::palette().color(QPalette::ToolTipBase));
}

void TScriptForm::ficman_scriptOpenFile(const QString& path) {
  QFile file(path);
  SetText(file.open(QIODevice::ReadOnly) ? ScriptTextFromBytes(file.readAll()) : QString());
  ShowStatus(Text(texts::kScriptStateOpened));
  Memo->clear();
  SetEditorColour(QApplication::palette().color(QPalette::ToolTipBase));
}

void TScriptForm::ficman_scriptSaveFile(const QString& path) {
  QFile file(path);
  if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(Editor->toPlainText().toUtf8());
  ShowStatus(Text(texts::kScriptStateSaved));
}

void TScriptForm::EditorChange() {
  if (settingText_) return;
  ficman_.SetModified(true);
  ShowStatus(Text(texts::kScriptStateModified));
}

// --- Layout and events ---------------------------------------------------------

void TScriptForm::FormResize() {
  if (!ScriptBar || !centralWidget()) return;
  const QWidget* client = centralWidget();
  const int width = client->width(), height = client->height();
  panel_->adjustSize();
  const int panelWidth = panel_->width(), panelHeight = panel_->height();
  const int editorWidth = std::max(0, width - panelWidth - kMargin);
  // The central widget already sits below the tool bar and above the status
  // bar: the editor fills what is left above the message box.
  const int editorHeight = std::max(0, height - kMemoHeight - 3 * kMargin);
  Editor->setGeometry(kMargin, kMargin, editorWidth - kMargin, editorHeight);
  Memo->setGeometry(kMargin, Editor->geometry().bottom() + 1 + kMargin, editorWidth - kMargin, kMemoHeight);
  panel_->move(width - panelWidth, std::max(0, height - panelHeight - kMemoHeight));
}

void TScriptForm::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  FormResize();
}

void TScriptForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  FormResize();
}

void TScriptForm::closeEvent(QCloseEvent* event) {
  if (script_.running()) {
    // The script stops at its next statement; the window closes after.
    closePending_ = true;
    script_.Stop();
    event->ignore();
    return;
  }
  QMainWindow::closeEvent(event);
  if (onClosed) onClosed();
}

bool TScriptForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && script_.running() &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    script_.Stop();
    return true;
  }
  if (watched == Editor) {
    // While typing, Ctrl+V pastes text; the command gets its key back after.
    if (event->type() == QEvent::FocusIn) ficman_.naPasteFile->setShortcut({});
    if (event->type() == QEvent::FocusOut) ficman_.naPasteFile->setShortcut(QKeySequence("Ctrl+V"));
  }
  if (watched == Editor->viewport()) {
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
      auto* drag = static_cast<QDragMoveEvent*>(event);
      if (!LocalFiles(drag->mimeData()).isEmpty()) {
        drag->acceptProposedAction();
        return true;
      }
    } else if (event->type() == QEvent::Drop) {
      auto* drop = static_cast<QDropEvent*>(event);
      const QStringList files = LocalFiles(drop->mimeData());
      if (!files.isEmpty()) {
        ficman_.Drop(files);
        drop->acceptProposedAction();
        return true;
      }
    }
  }
  return QMainWindow::eventFilter(watched, event);
}
