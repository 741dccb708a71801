// Tessarin.exe: the App runs the program; this only hands it the command line.

#include <windows.h>

#include <cstdlib>
#include <exception>

#include "app/App.h"

#if defined(__GLIBCXX__)
// An exception that nothing catches ends the program. GCC's default handler first names it on
// stderr, which a windowed program does not have, and links in the C++ name demangler and printf
// for that (some 60 KB of the exe). This one ends the program the same way without them.
void __gnu_cxx::__verbose_terminate_handler() {
    std::abort();
}
#endif

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand) {
    return tessarin::win32::App::Run(instance, commandLine != nullptr ? commandLine : L"",
                                     showCommand);
}
