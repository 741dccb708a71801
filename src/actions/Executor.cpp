#include "actions/Executor.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "model/ActionCaptions.h"
#include "model/ActionData.h"
#include "model/Utf8.h"

namespace tessarin {
namespace {

// The search requests: prefix, the encoded query, suffix.
constexpr const char* kGooglePrefix = "http://www.google.com/search?ie=UTF-16&oe=UTF-16&q=";
constexpr const char* kGoogleSuffix = "&lr=";
constexpr const char* kYahooPrefix = "http://search.yahoo.com/search?p=";
constexpr const char* kYahooSuffix = "&ei=UTF-16&fr=fp-top";

// A command line argument the way programs split their command lines: quoted when it holds
// a blank, so a path with spaces arrives as one argument.
std::string CommandLineArgument(const std::string& text) {
    if (text.find_first_of(" \t") == std::string::npos || text.find('"') != std::string::npos) {
        return text;
    }
    return '"' + text + '"';
}

}  // namespace

ExecutorSplit SplitForExecution(std::string_view data) {
    if (data.empty()) {
        return {};
    }
    // With a quote the executor reads the data as the editor does; without one, everything but
    // the first character is parameters.
    if (data.find('"', 1) == std::string_view::npos) {
        return {"", std::string(data.substr(Utf8CharacterLength(data, 0)))};
    }
    SplitData split = SplitActionData(data);
    return {std::move(split.Command), std::move(split.Parameters)};
}

void Executor::ExecuteAction(const std::string& caption, const std::string& data) {
    using Data = const std::string&;
    struct Handler {
        std::string_view Caption;
        void (*Run)(Executor&, Data);
    };
    using namespace captions;
    // What each caption runs; the comparison is exact.
    static constexpr Handler kHandlers[] = {
        {kOpenFileFolder, [](Executor& e, Data d) { e.OpenFileOrFolder(d); }},
        {kPasteText, [](Executor& e, Data d) { e.windows_.PasteText(d); }},
        {kGoToUrl, [](Executor& e, Data d) { e.OpenDocument(d); }},
        {kSendEmail, [](Executor& e, Data d) { e.OpenDocument(d); }},
        {kSearchGoogle, [](Executor& e, Data) { e.Search("Google"); }},
        {kSearchYahoo, [](Executor& e, Data) { e.Search("Yahoo"); }},
        {kSendEmailDialog, [](Executor& e, Data) { e.SendEmailWithPrompt(); }},
        {kEjectCdrom, [](Executor& e, Data d) { e.system_.EjectCdrom(d); }},
        {kCloseCdrom, [](Executor& e, Data d) { e.system_.CloseCdrom(d); }},
        {kOpenNamespace, [](Executor& e, Data d) { e.OpenNamespace(d); }},
        {kControlPanel, [](Executor& e, Data d) { e.OpenNamespace(d); }},
        {kCustomNamespace, [](Executor& e, Data d) { e.OpenNamespace(d); }},
        {kMyComputer, [](Executor& e, Data d) { e.OpenNamespace(d); }},
        {kPrinters, [](Executor& e, Data d) { e.OpenNamespace(d); }},
        {kRecycleBin, [](Executor& e, Data d) { e.OpenNamespace(d); }},
        {kNetwork, [](Executor& e, Data d) { e.OpenNetworkConnections(d); }},
        {kLowerVolume, [](Executor& e, Data) { e.system_.LowerVolume(); }},
        {kRaiseVolume, [](Executor& e, Data) { e.system_.RaiseVolume(); }},
        {kMute, [](Executor& e, Data) { e.system_.Mute(); }},
        {kLogoff, [](Executor& e, Data) { e.system_.Logoff(); }},
        {kShutdownComputer, [](Executor& e, Data) { e.system_.ShutdownComputer(); }},
        {kRestartComputer, [](Executor& e, Data) { e.system_.RestartComputer(); }},
        {kHideHidden, [](Executor& e, Data) { e.windows_.HideHidden(); }},
        {kShowHidden, [](Executor& e, Data) { e.windows_.ShowHidden(); }},
        {kToggleHidden, [](Executor& e, Data) { e.windows_.ToggleHidden(); }},
        {kSwitchUser, [](Executor& e, Data) { e.windows_.SwitchUser(); }},
        {kShowDesktop, [](Executor& e, Data) { e.windows_.ShowDesktop(); }},
        {kOpenAddRemovePrograms, [](Executor& e, Data d) { e.OpenApplet(d); }},
        {kOpenDesktopProperties, [](Executor& e, Data d) { e.OpenApplet(d); }},
        {kOpenSystemProperties, [](Executor& e, Data d) { e.OpenApplet(d); }},
        {kKillBrowsers, [](Executor& e, Data) { e.windows_.KillIEandNetscape(); }},
        {kMaximizeRestoreWindow, [](Executor& e, Data) { e.windows_.MaximizeRestoreWindow(); }},
        {kMinimizeWindow, [](Executor& e, Data) { e.windows_.MinimizeWindow(); }},
        {kCloseWindow, [](Executor& e, Data) { e.windows_.CloseWindow(); }},
        {kShowHideTaskbar, [](Executor& e, Data) { e.windows_.ShowHideTaskbar(); }},
        {kStartScreensaver, [](Executor& e, Data) { e.system_.StartTheDefaultScreensaver(); }},
        {kToggleMonitor, [](Executor& e, Data) { e.system_.ToggleMonitor(); }},
    };
    if (data.empty()) {
        return;
    }
    const auto found = std::find_if(std::begin(kHandlers), std::end(kHandlers),
                                    [&](const Handler& row) { return row.Caption == caption; });
    if (found != std::end(kHandlers)) {
        found->Run(*this, data);
    }
}

int Executor::ShowModeFromOptions(int defaultMode) const {
    const LaunchOptions options = options_.CurrentLaunchOptions();
    int mode = shell::kShowNormal;
    // Several ticks at once are possible in a hand-edited store; the later test wins.
    if (options.Maximized) {
        mode = shell::kShowMaximized;
    }
    if (options.Normal) {
        mode = defaultMode;
    }
    if (options.Minimized) {
        mode = shell::kMinimize;
    }
    return mode;
}

void Executor::OpenFileOrFolder(const std::string& data) {
    const ExecutorSplit split = SplitForExecution(data);
    ShellRequest request;
    request.ShowMode = ShowModeFromOptions(shell::kRestore);
    request.File = split.CommandPart;
    request.Parameters = split.ParameterPart;

    const std::string barePath = TrimBlanks(WithoutQuotes(split.CommandPart));
    if (barePath.find(':') != std::string::npos) {
        const std::optional<std::uint32_t> attributes = shell_.PathAttributes(barePath);
        // A path that cannot be looked at is taken for a folder as well: explorer then names
        // the problem to the user.
        if (!attributes || (*attributes & shell::kDirectoryAttribute) != 0) {
            request.File = "explorer.exe";
            request.Parameters = options_.CurrentLaunchOptions().DoNotReuse
                                     ? "/n," + split.CommandPart
                                     : split.CommandPart;
        }
    }

    if (barePath.starts_with("\\\\")) {
        request.Mask |= shell::kNoCloseProcess | shell::kConnectNetDrive | shell::kFlagDdeWait;
        request.File = WithoutQuotes(request.File);
        request.Parameters.clear();
        const std::uint32_t code = shell_.ConnectNetworkPath(request.File);
        // Access denied still lets the shell try, with the user's own credentials prompt.
        if (code != 0 && code != 5) {
            shell_.ShowMessage(kNetworkPathMessage, kProgramTitle, shell::kCriticalStop);
            return;
        }
    }
    shell_.Launch(request);
}

void Executor::OpenDocument(const std::string& data) {
    ShellRequest request;
    request.ShowMode = shell::kShowDefault;
    request.File = TrimBlanks(data);
    shell_.Launch(request);
}

void Executor::Search(const char* engine) {
    const bool google = std::string_view(engine) == "Google";
    state_.sSearchEngine = engine;
    prompts_.ShowSearchPrompt();
    if (state_.sSearchQuery.empty()) {
        return;
    }
    const std::string url = std::string(google ? kGooglePrefix : kYahooPrefix) +
                            TrimBlanks(state_.sSearchQuery) +
                            (google ? kGoogleSuffix : kYahooSuffix);
    if (!LaunchInBrowser(url)) {
        ShellRequest request;
        request.ShowMode = shell::kShowDefault;
        request.File = url;
        shell_.Launch(request);
    }
    state_.sSearchQuery.clear();
}

void Executor::SendEmailWithPrompt() {
    prompts_.ShowEmailPrompt();
    if (state_.sEmailReceiver.empty()) {
        return;
    }
    ShellRequest request;
    request.ShowMode = shell::kShowDefault;
    request.File = "mailto:" + TrimBlanks(state_.sEmailReceiver);
    shell_.Launch(request);
}

void Executor::OpenNamespace(const std::string& data) {
    const ExecutorSplit split = SplitForExecution(data);
    ShellRequest request;
    request.ShowMode = ShowModeFromOptions(shell::kShowNormal);
    request.File = WithoutQuotes(split.CommandPart);
    request.Parameters = split.ParameterPart;
    shell_.Launch(request);
}

void Executor::OpenNetworkConnections(const std::string& data) {
    if (IsWindowsNT()) {
        OpenNamespace(data);
        return;
    }
    ShellRequest request;
    request.ShowMode = shell::kHide;
    request.File = "\"rundll32.exe\"";
    request.Parameters = "shell32.dll,Control_RunDLL netcpl.cpl,,0";
    shell_.Launch(request);
}

void Executor::OpenApplet(const std::string& data) {
    const ExecutorSplit split = SplitForExecution(data);
    ShellRequest request;
    request.ShowMode = ShowModeFromOptions(shell::kShowNormal);
    request.File = split.CommandPart;
    request.Parameters = split.ParameterPart;
    shell_.Launch(request);
}

bool Executor::LaunchInBrowser(const std::string& url) {
    std::intptr_t code = 0;
    const std::string browser = FindDefaultBrowser(code);
    // The system reports a program found only with a value above 32; 32 itself is an error.
    if (code <= 32) {
        return false;
    }
    return shell_.StartProcess(browser, " " + CommandLineArgument(url));
}

std::string Executor::FindDefaultBrowser(std::intptr_t& code) {
    const std::string folder = GetTempDir();
    const std::string probe = folder + "dummy.html";
    shell_.CreateEmptyFile(probe);
    const FoundProgram found = shell_.FindProgramFor("dummy.html", folder);
    shell_.RemoveFile(probe);
    code = found.Code;
    return TrimAtNull(found.Path);
}

std::string Executor::GetTempDir() {
    return TrimAtNull(shell_.TempDirectory());
}

bool Executor::IsWindowsNT() {
    const SystemVersion version = shell_.WindowsVersion();
    return version.Result == 1 && version.Major >= 4 &&
           version.PlatformId == static_cast<std::uint32_t>(shell::kPlatformNt);
}

}  // namespace tessarin
