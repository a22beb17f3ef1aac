#include <cstdio>

#include "toolkit/Bitmap.h"
#include "toolkit/Controls.h"

namespace stipplewave {

ParamDisplay::ParamDisplay(const Rect& displaySize, Bitmap* displayBackground, std::int32_t displayStyle)
    : Control(displaySize, nullptr, 0, displayBackground), style(displayStyle) {}

ParamDisplay::~ParamDisplay() = default;

// The last byte is forced to a terminator, so a formatter that forgets one
// cannot make the drawing read past the buffer.
void ParamDisplay::formatText(char (&text)[textCapacity]) const {
    if (contextFormatter != nullptr) {
        text[0] = '\0';
        contextFormatter(value, text, formatterContext);
    } else if (textFormatter != nullptr) {
        text[0] = '\0';
        textFormatter(value, text);
    } else {
        std::snprintf(text, sizeof text, "%2.2f", static_cast<double>(value));
    }
    text[textCapacity - 1] = '\0';
}

void ParamDisplay::draw(DrawContext& context) {
    char text[textCapacity];
    formatText(text);
    if ((style & SkipDrawing) == 0) {
        drawBox(context);
        if ((style & (InsetEdges | OutsetEdges)) != 0) {
            drawEdges(context);
        }
        if ((style & HideText) == 0) {
            drawLabel(context, text);
        }
    }
    setDirty(false);
}

void ParamDisplay::drawBox(DrawContext& context) {
    if (background != nullptr) {
        if (transparent) {
            background->drawTransparent(context, size, backgroundOffset);
        } else {
            background->draw(context, size, backgroundOffset);
        }
        return;
    }
    if (transparent) {
        return;
    }
    context.setFillColor(backColor);
    context.fillRect(size);
    if ((style & (InsetEdges | OutsetEdges)) == 0) {
        context.setLineColor(borderColor);
        context.outlineRect(size);
    }
}

// Inset: top and left in the back colour, bottom and right in the border
// colour; outset the other way round. Inset wins when both are set.
void ParamDisplay::drawEdges(DrawContext& context) {
    const bool inset = (style & InsetEdges) != 0;
    const Rect& r = size;
    context.setLineColor(inset ? backColor : borderColor);
    context.moveTo(Point(r.left, r.bottom));
    context.lineTo(Point(r.left, r.top));
    context.lineTo(Point(r.right + 1, r.top));
    context.setLineColor(inset ? borderColor : backColor);
    context.moveTo(Point(r.right, r.top + 1));
    context.lineTo(Point(r.right, r.bottom));
    context.lineTo(Point(r.left, r.bottom));
}

void ParamDisplay::drawLabel(DrawContext& context, const char* text) {
    context.setFont(fontIndex, 0);
    const bool opaque = !textTransparent;
    if ((style & ShadowedText) != 0) {
        context.setTextColor(shadowColor);
        const Rect moved(size.left + 1, size.top + 1, size.right + 1, size.bottom + 1);
        context.drawText(text, moved, opaque, textAlignment);
    }
    context.setTextColor(textColor);
    context.drawText(text, size, opaque, textAlignment);
}

void ParamDisplay::changeColor(Color& stored, Color color) {
    if (!sameDrawnColor(stored, color)) {
        setDirty(true);
    }
    stored = color;
}

void ParamDisplay::setFontIndex(std::int32_t index) {
    if (index != fontIndex) {
        setDirty(true);
    }
    fontIndex = index;
}

void ParamDisplay::setTextColor(Color color) { changeColor(textColor, color); }
void ParamDisplay::setBackColor(Color color) { changeColor(backColor, color); }
void ParamDisplay::setBorderColor(Color color) { changeColor(borderColor, color); }
void ParamDisplay::setShadowColor(Color color) { changeColor(shadowColor, color); }

void ParamDisplay::setTextAlignment(std::int32_t alignment) {
    if (alignment != textAlignment) {
        setDirty(true);
    }
    textAlignment = alignment;
}

void ParamDisplay::setBackgroundOffset(Point offset) { backgroundOffset = offset; }

void ParamDisplay::setContextFormatter(ContextFormatter formatter, void* context) {
    contextFormatter = formatter;
    formatterContext = context;
}

void ParamDisplay::setTextFormatter(TextFormatter formatter) { textFormatter = formatter; }

void ParamDisplay::setStyle(std::int32_t newStyle) {
    if (newStyle != style) {
        setDirty(true);
        style = newStyle;
    }
}

std::int32_t ParamDisplay::getStyle() const { return style; }
void ParamDisplay::setTextTransparent(bool on) { textTransparent = on; }
bool ParamDisplay::getTextTransparent() const { return textTransparent; }

}  // namespace stipplewave
