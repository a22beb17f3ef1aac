#include "toolkit/win32/Win32Graphics.h"

#include <cstring>

#include "host/Module.h"

namespace stipplewave::win32 {

namespace {

class Win32Pen final : public platform::Pen {
public:
    explicit Win32Pen(HPEN h) : handle(h) {}
    ~Win32Pen() override { DeleteObject(handle); }
    Win32Pen(const Win32Pen&) = delete;
    Win32Pen& operator=(const Win32Pen&) = delete;
    HPEN handle;
};

class Win32Brush final : public platform::Brush {
public:
    explicit Win32Brush(HBRUSH h) : handle(h) {}
    ~Win32Brush() override { DeleteObject(handle); }
    Win32Brush(const Win32Brush&) = delete;
    Win32Brush& operator=(const Win32Brush&) = delete;
    HBRUSH handle;
};

class Win32Font final : public platform::Font {
public:
    explicit Win32Font(HFONT h) : handle(h) {}
    ~Win32Font() override { DeleteObject(handle); }
    Win32Font(const Win32Font&) = delete;
    Win32Font& operator=(const Win32Font&) = delete;
    HFONT handle;
};

class Win32Image final : public platform::Image {
public:
    explicit Win32Image(HBITMAP h) : handle(h) {}
    ~Win32Image() override { DeleteObject(handle); }
    Win32Image(const Win32Image&) = delete;
    Win32Image& operator=(const Win32Image&) = delete;
    bool describe(std::int32_t& width, std::int32_t& height) const override {
        BITMAP description{};
        if (GetObjectA(handle, sizeof description, &description) == 0) {
            return false;
        }
        width = description.bmWidth;
        height = description.bmHeight;
        return true;
    }
    HBITMAP handle;
};

class Win32Mask final : public platform::Mask {
public:
    explicit Win32Mask(HBITMAP h) : handle(h) {}
    ~Win32Mask() override { DeleteObject(handle); }
    Win32Mask(const Win32Mask&) = delete;
    Win32Mask& operator=(const Win32Mask&) = delete;
    HBITMAP handle;
};

class Win32Selection final : public platform::Selection {
public:
    HGDIOBJ brush = nullptr;
    HGDIOBJ pen = nullptr;
    HGDIOBJ font = nullptr;
};

// A temporary memory device context holding one bitmap; both go back to
// how they were when it ends. The bitmap is deleted only when owned.
class MemoryContext {
public:
    MemoryContext(HDC compatibleWith, HBITMAP bitmap, bool ownsBitmap)
        : dc(CreateCompatibleDC(compatibleWith)), held(bitmap), owned(ownsBitmap) {
        if (dc != nullptr && held != nullptr) {
            replaced = SelectObject(dc, held);
        }
    }
    ~MemoryContext() {
        if (dc != nullptr) {
            if (replaced != nullptr) {
                SelectObject(dc, replaced);
            }
            DeleteDC(dc);
        }
        if (owned && held != nullptr) {
            DeleteObject(held);
        }
    }
    MemoryContext(const MemoryContext&) = delete;
    MemoryContext& operator=(const MemoryContext&) = delete;

