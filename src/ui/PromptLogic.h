#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/CodePage.h"
#include "platform/SettingsStore.h"

namespace tessarin {

// The query as it goes into a search URL: the 62 ASCII letters and digits as they are, every
// other character as the percent-escaped bytes of its form in the system's ANSI code page. A
// character the page lacks is sent as its default character, "%3F".
std::string EncodeQuery(std::string_view text, const CodePage& codePage);

// The search prompt's answer to OK: the encoded query as typed, blanks included, or empty when
// only blanks were typed, so that no search starts.
std::string AcceptedSearchQuery(std::string_view typed, const CodePage& codePage);

// The remembered e-mail receivers live in the "Settings" section, one per slot "Email1" to
// "Email200"; a missing or empty value is a free slot.
inline constexpr int kEmailSlotCount = 200;
inline constexpr const char* kEmailSection = "Settings";
inline constexpr const char* kLastEmailKey = "LastEmail";
inline constexpr const char* kRemoveEmailTitle = "Delete Confirmation.";

std::string EmailSlotKey(int slot);

struct EmailList {
    std::vector<std::string> Receivers;  // the filled slots in slot order
    std::string LastEmail;               // what the edit field starts with
};

EmailList LoadEmailList(const SettingsStore& store);

// The e-mail prompt's answer to OK: the receiver without leading and trailing blanks. A new one
// takes the lowest free slot and becomes "LastEmail"; one already remembered, compared exactly,
// changes nothing, and with every slot filled it is used but not remembered.
std::string AcceptEmailReceiver(std::string_view typed, SettingsStore& store);

std::string RemoveEmailQuestion(std::string_view receiver);

// "Remove Email": every slot holding exactly the text is offered for deletion, one question per
// slot; each one confirmed deletes the slot and "LastEmail". True when anything was deleted, so
// the list must be loaded again.
bool RemoveEmail(std::string_view text, SettingsStore& store,
                 const std::function<bool(const std::string& question)>& confirm);

}  // namespace tessarin
