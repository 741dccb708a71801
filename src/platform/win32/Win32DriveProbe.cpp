#include "platform/win32/Win32DriveProbe.h"

#include <windows.h>

#include <utility>

#include "platform/win32/WideString.h"

namespace tessarin::win32 {

static_assert(std::cmp_equal(kDriveCdRom, DRIVE_CDROM));

int Win32DriveProbe::DriveType(const std::string& root) const {
    return static_cast<int>(GetDriveTypeW(Widen(root).c_str()));
}

}  // namespace tessarin::win32
