#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tessarin {

namespace shell {
// Show modes as the system takes them.
inline constexpr int kHide = 0;
inline constexpr int kShowNormal = 1;
inline constexpr int kShowMaximized = 3;
inline constexpr int kMinimize = 6;
inline constexpr int kRestore = 9;
inline constexpr int kShowDefault = 10;

// Request flags.
inline constexpr std::uint32_t kNoCloseProcess = 0x40;
inline constexpr std::uint32_t kConnectNetDrive = 0x80;
inline constexpr std::uint32_t kFlagDdeWait = 0x100;

inline constexpr std::uint32_t kDirectoryAttribute = 0x10;
inline constexpr int kCriticalStop = 16;  // message box: stop icon, OK only
inline constexpr int kPlatformNt = 2;
}  // namespace shell

// One launch through the shell: open `File` with `Parameters`, no owner, no directory.
struct ShellRequest {
    std::uint32_t Mask = 0;
    std::string Verb = "open";
    std::string File;
    std::string Parameters;
    int ShowMode = shell::kHide;

    friend bool operator==(const ShellRequest&, const ShellRequest&) = default;
};

struct FoundProgram {
    std::intptr_t Code = 0;  // 32 or more: found
    std::string Path;
};

struct SystemVersion {
    int Result = 0;  // the version call's own result; 1 when it answered
    std::uint32_t Major = 0;
    std::uint32_t PlatformId = 0;
};

// Starting things through the shell, and the few system facts the launches depend on.
class ShellPort {
  public:
    virtual ~ShellPort() = default;
    // False when the shell could not start it; the shell may have shown its own message. A
    // process handle the request asked for is closed by the port.
    virtual bool Launch(const ShellRequest& request) = 0;
    // Connects a network share before it is opened; the system's result code (0 connected).
    virtual std::uint32_t ConnectNetworkPath(const std::string& remoteName) = 0;
    // The program registered for a document in a folder.
    virtual FoundProgram FindProgramFor(const std::string& file, const std::string& folder) = 0;
    // Starts a program with a command line; true when a process was created.
    virtual bool StartProcess(const std::string& application, const std::string& commandLine) = 0;
    // The temporary folder, with its trailing backslash.
    virtual std::string TempDirectory() = 0;
    virtual SystemVersion WindowsVersion() = 0;
    // The attributes of a path; none when they cannot be read (the path does not exist).
    virtual std::optional<std::uint32_t> PathAttributes(const std::string& path) = 0;
    // Creates (or empties) a file; false when it cannot.
    virtual bool CreateEmptyFile(const std::string& path) = 0;
    virtual void RemoveFile(const std::string& path) = 0;
    virtual void ShowMessage(const std::string& text, const std::string& title, int style) = 0;
};

}  // namespace tessarin
