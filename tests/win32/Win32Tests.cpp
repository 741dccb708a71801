// The system's side of the program, against the real Win32 API: the encodings of the registry and
// the actions file, hotkeys typed at the keyboard and at the capture dialog, the paste into another
// program's window, the message pumps, the shell's launch and the notification-area icon. Effects
// are read back as a user or another program would see them.

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "RecordingExecutor.h"
#include "TestPrograms.h"
#include "actions/WindowActions.h"
#include "hotkeys/Hotkeys.h"
#include "model/ActionsFile.h"
#include "model/SettingsSection.h"
#include "platform/win32/HotkeyHook.h"
#include "platform/win32/WideString.h"
#include "platform/win32/Win32CodePage.h"
#include "platform/win32/Win32DesktopPort.h"
#include "platform/win32/Win32HotkeyPort.h"
#include "platform/win32/Win32KeyboardLayout.h"
#include "platform/win32/Win32ProfileFile.h"
#include "platform/win32/Win32RawRegistry.h"
#include "platform/win32/Win32SettingsStore.h"
#include "platform/win32/Win32ShellPort.h"
#include "platform/win32/Win32SystemPort.h"
#include "registry/Registry.h"
#include "ui/win32/HotKeyDialog.h"
#include "ui/win32/TrayIcon.h"

namespace tessarin {
namespace {

using namespace std::string_literals;

// Pumps this thread's messages until `done`, or gives up after ten seconds.
bool PumpUntil(const std::function<bool()>& done) {
    return testsupport::WaitFor(
        [&] {
            win32::Win32DesktopPort(nullptr).Wait(20);
            return done();
        },
        10);
}

constexpr char kApplication[] = "Tessarin Store Tests";
const std::wstring kRoot = L"Software\\Tessarin Store Tests";

// The characters' bytes, with no terminator unless the text holds one.
std::vector<BYTE> Utf16(std::wstring_view text) {
    const auto* first = reinterpret_cast<const BYTE*>(text.data());
    return {first, first + text.size() * sizeof(wchar_t)};
}

// A value below the tests' key exactly as stored, type and bytes, with no terminator added;
// REG_NONE when there is none.
struct Raw {
    DWORD Type = REG_NONE;
    std::vector<BYTE> Data;

    friend bool operator==(const Raw&, const Raw&) = default;
};

Raw Get(const std::wstring& section, const std::wstring& name) {
    Raw value;
    HKEY key = nullptr;
    DWORD size = 0;
    const bool found =
        RegOpenKeyExW(HKEY_CURRENT_USER, (kRoot + section).c_str(), 0, KEY_READ, &key) == 0 &&
        RegQueryValueExW(key, name.c_str(), nullptr, &value.Type, nullptr, &size) == 0;
    value.Data.resize(size);
    RegQueryValueExW(key, name.c_str(), nullptr, &value.Type, value.Data.data(), &size);
    RegCloseKey(key);
    return found ? value : Raw{};
}

class Store : public ::testing::Test {
  protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kRoot.c_str()); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kRoot.c_str()); }

    win32::Win32SettingsStore store_{kApplication};
};

