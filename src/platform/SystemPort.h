#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tessarin {

// The system's own numbers for the calls below.
namespace sys {

inline constexpr std::uint32_t kEwxLogoff = 0;
inline constexpr std::uint32_t kEwxShutdown = 1;
inline constexpr std::uint32_t kEwxReboot = 2;

inline constexpr std::uint32_t kTokenAdjustPrivilegesAndQuery = 0x28;
inline constexpr std::uint32_t kSePrivilegeEnabled = 2;

inline constexpr std::uint32_t kMciOpenTypeElementShareable = 0x2300;
inline constexpr std::uint32_t kMciSetDoorOpen = 0x100;
inline constexpr std::uint32_t kMciSetDoorClosed = 0x200;

inline constexpr std::uint32_t kMbOk = 0;
inline constexpr std::uint32_t kMbIconStop = 16;

inline constexpr std::uint32_t kScScreenSave = 0xF140;
inline constexpr std::uint32_t kScMonitorPower = 0xF170;

}  // namespace sys

// The machine-wide services behind the system control actions: the logon and power, the
// shutdown privilege, the CD tray through the media control interface, the wave-out volume, the
// screen saver and monitor power, and the key state and message loop the monitor action waits on.
class SystemPort {
  public:
    // A handle the port hands out and takes back; 0 is never a valid one.
    using Handle = std::uintptr_t;

    // The locally unique identifier of a privilege.
    struct Luid {
        std::uint32_t LowPart = 0;
        std::int32_t HighPart = 0;

        friend bool operator==(const Luid&, const Luid&) = default;
    };

    virtual ~SystemPort() = default;

    // True on the NT platform family at major version 4 or later.
    virtual bool IsWindowsNT() = 0;

    // The access token of this process opened with the given rights, 0 when it cannot be opened.
    virtual Handle OpenProcessToken(std::uint32_t access) = 0;
    virtual std::optional<Luid> LookupPrivilege(const std::string& privilegeName) = 0;
    // True only when the token really holds the privilege with the new attributes afterwards.
    virtual bool AdjustTokenPrivilege(Handle token, Luid privilege, std::uint32_t attributes) = 0;
    virtual void CloseHandle(Handle handle) = 0;
    // Ends the logon, shuts down or restarts, as the flags say; the system may refuse.
    virtual void EndSession(std::uint32_t flags, std::uint32_t reason) = 0;

    // Media control interface commands; each returns the interface's error code, 0 on success.
    // The open fills deviceId only when it succeeds.
    virtual std::uint32_t MciOpen(const std::string& deviceType, const std::string& elementName,
                                  std::uint32_t flags, std::uint32_t& deviceId) = 0;
    virtual std::uint32_t MciSet(std::uint32_t deviceId, std::uint32_t flags) = 0;
    virtual std::uint32_t MciClose(std::uint32_t deviceId) = 0;
    // The interface's own text for an error code, up to its terminating NUL.
    virtual std::string MciErrorString(std::uint32_t errorCode) = 0;

    // Packed volume: low word left channel, high word right channel. Both return the system's
    // result code, 0 on success; a failed read leaves packedVolume untouched.
    virtual std::uint32_t WaveOutGetVolume(std::uint32_t device, std::uint32_t& packedVolume) = 0;
    virtual std::uint32_t WaveOutSetVolume(std::uint32_t device, std::uint32_t packedVolume) = 0;

    virtual void ShowMessageBox(const std::string& text, const std::string& title,
                                std::uint32_t style) = 0;

    // WM_SYSCOMMAND sent (not posted) to the program's main window or to the desktop window.
    virtual void SendSysCommandToMainWindow(std::uint32_t command, std::intptr_t lParam) = 0;
    virtual void SendSysCommandToDesktop(std::uint32_t command, std::intptr_t lParam) = 0;

    // The physical state of a key right now, whatever window has the focus.
    virtual bool IsKeyDown(int virtualKey) = 0;
    // A monotonic clock in milliseconds.
    virtual std::uint64_t TickCount() = 0;
    // Dispatches whatever is queued for this thread, so hotkeys stay live during a wait. False
    // once the program is ending (its quit message is left for the outer loop): stop waiting.
    virtual bool ProcessPendingMessages() = 0;
    // Sleeps until a message arrives for this thread or the time is up.
    virtual void WaitForMessages(std::uint32_t milliseconds) = 0;
};

}  // namespace tessarin
