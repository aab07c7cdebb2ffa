#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/rastersurface.h"

namespace tremolex {

// The drawing surface as a child window. Drawing goes straight into a 32-bit top-down
// DIB section of the window's size, which WM_PAINT only copies to the screen: what is
// shown is always exactly what was last drawn, also after the window was covered. A new
// size starts a new picture cleared to the background colour. The pixels are those
// QtSurface draws for the same calls, by the same code.
class Win32Surface final : public RasterSurface {
public:
    Win32Surface(HWND parent, PixelRect rect);
    ~Win32Surface() override;
    Win32Surface(const Win32Surface&) = delete;
    Win32Surface& operator=(const Win32Surface&) = delete;

    HWND handle() const { return m_hwnd; }
    // The picture: its rows from the top, each pixel as 0xFFRRGGBB.
    std::span<const std::uint32_t> picture() const {
        return {m_bits, static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height)};
    }

    void setBounds(PixelRect rect) override;
    PixelRect bounds() const override;

protected:
    void beforeClear() override;
    void changed() override;

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void newPicture(int width, int height);

    HWND m_hwnd = nullptr;
    bool m_paintDue = false;  // invalidated since the last WM_PAINT
    HDC m_dc = nullptr;       // holds the picture, for copying it
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_oldBitmap = nullptr;
    std::uint32_t* m_bits = nullptr;  // the picture's rows, top row first, no padding
    int m_width = 0;
    int m_height = 0;
};

}  // namespace tremolex
