#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/DriveProbe.h"

namespace tessarin {

// Answers from a fixed table of roots and records every root it was asked about, in order.
// Roots are matched exactly, so a caller that asks for "E:" or "e:\" instead of "e:" is told
// that there is no drive.
class FakeDriveProbe : public DriveProbe {
  public:
    static constexpr int kNoRootDir = 1;

    FakeDriveProbe() = default;

    // Lower-case letters of the CD-ROM drives, for example "ez".
    explicit FakeDriveProbe(std::string_view cdRomLetters) {
        for (char letter : cdRomLetters) {
            SetDriveType(letter, kDriveCdRom);
        }
    }

    void SetDriveType(char letter, int type) { types_[std::string{letter, ':'}] = type; }

    int DriveType(const std::string& root) const override {
        probed_.push_back(root);
        const auto found = types_.find(root);
        return found == types_.end() ? kNoRootDir : found->second;
    }

    const std::vector<std::string>& ProbedRoots() const { return probed_; }

  private:
    std::map<std::string, int> types_;
    mutable std::vector<std::string> probed_;
};

}  // namespace tessarin
