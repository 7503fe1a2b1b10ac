// The script window: macros recorded into its editor and replayed, its file
// manager's questions, recent files, paste and drop, and a run that keeps
// the window responsive.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <QUrl>

#include "app/scriptform.h"
#include "support/simulatedwindow.h"
#include "support/tempfolder.h"

namespace {

class ScriptWindow : public ::testing::Test {
 protected:
  ScriptWindow() : script_(Desktop()), form_(context_, script_, "Tessivo 6.1.3 fr") {
    form_.ficman().askYesNo = [this](const QString& question) {
      questions_ << question;
      return answer_;
    };
    form_.ficman().chooseSave = [this] { return saveAs_; };
    form_.ficman().reveal = [this](const QString& path) { revealed_ << path; };
  }
  TOBScript::Desktop Desktop() {
    TOBScript::Desktop desktop;
    desktop.showMessage = [this](const QString& text) { shown_ << text; };
    desktop.processMessages = [] { QApplication::processEvents(); };
    return desktop;
  }
  QStringList EditorLines() const { return form_.Editor->toPlainText().split('\n'); }
  QStringList MemoLines() const { return form_.Memo->toPlainText().split('\n'); }
  void Type(const QString& text) {
    form_.Editor->moveCursor(QTextCursor::End);
    form_.Editor->insertPlainText(text);
  }

  TActionContext context_;
  TOBScript script_;
  TScriptForm form_;
  TempFolder folder_;
  QStringList questions_, shown_, revealed_;
  bool answer_ = true;
  QString saveAs_;
};

}  // namespace

TEST_F(ScriptWindow, a_new_window_holds_the_default_script_which_compiles_and_runs) {
  EXPECT_EQ(EditorLines(), TScriptForm::DefaultScript());
  EXPECT_EQ(form_.statusName->text(), "script.txt");
  EXPECT_EQ(form_.statusState->text(), "Nouveau");
  EXPECT_EQ(form_.windowTitle(), "Script pour Tessivo 6.1.3 fr");
  form_.naExecuteMacro->trigger();
  EXPECT_EQ(MemoLines(), (QStringList{"*** Compilation succeeded ***", "*** Exécution réussie ***"}));
  EXPECT_EQ(form_.Memo->palette().color(QPalette::Base), QApplication::palette().color(QPalette::ToolTipBase));
  EXPECT_EQ(form_.Editor->font().family(), "Liberation Mono");
  EXPECT_EQ(form_.Editor->font().pixelSize(), 17);
}

// Each kind of the window's persistable commands is recorded as the line
// that sets it again; executing the macro restores what was recorded.
TEST_F(ScriptWindow, a_recorded_macro_compiles_and_restores_the_state_it_recorded) {
  form_.naStartMacro->trigger();
  EXPECT_TRUE(context_.macro.active());
  EXPECT_EQ(form_.Editor->palette().color(QPalette::Base), QColor(Qt::white));
  const QString folder = "/tmp/l'été";
  form_.raScriptFormSave->SetValue({10, 20, 410, 320});
  form_.ficman().waInitialDir->SetValue(folder);
  form_.ficman().baOpenLastFile->SetValue(false);
  form_.ficman().naParentFolder->ApplyAction();
  form_.naExecuteMacro->ApplyAction();  // records nothing
  form_.naStopMacro->trigger();
  form_.naStopMacro->trigger();  // once is enough
  EXPECT_FALSE(context_.macro.active());
  const QStringList lines = EditorLines();
  ASSERT_EQ(lines.size(), 8) << lines.join('\n').toStdString();
  EXPECT_TRUE(lines[0].startsWith("//Macro enregistrée le ") && lines[0].contains(" à ")) << lines[0].toStdString();
  EXPECT_EQ(lines.mid(1), (QStringList{"", "begin", "    ScriptFormSave(10,410,20,320);",
                                      "    InitialDirScript('/tmp/l''été');", "    OpenLastScript(False);",
                                      "    ScriptParentFolder;", "end."}));

  // Changed since, then put back by the macro.
  form_.raScriptFormSave->SetValue({0, 0, 200, 200});
  form_.ficman().waInitialDir->SetValue("/ailleurs");
  form_.ficman().baOpenLastFile->SetValue(true);
  revealed_.clear();
  form_.naExecuteMacro->trigger();
  EXPECT_EQ(MemoLines(), (QStringList{"*** Compilation succeeded ***", "*** Exécution réussie ***"}));
  EXPECT_EQ(form_.raScriptFormSave->value(), (TRectValue{10, 20, 410, 320}));
  EXPECT_EQ(form_.ficman().waInitialDir->value(), folder);
  EXPECT_FALSE(form_.ficman().baOpenLastFile->value());
  EXPECT_EQ(revealed_.size(), 1);
}

