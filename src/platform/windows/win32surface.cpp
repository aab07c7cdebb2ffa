#include "platform/windows/win32surface.h"

#include <algorithm>

namespace tremolex {

namespace {

constexpr const wchar_t* kClassName = L"TremolexSurface";

}  // namespace

Win32Surface::Win32Surface(HWND parent, PixelRect rect) {
    static const ATOM atom = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = windowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = kClassName;
        return RegisterClassExW(&windowClass);
    }();
    (void)atom;
    m_dc = CreateCompatibleDC(nullptr);
    newPicture(std::max(rect.width, 1), std::max(rect.height, 1));
    m_hwnd =
        CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, rect.x, rect.y,
                        rect.width, rect.height, parent, nullptr, GetModuleHandleW(nullptr), this);
}

Win32Surface::~Win32Surface() {
    if (m_hwnd != nullptr) {
        SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
        DestroyWindow(m_hwnd);
    }
    SelectObject(m_dc, m_oldBitmap);
    DeleteObject(m_bitmap);
    DeleteDC(m_dc);
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
    switch (message) {
        case WM_ERASEBKGND:
            return 1;  // the picture covers it all
        case WM_PAINT: {
            m_paintDue = false;
            PAINTSTRUCT paint{};
            const HDC dc = BeginPaint(m_hwnd, &paint);
            const RECT& r = paint.rcPaint;
            BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, m_dc, r.left, r.top,
                   SRCCOPY);
            GdiFlush();  // done reading the picture before drawing writes it directly again
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
            return DefWindowProcW(m_hwnd, message, wParam, lParam);
    }
}

void Win32Surface::newPicture(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr) {
        if (m_bitmap == nullptr) {
            newPicture(1, 1);  // out of memory for a huge size: a picture that can be drawn on
        }
        return;
    }
    const HGDIOBJ previous = SelectObject(m_dc, bitmap);
    if (m_bitmap == nullptr) {
        m_oldBitmap = previous;
    } else {
        DeleteObject(m_bitmap);
    }
    m_bitmap = bitmap;
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
