// Canvas drawing and the BMP and PNG encoders.
#include "Canvas.h"

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
    : w(width), h(height), pixels(static_cast<size_t>(width) * height, fill) {}

Rgb Canvas::get(int x, int y) const {
    if (x < 0 || y < 0 || x >= w || y >= h) return {};
    return pixels[static_cast<size_t>(y) * w + x];
}

void Canvas::set(int x, int y, Rgb c) {
    if (x < 0 || y < 0 || x >= w || y >= h) return;
    pixels[static_cast<size_t>(y) * w + x] = c;
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

namespace {

void putLE(std::vector<uint8_t>& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void putBE(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 3; i >= 0; --i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

uint32_t crc32(const uint8_t* data, size_t n) {
    static uint32_t table[256];
    static bool ready = false;
    if (!ready) {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[i] = c;
        }
        ready = true;
    }
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i)
        c = table[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void putChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    putBE(out, static_cast<uint32_t>(data.size()));
    std::vector<uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    putBE(out, crc32(body.data(), body.size()));
}

} // namespace

std::vector<uint8_t> encodeBMP(const Canvas& c) {
    const uint32_t rowBytes = (static_cast<uint32_t>(c.width()) * 3 + 3) & ~3u;
    const uint32_t imageBytes = rowBytes * c.height();
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    putLE(out, 54 + imageBytes, 4);
    putLE(out, 0, 4);
    putLE(out, 54, 4);
    putLE(out, 40, 4);
    putLE(out, c.width(), 4);
    putLE(out, c.height(), 4);
    putLE(out, 1, 2);
    putLE(out, 24, 2);
    putLE(out, 0, 4);
    putLE(out, imageBytes, 4);
    putLE(out, 2835, 4); // 72 dpi
    putLE(out, 2835, 4);
    putLE(out, 0, 4);
    putLE(out, 0, 4);
    for (int y = c.height() - 1; y >= 0; --y) {
        for (int x = 0; x < c.width(); ++x) {
            Rgb p = c.get(x, y);
            out.push_back(p.b);
            out.push_back(p.g);
            out.push_back(p.r);
        }
        for (uint32_t pad = c.width() * 3; pad < rowBytes; ++pad)
            out.push_back(0);
    }
    return out;
}

std::vector<uint8_t> encodePNG(const Canvas& c) {
    std::vector<uint8_t> raw;
    for (int y = 0; y < c.height(); ++y) {
        raw.push_back(0); // filter: none
        for (int x = 0; x < c.width(); ++x) {
            Rgb p = c.get(x, y);
            raw.insert(raw.end(), {p.r, p.g, p.b});
        }
    }
    std::vector<uint8_t> z = {0x78, 0x01};
    size_t pos = 0;
    do {
        const size_t len = std::min<size_t>(65535, raw.size() - pos);
        const bool last = pos + len == raw.size();
        z.push_back(last ? 1 : 0);
        putLE(z, static_cast<uint32_t>(len), 2);
        putLE(z, static_cast<uint32_t>(~len & 0xFFFF), 2);
        z.insert(z.end(), raw.begin() + pos, raw.begin() + pos + len);
        pos += len;
    } while (pos < raw.size());
    uint32_t a = 1, b = 0;
    for (uint8_t v : raw) {
        a = (a + v) % 65521;
        b = (b + a) % 65521;
    }
    putBE(z, (b << 16) | a);

    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> ihdr;
    putBE(ihdr, c.width());
    putBE(ihdr, c.height());
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0}); // 8 bits, RGB, deflate, no filter set, no interlace
    putChunk(out, "IHDR", ihdr);
    putChunk(out, "IDAT", z);
    putChunk(out, "IEND", {});
    return out;
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::filesystem::path p(path);
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
    if (!f) throw std::runtime_error("cannot write " + path);
}
