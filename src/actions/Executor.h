#pragma once

#include <string>
#include <string_view>

#include "actions/ActionExecutor.h"
#include "actions/SystemActions.h"
#include "actions/WindowActions.h"
#include "model/AppState.h"
#include "model/Text.h"
#include "platform/ShellPort.h"
#include "Version.h"

namespace tessarin {

// The check marks of the Options menu, read afresh for every action.
struct LaunchOptions {
    bool Maximized = false;
    bool Normal = true;
    bool Minimized = false;
    bool DoNotReuse = true;
};

class LaunchOptionsSource {
  public:
    virtual ~LaunchOptionsSource() = default;
    virtual LaunchOptions CurrentLaunchOptions() const = 0;
};

// The two modal prompts. Each returns when its window has closed, having left its answer in the
// app state (sSearchQuery, sEmailReceiver).
class Prompts {
  public:
    virtual ~Prompts() = default;
    virtual void ShowSearchPrompt() = 0;
    virtual void ShowEmailPrompt() = 0;
};

// The executor's own reading of a data string: the command part up to and including the first
// quote from the second character on, and what follows the character after that quote.
struct ExecutorSplit {
    std::string CommandPart;
    std::string ParameterPart;
};
ExecutorSplit SplitForExecution(std::string_view data);

inline constexpr const char* kNetworkPathMessage = "The network path is incorrect.";

// Performs an action given its caption and data string.
class Executor : public ActionExecutor {
  public:
    Executor(ShellPort& shell, const LaunchOptionsSource& options, Prompts& prompts,
             SystemActions& system, WindowActions& windows, AppState& state)
        : shell_(shell),
          options_(options),
          prompts_(prompts),
          system_(system),
          windows_(windows),
          state_(state) {}

    void ExecuteAction(const std::string& caption, const std::string& data) override;

    // Starts the default browser on a URL; true only when a browser process was created.
    bool LaunchInBrowser(const std::string& url);
    // The program registered for ".html" files, and the lookup's result code.
    std::string FindDefaultBrowser(std::intptr_t& code);
    std::string GetTempDir();
    bool IsWindowsNT();

  private:
    int ShowModeFromOptions(int defaultMode) const;
    void OpenFileOrFolder(const std::string& data);
    void OpenDocument(const std::string& data);
    void Search(const char* engine);
    void SendEmailWithPrompt();
    void OpenNamespace(const std::string& data);
    void OpenNetworkConnections(const std::string& data);
    void OpenApplet(const std::string& data);

    ShellPort& shell_;
    const LaunchOptionsSource& options_;
    Prompts& prompts_;
    SystemActions& system_;
    WindowActions& windows_;
    AppState& state_;
};

}  // namespace tessarin
