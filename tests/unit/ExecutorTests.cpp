#include "actions/Executor.h"

#include <gtest/gtest.h>

#include "FakeDesktopPort.h"
#include "FakeRawRegistry.h"
#include "FakeShellPort.h"
#include "FakeSystemPort.h"

namespace tessarin {
namespace {

using Requests = std::vector<ShellRequest>;
using Strings = std::vector<std::string>;

struct Rig : LaunchOptionsSource, Prompts {
    LaunchOptions CurrentLaunchOptions() const override { return options; }
    // The search prompt answers with `query`; the e-mail prompt is always cancelled.
    void ShowSearchPrompt() override { state.sSearchQuery = query; }
    void ShowEmailPrompt() override {}

    LaunchOptions options;
    std::string query;
    fakes::FakeShellPort shell;
    fakes::FakeSystemPort systemPort;
    fakes::FakeDesktopPort desktop;
    fakes::FakeRawRegistry registry;
    AppState state;
    SystemActions system{systemPort, state};
    WindowActions windows{desktop, registry, 0};
    Executor executor{shell, *this, *this, system, windows, state};
};

ShellRequest Request(std::string file, std::string parameters, int show, std::uint32_t mask = 0) {
    return {mask, "open", std::move(file), std::move(parameters), show};
}

// Each caption has its own effect, which empty data or a caption not exactly it never have.
TEST(ExecuteAction, EachCaptionRunsItsActionOnlyWithDataAndTheExactCaption) {
    const std::tuple<std::string, std::function<bool(Rig&)>> cases[] = {
        {"Go to URL", [](Rig& r) { return r.shell.launches == Requests{Request("E:", "", 10)}; }},
        {"Close Cdrom", [](Rig& r) { return r.systemPort.doors["E: "] == "closed"; }},
        {"Start The Default Screensaver", [](Rig& r) { return r.systemPort.screenSaver; }},
        {"Show Desktop",
         [](Rig& r) { return r.desktop.keys.size() == 7 && r.desktop.keys[4] == 'M'; }},
        {"Show/Hide the taskbar", [](Rig& r) { return !r.desktop.taskbarVisible; }},
    };
    for (const auto& [caption, done] : cases) {
        for (const auto& [asked, data] : std::vector<std::pair<std::string, std::string>>{
                 {caption, "E: "}, {caption, ""}, {caption + " ", "E: "}, {"x" + caption, "E: "}}) {
            Rig rig;
            rig.executor.ExecuteAction(asked, data);
            EXPECT_EQ(done(rig), asked == caption && !data.empty()) << asked;
        }
    }
}

// Only a successful answer from NT 4 or later counts as NT; before, the network applet opens
// hidden.
TEST(ExecuteAction, ShowModeFollowsTheOpenModeOptionsTheLaterTickWinning) {
    const std::tuple<LaunchOptions, SystemVersion, int, int> cases[] = {
        {{false, false, false, true}, {1, 3, 2}, 1, 1},
        {{true, false, false, true}, {1, 4, 1}, 3, 3},
        {{true, true, false, true}, {1, 4, 2}, 9, 1},
        {{true, false, true, true}, {0, 10, 2}, 6, 6}};
    // The NT row is the one whose file opens restored.
    for (const auto& [options, version, file, others] : cases) {
        Rig rig;
        rig.options = options;
        rig.shell.version = version;
        rig.executor.ExecuteAction("Open File/Folder", "\"a.exe\" -x");
        rig.executor.ExecuteAction("Network", "\"explorer.exe\" /n,::{X}");
        rig.executor.ExecuteAction("Open System Properties", "\"rundll32.exe\" sysdm.cpl");
        const ShellRequest network =
            file == 9 ? Request("explorer.exe", "/n,::{X}", others)
                      : Request("\"rundll32.exe\"", "shell32.dll,Control_RunDLL netcpl.cpl,,0", 0);
        EXPECT_EQ(rig.shell.launches, (Requests{Request("\"a.exe\"", "-x", file), network,
                                                Request("\"rundll32.exe\"", "sysdm.cpl", others)}));
    }
}

// A share is connected first; access denied still lets the shell try with its own prompt.
TEST(ExecuteAction, OpensFilesAsTheyAreFoldersThroughExplorerAndSharesOnceConnected) {
    const std::tuple<const char*, std::uint32_t, bool, std::uint32_t, Requests> cases[] = {
        // data, attributes of C:\x, do not reuse, connection result, launched
        {"\"C:\\x\" -q", 0x20, true, 0, {Request("\"C:\\x\"", "-q", 9)}},
        {"\"C:\\x\" ", 0x10, true, 0, {Request("explorer.exe", "/n,\"C:\\x\"", 9)}},
        {"\"C:\\y\" ", 0x20, false, 0, {Request("explorer.exe", "\"C:\\y\"", 9)}},  // not found
        {"\"x\" ", 0x10, true, 0, {Request("\"x\"", "", 9)}},  // no colon: no folder test
        {"\"\\\\s\\x\" -x", 0x10, true, 0, {Request("\\\\s\\x", "", 9, 0x1C0)}},
        {"\"\\\\s\\x\" -x", 0x10, true, 5, {Request("\\\\s\\x", "", 9, 0x1C0)}},
        {"\"\\\\s\\x\" -x", 0x10, true, 53, {}},
    };
    for (const auto& [data, attributes, doNotReuse, connection, launched] : cases) {
        Rig rig;
        rig.options.DoNotReuse = doNotReuse;
        rig.shell.connectResult = connection;
        rig.shell.attributes["C:\\x"] = attributes;
        rig.executor.ExecuteAction("Open File/Folder", data);
        EXPECT_EQ(rig.shell.connections, data[2] == '\\' ? Strings{"\\\\s\\x"} : Strings{});
        EXPECT_EQ(rig.shell.launches, launched) << data;
        EXPECT_EQ(rig.shell.messages, launched.empty() ? 1 : 0) << data;
    }
}

// A cancelled prompt launches nothing; a browser argument with a blank is quoted.
TEST(ExecuteAction, SearchesOpenTheQueryInTheBrowserOrElseThroughTheShell) {
    const std::string google = "http://www.google.com/search?ie=UTF-16&oe=UTF-16&q=a%20b&lr=";
    const std::string yahoo = "http://search.yahoo.com/search?p=a b&ei=UTF-16&fr=fp-top";
    // caption, browser found, its process starts, the request (none: the prompt is cancelled)
    const std::tuple<const char*, bool, bool, std::string> cases[] = {
        {"Search Google", true, true, google},  {"Search Yahoo", true, true, yahoo},
        {"Search Google", false, true, google}, {"Search Google", true, false, google},
        {"Search Yahoo", true, true, ""},       {"Send Email Dialog", true, true, ""}};
    for (const auto& [caption, found, starts, url] : cases) {
        Rig rig;
        rig.shell.browser.Code = found ? 42 : 32;  // 32: a library the program needs is missing
        rig.shell.processStarts = starts;
        rig.query = url.empty() ? "" : url == yahoo ? " a b " : " a%20b ";
        rig.executor.ExecuteAction(caption, " ");
        const std::string argument = url == yahoo ? '"' + url + '"' : url;
        EXPECT_EQ(rig.shell.processes, found && !url.empty()
                                           ? Strings{"C:\\Browser\\browser.exe| " + argument}
                                           : Strings{});
        EXPECT_EQ(rig.shell.launches,
                  (found && starts) || url.empty() ? Requests{} : Requests{Request(url, "", 10)});
        EXPECT_TRUE(rig.shell.files.empty());
        EXPECT_TRUE(rig.state.sSearchQuery.empty());
    }
}

}  // namespace
}  // namespace tessarin
