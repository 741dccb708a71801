#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tessarin::win32 {

// Builds a dialog template in memory, so that small dialogs need no resource script and carry
// their texts as UTF-16 straight from the code. Units are dialog units.
class DialogTemplate {
  public:
    DialogTemplate(const std::wstring& title, short width, short height, DWORD style);
    void AddControl(const wchar_t* windowClass, const std::wstring& text, WORD id, short x, short y,
                    short width, short height, DWORD style);
    const DLGTEMPLATE* Get();

  private:
    void Align();
    void Add(const void* data, std::size_t size);
    void AddText(const std::wstring& text);

    std::vector<WORD> words_;
};

}  // namespace tessarin::win32
