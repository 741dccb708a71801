#include "ui/PromptLogic.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "model/MemorySettingsStore.h"
#include "platform/Windows1252CodePage.h"

namespace tessarin {
namespace {

// A double-byte page in miniature: katakana A is 0x83 0x41 in Shift-JIS, a trail byte that
// reads as the letter A.
class DoubleBytePage : public CodePage {
  public:
    std::string ToAnsi(std::string_view utf8) const override {
        return utf8 == "\xE3\x82\xA2" ? "\x83\x41" : Windows1252CodePage().ToAnsi(utf8);
    }
    std::string FromAnsi(unsigned char) const override { return {}; }
};

TEST(EncodeQuery, EscapesEverythingButAsciiLettersAndDigits) {
    const struct {
        const char* text;
        const char* encoded;
    } cases[] = {
        {" a-b ", "%20a%2Db%20"},   {"Zz09+._~", "Zz09%2B%2E%5F%7E"},
        {"a\nb\t", "a%0Ab%09"},     {"caf\xC3\xA9\xE2\x82\xAC", "caf%E9%80"},
        {"\xC4\x80x", "%3Fx"},      {"\xF0\x9F\x98\x80!", "%3F%3F%21"},
        {"\xC3(\xFF", "%3F%28%3F"}, {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EncodeQuery(c.text, Windows1252CodePage()), c.encoded) << c.text;
    }
    EXPECT_EQ(EncodeQuery("\xE3\x82\xA2"
                          "B",
                          DoubleBytePage()),
              "%83%41B");
}

TEST(AcceptedSearchQuery, BlanksOnlyGiveNoQueryOtherwiseTheBlanksAreKept) {
    for (const char* typed : {"", " ", "    "}) {
        EXPECT_EQ(AcceptedSearchQuery(typed, Windows1252CodePage()), "") << '"' << typed << '"';
    }
    EXPECT_EQ(AcceptedSearchQuery(" a ", Windows1252CodePage()), "%20a%20");
    EXPECT_EQ(AcceptedSearchQuery("\t", Windows1252CodePage()), "%09");
}

// "1=a 3= L=a" stands for Email1 "a", an empty Email3 and LastEmail "a"; "*" fills all 200.
MemorySettingsStore::Section Slots(const std::string& text) {
    MemorySettingsStore::Section slots;
    std::istringstream words(text);
    for (std::string word; words >> word;) {
        if (word == "*") {
            for (int slot = 1; slot <= kEmailSlotCount; ++slot) {
                slots[EmailSlotKey(slot)] = std::to_string(slot);
            }
            continue;
        }
        const std::size_t equals = word.find('=');
        const std::string name = word.substr(0, equals);
        slots[name == "L" ? kLastEmailKey : "Email" + name] = word.substr(equals + 1);
    }
    return slots;
}

MemorySettingsStore StoreWith(const std::string& text) {
    MemorySettingsStore store;
    for (const auto& [key, value] : Slots(text)) {
        store.SaveSetting(kEmailSection, key, value);
    }
    return store;
}

TEST(AcceptEmailReceiver, RemembersANewReceiverOnceInTheLowestFreeSlot) {
    const struct {
        const char* before;
        const char* typed;
        const char* answer;
        const char* after;
    } cases[] = {
        {"", "  a@x  ", "a@x", "1=a@x L=a@x"},
        {"1=a", "   ", "", "1=a"},
        {"1=a 2=b L=b", " a", "a", "1=a 2=b L=b"},
        {"1=A@x", "a@x", "a@x", "1=A@x 2=a@x L=a@x"},
        {"1=a 2= 4=d", "n", "n", "1=a 2=n 4=d L=n"},
        {"1=a 3=c", "n", "n", "1=a 2=n 3=c L=n"},
        {"* 7=", "200", "200", "* 7="},
        {"*", "new", "new", "*"},
        {"* 201=x", "x", "x", "* 201=x"},
    };
    for (const auto& c : cases) {
        MemorySettingsStore store = StoreWith(c.before);
        EXPECT_EQ(AcceptEmailReceiver(c.typed, store), c.answer) << c.before << " + " << c.typed;
        EXPECT_EQ(store.AllSections().at(kEmailSection), Slots(c.after))
            << c.before << " + " << c.typed;
    }
}

TEST(RemoveEmail, AsksPerMatchingSlotAndDeletesLastEmailWithEachConfirmedOne) {
    const struct {
        const char* before;
        const char* text;
        std::vector<bool> answers;  // one question per answer, each "... delete <text> ?"
        const char* after;
    } cases[] = {
        {"1=a 2=b 3=c L=c", "b", {true}, "1=a 3=c"},
        {"1=a 2=b 3=c L=c", "b", {false}, "1=a 2=b 3=c L=c"},
        {"1=a 2= L=a", "", {}, "1=a 2= L=a"},
        {"1=a 2=b L=b", "b ", {}, "1=a 2=b L=b"},
        {"1=a 2=b L=b", "B", {}, "1=a 2=b L=b"},
        {"2=x 5=x L=x", "x", {false, true}, "2=x"},
    };
    for (const auto& c : cases) {
        MemorySettingsStore store = StoreWith(c.before);
        std::vector<std::string> asked;
        const bool removed = RemoveEmail(c.text, store, [&](const std::string& question) {
            asked.push_back(question);
            return asked.size() <= c.answers.size() && c.answers[asked.size() - 1];
        });
        EXPECT_EQ(asked,
                  std::vector<std::string>(c.answers.size(), "Are you sure you want to delete " +
                                                                 std::string(c.text) + " ?"))
            << c.before << " - " << c.text;
        EXPECT_EQ(removed, Slots(c.after) != Slots(c.before)) << c.before << " - " << c.text;
        EXPECT_EQ(store.AllSections().at(kEmailSection), Slots(c.after))
            << c.before << " - " << c.text;
    }
}

TEST(LoadEmailList, FilledSlotsInSlotOrder) {
    const EmailList list = LoadEmailList(StoreWith("10=j 2=b 1=a 3= 200=z 0=no 201=no L=b"));
    EXPECT_EQ(list.Receivers, (std::vector<std::string>{"a", "b", "j", "z"}));
    EXPECT_EQ(list.LastEmail, "b");
}

}  // namespace
}  // namespace tessarin
