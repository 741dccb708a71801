#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "model/AppState.h"
#include "platform/CodePage.h"

namespace tessarin::win32 {

// What the search and e-mail prompts share: a fresh window for every showing, built in code and
// laid out in twips at its own DPI, modal to its owner (if any) while the thread's other windows
// keep receiving their messages, so hotkeys stay live. OK (IDOK) is the default button; Cancel
// (IDCANCEL) also answers Escape and the close box.
class PromptWindow {
  public:
    PromptWindow(const PromptWindow&) = delete;
    PromptWindow& operator=(const PromptWindow&) = delete;

  protected:
    struct Twips {
        int Left;
        int Top;
        int Width;
        int Height;
    };
    struct PromptControl {
        int Id;
        const wchar_t* WindowClass;
        const wchar_t* Text;
        DWORD Style;
        DWORD ExStyle;
        Twips Bounds;
    };

    PromptWindow(std::vector<PromptControl> controls, int clientWidth, int clientHeight)
        : controls_(std::move(controls)), clientWidth_(clientWidth), clientHeight_(clientHeight) {}
    virtual ~PromptWindow();

    // Creates and shows the window, runs Load, and returns once Unload was called or the window
    // went away. False when the prompt is already showing or cannot be created.
    bool RunModal(HWND owner);
    void Unload();
    HWND Window() const { return window_; }
    HWND Control(int id) const { return GetDlgItem(window_, id); }
    static std::string TextOf(HWND control);

    // The window's load step, once it is on screen.
    virtual void Load() = 0;
    virtual void Command(int id, int notification) = 0;
    // The window closed without an answer of its own: WM_QUIT, or its owner destroyed it.
    virtual void Dismissed() = 0;

  private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept;
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void Layout(UINT dpi, const RECT* suggested);
    void ReleaseFont();

    std::vector<PromptControl> controls_;
    int clientWidth_;
    int clientHeight_;
    HWND owner_ = nullptr;
    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    bool unloaded_ = false;
};

// "Enter <engine> Search Query": asks for the query of a "Search Google" or "Search Yahoo"
// action and leaves it, encoded for the URL, in `sSearchQuery` (empty when cancelled).
class SearchDialog final : private PromptWindow {
  public:
    static constexpr int kTextSearchId = 100;
    static constexpr int kOKButtonId = IDOK;
    static constexpr int kCancelButtonId = IDCANCEL;

    SearchDialog(AppState& state, const CodePage& codePage);

    // Returns when the window has closed, with `sSearchQuery` set. A prompt already showing is
    // brought to the front and this call answers with an empty query.
    void ShowModal(HWND owner);

  private:
    void Load() override;
    void Command(int id, int notification) override;
    void Dismissed() override;

    AppState& state_;
    const CodePage& codePage_;
};

}  // namespace tessarin::win32