// What the program writes, and what other writers leave: terminated or not, NUL inside, odd
// lengths, other types. The registry reads every type; a setting is text only, never expanded.
TEST_F(Store, RegistryValuesAreWrittenAndReadInTheSystemsEncoding) {
    wchar_t expanded[MAX_PATH * 2] = {};
    ASSERT_NE(ExpandEnvironmentStringsW(L"%TEMP%\\x", expanded, MAX_PATH * 2), 0u);
    const std::string omega = "\xCE\xA9 \xE6\x97\xA5";
    const std::string temp = win32::Narrow(expanded);
    const std::string longText(600, 'q');  // longer than a first read
    const struct {
        RegistryVariant Written;  // nothing: another writer stored the value
        std::int32_t Type;
        Raw Stored;
        RegistryVariant Read;
        std::string Setting;  // "-": not text
    } cases[] = {
        {"50%", 1, {REG_SZ, Utf16(L"50%\0"s)}, "50%", "50%"},
        {"%TEMP%\\x", 1, {REG_EXPAND_SZ, Utf16(L"%TEMP%\\x\0"s)}, temp, "%TEMP%\\x"},
        {omega, 1, {REG_SZ, Utf16(L"\u03A9 \u65E5\0"s)}, omega, omega},
        {std::int32_t{0x01020304}, 4, {REG_DWORD, {4, 3, 2, 1}}, std::int32_t{0x01020304}, "-"},
        {{}, 0, {REG_MULTI_SZ, Utf16(L"a\0b\0\0"s)}, "a\0b\0"s, "-"},
        {{}, 0, {REG_DWORD_BIG_ENDIAN, {1, 2, 3, 4}}, std::int32_t{0x01020304}, "-"},
        {{}, 0, {REG_DWORD, {7, 1}}, std::int32_t{0x0107}, "-"},
        {{}, 0, {REG_BINARY, {'M', 0, 0, 0}}, RegistryBytes{'M', 0, 0, 0}, "-"},
        {{}, 0, {REG_SZ, Utf16(L"ab")}, "ab", "ab"},
        {{}, 0, {REG_SZ, {'a', 0, 'b'}}, "a", "a"},
        {{}, 0, {REG_SZ, {}}, "", ""},
        {{}, 0, {REG_SZ, Utf16(L"Mu\0te\0\0"s)}, "Mu\0te\0"s, "Mu\0te\0"s},
        {{}, 0, {REG_SZ, Utf16(L"a\xD800z")}, "a\xEF\xBF\xBDz", "a\xEF\xBF\xBDz"},
        {{}, 0, {REG_SZ, Utf16(std::wstring(600, L'q'))}, longText, longText},
    };
    win32::Win32RawRegistry port;
    for (const auto& c : cases) {
        cRegistry registry(port);
        registry.ClassKey(reg::kCurrentUser);
        registry.SectionKey(win32::Narrow(kRoot + L"\\Settings"));
        registry.ValueKey("Value \xCE\xA9");
        registry.ValueType(c.Type);
        if (c.Written.index() == 0) {
            RegSetKeyValueW(HKEY_CURRENT_USER, (kRoot + L"\\Settings").c_str(), L"Value \u03A9",
                            c.Stored.Type, c.Stored.Data.data(),
                            static_cast<DWORD>(c.Stored.Data.size()));
        } else {
            registry.Value(c.Written);
            EXPECT_EQ(Get(L"\\Settings", L"Value \u03A9"), c.Stored) << VariantText(c.Read);
        }
        EXPECT_EQ(registry.Value(), c.Read) << VariantText(c.Read);
        EXPECT_EQ(store_.GetSetting("Settings", "Value \xCE\xA9", "-"), c.Setting)
            << VariantText(c.Read);
    }
    for (const std::size_t length : {0u, 511u, 512u, 513u, 1u << 20}) {
        const std::string text = std::string(length, 'q') + "\xC3\xA9\0x"s;
        store_.SaveSetting("Actions", "Data1", text);
        EXPECT_EQ(store_.GetSetting("Actions", "Data1", "?"), text) << length;
    }
    EXPECT_EQ(Get(L"\\Actions", L"Data1"),
              (Raw{REG_SZ, Utf16(std::wstring(1u << 20, L'q') + L"\u00E9\0x\0"s)}));
}

// The store keeps a section's key open between requests; what other programs do to the key
// meanwhile (a user importing a backup, the uninstaller) shows at the next request.
TEST_F(Store, SettingsFollowWhatOthersDoToTheKeys) {
    store_.SaveSetting("Settings", "Icon", "mine");
    testsupport::Store(HKEY_CURRENT_USER, kRoot + L"\\Settings", L"Icon", L"theirs");
    EXPECT_EQ(store_.GetSetting("Settings", "Icon", "?"), "theirs") << "value changed";
    RegDeleteTreeW(HKEY_CURRENT_USER, kRoot.c_str());
    EXPECT_EQ(store_.GetSetting("Settings", "Icon", "?"), "?") << "key deleted";
    testsupport::Store(HKEY_CURRENT_USER, kRoot + L"\\Settings", L"Icon", L"imported");
    EXPECT_EQ(store_.GetSetting("Settings", "Icon", "?"), "imported") << "key made again";

    RegDeleteTreeW(HKEY_CURRENT_USER, kRoot.c_str());
    store_.SaveSetting("Settings", "Icon", "after");
    EXPECT_EQ(Get(L"\\Settings", L"Icon"), (Raw{REG_SZ, Utf16(L"after\0"s)}))
        << "a save after the key was deleted went nowhere";
    RegDeleteTreeW(HKEY_CURRENT_USER, kRoot.c_str());
    testsupport::Store(HKEY_CURRENT_USER, kRoot + L"\\Settings", L"Icon", L"again");
    store_.DeleteSetting("Settings", "Icon");
    EXPECT_EQ(Get(L"\\Settings", L"Icon"), Raw{}) << "delete after the key was made again";

    // A section goes with whatever another writer put below it, as a half-written journal.
    testsupport::Store(HKEY_CURRENT_USER, kRoot + L"\\Actions Journal\\Below", L"x", L"");
    store_.DeleteSection("Actions Journal");
    EXPECT_FALSE(testsupport::KeyExists(HKEY_CURRENT_USER, (kRoot + L"\\Actions Journal").c_str()));
}

