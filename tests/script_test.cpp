// The script language and the program's script component, driven by the
// fixtures of tests/scripts: each case is a script, the message lines its
// compilation and run give, and the calls it makes to the host, in order.
//
//   ==== name of the case
//   the script
//   ---- messages
//   the expected lines
//   ---- calls
//   the expected calls ($DIR stands for the case's own temporary folder)
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include "actions/obscript.h"
#include "support/tempfolder.h"

namespace {

struct Case {
  QString file, name, script;
  QStringList messages, calls;
};

std::vector<Case> ReadCases() {
  std::vector<Case> cases;
  const QDir folder(QStringLiteral(TESSIVO_SCRIPT_FIXTURES));
  for (const QString& name : folder.entryList({"*.txt"}, QDir::Files, QDir::Name)) {
    QFile file(folder.filePath(name));
    if (!file.open(QIODevice::ReadOnly)) continue;
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
    QStringList* section = nullptr;
    QStringList script;
    for (const QString& line : lines) {
      if (line.startsWith("==== ")) {
        cases.push_back({name, line.mid(5).trimmed(), {}, {}, {}});
        script.clear();
        section = &script;
      } else if (line == "---- messages" && !cases.empty()) {
        cases.back().script = script.join('\n');
        section = &cases.back().messages;
      } else if (line == "---- calls" && !cases.empty()) {
        section = &cases.back().calls;
      } else if (section) {
        *section << line;
      }
    }
    for (Case& c : cases) {
      while (!c.messages.isEmpty() && c.messages.back().isEmpty()) c.messages.removeLast();
      while (!c.calls.isEmpty() && c.calls.back().isEmpty()) c.calls.removeLast();
    }
  }
  return cases;
}

// The component with a desktop that notes what it is asked, and a command
// list of each value kind.
struct Host {
  explicit Host(const QString& dir) : dir(dir), script(Desktop()) {
    script.OnCompile = [this](script::TScriptEngine& engine) {
      engine.AddConstant("DIR", "widestring", script::Value::Str(this->dir));
    };
    script.Attach([this] {
      const auto note = [this](const QString& name) {
        return [this, name](const QVariantList& arguments) {
          QStringList values;
          for (const QVariant& argument : arguments) values << argument.toString();
          calls << name + '(' + values.join(',') + ')';
        };
      };
      return QList<ScriptProcedure>{
          {"procedure setHelp(const aBoolean:Boolean);", note("setHelp")},
          {"procedure Help;", note("Help")},
          {"procedure OpenScript(const aWidestring:widestring);", note("OpenScript")},
          {"procedure ScriptFormSave(const left,right,top,bottom:integer);", note("ScriptFormSave")},
      };
    });
  }
  TOBScript::Desktop Desktop() {
    TOBScript::Desktop desktop;
    desktop.showMessage = [this](const QString& text) { calls << "showmessage(" + text + ')'; };
    desktop.processMessages = [this] { calls << "processmessages"; };
    desktop.toTrash = [this](const QString& path) {
      calls << "trash(" + path + ')';
      return QFile::remove(path);
    };
    return desktop;
  }
  QStringList Compile(const QString& text) {
    script.Script = text;
    script.CompileScript();
    return script.Messages;
  }
  QStringList CompileAndRun(const QString& text) {
    QStringList messages = Compile(text);
    script.RunScript();
    return messages + script.Messages;
  }

  QString dir;
  QStringList calls;
  TOBScript script;
};

QString Replaced(QString line, const QString& dir) { return line.replace("$DIR", dir); }

}  // namespace

TEST(Scripts, every_fixture_gives_its_messages_and_calls) {
  const std::vector<Case> cases = ReadCases();
  ASSERT_GE(cases.size(), 40u);
  for (const Case& c : cases) {
    SCOPED_TRACE((c.file + " / " + c.name).toStdString());
    TempFolder folder;
    // What the folder functions find: names with and without a dot, in both
    // cases, a hidden one, a folder.
    for (const char* name : {"a.txt", "B.TXT", ".cache", "c.dat"}) folder.write(name, "x");
    QDir(folder.path()).mkdir("sous");
    Host host(folder.path());
    QStringList expectedCalls;
    for (const QString& call : c.calls) expectedCalls << Replaced(call, folder.path());
    EXPECT_EQ(host.CompileAndRun(c.script).join('\n').toStdString(), c.messages.join('\n').toStdString());
    EXPECT_EQ(host.calls.join('\n').toStdString(), expectedCalls.join('\n').toStdString());
  }
}

