// Canvas: an RGB picture with opacity in memory, the few drawing operations the artwork needs, and
// BMP output.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
};
inline bool operator==(Rgb a, Rgb b) {
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

// Linear blend from a to b; t is clamped to 0..1.
Rgb mix(Rgb a, Rgb b, float t);

class Canvas {
  public:
    // Opaque throughout.
    Canvas(int width, int height, Rgb fill = {});
    // Fully transparent until drawn on: the ground of desktop icons.
    static Canvas clear(int width, int height);

    int width() const { return w; }
    int height() const { return h; }
    // Out-of-range reads give black, out-of-range writes are dropped, so art may overhang the
    // edges.
    Rgb get(int x, int y) const;
    // 0 transparent to 255 opaque; 0 out of range.
    uint8_t alpha(int x, int y) const;
    // Drawing makes a pixel opaque; blending onto a transparent one mixes with its colour, black.
    void set(int x, int y, Rgb c);
    void blend(int x, int y, Rgb c, float alpha);
    void fillRect(int x, int y, int rw, int rh, Rgb c);
    // A rectangle with a lighter top-left edge and a darker bottom-right edge, like a lit panel.
    void bevelRect(int x, int y, int rw, int rh, Rgb c);
    void frameRect(int x, int y, int rw, int rh, Rgb c);
    // Copies src with its top-left corner at (x, y); pixels equal to key are skipped.
    void paste(const Canvas& src, int x, int y, Rgb key);
    // A copy factor times smaller, each pixel the average of a factor-square block weighted by
    // opacity, so transparent pixels lend no colour to the edges.
    Canvas shrunk(int factor) const;

  private:
    int w, h;
    std::vector<Rgb> pixels;
    std::vector<uint8_t> opacity;
};

// The picture as a 24-bit BMP (encodeBMP24 in plix/PlixBytes.h), its opacity left out.
std::vector<uint8_t> encodeBMP(const Canvas& c);

// Writes the bytes, creating missing directories; throws std::runtime_error on failure.
void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);
