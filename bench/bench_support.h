// Helpers shared by the benchmarks.
#pragma once

#include <QImage>

// Count of pixels that are not the background colour: a benchmark whose
// chart did not really get drawn reports an error instead of a time.
inline int DrawnPixels(const QImage& image, QRgb background) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) n += (line[x] & 0xFFFFFF) != (background & 0xFFFFFF);
    }
    return n;
}
