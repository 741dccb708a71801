#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessarin {

// The registry's own numbers: the predefined roots as the signed 32-bit values callers store,
// value types, access rights and the status codes the registry class tells apart.
namespace reg {

inline constexpr std::int32_t kClassesRoot = -2147483647 - 1;  // 0x80000000
inline constexpr std::int32_t kCurrentUser = -2147483647;      // 0x80000001
inline constexpr std::int32_t kLocalMachine = -2147483646;     // 0x80000002
inline constexpr std::int32_t kUsers = -2147483645;            // 0x80000003

inline constexpr std::uint32_t kNone = 0;
inline constexpr std::uint32_t kSz = 1;
inline constexpr std::uint32_t kExpandSz = 2;
inline constexpr std::uint32_t kBinary = 3;
inline constexpr std::uint32_t kDword = 4;
inline constexpr std::uint32_t kDwordBigEndian = 5;
inline constexpr std::uint32_t kLink = 6;
inline constexpr std::uint32_t kMultiSz = 7;

inline constexpr std::uint32_t kQueryValue = 0x1;
inline constexpr std::uint32_t kSetValue = 0x2;
inline constexpr std::uint32_t kCreateSubKey = 0x4;
inline constexpr std::uint32_t kEnumerateSubKeys = 0x8;
inline constexpr std::uint32_t kNotify = 0x10;
inline constexpr std::uint32_t kCreateLink = 0x20;
// Everything but delete and security rights: what creating and writing need.
inline constexpr std::uint32_t kReadWrite = 0x3F;

inline constexpr std::int32_t kSuccess = 0;
inline constexpr std::int32_t kFileNotFound = 2;
inline constexpr std::int32_t kAccessDenied = 5;
inline constexpr std::int32_t kInvalidHandle = 6;
inline constexpr std::int32_t kNotEnoughMemory = 8;
inline constexpr std::int32_t kInvalidData = 13;
inline constexpr std::int32_t kMoreData = 234;
inline constexpr std::int32_t kNoMoreItems = 259;

// The types whose data the port hands over as text.
constexpr bool IsTextType(std::uint32_t type) {
    return type == kSz || type == kExpandSz || type == kMultiSz;
}

}  // namespace reg

// An open key. Only the port that handed it out knows what it stands for.
using RegistryKey = std::uintptr_t;

// A value's type and data. The registry stores text as UTF-16; the port converts it, so text
// types carry UTF-8 in Text (every stored character, terminating and separating NULs included)
// and every other type carries its stored bytes in Bytes.
struct RegistryData {
    std::uint32_t Type = reg::kNone;
    std::string Text;
    std::vector<std::uint8_t> Bytes;

    friend bool operator==(const RegistryData&, const RegistryData&) = default;
};

// The registry functions, one call each. Every result is the system's status code (0 success);
// roots are the predefined root numbers of namespace reg, key and value names are UTF-8, and
// lengths of names count UTF-16 characters, as the system does.
class RawRegistry {
  public:
    virtual ~RawRegistry() = default;

    virtual std::int32_t OpenKey(std::int32_t root, const std::string& subKey, std::uint32_t access,
                                 RegistryKey& key) = 0;
    // Opens the key, creating it and any missing parents first (non-volatile, default security).
    virtual std::int32_t CreateKey(std::int32_t root, const std::string& subKey,
                                   std::uint32_t access, RegistryKey& key) = 0;
    virtual void CloseKey(RegistryKey key) = 0;
    // Reads a value into a buffer of `capacity` bytes. `size` answers the stored size in bytes
    // and data.Type the stored type, also with 234 when the buffer is too small (a capacity of
    // 0 asks for just those two); the rest of data is filled only on success.
    virtual std::int32_t QueryValue(RegistryKey key, const std::string& name,
                                    std::uint32_t capacity, std::uint32_t& size,
                                    RegistryData& data) = 0;
    // Stores exactly the characters of a text type (add the terminating NUL to Text) or the
    // bytes of any other type.
    virtual std::int32_t SetValue(RegistryKey key, const std::string& name,
                                  const RegistryData& data) = 0;
    virtual std::int32_t DeleteValue(RegistryKey key, const std::string& name) = 0;
    // Deletes a key that has no subkeys.
    virtual std::int32_t DeleteKey(std::int32_t root, const std::string& subKey) = 0;
    // The length of the key's longest value name, without its NUL.
    virtual std::int32_t QueryInfoKey(RegistryKey key, std::uint32_t& longestValueName) = 0;
    // The name of the value or subkey at the index, given a buffer of `bufferLength` characters
    // (NUL included); 234 when the name does not fit, 259 past the last one.
    virtual std::int32_t EnumValue(RegistryKey key, std::uint32_t index, std::uint32_t bufferLength,
                                   std::string& name) = 0;
    virtual std::int32_t EnumKey(RegistryKey key, std::uint32_t index, std::uint32_t bufferLength,
                                 std::string& name) = 0;
    // The text with every %NAME% of a defined environment variable replaced by its value; the
    // text unchanged when the system cannot expand it.
    virtual std::string ExpandEnvironment(const std::string& text) = 0;
};

}  // namespace tessarin
