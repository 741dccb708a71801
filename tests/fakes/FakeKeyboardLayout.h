#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "platform/KeyboardLayout.h"

namespace tessarin {

// A layout from a table of what each key types with AltGr, keyed by key code and Shift.
class FakeKeyboardLayout : public KeyboardLayout {
  public:
    using Table = std::map<std::pair<std::uint32_t, bool>, std::string>;
    explicit FakeKeyboardLayout(Table table) : table_(std::move(table)) {}

    std::optional<std::string> AltGrText(std::uint32_t keyCode, bool shift) const override {
        const auto found = table_.find({keyCode, shift});
        return found == table_.end() ? std::nullopt : std::optional<std::string>(found->second);
    }

  private:
    Table table_;
};

}  // namespace tessarin
