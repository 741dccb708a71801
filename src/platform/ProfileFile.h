#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tessarin {

// A file of [sections] and key=value lines, read and written the way the system's profile
// functions do it: a value read back has lost its leading and trailing blanks and one pair of
// surrounding quotes, and a value can never hold a line break.
class ProfileFile {
  public:
    virtual ~ProfileFile() = default;
    // The names of a section's keys in file order; empty when the section is absent or empty.
    virtual std::vector<std::string> Keys(const std::string& section) const = 0;
    // A key's value as the system reads it; none when the key is absent.
    virtual std::optional<std::string> Read(const std::string& section,
                                            const std::string& key) const = 0;
    // False when the value was not written, always for one holding a line break.
    virtual bool Write(const std::string& section, const std::string& key,
                       const std::string& value) = 0;
};

}  // namespace tessarin
