#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tessarin::win32 {

// An in-memory dialog template with a caption and no controls: the dialogs create their controls
// once the window exists, at its DPI. Built for every showing, so the caption may change between
// them, and carried as UTF-16 straight from the code, with no resource script.
class DialogTemplate {
  public:
    explicit DialogTemplate(const std::wstring& caption);
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

  private:
    std::vector<WORD> words_;
};

}  // namespace tessarin::win32