    bool ready() const { return dc != nullptr && held != nullptr && replaced != nullptr; }
    HDC handle() const { return dc; }

private:
    HDC dc;
    HBITMAP held;
    bool owned;
    HGDIOBJ replaced = nullptr;
};

BITMAPINFO topDownInfo(std::int32_t width, std::int32_t height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// A 32-bit DIB pixel holds blue, green, red in its low three bytes.
PixelColor fromDib(std::uint32_t dib) {
    return platform::pixelColor(static_cast<std::uint8_t>(dib >> 16), static_cast<std::uint8_t>(dib >> 8),
                                static_cast<std::uint8_t>(dib));
}

std::uint32_t toDib(PixelColor color) {
    return (static_cast<std::uint32_t>(platform::redOf(color)) << 16) |
           (static_cast<std::uint32_t>(platform::greenOf(color)) << 8) | platform::blueOf(color);
}

HDC surfaceHandle(platform::Surface& surface) {
    auto* native = dynamic_cast<Win32Surface*>(&surface);
    return native != nullptr ? native->handle() : nullptr;
}

// The image's size in logical units of the context that holds it.
bool logicalSize(HDC dc, HBITMAP image, POINT& size) {
    BITMAP description{};
    if (GetObjectA(image, sizeof description, &description) == 0) {
        return false;
    }
    size.x = description.bmWidth;
    size.y = description.bmHeight;
    DPtoLP(dc, &size, 1);
    return true;
}

}  // namespace

HINSTANCE resourceInstance() {
    void* instance = moduleInstance();
    return instance != nullptr ? static_cast<HINSTANCE>(instance) : GetModuleHandleA(nullptr);
}

// --- surface ---------------------------------------------------------------

Win32Surface::Win32Surface(HDC handle, Ending end, HWND owner, HBITMAP held)
    : dc(handle), ending(end), window(owner), picture(held) {
    if (dc != nullptr && picture != nullptr) {
        pictureReplaced = SelectObject(dc, picture);
    }
}

Win32Surface::~Win32Surface() {
    if (dc == nullptr) {
        return;
    }
    switch (ending) {
    case Ending::Keep:
        break;
    case Ending::ReleaseWindow:
        ReleaseDC(window, dc);
        break;
    case Ending::DeleteMemory:
        DeleteDC(dc);
        if (picture != nullptr) {
            DeleteObject(picture);
        }
        break;
    }
}

std::unique_ptr<platform::Selection> Win32Surface::saveSelection() {
    auto saved = std::make_unique<Win32Selection>();
    saved->brush = GetCurrentObject(dc, OBJ_BRUSH);
    saved->pen = GetCurrentObject(dc, OBJ_PEN);
    saved->font = GetCurrentObject(dc, OBJ_FONT);
    return saved;
}

void Win32Surface::restoreSelection(const platform::Selection& selection) {
    const auto* saved = dynamic_cast<const Win32Selection*>(&selection);
    if (saved == nullptr) {
        return;
    }
    for (HGDIOBJ object : {saved->brush, saved->pen, saved->font}) {
        if (object != nullptr) {
            SelectObject(dc, object);
        }
    }
}

void Win32Surface::selectPen(const platform::Pen& pen) {
    if (const auto* p = dynamic_cast<const Win32Pen*>(&pen)) {
        SelectObject(dc, p->handle);
    }
}

void Win32Surface::selectBrush(const platform::Brush& brush) {
    if (const auto* b = dynamic_cast<const Win32Brush*>(&brush)) {
        SelectObject(dc, b->handle);
    }
}

void Win32Surface::selectFont(const platform::Font& font) {
    if (const auto* f = dynamic_cast<const Win32Font*>(&font)) {
        SelectObject(dc, f->handle);
    }
}

void Win32Surface::setTextColor(PixelColor color) { SetTextColor(dc, color); }
void Win32Surface::setBackgroundColor(PixelColor color) { SetBkColor(dc, color); }

void Win32Surface::setBackgroundMode(platform::BackgroundMode mode) {
    SetBkMode(dc, mode == platform::BackgroundMode::Opaque ? OPAQUE : TRANSPARENT);
}

void Win32Surface::moveTo(Point p) { MoveToEx(dc, p.h, p.v, nullptr); }
void Win32Surface::lineTo(Point p) { LineTo(dc, p.h, p.v); }

// The fill draws no outline: the null pen is selected while it runs.
// FillRect would put an inverted rectangle the right way round and fill
// it; here it stays empty, as its pixel range is.
void Win32Surface::fillRect(const Rect& r) {
    if (r.right <= r.left || r.bottom <= r.top) {
        return;
    }
    HGDIOBJ pen = SelectObject(dc, GetStockObject(NULL_PEN));
    RECT area{r.left, r.top, r.right, r.bottom};
    FillRect(dc, &area, static_cast<HBRUSH>(GetCurrentObject(dc, OBJ_BRUSH)));
    if (pen != nullptr) {
        SelectObject(dc, pen);
    }
}

void Win32Surface::drawText(const char* text, const Rect& r, platform::TextAlignment alignment) {
    UINT format = DT_SINGLELINE | DT_VCENTER;
    if (alignment == platform::TextAlignment::Centre) {
        format |= DT_CENTER;
    } else if (alignment == platform::TextAlignment::Right) {
        format |= DT_RIGHT;
    } else {
        format |= DT_LEFT;
    }
    RECT area{r.left, r.top, r.right, r.bottom};
    DrawTextA(dc, text, -1, &area, format);
}

void Win32Surface::copyFrom(platform::Surface& source, const Rect& dest, Point src) {
    HDC from = surfaceHandle(source);
    if (from == nullptr) {
        return;
    }
    BitBlt(dc, dest.left, dest.top, dest.width(), dest.height(), from, src.h, src.v, SRCCOPY);
}

bool Win32Surface::readPixels(const Rect& area, std::vector<PixelColor>& out) {
    out.clear();
    if (area.width() < 0 || area.height() < 0 || area.left < 0 || area.top < 0) {
        return false;
    }
    BITMAP held{};
    HGDIOBJ current = GetCurrentObject(dc, OBJ_BITMAP);
    if (current != nullptr && GetObjectA(current, sizeof held, &held) != 0 &&
        (area.right > held.bmWidth || area.bottom > held.bmHeight)) {
        return false;
    }
    if (area.width() == 0 || area.height() == 0) {
        return true;
    }
    BITMAPINFO info = topDownInfo(area.width(), area.height());
    void* bits = nullptr;
    HBITMAP copy = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (copy == nullptr || bits == nullptr) {
        return false;
    }
    MemoryContext reader(dc, copy, true);
    if (!reader.ready() ||
        !BitBlt(reader.handle(), 0, 0, area.width(), area.height(), dc, area.left, area.top, SRCCOPY)) {
        return false;
    }
    GdiFlush();
    const auto* dib = static_cast<const std::uint32_t*>(bits);
    const std::size_t count = static_cast<std::size_t>(area.width()) * static_cast<std::size_t>(area.height());
    out.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = fromDib(dib[i]);
    }
    return true;
}

// --- window ------------------------------------------------------------------

Point Win32Window::screenOrigin() const {
    RECT outer{};
    if (!GetWindowRect(hwnd, &outer)) {
        return Point();
    }
    return Point(outer.left, outer.top);
}

std::unique_ptr<platform::Surface> Win32Window::borrowSurface() {
    HDC dc = GetDC(hwnd);
    if (dc == nullptr) {
        return nullptr;
    }
    return std::make_unique<Win32Surface>(dc, Win32Surface::Ending::ReleaseWindow, hwnd);
}

// --- graphics ------------------------------------------------------------------

std::unique_ptr<platform::Pen> Win32Graphics::makePen(PixelColor color, std::int32_t width) {
    LOGPEN description{};
    description.lopnStyle = PS_SOLID;
    description.lopnWidth.x = width;
    description.lopnWidth.y = width;
    description.lopnColor = color;
    HPEN pen = CreatePenIndirect(&description);
    if (pen == nullptr) {
        return nullptr;
    }
    return std::make_unique<Win32Pen>(pen);
}

std::unique_ptr<platform::Brush> Win32Graphics::makeBrush(PixelColor color) {
    LOGBRUSH description{};
    description.lbStyle = BS_SOLID;
    description.lbColor = color;
    description.lbHatch = 0;
    HBRUSH brush = CreateBrushIndirect(&description);
    if (brush == nullptr) {
        return nullptr;
    }
    return std::make_unique<Win32Brush>(brush);
}

std::unique_ptr<platform::Font> Win32Graphics::makeFont(const platform::FontDescription& description) {
    LOGFONTA font{};
    font.lfHeight = -description.height;
    font.lfWidth = 0;
    font.lfEscapement = 0;
    font.lfOrientation = 0;
    font.lfWeight = description.weight;
    font.lfItalic = FALSE;
    font.lfUnderline = FALSE;
    font.lfStrikeOut = FALSE;
    font.lfCharSet = ANSI_CHARSET;
    font.lfOutPrecision = OUT_STRING_PRECIS;
    font.lfClipPrecision = CLIP_STROKE_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    const BYTE pitch = description.pitch == platform::FontPitch::Variable ? VARIABLE_PITCH : DEFAULT_PITCH;
    const BYTE family = description.family == platform::FontFamily::Decorative ? FF_DECORATIVE : FF_SWISS;
    font.lfPitchAndFamily = static_cast<BYTE>(pitch | family);
    if (description.face != nullptr) {
        std::strncpy(font.lfFaceName, description.face, LF_FACESIZE - 1);
    }
    HFONT made = CreateFontIndirectA(&font);
    if (made == nullptr) {
        return nullptr;
    }
    return std::make_unique<Win32Font>(made);
}

std::unique_ptr<platform::Surface> Win32Graphics::makeOffscreenSurface(platform::Window* like, std::int32_t width,
                                                                       std::int32_t height) {
    if (width < 0 || height < 0) {
        return nullptr;
    }
    auto* native = dynamic_cast<Win32Window*>(like);
    HWND window = native != nullptr ? native->handle() : nullptr;
    HDC borrowed = GetDC(window);
    if (borrowed == nullptr) {
        return nullptr;
    }
    HDC memory = CreateCompatibleDC(borrowed);
    HBITMAP picture = memory != nullptr ? CreateCompatibleBitmap(borrowed, width, height) : nullptr;
    ReleaseDC(window, borrowed);
    if (memory == nullptr || picture == nullptr) {
        if (memory != nullptr) {
            DeleteDC(memory);
        }
        return nullptr;
    }
    return std::make_unique<Win32Surface>(memory, Win32Surface::Ending::DeleteMemory, nullptr, picture);
}

std::unique_ptr<platform::Image> Win32Graphics::loadImage(std::int32_t resourceNumber) {
    HBITMAP loaded = LoadBitmapA(resourceInstance(), MAKEINTRESOURCEA(resourceNumber & 0xFFFF));
    if (loaded == nullptr) {
        return nullptr;
    }
    return std::make_unique<Win32Image>(loaded);
}

std::unique_ptr<platform::Image> Win32Graphics::makeImage(std::int32_t width, std::int32_t height,
                                                          const PixelColor* pixels) {
    if (pixels == nullptr || width <= 0 || height <= 0) {
        return nullptr;
    }
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) {
        return nullptr;
    }
    HBITMAP image = CreateCompatibleBitmap(screen, width, height);
    if (image != nullptr) {
        std::vector<std::uint32_t> dib(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
        for (std::size_t i = 0; i < dib.size(); ++i) {
            dib[i] = toDib(pixels[i]);
        }
        BITMAPINFO info = topDownInfo(width, height);
        if (SetDIBits(screen, image, 0, static_cast<UINT>(height), dib.data(), &info, DIB_RGB_COLORS) == 0) {
            DeleteObject(image);
            image = nullptr;
        }
    }
    ReleaseDC(nullptr, screen);
    if (image == nullptr) {
        return nullptr;
    }
    return std::make_unique<Win32Image>(image);
}

void Win32Graphics::drawImage(platform::Surface& surface, const Rect& dest, const platform::Image& image,
                              Point src) {
    HDC target = surfaceHandle(surface);
    const auto* picture = dynamic_cast<const Win32Image*>(&image);
    if (target == nullptr || picture == nullptr) {
        return;
    }
    MemoryContext source(target, picture->handle, false);
    if (!source.ready()) {
        return;
    }
    BitBlt(target, dest.left, dest.top, dest.width(), dest.height(), source.handle(), src.h, src.v, SRCCOPY);
}

// Colour-to-monochrome copy: pixels equal to the source's background colour
// become set bits.
std::unique_ptr<platform::Mask> Win32Graphics::makeMask(platform::Surface& like, const platform::Image& image,
                                                        PixelColor key) {
    HDC given = surfaceHandle(like);
    const auto* picture = dynamic_cast<const Win32Image*>(&image);
    if (given == nullptr || picture == nullptr) {
        return nullptr;
    }
    MemoryContext source(given, picture->handle, false);
    POINT size{};
    if (!source.ready() || !logicalSize(source.handle(), picture->handle, size)) {
        return nullptr;
    }
    HBITMAP bits = CreateBitmap(size.x, size.y, 1, 1, nullptr);
    if (bits == nullptr) {
        return nullptr;
    }
    {
        MemoryContext mask(given, bits, false);
        if (!mask.ready()) {
            DeleteObject(bits);
            return nullptr;
        }
        SetMapMode(source.handle(), GetMapMode(given));
        const COLORREF previous = SetBkColor(source.handle(), key);
        BitBlt(mask.handle(), 0, 0, size.x, size.y, source.handle(), 0, 0, SRCCOPY);
        SetBkColor(source.handle(), previous);
    }
    return std::make_unique<Win32Mask>(bits);
}

// The mask method: the background under the whole image is kept where the
// mask is set, the image where it is clear, and the two are merged in a
// scratch picture whose requested block then goes to the surface. The image
// is blackened where keyed during the merge and restored from a backup.
void Win32Graphics::drawImageMasked(platform::Surface& surface, const Rect& dest, const platform::Image& image,
                                    const platform::Mask& mask, Point src) {
    HDC target = surfaceHandle(surface);
    const auto* picture = dynamic_cast<const Win32Image*>(&image);
    const auto* keyed = dynamic_cast<const Win32Mask*>(&mask);
    if (target == nullptr || picture == nullptr || keyed == nullptr) {
        return;
    }
    MemoryContext s(target, picture->handle, false);
    POINT size{};
    if (!s.ready() || !logicalSize(s.handle(), picture->handle, size)) {
        return;
    }
    const int w = size.x;
    const int h = size.y;
    MemoryContext a(target, CreateBitmap(w, h, 1, 1, nullptr), true);
    MemoryContext m(target, keyed->handle, false);
    MemoryContext b(target, CreateCompatibleBitmap(target, w, h), true);
    MemoryContext k(target, CreateCompatibleBitmap(target, w, h), true);
    if (!a.ready() || !m.ready() || !b.ready() || !k.ready()) {
        return;
    }
    BitBlt(k.handle(), 0, 0, w, h, s.handle(), 0, 0, SRCCOPY);
    BitBlt(a.handle(), 0, 0, w, h, m.handle(), 0, 0, NOTSRCCOPY);
    BitBlt(b.handle(), 0, 0, w, h, target, dest.left - src.h, dest.top - src.v, SRCCOPY);
    BitBlt(b.handle(), 0, 0, w, h, m.handle(), 0, 0, SRCAND);
    BitBlt(s.handle(), 0, 0, w, h, a.handle(), 0, 0, SRCAND);
    BitBlt(b.handle(), 0, 0, w, h, s.handle(), 0, 0, SRCPAINT);
    BitBlt(target, dest.left, dest.top, dest.width(), dest.height(), b.handle(), src.h, src.v, SRCCOPY);
    BitBlt(s.handle(), 0, 0, w, h, k.handle(), 0, 0, SRCCOPY);
}

// --- input and time ---------------------------------------------------------------

bool Win32Input::isDown(platform::InputKey key) const {
    int virtualKey = 0;
    switch (key) {
    case platform::InputKey::LeftButton:
        virtualKey = VK_LBUTTON;
        break;
    case platform::InputKey::MiddleButton:
        virtualKey = VK_MBUTTON;
        break;
    case platform::InputKey::RightButton:
        virtualKey = VK_RBUTTON;
        break;
    case platform::InputKey::Shift:
        virtualKey = VK_SHIFT;
        break;
    case platform::InputKey::Control:
        virtualKey = VK_CONTROL;
        break;
    case platform::InputKey::Alt:
        virtualKey = VK_MENU;
        break;
    }
    return (static_cast<unsigned short>(GetAsyncKeyState(virtualKey)) & 0x8000u) != 0;
}

Point Win32Input::cursorPosition() const {
    POINT cursor{};
    if (!GetCursorPos(&cursor)) {
        return Point();
    }
    return Point(cursor.x, cursor.y);
}

std::uint32_t Win32Clock::tickCount() { return GetTickCount(); }
void Win32Clock::sleep(std::uint32_t milliseconds) { Sleep(milliseconds); }

Win32Graphics& sharedGraphics() {
    static Win32Graphics graphics;
    return graphics;
}

Win32Input& sharedInput() {
    static Win32Input input;
    return input;
}

Win32Clock& sharedClock() {
    static Win32Clock clock;
    return clock;
}

}  // namespace stipplewave::win32
