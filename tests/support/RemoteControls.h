#pragma once

// Reading and steering another process's list view. Its messages carry pointers, so the item
// structure and room for its text are placed in the list's own process.

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace tessarin::testsupport {

// Room for one item and its text in a list's own process.
class RemoteItem {
  public:
    explicit RemoteItem(HWND list) : list_(list) {
        DWORD processId = 0;
        GetWindowThreadProcessId(list, &processId);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                               processId);
        remote_ = static_cast<char*>(
            VirtualAllocEx(process_, nullptr, kSize, MEM_COMMIT, PAGE_READWRITE));
    }
    ~RemoteItem() {
        VirtualFreeEx(process_, remote_, 0, MEM_RELEASE);
        CloseHandle(process_);
    }
    RemoteItem(const RemoteItem&) = delete;
    RemoteItem& operator=(const RemoteItem&) = delete;

    // Sends a list-view message whose lParam is `item`; `text` gets the text the list wrote.
    LRESULT Send(UINT message, WPARAM row, LVITEMW item, std::wstring* text = nullptr) {
        if (remote_ == nullptr) {
            return 0;
        }
        item.pszText = reinterpret_cast<wchar_t*>(remote_ + sizeof(item));
        item.cchTextMax = kTextChars;
        WriteProcessMemory(process_, remote_, &item, sizeof(item), nullptr);
        const LRESULT result = SendMessageW(list_, message, row, reinterpret_cast<LPARAM>(remote_));
        if (text != nullptr) {
            text->assign(static_cast<std::size_t>(result), L'\0');
            ReadProcessMemory(process_, item.pszText, text->data(), text->size() * sizeof(wchar_t),
                              nullptr);
        }
        return result;
    }

  private:
    static constexpr int kTextChars = 4096;
    static constexpr std::size_t kSize = sizeof(LVITEMW) + kTextChars * sizeof(wchar_t);
    HWND list_;
    HANDLE process_ = nullptr;
    char* remote_ = nullptr;
};

// Every row of a report-view list, each with the texts of its first `columns` columns.
inline std::vector<std::vector<std::wstring>> ReadListView(HWND list, int columns) {
    std::vector<std::vector<std::wstring>> rows(
        static_cast<std::size_t>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)));
    RemoteItem remote(list);
    for (std::size_t row = 0; row < rows.size(); ++row) {
        for (int column = 0; column < columns; ++column) {
            LVITEMW item{};
            item.iSubItem = column;
            remote.Send(LVM_GETITEMTEXTW, row, item, &rows[row].emplace_back());
        }
    }
    return rows;
}

// Selects one row (0-based), as a click would.
inline bool SelectListRow(HWND list, int row) {
    LVITEMW item{};
    item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
    return RemoteItem(list).Send(LVM_SETITEMSTATE, static_cast<WPARAM>(row), item) != FALSE;
}

}  // namespace tessarin::testsupport
