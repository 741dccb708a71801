#include "ui/win32/NodeIcons.h"

#include <array>
#include <initializer_list>
#include <optional>
#include <utility>
#include <vector>

#include "platform/win32/Handles.h"

namespace tessarin::win32 {
namespace {

// Drawn on this colour, which the image list's mask then makes transparent.
constexpr COLORREF kKeyColour = RGB(255, 0, 255);

constexpr COLORREF kInk = RGB(50, 50, 50);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kGrey = RGB(170, 170, 170);
constexpr COLORREF kScreen = RGB(70, 140, 220);
constexpr COLORREF kFolder = RGB(250, 210, 90);
constexpr COLORREF kFolderLine = RGB(150, 110, 20);

// Draws one picture on a 16-unit grid, scaled to the picture's size and shifted to its place in
// the strip.
class Sketch {
  public:
    Sketch(HDC dc, int left, int size) : dc_(dc), left_(left), size_(size), tools_(dc) {}

    void Rect(int l, int t, int r, int b, COLORREF fill, COLORREF line = kInk) const {
        Use(fill, line);
        Rectangle(dc_, X(l), Y(t), X(r), Y(b));
    }
    void Disc(int l, int t, int r, int b, COLORREF fill, COLORREF line = kInk) const {
        Use(fill, line);
        Ellipse(dc_, X(l), Y(t), X(r), Y(b));
    }
    void Line(int x1, int y1, int x2, int y2, COLORREF line = kInk) const {
        Use(std::nullopt, line);
        MoveToEx(dc_, X(x1), Y(y1), nullptr);
        LineTo(dc_, X(x2), Y(y2));
    }
    // The part of an ellipse's outline from the first to the second point, counter-clockwise.
    void Curve(int l, int t, int r, int b, POINT from, POINT to, COLORREF line) const {
        Use(std::nullopt, line);
        Arc(dc_, X(l), Y(t), X(r), Y(b), X(from.x), Y(from.y), X(to.x), Y(to.y));
    }
    void Shape(std::initializer_list<POINT> corners, COLORREF fill, COLORREF line = kInk) const {
        std::vector<POINT> points;
        for (const POINT& corner : corners) {
            points.push_back({X(corner.x), Y(corner.y)});
        }
        Use(fill, line);
        Polygon(dc_, points.data(), static_cast<int>(points.size()));
    }

  private:
    int X(LONG units) const { return left_ + MulDiv(static_cast<int>(units), size_, 16); }
    int Y(LONG units) const { return MulDiv(static_cast<int>(units), size_, 16); }

    void Use(std::optional<COLORREF> fill, COLORREF line) const {
        tools_.Use(size_ >= 32 ? size_ / 16 : 1, line, fill);
    }

