#pragma once

#include <array>
#include <optional>

namespace tremolex {

// The window's outer frame, which the settings keep in twips, over a window system that
// works in pixels, places the frame's top-left corner, sizes the client area, and tells
// the frame's decorations only once the window is mapped (X11), or never (no window
// manager). Toolkit-free: the window reports what it sees and applies what comes back.
class OuterFrame {
public:
    enum class Edge { Left, Top, Width, Height };
    struct Size {
        int width = 0;
        int height = 0;
        bool operator==(const Size&) const = default;
    };

    // 15 twips a pixel at 96 dpi.
    explicit OuterFrame(double twipsPerPixel) : m_twipsPerPixel(twipsPerPixel) {}

    // The window went to a screen of another resolution: what was applied no longer
    // stands for its twips.
    void setTwipsPerPixel(double twipsPerPixel);

    // The pixels of a value given in twips. The pair is remembered: while the window still
    // reports those pixels, reported() gives back exactly these twips, so a start and a
    // close that moved nothing store what they read.
    int applied(Edge edge, float twips);
    // The twips of an outer value the window reports, in pixels.
    float reported(Edge edge, int pixels) const;

    // What the decorations add to the client area: frame size minus client size.
    Size decorations() const { return m_decorations; }
    // The client size that gives this outer size, at least 1 by 1.
    Size clientFor(Size outer) const;

    // The window reports its frame and client sizes. When the decorations differ from those
    // known so far, the client size that keeps the outer size unchanged is returned for the
    // window to apply. Only a window in its normal state counts: a maximised or full-screen
    // one may lose its borders, and its size is the window manager's.
    std::optional<Size> framed(Size frame, Size client, bool normalState);

private:
    struct Remembered {
        float twips = 0;
        int pixels = 0;
        bool valid = false;
    };

    double m_twipsPerPixel;
    Size m_decorations;
    std::array<Remembered, 4> m_applied{};
};

}  // namespace tremolex
