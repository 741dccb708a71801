#pragma once

#include <cstdint>
#include <string>

#include "model/AppState.h"
#include "platform/SystemPort.h"

namespace tessarin {

// The actions on the machine as a whole: logon and power, the CD tray, the wave-out volume, the
// screen saver and the monitor. The executor calls one method per caption.
class SystemActions {
  public:
    static constexpr std::uint32_t kMciSetDoorOpen = sys::kMciSetDoorOpen;
    static constexpr std::uint32_t kMciSetDoorClosed = sys::kMciSetDoorClosed;
    static constexpr int kVolumeStep = 10;
    // How long the monitor action waits at most for the hotkey's keys to come up, and how often
    // it looks.
    static constexpr std::uint64_t kKeyReleaseTimeoutMs = 2000;
    static constexpr std::uint32_t kKeyPollMs = 20;

    SystemActions(SystemPort& port, AppState& state) : port_(port), state_(state) {}
    SystemActions(const SystemActions&) = delete;
    SystemActions& operator=(const SystemActions&) = delete;

    void Logoff();
    void ShutdownComputer();
    void RestartComputer();
    void EjectCdrom(const std::string& drive) { SetCDDoor(drive, kMciSetDoorOpen); }
    void CloseCdrom(const std::string& drive) { SetCDDoor(drive, kMciSetDoorClosed); }
    void LowerVolume();
    void RaiseVolume();
    void Mute();
    void StartTheDefaultScreensaver();
    void ToggleMonitor();

    bool EnableShutdownPrivilege();
    void SetCDDoor(const std::string& drive, std::uint32_t doorCommand);
    std::string GetMCIErrorText(std::uint32_t errorCode);
    // Levels run from 0 to 255 per channel.
    std::uint32_t SetWaveVolume(std::int32_t left, std::int32_t right, std::uint32_t device);
    std::uint32_t GetWaveVolume(std::int32_t& left, std::int32_t& right, std::uint32_t device);
    // The 16-bit device words in their signed form; anything outside 0..65535 is refused with a
    // message and becomes 0.
    std::int16_t UnsignedToInteger(std::int64_t value);
    static std::int32_t IntegerToUnsigned(std::int16_t value);

  private:
    void ExitWindowsWith(std::uint32_t flags);
    void StepVolume(int step);
    // False when the program began to end during the wait.
    bool WaitForKeysReleased();

    SystemPort& port_;
    AppState& state_;
    // The device the last successful open handed out, until its close.
    std::uint32_t cdDeviceId_ = 0;
};

}  // namespace tessarin
