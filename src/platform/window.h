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
    // Moves the label's left edge, its design place with it.
    virtual void setLeft(float twips) = 0;  // from the left of the window's client area
};

// What the pointer does over the chart's surface, and where.
struct PointerEvent {
    enum class Kind { Move, Press, Release, Leave, Wheel };
    enum class Button { None, Left, Right };

    Kind kind = Kind::Move;
    Button button = Button::None;  // of a press or a release
    float x = 0;                   // in the surface's logical units
    float y = 0;
    int pixelX = 0;  // from the surface's top-left corner
    int pixelY = 0;
    bool shift = false;
    int wheelSteps = 0;  // notches of a wheel turned away from the user; towards: negative
    // A sideways wheel or a tilted one: notches to the left, to the right negative.
    bool sideways = false;
};

// Keys the window hands on; the others are the platform's.
enum class Key { Left, Right, Tab, Escape, Home };

// The chart's drawing surface as the window places it.
class WindowSurface : public Surface {
public:
    virtual void setBackColor(Color color) = 0;
    virtual void setBounds(PixelRect rect) = 0;
    virtual PixelRect bounds() const = 0;
    // What the pointer does over the surface; a button held down over it keeps the events
    // coming until it is let go, wherever the pointer goes.
    virtual void setPointerEvents(std::function<void(const PointerEvent&)> onPointer) = 0;
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
        std::function<void(Key key, bool shift)> onKey;
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
