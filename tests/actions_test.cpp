#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <QApplication>
#include <QTimer>

#include "actions/abstractaction.h"
#include "actions/commandengine.h"
#include "actions/superaction.h"
#include "settings/inifile.h"
#include "settings/orbelinpreferences.h"
#include "support/installation.h"

namespace {

// A small command list shaped like the main window's: the full-screen and
// freeze-capture toggles, a format command sharing the switch "fc", a quit
// command and a disabled one. Every execution is logged.
class Commands {
 public:
  Commands() {
    fullScreen = AddToggle("tafullscreen", "fs", "full_screen", "Mettre en plein écran", "Enlever le plein écran");
    freezeCapture = AddToggle("taFreezeCapture", "fc", "freeze_capture", "Relancer la capture", "Geler la capture");
    formatCapture = AddPlain("saFormatCapture", "fc", "format_capture");
    quit = AddPlain("acQuitter", "q", "quit");
    disabled = AddPlain("acDisabled", "x", "disabled");
    disabled->setEnabled(false);
    engine.actionlist = &list;
    engine.OnQuit = [this] { log << "closed"; };
  }

  TtoggleAction* AddToggle(const char* name, const char* switchName, const char* token, const char* falseCaption,
                           const char* trueCaption) {
    auto* toggle = new TtoggleAction(context, &owner);
    toggle->setObjectName(name);
    toggle->setSwitch(switchName);
    toggle->setToken(token);
    toggle->FalseCaption = falseCaption;
    toggle->TrueCaption = trueCaption;
    // As in the program: each handler does its work, then shows the new state.
    toggle->OnfalseExecute = [this, toggle, name = QString(name)](QObject*) {
      log << name + " on " + context.argument();
      toggle->SetChecked(true);
    };
    toggle->OnTrueExecute = [this, toggle, name = QString(name)](QObject*) {
      log << name + " off";
      toggle->SetChecked(false);
    };
    toggle->SetChecked(false);
    list.Add(toggle);
    return toggle;
  }

  TSuperAction* AddPlain(const char* name, const char* switchName, const char* token) {
    auto* plain = new TSuperAction(context, &owner);
    plain->setObjectName(name);
    plain->setSwitch(switchName);
    plain->setToken(token);
    plain->Onexecute = [this, name = QString(name)](QObject*) { log << name + ' ' + context.argument(); };
    list.Add(plain);
    return plain;
  }

  QStringList RunCommandLine(const QStringList& arguments) {
    log.clear();
    TSwitch commandLine;
    commandLine.actionlist = &list;
    commandLine.OnQuit = [this] { log << "closed"; };
    commandLine.OnNoCommandLine = [this] { log << "no command line"; };
    commandLine.RunArguments(arguments);
    return log;
  }

  QStringList RunScript(const QStringList& lines) {
    log.clear();
    TempFolder folder;
    folder.write("commandes.txt", lines.join("\r\n").toUtf8());
    engine.RunFile(folder.file("commandes.txt"));
    return log;
  }

  QObject owner;
  TActionContext context;
  TActionList list;
  TScript engine;
  QStringList log;
  TtoggleAction* fullScreen;
  TtoggleAction* freezeCapture;
  TSuperAction* formatCapture;
  TSuperAction* quit;
  TSuperAction* disabled;
};

}  // namespace

TEST(CommandSyntax, command_line_arguments) {
  EXPECT_EQ(ParseCommandLineArgument("+FS"), (ParsedCommand{CommandKind::Set, "fs", ""}));
  EXPECT_EQ(ParseCommandLineArgument("-fs"), (ParsedCommand{CommandKind::Clear, "fs", ""}));
  EXPECT_EQ(ParseCommandLineArgument("/sv=DV Source - Video"),
            (ParsedCommand{CommandKind::Toggle, "sv", "DV Source - Video"}));
  EXPECT_EQ(ParseCommandLineArgument("/a=b=c"), (ParsedCommand{CommandKind::Toggle, "a", "b=c"}));
  EXPECT_EQ(ParseCommandLineArgument("capture.avi"), (ParsedCommand{CommandKind::Token, "", "capture.avi"}));
  EXPECT_EQ(ParseCommandLineArgument("quit"), (ParsedCommand{CommandKind::Token, "quit", ""}));
  EXPECT_EQ(ParseCommandLineArgument("QUIT"), (ParsedCommand{CommandKind::Token, "quit", ""}));
  EXPECT_EQ(ParseCommandLineArgument("/"), (ParsedCommand{CommandKind::Toggle, "", ""}));
}

