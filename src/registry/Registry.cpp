#include "registry/Registry.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string_view>

#include "model/Text.h"

namespace tessarin {

namespace {

// The longest names the registry allows, plus their NUL: a buffer this large always fits.
constexpr std::uint32_t kValueNameBuffer = 16384;
constexpr std::uint32_t kKeyNameBuffer = 256;
// The buffer the key listing starts with, one short of the longest key name.
constexpr std::uint32_t kFirstKeyNameBuffer = 255;

// The registry strips nothing: a text may or may not end in the NUL its writer stored.
std::string WithoutTerminator(std::string text) {
    if (!text.empty() && text.back() == '\0') {
        text.pop_back();
    }
    return text;
}

// A DWORD stored with fewer than four bytes reads as if the missing bytes were zero; bytes
// beyond the fourth are not part of the number.
std::int32_t LittleEndianNumber(const RegistryBytes& bytes) {
    std::uint32_t number = 0;
    const std::size_t count = std::min<std::size_t>(bytes.size(), 4);
    for (std::size_t i = 0; i < count; ++i) {
        number |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
    }
    return static_cast<std::int32_t>(number);
}

RegistryBytes LittleEndianBytes(std::int32_t value) {
    const auto number = static_cast<std::uint32_t>(value);
    return {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
            static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)};
}

// A text is stored for expansion only when a second "%" follows the first with at least one
// character between them, so "50%" and "a%%b" stay literal.
std::uint32_t StringTypeFor(const std::string& text) {
    const std::size_t first = text.find('%');
    if (first != std::string::npos && text.find('%', first + 2) != std::string::npos) {
        return reg::kExpandSz;
    }
    return reg::kSz;
}

std::optional<std::int32_t> IntegerOf(const RegistryVariant& value) {
    if (const auto* small = std::get_if<std::int16_t>(&value)) {
        return *small;
    }
    if (const auto* large = std::get_if<std::int32_t>(&value)) {
        return *large;
    }
    return std::nullopt;
}

// A key opened or created through the port, and closed again when this goes, on every path.
class ScopedKey {
  public:
    using Request = std::int32_t (RawRegistry::*)(std::int32_t, const std::string&, std::uint32_t,
                                                  RegistryKey&);

    ScopedKey(RawRegistry& registry, Request request, std::int32_t root, const std::string& subKey,
              std::uint32_t access)
        : registry_(registry), status_((registry.*request)(root, subKey, access, key_)) {}
    ~ScopedKey() {
        if (IsOpen()) {
            registry_.CloseKey(key_);
        }
    }
    ScopedKey(const ScopedKey&) = delete;
    ScopedKey& operator=(const ScopedKey&) = delete;

    bool IsOpen() const { return status_ == reg::kSuccess; }
    RegistryKey Get() const { return key_; }

  private:
    RawRegistry& registry_;
    RegistryKey key_ = 0;
    std::int32_t status_;
};

std::string OrDefault(const std::string& text, std::string fallback) {
    return text.empty() ? fallback : text;
}

}  // namespace

std::string VariantText(const RegistryVariant& value) {
    if (const auto* text = std::get_if<std::string>(&value)) {
        return *text;
    }
    if (const auto* bytes = std::get_if<RegistryBytes>(&value)) {
        return std::string(bytes->begin(), bytes->end());
    }
    if (const std::optional<std::int32_t> number = IntegerOf(value)) {
        return std::to_string(*number);
    }
    return {};
}

std::int32_t VariantLong(const RegistryVariant& value) {
    if (const std::optional<std::int32_t> number = IntegerOf(value)) {
        return *number;
    }
    const auto* text = std::get_if<std::string>(&value);
    if (text == nullptr) {
        return 0;
    }
    std::string_view digits = TrimBlanksView(*text);
    if (!digits.empty() && digits.front() == '+') {
        digits.remove_prefix(1);
    }
    std::int32_t number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc() || end != digits.data() + digits.size()) {
        return 0;
    }
    return number;
}

bool cRegistry::KeyExists() const {
    return ScopedKey(registry_, &RawRegistry::OpenKey, classKey_, sectionKey_, reg::kQueryValue)
        .IsOpen();
}

bool cRegistry::CreateKey() {
    const ScopedKey key(registry_, &RawRegistry::CreateKey, classKey_, sectionKey_,
                        reg::kReadWrite);
    if (!key.IsOpen()) {
        RecordError(kRegistryKeyError, "Failed to create registry Key: '" + sectionKey_);
    }
    return key.IsOpen();
}

bool cRegistry::DeleteKey() {
    return registry_.DeleteKey(classKey_, sectionKey_) == reg::kSuccess;
}