// The system's own reader gets every character of the file back; a target that cannot be
// replaced stays as it was, and no temporary file is left.
TEST(ActionsFileWin32, IsUtf16AndIsReplacedWholeOrNotAtAll) {
    const std::wstring folder = testsupport::TempFolder() + L"tessarin actions file\\";
    const std::wstring target = folder + L"\u03A9 actions.ini";
    std::filesystem::create_directories(folder + L"a folder");
    ActionList list;
    ActionRecord record;
    record.ActionType = "Paste Text";
    record.Data = "\xCE\xA9 \xE6\x97\xA5\r\n  \"x\" " + std::string(5000, 'q');
    list.Add(record);
    const struct {
        const char* Name;
        std::wstring Target;
        bool ReadOnly;
        bool Done;
    } cases[] = {
        {"new file", target, false, true},
        {"replaced file", target, false, true},
        {"read-only target", target, true, false},
        {"folder that does not exist", folder + L"missing\\a.ini", false, false},
        {"target that is a folder", folder + L"a folder", false, false},
    };
    for (const auto& c : cases) {
        SetFileAttributesW(target.c_str(), c.ReadOnly ? FILE_ATTRIBUTE_READONLY : 0);
        list.At(1).ActionIndex = static_cast<std::int32_t>(std::string_view(c.Name).size());
        const bool done = win32::ReplaceProfileFile(
            c.Target, [&](ProfileFile& file) { return WriteActionsFile(file, list); });
        SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(done, c.Done) << c.Name;
        // Beside the target, only the folder of the tests: no temporary file is left.
        const std::filesystem::directory_iterator files(folder);
        EXPECT_EQ(std::distance(begin(files), end(files)), 2) << c.Name;

        const ActionsFileContent content = ReadActionsFile(win32::Win32ProfileFile(target));
        ASSERT_EQ(content.Rows.size(), 1u) << c.Name;
        EXPECT_EQ(content.Rows[0].Data, record.Data) << c.Name;
        // A failed replacement leaves the file of the row before.
        EXPECT_EQ(content.Rows[0].ActionIndex, c.Done ? list.At(1).ActionIndex : 13) << c.Name;
    }
    std::filesystem::remove_all(folder);
}

using testsupport::SendKeys;
using Keys = std::vector<UINT>;
using Runs = std::vector<std::pair<std::string, std::string>>;

class HotkeyWin32 : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const auto& [hotkey, data] : {std::pair{"CTRL + ALT + K", "first"},
                                           {"CTRL + ALT + K", "taken"},
                                           {"WIN + SHIFT + [LARROW]", "arrow"}}) {
            ActionRecord record;
            record.ActionType = "Go to URL";
            record.Hotkey = hotkey;
            record.Data = data;
            list_.Add(std::move(record));
        }
        ASSERT_TRUE(win32::HookHotkeys(window_, hotkeys_));
        hotkeys_.RegisterAllHotKeys();
    }

    void TearDown() override {
        hotkeys_.UnregisterAllHotKeys();
        win32::UnhookHotkeys(window_);
        DestroyWindow(window_);
    }

    HWND window_ = CreateWindowExW(0, L"STATIC", L"hotkey test", WS_OVERLAPPEDWINDOW, 100, 100, 500,
                                   300, nullptr, nullptr, nullptr, nullptr);
    ActionList list_;
    win32::Win32HotkeyPort port_{window_};
    fakes::RecordingExecutor executor_;
    AppState state_;
    win32::Win32CodePage codePage_;
    Hotkeys hotkeys_{list_, port_, executor_, codePage_, state_};
};

