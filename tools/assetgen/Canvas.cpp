// Canvas drawing, shrinking, and its BMP through the media layer's writer.
#include "Canvas.h"

#include "plix/PlixBytes.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>

Rgb mix(Rgb a, Rgb b, float t) {
    t = std::clamp(t, 0.0f, 1.0f);
    auto lerp = [t](uint8_t x, uint8_t y) {
        return static_cast<uint8_t>(x + (static_cast<float>(y) - x) * t + 0.5f);
    };
    return {lerp(a.r, b.r), lerp(a.g, b.g), lerp(a.b, b.b)};
}

Canvas::Canvas(int width, int height, Rgb fill)
    : w(width), h(height), pixels(static_cast<size_t>(width) * height, fill),
      opacity(pixels.size(), 255) {}

Canvas Canvas::clear(int width, int height) {
    Canvas c(width, height);
    std::fill(c.opacity.begin(), c.opacity.end(), 0);
    return c;
}

Rgb Canvas::get(int x, int y) const {
    if (x < 0 || y < 0 || x >= w || y >= h) return {};
    return pixels[static_cast<size_t>(y) * w + x];
}

uint8_t Canvas::alpha(int x, int y) const {
    if (x < 0 || y < 0 || x >= w || y >= h) return 0;
    return opacity[static_cast<size_t>(y) * w + x];
}

void Canvas::set(int x, int y, Rgb c) {
    if (x < 0 || y < 0 || x >= w || y >= h) return;
    pixels[static_cast<size_t>(y) * w + x] = c;
    opacity[static_cast<size_t>(y) * w + x] = 255;
}

void Canvas::blend(int x, int y, Rgb c, float alpha) {
    set(x, y, mix(get(x, y), c, alpha));
}

void Canvas::fillRect(int x, int y, int rw, int rh, Rgb c) {
    for (int j = y; j < y + rh; ++j)
        for (int i = x; i < x + rw; ++i)
            set(i, j, c);
}

void Canvas::bevelRect(int x, int y, int rw, int rh, Rgb c) {
    fillRect(x, y, rw, rh, c);
    Rgb light = mix(c, {255, 255, 255}, 0.45f);
    Rgb dark = mix(c, {0, 0, 0}, 0.45f);
    fillRect(x, y, rw, 1, light);
    fillRect(x, y, 1, rh, light);
    fillRect(x, y + rh - 1, rw, 1, dark);
    fillRect(x + rw - 1, y + 1, 1, rh - 1, dark);
}

void Canvas::frameRect(int x, int y, int rw, int rh, Rgb c) {
    fillRect(x, y, rw, 1, c);
    fillRect(x, y + rh - 1, rw, 1, c);
    fillRect(x, y, 1, rh, c);
    fillRect(x + rw - 1, y, 1, rh, c);
}

void Canvas::paste(const Canvas& src, int x, int y, Rgb key) {
    for (int j = 0; j < src.height(); ++j)
        for (int i = 0; i < src.width(); ++i)
            if (!(src.get(i, j) == key)) set(x + i, y + j, src.get(i, j));
}

Canvas Canvas::shrunk(int factor) const {
    Canvas out = clear(w / factor, h / factor);
    const int area = factor * factor;
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) {
            int r = 0, g = 0, b = 0, a = 0;
            for (int j = 0; j < factor; ++j)
                for (int i = 0; i < factor; ++i) {
                    const Rgb p = get(x * factor + i, y * factor + j);
                    const int pa = alpha(x * factor + i, y * factor + j);
                    r += p.r * pa;
                    g += p.g * pa;
                    b += p.b * pa;
                    a += pa;
                }
            if (a == 0) continue;
            auto channel = [a](int sum) { return static_cast<uint8_t>((sum + a / 2) / a); };
            out.set(x, y, {channel(r), channel(g), channel(b)});
            out.opacity[static_cast<size_t>(y) * out.w + x] =
                static_cast<uint8_t>((a + area / 2) / area);
        }
    return out;
}

std::vector<uint8_t> encodeBMP(const Canvas& c) {
    return encodeBMP24(c.width(), c.height(), [&c](int x, int y) {
        const Rgb p = c.get(x, y);
        return uint32_t(p.r) << 16 | uint32_t(p.g) << 8 | p.b;
    });
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::filesystem::path p(path);
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
    if (!f) throw std::runtime_error("cannot write " + path);
}
