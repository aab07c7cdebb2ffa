// The reference for the program's start-up time and memory: a Qt Widgets program that
// shows an empty window of the size of the program's first window, and nothing else.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Empty"));
    window.resize(533, 533);  // the program's default 8000 by 8000 twips at 96 dpi
    window.show();
    return QApplication::exec();
}