    HDC dc_;
    int left_;
    int size_;
    mutable SelectedPenAndBrush tools_;
};

void Folder(const Sketch& s) {
    s.Rect(1, 3, 7, 6, RGB(225, 180, 60), kFolderLine);
    s.Rect(1, 5, 15, 14, kFolder, kFolderLine);
}

void Power(const Sketch& s) {
    s.Disc(1, 1, 15, 15, RGB(40, 140, 60));
    s.Curve(4, 4, 12, 12, {6, 2}, {10, 2}, kWhite);
    s.Line(8, 3, 8, 8, kWhite);
}

void Globe(const Sketch& s) {
    const COLORREF line = RGB(20, 70, 140);
    s.Disc(1, 1, 15, 15, RGB(90, 160, 230), line);
    s.Curve(5, 1, 11, 15, {8, 0}, {8, 16}, line);
    s.Curve(5, 1, 11, 15, {8, 16}, {8, 0}, line);
    s.Line(1, 8, 15, 8, line);
    s.Line(8, 1, 8, 15, line);
}

void Disc(const Sketch& s) {
    s.Disc(1, 1, 15, 15, RGB(215, 215, 225));
    s.Disc(3, 3, 13, 13, RGB(190, 220, 240), RGB(150, 190, 220));
    s.Disc(6, 6, 10, 10, kWhite);
}

void CdDrive(const Sketch& s) {
    s.Disc(4, 1, 12, 9, RGB(215, 215, 225));
    s.Disc(7, 4, 9, 6, kWhite);
    s.Rect(1, 8, 15, 14, kGrey);
    s.Rect(3, 10, 13, 12, RGB(90, 90, 90));
}

void Speaker(const Sketch& s) {
    s.Shape({{1, 6}, {4, 6}, {8, 2}, {8, 14}, {4, 10}, {1, 10}}, kGrey);
    s.Curve(6, 5, 12, 11, {9, 16}, {9, 0}, kInk);
    s.Curve(5, 2, 15, 14, {10, 16}, {10, 0}, kInk);
}

void Clipboard(const Sketch& s) {
    s.Rect(3, 2, 13, 15, RGB(180, 130, 70), RGB(110, 70, 30));
    s.Rect(5, 4, 11, 14, kWhite);
    s.Rect(6, 1, 10, 4, kGrey);
    for (int y : {7, 9, 11}) {
        s.Line(6, y, 10, y, kScreen);
    }
}

void Gear(const Sketch& s) {
    for (const std::array<int, 4>& tooth :
         {std::array{7, 0, 9, 16}, std::array{0, 7, 16, 9}, std::array{2, 2, 14, 14}}) {
        s.Rect(tooth[0], tooth[1], tooth[2], tooth[3], kGrey);
    }
    s.Disc(2, 2, 14, 14, kGrey);
    s.Disc(6, 6, 10, 10, kWhite);
}

void ControlPanel(const Sketch& s) {
    s.Rect(1, 2, 15, 14, RGB(235, 235, 220));
    const std::array<std::pair<int, COLORREF>, 3> sliders = {
        {{4, RGB(40, 90, 200)}, {8, RGB(200, 50, 40)}, {12, RGB(40, 150, 60)}}};
    int knob = 5;
    for (const auto& [x, colour] : sliders) {
        s.Line(x, 4, x, 12);
        s.Rect(x - 1, knob, x + 2, knob + 2, colour);
        knob = knob == 5 ? 9 : 6;
    }
}

void Computer(const Sketch& s) {
    s.Rect(1, 1, 13, 10, kGrey);
    s.Rect(3, 3, 11, 8, kScreen);
    s.Rect(3, 11, 15, 15, RGB(225, 220, 200));
    s.Line(5, 13, 13, 13);
}

void RecycleBin(const Sketch& s) {
    s.Shape({{3, 4}, {13, 4}, {12, 15}, {4, 15}}, RGB(200, 210, 215));
    s.Rect(2, 2, 14, 4, kGrey);
    for (int x : {6, 8, 10}) {
        s.Line(x, 6, x, 13, RGB(40, 150, 60));
    }
}

void Printer(const Sketch& s) {
    s.Rect(4, 1, 12, 6, kWhite);
    s.Rect(1, 5, 15, 12, kGrey);
    s.Rect(4, 10, 12, 15, kWhite);
    s.Line(5, 12, 11, 12, kScreen);
}

void Network(const Sketch& s) {
    s.Line(4, 6, 4, 10);
    s.Line(12, 6, 12, 10);
    s.Line(2, 10, 14, 10);
    s.Line(8, 10, 8, 12);
    s.Rect(1, 1, 7, 6, kScreen);
    s.Rect(9, 1, 15, 6, kScreen);
    s.Rect(5, 12, 11, 15, kGrey);
}

void Desktop(const Sketch& s) {
    s.Rect(6, 11, 10, 15, kGrey);
    s.Rect(1, 1, 15, 12, kGrey);
    s.Rect(2, 2, 14, 11, RGB(40, 150, 140));
    s.Rect(3, 3, 5, 5, kWhite, kWhite);
    s.Rect(3, 6, 5, 8, kWhite, kWhite);
}

void Eye(const Sketch& s) {
    s.Disc(1, 4, 15, 12, kWhite);
    s.Disc(5, 4, 11, 12, RGB(60, 120, 200));
    s.Disc(7, 6, 9, 10, RGB(0, 0, 0));
}

void ProgramBox(const Sketch& s) {
    s.Rect(2, 6, 12, 15, RGB(215, 180, 120));
    s.Shape({{2, 6}, {5, 3}, {15, 3}, {12, 6}}, RGB(240, 210, 150));
    s.Shape({{12, 6}, {15, 3}, {15, 12}, {12, 15}}, RGB(180, 140, 80));
    s.Disc(4, 8, 10, 14, RGB(215, 215, 225));
}

void DesktopSettings(const Sketch& s) {
    s.Rect(1, 1, 13, 10, kGrey);
    s.Rect(2, 2, 12, 9, kScreen);
    s.Disc(7, 7, 15, 15, RGB(240, 220, 170));
    s.Disc(9, 9, 11, 11, RGB(200, 50, 40), RGB(200, 50, 40));
    s.Disc(11, 11, 13, 13, RGB(40, 90, 200), RGB(40, 90, 200));
}

void SystemSettings(const Sketch& s) {
    s.Rect(1, 1, 12, 9, kGrey);
    s.Rect(2, 2, 11, 8, kScreen);
    s.Rect(3, 10, 10, 13, RGB(225, 220, 200));
    s.Disc(9, 8, 16, 15, RGB(40, 90, 200));
    s.Line(12, 9, 12, 11, kWhite);
    s.Line(12, 12, 12, 14, kWhite);
}

void Stop(const Sketch& s) {
    s.Shape({{5, 1}, {11, 1}, {15, 5}, {15, 11}, {11, 15}, {5, 15}, {1, 11}, {1, 5}},
            RGB(210, 40, 40), RGB(140, 20, 20));
    s.Line(5, 5, 11, 11, kWhite);
    s.Line(11, 5, 5, 11, kWhite);
}

void FindNamespace(const Sketch& s) {
    s.Rect(1, 3, 6, 6, RGB(225, 180, 60), kFolderLine);
    s.Rect(1, 5, 12, 13, kFolder, kFolderLine);
    s.Line(12, 12, 15, 15);
    s.Line(13, 12, 15, 14);
    s.Disc(7, 6, 14, 13, RGB(200, 230, 250));
}

void Screensaver(const Sketch& s) {
    s.Rect(6, 11, 10, 15, kGrey);
    s.Rect(1, 1, 15, 12, kGrey);
    s.Rect(2, 2, 14, 11, RGB(20, 30, 80));
    s.Disc(4, 3, 9, 8, RGB(250, 220, 90), RGB(250, 220, 90));
    s.Disc(6, 2, 10, 6, RGB(20, 30, 80), RGB(20, 30, 80));
    s.Rect(11, 4, 12, 5, kWhite, kWhite);
    s.Rect(10, 8, 11, 9, kWhite, kWhite);
}

void Window(const Sketch& s) {
    s.Rect(1, 2, 15, 14, kWhite);
    s.Rect(1, 2, 15, 5, RGB(40, 90, 200));
    s.Rect(12, 3, 14, 4, RGB(210, 40, 40), RGB(210, 40, 40));
}

void Taskbar(const Sketch& s) {
    s.Rect(1, 2, 15, 14, RGB(170, 210, 240));
    s.Rect(1, 11, 15, 14, RGB(30, 60, 130));
    s.Rect(2, 12, 5, 13, RGB(40, 170, 60), RGB(40, 170, 60));
}

void Nothing(const Sketch&) {}

// Indexed by icon number minus one; 6 and 21 belong to no node.
constexpr std::array<void (*)(const Sketch&), kNodeIconCount> kPictures = {
    &Folder,   &Power,         &Globe,           &Disc,           &CdDrive,
    &Nothing,  &Speaker,       &Clipboard,       &Gear,           &ControlPanel,
    &Computer, &RecycleBin,    &Printer,         &Network,        &Desktop,
    &Eye,      &ProgramBox,    &DesktopSettings, &SystemSettings, &Stop,
    &Nothing,  &FindNamespace, &Screensaver,     &Window,         &Taskbar,
};

}  // namespace

int NodeIconSize(UINT dpi) {
    return MulDiv(16, dpi == 0 ? 96 : static_cast<int>(dpi), 96);
}

HIMAGELIST CreateNodeIcons(UINT dpi) {
    const int size = NodeIconSize(dpi);
    UniqueImageList list(ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, kNodeIconCount, 0));
    if (list == nullptr) {
        return nullptr;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size * kNodeIconCount;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const UniqueBitmap strip(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    const UniqueDC dc(CreateCompatibleDC(nullptr));
    if (strip == nullptr || dc == nullptr) {
        return nullptr;
    }
    {
        // The strip must be out of the context again before the list copies it.
        const SelectedObject canvas(dc.get(), strip.get());
        const RECT all{0, 0, size * kNodeIconCount, size};
        const UniqueBrush key(CreateSolidBrush(kKeyColour));
        FillRect(dc.get(), &all, key.get());
        for (int i = 0; i < kNodeIconCount; ++i) {
            kPictures[static_cast<std::size_t>(i)](Sketch(dc.get(), i * size, size));
        }
        GdiFlush();
    }
    ImageList_AddMasked(list.get(), strip.get(), kKeyColour);
    return list.release();
}

}  // namespace tessarin::win32
