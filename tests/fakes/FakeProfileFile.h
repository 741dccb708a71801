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
    // Each section's lines, key and value as they stand in the file, in file order.
    std::map<std::string, std::vector<std::pair<std::string, std::string>>> lines;

    std::vector<std::string> Keys(const std::string& section) const override {
        std::vector<std::string> keys;
        if (const auto found = lines.find(section); found != lines.end()) {
            for (const auto& line : found->second) {
                keys.push_back(line.first);
            }
        }
        return keys;
    }
    std::optional<std::string> Read(const std::string& section,
                                    const std::string& key) const override {
        const std::string* value = Find(section, key);
        if (value == nullptr) {
            return std::nullopt;
        }
        std::string text = *value;
        text.erase(0, text.find_first_not_of(" \t"));
        text.erase(text.find_last_not_of(" \t") + 1);
        if (text.size() >= 2 && (text[0] == '"' || text[0] == '\'') && text.back() == text[0]) {
            text = text.substr(1, text.size() - 2);
        }
        return text;
    }
    bool Write(const std::string& section, const std::string& key,
               const std::string& value) override {
        if (value.find_first_of("\r\n") != std::string::npos) {
            return false;
        }
        auto& sectionLines = lines[section];
        for (auto& line : sectionLines) {
            if (line.first == key) {
                line.second = value;
                return true;
            }
        }
        sectionLines.emplace_back(key, value);
        return true;
    }

  private:
    const std::string* Find(const std::string& section, const std::string& key) const {
        if (const auto found = lines.find(section); found != lines.end()) {
            for (const auto& line : found->second) {
                if (line.first == key) {
                    return &line.second;
                }
            }
        }
        return nullptr;
    }
};

}  // namespace tessarin::fakes
