#include "platform/windows/win32surface.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>

#include "platform/windows/win32failure.h"

namespace tremolex {

namespace {

constexpr const wchar_t* kClassName = L"TremolexSurface";

}  // namespace

Win32Surface::Win32Surface(HWND parent, PixelRect rect, BitmapMaker makeBitmap)
    : m_makeBitmap(std::move(makeBitmap)) {
    if (!m_makeBitmap) {
        m_makeBitmap = [](HDC dc, const BITMAPINFO& info, void** bits) {
            return CreateDIBSection(dc, &info, DIB_RGB_COLORS, bits, nullptr, 0);
        };
    }
    static const ATOM atom = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = windowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = kClassName;
        return Win32Failure::check(RegisterClassExW(&windowClass), "The chart's window class");
    }();
    (void)atom;
    m_dc.reset(Win32Failure::check(CreateCompatibleDC(nullptr), "The chart's drawing context"));
    newPicture(std::max(rect.width, 1), std::max(rect.height, 1));
    CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, rect.x, rect.y,
                    rect.width, rect.height, parent, nullptr, GetModuleHandleW(nullptr), this);
    Win32Failure::check(m_hwnd, "The chart");  // set on WM_NCCREATE
}

// The picture goes with its DC, which is deleted first: a bitmap still selected into a DC
// cannot be deleted.
Win32Surface::~Win32Surface() {
    if (m_hwnd != nullptr) {
        SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
        DestroyWindow(m_hwnd);
    }
}

LRESULT CALLBACK Win32Surface::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<Win32Surface*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->m_hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Win32Surface*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->m_hwnd = nullptr;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return self->handleMessage(message, wParam, lParam);
}

LRESULT Win32Surface::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    using Kind = PointerEvent::Kind;
    using Button = PointerEvent::Button;
    switch (message) {
        case WM_MOUSEMOVE:
            mouse(Kind::Move, Button::None, wParam, lParam);
            if (GetCapture() != m_hwnd && !leaveWatched()) {
                TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, m_hwnd, 0};
                TrackMouseEvent(&track);
                // Wine watches only a window under the pointer, and says yes all the same:
                // the pointer has left already.
                if (!leaveWatched()) {
                    pointer({.kind = Kind::Leave});
                }
            }
            return 0;
        case WM_MOUSELEAVE:
            if (GetCapture() != m_hwnd) {  // a drag goes on: it ends with its own leave
                pointer({.kind = Kind::Leave});
            }
            return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
            SetCapture(m_hwnd);
            mouse(Kind::Press, message == WM_LBUTTONDOWN ? Button::Left : Button::Right, wParam,
                  lParam);
            return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP: {
            mouse(Kind::Release, message == WM_LBUTTONUP ? Button::Left : Button::Right, wParam,
                  lParam);
            if ((wParam & (MK_LBUTTON | MK_RBUTTON)) == 0 && GetCapture() == m_hwnd) {
                m_releasing = true;
                ReleaseCapture();
                m_releasing = false;
                if (!inside(lParam)) {  // let go off the surface: the pointer has left it
                    pointer({.kind = Kind::Leave});
                }
            }
            return 0;
        }
        case WM_CAPTURECHANGED:  // taken away while a button is held (a window opened)
            // Not when let go at the last release, nor taken again at a second button.
            if (!m_releasing && reinterpret_cast<HWND>(lParam) != m_hwnd) {
                pointer({.kind = Kind::Leave});
            }
            return 0;
        case WM_MOUSEWHEEL:  // here where inactive windows scroll under the pointer
        case WM_MOUSEHWHEEL:
            if (wheel(message, wParam, lParam)) {
                return 0;
            }
            break;
        case WM_ERASEBKGND:
            return 1;  // the picture covers it all
        case WM_PAINT: {
            m_paintDue = false;
            PAINTSTRUCT paint{};
            const HDC dc = BeginPaint(m_hwnd, &paint);
            const RECT& r = paint.rcPaint;
            if (m_bitmap) {
                BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, m_dc.get(), r.left,
                       r.top, SRCCOPY);
                GdiFlush();  // done reading the picture before drawing writes it directly again
            } else {         // blank: the stock DC brush needs nothing made
                const std::uint32_t pixel = background();
                SetDCBrushColor(dc, RGB(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF));
                FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
            }
            EndPaint(m_hwnd, &paint);
            return 0;
        }
        case WM_SIZE: {
            const int width = std::max<int>(LOWORD(lParam), 1);
            const int height = std::max<int>(HIWORD(lParam), 1);
            if (width != m_width || height != m_height) {  // not already drawn at this size
                newPicture(width, height);
            }
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(m_hwnd, message, wParam, lParam);
}

