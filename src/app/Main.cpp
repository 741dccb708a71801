// Tessarin.exe: the App runs the program; this only hands it the command line.

#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <exception>
#include <memory>
#include <optional>

#include "app/App.h"

#if defined(__GLIBCXX__)
// An exception that nothing catches ends the program. GCC's default handler first names it on
// stderr, which a windowed program does not have, and links in the C++ name demangler and printf
// for that (some 60 KB of the exe). This one ends the program the same way without them.
void __gnu_cxx::__verbose_terminate_handler() {
    std::abort();
}
#endif

namespace {

struct LocalFreer {
    void operator()(LPWSTR* arguments) const noexcept { LocalFree(arguments); }
};

bool IsSwitch(const wchar_t* argument, const wchar_t* name) {
    return CompareStringOrdinal(argument, -1, name, -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand) {
    // Decided before anything else: "/m" is found anywhere in the line, a file name's included.
    int count = 0;
    const std::unique_ptr<LPWSTR, LocalFreer> arguments(
        CommandLineToArgvW(GetCommandLineW(), &count));
    if (arguments != nullptr && count >= 2) {
        const wchar_t* first = arguments.get()[1];
        std::optional<tessarin::win32::FileCommand> command;
        if (IsSwitch(first, L"/export")) {
            command = tessarin::win32::FileCommand::Export;
        } else if (IsSwitch(first, L"/import")) {
            command = tessarin::win32::FileCommand::Import;
        }
        if (command) {
            // Exactly one file: anything else is a mistake to report, not a guess to act on.
            return count == 3 ? tessarin::win32::App::RunFileCommand(*command, arguments.get()[2])
                              : 1;
        }
    }
    return tessarin::win32::App::Run(instance, commandLine != nullptr ? commandLine : L"",
                                     showCommand);
}
