#include "platform/windows/win32label.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>

#include "platform/labelfit.h"
#include "platform/windows/widetext.h"
#include "platform/windows/win32failure.h"
#include "platform/windows/win32window.h"

namespace tremolex {

namespace {

constexpr DWORD kStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SS_CENTER | SS_CENTERIMAGE |
                         SS_NOPREFIX | SS_NOTIFY;  // SS_NOTIFY: the mouse reaches it, for tooltips
// A moved label paints itself anew: the pixels at its old place may hold a sibling's that
// was moved over it on the way (the scale labels pass each other as the chart grows).
constexpr UINT kMoveFlags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS;

std::wstring textOf(HWND control) {
    std::wstring text(static_cast<std::size_t>(std::max(GetWindowTextLengthW(control), 0)), L'\0');
    const int got = GetWindowTextW(control, text.data(), static_cast<int>(text.size() + 1));
    text.resize(static_cast<std::size_t>(std::max(got, 0)));
    return text;
}

}  // namespace

Win32Label::Win32Label(Win32Window& window, std::string_view name, PixelRect rect)
    : m_window(window),
      m_name(name),
      m_back(GetSysColor(COLOR_BTNFACE)),
      m_fore(GetSysColor(COLOR_BTNTEXT)),
      m_brush(Win32Failure::check(CreateSolidBrush(m_back), "A label's brush")) {
    m_hwnd = Win32Failure::check(
        CreateWindowExW(0, L"STATIC", L"", kStyle, rect.x, rect.y, rect.width, rect.height,
                        window.handle(), nullptr, GetModuleHandleW(nullptr), nullptr),
        "A label");
    SendMessageW(m_hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(window.font()), FALSE);
}

void Win32Label::setCaption(std::string_view text) {
    const std::wstring caption = toWide(text);
    if (caption != textOf(m_hwnd)) {
        SetWindowTextW(m_hwnd, caption.c_str());
    }
    if (m_hiddenWhenEmpty) {
        ShowWindow(m_hwnd, caption.empty() ? SW_HIDE : SW_SHOWNA);
    }
}

std::string Win32Label::caption() const {
    return toUtf8(textOf(m_hwnd));
}

void Win32Label::setBackColor(Color color) {
    m_brush.reset(Win32Failure::check(CreateSolidBrush(color), "A label's brush"));
    m_back = color;  // Color is laid out as a COLORREF: 0x00BBGGRR
    InvalidateRect(m_hwnd, nullptr, TRUE);
}

void Win32Label::setForeColor(Color color) {
    m_fore = color;
    InvalidateRect(m_hwnd, nullptr, TRUE);
}

HBRUSH Win32Label::colour(HDC dc) const {
    SetTextColor(dc, m_fore);
    SetBkColor(dc, m_back);
    return m_brush.get();
}

void Win32Label::setTop(float twips) {
    const int top = static_cast<int>(std::lround(twips * m_window.logicalDpi() / 1440.0));
    const PixelRect r = bounds();
    SetWindowPos(m_hwnd, nullptr, r.x, top - m_grownUp, 0, 0, SWP_NOSIZE | kMoveFlags);
}

void Win32Label::setLeft(float twips) {
    const int left = static_cast<int>(std::lround(twips * m_window.logicalDpi() / 1440.0));
    m_design.x = left;
    const PixelRect r = bounds();
    SetWindowPos(m_hwnd, nullptr, left, r.y, 0, 0, SWP_NOSIZE | kMoveFlags);
}

void Win32Label::setToolTip(std::string_view text) {
    const HWND tips = m_window.toolTips();
    std::wstring tip = toWide(text);
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;  // what common controls 5 and 6 both take
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = m_window.handle();
    tool.uId = reinterpret_cast<UINT_PTR>(m_hwnd);
    tool.lpszText = tip.data();
    if (tip.empty()) {
        if (m_hasToolTip) {
            SendMessageW(tips, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
            m_hasToolTip = false;
        }
        return;
    }
    if (m_hasToolTip) {
        SendMessageW(tips, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    } else {
        m_hasToolTip = SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) != 0;
    }
}

void Win32Label::setAlignment(Align align) {
    auto style = static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_STYLE));
    style = (style & ~DWORD{SS_TYPEMASK}) | (align == Align::Left ? SS_LEFT : SS_CENTER);
    SetWindowLongPtrW(m_hwnd, GWL_STYLE, static_cast<LONG_PTR>(style));
    InvalidateRect(m_hwnd, nullptr, TRUE);
}

void Win32Label::setHiddenWhenEmpty(bool hidden) {
    m_hiddenWhenEmpty = hidden;
    ShowWindow(m_hwnd, !hidden || GetWindowTextLengthW(m_hwnd) > 0 ? SW_SHOWNA : SW_HIDE);
}

PixelRect Win32Label::bounds() const {
    RECT r{};
    GetWindowRect(m_hwnd, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(m_hwnd), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void Win32Label::place(PixelRect rect) {
    SetWindowPos(m_hwnd, nullptr, rect.x, rect.y, rect.width, rect.height, kMoveFlags);
}

void Win32Label::fitCaptions(const std::vector<std::string>& captions, Growth growth) {
    m_captions = captions;
    m_growth = growth;
    m_design = bounds();
    m_fitted = true;
    fit();
}

void Win32Label::setFont(HFONT font) {
    SendMessageW(m_hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (m_fitted) {
        fit();
    }
}

void Win32Label::scale(UINT from, UINT to) {
    const auto scaled = [&](int pixels) {
        return MulDiv(pixels, static_cast<int>(to), static_cast<int>(from));
    };
    const PixelRect r = bounds();
    const int top = scaled(r.y + m_grownUp);
    m_grownUp = scaled(m_grownUp);
    place({scaled(r.x), top - m_grownUp, scaled(r.width), scaled(r.height)});
    m_design = {scaled(m_design.x), scaled(m_design.y), scaled(m_design.width),
                scaled(m_design.height)};
}

// The text is measured as the control draws it: one line, in its font, with no margins.
void Win32Label::fit() {
    const HDC dc = GetDC(m_hwnd);
    const HGDIOBJ oldFont =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(m_hwnd, WM_GETFONT, 0, 0)));
    const auto extent = [dc](std::wstring_view text) {
        SIZE size{};
        GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
        return size;
    };
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const char widest = LabelFit::widestDigit([&](char digit) {
        const wchar_t wide = static_cast<wchar_t>(digit);
        return static_cast<int>(extent({&wide, 1}).cx);
    });
    PixelSize needed;
    for (const std::string& shape : LabelFit::shapes(m_captions, widest)) {
        needed.width = std::max(needed.width, static_cast<int>(extent(toWide(shape)).cx));
        needed.height = std::max(needed.height, static_cast<int>(metrics.tmHeight));
    }
    SelectObject(dc, oldFont);
    ReleaseDC(m_hwnd, dc);

    const LabelFit::Placed placed =
        LabelFit::place(m_design, needed, m_growth, bounds().y + m_grownUp);
    m_grownUp = placed.grownUp;
    place(placed.rect);
}

}  // namespace tremolex
