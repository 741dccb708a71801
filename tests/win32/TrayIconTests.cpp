// The notification-area icon against the real shell of the Wine desktop: the icon comes and
// goes, its messages reach the window, and the popup shows what the list offers.

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "TestPrograms.h"
#include "model/SettingsSection.h"
#include "platform/win32/WideString.h"
#include "ui/win32/TrayIcon.h"

namespace tessarin {
namespace {

using win32::TrayIcon;

class RecordingHost : public win32::TrayHost {
  public:
    const ActionList& PopupActions() const override { return list; }
    bool HotkeysEnabled() const override { return hotkeysEnabled; }
    void RunPopupAction(const std::string& caption, const std::string& data) override {
        runs.emplace_back(caption, data);
    }
    void ToggleHotkeys() override { ++toggles; }
    void UnloadFromTray() override { ++unloads; }

    ActionList list;
    bool hotkeysEnabled = true;
    std::vector<std::pair<std::string, std::string>> runs;
    int toggles = 0;
    int unloads = 0;
};

void Pump(std::chrono::milliseconds duration, const std::function<bool()>& done = {}) {
    const auto deadline = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < deadline && !(done && done())) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
    }
}

struct MenuItem {
    std::wstring text;  // empty for a separator
    UINT id = 0;
    bool hasBitmap = false;
    bool operator==(const MenuItem&) const = default;
};

std::vector<MenuItem> ReadMenu(HMENU menu) {
    std::vector<MenuItem> items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[512] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_BITMAP;
        info.dwTypeData = text;
        info.cch = 511;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        items.push_back(
            {(info.fType & MFT_SEPARATOR) != 0 ? L"" : text, info.wID, info.hbmpItem != nullptr});
    }
    return items;
}

// Closes every message box titled "Tessarin" that this process shows, remembering its text.
class MessageBoxWatcher {
  public:
    MessageBoxWatcher()
        : thread_([this] {
              while (!stop_) {
                  HWND box = FindWindowW(L"#32770", L"Tessarin");
                  DWORD process = 0;
                  GetWindowThreadProcessId(box, &process);
                  if (box != nullptr && process == GetCurrentProcessId()) {
                      wchar_t text[256] = {};
                      GetDlgItemTextW(box, 0xFFFF, text, 256);
                      {
                          std::lock_guard<std::mutex> lock(mutex_);
                          texts_.push_back(win32::Narrow(text));
                      }
                      SendMessageW(box, WM_COMMAND, IDOK, 0);
                  }
                  std::this_thread::sleep_for(std::chrono::milliseconds(20));
              }
          }) {}
    ~MessageBoxWatcher() {
        stop_ = true;
        thread_.join();
    }
    std::vector<std::string> Texts() {
        std::lock_guard<std::mutex> lock(mutex_);
        return std::exchange(texts_, {});
    }

  private:
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::string> texts_;
    std::thread thread_;
};

