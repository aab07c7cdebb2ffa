#pragma once

#include <QMainWindow>
#include <memory>

#include "platform/window.h"

namespace tremolex {

class QtLabel;
class QtSurface;

// The main window on Qt Widgets: a QMainWindow whose central widget holds the controls.
// Qt counts the menu bar inside the window, so size() includes it and clientSize() is the
// central widget's.
class QtMainWindow : public Window {
public:
    QtMainWindow();
    ~QtMainWindow() override;
    QtMainWindow(const QtMainWindow&) = delete;
    QtMainWindow& operator=(const QtMainWindow&) = delete;

    QMainWindow& widget();
    QtLabel& label(std::string_view name);  // a label by the name it was added with
    QtSurface& surface();                   // the one drawing surface

    double logicalDpi() const override;
    void setTitle(std::string_view title) override;
    void setBackColor(Color color) override;
    void addMenu(std::string_view title, std::vector<MenuItem> items) override;
    WindowLabel& addLabel(std::string_view name, PixelRect rect) override;
    WindowSurface& addSurface(PixelRect rect) override;

    std::unique_ptr<Timer> newTimer() override;
    std::unique_ptr<Dialogs> newDialogs() override;
    std::unique_ptr<FileDialog> newFileDialog() override;

    PixelRect frame() const override;
    PixelSize size() const override;
    PixelSize clientSize() const override;
    void move(int x, int y) override;
    void resize(int width, int height) override;
    void setMinimumSize(int width, int height) override;
    State state() const override;
    std::vector<PixelRect> screens() const override;

    void setEvents(Events events) override;
    void show() override;
    void close() override;

private:
    class Frame;
    std::unique_ptr<Frame> m_frame;
    QWidget* m_client = nullptr;  // owned by m_frame
};

}  // namespace tremolex
