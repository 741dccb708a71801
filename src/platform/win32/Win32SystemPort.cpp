#include "platform/win32/Win32SystemPort.h"

#include <mmsystem.h>

#include <utility>

#include "platform/win32/MessagePump.h"
#include "platform/win32/WideString.h"

namespace tessarin::win32 {

// The numbers the core hands through the port are the system's own.
static_assert(std::cmp_equal(sys::kEwxLogoff, EWX_LOGOFF));
static_assert(std::cmp_equal(sys::kEwxShutdown, EWX_SHUTDOWN));
static_assert(std::cmp_equal(sys::kEwxReboot, EWX_REBOOT));
static_assert(std::cmp_equal(sys::kTokenAdjustPrivilegesAndQuery,
                             TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY));
static_assert(std::cmp_equal(sys::kSePrivilegeEnabled, SE_PRIVILEGE_ENABLED));
static_assert(std::cmp_equal(sys::kMciOpenTypeElementShareable,
                             MCI_OPEN_TYPE | MCI_OPEN_ELEMENT | MCI_OPEN_SHAREABLE));
static_assert(std::cmp_equal(sys::kMciSetDoorOpen, MCI_SET_DOOR_OPEN));
static_assert(std::cmp_equal(sys::kMciSetDoorClosed, MCI_SET_DOOR_CLOSED));
static_assert(std::cmp_equal(sys::kMbOk, MB_OK));
static_assert(std::cmp_equal(sys::kMbIconStop, MB_ICONSTOP));
static_assert(std::cmp_equal(sys::kScScreenSave, SC_SCREENSAVE));
static_assert(std::cmp_equal(sys::kScMonitorPower, SC_MONITORPOWER));

bool Win32SystemPort::IsWindowsNT() {
    // GetVersionEx is deprecated and lies to unmanifested programs; the platform id and a lower
    // bound on the major version are exactly what VerifyVersionInfo answers honestly.
    OSVERSIONINFOEXW wanted{};
    wanted.dwOSVersionInfoSize = sizeof(wanted);
    wanted.dwPlatformId = VER_PLATFORM_WIN32_NT;
    wanted.dwMajorVersion = 4;
    ULONGLONG conditions = 0;
    conditions = VerSetConditionMask(conditions, VER_PLATFORMID, VER_EQUAL);
    conditions = VerSetConditionMask(conditions, VER_MAJORVERSION, VER_GREATER_EQUAL);
    return VerifyVersionInfoW(&wanted, VER_PLATFORMID | VER_MAJORVERSION, conditions) != FALSE;
}

SystemPort::Handle Win32SystemPort::OpenProcessToken(std::uint32_t access) {
    HANDLE token = nullptr;
    if (::OpenProcessToken(GetCurrentProcess(), access, &token) == FALSE) {
        return 0;
    }
    return reinterpret_cast<Handle>(token);
}

std::optional<SystemPort::Luid> Win32SystemPort::LookupPrivilege(const std::string& privilegeName) {
    LUID luid{};
    if (LookupPrivilegeValueW(nullptr, Widen(privilegeName).c_str(), &luid) == FALSE) {
        return std::nullopt;
    }
    return Luid{luid.LowPart, luid.HighPart};
}

bool Win32SystemPort::AdjustTokenPrivilege(Handle token, Luid privilege, std::uint32_t attributes) {
    TOKEN_PRIVILEGES record{};
    record.PrivilegeCount = 1;
    record.Privileges[0].Luid.LowPart = privilege.LowPart;
    record.Privileges[0].Luid.HighPart = privilege.HighPart;
    record.Privileges[0].Attributes = attributes;
    if (AdjustTokenPrivileges(reinterpret_cast<HANDLE>(token), FALSE, &record, 0, nullptr,
                              nullptr) == FALSE) {
        return false;
    }
    // The call also succeeds for a token that does not hold the privilege at all.
    return GetLastError() != ERROR_NOT_ALL_ASSIGNED;
}

void Win32SystemPort::CloseHandle(Handle handle) {
    ::CloseHandle(reinterpret_cast<HANDLE>(handle));
}

void Win32SystemPort::EndSession(std::uint32_t flags, std::uint32_t reason) {
    ExitWindowsEx(flags, reason);
}

std::uint32_t Win32SystemPort::MciOpen(const std::string& deviceType,
                                       const std::string& elementName, std::uint32_t flags,
                                       std::uint32_t& deviceId) {
    // The command form rather than a command string: the drive text goes in as data and can
    // never be read as further words of a command.
    const std::wstring type = Widen(deviceType);
    const std::wstring element = Widen(elementName);
    MCI_OPEN_PARMSW open{};
    open.lpstrDeviceType = type.c_str();
    open.lpstrElementName = element.c_str();
    const MCIERROR error = mciSendCommandW(0, MCI_OPEN, flags, reinterpret_cast<DWORD_PTR>(&open));
    if (error == 0) {
        deviceId = open.wDeviceID;
    }
    return error;
}

std::uint32_t Win32SystemPort::MciSet(std::uint32_t deviceId, std::uint32_t flags) {
    return mciSendCommandW(deviceId, MCI_SET, flags, 0);
}

std::uint32_t Win32SystemPort::MciClose(std::uint32_t deviceId) {
    return mciSendCommandW(deviceId, MCI_CLOSE, 0, 0);
}

std::string Win32SystemPort::MciErrorString(std::uint32_t errorCode) {
    wchar_t text[MAXERRORLENGTH + 1]{};
    if (mciGetErrorStringW(errorCode, text, MAXERRORLENGTH) == FALSE) {
        return {};
    }
    return Narrow(text);
}

std::uint32_t Win32SystemPort::WaveOutGetVolume(std::uint32_t device, std::uint32_t& packedVolume) {
    DWORD volume = 0;
    const MMRESULT result =
        waveOutGetVolume(reinterpret_cast<HWAVEOUT>(static_cast<UINT_PTR>(device)), &volume);
    if (result == MMSYSERR_NOERROR) {
        packedVolume = volume;
    }
    return result;
}

std::uint32_t Win32SystemPort::WaveOutSetVolume(std::uint32_t device, std::uint32_t packedVolume) {
    return waveOutSetVolume(reinterpret_cast<HWAVEOUT>(static_cast<UINT_PTR>(device)),
                            packedVolume);
}

void Win32SystemPort::ShowMessageBox(const std::string& text, const std::string& title,
                                     std::uint32_t style) {
    MessageBoxW(mainWindow_, Widen(text).c_str(), Widen(title).c_str(), style);
}

void Win32SystemPort::SendSysCommandToMainWindow(std::uint32_t command, std::intptr_t lParam) {
    SendMessageW(mainWindow_, WM_SYSCOMMAND, command, lParam);
}

void Win32SystemPort::SendSysCommandToDesktop(std::uint32_t command, std::intptr_t lParam) {
    SendMessageW(GetDesktopWindow(), WM_SYSCOMMAND, command, lParam);
}

bool Win32SystemPort::IsKeyDown(int virtualKey) {
    return (static_cast<unsigned short>(GetAsyncKeyState(virtualKey)) & 0x8000u) != 0;
}

std::uint64_t Win32SystemPort::TickCount() {
    return GetTickCount64();
}

bool Win32SystemPort::ProcessPendingMessages() {
    return PumpPendingMessages();
}

void Win32SystemPort::WaitForMessages(std::uint32_t milliseconds) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds, QS_ALLINPUT);
}

}  // namespace tessarin::win32
