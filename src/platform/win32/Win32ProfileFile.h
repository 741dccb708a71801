#pragma once

#include <functional>
#include <string>

#include "platform/ProfileFile.h"

namespace tessarin::win32 {

// A profile file through GetPrivateProfileStringW and WritePrivateProfileStringW. A file that
// does not exist reads as empty.
class Win32ProfileFile final : public ProfileFile {
  public:
    explicit Win32ProfileFile(std::wstring path) : path_(std::move(path)) {}

    std::vector<std::string> Keys(const std::string& section) const override;
    std::optional<std::string> Read(const std::string& section,
                                    const std::string& key) const override;
    bool Write(const std::string& section, const std::string& key,
               const std::string& value) override;

  private:
    std::wstring path_;
};

// Makes the file at `target` anew, all or nothing: `fill` writes into a temporary UTF-16 file
// (with a byte-order mark, so the profile functions keep every character) beside the target,
// which then replaces it. False, with the target as it was and no temporary file left, when a
// step fails or `fill` returns false.
bool ReplaceProfileFile(const std::wstring& target, const std::function<bool(ProfileFile&)>& fill);

}  // namespace tessarin::win32
