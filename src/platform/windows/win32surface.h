#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "platform/window.h"

namespace tremolex {

// The drawing surface as a child window. Drawing goes straight into a 32-bit top-down
// DIB section of the window's size, which WM_PAINT only copies to the screen: what is
// shown is always exactly what was last drawn, also after the window was covered. A new
// size starts a new picture cleared to the background colour. The pixels are those
// QtSurface draws for the same calls: the same mapping, clipping and line stepping.
class Win32Surface final : public WindowSurface {
public:
    Win32Surface(HWND parent, PixelRect rect);
    ~Win32Surface() override;
    Win32Surface(const Win32Surface&) = delete;
    Win32Surface& operator=(const Win32Surface&) = delete;

    HWND handle() const { return m_hwnd; }
    // The picture: its rows from the top, each pixel as 0x00RRGGBB.
    std::span<const std::uint32_t> picture() const {
        return {m_bits, static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height)};
    }

    void setBackColor(Color color) override;
    void setBounds(PixelRect rect) override;
    PixelRect bounds() const override;

    void setScaleLeft(float left) override;
    void setScaleTop(float top) override;
    void setScaleWidth(float width) override;
    void setScaleHeight(float height) override;

    void Cls() override;
    void Line(float x1, float y1, float x2, float y2, Color color) override;
    void PSet(float x, float y, Color color) override;
    void PSetSeries(double xStep, std::span<const std::int16_t> values, std::int16_t lowest,
                    std::span<const float> heightOf, Color color) override;

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void newPicture(int width, int height);
    void fill();
    void updateTransform();
    void changed();
    double pixelX(float x) const { return x * m_xScale + m_xOffset; }
    double pixelY(float y) const { return y * m_yScale + m_yOffset; }

    HWND m_hwnd = nullptr;
    bool m_paintDue = false;  // invalidated since the last WM_PAINT
    HDC m_dc = nullptr;       // holds the picture, for copying it
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_oldBitmap = nullptr;
    std::uint32_t* m_bits = nullptr;  // the picture's rows, top row first, no padding
    int m_width = 0;
    int m_height = 0;
    std::uint32_t m_background = 0;  // 0x00RRGGBB, as the picture holds it
    float m_scaleLeft = 0;
    float m_scaleTop = 0;
    float m_scaleWidth = 1;
    float m_scaleHeight = 1;
    // Pixel = logical * scale + offset, for each axis.
    double m_xScale = 1, m_xOffset = 0, m_yScale = 1, m_yOffset = 0;
    std::vector<std::ptrdiff_t> m_rowOffsets;  // PSetSeries: where each value's row starts
};

}  // namespace tremolex
