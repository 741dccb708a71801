#pragma once

// Reading and steering another process's controls. Messages that carry pointers (list-view
// items) need the structure in the other process's memory, so it is placed there for the call.

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace tessarin::testsupport {

class RemoteBuffer {
  public:
    RemoteBuffer(HWND window, std::size_t size) : size_(size) {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                               processId);
        if (process_ != nullptr) {
            address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
        }
    }
    ~RemoteBuffer() {
        if (address_ != nullptr) {
            VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        }
        if (process_ != nullptr) {
            CloseHandle(process_);
        }
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    bool Valid() const { return address_ != nullptr; }
    void* Address() const { return address_; }
    char* At(std::size_t offset) const { return static_cast<char*>(address_) + offset; }
    bool Write(std::size_t offset, const void* data, std::size_t size) {
        return WriteProcessMemory(process_, At(offset), data, size, nullptr) != FALSE;
    }
    bool Read(std::size_t offset, void* data, std::size_t size) const {
        return ReadProcessMemory(process_, At(offset), data, size, nullptr) != FALSE;
    }

  private:
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
    std::size_t size_;
};

// Every row of a report-view list, each with the texts of its first `columns` columns.
inline std::vector<std::vector<std::wstring>> ReadListView(HWND list, int columns) {
    std::vector<std::vector<std::wstring>> rows;
    const auto count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    constexpr std::size_t kTextChars = 4096;
    RemoteBuffer buffer(list, sizeof(LVITEMW) + kTextChars * sizeof(wchar_t));
    if (!buffer.Valid()) {
        return rows;
    }
    for (int row = 0; row < count; ++row) {
        std::vector<std::wstring> texts;
        for (int column = 0; column < columns; ++column) {
            LVITEMW item{};
            item.iSubItem = column;
            item.cchTextMax = kTextChars;
            item.pszText = reinterpret_cast<wchar_t*>(buffer.At(sizeof(LVITEMW)));
            buffer.Write(0, &item, sizeof(item));
            const auto length = static_cast<std::size_t>(
                SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                             reinterpret_cast<LPARAM>(buffer.Address())));
            std::wstring text(length, L'\0');
            buffer.Read(sizeof(LVITEMW), text.data(), length * sizeof(wchar_t));
            texts.push_back(text);
        }
        rows.push_back(texts);
    }
    return rows;
}

// Selects one row (0-based) of another process's list, as a click would.
inline bool SelectListRow(HWND list, int row) {
    RemoteBuffer buffer(list, sizeof(LVITEMW));
    if (!buffer.Valid()) {
        return false;
    }
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    buffer.Write(0, &item, sizeof(item));
    return SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                        reinterpret_cast<LPARAM>(buffer.Address())) != FALSE;
}

}  // namespace tessarin::testsupport
