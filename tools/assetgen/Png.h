// PNG output of a canvas, with its opacity, through libpng.
#pragma once

#include "Canvas.h"

#include <cstdint>
#include <vector>

// 8-bit RGBA PNG at fixed compression settings, so reruns give the same bytes; throws
// std::runtime_error when libpng fails.
std::vector<uint8_t> encodePNG(const Canvas& c);
