// In-process costs of the work a hotkey press and the editor do: dispatching a hotkey over a full
// list, and the text rules that run on every registration, split and search.

#include <benchmark/benchmark.h>

#include <string>

#include "actions/ActionExecutor.h"
#include "hotkeys/HotkeyNotation.h"
#include "hotkeys/Hotkeys.h"
#include "model/ActionData.h"
#include "platform/HotkeyPort.h"
#include "platform/Windows1252CodePage.h"
#include "ui/PromptLogic.h"

namespace tessarin {
namespace {

// Accepts every registration and forgets it: the benchmark measures our side only.
class NullHotkeyPort : public HotkeyPort {
  public:
    std::uint16_t AddGlobalAtom(const std::string&) override { return ++atom_; }
    void DeleteGlobalAtom(std::uint16_t) override {}
    bool RegisterHotkey(std::int32_t, std::uint32_t, std::uint32_t) override { return true; }
    void UnregisterHotkey(std::int32_t) override {}

  private:
    std::uint16_t atom_ = 0xC000;
};

class CountingExecutor : public ActionExecutor {
  public:
    void ExecuteAction(const std::string&, const std::string& data) override {
        benchmark::DoNotOptimize(data.size());
        ++runs;
    }
    long runs = 0;
};

// A hotkey message reaching the last of 200 rows: the whole list is scanned each time.
void DispatchOverTwoHundredRows(benchmark::State& state) {
    ActionList list;
    for (int n = 1; n <= 200; ++n) {
        ActionRecord row;
        row.ActionType = "Open File/Folder";
        row.Hotkey = "CTRL + ALT + F" + std::to_string(n % 12 + 1);
        row.Data = "\"C:\\Program Files\\Tool " + std::to_string(n) + "\\tool.exe\" -x";
        list.Add(row);
    }
    NullHotkeyPort port;
    CountingExecutor executor;
    Windows1252CodePage codePage;
    AppState appState;
    Hotkeys hotkeys(list, port, executor, codePage, appState);
    hotkeys.RegisterAllHotKeys();
    const std::int32_t lastId = list.At(200).Tag;
    for (auto _ : state) {
        hotkeys.DoHotkey(lastId);
    }
    state.counters["runs"] = static_cast<double>(executor.runs);
}
BENCHMARK(DispatchOverTwoHundredRows);

void ParseHotkeyTextBench(benchmark::State& state) {
    Windows1252CodePage codePage;
    const std::string texts[] = {"CTRL + ALT + K", "WIN + SHIFT + [LARROW]", "ALT + CTRL + F5",
                                 "null", "SHIFT + ALT + CTRL + ."};
    for (auto _ : state) {
        for (const std::string& text : texts) {
            benchmark::DoNotOptimize(ParseHotkeyText(text, codePage));
        }
    }
    state.SetItemsProcessed(state.iterations() * 5);
}
BENCHMARK(ParseHotkeyTextBench);

void SplitActionDataBench(benchmark::State& state) {
    const std::string data = "\"C:\\Program Files\\Some Tool\\tool.exe\" --open \"C:\\a b.txt\"";
    for (auto _ : state) {
        benchmark::DoNotOptimize(SplitActionData(data));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(data.size()));
}
BENCHMARK(SplitActionDataBench);

void EncodeQueryBench(benchmark::State& state) {
    Windows1252CodePage codePage;
    const std::string query = "caf\xC3\xA9 opening hours near the old town & station";
    for (auto _ : state) {
        benchmark::DoNotOptimize(EncodeQuery(query, codePage));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(query.size()));
}
BENCHMARK(EncodeQueryBench);

}  // namespace
}  // namespace tessarin

BENCHMARK_MAIN();
