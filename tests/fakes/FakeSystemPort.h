#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/SystemPort.h"

namespace tessarin::fakes {

// Records every call that changes something, as one line of text with its arguments, and plays
// back the answers a test sets. Its clock only moves when the code under test waits.
class FakeSystemPort : public SystemPort {
  public:
    bool IsWindowsNT() override { return windowsNT; }

    Handle OpenProcessToken(std::uint32_t access) override {
        return Log("OpenProcessToken " + Hex(access)), tokenOpens ? kToken : 0;
    }
    std::optional<Luid> LookupPrivilege(const std::string& privilegeName) override {
        Log("LookupPrivilege " + privilegeName);
        return privilegeKnown ? std::optional<Luid>(kShutdownLuid) : std::nullopt;
    }
    bool AdjustTokenPrivilege(Handle token, Luid privilege, std::uint32_t attributes) override {
        Log("AdjustTokenPrivilege " + std::to_string(token) + " " +
            std::to_string(privilege.LowPart) + " " + std::to_string(attributes));
        return privilegeAdjusts;
    }
    void CloseHandle(Handle handle) override { Log("CloseHandle " + std::to_string(handle)); }
    void EndSession(std::uint32_t flags, std::uint32_t reason) override {
        Log("EndSession " + std::to_string(flags) + " " + Hex(reason));
    }

    std::uint32_t MciOpen(const std::string& deviceType, const std::string& elementName,
                          std::uint32_t flags, std::uint32_t& deviceId) override {
        Log("MciOpen " + deviceType + " [" + elementName + "] " + Hex(flags));
        deviceId = mciOpenError == 0 ? nextDeviceId++ : deviceId;
        return mciOpenError;
    }
    std::uint32_t MciSet(std::uint32_t deviceId, std::uint32_t flags) override {
        Log("MciSet " + std::to_string(deviceId) + " " + std::to_string(flags));
        return mciSetError;
    }
    std::uint32_t MciClose(std::uint32_t deviceId) override {
        return Log("MciClose " + std::to_string(deviceId)), 0;
    }
    std::string MciErrorString(std::uint32_t errorCode) override {
        return mciErrorTexts[errorCode];
    }

    std::uint32_t WaveOutGetVolume(std::uint32_t device, std::uint32_t& packedVolume) override {
        Log("WaveOutGetVolume " + std::to_string(device));
        packedVolume = volumeReadError == 0 ? packedVolumeValue : packedVolume;
        return volumeReadError;
    }
    std::uint32_t WaveOutSetVolume(std::uint32_t device, std::uint32_t packedVolume) override {
        Log("WaveOutSetVolume " + std::to_string(device) + " " + Hex(packedVolume));
        packedVolumeValue = packedVolume;
        return 0;
    }

    void ShowMessageBox(const std::string& text, const std::string& title,
                        std::uint32_t style) override {
        Log("MessageBox [" + text + "] [" + title + "] " + std::to_string(style));
    }

    void SendSysCommandToMainWindow(std::uint32_t command, std::intptr_t lParam) override {
        Log("MainWindow SysCommand " + Hex(command) + " " + std::to_string(lParam));
    }
    void SendSysCommandToDesktop(std::uint32_t command, std::intptr_t lParam) override {
        Log("Desktop SysCommand " + Hex(command) + " " + std::to_string(lParam));
        desktopSendTimes.push_back(now);
    }

    bool IsKeyDown(int virtualKey) override {
        return now < keysUpAt && heldKeys.count(virtualKey) != 0;
    }
    std::uint64_t TickCount() override { return now; }
    bool ProcessPendingMessages() override {
        ++messagePasses;
        if (onMessages) {
            onMessages();
        }
        return !quitting;
    }
    void WaitForMessages(std::uint32_t milliseconds) override { now += milliseconds; }

    static constexpr Handle kToken = 0x7A;
    static constexpr Luid kShutdownLuid{19, 0};

    bool windowsNT = true;
    bool quitting = false;  // the program's quit message has come
    bool tokenOpens = true;
    bool privilegeKnown = true;
    bool privilegeAdjusts = true;
    std::uint32_t mciOpenError = 0;
    std::uint32_t mciSetError = 0;
    std::map<std::uint32_t, std::string> mciErrorTexts;
    std::uint32_t nextDeviceId = 1;
    std::uint32_t volumeReadError = 0;
    std::uint32_t packedVolumeValue = 0;
    std::set<int> heldKeys;
    std::uint64_t keysUpAt = 0;
    std::uint64_t now = 1000;
    int messagePasses = 0;
    // Lets a test act inside a message pass, as a hotkey pressed during a wait would.
    std::function<void()> onMessages;

    std::vector<std::string> calls;
    std::vector<std::uint64_t> desktopSendTimes;

  private:
    void Log(std::string line) { calls.push_back(std::move(line)); }
    static std::string Hex(std::uint32_t value) {
        static constexpr char kDigits[] = "0123456789ABCDEF";
        std::string text;
        do {
            text.insert(text.begin(), kDigits[value % 16]);
            value /= 16;
        } while (value != 0);
        return "0x" + text;
    }
};

}  // namespace tessarin::fakes
