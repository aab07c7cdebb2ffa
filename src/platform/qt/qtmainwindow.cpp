#include "platform/qt/qtmainwindow.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QScreen>

#include "platform/qt/qtdialogs.h"
#include "platform/qt/qtfiledialog.h"
#include "platform/qt/qtlabel.h"
#include "platform/qt/qtsurface.h"
#include "platform/qt/qttext.h"
#include "platform/qt/qttimer.h"

namespace tremolex {

namespace {

void call(const std::function<void()>& event) {
    if (event) {
        event();
    }
}

}  // namespace

// Hands the frame's events to the window logic.
class QtMainWindow::Frame final : public QMainWindow {
public:
    Events events;

protected:
    void resizeEvent(QResizeEvent* event) override {
        QMainWindow::resizeEvent(event);
        call(events.onResize);
    }
    void moveEvent(QMoveEvent* event) override {
        QMainWindow::moveEvent(event);
        call(events.onMove);
    }
    void changeEvent(QEvent* event) override {
        QMainWindow::changeEvent(event);
        if (event->type() == QEvent::WindowStateChange) {
            call(events.onStateChange);
        }
    }
    void closeEvent(QCloseEvent* event) override {
        call(events.onClose);
        event->accept();
    }
    // Tab comes here before Qt moves the focus with it: the window has nothing to focus.
    bool event(QEvent* event) override {
        if (event->type() == QEvent::KeyPress && events.onKey) {
            const auto* press = static_cast<QKeyEvent*>(event);
            const bool shift = (press->modifiers() & Qt::ShiftModifier) != 0;
            switch (press->key()) {
                case Qt::Key_Left:
                    events.onKey(Key::Left, shift);
                    return true;
                case Qt::Key_Right:
                    events.onKey(Key::Right, shift);
                    return true;
                case Qt::Key_Tab:
                case Qt::Key_Backtab:
                    events.onKey(Key::Tab, shift);
                    return true;
                case Qt::Key_Escape:
                    events.onKey(Key::Escape, shift);
                    return true;
                case Qt::Key_Home:
                    events.onKey(Key::Home, shift);
                    return true;
                default:
                    break;
            }
        }
        return QMainWindow::event(event);
    }
};

QtMainWindow::QtMainWindow() : m_frame(std::make_unique<Frame>()) {
    m_frame->setWindowIcon(QIcon(QStringLiteral(":/icons/tremolex-16.png")));
    // The frame takes the keyboard itself (no control does): a menu bar used from the
    // keyboard gives it back afterwards, where it would keep it from a window with no focus.
    m_frame->setFocusPolicy(Qt::StrongFocus);
    m_client = new QWidget(m_frame.get());
    m_frame->setCentralWidget(m_client);
}

QtMainWindow::~QtMainWindow() {
    m_frame->events = {};
}

QMainWindow& QtMainWindow::widget() {
    return *m_frame;
}

QtLabel& QtMainWindow::label(std::string_view name) {
    return *m_client->findChild<QtLabel*>(toQString(name));
}

QtSurface& QtMainWindow::surface() {
    return *m_client->findChild<QtSurface*>();
}

double QtMainWindow::logicalDpi() const {
    return m_frame->logicalDpiY();
}

void QtMainWindow::setTitle(std::string_view title) {
    m_frame->setWindowTitle(toQString(title));
}

void QtMainWindow::setBackColor(Color color) {
    QPalette palette = m_client->palette();
    palette.setColor(QPalette::Window, QColor(redOf(color), greenOf(color), blueOf(color)));
    m_client->setPalette(palette);
    m_client->setAutoFillBackground(true);
}

void QtMainWindow::addMenu(std::string_view title, std::vector<MenuItem> items) {
    QMenu* menu = m_frame->menuBar()->addMenu(toQString(title));
    for (MenuItem& item : items) {
        menu->addAction(toQString(item.text), m_frame.get(), std::move(item.onClick));
    }
}

WindowLabel& QtMainWindow::addLabel(std::string_view name, PixelRect rect) {
    auto* label = new QtLabel(m_client);
    label->setObjectName(toQString(name));
    label->setAlignment(Qt::AlignCenter);
    label->setGeometry(rect.x, rect.y, rect.width, rect.height);
    return *label;
}

WindowSurface& QtMainWindow::addSurface(PixelRect rect) {
    auto* surface = new QtSurface(m_client);
    surface->setBounds(rect);
    return *surface;
}

std::unique_ptr<Timer> QtMainWindow::newTimer() {
    return std::make_unique<QtTimer>();
}

std::unique_ptr<Dialogs> QtMainWindow::newDialogs() {
    return std::make_unique<QtDialogs>(m_frame.get());
}

std::unique_ptr<FileDialog> QtMainWindow::newFileDialog() {
    return std::make_unique<QtFileDialog>(m_frame.get());
}

PixelRect QtMainWindow::frame() const {
    const QRect r = m_frame->frameGeometry();
    return {r.x(), r.y(), r.width(), r.height()};
}

PixelSize QtMainWindow::size() const {
    return {m_frame->width(), m_frame->height()};
}

PixelSize QtMainWindow::clientSize() const {
    return {m_client->width(), m_client->height()};
}

void QtMainWindow::move(int x, int y) {
    m_frame->move(x, y);
}

void QtMainWindow::resize(int width, int height) {
    m_frame->resize(width, height);
}

void QtMainWindow::setMinimumSize(int width, int height) {
    m_frame->setMinimumSize(width, height);
}

Window::State QtMainWindow::state() const {
    if (m_frame->isMinimized()) {
        return State::Minimized;
    }
    return m_frame->windowState() == Qt::WindowNoState ? State::Normal : State::Other;
}

std::vector<PixelRect> QtMainWindow::screens() const {
    std::vector<PixelRect> areas;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect r = screen->availableGeometry();
        areas.push_back({r.x(), r.y(), r.width(), r.height()});
    }
    return areas;
}

void QtMainWindow::setEvents(Events events) {
    m_frame->events = std::move(events);
}

void QtMainWindow::show() {
    m_frame->show();
}

void QtMainWindow::close() {
    m_frame->close();
}

}  // namespace tremolex