bool cRegistry::DeleteValue() {
    const std::string where = std::to_string(classKey_) + "',Section: '" + sectionKey_;
    const ScopedKey key(registry_, &RawRegistry::OpenKey, classKey_, sectionKey_, reg::kReadWrite);
    if (!key.IsOpen()) {
        RecordError(kRegistryKeyError, "Failed to open key '" + where + "' for delete access");
        return false;
    }
    const bool deleted = registry_.DeleteValue(key.Get(), valueKey_) == reg::kSuccess;
    if (!deleted) {
        RecordError(kRegistryKeyError,
                    "Failed to delete registry Key: '" + where + "',Key: '" + valueKey_);
    }
    return deleted;
}

RegistryVariant cRegistry::Value() {
    RegistryData data;
    std::int32_t status = reg::kSuccess;
    {
        // Closed before the data is read: an expansion asks the system again.
        const ScopedKey key(registry_, &RawRegistry::OpenKey, classKey_, sectionKey_,
                            reg::kQueryValue);
        if (!key.IsOpen()) {
            return default_;
        }
        std::uint32_t size = 0;
        status = registry_.QueryValue(key.Get(), valueKey_, 0, size, data);
        // Another program can make the value grow between learning its size and reading it.
        for (int attempt = 0; status == reg::kMoreData && attempt < 8; ++attempt) {
            status = registry_.QueryValue(key.Get(), valueKey_, size, size, data);
        }
    }
    if (status != reg::kSuccess) {
        return default_;
    }
    valueType_ = static_cast<std::int32_t>(data.Type);
    return ReadData(data);
}

RegistryVariant cRegistry::ReadData(const RegistryData& data) {
    switch (data.Type) {
        case reg::kSz:
        case reg::kMultiSz:
            return WithoutTerminator(data.Text);
        case reg::kExpandSz:
            return ExpandEnvStr(WithoutTerminator(data.Text));
        case reg::kDword:
            return LittleEndianNumber(data.Bytes);
        case reg::kDwordBigEndian:
            return SwapEndian(LittleEndianNumber(data.Bytes));
        default:
            return data.Bytes;
    }
}

void cRegistry::Value(const RegistryVariant& vValue) {
    const ScopedKey key(registry_, &RawRegistry::CreateKey, classKey_, sectionKey_,
                        reg::kReadWrite);
    if (!key.IsOpen()) {
        RecordError(kRegistryKeyError, SetValueFailure(vValue));
        return;
    }
    RegistryData data;
    bool write = false;
    std::int32_t status = reg::kSuccess;
    switch (valueType_) {
        case 1:
        case 2:
            data.Text = VariantText(vValue);
            data.Type = StringTypeFor(data.Text);
            data.Text.push_back('\0');
            write = true;
            break;
        case 3:
            if (const auto* bytes = std::get_if<RegistryBytes>(&vValue)) {
                data.Type = reg::kBinary;
                data.Bytes = *bytes;
                write = true;
            } else {
                RecordError(kRegistryKeyError, "");
            }
            break;
        case 4:
        case 5:
            // Big-endian is accepted as a type to write but stored little-endian as a plain DWORD.
            if (const std::optional<std::int32_t> number = IntegerOf(vValue)) {
                data.Type = reg::kDword;
                data.Bytes = LittleEndianBytes(*number);
                write = true;
            }
            break;
        default:
            status = reg::kInvalidData;
            break;
    }
    if (write) {
        status = registry_.SetValue(key.Get(), valueKey_, data);
    }
    if (status != reg::kSuccess) {
        RecordError(kRegistrySetValueError, SetValueFailure(vValue));
    }
}

bool cRegistry::EnumerateValues(std::vector<std::string>& sKeyNames, std::int32_t& iKeyCount) {
    sKeyNames.clear();
    iKeyCount = 0;
    const ScopedKey key(registry_, &RawRegistry::OpenKey, classKey_, sectionKey_, reg::kQueryValue);
    std::uint32_t longest = 0;
    if (!key.IsOpen() || registry_.QueryInfoKey(key.Get(), longest) != reg::kSuccess) {
        return false;
    }
    std::uint32_t buffer = std::clamp<std::uint32_t>(longest + 1, 1, kValueNameBuffer);
    std::int32_t status = reg::kSuccess;
    for (std::uint32_t index = 0;;) {
        std::string name;
        status = registry_.EnumValue(key.Get(), index, buffer, name);
        // A value added since the key was measured can have a longer name than the buffer.
        if (status == reg::kMoreData && buffer < kValueNameBuffer) {
            buffer = kValueNameBuffer;
            continue;
        }
        if (status != reg::kSuccess) {
            break;
        }
        sKeyNames.push_back(std::move(name));
        ++index;
    }
    iKeyCount = static_cast<std::int32_t>(sKeyNames.size());
    return status == reg::kNoMoreItems;
}