TEST_F(ScriptWindow, a_new_or_opened_file_ends_the_recording_first) {
  folder_.write("autre.txt", "begin end.");
  form_.naStartMacro->trigger();
  form_.ficman().naNewFile->ApplyAction();
  EXPECT_FALSE(context_.macro.active());
  form_.naStartMacro->trigger();
  ASSERT_TRUE(form_.ficman().Open(folder_.file("autre.txt")));
  EXPECT_FALSE(context_.macro.active());
  EXPECT_EQ(form_.Editor->toPlainText(), "begin end.");
}

// The main window's own commands are not persistable: toggling full screen
// while recording leaves the macro empty.
class ScriptWindowBesideTheMainWindow : public SimulatedWindow {};

TEST_F(ScriptWindowBesideTheMainWindow, toggling_full_screen_alone_records_an_empty_macro) {
  Start();
  TOBScript script({});
  TScriptForm window(form_->actionContext(), script, "Tessivo");
  window.naStartMacro->trigger();
  QAction* fullScreen = form_->findChild<QAction*>("tafullscreen");
  ASSERT_TRUE(fullScreen);
  fullScreen->trigger();
  fullScreen->trigger();
  window.naStopMacro->trigger();
  const QStringList lines = window.Editor->toPlainText().split('\n');
  ASSERT_EQ(lines.size(), 4);
  EXPECT_TRUE(lines[0].startsWith("//Macro enregistrée le "));
  EXPECT_EQ(lines.mid(1), (QStringList{"", "begin", "end."}));
}

TEST_F(ScriptWindow, a_modified_file_is_saved_or_dropped_as_answered_and_an_existing_target_is_overwritten_only_if_told) {
  const QString first = folder_.file("un.txt");
  folder_.write("un.txt", "begin end.");
  ASSERT_TRUE(form_.ficman().Open(first));
  EXPECT_EQ(form_.statusState->text(), "Ouvert");
  EXPECT_EQ(form_.statusName->text(), "un.txt");
  Type("\n// ajouté");
  EXPECT_EQ(form_.statusState->text(), "Modifié");
  EXPECT_TRUE(form_.ficman().modified());

  // No: the change is lost.
  answer_ = false;
  form_.ficman().naNewFile->trigger();
  ASSERT_EQ(questions_.size(), 1);
  EXPECT_EQ(questions_[0], "Voulez-vous sauver le fichier ouvert ?\r\nSinon, toutes les modifications seront perdues");
  EXPECT_EQ(folder_.read("un.txt"), "begin end.");
  EXPECT_EQ(form_.statusState->text(), "Nouveau");

  // Yes: a new file is named first; the existing target is overwritten only
  // once the user agrees.
  Type("\n// nouveau");
  answer_ = true;
  saveAs_ = first;
  questions_.clear();
  answer_ = true;
  form_.ficman().askYesNo = [this](const QString& question) {
    questions_ << question;
    return !question.startsWith("Voulez-vous écraser");
  };
  ASSERT_TRUE(form_.ficman().Open(first));
  ASSERT_EQ(questions_.size(), 2);
  EXPECT_EQ(questions_[1], "Voulez-vous écraser le fichier existant:\r\n" + first + " ?");
  EXPECT_EQ(folder_.read("un.txt"), "begin end.");  // refused

  form_.ficman().askYesNo = [](const QString&) { return true; };
  Type("\n// enfin");
  form_.ficman().Close();
  EXPECT_TRUE(QString::fromUtf8(folder_.read("un.txt")).endsWith("// enfin"));
  EXPECT_EQ(form_.statusState->text(), "Enregistré");
}

