// The yardstick of the start-up benchmark: the least a Qt Widgets program of this kind does
// before its first frame. One main window with a menu bar, one menu and one text label, the
// size of the name-entry window so that both put the same number of pixels on the screen.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Start-up baseline"));
    QMenu* file = window.menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("E&xit"), &application, &QApplication::quit);
    auto* label = new QLabel(QStringLiteral("A bare Qt Widgets window"), &window);
    // 8205 x 4470 twips, the name-entry window's client area, at 15 twips to the pixel.
    label->setFixedSize(547, 298);
    window.setCentralWidget(label);
    window.show();
    return QApplication::exec();
}