TEST(CommandSyntax, script_lines) {
  EXPECT_EQ(ParseScriptLine("full_screen true"), (ParsedCommand{CommandKind::Token, "full_screen", "true"}));
  EXPECT_EQ(ParseScriptLine("source_video=\"DV Source - Video\" reste"),
            (ParsedCommand{CommandKind::Token, "source_video", "DV Source - Video"}));
  EXPECT_EQ(ParseScriptLine("Source_Video   Webcam  HD"),
            (ParsedCommand{CommandKind::Token, "source_video", "Webcam"}));
  EXPECT_EQ(ParseScriptLine("+fs"), (ParsedCommand{CommandKind::Set, "fs", ""}));
  EXPECT_EQ(ParseScriptLine("-fs=1"), (ParsedCommand{CommandKind::Clear, "fs", "1"}));
  EXPECT_EQ(ParseScriptLine("capture"), (ParsedCommand{CommandKind::Token, "capture", ""}));
  EXPECT_EQ(ParseScriptLine("x=\"non fermé"), (ParsedCommand{CommandKind::Token, "x", "non fermé"}));
}

TEST(CommandEngine, prefixes_choose_the_handler_of_a_toggle) {
  Commands commands;
  EXPECT_EQ(commands.RunCommandLine({"/fs"}), QStringList{"tafullscreen on "});
  EXPECT_TRUE(commands.fullScreen->IsChecked());
  EXPECT_EQ(commands.fullScreen->text(), "Enlever le plein écran");
  EXPECT_EQ(commands.RunCommandLine({"/fs"}), QStringList{"tafullscreen off"});
  // "-" runs the true-state handler whatever the state, "+" the false one.
  EXPECT_EQ(commands.RunCommandLine({"-fs"}), QStringList{"tafullscreen off"});
  EXPECT_EQ(commands.RunCommandLine({"+fs=x"}), QStringList{"tafullscreen on x"});
  EXPECT_EQ(commands.RunCommandLine({"+fs"}), QStringList{"tafullscreen on "});
}

