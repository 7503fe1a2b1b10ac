// The command vocabulary and its keys: the table in list order, the names
// and keys it resolves, the key texts, the dispatch through the main list
// and a second one, the keys a text field keeps, and the shortcut window.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <map>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "actions/commandengine.h"
#include "actions/keys.h"
#include "actions/superaction.h"
#include "support/simulatedwindow.h"
#include "ui/incrusterframe.h"
#include "app/raccourcisform.h"

namespace {

struct ExpectedRow {
  const char* name;
  bool toggle;
  const char* caption;  // toggles: the false state's
  const char* key;      // as the shortcut window shows it
  const char* secondKey;
  const char* switchName;
  const char* token;
};

// The vocabulary as documented for users, in list order.
const ExpectedRow kTable[] = {
    {"saGrab", false, "Grab!", "F5", "Ctrl+G", "g", "grab"},
    {"tafullscreen", true, "Mettre en plein écran", "Alt+Entrée", "", "fs", "full_screen"},
    {"acOptionsFrame", false, "Panneau Options", "F10", "Alt+O", "of", "options_frame"},
    {"acDossiersFrame", false, "Panneau Dossiers", "Alt+D", "", "df", "directories_frame"},
    {"acProgrammerFrame", false, "Panneau Programmer", "Alt+P", "", "pf", "program_frame"},
    {"acExtraireFrame", false, "Panneau Extraire", "Alt+G", "", "gf", "grab_frame"},
    {"acIncrusterFrame", false, "Panneau Incruster", "Alt+I", "", "if", "inlay_frame"},
    {"acQuitter", false, "Quitter", "Alt+F4", "Ctrl+Q", "q", "quit"},
    {"acApropos", false, "Panneau A propos...", "Alt+A", "", "af", "about_frame"},
    {"acCouper", false, "Couper", "F7", "Ctrl+X", "k", "cut"},
    {"acProgrammerBascule", false, "Prog", "Ctrl+P", "", "p", "program"},
    {"acJpgOption", false, "Jpg", "Ctrl+J", "", "j", "jpeg"},
    {"acBmpOption", false, "Bmp", "Ctrl+B", "", "b", "bmp"},
    {"acBasculerPanneau", false, "Panneau Inverser", "Alt+W", "", "w", "switch"},
    {"acNextPanneau", false, "Panneau Suivant", "F6", "Alt+N", "nf", "next_frame"},
    {"acHelp", false, "Panneau Aide", "F1", "Alt+H", "hf", "help_frame"},
    {"acReduire", false, "Réduire", "Alt+BkSp", "", "r", "reduce"},
    {"acSourcesFrame", false, "Panneau Sources", "F2", "Alt+S", "sf", "sources_frame"},
    {"cam_PlayPause", true, "caméra PlayPause", "Inser", "", "x", "play"},
    {"cam_Stop", false, "caméra Stop", "Ctrl+Fin", "", "s", "stop"},
    {"cam_AvanceLent", false, "caméra Avance Lent", "Ctrl+Right", "", "as", "advance_slow"},
    {"cam_AvanceRapide", false, "caméra Avance Rapide", "Ctrl+Down", "", "ff", "fast_forward"},
    {"cam_ReculeLent", false, "caméra Recule Lent", "Ctrl+Left", "", "bs", "back_slow"},
    {"cam_ReculeRapide", false, "caméra Recule Rapide", "Ctrl+Up", "", "bf", "back_fast"},
    {"saCapturerBascule", false, "Capturer", "Ctrl+Barre d'Espace", "", "c", "capture"},
    {"acShowVideoPilotDV", false, "", "", "", "pv", "pilot_video"},
    {"acVertFlip", false, "Miroir Vertical", "F4", "", "vf", "vertical_flip"},
    {"acScenolog", false, "Scenolog", "F8", "", "sc", "scenolog"},
    {"acOuvrirDossierVideos", false, "Ouvrir le dossier des vidéos", "Alt+V", "", "v", "open_folder"},
    {"acIncVolume", false, "Augmenter le volume", "Num +", "", "iv", "inc_volume"},
    {"acDecVolume", false, "Diminuer le volume", "Num -", "", "dv", "dec_volume"},
    {"acSliders", false, "Afficher les curseurs", "Alt+Y", "", "ss", "sliders"},
    {"acHorzFlip", false, "Miroir Horizontal", "Shift+F4", "", "zf", "horizontal_flip"},
    {"acShowAudioPilotDV", false, "", "", "", "pa", "pilot_audio"},
    {"cam_Toggle", false, "caméra Basculer", "Ctrl+Home", "", "ct", "cameras_toggle"},
    {"saExitFullScreen", false, "Interrompre", "Echap", "", "ef", "exit_fullscreen"},
    {"taraccourcis", true, "Afficher les raccourcis", "F11", "", "o", "shortcuts"},
    {"taDecalage", true, nullptr, "", "", "dh", "decalage"},
    {"taFreezepreview", true, nullptr, "F3", "", "fp", "freeze_preview"},
    {"taFreezeCapture", true, nullptr, "Barre d'Espace", "", "fc", "freeze_capture"},
    {"taIncruster", true, "Incruster", "F12", "", "i", "inlay"},
    {"taLock", true, nullptr, "F9", "", "l", "lock"},
    {"saListeFrame", false, "Panneau Liste", "Alt+L", "", "lf", "liste_frame"},
    {"taMute", true, nullptr, "Ctrl+M", "", "m", "mute"},
    {"saRatioNormal", false, "Image normale", "Alt+F8", "", "rn", "ratio_normal"},
    {"saRatioNatif", false, "Image native", "Alt+F7", "", "rf", "ratio_natif"},
    {"saRatio16x9", false, "Image 16x9", "Alt+F6", "", "rw", "ratio_16x9"},
    {"saRatio4x3", false, "Image 4x3", "Alt+F5", "", "rs", "ratio_4x3"},
    {"cam_Play", false, "caméra Play", "Ctrl+Inser", "", "cp", "camera_play"},
    {"cam_Pause", false, "caméra Pause", "Ctrl+Suppr", "", "co", "camera_pause"},
    {"saIntervallo", false, "Basculer l'intervallomètre", "Pause", "", "it", "intervalometer"},
    {"saScript", false, "Lancer script", "", "", "", ""},
    {"saSourceVideo", false, "Source Vidéo", "", "", "sv", "source_video"},
    {"saSourceAudio", false, "Source Audio", "", "", "sa", "source_audio"},
    {"saFormatCapture", false, "Format Capture", "", "", "fc", "format_capture"},
};

QString Key(const TCustomSuperAction* action, int which) {
  const QList<QKeySequence> keys = action->shortcuts();
  return which < keys.size() ? KeyText(keys[which]) : QString();
}

}  // namespace

