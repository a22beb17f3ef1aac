// A window listener for the window-system tests: records what it is told,
// with the window each report came with, and runs an optional action per
// kind of report (to draw during a paint, to poll the input during a press,
// to delete the window when it is destroyed).
#pragma once

#include <functional>
#include <vector>

#include "toolkit/Platform.h"

namespace stipplewave::test {

class RecordingListener final : public platform::WindowListener {
public:
    struct Press {
        platform::Window* window;
        Point where;
    };

    void windowPaint(platform::Window& window, platform::Surface& surface) override {
        painted.push_back(&window);
        if (onPaint) {
            onPaint(window, surface);
        }
    }
    void windowButtonDown(platform::Window& window, Point where) override {
        presses.push_back(Press{&window, where});
        if (onButtonDown) {
            onButtonDown(window, where);
        }
    }
    void windowDestroyed(platform::Window& window) override {
        destroyed.push_back(&window);
        if (onDestroyed) {
            onDestroyed(window);
        }
    }

    std::vector<platform::Window*> painted;
    std::vector<Press> presses;
    std::vector<platform::Window*> destroyed;

    std::function<void(platform::Window&, platform::Surface&)> onPaint;
    std::function<void(platform::Window&, Point)> onButtonDown;
    std::function<void(platform::Window&)> onDestroyed;
};

}  // namespace stipplewave::test