TEST_F(HotkeyWin32, ATypedCombinationRunsTheFirstRowThatHoldsIt) {
    ASSERT_TRUE(list_.At(1).Registration.Accepted);
    EXPECT_FALSE(list_.At(2).Registration.Accepted) << "the system refuses a taken combination";
    ASSERT_TRUE(SendKeys({VK_CONTROL, VK_MENU, 'K'}) && SendKeys({VK_LWIN, VK_SHIFT, VK_LEFT}));
    EXPECT_TRUE(PumpUntil([&] { return executor_.runs.size() == 2; })) << "no input arrived";
    EXPECT_EQ(executor_.runs, (Runs{{"Go to URL", "first"}, {"Go to URL", "arrow"}}));
    hotkeys_.UnregisterAllHotKeys();
    EXPECT_TRUE(RegisterHotKey(window_, 1, MOD_CONTROL | MOD_ALT, 'K')) << "still registered";
    UnregisterHotKey(window_, 1);
}

// What the capture dialog answers for keys typed at it, and for its buttons, with the owner
// disabled meanwhile; a hotkey typed while it is open runs and never reaches the field.
TEST_F(HotkeyWin32, TheCaptureDialogAnswersWhatWasTypedAtIt) {
    constexpr int kCloseBox = -1, kQuit = -2;
    const struct {
        const char* Name;
        std::vector<Keys> Typed;  // each group pressed in order, then released in reverse
        int Button;               // clicked after the keys; 0 for none
        const char* Answer;
    } cases[] = {
        {"a release starts over", {{VK_CONTROL}, {'K'}, {VK_SHIFT, 'K'}}, 0, "SHIFT + K"},
        {"Alt+F4 is a combination", {{VK_MENU, VK_F4}}, 0, "ALT + F4"},
        {"a lone Alt opens no menu", {{VK_MENU}, {VK_MENU, VK_CONTROL, 'Q'}}, 0, "ALT + CTRL + Q"},
        {"a lone F10 opens no menu", {{VK_F10}, {VK_CONTROL, VK_F10}}, 0, "CTRL + F10"},
        {"Tab stays in the field", {{VK_TAB}, {VK_SHIFT, VK_TAB}}, 0, "SHIFT + \t"},
        {"Enter closes nothing", {{VK_RETURN}, {VK_CONTROL, VK_RETURN}}, 0, "CTRL + \r"},
        {"Windows key", {{VK_LWIN, VK_SHIFT, VK_RIGHT}}, 0, "WIN + SHIFT + [RARROW]"},
        {"a hotkey", {{VK_CONTROL, VK_MENU, 'K'}, {VK_CONTROL, 'K'}}, 0, "CTRL + K"},
        {"Escape alone cancels", {{VK_CONTROL}, {VK_ESCAPE}}, 0, ""},
        {"Delete Hotkey", {{VK_CONTROL}}, win32::HotKeyDialog::kCommand1Id, "#DEL#"},
        {"Cancel", {{VK_CONTROL}}, win32::HotKeyDialog::kCancelButtonId, ""},
        {"close box", {{VK_CONTROL}}, kCloseBox, ""},
        {"a quit for the main loop", {{VK_CONTROL}}, kQuit, ""},
    };
    ShowWindow(window_, SW_SHOW);
    win32::HotKeyDialog dialog(codePage_);
    const DWORD uiThread = GetCurrentThreadId();
    for (const auto& c : cases) {
        bool ready = false, closed = false, sent = true, ownerDisabled = false;
        // A second thread types at the dialog, as a user would while its own loop runs here; a
        // dialog it leaves open is cancelled, so no case can hang.
        std::thread user([&] {
            HWND shown = nullptr;
            ready = testsupport::WaitFor([&] {
                shown = FindWindowW(L"#32770", L"Register Hotkey");
                GUITHREADINFO info{};
                info.cbSize = sizeof(info);
                return GetGUIThreadInfo(uiThread, &info) && info.hwndFocus != nullptr &&
                       info.hwndFocus == GetDlgItem(shown, win32::HotKeyDialog::kText1Id) &&
                       GetForegroundWindow() == shown;
            });
            if (ready) {
                ownerDisabled = !IsWindowEnabled(window_);
                for (const Keys& keys : c.Typed) {
                    sent = SendKeys(keys) && sent;
                }
                if (c.Button == kCloseBox) {
                    PostMessageW(shown, WM_SYSCOMMAND, SC_CLOSE, 0);
                } else if (c.Button == kQuit) {
                    PostThreadMessageW(uiThread, WM_QUIT, 7, 0);
                } else if (c.Button != 0) {
                    SendMessageW(GetDlgItem(shown, c.Button), BM_CLICK, 0, 0);
                }
                closed = testsupport::WaitFor([&] { return !IsWindow(shown); });
            }
            testsupport::WaitFor([&] {
                PostMessageW(shown, WM_COMMAND, IDCANCEL, 0);
                return !IsWindow(shown);
            });
        });
        const std::string answer = dialog.ShowModal(window_);
        user.join();
        EXPECT_TRUE(sent && ready) << c.Name << ": the keys did not reach the focused field";
        EXPECT_TRUE(closed) << c.Name << ": the dialog stayed open";
        EXPECT_EQ(answer, c.Answer) << c.Name;
        EXPECT_TRUE(ownerDisabled && IsWindowEnabled(window_)) << c.Name;
    }
    MSG message{};
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 7u);
    EXPECT_TRUE(PumpUntil([&] { return executor_.runs.size() == 1; })) << "the hotkey is lost";
    EXPECT_EQ(executor_.runs, (Runs{{"Go to URL", "first"}}));
}

