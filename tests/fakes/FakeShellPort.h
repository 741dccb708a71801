#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/ShellPort.h"

namespace tessarin::fakes {

// Records every launch and answers the system questions from its fields.
class FakeShellPort : public ShellPort {
  public:
    bool Launch(const ShellRequest& request) override {
        launches.push_back(request);
        return true;
    }
    std::uint32_t ConnectNetworkPath(const std::string& remoteName) override {
        connections.push_back(remoteName);
        return connectResult;
    }
    FoundProgram FindProgramFor(const std::string& file, const std::string& folder) override {
        log.push_back("Find " + file + " in " + folder +
                      (files.count(folder + file) ? "" : " (no file)"));
        return browser;
    }
    bool StartProcess(const std::string& application, const std::string& commandLine) override {
        processes.push_back(application + "|" + commandLine);
        return processStarts;
    }
    std::string TempDirectory() override { return tempDirectory; }
    SystemVersion WindowsVersion() override { return version; }
    std::optional<std::uint32_t> PathAttributes(const std::string& path) override {
        const auto found = attributes.find(path);
        return found == attributes.end() ? std::nullopt : std::optional(found->second);
    }
    bool CreateEmptyFile(const std::string& path) override {
        log.push_back("Create " + path);
        files[path] = true;
        return true;
    }
    void RemoveFile(const std::string& path) override {
        log.push_back("Remove " + path);
        files.erase(path);
    }
    void ShowMessage(const std::string& text, const std::string& title, int style) override {
        messages.push_back(text + "|" + title + "|" + std::to_string(style));
    }

    std::vector<ShellRequest> launches;
    std::vector<std::string> connections;
    std::vector<std::string> processes;
    std::vector<std::string> messages;
    std::vector<std::string> log;
    std::map<std::string, bool> files;
    std::map<std::string, std::uint32_t> attributes;
    std::uint32_t connectResult = 0;
    FoundProgram browser{42, std::string("C:\\Browser\\browser.exe\0junk", 27)};  // NUL-padded
    bool processStarts = true;
    std::string tempDirectory = std::string("C:\\Temp\\\0\0", 10);  // as a fixed buffer gives it
    SystemVersion version{1, 10, 2};
};

}  // namespace tessarin::fakes
