#pragma once

#include <windows.h>

#include "platform/KeyboardLayout.h"

namespace tessarin::win32 {

class Win32KeyboardLayout final : public KeyboardLayout {
  public:
    // Without a layout, every question goes to the layout of the foreground window's thread.
    explicit Win32KeyboardLayout(HKL layout = nullptr) : layout_(layout) {}

    std::optional<std::string> AltGrText(std::uint32_t keyCode, bool shift) const override;

  private:
    HKL layout_;
};

}  // namespace tessarin::win32