TEST(KeyText, names_every_key_of_the_french_table_after_its_modifiers) {
  const std::pair<QKeyCombination, const char*> named[] = {
      {Qt::Key_Backspace, "BkSp"},  {Qt::Key_Tab, "Tab"},          {Qt::Key_Escape, "Echap"},
      {Qt::Key_Return, "Entrée"},   {Qt::Key_Space, "Barre d'Espace"}, {Qt::Key_PageUp, "PgUp"},
      {Qt::Key_PageDown, "PgDn"},   {Qt::Key_End, "Fin"},          {Qt::Key_Home, "Home"},
      {Qt::Key_Left, "Left"},       {Qt::Key_Up, "Up"},            {Qt::Key_Right, "Right"},
      {Qt::Key_Down, "Down"},       {Qt::Key_Insert, "Inser"},     {Qt::Key_Delete, "Suppr"},
      {Qt::Key_F1, "F1"},           {Qt::Key_F24, "F24"},          {Qt::Key_A, "A"},
      {Qt::Key_7, "7"},             {Qt::KeypadModifier | Qt::Key_7, "7"},
      {Qt::KeypadModifier | Qt::Key_Plus, "Num +"},                {Qt::KeypadModifier | Qt::Key_Minus, "Num -"},
      {Qt::Key_Pause, "Pause"},
  };
  for (const auto& [key, text] : named) EXPECT_EQ(KeyText(QKeySequence(key)), QString::fromUtf8(text)) << text;
  // Shift, Ctrl, Alt, whatever order they were given in.
  EXPECT_EQ(KeyText(QKeySequence(Qt::AltModifier | Qt::ShiftModifier | Qt::ControlModifier | Qt::Key_F5)),
            "Shift+Ctrl+Alt+F5");
  EXPECT_EQ(KeyText(QKeySequence(Qt::AltModifier | Qt::ControlModifier | Qt::Key_Delete)), "Ctrl+Alt+Suppr");
  EXPECT_EQ(KeyText(QKeySequence()), "");
}

