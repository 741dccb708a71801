// Tessarin.exe: everything lives in the main window; this only hands it the command line.

#include <windows.h>

#include "ui/win32/MainWindow.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand) {
    return tessarin::win32::MainWindow::Run(instance, commandLine != nullptr ? commandLine : L"",
                                            showCommand);
}
