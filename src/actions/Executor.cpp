#include "actions/Executor.h"

#include <algorithm>
#include <iterator>

#include "model/Utf8.h"

namespace tessarin {
namespace {

enum class Operation {
    OpenFileOrFolder,
    PasteText,
    GoToUrl,
    SearchGoogle,
    SearchYahoo,
    SendEmail,
    SendEmailDialog,
    EjectCdrom,
    CloseCdrom,
    OpenNamespace,
    Network,
    LowerVolume,
    RaiseVolume,
    Mute,
    Logoff,
    Shutdown,
    Restart,
    HideHidden,
    ShowHidden,
    ToggleHidden,
    SwitchUser,
    ShowDesktop,
    OpenApplet,
    KillBrowsers,
    MaximizeRestore,
    Minimize,
    Close,
    Taskbar,
    ScreenSaver,
    Monitor,
};

struct Dispatch {
    std::string_view Caption;
    Operation What;
};

// Captions are the stored type keys of the actions; the comparison is exact.
constexpr Dispatch kDispatch[] = {
    {"Open File/Folder", Operation::OpenFileOrFolder},
    {"Paste Text", Operation::PasteText},
    {"Go to URL", Operation::GoToUrl},
    {"Search Google", Operation::SearchGoogle},
    {"Search Yahoo", Operation::SearchYahoo},
    {"Send Email", Operation::SendEmail},
    {"Send Email Dialog", Operation::SendEmailDialog},
    {"Eject Cdrom", Operation::EjectCdrom},
    {"Close Cdrom", Operation::CloseCdrom},
    // Never produced by the editor, but accepted like the namespaces it makes.
    {"Open Namespace", Operation::OpenNamespace},
    {"Control Panel", Operation::OpenNamespace},
    {"Custom Namespace", Operation::OpenNamespace},
    {"My Computer", Operation::OpenNamespace},
    {"Printers", Operation::OpenNamespace},
    {"Recycle Bin", Operation::OpenNamespace},
    {"Network", Operation::Network},
    {"Lower Volume", Operation::LowerVolume},
    {"Raise Volume", Operation::RaiseVolume},
    {"Mute", Operation::Mute},
    {"Logoff", Operation::Logoff},
    {"Shutdown Computer", Operation::Shutdown},
    {"Restart Computer", Operation::Restart},
    {"Hide Hidden", Operation::HideHidden},
    {"Show Hidden", Operation::ShowHidden},
    {"Toggle Hidden", Operation::ToggleHidden},
    {"Switch User", Operation::SwitchUser},
    {"Show Desktop", Operation::ShowDesktop},
    {"Open Add/Remove Programs", Operation::OpenApplet},
    {"Open Desktop Properties", Operation::OpenApplet},
    {"Open System Properties", Operation::OpenApplet},
    {"Kill IE And Netscape", Operation::KillBrowsers},
    {"Maximize/Restore Window", Operation::MaximizeRestore},
    {"Minimize Window", Operation::Minimize},
    {"Close Window", Operation::Close},
    {"Show/Hide the taskbar", Operation::Taskbar},
    {"Start The Default Screensaver", Operation::ScreenSaver},
    {"Toggle Monitor On/Off", Operation::Monitor},
};

// The search requests: prefix, the encoded query, suffix.
constexpr const char* kGooglePrefix = "http://www.google.com/search?ie=UTF-16&oe=UTF-16&q=";
constexpr const char* kGoogleSuffix = "&lr=";
constexpr const char* kYahooPrefix = "http://search.yahoo.com/search?p=";
constexpr const char* kYahooSuffix = "&ei=UTF-16&fr=fp-top";

std::string WithoutQuotes(std::string_view text) {
    std::string result;
    std::copy_if(text.begin(), text.end(), std::back_inserter(result),
                 [](char c) { return c != '"'; });
    return result;
}

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
    ExecutorSplit split;
    if (data.empty()) {
        return split;
    }
    const std::size_t quote = data.find('"', 1);
    if (quote == std::string_view::npos) {
        split.ParameterPart = std::string(data.substr(Utf8CharacterLength(data, 0)));
        return split;
    }
    split.CommandPart = std::string(data.substr(0, quote + 1));
    const std::size_t separator = quote + 1;
    if (separator < data.size()) {
        split.ParameterPart =
            std::string(data.substr(separator + Utf8CharacterLength(data, separator)));
    }
    return split;
}

std::string TrimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

std::string TrimAtNull(std::string_view text) {
    return std::string(text.substr(0, text.find('\0')));
}

void Executor::ExecuteAction(const std::string& caption, const std::string& data) {
    if (data.empty()) {
        return;
    }
    const auto found = std::find_if(std::begin(kDispatch), std::end(kDispatch),
                                    [&](const Dispatch& row) { return row.Caption == caption; });
    if (found == std::end(kDispatch)) {
        return;
    }
    const ExecutorSplit split = SplitForExecution(data);
    switch (found->What) {
        case Operation::OpenFileOrFolder:
            OpenFileOrFolder(split);
            break;
        case Operation::PasteText:
            windows_.PasteText(data);
            break;
        case Operation::GoToUrl:
        case Operation::SendEmail:
            OpenDocument(data);
            break;
        case Operation::SearchGoogle:
            Search("Google");
            break;
        case Operation::SearchYahoo:
            Search("Yahoo");
            break;
        case Operation::SendEmailDialog:
            SendEmailWithPrompt();
            break;
        case Operation::EjectCdrom:
            system_.EjectCdrom(data);
            break;
        case Operation::CloseCdrom:
            system_.CloseCdrom(data);
            break;
        case Operation::OpenNamespace:
            OpenNamespace(split);
            break;
        case Operation::Network:
            OpenNetworkConnections(split);
            break;
        case Operation::LowerVolume:
            system_.LowerVolume();
            break;
        case Operation::RaiseVolume:
            system_.RaiseVolume();
            break;
        case Operation::Mute:
            system_.Mute();
            break;
        case Operation::Logoff:
            system_.Logoff();
            break;
        case Operation::Shutdown:
            system_.ShutdownComputer();
            break;
        case Operation::Restart:
            system_.RestartComputer();
            break;
        case Operation::HideHidden:
            windows_.HideHidden();
            break;
        case Operation::ShowHidden:
            windows_.ShowHidden();
            break;
        case Operation::ToggleHidden:
            windows_.ToggleHidden();
            break;
        case Operation::SwitchUser:
            windows_.SwitchUser();
            break;
        case Operation::ShowDesktop:
            windows_.ShowDesktop();
            break;
        case Operation::OpenApplet:
            OpenApplet(split);
            break;
        case Operation::KillBrowsers:
            windows_.KillIEandNetscape();
            break;
        case Operation::MaximizeRestore:
            windows_.MaximizeRestoreWindow();
            break;
        case Operation::Minimize:
            windows_.MinimizeWindow();
            break;
        case Operation::Close:
            windows_.CloseWindow();
            break;
        case Operation::Taskbar:
            windows_.ShowHideTaskbar();
            break;
        case Operation::ScreenSaver:
            system_.StartTheDefaultScreensaver();
            break;
        case Operation::Monitor:
            system_.ToggleMonitor();
            break;
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

void Executor::OpenFileOrFolder(const ExecutorSplit& split) {
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

void Executor::OpenNamespace(const ExecutorSplit& split) {
    ShellRequest request;
    request.ShowMode = ShowModeFromOptions(shell::kShowNormal);
    request.File = WithoutQuotes(split.CommandPart);
    request.Parameters = split.ParameterPart;
    shell_.Launch(request);
}

void Executor::OpenNetworkConnections(const ExecutorSplit& split) {
    if (IsWindowsNT()) {
        OpenNamespace(split);
        return;
    }
    ShellRequest request;
    request.ShowMode = shell::kHide;
    request.File = "\"rundll32.exe\"";
    request.Parameters = "shell32.dll,Control_RunDLL netcpl.cpl,,0";
    shell_.Launch(request);
}

void Executor::OpenApplet(const ExecutorSplit& split) {
    ShellRequest request;
    request.ShowMode = ShowModeFromOptions(shell::kShowNormal);
    request.File = split.CommandPart;
    request.Parameters = split.ParameterPart;
    shell_.Launch(request);
}

bool Executor::LaunchInBrowser(const std::string& url) {
    std::intptr_t code = 0;
    const std::string browser = FindDefaultBrowser(code);
    if (code < 32) {
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
