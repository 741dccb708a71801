#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "platform/HotkeyPort.h"

namespace tessarin::fakes {

// A global atom table with use counts and a hotkey service that, like the system's, refuses a
// combination or an id that is already taken. It keeps what the system would hold, not the calls.
class FakeHotkeyPort : public HotkeyPort {
  public:
    using Combination = std::pair<std::uint32_t, std::uint32_t>;  // modifiers, key code

    std::uint16_t AddGlobalAtom(const std::string& name) override {
        if (atomTableFull) {
            return 0;
        }
        const auto next = static_cast<std::uint16_t>(0xC000 + atoms_.size());
        const std::uint16_t atom = atoms_.try_emplace(name, next).first->second;
        ++useCounts[atom];
        return atom;
    }
    void DeleteGlobalAtom(std::uint16_t atom) override {
        const auto count = useCounts.find(atom);
        if (count == useCounts.end()) {
            ++overReleasedAtoms;
        } else if (--count->second == 0) {
            useCounts.erase(count);
        }
    }
    bool RegisterHotkey(std::int32_t id, std::uint32_t modifiers, std::uint32_t keyCode) override {
        const bool taken = live.count(id) != 0 || Owner({modifiers, keyCode}) != 0;
        if (!taken) {
            live.emplace(id, Combination{modifiers, keyCode});
        }
        return !taken;
    }
    void UnregisterHotkey(std::int32_t id) override { live.erase(id); }

    // The id the system reports for a pressed combination, 0 when nothing owns it.
    std::int32_t Owner(Combination pressed) const {
        for (const auto& [id, combination] : live) {
            if (combination == pressed) {
                return id;
            }
        }
        return 0;
    }

    std::map<std::uint16_t, int> useCounts;
    std::map<std::int32_t, Combination> live;
    bool atomTableFull = false;
    int overReleasedAtoms = 0;

  private:
    std::map<std::string, std::uint16_t> atoms_;
};

}  // namespace tessarin::fakes