TEST(Scripts, the_default_script_compiles_and_runs_and_running_uncompiled_is_refused) {
  TempFolder folder;
  Host host(folder.path());
  host.script.RunScript();
  EXPECT_EQ(host.script.Messages, QStringList{"### Compilation non prête"});
  const QString defaultScript =
      "//Ecrivez un script entre begin et end.\r\n//N'oubliez pas de finir chaque commande par ;\r\nbegin\r\n\r\nend.";
  EXPECT_EQ(host.CompileAndRun(defaultScript),
            (QStringList{"*** Compilation succeeded ***", "*** Exécution réussie ***"}));
  // A failed compilation leaves nothing to run.
  host.Compile("begin x := 1; end.");
  host.script.RunScript();
  EXPECT_EQ(host.script.Messages, QStringList{"### Compilation non prête"});
}

// Whatever the text, the compiler answers with messages, soon, and with its
// stack bounded.
TEST(Scripts, hostile_texts_end_in_messages_in_bounded_time) {
  TempFolder folder;
  Host host(folder.path());
  QByteArray binary(4096, '\0');
  for (int i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>((i * 7919) % 256);
  const QString texts[] = {
      ScriptTextFromBytes(binary),
      "begin showmessage('jamais fini); end.",
      "begin { pas de fin",
      "begin (* pas de fin",
      "begin x := " + QString(10000, '(') + "1" + QString(10000, ')') + "; end.",
      "var x: Integer; begin x := " + QString(10 * 1024 * 1024 / 2, 'x').replace("xx", "x+") + "x; end.",
      QString(10 * 1024 * 1024, ';'),
      "begin " + QString(3000, 'b').replace("b", "begin ") + QString(3000, 'e').replace("e", "end ") + "end.",
      QString(400, '{').replace("{", "{$IFDEF A}") + "begin end.",
  };
  for (const QString& text : texts) {
    QElapsedTimer clock;
    clock.start();
    const QStringList messages = host.Compile(text);
    EXPECT_LT(clock.elapsed(), 20000);
    ASSERT_FALSE(messages.isEmpty());
    EXPECT_EQ(messages.back(), "### Compilation Failed") << text.left(60).toStdString();
    EXPECT_GE(messages.size(), 2) << text.left(60).toStdString();
    EXPECT_TRUE(messages.front().startsWith("[Erreur] (")) << messages.front().toStdString();
  }
  // 256 levels are allowed; the 257th is refused.
  const auto nested = [](int depth) {
    return "var x: Integer; begin x := " + QString(depth - 1, '(') + "1" + QString(depth - 1, ')') + "; end.";
  };
  EXPECT_EQ(host.Compile(nested(200)).back(), "*** Compilation succeeded ***");
  EXPECT_TRUE(host.Compile(nested(300)).front().contains("imbrication trop profonde"));
}

TEST(Scripts, script_files_are_read_as_utf8_utf16_with_its_mark_or_latin1) {
  const QString text = "begin showmessage('Été'); end.";
  EXPECT_EQ(ScriptTextFromBytes(text.toUtf8()), text);
  EXPECT_EQ(ScriptTextFromBytes("\xEF\xBB\xBF" + text.toUtf8()), text);
  QByteArray little("\xFF\xFE"), big("\xFE\xFF");
  for (const QChar c : text) {
    little.append(static_cast<char>(c.unicode() & 0xFF)).append(static_cast<char>(c.unicode() >> 8));
    big.append(static_cast<char>(c.unicode() >> 8)).append(static_cast<char>(c.unicode() & 0xFF));
  }
  EXPECT_EQ(ScriptTextFromBytes(little), text);
  EXPECT_EQ(ScriptTextFromBytes(big), text);
  EXPECT_EQ(ScriptTextFromBytes(text.toLatin1()), text);
}

// showmessage blocks: the success line comes after the box is closed, and a
// box shown by a running script lets the window's events run.
TEST(Scripts, a_message_box_holds_the_run_until_it_is_closed) {
  QStringList order;
  TOBScript::Desktop desktop;
  desktop.showMessage = [&](const QString& text) {
    QEventLoop box;
    QTimer::singleShot(100, &box, [&] {
      order << "fermée";
      box.quit();
    });
    order << "montrée " + text;
    box.exec();
  };
  TOBScript component(desktop);
  component.Script = "begin showmessage('bonjour'); end.";
  ASSERT_TRUE(component.CompileScript());
  ASSERT_TRUE(component.RunScript());
  order << component.Messages;
  EXPECT_EQ(order, (QStringList{"montrée bonjour", "fermée", "*** Exécution réussie ***"}));
}

// A script stopped while it runs (Esc) ends with an error at its next
// statement; a macro that starts a run while one runs ends the same way.
TEST(Scripts, a_running_script_stops_when_asked_and_cannot_start_another) {
  TOBScript* self = nullptr;
  int pumped = 0;
  TOBScript::Desktop desktop;
  desktop.processMessages = [&] {
    if (++pumped == 50) self->Stop();
  };
  TOBScript component(desktop);
  self = &component;
  component.Script = "var i: Integer; begin i := 0; while True do begin processmessages; Inc(i); end; end.";
  ASSERT_TRUE(component.CompileScript());
  EXPECT_FALSE(component.RunScript());
  EXPECT_EQ(component.Messages.back().toStdString(),
            "### Erreur pendant l'exécution: (1:68) script arrêté par l'utilisateur");
  EXPECT_EQ(pumped, 50);

  component.Attach([&] {
    return QList<ScriptProcedure>{{"procedure ExecuteMacro;", [&](const QVariantList&) {
                                     component.CompileScript();
                                     component.RunScript();
                                   }}};
  });
  component.Script = "begin ExecuteMacro; showmessage('après'); end.";
  ASSERT_TRUE(component.CompileScript());
  EXPECT_FALSE(component.RunScript());
  EXPECT_TRUE(component.Messages.back().startsWith("### Erreur pendant l'exécution: (1:21) une macro ne peut pas"))
      << component.Messages.back().toStdString();
}

TEST(Scripts, the_trash_takes_exactly_the_named_file) {
  TempFolder folder;
  const QByteArray data("x");
  folder.write("Garde.txt", data);
  folder.write("garde.txt", data);
  qputenv("XDG_DATA_HOME", folder.file("data").toUtf8());
  TOBScript component({});
  component.Script = "begin if deletefiletorecyclebin('" + folder.file("garde.txt") + "') then showmessage('ok'); end.";
  ASSERT_TRUE(component.CompileScript());
  ASSERT_TRUE(component.RunScript());
  EXPECT_FALSE(QFile::exists(folder.file("garde.txt")));
  EXPECT_TRUE(QFile::exists(folder.file("Garde.txt")));
  EXPECT_TRUE(QFile::exists(folder.file("data/Trash/files/garde.txt")));
  qunsetenv("XDG_DATA_HOME");
}

TEST(Scripts, a_constant_registered_twice_with_its_value_is_no_conflict_another_value_is) {
  TOBScript component({});
  int value = 255;
  component.OnCompile = [&](script::TScriptEngine& engine) {
    engine.AddConstant("clRed", "TColor", script::Value::Int(value));
  };
  component.Script = "begin showmessage(IntToStr(clRed)); end.";
  EXPECT_TRUE(component.CompileScript());
  value = 1;
  EXPECT_FALSE(component.CompileScript());
  EXPECT_TRUE(component.Messages.first().contains("identificateur redéclaré : clRed"))
      << component.Messages.first().toStdString();
  EXPECT_EQ(component.Messages.last(), "### Compilation Failed");
}

#include <QProcess>

TEST(Scripts, the_headless_runner_prints_the_messages_and_what_showmessage_shows) {
  TempFolder folder;
  folder.write("essai.txt", QString("begin showmessage('Bonjour l''été'); end.").toUtf8());
  folder.write("faux.txt", "begin x := 1; end.");
  QProcess runner;
  runner.start(TESSIVO_SCRIPT_TOOL, {folder.file("essai.txt")});
  ASSERT_TRUE(runner.waitForFinished(60000));
  EXPECT_EQ(runner.exitCode(), 0);
  EXPECT_EQ(QString::fromUtf8(runner.readAllStandardOutput()),
            "*** Compilation succeeded ***\nBonjour l'été\n*** Exécution réussie ***\n");
  runner.start(TESSIVO_SCRIPT_TOOL, {folder.file("faux.txt")});
  ASSERT_TRUE(runner.waitForFinished(60000));
  EXPECT_EQ(runner.exitCode(), 1);
  EXPECT_EQ(QString::fromUtf8(runner.readAllStandardOutput()),
            "[Erreur] (1:7) identificateur non déclaré : x\n### Compilation Failed\n### Compilation non prête\n");
}