TEST(KeyText, a_text_field_keeps_typing_editing_and_caret_keys_but_not_alt_or_commands) {
  EXPECT_TRUE(TextFieldKeepsKey(Qt::Key_Space, " "));
  EXPECT_TRUE(TextFieldKeepsKey(Qt::Key_Backspace, ""));
  EXPECT_TRUE(TextFieldKeepsKey(Qt::Key_Insert, ""));
  EXPECT_TRUE(TextFieldKeepsKey(Qt::ControlModifier | Qt::Key_Left, ""));
  EXPECT_TRUE(TextFieldKeepsKey(Qt::ControlModifier | Qt::Key_End, ""));
  EXPECT_TRUE(TextFieldKeepsKey(Qt::Key_Home, ""));
  EXPECT_TRUE(TextFieldKeepsKey(Qt::KeypadModifier | Qt::Key_Plus, "+"));
  EXPECT_TRUE(TextFieldKeepsKey(Qt::ControlModifier | Qt::Key_X, "\x18"));  // cut text, not the recording
  EXPECT_FALSE(TextFieldKeepsKey(Qt::AltModifier | Qt::Key_Backspace, ""));
  EXPECT_FALSE(TextFieldKeepsKey(Qt::ControlModifier | Qt::Key_Space, ""));
  EXPECT_FALSE(TextFieldKeepsKey(Qt::Key_F7, ""));
  EXPECT_FALSE(TextFieldKeepsKey(Qt::ControlModifier | Qt::Key_M, "\r"));
}

class Shortcuts : public SimulatedWindow {
 protected:
  TRaccourcisForm& window() { return *form_->raccourcisForm(); }
  QStringList Column(int column) {
    QStringList cells;
    for (int row = 0; row < window().grid()->rowCount(); ++row) cells << window().grid()->item(row, column)->text();
    return cells;
  }
  void Press(QKeyCombination key) { QTest::keyClick(form_.get(), key.key(), key.keyboardModifiers()); }
};

