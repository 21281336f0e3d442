// Finds smoothed text of one colour on a plain background by its pixels.
#pragma once

#include <QImage>
#include <QRect>
#include <algorithm>
#include <array>
#include <cstdlib>

namespace testing_support {

// The pixels of rect that the text covers by at least a third: each is the
// background moved that share of the way to the text colour, every channel
// by the same share (to within a tenth; a channel in which the two colours
// hardly differ must keep the background's value).
//
// A share, not a fixed brightness: the same stroke of a glyph can fall on
// one pixel column or straddle two, depending on where the text's start
// falls between pixels (whole-pixel or fractional advances, which differ
// between font back ends). A stem one pixel wide split over two columns
// still covers one of them by half, so its pixels count either way.
inline int TextPixels(const QImage& image, const QRect& rect, QRgb background, QRgb text) {
    constexpr double kLeast = 1.0 / 3, kSpread = 0.1;
    const auto channels = [](QRgb c) { return std::array<int, 3>{qRed(c), qGreen(c), qBlue(c)}; };
    const auto from = channels(background), to = channels(text);
    int count = 0;
    const QRect within = rect & image.rect();
    for (int y = within.top(); y <= within.bottom(); ++y) {
        for (int x = within.left(); x <= within.right(); ++x) {
            const auto got = channels(image.pixel(x, y));
            double lowest = 2, highest = -1;  // stay so when the colours hardly differ
            bool kept = true;
            for (std::size_t c = 0; c < 3; ++c) {
                const int span = to[c] - from[c];
                if (std::abs(span) < 32) {
                    kept = kept && std::abs(got[c] - from[c]) <= 8;
                    continue;
                }
                const double share = double(got[c] - from[c]) / span;
                lowest = std::min(lowest, share);
                highest = std::max(highest, share);
            }
            count += kept && highest >= lowest && lowest >= kLeast && highest <= 1 + kSpread && highest - lowest <= kSpread;
        }
    }
    return count;
}

}  // namespace testing_support