bool Win32Surface::leaveWatched() const {
    TRACKMOUSEEVENT track{sizeof(track), TME_QUERY, nullptr, 0};
    return TrackMouseEvent(&track) != 0 && (track.dwFlags & TME_LEAVE) != 0 &&
           track.hwndTrack == m_hwnd;
}

bool Win32Surface::inside(LPARAM lParam) const {
    RECT client{};
    GetClientRect(m_hwnd, &client);
    return PtInRect(&client, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}) != 0;
}

// Coordinates are signed: a captured pointer can be left of or above the surface.
void Win32Surface::mouse(PointerEvent::Kind kind, PointerEvent::Button button, WPARAM wParam,
                         LPARAM lParam) {
    pointer({.kind = kind,
             .button = button,
             .pixelX = GET_X_LPARAM(lParam),
             .pixelY = GET_Y_LPARAM(lParam),
             .shift = (wParam & MK_SHIFT) != 0});
}

bool Win32Surface::wheel(UINT message, WPARAM wParam, LPARAM lParam) {
    POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (m_hwnd == nullptr || WindowFromPoint(at) != m_hwnd) {
        return false;
    }
    ScreenToClient(m_hwnd, &at);
    const bool sideways = message == WM_MOUSEHWHEEL;
    const int amount = GET_WHEEL_DELTA_WPARAM(wParam);  // WHEEL_DELTA to a notch
    // A sideways wheel counts to the right; the chart counts its notches to the left.
    wheelTurned(
        sideways ? -amount : amount, sideways,
        {.pixelX = at.x, .pixelY = at.y, .shift = (GET_KEYSTATE_WPARAM(wParam) & MK_SHIFT) != 0});
    return true;
}

void Win32Surface::newPicture(int width, int height) {
    const auto make = [this](int w, int h, void** bits) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;  // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        return OwnedBitmap(m_makeBitmap(m_dc.get(), info, bits));
    };
    void* bits = nullptr;
    OwnedBitmap bitmap = make(width, height, &bits);
    if (!bitmap && !m_bitmap && (width > 1 || height > 1)) {
        width = height = 1;  // out of memory for a huge size: a picture that can be drawn on
        bitmap = make(width, height, &bits);
    }
    if (!bitmap) {
        if (!m_bitmap) {
            // Not even that (GDI objects used up): no picture, so drawing does nothing and
            // the chart stays blank. No size is 0 by 0, so the next one tries again.
            m_bits = nullptr;
            m_width = m_height = 0;
            setPicture(nullptr, 0, 0, 0);
        }
        return;  // else the old picture stays, and the next size tries again
    }
    SelectObject(m_dc.get(), bitmap.get());
    m_bitmap = std::move(bitmap);  // the old one, no longer selected, is deleted
    m_bits = static_cast<std::uint32_t*>(bits);
    m_width = width;
    m_height = height;
    setPicture(m_bits, width, height, width);
}

// Invalidated once until painted: a series of points drawn one at a time asks for one
// WM_PAINT, not one each.
void Win32Surface::changed() {
    if (!m_paintDue) {
        m_paintDue = true;
        InvalidateRect(m_hwnd, nullptr, FALSE);
    }
}

void Win32Surface::setBounds(PixelRect rect) {
    SetWindowPos(m_hwnd, nullptr, rect.x, rect.y, rect.width, rect.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

PixelRect Win32Surface::bounds() const {
    RECT r{};
    GetWindowRect(m_hwnd, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(m_hwnd), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void Win32Surface::beforeClear() {
    RECT client{};
    if (m_hwnd != nullptr && GetClientRect(m_hwnd, &client) != 0) {
        const int width = std::max<int>(client.right, 1), height = std::max<int>(client.bottom, 1);
        if (width != m_width || height != m_height) {
            newPicture(width, height);
        }
    }
}

}  // namespace tremolex
