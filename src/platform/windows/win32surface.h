#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "platform/rastersurface.h"
#include "platform/windows/win32handle.h"

namespace tremolex {

// The drawing surface as a child window. Drawing goes straight into a 32-bit top-down
// DIB section of the window's size, which WM_PAINT only copies to the screen: what is
// shown is always exactly what was last drawn, also after the window was covered. A new
// size starts a new picture cleared to the background colour. The pixels are those
// QtSurface draws for the same calls, by the same code.
//
// The pointer: moves, a leave, the left and right buttons (the surface captures the mouse
// while one is held, so a drag keeps its events off the surface; should the system take the
// capture away, the pointer has left) and the wheels, which Windows gives the focus window,
// in screen coordinates: the window hands them on to wheel().
class Win32Surface final : public RasterSurface {
public:
    // Makes a picture's bitmap as CreateDIBSection() does: null when it cannot.
    using BitmapMaker = std::function<HBITMAP(HDC dc, const BITMAPINFO& info, void** bits)>;

    // `makeBitmap` is CreateDIBSection() but in tests of the surface's fall-backs.
    Win32Surface(HWND parent, PixelRect rect, BitmapMaker makeBitmap = {});
    ~Win32Surface() override;
    Win32Surface(const Win32Surface&) = delete;
    Win32Surface& operator=(const Win32Surface&) = delete;

    HWND handle() const { return m_hwnd; }
    // The picture: its rows from the top, each pixel as 0xFFRRGGBB. Empty while the system
    // has no room for any.
    std::span<const std::uint32_t> picture() const {
        return {m_bits, static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height)};
    }

    // A WM_MOUSEWHEEL or WM_MOUSEHWHEEL: its notches (a remainder waits for the next turn)
    // when its point lies over the surface; false, and nothing done, when it does not.
    bool wheel(UINT message, WPARAM wParam, LPARAM lParam);

    void setBounds(PixelRect rect) override;
    PixelRect bounds() const override;

protected:
    void beforeClear() override;
    void changed() override;

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void newPicture(int width, int height);
    void mouse(PointerEvent::Kind kind, PointerEvent::Button button, WPARAM wParam, LPARAM lParam);
    bool inside(LPARAM lParam) const;  // a mouse message's point lies over the surface
    bool leaveWatched() const;         // the system will post a WM_MOUSELEAVE

    BitmapMaker m_makeBitmap;
    HWND m_hwnd = nullptr;
    bool m_paintDue = false;          // invalidated since the last WM_PAINT
    OwnedBitmap m_bitmap;             // none when not even 1 by 1 could be made
    OwnedMemoryDc m_dc;               // holds the picture, for copying it; destroyed before it
    std::uint32_t* m_bits = nullptr;  // the picture's rows, top row first, no padding
    int m_width = 0;
    int m_height = 0;
    bool m_releasing = false;  // letting the captured mouse go at the last button's release
};

}  // namespace tremolex
