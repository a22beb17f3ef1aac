// Controls: views that show or edit one number. `Control` adds to `View` a
// float value with a range and a reset value, a tag naming the parameter
// the control stands for, a listener told of the user's changes and a
// background picture; a control is dirty whenever its value differs from
// the value it last drew, so owners only call `setValue`. The concrete
// controls are `OnOffButton` (a two-state picture toggled by a left click),
// `HorizontalSlider` (a handle dragged along a track, composed offscreen)
// and `ParamDisplay` (the value as text in a box).
//
// Threading: controls are made, drawn and clicked on the user-interface
// thread only. The owner's `setValue` from another thread is not safe; the
// editor sets values from its idle, on the user-interface thread.
#pragma once

#include <cstdint>

#include "toolkit/DrawContext.h"
#include "toolkit/Frame.h"
#include "toolkit/Types.h"

namespace stipplewave {

class Bitmap;
class Control;

class ControlListener {
public:
    virtual ~ControlListener() = default;
    // The user changed the control's value, within `context`'s event.
    virtual void valueChanged(DrawContext& context, Control* control) = 0;
};

class Control : public View {
public:
    // Retains `background` when it is not null.
    Control(const Rect& size, ControlListener* listener, std::int32_t tag, Bitmap* background);
    // Releases the background; the listener is not touched.
    ~Control() override;

    // Every concrete control draws itself and ends with setDirty(false).
    void draw(DrawContext& context) override = 0;
    // Dirty when the value differs from the value last drawn (a NaN on
    // either side counts as equal), or when the view's flag is set.
    bool isDirty() const override;
    // Off: clean at the current value. On: the flag is set and the drawn
    // value is made to differ from the value.
    void setDirty(bool on) override;

    // Lets the editor paint and serve the host while a control holds the
    // mouse; nothing without a frame or an editor.
    virtual void runIdle();
    virtual void setValue(float newValue);
    virtual float getValue() const;
    virtual void setMinimum(float newMinimum);
    virtual float getMinimum() const;
    virtual void setMaximum(float newMaximum);
    virtual float getMaximum() const;
    virtual void setDrawnValue(float newDrawnValue);
    virtual float getDrawnValue() const;
    virtual void setResetValue(float newResetValue);
    virtual float getResetValue() const;
    virtual void setTag(std::int32_t newTag);
    // Retains the new background (may be null) before releasing the old one.
    virtual void setBackground(Bitmap* bitmap);
    virtual Bitmap* getBackground() const;
    // Brings the value into minimum..maximum, testing the upper bound first.
    virtual void clampValue();

    std::int32_t getTag() const { return tag; }
    ControlListener* getListener() const { return listener; }

protected:
    // Tells the listener, when there is one, that the user changed the value.
    void notifyListener(DrawContext& context);

    ControlListener* listener;
    std::int32_t tag;
    float drawnValue = 1.0f;
    float resetValue = 0.5f;
    float value = 0.0f;
    float minimum = 0.0f;
    float maximum = 1.0f;
    Bitmap* background;
};

// Two pictures stacked in one bitmap: "off" above, "on" below; the button's
// rectangle is one picture.
class OnOffButton : public Control {
public:
    OnOffButton(const Rect& size, ControlListener* listener, std::int32_t tag, Bitmap* background);
    ~OnOffButton() override;

    // Any value other than 0 shows the lower, "on" picture.
    void draw(DrawContext& context) override;
    // A left press toggles between 0 and 1, draws at once and tells the
    // listener; other buttons do nothing.
    void mouse(DrawContext& context, Point& where) override;
};

// `HorizontalSlider` style bits.
enum SliderStyle : std::int32_t {
    // Drawing places the handle at fraction `value` of the travel (else 1 - value).
    DrawDirect = 0x08,
    // Dragging sets the value to 1 - p for the pointer's fraction p (else p).
    DragInverted = 0x10,
};

class HorizontalSlider : public Control {
public:
    // `travelStart` and `travelEnd` are frame x coordinates: the handle's
    // smallest left edge, and the end of the travel (the handle's largest
    // right edge is travelEnd + its width). Retains `handle` when not null.
    HorizontalSlider(const Rect& size, ControlListener* listener, std::int32_t tag, std::int32_t travelStart,
                     std::int32_t travelEnd, Bitmap* handle, Bitmap* background, const Point& backgroundOffset,
                     std::int32_t style);
    ~HorizontalSlider() override;

