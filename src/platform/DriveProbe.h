#pragma once

#include <string>

namespace tessarin {

// Drive types as the system reports them; only CD-ROM drives matter to the catalogue.
inline constexpr int kDriveCdRom = 5;

class DriveProbe {
  public:
    virtual ~DriveProbe() = default;
    // The system's drive type for a root such as "d:" (lower-case letter, colon, no backslash).
    virtual int DriveType(const std::string& root) const = 0;
};

}  // namespace tessarin
