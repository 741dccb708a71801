#pragma once

#include <map>
#include <string_view>

#include "platform/DriveProbe.h"

namespace tessarin {

// Answers from a fixed table of roots.
// Roots are matched exactly, so a caller that asks for "E:" or "e:\" instead of "e:" is told
// that there is no drive (DRIVE_NO_ROOT_DIR).
class FakeDriveProbe : public DriveProbe {
  public:
    // Lower-case letters of the CD-ROM drives, for example "ez".
    explicit FakeDriveProbe(std::string_view cdRomLetters = "") {
        for (char letter : cdRomLetters) {
            types_[{letter, ':'}] = kDriveCdRom;
        }
    }
    void SetDriveType(char letter, int type) { types_[std::string{letter, ':'}] = type; }
    int DriveType(const std::string& root) const override {
        return types_.count(root) != 0 ? types_.at(root) : 1;
    }

  private:
    std::map<std::string, int> types_;
};

}  // namespace tessarin
