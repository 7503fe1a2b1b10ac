// The process: media framework check, application object, main window and
// message loop.
#pragma once

#include <QStringList>

// The arguments after the program's name, as the user gave them.
QStringList CommandLineArguments(int argc, char** argv);

int RunTessivo(int argc, char** argv);