TEST_F(Shortcuts, the_table_holds_the_55_commands_in_order_with_their_keys_switches_and_tokens) {
  Start({"Preview Locked=0"});
  const QList<TCustomSuperAction*>& commands = form_->al().actions();
  ASSERT_EQ(commands.size(), static_cast<qsizetype>(std::size(kTable)));
  ASSERT_EQ(commands.size(), 55);
  for (int i = 0; i < commands.size(); ++i) {
    const ExpectedRow& row = kTable[i];
    const TCustomSuperAction* command = commands[i];
    SCOPED_TRACE(row.name);
    EXPECT_EQ(command->objectName(), row.name);
    EXPECT_EQ(qobject_cast<const TtoggleAction*>(command) != nullptr, row.toggle);
    if (row.caption) {
      EXPECT_EQ(command->text(), QString::fromUtf8(row.caption));
    }
    EXPECT_EQ(Key(command, 0), QString::fromUtf8(row.key));
    EXPECT_EQ(Key(command, 1), QString::fromUtf8(row.secondKey));
    EXPECT_EQ(command->Switch(), row.switchName);
    EXPECT_EQ(command->Token(), row.token);
    // A switch or token reaches the first command carrying it.
    for (const char* name : {row.switchName, row.token}) {
      if (!*name) continue;
      const TCustomSuperAction* first = nullptr;
      for (const TCustomSuperAction* other : commands)
        if (!first && (other->Switch() == name || other->Token() == name)) first = other;
      EXPECT_EQ(form_->al().FindByName(name), first) << name;
    }
  }
  EXPECT_EQ(form_->al().FindByName("fc")->objectName(), "taFreezeCapture");
  EXPECT_EQ(form_->al().FindByName("format_capture")->objectName(), "saFormatCapture");
  // No key is carried twice, as key or as second key.
  QList<QKeySequence> seen;
  for (const TCustomSuperAction* command : commands)
    for (const QKeySequence& key : command->shortcuts()) {
      EXPECT_FALSE(seen.contains(key)) << key.toString().toStdString();
      seen << key;
    }
}

TEST_F(Shortcuts, keys_reach_the_main_command_before_a_second_list_and_the_keypad_plus_is_the_volumes) {
  Start({"Preview Locked=0"});
  // A second list that also uses F1, F10, F11, F12 and Alt+F4 to Alt+F6,
  // and one key nobody else has.
  int secondRan = 0;
  QAction spare;
  QObject::connect(&spare, &QAction::triggered, [&] { ++secondRan; });
  spare.setShortcuts({QKeySequence("F1"), QKeySequence("F10"), QKeySequence("F11"), QKeySequence("F12"),
                      QKeySequence("Alt+F4"), QKeySequence("Alt+F5"), QKeySequence("Alt+F6"),
                      QKeySequence("Ctrl+F9")});
  form_->SetSecondKeyList([&](QKeyCombination key) { return FirstWithKey({&spare}, key); });

  Press(Qt::Key_F11);
  EXPECT_TRUE(window().isVisible());
  // The list in front passes on the keys it has no use for.
  QTest::keyClick(window().grid(), Qt::Key_F11);
  EXPECT_FALSE(window().isVisible());
  Press(Qt::Key_F10);
  const auto* panels = qobject_cast<QStackedWidget*>(form_->sidePanels());
  ASSERT_TRUE(panels);
  const int optionsPanel = panels->currentIndex();
  Press(Qt::Key_F1);
  EXPECT_NE(panels->currentIndex(), optionsPanel);  // the help panel, not the second list
  const bool overlay = form_->al().FindByObjectName("taIncruster")->IsChecked();
  Press(Qt::Key_F12);
  EXPECT_NE(form_->al().FindByObjectName("taIncruster")->IsChecked(), overlay);
  Press(Qt::AltModifier | Qt::Key_F5);
  Press(Qt::AltModifier | Qt::Key_F6);
  EXPECT_EQ(secondRan, 0);
  // Alt+F4 would close the window: it is only looked up.
  TKeyDispatch dispatch{&form_->al(), [&](QKeyCombination key) { return FirstWithKey({&spare}, key); }};
  EXPECT_EQ(dispatch.Target(Qt::AltModifier | Qt::Key_F4), form_->al().FindByObjectName("acQuitter"));
  Press(Qt::ControlModifier | Qt::Key_F9);
  EXPECT_EQ(secondRan, 1);

  // The numeric pad's plus raises the volume; the main keyboard's does not.
  form_->parameters().Volume->value = 5000;
  QTest::keyClick(form_.get(), Qt::Key_Plus, Qt::NoModifier);
  EXPECT_EQ(form_->parameters().Volume->value, 5000);
  QTest::keyClick(form_.get(), Qt::Key_Plus, Qt::KeypadModifier);
  EXPECT_EQ(form_->parameters().Volume->value, 6000);
  QTest::keyClick(form_.get(), Qt::Key_Minus, Qt::KeypadModifier);
  EXPECT_EQ(form_->parameters().Volume->value, 5000);
}