    // Composes background and handle offscreen and copies them in one block.
    void draw(DrawContext& context) override;
    // Reset on a Control-click; otherwise a left press starts a drag that
    // follows the pointer until the left button is released, bracketed by
    // the frame's beginEdit and endEdit.
    void mouse(DrawContext& context, Point& where) override;

    virtual void setHandleTransparent(bool on);
    virtual void setJumpToClick(bool on);
    virtual bool getJumpToClick() const;
    virtual void setHandleOffset(Point offset);
    // Keeps the handle size and limits worked out at construction.
    virtual void setHandle(Bitmap* bitmap);
    virtual Bitmap* getHandle() const;
    virtual void setFineTuneDivisor(float divisor);
    virtual float getFineTuneDivisor() const;

    // The handle's left edge in frame coordinates as last drawn; before the
    // first draw, where the current value would draw it.
    std::int32_t getLastHandleLeft() const;
    std::int32_t getStyle() const { return style; }

private:
    // The handle's rectangle for the current value, control coordinates.
    Rect handleRect() const;
    bool pressIsOnHandle(Point where) const;
    void resetToResetValue(DrawContext& context);
    void trackDrag(DrawContext& context, Point& where, std::int32_t grip, std::int32_t pressed);
    float pointerValue(std::int32_t x, std::int32_t grip) const;

    Point backgroundOffset;
    Point handleOffset;
    Bitmap* handle;
    std::int32_t handleWidth;
    std::int32_t handleHeight;
    std::int32_t travelStart;
    std::int32_t travelEnd;
    std::int32_t style;
    std::int32_t lastHandleLeft = 0;
    bool handleDrawn = false;
    std::int32_t handleLeftLimit;
    std::int32_t handleRightLimit;
    std::int32_t width;
    std::int32_t height;
    float fineTuneDivisor = 10.0f;
    bool handleTransparent = true;
    bool jumpToClick = true;
};

// `ParamDisplay` style bits.
enum DisplayStyle : std::int32_t {
    ShadowedText = 0x0004,
    InsetEdges = 0x0080,
    OutsetEdges = 0x0100,
    HideText = 0x0800,
    SkipDrawing = 0x1000,
};

// Writes the display text for a value into a 256-byte buffer.
using TextFormatter = void (*)(float value, char* text);
using ContextFormatter = void (*)(float value, char* text, void* context);

class ParamDisplay : public Control {
public:
    // No listener and tag 0; `background` may be null.
    ParamDisplay(const Rect& size, Bitmap* background, std::int32_t style);
    ~ParamDisplay() override;

    void draw(DrawContext& context) override;

    // These mark the display dirty when the setting changes (colours
    // compare red, green and blue only, and store all four bytes).
    virtual void setFontIndex(std::int32_t index);
    virtual void setTextColor(Color color);
    virtual void setBackColor(Color color);
    virtual void setBorderColor(Color color);
    virtual void setShadowColor(Color color);
    virtual void setTextAlignment(std::int32_t alignment);
    // These only store.
    virtual void setBackgroundOffset(Point offset);
    virtual void setContextFormatter(ContextFormatter formatter, void* context);
    virtual void setTextFormatter(TextFormatter formatter);
    // Marks dirty and stores only when the style differs.
    virtual void setStyle(std::int32_t newStyle);
    virtual std::int32_t getStyle() const;
    virtual void setTextTransparent(bool on);
    virtual bool getTextTransparent() const;

    static constexpr int textCapacity = 256;
    // The text for the current value: the context formatter's, else the
    // text formatter's, else "%2.2f".
    void formatText(char (&text)[textCapacity]) const;

    std::int32_t getFontIndex() const { return fontIndex; }
    std::int32_t getTextAlignment() const { return textAlignment; }
    Color getTextColor() const { return textColor; }
    Color getBackColor() const { return backColor; }
    Color getBorderColor() const { return borderColor; }
    Color getShadowColor() const { return shadowColor; }

private:
    void drawBox(DrawContext& context);
    void drawEdges(DrawContext& context);
    void drawLabel(DrawContext& context, const char* text);
    // Stores a colour, marking the display dirty when it draws differently.
    void changeColor(Color& stored, Color color);

    TextFormatter textFormatter = nullptr;
    ContextFormatter contextFormatter = nullptr;
    void* formatterContext = nullptr;
    std::int32_t textAlignment = 1;
    std::int32_t style;
    std::int32_t fontIndex = 3;
    Color textColor = WhiteColor;
    Color backColor = BlackColor;
    Color borderColor = BlackColor;
    Color shadowColor = RedColor;
    Point backgroundOffset;
    bool textTransparent = true;
};

}  // namespace stipplewave