TEST_F(ScriptWindow, the_recent_list_keeps_ten_shows_five_moves_its_entries_and_hides_missing_files) {
  TFileManager& files = form_.ficman();
  QStringList paths;
  for (int i = 1; i <= 11; ++i) {
    const QString name = QString("fichier%1.txt").arg(i);
    folder_.write(name, "begin end.");
    paths << folder_.file(name);
    ASSERT_TRUE(files.Open(paths.back()));
  }
  // The newest first; the first one was pushed out.
  QStringList expected;
  for (int i = 10; i >= 1; --i) expected << paths[i];
  EXPECT_EQ(files.recent(), expected);
  // Opening the fourth entry puts it on top; the three above it move down.
  files.OpenRecent(3);
  EXPECT_EQ(files.recent().mid(0, 5), (QStringList{paths[7], paths[10], paths[9], paths[8], paths[6]}));
  EXPECT_EQ(files.recent().mid(5), expected.mid(5));
  // Five shown; a file gone is hidden.
  QFile::remove(paths[10]);
  files.Open(paths[9]);
  int shown = 0;
  for (int i = 0; i < TFileManager::kRecentCount; ++i) shown += files.naRecent[i]->isVisible() ? 1 : 0;
  EXPECT_EQ(shown, 4);
  EXPECT_FALSE(files.naRecent[2]->isVisible());  // paths[10], now third
  EXPECT_EQ(files.naRecent[0]->text(), "1 " + (paths[9].size() <= 50 ? paths[9] : "..." + paths[9].right(47)));
  EXPECT_EQ(TFileManager::RecentCaption(3, QString(60, 'a')), "3 ..." + QString(47, 'a'));
  EXPECT_EQ(TFileManager::RecentCaption(3, QString(50, 'a')), "3 " + QString(50, 'a'));
}

TEST_F(ScriptWindow, a_pasted_or_dropped_file_is_opened_a_dropped_current_file_is_not_reopened) {
  folder_.write("colle.txt", "begin showmessage('collé'); end.");
  folder_.write("Colle.txt", "begin showmessage('autre'); end.");
  auto* data = new QMimeData;
  data->setUrls({QUrl::fromLocalFile(folder_.file("colle.txt"))});
  QApplication::clipboard()->setMimeData(data);
  form_.ficman().naPasteFile->trigger();
  EXPECT_EQ(form_.ficman().currentFile(), folder_.file("colle.txt"));
  EXPECT_TRUE(form_.Editor->toPlainText().contains("collé"));

  // A drop of the same path does nothing; another case is another file.
  Type("\n// modifié");
  form_.ficman().Drop({folder_.file("colle.txt")});
  EXPECT_TRUE(form_.Editor->toPlainText().contains("// modifié"));
  form_.ficman().Drop({folder_.file("Colle.txt")});
  EXPECT_EQ(form_.ficman().currentFile(), folder_.file("Colle.txt"));
}

TEST_F(ScriptWindow, while_the_editor_has_the_focus_ctrl_v_pastes_text) {
  form_.ShowForm();
  QApplication::setActiveWindow(&form_);
  form_.Editor->setFocus();
  QApplication::processEvents();
  EXPECT_TRUE(form_.ficman().naPasteFile->shortcut().isEmpty());
  form_.Memo->setFocus();
  QApplication::processEvents();
  EXPECT_EQ(form_.ficman().naPasteFile->shortcut(), QKeySequence("Ctrl+V"));
}

// A close asked for while a script runs waits for the script, which stops at
// its next statement.
TEST_F(ScriptWindow, closing_while_a_script_runs_stops_it_and_closes_after) {
  form_.ShowForm();
  bool closed = false;
  form_.onClosed = [&] { closed = true; };
  form_.Editor->setPlainText("var i: Integer; begin while True do begin processmessages; Inc(i); end; end.");
  QTimer::singleShot(200, &form_, [this] { form_.close(); });
  form_.naExecuteMacro->trigger();
  EXPECT_TRUE(closed);
  EXPECT_FALSE(form_.isVisible());
  EXPECT_TRUE(MemoLines().back().endsWith("script arrêté par l'utilisateur")) << MemoLines().back().toStdString();
}

#include "app/helpform.h"

