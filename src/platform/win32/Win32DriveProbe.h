#pragma once

#include "platform/DriveProbe.h"

namespace tessarin::win32 {

class Win32DriveProbe : public DriveProbe {
  public:
    int DriveType(const std::string& root) const override;
};

}  // namespace tessarin::win32