TEST_F(Shortcuts, a_focused_text_field_types_space_plus_and_edits_without_running_commands) {
  Start({"Preview Locked=0"});
  form_->al().FindByObjectName("acIncrusterFrame")->Execute();
  form_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
  QLineEdit* field = form_->incrusterFrame()->edPerso1;
  field->setText("");
  field->setFocus();
  ASSERT_TRUE(WaitFor([&] { return field->hasFocus(); }, 2000));
  form_->parameters().Volume->value = 5000;
  QTest::keyClicks(field, "a b");
  QTest::keyClick(field, Qt::Key_Plus, Qt::KeypadModifier);
  EXPECT_EQ(field->text(), "a b+");
  QTest::keyClick(field, Qt::Key_Home);
  QTest::keyClick(field, Qt::Key_Insert);
  QTest::keyClick(field, Qt::Key_Right, Qt::ControlModifier);
  QTest::keyClick(field, Qt::Key_Backspace);
  EXPECT_EQ(field->text(), "ab+");  // the space before "b" went
  EXPECT_EQ(form_->parameters().Volume->value, 5000);
  EXPECT_FALSE(form_->al().FindByObjectName("taFreezeCapture")->IsChecked());
  // Keys a text field has no use for still run their commands.
  QTest::keyClick(field, Qt::Key_F11);
  EXPECT_TRUE(window().isVisible());
}

TEST_F(Shortcuts, the_window_lists_captioned_commands_sorts_by_a_header_and_runs_a_double_clicked_row) {
  int scriptsAsked = 0;
  adjust_ = [&](FormEnvironment& environment) {
    environment.chooseScriptFile = [&] {
      ++scriptsAsked;
      return QString();
    };
  };
  Start({"Preview Locked=0"});
  EXPECT_EQ(window().windowTitle(), "Les commandes de Tessivo 6.1.3 fr");
  EXPECT_EQ(window().grid()->columnCount(), 4);
  EXPECT_EQ(window().grid()->model()->headerData(1, Qt::Horizontal).toString(), "Touches");
  // The pilots and the shift (not run yet) have no caption: not listed.
  const QStringList names = Column(0);
  EXPECT_EQ(names.size(), 52);
  EXPECT_FALSE(names.contains(""));
  EXPECT_EQ(names.front(), "Afficher les curseurs");
  EXPECT_EQ(Column(2).count("fc"), 2);

  // By key: the keyless commands first, by caption.
  window().SortBy(1);
  EXPECT_EQ(form_->parameters().RaccourcisSort->value, 1);
  const QStringList keys = Column(1);
  EXPECT_EQ(keys.mid(0, 4), QStringList({"", "", "", ""}));
  EXPECT_EQ(Column(0).mid(0, 4), QStringList({"Format Capture", "Lancer script", "Source Audio", "Source Vidéo"}));
  // A click on a data row sorts nothing.
  const QRect cell = window().grid()->visualRect(window().grid()->model()->index(3, 2));
  window().show();
  QTest::mouseClick(window().grid()->viewport(), Qt::LeftButton, {}, cell.center());
  EXPECT_EQ(form_->parameters().RaccourcisSort->value, 1);
  // A header click does.
  const QHeaderView* header = window().grid()->horizontalHeader();
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                    QPoint(header->sectionViewportPosition(3) + 5, header->height() / 2));
  EXPECT_EQ(form_->parameters().RaccourcisSort->value, 3);
  EXPECT_EQ(Column(3).front(), "");  // "Lancer script" has no token

  // Its row runs the command, which asks for its file.
  window().RunRow(0);
  EXPECT_EQ(Column(0).front(), "Lancer script");
  EXPECT_EQ(scriptsAsked, 1);

  // Beyond the four columns nothing is listed.
  window().SortBy(7);
  EXPECT_EQ(window().grid()->rowCount(), 0);
  window().SortBy(2);
}

