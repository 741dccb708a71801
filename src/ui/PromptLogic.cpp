#include "ui/PromptLogic.h"

#include <cstddef>

#include "actions/Executor.h"
#include "model/Utf8.h"

namespace tessarin {

namespace {

bool IsAsciiLetterOrDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

void AppendEscaped(std::string& out, unsigned char byte) {
    constexpr const char* kHexDigits = "0123456789ABCDEF";
    out += '%';
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 0x0Fu];
}

}  // namespace

std::string EncodeQuery(std::string_view text, const CodePage& codePage) {
    std::string encoded;
    encoded.reserve(text.size() * 3);
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = Utf8CharacterLength(text, at);
        // One character at a time, so that every byte of a double-byte character is escaped,
        // even a trail byte that happens to be an ASCII letter.
        std::string ansi = codePage.ToAnsi(text.substr(at, length));
        at += length;
        if (ansi.empty()) {
            ansi = "?";
        }
        if (ansi.size() == 1 && IsAsciiLetterOrDigit(ansi[0])) {
            encoded += ansi[0];
            continue;
        }
        for (const char byte : ansi) {
            AppendEscaped(encoded, static_cast<unsigned char>(byte));
        }
    }
    return encoded;
}

std::string AcceptedSearchQuery(std::string_view typed, const CodePage& codePage) {
    if (TrimBlanks(typed).empty()) {
        return {};
    }
    return EncodeQuery(typed, codePage);
}

std::string EmailSlotKey(int slot) {
    return "Email" + std::to_string(slot);
}

EmailList LoadEmailList(const SettingsStore& store) {
    EmailList list;
    for (int slot = 1; slot <= kEmailSlotCount; ++slot) {
        std::string receiver = store.GetSetting(kEmailSection, EmailSlotKey(slot), "");
        if (!receiver.empty()) {
            list.Receivers.push_back(std::move(receiver));
        }
    }
    list.LastEmail = store.GetSetting(kEmailSection, kLastEmailKey, "");
    return list;
}

std::string AcceptEmailReceiver(std::string_view typed, SettingsStore& store) {
    std::string receiver = TrimBlanks(typed);
    if (receiver.empty()) {
        return receiver;
    }
    int freeSlot = 0;
    for (int slot = 1; slot <= kEmailSlotCount; ++slot) {
        const std::string stored = store.GetSetting(kEmailSection, EmailSlotKey(slot), "");
        if (stored == receiver) {
            return receiver;
        }
        if (stored.empty() && freeSlot == 0) {
            freeSlot = slot;
        }
    }
    if (freeSlot != 0) {
        store.SaveSetting(kEmailSection, EmailSlotKey(freeSlot), receiver);
        store.SaveSetting(kEmailSection, kLastEmailKey, receiver);
    }
    return receiver;
}

std::string RemoveEmailQuestion(std::string_view receiver) {
    return "Are you sure you want to delete " + std::string(receiver) + " ?";
}

bool RemoveEmail(std::string_view text, SettingsStore& store,
                 const std::function<bool(const std::string& question)>& confirm) {
    if (text.empty()) {
        return false;
    }
    bool removed = false;
    for (int slot = 1; slot <= kEmailSlotCount; ++slot) {
        const std::string key = EmailSlotKey(slot);
        const std::string stored = store.GetSetting(kEmailSection, key, "");
        if (stored != text || !confirm(RemoveEmailQuestion(stored))) {
            continue;
        }
        store.DeleteSetting(kEmailSection, key);
        store.DeleteSetting(kEmailSection, kLastEmailKey);
        removed = true;
    }
    return removed;
}

}  // namespace tessarin
