#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dialogs.h"
#include "platform/filedialog.h"
#include "platform/label.h"
#include "platform/surface.h"
#include "platform/timer.h"

namespace tremolex {

// A rectangle in pixels. For the window's frame and the screens, in screen coordinates;
// for controls, from the top-left corner of the window's client area below the menu bar.
struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PixelRect&) const = default;
};

struct PixelSize {
    int width = 0;
    int height = 0;
    bool operator==(const PixelSize&) const = default;
};

// A label as the window places it; the captions themselves come from the logic that
// owns it. Twips turn into pixels through the window's logical resolution.
class WindowLabel : public Label {
public:
    // Where a label grows when a caption needs more room than its design size: to the
    // right and down, or, for a label that must stay beside something on its right, to
    // the left and equally up and down.
    enum class Growth { RightAndDown, LeftAndBothWays };
    enum class Align { Center, Left };  // horizontally; always centred vertically

    virtual void setAlignment(Align align) = 0;
    // Hides the label while its caption is empty.
    virtual void setHiddenWhenEmpty(bool hidden) = 0;
    // Makes the label just large enough for the widest of `captions` (UTF-8; any digit
    // counts as the widest digit of the font) and never smaller than its geometry now, its
    // design size. Done again when the font changes.
    virtual void fitCaptions(const std::vector<std::string>& captions, Growth growth) = 0;

    virtual std::string caption() const = 0;  // UTF-8
    virtual PixelRect bounds() const = 0;
};

// The chart's drawing surface as the window places it.
class WindowSurface : public Surface {
public:
    virtual void setBackColor(Color color) = 0;
    virtual void setBounds(PixelRect rect) = 0;
    virtual PixelRect bounds() const = 0;
};

// The program's one main window: a frame with a title, an icon and a menu bar, whose
// client area holds the labels and the drawing surface. Sizes are pixels; the caller turns
// twips into pixels with logicalDpi(). Everything runs on the user-interface thread.
//
// The window system places the outer frame's top-left corner, but sizes the window without
// its decorations (borders, caption and, where the platform counts it so, the menu bar):
// frame() minus size() is what the decorations take. On X11 a window learns them only once
// it is mapped, in a move or resize event; before that both are equal.
class Window {
public:
    enum class State { Normal, Minimized, Other };  // Other: maximised or full screen

    struct MenuItem {
        std::string text;
        std::function<void()> onClick;
    };

    // Each runs after the change; onClose before the window closes (it always closes).
    struct Events {
        std::function<void()> onResize;
        std::function<void()> onMove;
        std::function<void()> onStateChange;
        std::function<void()> onClose;
    };

    virtual ~Window() = default;

    // Pixels to the inch on the window's screen, as the platform scales text: 96 gives 15
    // twips to the pixel.
    virtual double logicalDpi() const = 0;

    virtual void setTitle(std::string_view title) = 0;  // UTF-8
    virtual void setBackColor(Color color) = 0;         // of the client area
    // A menu of the menu bar, added after those before it. "&File": F is its access key.
    virtual void addMenu(std::string_view title, std::vector<MenuItem> items) = 0;
    // Controls of the client area, owned by the window; `name` identifies a label.
    virtual WindowLabel& addLabel(std::string_view name, PixelRect rect) = 0;
    virtual WindowSurface& addSurface(PixelRect rect) = 0;

    // Services whose dialogs and ticks belong to this window.
    virtual std::unique_ptr<Timer> newTimer() = 0;
    virtual std::unique_ptr<Dialogs> newDialogs() = 0;
    virtual std::unique_ptr<FileDialog> newFileDialog() = 0;

    virtual PixelRect frame() const = 0;       // the outer frame
    virtual PixelSize size() const = 0;        // what resize() sets
    virtual PixelSize clientSize() const = 0;  // the controls' area below the menu bar
    virtual void move(int x, int y) = 0;       // the outer frame's top-left corner
    virtual void resize(int width, int height) = 0;
    virtual void setMinimumSize(int width, int height) = 0;  // of size()
    virtual State state() const = 0;
    // The area each screen leaves to windows (without task bars and panels).
    virtual std::vector<PixelRect> screens() const = 0;

    virtual void setEvents(Events events) = 0;
    virtual void show() = 0;
    // Closes the window as its close button does: onClose runs first.
    virtual void close() = 0;
};

}  // namespace tremolex
