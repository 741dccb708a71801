// Whole-process figures of Tessarin.exe beside a minimal Win32 program (tessarin_floor.exe), in
// the same run: start-up to "ready" (CreateProcess until WaitForInputIdle returns, that is until
// the program's message loop first waits) and peak memory (GetProcessMemoryInfo just before the
// program is ended), then the CPU time each uses over an idle period after ready. The floor runs
// twice: bare, and with the system DLLs Tessarin.exe imports loaded, which tells the cost of
// those DLLs from Tessarin's own.
// A store of 200 actions with hotkeys is put in place first; the user's own store and Run entry
// are put back at the end.
// Usage: tessarin_processbench [rounds] [idle seconds, 0 for none] [another Tessarin.exe]
//        tessarin_processbench dlls   (the floor's memory with each system DLL alone)
// Another Tessarin.exe (an earlier build, say) is started in the same rounds, so that two builds
// are compared on the same machine at the same moment.

#include <windows.h>

#include <commctrl.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "hotkeys/HotkeyNotation.h"
#include "model/ActionStore.h"
#include "platform/win32/Win32CodePage.h"
#include "platform/win32/Win32SettingsStore.h"
#include "ui/win32/MainWindowIds.h"

namespace {

using tessarin::bench::Max;
using tessarin::bench::Median;
using tessarin::bench::Min;
using tessarin::bench::NowMs;

constexpr double kMiB = 1024.0 * 1024.0;

struct Program {
    const wchar_t* label;
    std::wstring path;
    const wchar_t* arguments;
    const wchar_t* windowClass;
    // How the program is asked to end: the floor on WM_CLOSE; Tessarin's close box only hides
    // it, so it gets its "Unload Tessarin" command.
    UINT closeMessage;
    WPARAM closeParam;
};

struct Running {
    PROCESS_INFORMATION process{};
    HWND window = nullptr;
    double readyMs = 0;
};

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    folder.resize(folder.find_last_of(L"\\/") + 1);
    return folder;
}

HWND FindProcessWindow(const wchar_t* windowClass, DWORD processId) {
    for (HWND window = FindWindowExW(nullptr, nullptr, windowClass, nullptr); window != nullptr;
         window = FindWindowExW(nullptr, window, windowClass, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId) {
            return window;
        }
    }
    return nullptr;
}

bool Start(const Program& program, Running& running) {
    std::wstring commandLine = L"\"" + program.path + L"\" " + program.arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    const double start = NowMs();
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &running.process)) {
        std::fwprintf(stderr, L"cannot start %ls (error %lu)\n", program.path.c_str(),
                      GetLastError());
        running.process = {};
        return false;
    }
    const DWORD idle = WaitForInputIdle(running.process.hProcess, 30000);
    running.readyMs = NowMs() - start;
    running.window = FindProcessWindow(program.windowClass, running.process.dwProcessId);
    if (idle != 0 || running.window == nullptr) {
        std::fwprintf(stderr, L"%ls did not become ready (a copy already running?)\n",
                      program.label);
        return false;
    }
    return true;
}

PROCESS_MEMORY_COUNTERS Memory(const Running& running) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(running.process.hProcess, &counters, sizeof(counters));
    return counters;
}

std::string ReadFileText(const std::wstring& path) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return {};
    }
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        text.append(buffer, read);
    }
    CloseHandle(file);
    return text;
}