bool WriteFile(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
    return tessarin::testsupport::WriteWholeFile(
        path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

// Little-endian fields, each a value and its width in bytes.
void PutFields(std::vector<std::uint8_t>& bytes,
               std::initializer_list<std::pair<std::uint32_t, int>> fields) {
    for (const auto& [value, width] : fields) {
        for (int i = 0; i < width; ++i) {
            bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
        }
    }
}

// A 16 by 16, 32-bit icon file.
std::vector<std::uint8_t> IconFileBytes() {
    std::vector<std::uint8_t> bytes;
    PutFields(bytes, {{0, 2}, {1, 2}, {1, 2}});  // one icon
    PutFields(bytes,
              {{16, 1}, {16, 1}, {0, 1}, {0, 1}, {1, 2}, {32, 2}, {40 + 1024 + 64, 4}, {22, 4}});
    // The height counts the mask as well.
    PutFields(bytes, {{40, 4},
                      {16, 4},
                      {32, 4},
                      {1, 2},
                      {32, 2},
                      {0, 4},
                      {0, 4},
                      {0, 4},
                      {0, 4},
                      {0, 4},
                      {0, 4}});
    for (int pixel = 0; pixel < 256; ++pixel) {
        PutFields(bytes, {{0xFFCC2020u, 4}});
    }
    bytes.resize(bytes.size() + 64, 0);  // the mask
    return bytes;
}

// A 2 by 2, 24-bit bitmap file: a picture, but not an icon.
std::vector<std::uint8_t> BitmapFileBytes() {
    std::vector<std::uint8_t> bytes = {'B', 'M'};
    PutFields(bytes, {{54 + 16, 4}, {0, 4}, {54, 4}});
    PutFields(bytes, {{40, 4},
                      {2, 4},
                      {2, 4},
                      {1, 2},
                      {24, 2},
                      {0, 4},
                      {16, 4},
                      {0, 4},
                      {0, 4},
                      {0, 4},
                      {0, 4}});
    bytes.resize(bytes.size() + 16, 0x80);
    return bytes;
}

class TrayIconTest : public ::testing::Test {
  protected:
    void SetUp() override {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"TessarinTrayTestWindow";
        RegisterClassW(&windowClass);
        // No taskbar button: the taskbar then shows only because of the icon.
        window_ = CreateWindowExW(WS_EX_TOOLWINDOW, windowClass.lpszClassName, L"tray test",
                                  WS_OVERLAPPEDWINDOW, 40, 40, 300, 200, nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
        ASSERT_NE(window_, nullptr);
        ShowWindow(window_, SW_SHOWNORMAL);
        ownIcon_ = LoadIconW(nullptr, IDI_APPLICATION);
        tray_ = std::make_unique<TrayIcon>(window_, ownIcon_, host_);
        ASSERT_TRUE(tray_->InstallTrayHook());
    }

    void TearDown() override {
        tray_.reset();
        if (window_ != nullptr) {
            DestroyWindow(window_);
        }
    }

    // The shell answers a change to an icon only while it holds that icon.
    bool IconPresent() const {
        NOTIFYICONDATAW data{};
        data.cbSize = sizeof(data);
        data.hWnd = window_;
        data.uID = win32::kTrayIconId;
        data.uFlags = NIF_TIP;
        wcscpy_s(data.szTip, L"probe");
        return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
    }

    void AddRow(const std::string& caption, const std::string& data) {
        ActionRecord record;
        record.ActionType = caption;
        record.Data = data;
        host_.list.Add(std::move(record));
    }

    void ClickIcon(UINT mouseMessage) {
        PostMessageW(window_, win32::kTrayCallbackMessage, win32::kTrayIconId, mouseMessage);
        Pump(std::chrono::milliseconds(200));
    }

    HWND window_ = nullptr;
    HICON ownIcon_ = nullptr;
    RecordingHost host_;
    std::unique_ptr<TrayIcon> tray_;
};

TEST_F(TrayIconTest, HidesInTheNotificationAreaAndComesBackAsItWasOnALeftClick) {
    const struct {
        int showBefore;
        bool zoomedAfter;
    } cases[] = {{SW_SHOWNORMAL, false}, {SW_SHOWMAXIMIZED, true}, {SW_SHOWMINIMIZED, false}};
    for (const auto& c : cases) {
        ShowWindow(window_, SW_SHOWNORMAL);
        ShowWindow(window_, c.showBefore);
        ASSERT_TRUE(tray_->SetupTrayIcon()) << c.showBefore;
        EXPECT_FALSE(IsWindowVisible(window_)) << c.showBefore;
        EXPECT_TRUE(IconPresent()) << c.showBefore;
        HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
        Pump(std::chrono::seconds(5), [&] { return IsWindowVisible(taskbar) != FALSE; });
        EXPECT_TRUE(IsWindowVisible(taskbar)) << "the Wine desktop's taskbar shows no icon";

        // A right click on the window itself is not the icon's.
        PostMessageW(window_, WM_RBUTTONUP, 0, 0);
        ClickIcon(WM_RBUTTONUP);
        EXPECT_FALSE(IsWindowVisible(window_)) << c.showBefore;

        ClickIcon(WM_LBUTTONUP);
        EXPECT_TRUE(IsWindowVisible(window_)) << c.showBefore;
        EXPECT_FALSE(IsIconic(window_)) << c.showBefore;
        EXPECT_EQ(IsZoomed(window_) != FALSE, c.zoomedAfter) << c.showBefore;
        EXPECT_FALSE(IconPresent()) << c.showBefore;
        EXPECT_FALSE(tray_->InNotificationArea());
    }
    ShowWindow(window_, SW_SHOWNORMAL);
}

TEST_F(TrayIconTest, PopupOffersTheListThenTheFixedItems) {
    AddRow("Go to URL", "http://a.test/?x=1&y=2");
    AddRow("Search Google", " ");
    AddRow("Open File/Folder", "\"C:\\Docs\\a\"\"b.txt\" ");
    AddRow("Shutdown Computer", " ");
    AddRow("Send Email", "mailto:me@b.test");
    const UINT first = win32::kPopupFirstEntryId;
    const std::vector<MenuItem> expected = {
        {L"Open \"C:\\Docs\\a\"\"b.txt\"", first, true},
        {L"Browse http://a.test/?x=1&&y=2", first + 1, true},
        {L"Email me@b.test", first + 2, true},
        {L"Search Google", first + 3, true},
        {L"", 0, false},
        {L"Configure Tessarin", win32::kPopupConfigureId, false},
        {L"Disable All Hotkeys", win32::kPopupToggleId, false},
        {L"", 0, false},
        {L"Unload Tessarin", win32::kPopupExitId, false},
    };
    win32::UniqueMenu menu = tray_->CreatePopup();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(ReadMenu(menu.get()), expected);

    host_.hotkeysEnabled = false;
    host_.list.Clear();
    AddRow("Shutdown Computer", " ");
    menu = tray_->CreatePopup();
    std::vector<MenuItem> fixedOnly(expected.begin() + 4, expected.end());
    fixedOnly[2].text = L"Enable All Hotkeys";
    EXPECT_EQ(ReadMenu(menu.get()), fixedOnly);
}

// Drawn into a menu item, each picture covers its middle and leaves the menu's own colour
// showing around it, at every scale.
TEST(PopupBitmaps, DrawScaledOverTheMenuBackground) {
    const struct {
        UINT dpi;
        int size;
    } cases[] = {{96, 16}, {144, 24}, {192, 32}, {0, 16}};
    constexpr COLORREF kMenuColour = RGB(250, 250, 250);
    for (const auto& c : cases) {
        win32::PopupBitmaps bitmaps(c.dpi);
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP canvas = CreateBitmap(c.size, c.size, 1, 32, nullptr);
        HGDIOBJ old = SelectObject(dc, canvas);
        for (PopupBitmap which :
             {PopupBitmap::FileOrFolder, PopupBitmap::ShellPlace, PopupBitmap::WebOrMail}) {
            const auto data = reinterpret_cast<ULONG_PTR>(bitmaps.Get(which));
            MEASUREITEMSTRUCT measure{ODT_MENU, 0, win32::kPopupFirstEntryId, 0, 0, data};
            ASSERT_TRUE(win32::MeasurePopupBitmap(bitmaps, measure));
            EXPECT_EQ(measure.itemWidth, static_cast<UINT>(c.size)) << c.dpi;

            const RECT all{0, 0, c.size, c.size};
            HBRUSH brush = CreateSolidBrush(kMenuColour);
            FillRect(dc, &all, brush);
            DeleteObject(brush);
            DRAWITEMSTRUCT draw{};
            draw.CtlType = ODT_MENU;
            draw.hDC = dc;
            draw.rcItem = all;
            draw.itemData = data;
            ASSERT_TRUE(win32::DrawPopupBitmap(bitmaps, draw));
            EXPECT_EQ(GetPixel(dc, 0, 0), kMenuColour) << c.dpi << " " << static_cast<int>(which);
            EXPECT_NE(GetPixel(dc, c.size / 2, c.size / 2), kMenuColour)
                << c.dpi << " " << static_cast<int>(which);
        }
        SelectObject(dc, old);
        DeleteObject(canvas);
        DeleteDC(dc);
    }
    // Another owner-drawn item of the window is left to the window.
    win32::PopupBitmaps bitmaps(96);
    MEASUREITEMSTRUCT foreign{ODT_MENU, 0, win32::kPopupFirstEntryId, 0, 0, 42};
    EXPECT_FALSE(win32::MeasurePopupBitmap(bitmaps, foreign));
}

TEST_F(TrayIconTest, ChosenItemsReachTheHost) {
    AddRow("Network", "");
    AddRow("Open File/Folder", "\"\"C:\\a b\\x.exe\"\" -v");
    tray_->SetupTrayIcon();
    tray_->CreatePopup();

    tray_->RunPopupCommand(win32::kPopupFirstEntryId);
    tray_->RunPopupCommand(win32::kPopupFirstEntryId + 1);
    tray_->RunPopupCommand(win32::kPopupFirstEntryId + 2);  // no such entry
    tray_->RunPopupCommand(0);                              // the popup was dismissed
    const std::vector<std::pair<std::string, std::string>> runs = {
        {"Open File/Folder", "\"C:\\a b\\x.exe\" -v"}, {"Network", ""}};
    EXPECT_EQ(host_.runs, runs);

    tray_->RunPopupCommand(win32::kPopupToggleId);
    tray_->RunPopupCommand(win32::kPopupExitId);
    EXPECT_EQ(host_.toggles, 1);
    EXPECT_EQ(host_.unloads, 1);
    EXPECT_FALSE(IsWindowVisible(window_));

    tray_->RunPopupCommand(win32::kPopupConfigureId);
    EXPECT_TRUE(IsWindowVisible(window_));
    EXPECT_FALSE(IconPresent());
}

// The timer runs inside the popup's own message loop, reads the menu that is showing and
// dismisses it.
std::vector<MenuItem> g_shownMenu;
bool g_menuSeen = false;

void CALLBACK ReadShownMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND popup = FindWindowW(L"#32768", nullptr);
    if (popup == nullptr || !IsWindowVisible(popup)) {
        return;
    }
    g_shownMenu = ReadMenu(reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0)));
    g_menuSeen = true;
    KillTimer(nullptr, timer);
    EndMenu();
}

