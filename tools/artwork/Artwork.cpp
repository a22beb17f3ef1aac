// The look: a dark blue field crossed by a red ribbon whose upper edge runs
// along the bottoms of the left-input buttons and whose lower edge runs
// along the tops of the right-input buttons, between two red rails that the
// button rows hang from and stand on. A step picture is the background
// under its button with the button's face, the part of the gap between the
// red shapes, painted off (field blue with a faint rim) or on (lit blue
// with a bright rim), so the ribbon's edge runs on through every button.
// The groove and the handle of the randomise slider sit on the ribbon; the
// handle alone uses pure white, as its key colour.
#include "tools/artwork/Artwork.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <memory>

#include "toolkit/raster/RasterGraphics.h"

namespace stipplewave::artwork {

namespace {

constexpr std::int32_t backgroundWidth = 278;
constexpr std::int32_t backgroundHeight = 199;
constexpr int samples = 4;  // per axis, for antialiased edges

const std::int32_t leftHeights[16] = {7, 8, 9, 10, 11, 12, 14, 16, 19, 22, 25, 30, 35, 42, 52, 72};

struct Rgb {
    double r, g, b;
};

constexpr Rgb rgb(int r, int g, int b) { return Rgb{double(r), double(g), double(b)}; }
Rgb rgbOf(Color c) { return rgb(c.red, c.green, c.blue); }

Rgb mix(Rgb a, Rgb b, double t) {
    return Rgb{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

std::uint8_t channel(double v) {
    const long rounded = std::lround(std::clamp(v, 0.0, 255.0));
    return static_cast<std::uint8_t>(rounded);
}

// Pure white is the key colour: every drawn colour stays off it.
platform::PixelColor pack(Rgb c) {
    std::uint8_t r = channel(c.r);
    std::uint8_t g = channel(c.g);
    std::uint8_t b = channel(c.b);
    if (r == 255 && g == 255 && b == 255) {
        b = 254;
    }
    return platform::pixelColor(r, g, b);
}

Rgb unpack(platform::PixelColor p) { return rgb(platform::redOf(p), platform::greenOf(p), platform::blueOf(p)); }

// A smooth curve through points, never overshooting between them
// (monotone cubic Hermite), continued in straight lines beyond its ends.
class Curve {
public:
    explicit Curve(std::vector<std::pair<double, double>> knots) : points(std::move(knots)) {
        const std::size_t n = points.size();
        std::vector<double> secant(n - 1);
        for (std::size_t k = 0; k + 1 < n; ++k) {
            secant[k] = (points[k + 1].second - points[k].second) / (points[k + 1].first - points[k].first);
        }
        tangent.assign(n, 0.0);
        tangent[0] = secant[0];
        tangent[n - 1] = secant[n - 2];
        for (std::size_t k = 1; k + 1 < n; ++k) {
            tangent[k] = secant[k - 1] * secant[k] <= 0 ? 0.0 : (secant[k - 1] + secant[k]) / 2;
        }
        for (std::size_t k = 0; k + 1 < n; ++k) {
            if (secant[k] == 0) {
                tangent[k] = tangent[k + 1] = 0;
                continue;
            }
            const double a = tangent[k] / secant[k];
            const double b = tangent[k + 1] / secant[k];
            const double length = a * a + b * b;
            if (length > 9) {
                const double t = 3 / std::sqrt(length);
                tangent[k] = t * a * secant[k];
                tangent[k + 1] = t * b * secant[k];
            }
        }
    }

    double at(double x) const {
        if (x <= points.front().first) {
            return points.front().second + tangent.front() * (x - points.front().first);
        }
        if (x >= points.back().first) {
            return points.back().second + tangent.back() * (x - points.back().first);
        }
        std::size_t k = 0;
        while (points[k + 1].first < x) {
            ++k;
        }
        const double h = points[k + 1].first - points[k].first;
        const double t = (x - points[k].first) / h;
        const double t2 = t * t;
        const double t3 = t2 * t;
        return (2 * t3 - 3 * t2 + 1) * points[k].second + (t3 - 2 * t2 + t) * h * tangent[k] +
               (-2 * t3 + 3 * t2) * points[k + 1].second + (t3 - t2) * h * tangent[k + 1];
    }

    double slope(double x) const { return (at(x + 0.25) - at(x - 0.25)) / 0.5; }

private:
    std::vector<std::pair<double, double>> points;
    std::vector<double> tangent;
};

// Upper edge of the ribbon: through the bottom-right corner of every
// left-input button. Lower edge: through the top-left corner of every
// right-input button.
Curve upperEdge() {
    std::vector<std::pair<double, double>> knots;
    for (int i = 0; i < 16; ++i) {
        knots.emplace_back(27.0 + 16 * i, 14.0 + leftHeights[i]);
    }
    return Curve(knots);
}

Curve lowerEdge() {
    std::vector<std::pair<double, double>> knots;
    for (int j = 0; j < 16; ++j) {
        knots.emplace_back(12.0 + 16 * j, 185.0 - leftHeights[15 - j]);
    }
    return Curve(knots);
}

// Fraction of a pixel inside a shape, from samples x samples points.
template <typename Inside>
double coverage(std::int32_t x, std::int32_t y, Inside inside) {
    int hits = 0;
    for (int j = 0; j < samples; ++j) {
        for (int i = 0; i < samples; ++i) {
            if (inside(x + (i + 0.5) / samples, y + (j + 0.5) / samples)) {
                ++hits;
            }
        }
    }
    return double(hits) / (samples * samples);
}

bool insideRoundedRect(double x, double y, double left, double top, double right, double bottom, double radius) {
    if (x < left || x >= right || y < top || y >= bottom) {
        return false;
    }
    const double cx = std::clamp(x, left + radius, right - radius);
    const double cy = std::clamp(y, top + radius, bottom - radius);
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
}

struct Layers {
    std::int32_t width = backgroundWidth;
    std::int32_t height = backgroundHeight;
    std::vector<double> ribbon;  // coverage of the ribbon
    std::vector<Rgb> ribbonShade;
    std::vector<Rgb> underlay;  // field and rails
    std::shared_ptr<raster::PixelBuffer> background;

    std::size_t at(std::int32_t x, std::int32_t y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
    }
};

// The ribbon's red: lit along its upper edge, shaded along its lower one,
// with a faint stipple of darker dots.
Rgb ribbonShadeAt(std::int32_t x, std::int32_t y, const Curve& upper, const Curve& lower) {
    const double cx = x + 0.5;
    const double cy = y + 0.5;
    const double fromUpper = (cy - upper.at(cx)) / std::sqrt(1 + upper.slope(cx) * upper.slope(cx));
    const double fromLower = (lower.at(cx) - cy) / std::sqrt(1 + lower.slope(cx) * lower.slope(cx));
    Rgb shade = mix(rgb(204, 24, 56), rgb(172, 14, 50), std::clamp((cy - upper.at(cx)) / 120.0, 0.0, 1.0));
    const bool dot = y % 4 == 1 && (x + (y / 4 % 2) * 2) % 4 == 1;
    if (dot) {
        shade = mix(shade, rgb(128, 6, 44), 0.35);
    }
    if (fromUpper < 1.0) {
        shade = rgb(246, 112, 120);
    } else if (fromUpper < 2.0) {
        shade = mix(shade, rgb(246, 112, 120), 0.45);
    }
    if (fromLower < 1.0) {
        shade = rgb(104, 2, 40);
    } else if (fromLower < 2.0) {
        shade = mix(shade, rgb(104, 2, 40), 0.45);
    }
    return shade;
}

// A rail: a rounded red bar, lit at the top, darker at the bottom.
void paintRail(Layers& layers, double top, double bottom) {
    const double left = 4;
    const double right = 274;
    for (std::int32_t y = 0; y < layers.height; ++y) {
        for (std::int32_t x = 0; x < layers.width; ++x) {
            const double c = coverage(x, y, [&](double sx, double sy) {
                return insideRoundedRect(sx, sy, left, top, right, bottom, 5);
            });
            if (c == 0) {
                continue;
            }
            const double t = (y + 0.5 - top) / (bottom - top);
            Rgb shade = mix(rgb(222, 48, 74), rgb(150, 10, 46), t);
            if (y == static_cast<std::int32_t>(top)) {
                shade = rgb(246, 112, 120);
            }
            if (y == static_cast<std::int32_t>(bottom) - 1) {
                shade = rgb(104, 2, 40);
            }
            Rgb& under = layers.underlay[layers.at(x, y)];
            under = mix(under, shade, c);
        }
    }
}

Layers paintShapes() {
    Layers layers;
    const std::size_t count = static_cast<std::size_t>(layers.width) * static_cast<std::size_t>(layers.height);
    layers.ribbon.assign(count, 0.0);
    layers.ribbonShade.assign(count, Rgb{0, 0, 0});
    layers.underlay.assign(count, rgbOf(fieldColor));
    const Curve upper = upperEdge();
    const Curve lower = lowerEdge();
    for (std::int32_t y = 0; y < layers.height; ++y) {
        for (std::int32_t x = 0; x < layers.width; ++x) {
            const std::size_t i = layers.at(x, y);
            layers.ribbon[i] = coverage(x, y, [&](double sx, double sy) {
                return sy >= upper.at(sx) && sy < lower.at(sx);
            });
            layers.ribbonShade[i] = ribbonShadeAt(x, y, upper, lower);
        }
    }
    paintRail(layers, 3, 14);
    paintRail(layers, 185, 196);
    layers.background = std::make_shared<raster::PixelBuffer>();
    layers.background->resize(layers.width, layers.height, 0);
    for (std::int32_t y = 0; y < layers.height; ++y) {
        for (std::int32_t x = 0; x < layers.width; ++x) {
            const std::size_t i = layers.at(x, y);
            layers.background->at(x, y) = pack(mix(layers.underlay[i], layers.ribbonShade[i], layers.ribbon[i]));
        }
    }
    return layers;
}

// --- lettering and fittings on the background --------------------------------

void fillRoundedRect(raster::PixelBuffer& pixels, double left, double top, double right, double bottom,
                     double radius, Rgb color) {
    for (std::int32_t y = 0; y < pixels.height; ++y) {
        for (std::int32_t x = 0; x < pixels.width; ++x) {
            const double c = coverage(x, y, [&](double sx, double sy) {
                return insideRoundedRect(sx, sy, left, top, right, bottom, radius);
            });
            if (c > 0) {
                pixels.at(x, y) = pack(mix(unpack(pixels.at(x, y)), color, c));
            }
        }
    }
}

struct Lettering {
    const char* text;
    Rect box;
    std::int32_t height;
    std::int32_t weight;
    platform::TextAlignment alignment;
    Rgb color;
    bool shadow;
};

void letter(raster::RasterGraphics& graphics, raster::PixelBuffer& pixels, const Lettering& l) {
    auto surface = graphics.surfaceOver(std::shared_ptr<raster::PixelBuffer>(&pixels, [](raster::PixelBuffer*) {}));
    auto font = graphics.makeFont(platform::FontDescription{"Liberation Sans", l.height, l.weight,
                                                            platform::FontFamily::Swiss,
                                                            platform::FontPitch::Variable});
    if (!font) {
        return;
    }
    surface->selectFont(*font);
    surface->setBackgroundMode(platform::BackgroundMode::Transparent);
    if (l.shadow) {
        surface->setTextColor(pack(rgb(96, 0, 36)));
        surface->drawText(l.text, Rect(l.box.left + 1, l.box.top + 1, l.box.right + 1, l.box.bottom + 1),
                          l.alignment);
    }
    surface->setTextColor(pack(l.color));
    surface->drawText(l.text, l.box, l.alignment);
}

void paintFittings(raster::PixelBuffer& pixels) {
    raster::RasterGraphics graphics;
    const Rgb pale = rgb(250, 226, 232);
    const Rgb engraved = rgb(112, 0, 38);
    // The wordmark across the ribbon.
    letter(graphics, pixels, {"STIPPLEWAVE", Rect(38, 54, 218, 80), 22, 700, platform::TextAlignment::Centre,
                              pale, true});
    letter(graphics, pixels, {"T E M P O   S T E P   G A T E", Rect(38, 80, 218, 92), 8, 700,
                              platform::TextAlignment::Centre, rgb(252, 178, 188), false});
    // Engraved names of the two inputs on the rails.
    letter(graphics, pixels, {"LEFT", Rect(240, 3, 270, 14), 8, 700, platform::TextAlignment::Right, engraved,
                              false});
    letter(graphics, pixels, {"RIGHT", Rect(8, 185, 40, 196), 8, 700, platform::TextAlignment::Left, engraved,
                              false});
    // The slider's name under its groove.
    letter(graphics, pixels, {"RANDOMIZE", Rect(98, 134, 198, 146), 9, 700, platform::TextAlignment::Centre,
                              pale, true});
    // The tempo read-out's bezel and name.
    fillRoundedRect(pixels, tempoRect.left - 3, tempoRect.top - 3, tempoRect.right + 3, tempoRect.bottom + 3, 3,
                    rgb(88, 0, 32));
    fillRoundedRect(pixels, tempoRect.left - 2, tempoRect.top - 2, tempoRect.right + 2, tempoRect.bottom + 2, 2,
                    rgb(30, 0, 14));
    letter(graphics, pixels, {"BPM", Rect(196, 142, 227, 156), 9, 700, platform::TextAlignment::Right, pale, true});
}

// --- step buttons -----------------------------------------------------------------

// Distance, in 4-neighbour steps, from each face pixel to the nearest pixel
// that is not face (outside the picture counts as not face).
std::vector<int> faceDistances(const std::vector<bool>& face, std::int32_t w, std::int32_t h) {
    std::vector<int> distance(face.size(), 0);
    std::deque<std::pair<std::int32_t, std::int32_t>> queue;
    for (std::int32_t y = 0; y < h; ++y) {
        for (std::int32_t x = 0; x < w; ++x) {
            const std::size_t i = static_cast<std::size_t>(y * w + x);
            const bool edge = x == 0 || y == 0 || x == w - 1 || y == h - 1 || !face[i - 1] || !face[i + 1] ||
                              !face[i - static_cast<std::size_t>(w)] || !face[i + static_cast<std::size_t>(w)];
            if (face[i] && edge) {
                distance[i] = 1;
                queue.emplace_back(x, y);
            }
        }
    }
    while (!queue.empty()) {
        const auto [x, y] = queue.front();
        queue.pop_front();
        const int next = distance[static_cast<std::size_t>(y * w + x)] + 1;
        const std::pair<int, int> steps[] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
        for (const auto& [dx, dy] : steps) {
            const std::int32_t nx = x + dx;
            const std::int32_t ny = y + dy;
            if (nx < 0 || ny < 0 || nx >= w || ny >= h) {
                continue;
            }
            const std::size_t n = static_cast<std::size_t>(ny * w + nx);
            if (face[n] && distance[n] == 0) {
                distance[n] = next;
                queue.emplace_back(nx, ny);
            }
        }
    }
    return distance;
}

Rgb offFace(int distance) {
    if (distance <= 1) {
        return rgb(76, 44, 164);
    }
    if (distance == 2) {
        return rgb(44, 12, 116);
    }
    return rgbOf(fieldColor);
}

Rgb onFace(int distance) {
    if (distance <= 1) {
        return rgb(150, 218, 252);
    }
    if (distance == 2) {
        return rgb(52, 160, 236);
    }
    return rgbOf(stepOnColor);
}

Picture drawStep(const Layers& layers, std::int32_t tag) {
    const Rect r = stepButtonRect(tag);
    const std::int32_t w = r.width();
    const std::int32_t h = r.height();
    std::vector<bool> face(static_cast<std::size_t>(w * h));
    for (std::int32_t y = 0; y < h; ++y) {
        for (std::int32_t x = 0; x < w; ++x) {
            face[static_cast<std::size_t>(y * w + x)] = layers.ribbon[layers.at(r.left + x, r.top + y)] < 0.5;
        }
    }
    const std::vector<int> distance = faceDistances(face, w, h);
    Picture picture;
    picture.number = 131 + tag;
    picture.width = w;
    picture.height = 2 * h;
    picture.pixels.resize(static_cast<std::size_t>(w * 2 * h));
    for (int half = 0; half < 2; ++half) {
        for (std::int32_t y = 0; y < h; ++y) {
            for (std::int32_t x = 0; x < w; ++x) {
                const std::size_t i = layers.at(r.left + x, r.top + y);
                const std::size_t local = static_cast<std::size_t>(y * w + x);
                const double red = layers.ribbon[i];
                platform::PixelColor out = layers.background->at(r.left + x, r.top + y);
                if (red < 1.0) {
                    const int d = distance[local];
                    const Rgb faceColor = half == 0 ? offFace(d) : onFace(d);
                    out = pack(mix(faceColor, layers.ribbonShade[i], red));
                }
                picture.pixels[static_cast<std::size_t>((half * h + y) * w + x)] = out;
            }
        }
    }
    return picture;
}

// --- slider ------------------------------------------------------------------------

Picture crop(const raster::PixelBuffer& from, const Rect& r, std::int32_t number) {
    Picture picture;
    picture.number = number;
    picture.width = r.width();
    picture.height = r.height();
    for (std::int32_t y = r.top; y < r.bottom; ++y) {
        for (std::int32_t x = r.left; x < r.right; ++x) {
            picture.pixels.push_back(from.at(x, y));
        }
    }
    return picture;
}

void paintShape(Picture& picture, double left, double top, double right, double bottom, double radius, Rgb color) {
    for (std::int32_t y = 0; y < picture.height; ++y) {
        for (std::int32_t x = 0; x < picture.width; ++x) {
            const double c = coverage(x, y, [&](double sx, double sy) {
                return insideRoundedRect(sx, sy, left, top, right, bottom, radius);
            });
            if (c > 0) {
                platform::PixelColor& p = picture.pixels[static_cast<std::size_t>(y * picture.width + x)];
                p = pack(mix(unpack(p), color, c));
            }
        }
    }
}

// The groove: a recessed track along the handle's travel, with a tick at
// every tenth of the travel below it.
Picture drawGroove(const raster::PixelBuffer& background) {
    Picture groove = crop(background, sliderRect, 129);
    paintShape(groove, 10, 8, 234, 18, 4, rgb(242, 120, 128));
    paintShape(groove, 10, 8, 234, 17, 4, rgb(92, 0, 34));
    paintShape(groove, 11, 9, 233, 16, 3, rgb(22, 0, 18));
    paintShape(groove, 12, 12, 232, 16, 2, rgb(40, 4, 42));
    for (int k = 0; k <= 10; ++k) {
        const double x = 18 + 21 * k;
        const bool major = k % 5 == 0;
        paintShape(groove, x - 0.5, major ? 23 : 24, x + 0.5, 28, 0, major ? rgb(252, 196, 204) : rgb(226, 104, 118));
    }
    return groove;
}

// The handle: a rounded steel-blue cap with a red centre line, hard-edged
// so that its white surround keys out cleanly.
Picture drawHandle() {
    Picture handle;
    handle.number = 130;
    handle.width = 34;
    handle.height = 26;
    handle.pixels.assign(static_cast<std::size_t>(34 * 26), platform::pixelColor(255, 255, 255));
    const auto inside = [](double x, double y, double inset) {
        return insideRoundedRect(x, y, 1 + inset, 1 + inset, 33 - inset, 25 - inset, 5 - inset);
    };
    for (std::int32_t y = 0; y < 26; ++y) {
        for (std::int32_t x = 0; x < 34; ++x) {
            const double cx = x + 0.5;
            const double cy = y + 0.5;
            if (!inside(cx, cy, 0)) {
                continue;
            }
            Rgb color = rgb(24, 8, 58);
            if (inside(cx, cy, 1)) {
                const double t = (cy - 2) / 22;
                color = mix(rgb(222, 226, 244), rgb(104, 112, 162), t);
                if (!inside(cx, cy - 1, 1)) {
                    color = rgb(240, 242, 252);
                }
                if (!inside(cx, cy + 1, 1)) {
                    color = rgb(70, 72, 128);
                }
                if (y >= 5 && y <= 20) {
                    if (x == 16 || x == 17) {
                        color = rgb(226, 26, 64);
                    } else if (x == 15 || x == 18) {
                        color = mix(color, rgb(60, 0, 30), 0.55);
                    }
                }
            }
            handle.pixels[static_cast<std::size_t>(y * 34 + x)] = pack(color);
        }
    }
    return handle;
}

}  // namespace

Rect stepButtonRect(std::int32_t tag) {
    if (tag < 16) {
        const std::int32_t left = 13 + 16 * tag;
        return Rect(left, 14, left + 14, 14 + leftHeights[tag]);
    }
    const std::int32_t j = tag - 16;
    const std::int32_t left = 12 + 16 * j;
    return Rect(left, 185 - leftHeights[15 - j], left + 14, 185);
}

std::vector<Picture> drawArtwork() {
    Layers layers = paintShapes();
    paintFittings(*layers.background);
    std::vector<Picture> pictures;
    pictures.push_back(crop(*layers.background, Rect(0, 0, backgroundWidth, backgroundHeight), 128));
    pictures.push_back(drawGroove(*layers.background));
    pictures.push_back(drawHandle());
    for (std::int32_t tag = 0; tag < 32; ++tag) {
        pictures.push_back(drawStep(layers, tag));
    }
    return pictures;
}

std::vector<std::uint8_t> encodeBmp(const Picture& picture) {
    const std::uint32_t rowBytes = (static_cast<std::uint32_t>(picture.width) * 3 + 3) & ~3u;
    const std::uint32_t imageBytes = rowBytes * static_cast<std::uint32_t>(picture.height);
    std::vector<std::uint8_t> file(54 + imageBytes, 0);
    const auto put = [&file](std::size_t at, std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            file[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
        }
    };
    file[0] = 'B';
    file[1] = 'M';
    put(2, static_cast<std::uint32_t>(file.size()), 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, static_cast<std::uint32_t>(picture.width), 4);
    put(22, static_cast<std::uint32_t>(picture.height), 4);
    put(26, 1, 2);
    put(28, 24, 2);
    put(34, imageBytes, 4);
    put(38, 2835, 4);
    put(42, 2835, 4);
    for (std::int32_t y = 0; y < picture.height; ++y) {
        // Rows are stored from the bottom up.
        const std::size_t row = 54 + static_cast<std::size_t>(picture.height - 1 - y) * rowBytes;
        for (std::int32_t x = 0; x < picture.width; ++x) {
            const platform::PixelColor p = picture.pixels[static_cast<std::size_t>(y * picture.width + x)];
            file[row + static_cast<std::size_t>(x) * 3] = platform::blueOf(p);
            file[row + static_cast<std::size_t>(x) * 3 + 1] = platform::greenOf(p);
            file[row + static_cast<std::size_t>(x) * 3 + 2] = platform::redOf(p);
        }
    }
    return file;
}

}  // namespace stipplewave::artwork