TEST(CommandEngine, commands_wait_while_the_graph_is_being_changed) {
  Commands commands;
  bool busy = true;
  commands.engine.GraphBusy = [&busy] { return busy; };
  // Queued while a change of the graph is under way: nothing runs yet.
  EXPECT_EQ(commands.RunScript({"+fs"}), QStringList{});
  EXPECT_FALSE(commands.fullScreen->IsChecked());
  busy = false;
  QElapsedTimer clock;
  clock.start();
  while (!commands.fullScreen->IsChecked() && clock.elapsed() < 2000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  EXPECT_TRUE(commands.fullScreen->IsChecked());
  EXPECT_EQ(commands.log, QStringList{"tafullscreen on "});
}

TEST(CommandEngine, a_shared_switch_reaches_the_first_command_only) {
  Commands commands;
  EXPECT_EQ(commands.RunCommandLine({"/fc"}), QStringList{"taFreezeCapture on "});
  EXPECT_EQ(commands.RunScript({"format_capture=\"dv type 1 natif\""}), QStringList{"saFormatCapture dv type 1 natif"});
}

TEST(CommandEngine, quit_closes_after_the_queue_while_the_quit_command_runs_in_turn) {
  Commands commands;
  EXPECT_EQ(commands.RunCommandLine({"quit", "/fs", "/q"}), (QStringList{"tafullscreen on ", "acQuitter ", "closed"}));
  EXPECT_EQ(commands.RunCommandLine({"quit"}), QStringList{"closed"});
  EXPECT_EQ(commands.RunCommandLine({}), QStringList{"no command line"});
  // Unknown names, unnamed arguments and disabled commands do nothing.
  EXPECT_EQ(commands.RunCommandLine({"/inconnu", "fichier.avi", "/x", "-"}), QStringList{});
}

TEST(CommandEngine, script_words_true_false_toggle_drive_a_toggle) {
  Commands commands;
  EXPECT_EQ(commands.RunScript({"full_screen true", "full_screen TRUE"}),
            (QStringList{"tafullscreen on true", "tafullscreen on TRUE"}));
  EXPECT_EQ(commands.RunScript({"full_screen toggle", "full_screen toggle"}),
            (QStringList{"tafullscreen off", "tafullscreen on toggle"}));
  EXPECT_EQ(commands.RunScript({"full_screen false"}), QStringList{"tafullscreen off"});
  // Blank lines are skipped, "quit" closes at the end.
  EXPECT_EQ(commands.RunScript({"", "  quit  ", "   ", "/fc"}), (QStringList{"taFreezeCapture on ", "closed"}));
  EXPECT_FALSE(commands.engine.RunFile("/no/such/file.txt"));
}

TEST(CommandEngine, a_long_command_file_lets_the_window_work_between_commands) {
  Commands commands;
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
  timer.start(0);
  QStringList lines;
  for (int i = 0; i < 3000; ++i) lines << "format_capture";
  const QStringList log = commands.RunScript(lines);
  EXPECT_EQ(log.size(), 3000);
  EXPECT_GT(ticks, 100);
  EXPECT_TRUE(commands.engine.queue().isEmpty());
  EXPECT_FALSE(commands.engine.Executing());
}

TEST(CommandEngine, a_stop_ends_the_queue_at_the_next_command) {
  Commands commands;
  commands.formatCapture->Onexecute = [&](QObject*) {
    commands.log << "format";
    commands.engine.Stop();
  };
  EXPECT_EQ(commands.RunScript({"format_capture", "format_capture", "full_screen"}), QStringList{"format"});
}

TEST(UserExecution, prepare_may_give_the_argument_or_cancel) {
  Commands commands;
  commands.formatCapture->Onprepare = [&](TCustomSuperAction&) { commands.context.arguments << "Wav"; };
  commands.formatCapture->Execute();
  EXPECT_EQ(commands.log, QStringList{"saFormatCapture Wav"});
  commands.formatCapture->Onprepare = [&](TCustomSuperAction&) { commands.context.proceed = false; };
  commands.formatCapture->Execute();
  EXPECT_EQ(commands.log.size(), 1);
  commands.disabled->Execute();
  EXPECT_EQ(commands.log.size(), 1);
  commands.formatCapture->trigger();  // a menu or a key goes the same way
  EXPECT_EQ(commands.log.size(), 1);
}

TEST(UserExecution, an_auto_check_toggle_runs_the_handler_of_the_state_shown) {
  Commands commands;
  TtoggleAction& toggle = *commands.freezeCapture;
  toggle.AutoCheck = true;
  toggle.OnfalseExecute = [&](QObject*) { commands.log << "geler"; };
  toggle.OnTrueExecute = [&](QObject*) { commands.log << "relancer"; };
  toggle.SetChecked(false);
  toggle.Execute();
  EXPECT_EQ(commands.log, QStringList{"geler"});
  EXPECT_TRUE(toggle.IsChecked());
  EXPECT_EQ(toggle.text(), "Relancer la capture");  // not refreshed by the inversion
  toggle.Execute();
  EXPECT_EQ(commands.log, (QStringList{"geler", "relancer"}));
  EXPECT_FALSE(toggle.IsChecked());
}

namespace {

struct Persistables {
  QObject owner;
  TActionContext context;
  TNopeAction* nope = new TNopeAction(context, &owner);
  TWidestringAction* text = new TWidestringAction(context, &owner);
  TBooleanAction* boolean = new TBooleanAction(context, &owner);
  TCheckAction* check = new TCheckAction(context, &owner);
  TRectAction* rect = new TRectAction(context, &owner);
  QStringList applied;

  Persistables() {
    nope->ScriptName = "Quit";
    text->ScriptName = "Titre";
    boolean->ScriptName = "Muet";
    check->ScriptName = "Help";
    rect->ScriptName = "FormSave";
    nope->InternalApply = [this] { applied << "nope"; };
    text->InternalApply = [this] { applied << "text " + text->value(); };
    boolean->InternalApply = [this] { applied << QString("boolean %1").arg(boolean->value()); };
    check->InternalTrueApply = [this] { applied << "check true"; };
    check->InternalFalseApply = [this] { applied << "check false"; };
    rect->InternalApply = [this] { applied << "rect"; };
  }
};

}  // namespace

TEST(PersistableActions, applied_actions_record_their_macro_lines) {
  Persistables p;
  p.context.macro.Start();
  p.nope->ApplyAction();
  p.text->SetValue("Vacances");
  p.boolean->SetValue(true);
  p.boolean->SetValue(true);  // unchanged: nothing
  p.check->SetChecked(true);
  p.rect->ApplyText("(10,20,110,220)");
  EXPECT_EQ(p.context.macro.lines(), (QStringList{"    Quit;", "    Titre('Vacances');", "    Muet(True);",
                                                  "    setHelp(True);", "    FormSave(10,110,20,220);"}));
  EXPECT_EQ(p.applied.size(), 5);

  // The script window's own check and the stop command record nothing.
  p.check->ScriptName = "Script";
  p.check->SetChecked(false);
  p.nope->InternalId = "naStopMacro";
  p.nope->ApplyAction();
  TCheckAction stop(p.context);
  stop.InternalId = "naStopMacro";
  stop.ScriptName = "StopMacro";
  stop.SetChecked(true);
  EXPECT_EQ(p.context.macro.lines().size(), 5);

  // What an applied action applies in turn is not recorded again.
  p.nope->InternalApply = [&] { p.boolean->SetValue(false); };
  p.nope->InternalId.clear();
  p.nope->ApplyAction();
  EXPECT_EQ(p.context.macro.lines().mid(5), QStringList{"    Quit;"});
  EXPECT_FALSE(p.context.macro.nesting);
  EXPECT_EQ(p.context.macro.Stop().size(), 6);
  EXPECT_FALSE(p.context.macro.active());
}

TEST(PersistableActions, a_recorded_text_is_a_literal_the_script_reads_back) {
  // Quotes doubled, control characters outside the quotes.
  Persistables p;
  p.context.macro.Start();
  p.text->SetValue("L'été\r\n2024");
  p.text->SetValue("\tx");
  p.text->SetValue("");
  EXPECT_EQ(p.context.macro.lines(),
            (QStringList{"    Titre('L''été'#13#10'2024');", "    Titre(#9'x');", "    Titre('');"}));
}

TEST(PersistableActions, text_values_from_the_command_line) {
  Persistables p;
  p.rect->ApplyText(" (10, 20,110,220) ");
  EXPECT_EQ(p.rect->value(), (TRectValue{10, 20, 110, 220}));
  p.rect->ApplyText("(1,2,x,4)");
  EXPECT_EQ(p.rect->value(), (TRectValue{1, 2, 0, 4}));
  for (const char* ignored : {"1,2,3,4", "(1,2,3)", "(1,2,3,4,5)", "[1,2,3,4]", ""}) {
    p.rect->ApplyText(ignored);
    EXPECT_EQ(p.rect->value(), (TRectValue{1, 2, 0, 4})) << ignored;
  }
  for (const char* yes : {"true", " VRAI ", "t", "V", "1", "-3"}) EXPECT_TRUE(TextToBoolean(yes)) << yes;
  for (const char* no : {"false", "non", "0", "", "oui"}) EXPECT_FALSE(TextToBoolean(no)) << no;
  p.check->ApplyText("vrai");
  EXPECT_TRUE(p.check->IsChecked());
  p.text->ApplyText("  garde les blancs ");
  EXPECT_EQ(p.text->value(), "  garde les blancs ");
}

TEST(PersistableActions, declarations_and_switch_syntax) {
  Persistables p;
  p.nope->Switch = "qu";
  p.text->Switch = "ti";
  p.check->Switch = "h";
  p.rect->Switch = "fs";
  EXPECT_EQ(p.nope->ScriptDeclaration(), "procedure Quit;");
  EXPECT_EQ(p.nope->SwitchSyntax(), "/qu");
  EXPECT_EQ(p.text->ScriptDeclaration(), "procedure Titre(const aWidestring:widestring);");
  EXPECT_EQ(p.text->SwitchSyntax(), "/ti=aWidestring");
  EXPECT_EQ(p.boolean->ScriptDeclaration(), "procedure Muet(const aBoolean:Boolean);");
  EXPECT_EQ(p.check->ScriptDeclaration(), "procedure setHelp(const fisTrue:Boolean);\r\nprocedure Help;");
  EXPECT_EQ(p.check->SwitchSyntax(), "/h +h -h");
  EXPECT_EQ(p.rect->SwitchSyntax(), "/fs=aRect");
  EXPECT_EQ(p.rect->ScriptDeclaration(), "procedure FormSave(const left,right,top,bottom:integer);");

  const QList<ScriptProcedure> rect = p.rect->RegisterScript();
  ASSERT_EQ(rect.size(), 1);
  rect[0].call({10, 110, 20, 220});  // left, right, top, bottom
  EXPECT_EQ(p.rect->value(), (TRectValue{10, 20, 110, 220}));
  const QList<ScriptProcedure> check = p.check->RegisterScript();
  ASSERT_EQ(check.size(), 2);
  EXPECT_EQ(check[0].declaration, "procedure setHelp(const aBoolean:Boolean);");
  check[1].call({});
  EXPECT_TRUE(p.check->IsChecked());
  p.nope->ScriptName.clear();
  EXPECT_TRUE(p.nope->RegisterScript().isEmpty());
}

TEST(PersistableActions, values_persist_under_their_script_names) {
  Installation installation;
  installation.writeIni("");
  {
    TOrbelinPreferences preferences(installation.locations(), {});
    preferences.ShowHook({});
    Persistables p;
    p.text->SetValue("Vacances");
    p.check->SetChecked(true);
    p.rect->SetValue({1, 2, 301, 202});
    p.boolean->SetValue(true);
    p.boolean->BeforeSave = [](bool& saved) { saved = false; };  // changes what is written only
    TCustomOBActionList list;
    for (TCustomAbstractAction* action :
         {static_cast<TCustomAbstractAction*>(p.nope), static_cast<TCustomAbstractAction*>(p.text),
          static_cast<TCustomAbstractAction*>(p.boolean), static_cast<TCustomAbstractAction*>(p.check),
          static_cast<TCustomAbstractAction*>(p.rect)})
      list.Add(action);
    EXPECT_TRUE(list.SaveToPrefs(preferences));
    EXPECT_TRUE(p.boolean->value());
  }
  TOrbelinPreferences preferences(installation.locations(), {});
  preferences.ShowHook({});
  Persistables loaded;
  loaded.rect->ApplyWhenLoad = true;
  loaded.text->DefaultValue = "défaut";
  for (TCustomAbstractAction* action :
       {static_cast<TCustomAbstractAction*>(loaded.text), static_cast<TCustomAbstractAction*>(loaded.boolean),
        static_cast<TCustomAbstractAction*>(loaded.check), static_cast<TCustomAbstractAction*>(loaded.rect)})
    EXPECT_TRUE(action->LoadFromPrefs(preferences));
  EXPECT_EQ(loaded.text->value(), "Vacances");
  EXPECT_FALSE(loaded.boolean->value());
  EXPECT_TRUE(loaded.check->IsChecked());
  EXPECT_EQ(loaded.rect->value(), (TRectValue{1, 2, 301, 202}));
  EXPECT_EQ(loaded.applied, QStringList{"rect"});  // only the one applied when loaded

  // Missing values give the default, through the default events.
  TWidestringAction absent(loaded.context);
  absent.ScriptName = "Absent";
  absent.DefaultValue = "a";
  absent.OnDefault = [](QString& value) { value += "b"; };
  EXPECT_TRUE(absent.LoadFromPrefs(preferences));
  EXPECT_EQ(absent.value(), "ab");
}

TEST(PersistableActions, the_command_line_sets_clears_or_inverts_a_check) {
  Persistables p;
  p.check->Switch = "h";
  p.text->Switch = "Ti";
  TCustomOBActionList list;
  list.Add(p.check);
  list.Add(p.text);
  TOBSwitch commandLine;
  commandLine.Attach(list);
  commandLine.RunArguments({"+h", "/ti=Noël"});
  EXPECT_TRUE(p.check->IsChecked());
  EXPECT_EQ(p.text->value(), "Noël");
  commandLine.RunArguments({"/h"});
  EXPECT_FALSE(p.check->IsChecked());
  commandLine.RunArguments({"/h", "-h", "/inconnu"});
  EXPECT_FALSE(p.check->IsChecked());
  EXPECT_EQ(list.FindByInternalId(""), p.check);
  EXPECT_EQ(list.FindByInternalId("x"), nullptr);
}
