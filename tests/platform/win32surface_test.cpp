#include "platform/windows/win32surface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/windows/win32window.h"

namespace tremolex {

struct SurfaceCase {
    std::array<float, 4> scale;               // left, top, width, height
    std::vector<std::array<float, 5>> calls;  // x1, y1, x2, y2, and 1 for PSet(x1, y1)
    std::string picture;                      // 8 rows of 10 pixels, from the top
};

// What QtSurface draws on 10 by 8 pixels for the same calls, each in a red of its own (a, b,
// c, ... in the picture, the later on top): lines between and across pixels, both ways,
// ending on the far edges, clipped from far away, not finite; points on the edges.
const SurfaceCase kCases[] = {
    {{0, 0, 10, 8},
     {{.5f, .5f, 9.5f, 3.5f}, {9.9f, 7.9f, .2f, 4.1f}, {2, 0, 5, 8}, {-5, -5, 20, 20}},
     "dac....... .dcaa..... ..dc.aaa.. ...d....aa bb..d..... ..bbcd.... ....cbdb.. .....c.dbb"},
    {{0, 0, 10, 8},
     {{HUGE_VALF, 1, 3, 3}, {10, 0, 0, 0, 1}, {9.99f, 7.99f, 0, 0, 1}, {0, 0, 0, 0, 1}},
     "d......... .......... .......... .......... .......... .......... .......... .........c"},
    {{-1, 1000, 1003, -1003},  // the chart's scale
     {{0, 0, 1000, 1000}, {0, 1000, 1000, 0}, {100, 900, 900, 880}, {500, -50, 520, 1200}},
     "bccccdccca .b...d..a. ..bb.daa.. ....bd.... ....ad.... ..aa.dbb.. .a...d..b. a....d...b"},
    {{-2.2f, 3.3f, 7.3f, -5.1f},
     {{-2.2f, 3.3f, 5.1f, -1.8f}, {-3, -1, 6, 2}, {1e30f, 0, -1e30f, 1}, {0, 0, 0, 0, 1}},
     "a......... .a........ ..a......b ...a...bb. cccccccccc ..bd..a... bb.....a.. ........a."},
};

// A surface of `width` by `height` pixels in the scale (left, top, width, height).
Win32Surface& newSurface(Win32Window& window, int width, int height, std::array<float, 4> scale) {
    auto& surface = static_cast<Win32Surface&>(window.addSurface({0, 0, width, height}));
    surface.setScaleWidth(scale[2]);
    surface.setScaleHeight(scale[3]);
    surface.setScaleLeft(scale[0]);
    surface.setScaleTop(scale[1]);
    return surface;
}

TEST(Win32SurfaceTest, ColoursThePixelsQtSurfaceColours) {
    Win32Window window;
    for (const SurfaceCase& c : kCases) {
        Win32Surface& surface = newSurface(window, 10, 8, c.scale);
        for (Color red = 1; const auto& [x1, y1, x2, y2, point] : c.calls) {
            point != 0 ? surface.PSet(x1, y1, red) : surface.Line(x1, y1, x2, y2, red);
            ++red;
        }
        const std::span<const std::uint32_t> pixels = surface.picture();
        std::string drawn;
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            drawn += i > 0 && i % 10 == 0 ? " " : "";
            drawn += ".abcdefg?"[std::min(pixels[i] >> 16 & 0xFF, 8u)];  // the DIB's 0xFFRRGGBB
        }
        EXPECT_EQ(drawn, c.picture);
    }
}

// GDI objects used up: not even a picture of 1 by 1 can be made. The chart stays blank,
// drawing on it does nothing, and the next size tries again.
TEST(Win32SurfaceTest, WithoutAnyPictureStaysBlankAndTriesAgainAtTheNextSize) {
    Win32Window window;
    bool exhausted = true;
    int asked = 0;
    Win32Surface surface(window.handle(), {0, 0, 10, 8},
                         [&](HDC dc, const BITMAPINFO& info, void** bits) -> HBITMAP {
                             ++asked;
                             return exhausted ? nullptr
                                              : CreateDIBSection(dc, &info, DIB_RGB_COLORS, bits,
                                                                 nullptr, 0);
                         });
    EXPECT_LE(asked, 4);  // its size, then 1 by 1; again at the first WM_SIZE; no more
    EXPECT_TRUE(surface.picture().empty());
    surface.setScaleWidth(10);
    surface.setScaleHeight(8);
    surface.Cls();
    surface.Line(0, 0, 10, 8, 1);
    surface.PSet(5, 5, 1);
    const std::int16_t values[] = {0, 1};
    const float heights[] = {1, 2};
    surface.PSetSeries(1, values, 0, heights, 1);
    UpdateWindow(surface.handle());  // painted from no picture at all
    EXPECT_TRUE(surface.picture().empty());

    exhausted = false;
    surface.setBounds({0, 0, 12, 9});
    ASSERT_EQ(surface.picture().size(), 12u * 9u);
    surface.PSet(5, 5, 0x0000FF);
    EXPECT_EQ(surface.picture()[5 * 12 + 6], 0xFFFF0000u);  // (5, 5) at 1.2 pixels a unit
}

}  // namespace tremolex
