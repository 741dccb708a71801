#include "platform/win32/Win32ShellPort.h"

#include <windows.h>
#include <shellapi.h>
#include <winnetwk.h>

#include <utility>
#include <vector>

#include "platform/win32/Handles.h"
#include "platform/win32/WideString.h"

namespace tessarin::win32 {
namespace {

// The numbers the core hands through the port are the system's own.
static_assert(std::cmp_equal(shell::kHide, SW_HIDE));
static_assert(std::cmp_equal(shell::kShowNormal, SW_SHOWNORMAL));
static_assert(std::cmp_equal(shell::kShowMaximized, SW_SHOWMAXIMIZED));
static_assert(std::cmp_equal(shell::kMinimize, SW_MINIMIZE));
static_assert(std::cmp_equal(shell::kRestore, SW_RESTORE));
static_assert(std::cmp_equal(shell::kShowDefault, SW_SHOWDEFAULT));
static_assert(std::cmp_equal(shell::kNoCloseProcess, SEE_MASK_NOCLOSEPROCESS));
static_assert(std::cmp_equal(shell::kConnectNetDrive, SEE_MASK_CONNECTNETDRV));
static_assert(std::cmp_equal(shell::kFlagDdeWait, SEE_MASK_FLAG_DDEWAIT));
static_assert(std::cmp_equal(shell::kDirectoryAttribute, FILE_ATTRIBUTE_DIRECTORY));
static_assert(std::cmp_equal(shell::kCriticalStop, MB_OK | MB_ICONSTOP));
static_assert(std::cmp_equal(shell::kPlatformNt, VER_PLATFORM_WIN32_NT));

// The shell wants no NULs inside its strings and null for "none".
const wchar_t* OrNull(const std::wstring& text) {
    return text.empty() ? nullptr : text.c_str();
}

}  // namespace

bool Win32ShellPort::Launch(const ShellRequest& request) {
    const std::wstring verb = Widen(request.Verb);
    const std::wstring file = Widen(request.File);
    const std::wstring parameters = Widen(request.Parameters);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = request.Mask;
    info.lpVerb = OrNull(verb);
    info.lpFile = file.c_str();
    info.lpParameters = OrNull(parameters);
    info.nShow = request.ShowMode;
    const bool launched = ShellExecuteExW(&info) != FALSE;
    // The network launch asks for the process so that the shell waits for the connection; the
    // program has no use for it afterwards.
    const UniqueHandle process(info.hProcess);
    return launched;
}

std::uint32_t Win32ShellPort::ConnectNetworkPath(const std::string& remoteName) {
    std::wstring remote = Widen(remoteName);
    NETRESOURCEW resource{};
    resource.dwScope = RESOURCE_GLOBALNET;
    resource.dwType = RESOURCETYPE_DISK;
    resource.dwDisplayType = RESOURCEDISPLAYTYPE_SHARE;
    resource.dwUsage = RESOURCEUSAGE_CONNECTABLE;
    resource.lpRemoteName = remote.data();
    wchar_t accessName[32] = {};
    DWORD accessSize = 32;
    DWORD result = 0;
    return WNetUseConnectionW(nullptr, &resource, L"", L"", CONNECT_REDIRECT, accessName,
                              &accessSize, &result);
}

FoundProgram Win32ShellPort::FindProgramFor(const std::string& file, const std::string& folder) {
    wchar_t path[MAX_PATH] = {};
    const HINSTANCE code = FindExecutableW(Widen(file).c_str(), OrNull(Widen(folder)), path);
    return {reinterpret_cast<std::intptr_t>(code), Narrow(path)};
}

bool Win32ShellPort::StartProcess(const std::string& application, const std::string& commandLine) {
    const std::wstring program = Widen(application);
    std::wstring line = Widen(commandLine);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE,
                        NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &process)) {
        return false;
    }
    const UniqueHandle thread(process.hThread);
    const UniqueHandle created(process.hProcess);
    return created != nullptr;
}

std::string Win32ShellPort::TempDirectory() {
    std::vector<wchar_t> buffer(MAX_PATH + 1, L'\0');
    const DWORD length = GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length == 0 || length >= buffer.size()) {
        return {};
    }
    return Narrow(std::wstring_view(buffer.data(), length));
}

SystemVersion Win32ShellPort::WindowsVersion() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
#ifdef _MSC_VER
#pragma warning(suppress : 4996)  // deprecated, but it is exactly the platform test wanted here
#endif
    const BOOL result = GetVersionExW(&info);
    return {result, info.dwMajorVersion, info.dwPlatformId};
}

std::optional<std::uint32_t> Win32ShellPort::PathAttributes(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return std::nullopt;
    }
    return attributes;
}

bool Win32ShellPort::CreateEmptyFile(const std::string& path) {
    const HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    const UniqueHandle created(file);
    return true;
}

void Win32ShellPort::RemoveFile(const std::string& path) {
    DeleteFileW(Widen(path).c_str());
}

void Win32ShellPort::ShowMessage(const std::string& text, const std::string& title, int style) {
    MessageBoxW(nullptr, Widen(text).c_str(), Widen(title).c_str(), static_cast<UINT>(style));
}

}  // namespace tessarin::win32