// The US keyboard has no AltGr: Ctrl+Alt with any key types nothing, so no hotkey is marked.
TEST(Win32KeyboardLayout, TheUsLayoutTypesNothingWithCtrlAlt) {
    std::vector<HKL> loaded(static_cast<std::size_t>(GetKeyboardLayoutList(0, nullptr)));
    loaded.resize(static_cast<std::size_t>(
        GetKeyboardLayoutList(static_cast<int>(loaded.size()), loaded.data())));
    const HKL us = LoadKeyboardLayoutW(L"00000409", KLF_NOTELLSHELL);
    ASSERT_NE(us, nullptr);
    const win32::Win32KeyboardLayout layout(us);
    const UINT keys[] = {'Q', 'E', '7', '0', 'M', VK_OEM_4, VK_OEM_102};
    for (const UINT key : keys) {
        for (const bool shift : {false, true}) {
            EXPECT_EQ(layout.AltGrText(key, shift), std::nullopt) << key << " shift " << shift;
        }
    }
    // Leave the user's keyboards as they were.
    if (std::find(loaded.begin(), loaded.end(), us) == loaded.end()) {
        UnloadKeyboardLayout(us);
    }
}

// The bytes of one format on the clipboard; empty when it is not there.
std::string ClipboardBytes(UINT format) {
    std::string bytes;
    if (!OpenClipboard(nullptr)) {
        return bytes;
    }
    HANDLE data = GetClipboardData(format);
    if (const auto* chars = data ? static_cast<const char*>(GlobalLock(data)) : nullptr) {
        bytes.assign(chars, GlobalSize(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return bytes;
}

std::wstring ClipboardText() {
    const std::string bytes = ClipboardBytes(CF_UNICODETEXT) + std::string(2, '\0');
    return reinterpret_cast<const wchar_t*>(bytes.data());
}

// A top-level window with a focused edit control on a thread of its own, as a paste target in
// another program would be. Hang() makes that thread stop answering for a while, as a program
// busy with something long does.
struct TargetThread {
    static constexpr DWORD kHangMs = 8000;

    TargetThread() : thread_([this] { Run(); }) {}
    ~TargetThread() {
        SetEvent(release_);
        while (!PostThreadMessageW(id_, WM_QUIT, 0, 0)) {
            Sleep(10);  // its queue is not there yet
        }
        thread_.join();
        CloseHandle(hung_);
        CloseHandle(release_);
    }

    bool InFront() const {
        return PumpUntil([&] { return frame_ != nullptr && GetForegroundWindow() == frame_; });
    }
    // Until release_ or kHangMs. Owning the clipboard, it first puts on it a text that it only
    // promises, so that reading it waits for this thread.
    bool Hang(bool owningClipboard) {
        PostThreadMessageW(id_, WM_APP, owningClipboard ? 1 : 0, 0);
        // Pumping: taking the clipboard, the thread tells this one, its owner, first.
        return PumpUntil([&] { return WaitForSingleObject(hung_, 0) == WAIT_OBJECT_0; });
    }
    std::wstring Text() const {
        wchar_t text[64] = {};
        GetWindowTextW(edit_, text, 64);
        return text;
    }

    void Run() {
        HWND window = CreateWindowExW(0, L"STATIC", L"paste target", WS_OVERLAPPEDWINDOW, 50, 50,
                                      400, 300, nullptr, nullptr, nullptr, nullptr);
        ShowWindow(window, SW_SHOWNORMAL);
        SetForegroundWindow(window);
        edit_ = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 300,
                                200, window, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetFocus(edit_);
        id_ = GetCurrentThreadId();
        frame_ = window;  // published last: the test waits for it
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (message.message == WM_APP) {
                if (message.wParam != 0 && OpenClipboard(window)) {
                    EmptyClipboard();
                    SetClipboardData(CF_UNICODETEXT, nullptr);
                    CloseClipboard();
                }
                SetEvent(hung_);
                WaitForSingleObject(release_, kHangMs);
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        DestroyWindow(window);
    }

    HANDLE hung_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE release_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HWND edit_ = nullptr;
    std::atomic<DWORD> id_{0};
    std::atomic<HWND> frame_{nullptr};
    std::thread thread_;  // last: it starts once the rest is there
};

std::chrono::steady_clock::duration Timed(const std::function<void()>& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::steady_clock::now() - start;
}

class WindowActionsWin32 : public ::testing::Test {
  protected:
    void TearDown() override { DestroyWindow(owner_); }

    HWND owner_ =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    win32::Win32DesktopPort desktop_{owner_};
    win32::Win32RawRegistry registry_;
    WindowActions actions_{desktop_, registry_, reinterpret_cast<WindowHandle>(owner_)};
};

TEST_F(WindowActionsWin32, PasteReachesTheFocusedEditOfAnotherThreadAndRestoresTheClipboard) {
    ASSERT_TRUE(desktop_.ReplaceClipboard(std::string("vorher \xE2\x9C\x93")));  // "vorher ✓"
    TargetThread target;
    ASSERT_TRUE(target.InFront()) << "the target window never came to the foreground";
    EXPECT_TRUE(actions_.PasteText("Gr\xC3\xBC\xC3\x9F \xCE\xA9 "));  // "Grüß Ω "
    EXPECT_EQ(target.Text(), L"Gr\u00FC\u00DF \u03A9 ");
    EXPECT_EQ(ClipboardText(), L"vorher \u2713");

    // Whatever else the clipboard held comes back too: a picture, HTML, a drawing; and no text.
    BITMAPINFOHEADER header{sizeof(header), 1, 1, 1, 32, BI_RGB, 4, 0, 0, 0, 0};
    const std::string dib = std::string(reinterpret_cast<const char*>(&header), sizeof(header)) +
                            std::string("\x11\x22\x33\x00", 4);
    const UINT html = RegisterClipboardFormatW(L"HTML Format");
    HDC drawing = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    HENHMETAFILE metafile = CloseEnhMetaFile(drawing);
    std::string emf(GetEnhMetaFileBits(metafile, 0, nullptr), '\0');
    GetEnhMetaFileBits(metafile, static_cast<UINT>(emf.size()),
                       reinterpret_cast<BYTE*>(emf.data()));
    DeleteEnhMetaFile(metafile);
    const auto item = [](UINT format, const std::string& bytes) {
        return ClipboardSnapshot::Item{format, {bytes.begin(), bytes.end()}};
    };
    ASSERT_TRUE(desktop_.RestoreClipboard(
        {{item(CF_DIB, dib), item(html, "<b>x</b>"), item(CF_ENHMETAFILE, emf)}}));
    EXPECT_TRUE(actions_.PasteText("abc "));
    EXPECT_EQ(target.Text(), L"Gr\u00FC\u00DF \u03A9 abc ");
    EXPECT_EQ(ClipboardBytes(CF_DIB), dib);
    EXPECT_EQ(ClipboardBytes(html), "<b>x</b>");
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_ENHMETAFILE));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
}

TEST_F(WindowActionsWin32, NoActionWaitsForAProgramThatStoppedAnswering) {
    // Well above the limit a window gets to answer, well below the time the target hangs.
    constexpr auto kPromptly = std::chrono::seconds(4);
    ASSERT_TRUE(desktop_.ReplaceClipboard(std::string("kept")));
    TargetThread target;
    ASSERT_TRUE(target.InFront());
    actions_.MaximizeRestoreWindow();
    EXPECT_TRUE(PumpUntil([&] { return IsZoomed(target.frame_) != FALSE; }))
        << "a window that answers is sized";

    ASSERT_TRUE(target.Hang(false));
    EXPECT_LT(Timed([&] {
                  actions_.MaximizeRestoreWindow();
                  actions_.MinimizeWindow();
              }),
              kPromptly);
    EXPECT_LT(Timed([&] { actions_.PasteText("late "); }), kPromptly);
    EXPECT_EQ(ClipboardText(), L"kept");
    SetEvent(target.release_);

    // Its clipboard cannot be saved, so nothing is pasted and the clipboard stays its own.
    ASSERT_TRUE(target.Hang(true));
    EXPECT_LT(Timed([&] { EXPECT_FALSE(actions_.PasteText("late ")); }), kPromptly);
    EXPECT_EQ(GetClipboardOwner(), target.frame_);
}

// Every pump of the program stops at a quit and leaves it for the main loop, which would
// otherwise never end and leave a process without windows.
TEST_F(WindowActionsWin32, PumpsStopAtAQuitAndLeaveItForTheMainLoop) {
    win32::Win32SystemPort system(nullptr);
    const std::pair<const char*, std::function<bool()>> pumps[] = {
        {"a wait", [&] { return desktop_.Wait(5000); }},
        {"a wait for messages",
         [&] {
             system.WaitForMessages(5000);
             return system.ProcessPendingMessages();
         }},
    };
    for (const auto& [name, pump] : pumps) {
        PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0);
        PostQuitMessage(7);
        EXPECT_LT(Timed([&] { EXPECT_FALSE(pump()) << name; }), std::chrono::seconds(2)) << name;
        MSG message{};
        EXPECT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << name;
        EXPECT_EQ(message.wParam, 7u) << name;
    }
}

// A batch file is no program of its own: the shell hands it to the command interpreter, with its
// parameters as they were given.
TEST(ShellLaunch, RunsABatchFileWithItsParameters) {
    const std::wstring folder = testsupport::TempFolder() + L"tessarin launch \u00E9\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    DeleteFileW((folder + L"marker.txt").c_str());  // left by a run whose clean-up lost the race
    ASSERT_TRUE(testsupport::WriteWholeFile(folder + L"mark.cmd",
                                            "@echo %~1 %~2> \"%~dp0marker.txt\"\r\n"));
    ShellRequest request;
    request.File = win32::Narrow(folder + L"mark.cmd");
    request.Parameters = "\"first arg\" second";
    ASSERT_TRUE(win32::Win32ShellPort().Launch(request));
    EXPECT_TRUE(testsupport::WaitFor(
        [&] { return testsupport::ReadFirstLine(folder + L"marker.txt") == "first arg second"; }));
    std::error_code stillInUse;  // the script's console may not have let go of its folder yet
    std::filesystem::remove_all(folder, stillInUse);
}

struct IdleHost : win32::TrayHost {
    const ActionList& PopupActions() const override { return list_; }
    bool HotkeysEnabled() const override { return true; }
    void RunPopupAction(const std::string&, const std::string&) override {}
    void ToggleHotkeys() override {}
    void UnloadFromTray() override {}
    ActionList list_;
};

class TrayIconTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ShowWindow(window_, SW_SHOWNORMAL);
        ASSERT_TRUE(tray_.InstallTrayHook());
    }
    void TearDown() override { DestroyWindow(window_); }

    bool Notify(DWORD request) const {
        NOTIFYICONDATAW data{};
        data.cbSize = sizeof(data);
        data.hWnd = window_;
        data.uID = win32::kTrayIconId;
        return Shell_NotifyIconW(request, &data) != FALSE;
    }

    HWND window_ = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"tray test", WS_OVERLAPPEDWINDOW,
                                   40, 40, 300, 200, nullptr, nullptr, nullptr, nullptr);
    HICON ownIcon_ = LoadIconW(nullptr, IDI_APPLICATION);
    IdleHost host_;
    win32::TrayIcon tray_{window_, ownIcon_, host_};
};

