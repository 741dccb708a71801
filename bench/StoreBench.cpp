// The store of 200 actions against the real registry: SaveRegActions, LoadRegActions and the
// registration of every hotkey, as Tessarin.exe does them, with the median of several rounds.
// Usage: tessarin_storebench [rounds]

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "actions/ActionExecutor.h"
#include "hotkeys/Hotkeys.h"
#include "model/ActionStore.h"
#include "model/AppState.h"
#include "platform/win32/Win32CodePage.h"
#include "platform/win32/Win32HotkeyPort.h"
#include "platform/win32/Win32SettingsStore.h"

namespace {

using namespace tessarin;
using bench::NowMs;

class NoExecutor : public ActionExecutor {
  public:
    void ExecuteAction(const std::string&, const std::string&) override {}
};

struct Figures {
    const char* name;
    std::vector<double> ms;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int rounds = argc > 1 ? std::max(1, _wtoi(argv[1])) : 15;
    bench::KeyAside aside(L"Software\\Tessarin");

    // The hotkeys' window, as the main window would be: only its message queue matters.
    const HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                        GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr) {
        std::fprintf(stderr, "no window\n");
        return 1;
    }
    win32::Win32SettingsStore store;
    win32::Win32HotkeyPort port(window);
    win32::Win32CodePage codePage;
    NoExecutor executor;
    AppState state;
    const ActionList actions = bench::TwoHundredActions();

    Figures firstSave{"SaveRegActions, 200 actions, into an empty store", {}};
    Figures save{"SaveRegActions, 200 actions, over a stored 200", {}};
    Figures load{"LoadRegActions, 200 actions", {}};
    Figures registration{"RegisterAllHotKeys, 200 hotkeys", {}};
    Figures release{"UnregisterAllHotKeys, 200 hotkeys", {}};
    std::size_t accepted = 0;
    for (int round = 0; round < rounds; ++round) {
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tessarin");
        double start = NowMs();
        SaveRegActions(store, actions);
        firstSave.ms.push_back(NowMs() - start);

        start = NowMs();
        SaveRegActions(store, actions);
        save.ms.push_back(NowMs() - start);

        ActionList list;
        start = NowMs();
        LoadRegActions(store, list);
        load.ms.push_back(NowMs() - start);
        if (list.Count() != actions.Count()) {
            std::fprintf(stderr, "loaded %zu actions of %zu\n", list.Count(), actions.Count());
            return 1;
        }

        Hotkeys hotkeys(list, port, executor, codePage, state);
        start = NowMs();
        hotkeys.RegisterAllHotKeys();
        registration.ms.push_back(NowMs() - start);
        accepted = 0;
        for (const ActionRecord& row : list) {
            accepted += row.Registration.Accepted ? 1 : 0;
        }

        start = NowMs();
        hotkeys.UnregisterAllHotKeys();
        release.ms.push_back(NowMs() - start);
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tessarin");
    DestroyWindow(window);

    std::printf("| Operation | Median | Min | Max |\n|---|---|---|---|\n");
    for (const Figures* figures : {&firstSave, &save, &load, &registration, &release}) {
        std::printf("| %s | %.1f ms | %.1f ms | %.1f ms |\n", figures->name,
                    bench::Median(figures->ms), bench::Min(figures->ms), bench::Max(figures->ms));
    }
    std::printf("\n%d rounds; the system accepted %zu of the 200 combinations.\n", rounds,
                accepted);
    return accepted == actions.Count() ? 0 : 2;
}