// Under Wine, GetProcessTimes of another process reads zero, but each Windows process is one
// Linux process, seen through drive Z:. Its /proc entry is the one whose command line is the
// program's path (the folder is this build's, so other copies of the program do not match).
std::wstring LinuxProcessFolder(const std::wstring& programPath) {
    std::string path;
    for (wchar_t c : programPath) {
        path += static_cast<char>(c);
    }
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE) {
        return {};
    }
    std::wstring match;
    do {
        const std::wstring name = found.cFileName;
        if (name.find_first_not_of(L"0123456789") != std::wstring::npos) {
            continue;
        }
        const std::wstring folder = L"Z:\\proc\\" + name;
        const std::string commandLine = ReadFileText(folder + L"\\cmdline");
        if (lstrcmpiA(commandLine.substr(0, commandLine.find('\0')).c_str(), path.c_str()) == 0) {
            match = folder;
            break;
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return match;
}

struct CpuUse {
    double ms = 0;
    unsigned long long runs = 0;  // times a thread was put on a CPU: its wake-ups
};

// The sum over the process's threads of /proc/<pid>/task/<tid>/schedstat: nanoseconds on a CPU,
// nanoseconds waiting for one, timeslices run.
CpuUse LinuxCpuUse(const std::wstring& folder) {
    CpuUse use;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"\\task\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return use;
    }
    do {
        if (found.cFileName[0] == L'.') {
            continue;
        }
        const std::string stat =
            ReadFileText(folder + L"\\task\\" + found.cFileName + L"\\schedstat");
        char* end = nullptr;
        const unsigned long long onCpu = std::strtoull(stat.c_str(), &end, 10);
        std::strtoull(end, &end, 10);  // time spent waiting for a CPU
        const unsigned long long runs = std::strtoull(end, &end, 10);
        use.ms += static_cast<double>(onCpu) / 1e6;
        use.runs += runs;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return use;
}

CpuUse WindowsCpuUse(const Running& running) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(running.process.hProcess, &created, &exited, &kernel, &user)) {
        return {};
    }
    const auto value = [](FILETIME time) {
        return static_cast<double>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) |
                                   time.dwLowDateTime);
    };
    return {(value(kernel) + value(user)) / 10000.0, 0};
}

bool End(const Program& program, Running& running) {
    if (running.process.hProcess == nullptr) {
        return false;
    }
    PostMessageW(running.window, program.closeMessage, program.closeParam, 0);
    const bool ended = WaitForSingleObject(running.process.hProcess, 30000) == WAIT_OBJECT_0;
    if (!ended) {
        std::fwprintf(stderr, L"%ls did not end; terminated\n", program.label);
        TerminateProcess(running.process.hProcess, 1);
        WaitForSingleObject(running.process.hProcess, 5000);
    }
    CloseHandle(running.process.hThread);
    CloseHandle(running.process.hProcess);
    return ended;
}

// At ready, Tessarin must show all 200 rows and hold their combinations: the last one is
// refused to anyone else.
bool TessarinIsLoaded(HWND window, const tessarin::ActionList& actions) {
    const HWND list = FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr);
    const LRESULT rows = list != nullptr ? SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) : 0;
    const auto last = tessarin::ParseHotkeyText(actions.At(actions.Count()).Hotkey,
                                                tessarin::win32::Win32CodePage());
    const bool taken =
        last && RegisterHotKey(nullptr, 1, last->Modifiers | MOD_NOREPEAT, last->KeyCode) == FALSE;
    if (!taken) {
        UnregisterHotKey(nullptr, 1);
    }
    if (rows != static_cast<LRESULT>(actions.Count()) || !taken) {
        std::fprintf(stderr, "at ready: %d rows, last hotkey %s\n", static_cast<int>(rows),
                     taken ? "held" : "free");
        return false;
    }
    return true;
}

struct Series {
    std::vector<double> readyMs, peakWorkingSet, peakPagefile;
};

}  // namespace

// The floor's peak memory with each of Tessarin's system DLLs loaded alone, comdlg32 (which
// Tessarin loads only for its file dialogs) among them.
int MeasureDlls(const std::wstring& floorPath, int rounds) {
    std::printf(
        "| DLL loaded by the floor | Peak working set | Peak pagefile usage |\n"
        "|---|---|---|\n");
    for (const wchar_t* dll : {L"", L"advapi32", L"comctl32", L"comdlg32", L"gdi32", L"mpr",
                               L"ole32", L"shell32", L"winmm"}) {
        const Program program{dll, floorPath, dll, L"TessarinBenchFloor", WM_CLOSE, 0};
        Series series;
        for (int round = 0; round < rounds; ++round) {
            Running running;
            if (!Start(program, running)) {
                End(program, running);
                return 1;
            }
            const PROCESS_MEMORY_COUNTERS memory = Memory(running);
            End(program, running);
            series.peakWorkingSet.push_back(static_cast<double>(memory.PeakWorkingSetSize) / kMiB);
            series.peakPagefile.push_back(static_cast<double>(memory.PeakPagefileUsage) / kMiB);
        }
        std::printf("| %ls | %.2f MiB | %.2f MiB |\n", *dll != L'\0' ? dll : L"(none)",
                    Median(series.peakWorkingSet), Median(series.peakPagefile));
    }
    return 0;
}

