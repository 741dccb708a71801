#pragma once

#include <map>
#include <set>
#include <vector>

#include "platform/ShellPort.h"

namespace tessarin::fakes {

// What the shell was asked to start, the shares connected, the processes created, the messages
// shown and the files left behind; answers the system questions from its fields. The browser is
// found only for a document that exists in the folder asked about.
class FakeShellPort : public ShellPort {
  public:
    bool Launch(const ShellRequest& request) override { return launches.push_back(request), true; }
    std::uint32_t ConnectNetworkPath(const std::string& share) override {
        return connections.push_back(share), connectResult;
    }
    FoundProgram FindProgramFor(const std::string& file, const std::string& folder) override {
        return files.count(folder + file) != 0 ? browser : FoundProgram{31, ""};
    }
    bool StartProcess(const std::string& program, const std::string& commandLine) override {
        return processes.push_back(program + "|" + commandLine), processStarts;
    }
    std::string TempDirectory() override { return "C:\\Temp\\"; }
    SystemVersion WindowsVersion() override { return version; }
    std::optional<std::uint32_t> PathAttributes(const std::string& path) override {
        return attributes.count(path) != 0 ? std::optional(attributes.at(path)) : std::nullopt;
    }
    bool CreateEmptyFile(const std::string& path) override { return files.insert(path), true; }
    void RemoveFile(const std::string& path) override { files.erase(path); }
    void ShowMessage(const std::string&, const std::string&, int) override { ++messages; }

    std::vector<ShellRequest> launches;
    std::vector<std::string> connections, processes;
    std::set<std::string> files;
    std::map<std::string, std::uint32_t> attributes;
    std::uint32_t connectResult = 0;
    int messages = 0;
    bool processStarts = true;
    FoundProgram browser{42, std::string("C:\\Browser\\browser.exe\0junk", 27)};  // NUL-padded
    SystemVersion version{1, 10, 2};
};

}  // namespace tessarin::fakes
