#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "platform/RawRegistry.h"

namespace tessarin {

using RegistryBytes = std::vector<std::uint8_t>;

// What a registry value reads as and what can be assigned to one: empty, text, a 16-bit or
// 32-bit integer, or a byte array. The integer kinds matter: only they can be written as a DWORD.
using RegistryVariant =
    std::variant<std::monostate, std::string, std::int16_t, std::int32_t, RegistryBytes>;

// The variant as text: integers in decimal, a byte array as the text made of its bytes, empty
// as "".
std::string VariantText(const RegistryVariant& value);
// The variant as a 32-bit integer: empty is 0, a text is its decimal number (0 when it is none
// or out of range), a byte array is 0.
std::int32_t VariantLong(const RegistryVariant& value);

struct RegistryError {
    std::int32_t Number = 0;
    std::string Source;
    std::string Description;

    friend bool operator==(const RegistryError&, const RegistryError&) = default;
};

inline constexpr std::int32_t kRegistryKeyError = 26001;
inline constexpr std::int32_t kRegistrySetValueError = -2147194455;          // 0x800469A9
inline constexpr std::int32_t kRegistryAssociationListError = -2147194452;   // 0x800469AC
inline constexpr std::int32_t kRegistryAssociationClassError = -2147194451;  // 0x800469AD

// One place in the registry (root, key path, value name, value type) and the operations on it.
// Nothing here throws or stops the caller: a failure is kept as the last error, which stays until
// the next failure replaces it, and the member carries on or returns False. No key stays open
// between calls.
class cRegistry {
  public:
    explicit cRegistry(RawRegistry& registry, std::string programName = "Tessarin")
        : registry_(registry), source_(std::move(programName) + ".cRegistry") {}

    // SectionKey can be opened for reading under ClassKey.
    bool KeyExists() const;
    // Creates SectionKey with its missing parents; True when the key exists afterwards.
    bool CreateKey();
    // Deletes SectionKey, which must have no subkeys. Records nothing.
    bool DeleteKey();
    bool DeleteValue();

    // The value ValueKey, or Default when it cannot be read. A read sets ValueType to the type
    // found.
    RegistryVariant Value();
    // Writes the value as ValueType says, creating SectionKey when it is missing.
    void Value(const RegistryVariant& vValue);

    // The names of the values of SectionKey, the first at position 0. False when the key cannot
    // be listed; the names found until then are kept.
    bool EnumerateValues(std::vector<std::string>& sKeyNames, std::int32_t& iKeyCount);
    // The names of the subkeys of SectionKey at positions 1 to iCount, position 0 holding an
    // empty text; no positions at all when there are none. False when the key cannot be listed.
    bool EnumerateSections(std::vector<std::string>& sSect, std::int32_t& iSectCount);

    // Registers a document class under HKEY_CLASSES_ROOT and HKEY_LOCAL_MACHINE\SOFTWARE\Classes:
    // the extension (without its dot) names the class, which opens with the executable, and
    // optionally prints, installs and creates with it. Leaves ClassKey at HKEY_LOCAL_MACHINE.
    void CreateEXEAssociation(const std::string& sExePath, const std::string& sClassName,
                              const std::string& sClassDescription, const std::string& sAssociation,
                              const std::string& sOpenMenuText = "", bool bSupportPrint = false,
                              const std::string& sPrintMenuText = "", bool bSupportNew = false,
                              const std::string& sNewMenuText = "", bool bSupportInstall = false,
                              const std::string& sInstallMenuText = "",
                              std::int32_t lDefaultIconIndex = -1);
    // Adds verbs to a class that exists under the current ClassKey: the items are triples of
    // verb name, menu text and command.
    void CreateAdditionalEXEAssociations(const std::string& sClassName,
                                         const std::vector<std::string>& vItems);

    std::int32_t ValueType() const { return valueType_; }
    void ValueType(std::int32_t lValueType) { valueType_ = lValueType; }
    std::int32_t ClassKey() const { return classKey_; }
    void ClassKey(std::int32_t lClassKey) { classKey_ = lClassKey; }
    const std::string& SectionKey() const { return sectionKey_; }
    void SectionKey(const std::string& sSectionKey) { sectionKey_ = sSectionKey; }
    const std::string& ValueKey() const { return valueKey_; }
    void ValueKey(const std::string& sValueKey) { valueKey_ = sValueKey; }
    const RegistryVariant& Default() const { return default_; }
    void Default(const RegistryVariant& vDefault) { default_ = vDefault; }

    const RegistryError& LastError() const { return lastError_; }

  private:
    // Writes the text under HKEY_CLASSES_ROOT and again under HKEY_LOCAL_MACHINE\SOFTWARE\Classes.
    void SetClassValue(const std::string& sValue);
    static std::int32_t SwapEndian(std::int32_t lValue);
    std::string ExpandEnvStr(const std::string& sValue);

    RegistryVariant ReadData(const RegistryData& data);
    void RecordError(std::int32_t number, std::string description);
    std::string SetValueFailure(const RegistryVariant& vValue) const;

    RawRegistry& registry_;
    std::string source_;
    std::int32_t valueType_ = 0;
    std::int32_t classKey_ = 0;
    std::string sectionKey_;
    std::string valueKey_;
    RegistryVariant default_;
    RegistryError lastError_;
};

}  // namespace tessarin
