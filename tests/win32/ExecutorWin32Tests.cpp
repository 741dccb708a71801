// The executor's launches through the real shell: a batch file run with its parameters and the
// default-browser lookup. (Wine's explorer opens no window for a folder, so the folder rule is
// shown by the unit tests' recorded requests.)

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <string>

#include "FakeDesktopPort.h"
#include "FakeRawRegistry.h"
#include "FakeSystemPort.h"
#include "TestPrograms.h"
#include "actions/Executor.h"
#include "platform/win32/WideString.h"
#include "platform/win32/Win32ShellPort.h"

namespace tessarin {
namespace {

struct DefaultOptions : LaunchOptionsSource {
    LaunchOptions CurrentLaunchOptions() const override { return {}; }
};

struct NoPrompts : Prompts {
    void ShowSearchPrompt() override {}
    void ShowEmailPrompt() override {}
};

class ShellLaunch : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = shell_.TempDirectory() + "tessarin launch \xC3\xA9 test";
        CreateDirectoryW(win32::Widen(folder_).c_str(), nullptr);
    }
    void TearDown() override {
        for (const char* name : {"\\mark.cmd", "\\marker.txt"}) {
            DeleteFileW(win32::Widen(folder_ + name).c_str());
        }
        RemoveDirectoryW(win32::Widen(folder_).c_str());
    }

    // Waits for the file the launched program writes, pumping messages as the program would.
    std::string WaitForFile(const std::string& path) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            std::ifstream in(win32::Widen(path).c_str());
            std::string line;
            if (in && std::getline(in, line) && !line.empty()) {
                return line;
            }
            Sleep(100);
        }
        return {};
    }

    win32::Win32ShellPort shell_;
    DefaultOptions options_;
    NoPrompts prompts_;
    fakes::FakeSystemPort systemPort_;
    fakes::FakeDesktopPort desktop_;
    fakes::FakeRawRegistry registry_;
    AppState state_;
    SystemActions system_{systemPort_, state_};
    WindowActions windows_{desktop_, registry_, 0};
    Executor executor_{shell_, options_, prompts_, system_, windows_, state_};
    std::string folder_;
};

TEST_F(ShellLaunch, OpenFileRunsABatchFileWithItsParameters) {
    {
        std::ofstream script(win32::Widen(folder_ + "\\mark.cmd").c_str());
        script << "@echo %~1 %~2> \"%~dp0marker.txt\"\r\n";
    }
    executor_.ExecuteAction("Open File/Folder",
                            "\"" + folder_ + "\\mark.cmd\" \"first arg\" second");
    EXPECT_EQ(WaitForFile(folder_ + "\\marker.txt"), "first arg second");
}

TEST_F(ShellLaunch, DefaultBrowserLookupFindsAProgramAndCleansUp) {
    std::intptr_t code = 0;
    const std::string browser = executor_.FindDefaultBrowser(code);
    EXPECT_GE(code, 32);
    EXPECT_NE(browser.find(".exe"), std::string::npos) << browser;
    EXPECT_EQ(GetFileAttributesW(win32::Widen(executor_.GetTempDir() + "dummy.html").c_str()),
              INVALID_FILE_ATTRIBUTES);
}

TEST_F(ShellLaunch, SystemFacts) {
    EXPECT_TRUE(executor_.IsWindowsNT());
    const std::string temp = executor_.GetTempDir();
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), '\\');
    EXPECT_EQ(shell_.PathAttributes(folder_).value_or(0) & FILE_ATTRIBUTE_DIRECTORY,
              static_cast<std::uint32_t>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_FALSE(shell_.PathAttributes(folder_ + "\\missing").has_value());
}

}  // namespace
}  // namespace tessarin