int wmain(int argc, wchar_t** argv) {
    const std::wstring folder = ProgramFolder();
    if (argc > 1 && std::wstring(argv[1]) == L"dlls") {
        return MeasureDlls(folder + L"tessarin_floor.exe", 5);
    }
    const int rounds = argc > 1 ? std::max(1, _wtoi(argv[1])) : 15;
    const int idleSeconds = argc > 2 ? std::max(0, _wtoi(argv[2])) : 30;
    const Program floor{
        L"floor", folder + L"tessarin_floor.exe", L"", L"TessarinBenchFloor", WM_CLOSE, 0};
    const Program floorWithDlls{L"floor with DLLs",
                                folder + L"tessarin_floor.exe",
                                L"advapi32 comctl32 gdi32 mpr ole32 shell32 winmm",
                                L"TessarinBenchFloor",
                                WM_CLOSE,
                                0};
    const Program tessarin{L"Tessarin", folder + L"Tessarin.exe",       L"", L"TessarinMainWindow",
                           WM_COMMAND,  tessarin::win32::ids::mnuUnload};
    const Program other{L"other Tessarin",
                        argc > 3 ? std::wstring(argv[3]) : std::wstring(),
                        L"",
                        L"TessarinMainWindow",
                        WM_COMMAND,
                        tessarin::win32::ids::mnuUnload};
    std::vector<const Program*> programs = {&floor, &floorWithDlls, &tessarin};
    if (!other.path.empty()) {
        programs.push_back(&other);
    }

    tessarin::bench::KeyAside store(L"Software\\Tessarin");
    constexpr wchar_t kRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    tessarin::bench::ValueAside machineRun(HKEY_LOCAL_MACHINE, kRun, L"Tessarin");
    tessarin::bench::ValueAside userRun(HKEY_CURRENT_USER, kRun, L"Tessarin");
    const tessarin::ActionList actions = tessarin::bench::TwoHundredActions();
    {
        tessarin::win32::Win32SettingsStore settings;
        tessarin::SaveRegActions(settings, actions);
    }

    std::vector<Series> series(programs.size());
    bool ok = true;
    // Round 0 warms the file cache and is not counted.
    for (int round = 0; round <= rounds && ok; ++round) {
        for (std::size_t which = 0; which < programs.size(); ++which) {
            const Program* program = programs[which];
            Running running;
            if (!Start(*program, running)) {
                ok = false;
                End(*program, running);
                break;
            }
            if (program->windowClass == tessarin.windowClass &&
                !TessarinIsLoaded(running.window, actions)) {
                ok = false;
            }
            const PROCESS_MEMORY_COUNTERS memory = Memory(running);
            ok = End(*program, running) && ok;
            if (round > 0) {
                series[which].readyMs.push_back(running.readyMs);
                series[which].peakWorkingSet.push_back(
                    static_cast<double>(memory.PeakWorkingSetSize) / kMiB);
                series[which].peakPagefile.push_back(static_cast<double>(memory.PeakPagefileUsage) /
                                                     kMiB);
            }
        }
    }
    if (!ok) {
        return 1;
    }

    std::printf(
        "| Figure (median of %d rounds) | Floor | Floor with Tessarin's DLLs | Tessarin "
        "| Tessarin against floor |\n|---|---|---|---|---|\n",
        rounds);
    const auto row = [&](const char* name, std::vector<double> Series::*values, const char* unit,
                         bool ratio) {
        const double bare = Median(series[0].*values);
        const double dlls = Median(series[1].*values);
        const double own = Median(series[2].*values);
        std::printf("| %s | %.2f %s | %.2f %s | %.2f %s | ", name, bare, unit, dlls, unit, own,
                    unit);
        if (ratio) {
            std::printf("%.2fx |\n", own / bare);
        } else {
            std::printf("%+.2f %s |\n", own - bare, unit);
        }
    };
    for (std::size_t which = 0; which < programs.size(); ++which) {
        std::fwprintf(stderr, L"%ls, start-up per round (ms):", programs[which]->label);
        for (double ms : series[which].readyMs) {
            std::fwprintf(stderr, L" %.0f", ms);
        }
        std::fwprintf(stderr, L"\n");
    }
    row("Start-up to ready", &Series::readyMs, "ms", true);
    row("Peak working set", &Series::peakWorkingSet, "MiB", false);
    row("Peak pagefile usage (private)", &Series::peakPagefile, "MiB", false);
    // The machine's other work shows as outliers; the fastest rounds show the programs' own cost.
    std::printf("| Start-up, fastest round | %.2f ms | %.2f ms | %.2f ms | %.2fx |\n",
                Min(series[0].readyMs), Min(series[1].readyMs), Min(series[2].readyMs),
                Min(series[2].readyMs) / Min(series[0].readyMs));
    std::printf("| Start-up, slowest round | %.2f ms | %.2f ms | %.2f ms | |\n",
                Max(series[0].readyMs), Max(series[1].readyMs), Max(series[2].readyMs));
    if (programs.size() > 3) {
        std::printf("| Start-up of %ls, median | | | %.2f ms | %.2fx |\n", other.path.c_str(),
                    Median(series[3].readyMs),
                    Median(series[3].readyMs) / Median(series[0].readyMs));
        std::printf("| Start-up of %ls, fastest | | | %.2f ms | %.2fx |\n", other.path.c_str(),
                    Min(series[3].readyMs), Min(series[3].readyMs) / Min(series[0].readyMs));
    }

    if (idleSeconds > 0) {
        Running idleFloor, idleTessarin;
        if (!Start(floor, idleFloor) || !Start(tessarin, idleTessarin)) {
            End(tessarin, idleTessarin);
            End(floor, idleFloor);
            return 1;
        }
        const std::wstring floorFolder = LinuxProcessFolder(floor.path);
        const std::wstring tessarinFolder = LinuxProcessFolder(tessarin.path);
        const bool onLinux = !floorFolder.empty() && !tessarinFolder.empty();
        const auto use = [&](const Running& running, const std::wstring& linuxFolder) {
            return onLinux ? LinuxCpuUse(linuxFolder) : WindowsCpuUse(running);
        };
        const CpuUse floorBefore = use(idleFloor, floorFolder);
        const CpuUse tessarinBefore = use(idleTessarin, tessarinFolder);
        Sleep(static_cast<DWORD>(idleSeconds) * 1000);
        const CpuUse floorAfter = use(idleFloor, floorFolder);
        const CpuUse tessarinAfter = use(idleTessarin, tessarinFolder);
        const char* source = onLinux ? "Linux schedstat" : "GetProcessTimes";
        std::printf("| CPU time to ready (%s) | %.1f ms | | %.1f ms | |\n", source, floorBefore.ms,
                    tessarinBefore.ms);
        std::printf(
            "| CPU time over %d s idle after ready (%s) | %.2f ms | | %.2f ms | %+.2f ms |\n",
            idleSeconds, source, floorAfter.ms - floorBefore.ms,
            tessarinAfter.ms - tessarinBefore.ms,
            (tessarinAfter.ms - tessarinBefore.ms) - (floorAfter.ms - floorBefore.ms));
        if (onLinux) {
            std::printf("| Thread wake-ups over %d s idle | %llu | | %llu | |\n", idleSeconds,
                        floorAfter.runs - floorBefore.runs,
                        tessarinAfter.runs - tessarinBefore.runs);
        }
        End(tessarin, idleTessarin);
        End(floor, idleFloor);
    }
    return 0;
}