bool cRegistry::EnumerateSections(std::vector<std::string>& sSect, std::int32_t& iSectCount) {
    sSect.clear();
    iSectCount = 0;
    const ScopedKey key(registry_, &RawRegistry::OpenKey, classKey_, sectionKey_,
                        reg::kEnumerateSubKeys);
    if (!key.IsOpen()) {
        return false;
    }
    std::uint32_t buffer = kFirstKeyNameBuffer;
    std::int32_t status = reg::kSuccess;
    for (std::uint32_t index = 0;;) {
        std::string name;
        status = registry_.EnumKey(key.Get(), index, buffer, name);
        // A name of the greatest length does not fit the first buffer; the rest must not be lost.
        if (status == reg::kMoreData && buffer < kKeyNameBuffer) {
            buffer = kKeyNameBuffer;
            continue;
        }
        if (status != reg::kSuccess) {
            break;
        }
        if (sSect.empty()) {
            sSect.emplace_back();
        }
        sSect.push_back(TrimAtNull(name));
        ++index;
    }
    iSectCount = sSect.empty() ? 0 : static_cast<std::int32_t>(sSect.size() - 1);
    return status == reg::kNoMoreItems;
}

void cRegistry::CreateEXEAssociation(const std::string& sExePath, const std::string& sClassName,
                                     const std::string& sClassDescription,
                                     const std::string& sAssociation,
                                     const std::string& sOpenMenuText, bool bSupportPrint,
                                     const std::string& sPrintMenuText, bool bSupportNew,
                                     const std::string& sNewMenuText, bool bSupportInstall,
                                     const std::string& sInstallMenuText,
                                     std::int32_t lDefaultIconIndex) {
    std::string exe = TrimBlanks(sExePath);
    if (exe.empty() || exe.front() != '"') {
        exe.insert(exe.begin(), '"');
    }
    if (exe.back() != '"') {
        exe.push_back('"');
    }
    const auto write = [this](const std::string& section, const std::string& text) {
        valueType_ = static_cast<std::int32_t>(reg::kSz);
        valueKey_.clear();
        sectionKey_ = section;
        SetClassValue(text);
    };
    const std::string shell = sClassName + "\\shell\\";
    const std::string document = "\"%1\"";

    write("." + sAssociation, sClassName);
    write(sClassName, sClassDescription);
    write(shell + "open", OrDefault(sOpenMenuText, "&Open"));
    write(shell + "open\\command", exe + " " + document);
    if (bSupportPrint) {
        write(shell + "print", OrDefault(sPrintMenuText, "&Print"));
        write(shell + "print\\command", exe + " /p " + document);
    }
    if (bSupportInstall) {
        write(shell + "add", OrDefault(sInstallMenuText, "&Install " + sAssociation));
        write(shell + "add\\command", exe + " /a " + document);
    }
    if (bSupportNew) {
        write(shell + "new", OrDefault(sNewMenuText, "&New"));
        write(shell + "new\\command", exe + " /n " + document);
    }
    if (lDefaultIconIndex > -1) {
        write(sClassName + "\\DefaultIcon", exe + "," + std::to_string(lDefaultIconIndex));
    }
}

void cRegistry::CreateAdditionalEXEAssociations(const std::string& sClassName,
                                                const std::vector<std::string>& vItems) {
    if (vItems.size() % 3 != 0) {
        RecordError(kRegistryAssociationListError,
                    "Invalid parameter list passed to CreateAdditionalEXEAssociations - expected "
                    "Name/Text/Command");
        return;
    }
    sectionKey_ = sClassName;
    if (!KeyExists()) {
        RecordError(kRegistryAssociationClassError,
                    "Error - attempt to create additional associations before class defined.");
        return;
    }
    for (std::size_t i = 0; i < vItems.size(); i += 3) {
        valueType_ = static_cast<std::int32_t>(reg::kSz);
        valueKey_.clear();
        sectionKey_ = sClassName + "\\shell\\" + vItems[i];
        SetClassValue(vItems[i + 1]);
        sectionKey_ += "\\command";
        SetClassValue(vItems[i + 2]);
    }
}

void cRegistry::SetClassValue(const std::string& sValue) {
    const std::string section = sectionKey_;
    classKey_ = reg::kClassesRoot;
    Value(sValue);
    classKey_ = reg::kLocalMachine;
    sectionKey_ = "SOFTWARE\\Classes\\" + section;
    Value(sValue);
    sectionKey_ = section;
}

std::int32_t cRegistry::SwapEndian(std::int32_t lValue) {
    const auto number = static_cast<std::uint32_t>(lValue);
    return static_cast<std::int32_t>((number << 24) | ((number & 0xFF00u) << 8) |
                                     ((number >> 8) & 0xFF00u) | (number >> 24));
}

std::string cRegistry::ExpandEnvStr(const std::string& sValue) {
    return registry_.ExpandEnvironment(sValue);
}

void cRegistry::RecordError(std::int32_t number, std::string description) {
    lastError_ = {number, source_, std::move(description)};
}

std::string cRegistry::SetValueFailure(const RegistryVariant& vValue) const {
    return "Failed to set registry value Key: '" + std::to_string(classKey_) + "',Section: '" +
           sectionKey_ + "',Key: '" + valueKey_ + "' to value: '" + VariantText(vValue) + "'";
}

}  // namespace tessarin
