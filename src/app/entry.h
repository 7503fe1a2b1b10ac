// The process: media framework check, application object, main window and
// message loop.
#pragma once

int RunTessivo(int argc, char** argv);
