#pragma once

#include "app/outerframe.h"
#include "platform/window.h"
#include "settings/settingsstore.h"

namespace tremolex {

// Where the main window stands: its outer frame in twips, as the settings keep it, over a
// window system that works in pixels; restored at start, stored at close, and the outer
// size kept when the window system tells or changes the decorations.
class WindowPlacement {
public:
    WindowPlacement(Window& window, const SettingsStore& settings);

    // Applies the stored place and size, each value read and applied before the next is
    // read; a window that would be off every screen goes to the default place.
    void restore();
    // Stores the place and size.
    void store() const;
    // The window system told or changed the decorations (a move or resize event).
    void followDecorations();

    // The window's outer frame, in twips.
    float Left() const;
    float Top() const;
    float Width() const;
    float Height() const;
    void setLeft(float twips);
    void setTop(float twips);
    void setWidth(float twips);
    void setHeight(float twips);

    // Between the design's twips and the window's pixels, at the window's resolution.
    int px(float twips) const;
    float twips(int pixels) const;

private:
    Window& m_window;
    const SettingsStore& m_settings;
    OuterFrame m_frame;
};

}  // namespace tremolex
