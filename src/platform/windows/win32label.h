#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/window.h"
#include "platform/windows/win32handle.h"

namespace tremolex {

class Win32Window;

// A label of the window: a STATIC control that shows one line, centred vertically. Its
// colours come through the window's WM_CTLCOLORSTATIC, which asks the label; twips turn
// into pixels through the window's resolution (15 twips a pixel at 96 dpi). Tooltips go
// to the window's tooltip control.
class Win32Label final : public WindowLabel {
public:
    Win32Label(Win32Window& window, std::string_view name, PixelRect rect);
    ~Win32Label() override = default;
    Win32Label(const Win32Label&) = delete;
    Win32Label& operator=(const Win32Label&) = delete;

    HWND handle() const { return m_hwnd; }
    const std::string& name() const { return m_name; }

    void setCaption(std::string_view text) override;
    void setBackColor(Color color) override;
    void setForeColor(Color color) override;
    void setTop(float twips) override;
    void setLeft(float twips) override;
    void setToolTip(std::string_view text) override;

    void setAlignment(Align align) override;
    void setHiddenWhenEmpty(bool hidden) override;
    void fitCaptions(const std::vector<std::string>& captions, Growth growth) override;
    std::string caption() const override;
    PixelRect bounds() const override;

    // WM_CTLCOLORSTATIC: sets the text colours on `dc` and gives the background brush.
    HBRUSH colour(HDC dc) const;
    // The window moved to a monitor of another resolution: place and design size scale by
    // `to` / `from`. Then, as for any new font, the label is fitted again.
    void scale(UINT from, UINT to);
    void setFont(HFONT font);

private:
    void fit();
    void place(PixelRect rect);

    Win32Window& m_window;
    HWND m_hwnd = nullptr;
    std::string m_name;
    Color m_back = 0;
    Color m_fore = 0;
    OwnedBrush m_brush;  // of m_back
    bool m_hiddenWhenEmpty = false;
    bool m_hasToolTip = false;
    std::vector<std::string> m_captions;  // UTF-8
    Growth m_growth = Growth::RightAndDown;
    PixelRect m_design;     // empty until fitCaptions()
    bool m_fitted = false;  // fitCaptions() was called
    int m_grownUp = 0;      // pixels the top lies above the place setTop() gives
};

}  // namespace tremolex