TEST_F(TrayIconTest, RightButtonDownOnTheIconShowsThePopup) {
    AddRow("Recycle Bin", "");
    tray_->SetupTrayIcon();
    g_menuSeen = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, &ReadShownMenu);
    ClickIcon(WM_RBUTTONDOWN);
    Pump(std::chrono::seconds(5), [] { return g_menuSeen; });
    KillTimer(nullptr, timer);
    ASSERT_TRUE(g_menuSeen) << "no popup menu appeared";
    ASSERT_EQ(g_shownMenu.size(), 6u);
    EXPECT_EQ(g_shownMenu[0].text, L"Open Recycle Bin");
    EXPECT_EQ(g_shownMenu[5].text, L"Unload Tessarin");
    EXPECT_TRUE(host_.runs.empty());
    EXPECT_FALSE(IsWindowVisible(window_));
    EXPECT_TRUE(IconPresent());
}

TEST_F(TrayIconTest, NewTaskbarGetsTheIconBackOnlyWhileTheWindowIsHidden) {
    const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    tray_->SetupTrayIcon();
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = window_;
    data.uID = win32::kTrayIconId;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &data));  // as a crashed shell loses it
    ASSERT_FALSE(IconPresent());
    SendMessageW(window_, taskbarCreated, 0, 0);
    EXPECT_TRUE(IconPresent());

    ClickIcon(WM_LBUTTONUP);
    SendMessageW(window_, taskbarCreated, 0, 0);
    EXPECT_FALSE(IconPresent());
}

