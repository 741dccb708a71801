#pragma once

#include "platform/ShellPort.h"

namespace tessarin::win32 {

class Win32ShellPort : public ShellPort {
  public:
    bool Launch(const ShellRequest& request) override;
    std::uint32_t ConnectNetworkPath(const std::string& remoteName) override;
    FoundProgram FindProgramFor(const std::string& file, const std::string& folder) override;
    bool StartProcess(const std::string& application, const std::string& commandLine) override;
    std::string TempDirectory() override;
    SystemVersion WindowsVersion() override;
    std::optional<std::uint32_t> PathAttributes(const std::string& path) override;
    bool CreateEmptyFile(const std::string& path) override;
    void RemoveFile(const std::string& path) override;
    void ShowMessage(const std::string& text, const std::string& title, int style) override;
};

}  // namespace tessarin::win32