// The help window: the fields of the chosen command, "N/A" without a
// switch, the three sorts, a double-click running it, a page change showing
// that page's choice.
TEST(HelpWindow, shows_each_commands_fields_sorts_three_ways_and_runs_a_double_clicked_command) {
  TActionContext context;
  QObject owner;
  TCustomOBActionList application, scripts;
  int helped = 0;
  auto* help = new TCheckAction(context, &owner);
  help->ScriptName = "Help";
  help->Switch = "h";
  help->setShortcut(QKeySequence(Qt::Key_F1));
  help->setToolTip("Afficher l'aide");
  help->Comments = QStringList{"Montre la page d'aide."};
  help->OnAfterTrueApply = [&] { ++helped; };
  help->OnAfterFalseApply = [&] { ++helped; };
  auto* about = new TNopeAction(context, &owner);
  about->ScriptName = "About";
  about->Switch = "a";
  about->setShortcut(QKeySequence(Qt::Key_F12));
  auto* zoom = new TWidestringAction(context, &owner);
  zoom->ScriptName = "zoom";
  zoom->setShortcut(QKeySequence(Qt::Key_F2));
  for (TCustomAbstractAction* action : std::initializer_list<TCustomAbstractAction*>{help, about, zoom})
    application.Add(action);
  auto* run = new TNopeAction(context, &owner);
  run->ScriptName = "ExecuteMacro";
  scripts.Add(run);

  THelpForm window;
  window.AddPage("Application", application);
  window.AddPage("Scripts", scripts);
  const auto names = [&](int page) {
    QStringList shown;
    for (int row = 0; row < window.Page(page)->count(); ++row) shown << window.Page(page)->item(row)->text();
    return shown;
  };
  EXPECT_EQ(window.windowTitle(), "Aide pour Raccourcis, Script et Macros");
  EXPECT_EQ(names(0), (QStringList{"About", "Help", "zoom"}));  // case left aside
  window.SetSort(THelpForm::Sort::Key);
  EXPECT_EQ(names(0), (QStringList{"Help", "About", "zoom"}));  // F1, F12, F2 as texts
  window.SetSort(THelpForm::Sort::Switch);
  EXPECT_EQ(names(0), (QStringList{"About", "Help", "zoom"}));  // no switch last

  window.Page(0)->setCurrentRow(1);
  EXPECT_EQ(window.leName->text(), "Help    F1");
  EXPECT_EQ(window.leHint->text(), "Afficher l'aide");
  EXPECT_EQ(window.leSyntaxe->toPlainText(), "procedure setHelp(const fisTrue:Boolean);\nprocedure Help;");
  EXPECT_EQ(window.leSwitch->text(), "Switch: /h +h -h");
  EXPECT_EQ(window.leCommentaire->text(), "Montre la page d'aide.");
  window.Page(0)->setCurrentRow(2);
  EXPECT_EQ(window.leSwitch->text(), "N/A");

  window.pages->setCurrentIndex(1);
  EXPECT_EQ(window.leName->text(), "ExecuteMacro    ");
  window.pages->setCurrentIndex(0);
  EXPECT_EQ(window.leName->text(), "zoom    F2");

  emit window.Page(0)->itemDoubleClicked(window.Page(0)->item(1));
  EXPECT_EQ(helped, 1);
  EXPECT_TRUE(help->IsChecked());
}

// What a user sees after running a script: kept as a picture when
// TESSIVO_SCREENSHOTS names a folder.
TEST_F(ScriptWindow, a_run_shows_its_messages_under_the_coloured_script) {
  form_.resize(800, 560);
  form_.ShowForm();
  form_.Editor->setPlainText(
      "{ Compte les fichiers texte d'un dossier }\n"
      "var f: widestring; n: Integer;\n"
      "begin\n"
      "  n := 0;\n"
      "  f := findfirst('/tmp', '*.txt');\n"
      "  while f <> '' do begin Inc(n); f := findnext; end;\n"
      "  findclose;\n"
      "  showmessage(IntToStr(n) + ' fichier(s)'); // le résultat\n"
      "end.");
  form_.naExecuteMacro->trigger();
  EXPECT_EQ(MemoLines(), (QStringList{"*** Compilation succeeded ***", "*** Exécution réussie ***"}));
  ASSERT_EQ(shown_.size(), 1);
  EXPECT_TRUE(shown_[0].endsWith(" fichier(s)"));
  // The reserved words are drawn bold in maroon.
  const QTextBlock begin = form_.Editor->document()->findBlockByNumber(2);
  const QList<QTextLayout::FormatRange> formats = begin.layout()->formats();
  ASSERT_FALSE(formats.isEmpty());
  EXPECT_EQ(formats[0].format.foreground().color(), QColor(128, 0, 0));
  EXPECT_EQ(formats[0].format.fontWeight(), QFont::Bold);
  if (const QString folder = qEnvironmentVariable("TESSIVO_SCREENSHOTS"); !folder.isEmpty())
    form_.grab().save(folder + "/script-window.png");
}