TEST_F(TrayIconTest, IconFilesThatAreNoIconsFallBackToTheOwnIcon) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder =
        std::wstring(temp) + L"tessarin-tray-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::string icon = win32::Narrow(folder + L"own \u00e9.ico");
    const std::string bitmap = win32::Narrow(folder + L"picture.ico");
    const std::string missing = win32::Narrow(folder + L"missing.ico");
    ASSERT_TRUE(WriteFile(win32::Widen(icon), IconFileBytes()));
    ASSERT_TRUE(WriteFile(win32::Widen(bitmap), BitmapFileBytes()));

    MessageBoxWatcher watcher;
    const struct {
        std::string stored;
        bool loaded;
    } atStartup[] = {{kDefaultIcon, false}, {missing, false}, {bitmap, false}, {icon, true}};
    for (const auto& c : atStartup) {
        tray_->LoadStoredIcon(c.stored);
        EXPECT_EQ(tray_->IconPath(), c.loaded ? c.stored : kDefaultIcon) << c.stored;
        EXPECT_EQ(tray_->Picture() != ownIcon_, c.loaded) << c.stored;
    }
    EXPECT_TRUE(watcher.Texts().empty()) << "start-up must not speak";

    EXPECT_FALSE(tray_->UseChosenIcon(bitmap));
    EXPECT_EQ(tray_->IconPath(), kDefaultIcon);
    EXPECT_EQ(tray_->Picture(), ownIcon_);
    EXPECT_EQ(watcher.Texts(), std::vector<std::string>{"An Invalid Icon File Was Loaded."});

    EXPECT_TRUE(tray_->UseChosenIcon(icon));
    EXPECT_EQ(tray_->IconPath(), icon);
    EXPECT_NE(tray_->Picture(), ownIcon_);
    EXPECT_TRUE(watcher.Texts().empty());

    DeleteFileW(win32::Widen(icon).c_str());
    DeleteFileW(win32::Widen(bitmap).c_str());
    RemoveDirectoryW(folder.c_str());
}

}  // namespace
}  // namespace tessarin