TEST_F(Shortcuts, f11_and_the_close_box_show_and_hide_the_window_which_keeps_its_sort_across_a_restart) {
  Start({"Preview Locked=0"});
  TCustomSuperAction* toggle = form_->al().FindByObjectName("taraccourcis");
  window().move(-300, 40);
  Press(Qt::Key_F11);
  EXPECT_TRUE(window().isVisible());
  EXPECT_EQ(window().x(), 0);  // not left off the screen
  EXPECT_EQ(toggle->text(), "Masquer les raccourcis");
  window().close();
  EXPECT_FALSE(window().isVisible());
  EXPECT_FALSE(toggle->IsChecked());
  EXPECT_EQ(toggle->text(), "Afficher les raccourcis");
  form_->activateWindow();
  Press(Qt::Key_F11);
  EXPECT_TRUE(window().isVisible());
  // Shown by something else, hidden by F11 all the same.
  window().hide();
  window().show();
  toggle->SetChecked(false);
  Press(Qt::Key_F11);
  EXPECT_FALSE(window().isVisible());

  window().SortBy(2);
  const QString first = Column(2).front();
  form_->close();
  Restart();
  EXPECT_EQ(form_->parameters().RaccourcisSort->value, 2);
  EXPECT_EQ(Column(2).front(), first);
  // A value no column has lists nothing until a header is clicked.
  form_->close();
  installation_.writeIni(IniFile::Encode({kParameterSection, "Preview Locked=0", "Raccourcis Sort=9"}));
  Restart();
  EXPECT_EQ(window().grid()->rowCount(), 0);
  window().SortBy(0);
  EXPECT_EQ(window().grid()->rowCount(), 52);
}

TEST_F(Shortcuts, the_window_as_it_shows_headers_in_light_blue_and_cells_in_button_colour) {
  Start({"Preview Locked=0"});
  window().show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window()));
  const QImage shot = window().grab().toImage();
  EXPECT_EQ(shot.size(), QSize(516, 446));
  shot.save(installation_.folder().file("raccourcis.png"));
  if (const QByteArray keep = qgetenv("TESSIVO_SCREENSHOTS"); !keep.isEmpty())
    shot.save(QString::fromUtf8(keep) + "/raccourcis.png");
  const QHeaderView* header = window().grid()->horizontalHeader();
  const QPoint inHeader = header->mapTo(&window(), QPoint(header->sectionViewportPosition(0) + 3, header->height() / 2));
  EXPECT_EQ(shot.pixelColor(inHeader), QColor(240, 251, 255));
  const QRect cell = window().grid()->visualRect(window().grid()->model()->index(0, 3));
  const QPoint inCell = window().grid()->viewport()->mapTo(&window(), QPoint(cell.right() - 3, cell.center().y()));
  EXPECT_EQ(shot.pixelColor(inCell), window().palette().color(QPalette::Button));
}

