#pragma once

#include <windows.h>

#include "platform/SystemPort.h"

namespace tessarin::win32 {

// The system control services for the program whose main window is given: message boxes are
// owned by it and the screen saver is asked of it.
class Win32SystemPort : public SystemPort {
  public:
    explicit Win32SystemPort(HWND mainWindow) : mainWindow_(mainWindow) {}

    bool IsWindowsNT() override;

    Handle OpenProcessToken(std::uint32_t access) override;
    std::optional<Luid> LookupPrivilege(const std::string& privilegeName) override;
    bool AdjustTokenPrivilege(Handle token, Luid privilege, std::uint32_t attributes) override;
    void CloseHandle(Handle handle) override;
    void EndSession(std::uint32_t flags, std::uint32_t reason) override;

    std::uint32_t MciOpen(const std::string& deviceType, const std::string& elementName,
                          std::uint32_t flags, std::uint32_t& deviceId) override;
    std::uint32_t MciSet(std::uint32_t deviceId, std::uint32_t flags) override;
    std::uint32_t MciClose(std::uint32_t deviceId) override;
    std::string MciErrorString(std::uint32_t errorCode) override;

    std::uint32_t WaveOutGetVolume(std::uint32_t device, std::uint32_t& packedVolume) override;
    std::uint32_t WaveOutSetVolume(std::uint32_t device, std::uint32_t packedVolume) override;

    void ShowMessageBox(const std::string& text, const std::string& title,
                        std::uint32_t style) override;

    void SendSysCommandToMainWindow(std::uint32_t command, std::intptr_t lParam) override;
    void SendSysCommandToDesktop(std::uint32_t command, std::intptr_t lParam) override;

    bool IsKeyDown(int virtualKey) override;
    std::uint64_t TickCount() override;
    bool ProcessPendingMessages() override;
    void WaitForMessages(std::uint32_t milliseconds) override;

  private:
    HWND mainWindow_;
};

}  // namespace tessarin::win32
