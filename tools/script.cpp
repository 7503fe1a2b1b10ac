// tessivo-script FILE: compiles and runs a script without a window, as the
// script window would, and prints the messages of both steps; showmessage
// prints its text. The exit status is 0 when the script ran.
#include <QCoreApplication>
#include <QFile>
#include <cstdio>

#include "actions/obscript.h"

namespace {

void Print(const QStringList& lines) {
  for (const QString& line : lines) std::printf("%s\n", line.toUtf8().constData());
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  const QStringList arguments = QCoreApplication::arguments();
  if (arguments.size() != 2) {
    std::fprintf(stderr, "usage : tessivo-script FICHIER\n");
    return 2;
  }
  QFile file(arguments[1]);
  if (!file.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "impossible de lire %s\n", arguments[1].toLocal8Bit().constData());
    return 2;
  }
  TOBScript::Desktop desktop;
  desktop.showMessage = [](const QString& text) { Print({text}); };
  desktop.processMessages = [] { QCoreApplication::processEvents(); };
  TOBScript component(desktop);
  component.Script = ScriptTextFromBytes(file.readAll());
  component.CompileScript();
  Print(component.Messages);
  const bool ran = component.RunScript();
  Print(component.Messages);
  return ran ? 0 : 1;
}
