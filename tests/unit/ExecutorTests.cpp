#include "actions/Executor.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "FakeDesktopPort.h"
#include "FakeRawRegistry.h"
#include "FakeShellPort.h"
#include "FakeSystemPort.h"

namespace tessarin {
namespace {

using fakes::FakeShellPort;

struct FixedOptions : LaunchOptionsSource {
    LaunchOptions CurrentLaunchOptions() const override { return options; }
    LaunchOptions options;
};

struct ScriptedPrompts : Prompts {
    void ShowSearchPrompt() override { search(); }
    void ShowEmailPrompt() override { email(); }
    std::function<void()> search = [] {};
    std::function<void()> email = [] {};
};

struct Rig {
    Rig() = default;
    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;

    void Run(const std::string& caption, const std::string& data) {
        executor.ExecuteAction(caption, data);
    }
    // Everything any port was asked to do.
    bool NothingHappened() const {
        return shell.launches.empty() && shell.connections.empty() && shell.processes.empty() &&
               shell.messages.empty() && shell.log.empty() && systemPort.calls.empty() &&
               desktop.calls.empty();
    }

    FakeShellPort shell;
    FixedOptions options;
    ScriptedPrompts prompts;
    fakes::FakeSystemPort systemPort;
    fakes::FakeDesktopPort desktop;
    fakes::FakeRawRegistry registry;
    AppState state;
    SystemActions system{systemPort, state};
    WindowActions windows{desktop, registry, 0};
    Executor executor{shell, options, prompts, system, windows, state};
};

ShellRequest Request(std::uint32_t mask, std::string file, std::string parameters, int show) {
    ShellRequest request;
    request.Mask = mask;
    request.File = std::move(file);
    request.Parameters = std::move(parameters);
    request.ShowMode = show;
    return request;
}

TEST(SplitForExecution, KeepsQuotesAndDropsTheSeparatorCharacter) {
    const struct {
        const char* data;
        const char* command;
        const char* parameters;
    } cases[] = {
        {"\"C:\\Tools\\app.exe\" -q", "\"C:\\Tools\\app.exe\"", "-q"},
        {"\"C:\\Music\" ", "\"C:\\Music\"", ""},
        {"http://x ", "", "ttp://x "},  // no quote: everything but the first character
        {"\"", "", ""},
        {"\"a\"\xC3\xA9-x", "\"a\"", "-x"},  // the dropped separator is one whole character
        {"x\"y\" z", "x\"", "\" z"},         // the first quote from the second character on
    };
    for (const auto& c : cases) {
        const ExecutorSplit split = SplitForExecution(c.data);
        EXPECT_EQ(split.CommandPart, c.command) << c.data;
        EXPECT_EQ(split.ParameterPart, c.parameters) << c.data;
    }
}

TEST(ExecuteAction, EmptyDataOrAnUnknownCaptionDoesNothing) {
    for (const char* caption : {"Open File/Folder", "Search Google", "Mute", "Show Desktop",
                                "Network", "Paste Text", "Logoff"}) {
        Rig rig;
        rig.Run(caption, "");
        EXPECT_TRUE(rig.NothingHappened()) << caption;
    }
    for (const char* caption : {"go to url", "Go to URL ", ""}) {
        Rig rig;
        rig.Run(caption, "http://x ");
        EXPECT_TRUE(rig.NothingHappened()) << caption;
    }
}

TEST(ExecuteAction, ShowModeFollowsTheOpenModeOptions) {
    const struct {
        bool maximized, normal, minimized;
        int file, namespaces;
    } cases[] = {
        {false, true, false, 9, 1}, {false, false, false, 1, 1}, {true, false, false, 3, 3},
        {false, false, true, 6, 6}, {true, true, false, 9, 1},   {true, false, true, 6, 6},
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.options.options = {c.maximized, c.normal, c.minimized, true};
        rig.Run("Open File/Folder", "\"C:\\a.exe\" -x");
        rig.Run("Control Panel", "\"explorer.exe\" /n,::{X}");
        rig.Run("Open System Properties",
                "\"rundll32.exe\" shell32.dll,Control_RunDLL sysdm.cpl,,0");
        ASSERT_EQ(rig.shell.launches.size(), 3u);
        EXPECT_EQ(rig.shell.launches[0].ShowMode, c.file);
        EXPECT_EQ(rig.shell.launches[1].ShowMode, c.namespaces);
        EXPECT_EQ(rig.shell.launches[2].ShowMode, c.namespaces);
    }
}

TEST(ExecuteAction, OpensFilesAsTheyAreAndFoldersThroughExplorer) {
    const struct {
        const char* data;
        const char* path;
        std::optional<std::uint32_t> attributes;
        bool doNotReuse;
        ShellRequest expected;
    } cases[] = {
        {"\"C:\\Tools\\app.exe\" -q", "C:\\Tools\\app.exe", 0x20, true,
         Request(0, "\"C:\\Tools\\app.exe\"", "-q", 9)},
        {"\"C:\\Music\" ", "C:\\Music", 0x10, true,
         Request(0, "explorer.exe", "/n,\"C:\\Music\"", 9)},
        {"\"C:\\Music\" ", "C:\\Music", 0x11, false,
         Request(0, "explorer.exe", "\"C:\\Music\"", 9)},
        // Unreadable attributes count as a folder too.
        {"\"C:\\gone.exe\" ", "", std::nullopt, false,
         Request(0, "explorer.exe", "\"C:\\gone.exe\"", 9)},
        // Without a colon there is no folder test at all.
        {"\"notes.txt\" ", "notes.txt", 0x10, true, Request(0, "\"notes.txt\"", "", 9)},
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.options.options.DoNotReuse = c.doNotReuse;
        if (c.attributes) {
            rig.shell.attributes[c.path] = *c.attributes;
        }
        rig.Run("Open File/Folder", c.data);
        ASSERT_EQ(rig.shell.launches.size(), 1u) << c.data;
        EXPECT_EQ(rig.shell.launches[0], c.expected) << c.data;
    }
}

TEST(ExecuteAction, NetworkPathsConnectFirst) {
    const struct {
        std::uint32_t code;
        bool launched;
    } cases[] = {{0, true}, {5, true}, {53, false}, {1203, false}};
    for (const auto& c : cases) {
        Rig rig;
        rig.shell.connectResult = c.code;
        rig.Run("Open File/Folder", "\"\\\\server\\share\" -ignored");
        EXPECT_EQ(rig.shell.connections, std::vector<std::string>{"\\\\server\\share"});
        if (c.launched) {
            ASSERT_EQ(rig.shell.launches.size(), 1u);
            EXPECT_EQ(rig.shell.launches[0], Request(0x1C0, "\\\\server\\share", "", 9));
            EXPECT_TRUE(rig.shell.messages.empty());
        } else {
            EXPECT_TRUE(rig.shell.launches.empty());
            EXPECT_EQ(rig.shell.messages,
                      std::vector<std::string>{"The network path is incorrect.|Tessarin v1.36|16"});
        }
    }
}

TEST(ExecuteAction, SearchesStartTheBrowserOnTheEncodedQuery) {
    const struct {
        const char* caption;
        const char* engine;
        const char* commandLine;
    } cases[] = {
        {"Search Google", "Google",
         " http://www.google.com/search?ie=UTF-16&oe=UTF-16&q=a%20b&lr="},
        {"Search Yahoo", "Yahoo", " http://search.yahoo.com/search?p=a%20b&ei=UTF-16&fr=fp-top"},
    };
    for (const auto& c : cases) {
        Rig rig;
        std::string engineSeen;
        rig.prompts.search = [&] {
            engineSeen = rig.state.sSearchEngine;
            rig.state.sSearchQuery = " a%20b ";
        };
        rig.Run(c.caption, " ");
        EXPECT_EQ(engineSeen, c.engine);
        EXPECT_EQ(
            rig.shell.processes,
            std::vector<std::string>{std::string("C:\\Browser\\browser.exe|") + c.commandLine});
        EXPECT_EQ(rig.shell.log, (std::vector<std::string>{"Create C:\\Temp\\dummy.html",
                                                           "Find dummy.html in C:\\Temp\\",
                                                           "Remove C:\\Temp\\dummy.html"}));
        EXPECT_TRUE(rig.state.sSearchQuery.empty());
        EXPECT_TRUE(rig.shell.launches.empty());
    }
}

TEST(ExecuteAction, SearchFallsBackToTheShellWithoutABrowser) {
    for (bool browserFound : {false, true}) {
        Rig rig;
        if (!browserFound) {
            rig.shell.browser = {31, ""};
        } else {
            rig.shell.processStarts = false;
        }
        rig.prompts.search = [&] { rig.state.sSearchQuery = "q"; };
        rig.Run("Search Google", " ");
        ASSERT_EQ(rig.shell.launches.size(), 1u);
        EXPECT_EQ(rig.shell.launches[0],
                  Request(0, "http://www.google.com/search?ie=UTF-16&oe=UTF-16&q=q&lr=", "", 10));
        EXPECT_EQ(rig.shell.processes.size(), browserFound ? 1u : 0u);
    }
}

TEST(ExecuteAction, UrlsMailLinksAndTheReceiverPromptOpenTrimmedWithTheDefaultShowMode) {
    Rig rig;
    rig.Run("Search Yahoo", " ");  // prompts cancelled: nothing is launched
    rig.Run("Send Email Dialog", " ");
    EXPECT_TRUE(rig.shell.processes.empty());
    rig.Run("Go to URL", "  http://example.test/a b ");
    rig.Run("Send Email", "mailto:someone@example.test ");
    rig.prompts.email = [&] { rig.state.sEmailReceiver = "  other@example.test  "; };
    rig.Run("Send Email Dialog", " ");
    EXPECT_EQ(rig.shell.launches,
              (std::vector<ShellRequest>{Request(0, "http://example.test/a b", "", 10),
                                         Request(0, "mailto:someone@example.test", "", 10),
                                         Request(0, "mailto:other@example.test", "", 10)}));
    EXPECT_EQ(rig.state.sEmailReceiver, "  other@example.test  ");
}

// Only a successful answer from NT 4 or later counts as NT.
TEST(ExecuteAction, NetworkConnectionsDependOnThePlatform) {
    const ShellRequest nt =
        Request(0, "explorer.exe", "/n,::{7007ACC7-3202-11D1-AAD2-00805FC1270E}", 1);
    const ShellRequest old =
        Request(0, "\"rundll32.exe\"", "shell32.dll,Control_RunDLL netcpl.cpl,,0", 0);
    const std::pair<SystemVersion, ShellRequest> cases[] = {
        {{1, 4, 2}, nt}, {{1, 3, 2}, old}, {{1, 4, 1}, old}, {{0, 10, 2}, old}};
    for (const auto& [version, expected] : cases) {
        Rig rig;
        rig.shell.version = version;
        EXPECT_EQ(rig.executor.IsWindowsNT(), expected.ShowMode == 1);
        rig.Run("Network", "\"explorer.exe\" /n,::{7007ACC7-3202-11D1-AAD2-00805FC1270E}");
        ASSERT_EQ(rig.shell.launches.size(), 1u);
        EXPECT_EQ(rig.shell.launches[0], expected)
            << version.Result << " " << version.Major << " " << version.PlatformId;
    }
}

TEST(LaunchInBrowser, QuotesAUrlThatHoldsABlank) {
    Rig rig;
    EXPECT_TRUE(rig.executor.LaunchInBrowser("C:\\Program Files\\Tessarin\\Help\\index.htm"));
    EXPECT_EQ(rig.shell.processes,
              std::vector<std::string>{
                  "C:\\Browser\\browser.exe| \"C:\\Program Files\\Tessarin\\Help\\index.htm\""});
}

TEST(ExecuteAction, MachineAndWindowCaptionsReachTheirModules) {
    for (const auto& [caption, system] : {std::pair{"Mute", true},
                                          {"Raise Volume", true},
                                          {"Close Cdrom", true},
                                          {"Start The Default Screensaver", true},
                                          {"Show Desktop", false},
                                          {"Switch User", false},
                                          {"Minimize Window", false},
                                          {"Show/Hide the taskbar", false}}) {
        Rig rig;
        rig.Run(caption, "E: ");
        EXPECT_TRUE(rig.shell.launches.empty()) << caption;
        EXPECT_EQ(!rig.systemPort.calls.empty(), system) << caption;
        EXPECT_EQ(!rig.desktop.calls.empty(), !system) << caption;
    }
}

}  // namespace
}  // namespace tessarin
