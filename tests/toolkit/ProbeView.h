// A view for running the real frame on a real window system: it fills its
// rectangle with one colour when drawn and records every press with the
// buttons the context reported and the pointer relative to the window,
// running an optional action during the press (a drag loop, say).
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "toolkit/DrawContext.h"
#include "toolkit/Frame.h"

namespace stipplewave::test {

class ProbeView final : public View {
public:
    struct Press {
        Point where;
        std::int32_t buttons;
        Point pointer;
    };

    ProbeView(const Rect& area, Color colour) : View(area), fill(colour) {}

    void draw(DrawContext& context) override {
        ++draws;
        context.setFillColor(fill);
        context.fillRect(size);
    }
    void mouse(DrawContext& context, Point& where) override {
        Point pointer;
        context.mousePosition(pointer);
        presses.push_back(Press{where, context.buttonState(), pointer});
        if (onMouse) {
            onMouse(context);
        }
    }

    Color fill;
    int draws = 0;
    std::vector<Press> presses;
    std::function<void(DrawContext&)> onMouse;
};

}  // namespace stipplewave::test