TEST_F(Shortcuts, the_tool_bars_hold_their_commands_as_29_by_28_image_buttons_that_follow_a_toggles_state) {
  Start({"Preview Locked=0"});
  const auto names = [](const QToolBar* bar) {
    QStringList found;
    for (const QAction* action : bar->actions()) found << (action->isSeparator() ? "|" : action->objectName());
    return found;
  };
  const auto* actions = form_->findChild<QToolBar*>("actionsToolbar");
  const auto* panels = form_->findChild<QToolBar*>("panelsToolbar");
  ASSERT_TRUE(actions && panels);
  EXPECT_EQ(names(actions), QStringList({"saCapturerBascule", "acCouper", "acProgrammerBascule", "|", "tafullscreen",
                                         "taMute", "taFreezepreview", "taFreezeCapture", "|", "taLock", "taIncruster",
                                         "acVertFlip", "acHorzFlip", "|", "saScript", "taraccourcis", "acQuitter"}));
  EXPECT_EQ(names(panels), QStringList({"acSourcesFrame", "acDossiersFrame", "acProgrammerFrame", "acExtraireFrame",
                                        "acIncrusterFrame", "acOptionsFrame", "saListeFrame", "acHelp", "acApropos"}));
  for (const QToolBar* bar : {actions, panels})
    for (QAction* action : bar->actions()) {
      if (action->isSeparator()) continue;
      SCOPED_TRACE(action->objectName().toStdString());
      const auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action));
      ASSERT_TRUE(button);
      EXPECT_EQ(button->size(), QSize(29, 28));
      EXPECT_FALSE(action->icon().pixmap(20, 20).toImage().isNull());
      // Not blank: the drawing has ink.
      const QImage image = action->icon().pixmap(20, 20).toImage();
      int inked = 0;
      for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) inked += qAlpha(image.pixel(x, y)) > 0;
      EXPECT_GT(inked, 20);
    }
  // A toggle's button is down in its true state.
  QAction* shortcuts = form_->al().FindByObjectName("taraccourcis");
  const auto* button = qobject_cast<QToolButton*>(actions->widgetForAction(shortcuts));
  EXPECT_FALSE(button->isChecked());
  shortcuts->trigger();
  EXPECT_TRUE(window().isVisible());
  EXPECT_TRUE(button->isChecked());
  shortcuts->trigger();
  EXPECT_FALSE(button->isChecked());
  EXPECT_FALSE(window().isVisible());
}

TEST_F(Shortcuts, every_switch_and_token_runs_its_command_from_the_command_line_and_from_a_command_file) {
  Start({"Preview Locked=0"});
  // Every handler only counts, so that running them all changes nothing.
  std::map<QString, int> ran;
  for (TCustomSuperAction* command : form_->al().actions()) {
    const QString name = command->objectName();
    const auto count = [&ran, name](QObject*) { ++ran[name]; };
    command->Onprepare = nullptr;
    command->setEnabled(true);  // cut and freeze wait for a capture otherwise
    if (auto* toggle = qobject_cast<TtoggleAction*>(command)) {
      toggle->OnTrueExecute = toggle->OnfalseExecute = count;
      toggle->SetChecked(toggle->IsChecked());
    } else if (auto* plain = qobject_cast<TSuperAction*>(command)) {
      plain->Onexecute = count;
    }
  }
  TSwitch commandLine;
  commandLine.actionlist = &form_->al();
  bool quit = false;
  commandLine.OnQuit = [&] { quit = true; };
  TScript file;
  file.actionlist = &form_->al();
  file.OnQuit = commandLine.OnQuit;
  for (const ExpectedRow& row : kTable) {
    SCOPED_TRACE(row.name);
    // The switch reaches the first command carrying it ("fc" the freeze);
    // the token always reaches its own.
    if (*row.switchName) {
      const QString first = form_->al().FindByName(row.switchName)->objectName();
      ran.clear();
      commandLine.RunArguments({QStringLiteral("/") + row.switchName});
      EXPECT_EQ(ran[first], 1) << "switch " << row.switchName;
      EXPECT_EQ(ran.size(), 1u);
    }
    if (*row.token && std::string_view(row.token) == "quit") {
      // The one bare word: it asks to quit once the commands have run.
      installation_.folder().write("commandes.txt", "quit\n");
      ASSERT_TRUE(file.RunFile(installation_.folder().file("commandes.txt")));
      EXPECT_TRUE(quit);
      quit = false;
    } else if (*row.token) {
      ran.clear();
      const QString path = installation_.folder().file("commandes.txt");
      installation_.folder().write("commandes.txt", QByteArray(row.token) + "\n");
      ASSERT_TRUE(file.RunFile(path));
      EXPECT_EQ(ran[row.name], 1) << "token " << row.token;
      EXPECT_EQ(ran.size(), 1u);
    }
  }
  EXPECT_FALSE(quit);
}
