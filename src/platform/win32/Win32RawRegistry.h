#pragma once

#include "platform/RawRegistry.h"

namespace tessarin::win32 {

// The W registry functions, UTF-8 converted at the call. Only the predefined roots are accepted
// as roots, so a stray number is never taken for some other handle of the process.
class Win32RawRegistry : public RawRegistry {
  public:
    std::int32_t OpenKey(std::int32_t root, const std::string& subKey, std::uint32_t access,
                         RegistryKey& key) override;
    std::int32_t CreateKey(std::int32_t root, const std::string& subKey, std::uint32_t access,
                           RegistryKey& key) override;
    void CloseKey(RegistryKey key) override;
    std::int32_t QueryValue(RegistryKey key, const std::string& name, std::uint32_t capacity,
                            std::uint32_t& size, RegistryData& data) override;
    std::int32_t SetValue(RegistryKey key, const std::string& name,
                          const RegistryData& data) override;
    std::int32_t DeleteValue(RegistryKey key, const std::string& name) override;
    std::int32_t DeleteKey(std::int32_t root, const std::string& subKey) override;
    std::int32_t QueryInfoKey(RegistryKey key, std::uint32_t& longestValueName) override;
    std::int32_t EnumValue(RegistryKey key, std::uint32_t index, std::uint32_t bufferLength,
                           std::string& name) override;
    std::int32_t EnumKey(RegistryKey key, std::uint32_t index, std::uint32_t bufferLength,
                         std::string& name) override;
    std::string ExpandEnvironment(const std::string& text) override;
};

}  // namespace tessarin::win32
