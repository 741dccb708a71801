#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/HotkeyPort.h"

namespace tessarin::fakes {

// A global atom table with use counts and a hotkey service that, like the system's, refuses a
// combination that is already taken. Every call is recorded in order.
class FakeHotkeyPort : public HotkeyPort {
  public:
    struct Call {
        std::string What;        // "AddAtom", "DeleteAtom", "Register", "Unregister"
        std::string Name;        // the atom name for AddAtom
        std::int64_t Value = 0;  // the atom or id
        std::uint32_t Modifiers = 0;
        std::uint32_t KeyCode = 0;

        friend bool operator==(const Call&, const Call&) = default;
    };

    std::uint16_t AddGlobalAtom(const std::string& name) override {
        calls.push_back({"AddAtom", name, 0, 0, 0});
        if (atomTableFull) {
            return 0;
        }
        auto found = atomsByName_.find(name);
        if (found == atomsByName_.end()) {
            found = atomsByName_.emplace(name, nextAtom_++).first;
        }
        ++useCounts[found->second];
        return found->second;
    }

    void DeleteGlobalAtom(std::uint16_t atom) override {
        calls.push_back({"DeleteAtom", {}, atom, 0, 0});
        auto count = useCounts.find(atom);
        if (count == useCounts.end() || count->second == 0) {
            ++overReleasedAtoms;
            return;
        }
        if (--count->second == 0) {
            useCounts.erase(count);
            for (auto it = atomsByName_.begin(); it != atomsByName_.end(); ++it) {
                if (it->second == atom) {
                    atomsByName_.erase(it);
                    break;
                }
            }
        }
    }

    bool RegisterHotkey(std::int32_t id, std::uint32_t modifiers, std::uint32_t keyCode) override {
        calls.push_back({"Register", {}, id, modifiers, keyCode});
        const auto combination = std::make_pair(modifiers, keyCode);
        if (takenByOthers.count(combination) != 0) {
            return false;
        }
        for (const auto& [liveId, liveCombination] : live) {
            if (liveCombination == combination || liveId == id) {
                return false;
            }
        }
        live.emplace(id, combination);
        return true;
    }

    void UnregisterHotkey(std::int32_t id) override {
        calls.push_back({"Unregister", {}, id, 0, 0});
        live.erase(id);
    }

    // The id the system would report for a pressed combination, 0 when nothing owns it.
    std::int32_t Press(std::uint32_t modifiers, std::uint32_t keyCode) const {
        for (const auto& [id, combination] : live) {
            if (combination == std::make_pair(modifiers, keyCode)) {
                return id;
            }
        }
        return 0;
    }

    std::size_t CountCalls(const std::string& what) const {
        std::size_t n = 0;
        for (const Call& call : calls) {
            n += call.What == what ? 1u : 0u;
        }
        return n;
    }

    std::vector<Call> calls;
    std::map<std::uint16_t, int> useCounts;
    std::map<std::int32_t, std::pair<std::uint32_t, std::uint32_t>> live;
    std::set<std::pair<std::uint32_t, std::uint32_t>> takenByOthers;
    bool atomTableFull = false;
    int overReleasedAtoms = 0;

  private:
    std::map<std::string, std::uint16_t> atomsByName_;
    std::uint16_t nextAtom_ = 0xC000;
};

}  // namespace tessarin::fakes
