#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ProfileFile.h"

namespace tessarin::fakes {

// A profile file in memory that reads as the system's functions do: blanks around a value and
// one pair of matching outer quotes are gone, and a value with a line break is refused.
class FakeProfileFile : public ProfileFile {
  public:
    using Lines = std::vector<std::pair<std::string, std::string>>;
    // Each section's lines, key and value as they stand in the file, in file order.
    std::map<std::string, Lines> lines;

    std::vector<std::string> Keys(const std::string& section) const override {
        std::vector<std::string> keys;
        for (const auto& line : lines.count(section) ? lines.at(section) : Lines{}) {
            keys.push_back(line.first);
        }
        return keys;
    }
    std::optional<std::string> Read(const std::string& section,
                                    const std::string& key) const override {
        for (const auto& [name, value] : lines.count(section) ? lines.at(section) : Lines{}) {
            const std::size_t first = value.find_first_not_of(" \t");
            const std::string text =
                first == std::string::npos
                    ? ""
                    : value.substr(first, value.find_last_not_of(" \t") + 1 - first);
            const bool quoted =
                text.size() >= 2 && (text[0] == '"' || text[0] == '\'') && text.back() == text[0];
            if (name == key) {
                return quoted ? text.substr(1, text.size() - 2) : text;
            }
        }
        return std::nullopt;
    }
    // The program writes each key once.
    bool Write(const std::string& section, const std::string& key,
               const std::string& value) override {
        const bool oneLine = value.find_first_of("\r\n") == std::string::npos;
        if (oneLine) {
            lines[section].emplace_back(key, value);
        }
        return oneLine;
    }
};

}  // namespace tessarin::fakes
