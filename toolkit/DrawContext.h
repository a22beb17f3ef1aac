// Colours, fonts and drawing contexts: the ten named colours, the font
// table, `DrawContext` (a short-lived drawing surface that also answers
// which buttons are held and where the cursor is) and `OffscreenContext`
// (a context over a private picture, copied to a window in one step).
//
// Threading: contexts are made, used and destroyed within one event on the
// user-interface thread; they are never shared.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "toolkit/Platform.h"
#include "toolkit/Types.h"

namespace stipplewave {

class Frame;

inline constexpr Color TransparentColor{255, 255, 255, 0};
inline constexpr Color BlackColor{0, 0, 0, 0};
inline constexpr Color WhiteColor{255, 255, 255, 0};
inline constexpr Color GreyColor{127, 127, 127, 0};
inline constexpr Color RedColor{255, 0, 0, 0};
inline constexpr Color GreenColor{0, 255, 0, 0};
inline constexpr Color BlueColor{0, 0, 255, 0};
inline constexpr Color YellowColor{255, 255, 0, 0};
inline constexpr Color MagentaColor{255, 0, 255, 0};
inline constexpr Color CyanColor{0, 255, 255, 0};

struct FontEntry {
    const char* face;
    std::int32_t size;  // character height in pixels
    std::int32_t weight;
    platform::FontFamily family;
    platform::FontPitch pitch;
};

inline constexpr std::int32_t fontCount = 8;
inline constexpr FontEntry fontTable[fontCount] = {
    {"Arial", 12, 700, platform::FontFamily::Swiss, platform::FontPitch::Variable},
    {"Arial", 18, 400, platform::FontFamily::Swiss, platform::FontPitch::Variable},
    {"Arial", 14, 400, platform::FontFamily::Swiss, platform::FontPitch::Variable},
    {"Arial", 12, 400, platform::FontFamily::Swiss, platform::FontPitch::Variable},
    {"Arial", 11, 400, platform::FontFamily::Swiss, platform::FontPitch::Variable},
    {"Arial", 10, 400, platform::FontFamily::Swiss, platform::FontPitch::Variable},
    {"Arial", 9, 400, platform::FontFamily::Swiss, platform::FontPitch::Variable},
    {"Symbol", 13, 400, platform::FontFamily::Decorative, platform::FontPitch::Default},
};

// The description `setFont(index, size)` asks the platform for: an index
// outside the table means entry 0, a size of 0 the entry's own size.
platform::FontDescription fontDescription(std::int32_t index, std::int32_t size);

// Bits of `buttonState`.
enum ButtonStateBits : std::int32_t {
    LeftButtonBit = 1,
    MiddleButtonBit = 2,
    RightButtonBit = 4,
    ShiftKeyBit = 8,
    ControlKeyBit = 16,
    AltKeyBit = 32,
};

// `drawText` alignments; any other value draws as left.
enum TextAlignmentValue : std::int32_t { LeftAlignment = 0, CentreAlignment = 1, RightAlignment = 2 };

class DrawContext {
public:
    // Either may be absent. With a surface, the context records what the
    // surface has selected, makes a pen and a brush of its initial colours
    // and sets the text colour; with a window, it reads the window's place
    // on the screen once.
    DrawContext(platform::Surface* surface, platform::Window* window);
    virtual ~DrawContext();
    DrawContext(const DrawContext&) = delete;
    DrawContext& operator=(const DrawContext&) = delete;

    void moveTo(Point p);
    // Draws to p, leaving p itself unpainted; p becomes the current position.
    void lineTo(Point p);
    // The border pixels of the inclusive rectangle [left..right] x [top..bottom].
    void outlineRect(const Rect& r);
    // The pixels inside that border: left+1..right-1 x top+1..bottom-1.
    void fillRect(const Rect& r);

    void setLineColor(Color c);
    void setFillColor(Color c);
    void setTextColor(Color c);
    void setFont(std::int32_t index, std::int32_t size);
    void drawText(const char* text, const Rect& r, bool opaque, std::int32_t alignment);

    std::int32_t buttonState() const;
    // The cursor relative to the window's place when the context was made.
    void mousePosition(Point& out) const;

    Color getLineColor() const { return lineColor; }
    Color getFillColor() const { return fillColor; }
    Color getTextColor() const { return textColor; }
    std::int32_t getLineWidth() const { return lineWidth; }
    Point getWindowOrigin() const { return windowOrigin; }
    platform::Surface* getSurface() const { return surface; }
    platform::Window* getWindow() const { return window; }

protected:
    platform::Surface* surface;
    platform::Window* window;
    Point windowOrigin;
    std::int32_t lineWidth = 1;
    Color lineColor = WhiteColor;
    Color fillColor = BlackColor;
    Color textColor = WhiteColor;

private:
    std::unique_ptr<platform::Pen> pen;
    std::unique_ptr<platform::Brush> brush;
    std::unique_ptr<platform::Font> font;
    std::unique_ptr<platform::Selection> prior;
};

class OffscreenContext : public DrawContext {
public:
    // A picture of width x height pixels in the format of `window`'s
    // surface (the screen's when there is no window), every pixel in the
    // background colour. Without a picture the context draws nothing.
    OffscreenContext(platform::Window* window, std::int32_t width, std::int32_t height, Color background);
    // In the format of the frame's window while it exists, else the screen's.
    OffscreenContext(const Frame* frame, std::int32_t width, std::int32_t height, Color background);
    // In the screen's format (a null frame and a null window mean the same).
    OffscreenContext(std::nullptr_t, std::int32_t w, std::int32_t h, Color background)
        : OffscreenContext(static_cast<platform::Window*>(nullptr), w, h, background) {}
    ~OffscreenContext() override;

    // Copies the block of r's size whose top-left corner is src here to
    // (r.left, r.top) on the destination.
    void copyTo(DrawContext& destination, Rect r, Point src);

    std::int32_t getWidth() const { return width; }
    std::int32_t getHeight() const { return height; }
    Color getBackgroundColor() const { return backgroundColor; }

private:
    std::int32_t width;
    std::int32_t height;
    Color backgroundColor;
    std::unique_ptr<platform::Surface> picture;
};

}  // namespace stipplewave