TEST_F(TrayIconTest, ANewTaskbarGetsTheIconBackOnlyWhileTheWindowIsHidden) {
    const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    ASSERT_TRUE(tray_.SetupTrayIcon());
    // The shell answers a change to an icon only while it holds that icon.
    ASSERT_TRUE(Notify(NIM_DELETE));  // as a crashed shell loses it
    ASSERT_FALSE(Notify(NIM_MODIFY));
    SendMessageW(window_, taskbarCreated, 0, 0);
    EXPECT_TRUE(Notify(NIM_MODIFY));

    SendMessageW(window_, win32::kTrayCallbackMessage, win32::kTrayIconId, WM_LBUTTONUP);
    ASSERT_TRUE(IsWindowVisible(window_));
    SendMessageW(window_, taskbarCreated, 0, 0);
    EXPECT_FALSE(Notify(NIM_MODIFY));
}

TEST_F(TrayIconTest, IconFilesThatAreNoIconsFallBackToTheOwnIcon) {
    const std::wstring folder = testsupport::TempFolder() + L"tessarin tray\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::string icon = win32::Narrow(folder + L"own \u00e9.ico");
    const std::string text = win32::Narrow(folder + L"text.ico");
    const std::string missing = win32::Narrow(folder + L"missing.ico");
    // A 16 by 16, 32-bit icon file: the directory with its one entry, then the picture, whose
    // height counts the mask below it as well.
    const BYTE directory[] = {0, 0,  1, 0,    1, 0, 16, 16, 0, 0, 1,
                              0, 32, 0, 0x68, 4, 0, 0,  22, 0, 0, 0};
    const BITMAPINFOHEADER header{sizeof(header), 16, 32, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    ASSERT_TRUE(testsupport::WriteWholeFile(
        win32::Widen(icon),
        std::string(reinterpret_cast<const char*>(directory), sizeof(directory)) +
            std::string(reinterpret_cast<const char*>(&header), sizeof(header)) +
            std::string(16 * 16 * 4, '\xCC') + std::string(16 * 4, '\0')));
    ASSERT_TRUE(testsupport::WriteWholeFile(win32::Widen(text), "no icon"));

    // Every box the window shows is answered as the user would, and counted.
    std::atomic<int> boxes{0};
    std::atomic<bool> finished{false};
    std::thread answerer([&] {
        for (; !finished; Sleep(20)) {
            const HWND box = FindWindowW(L"#32770", nullptr);  // such as a message box
            if (box != nullptr && GetWindow(box, GW_OWNER) == window_ && IsWindowVisible(box)) {
                ++boxes;
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                testsupport::WaitFor([&] { return !IsWindow(box); });
            }
        }
    });
    for (const std::string& stored : {std::string(kDefaultIcon), missing, text, icon}) {
        tray_.LoadStoredIcon(stored);
        const bool loaded = stored == icon;
        EXPECT_EQ(tray_.IconPath(), loaded ? stored : kDefaultIcon) << stored;
        EXPECT_EQ(tray_.Picture() != ownIcon_, loaded) << stored;
    }
    EXPECT_EQ(boxes, 0) << "start-up must not speak";
    EXPECT_FALSE(tray_.UseChosenIcon(text));
    EXPECT_EQ(boxes, 1) << "a file the user chose is refused aloud";
    EXPECT_EQ(tray_.IconPath(), kDefaultIcon);
    EXPECT_EQ(tray_.Picture(), ownIcon_);
    EXPECT_TRUE(tray_.UseChosenIcon(icon));
    EXPECT_NE(tray_.Picture(), ownIcon_);
    finished = true;
    answerer.join();

    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace tessarin
