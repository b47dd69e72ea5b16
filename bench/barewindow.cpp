// The yardsticks for start-up: an empty Qt widgets window, and the same
// window with one line of kana (what any program that shows text pays for
// loading its fonts). "barewindow label" shows the line.
#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.resize(279, 122);
    if (argc > 1 && qstrcmp(argv[1], "label") == 0) {
        auto *label = new QLabel(QStringLiteral("かなを打つ"), &window);
        label->adjustSize();
    }
    window.show();
    return app.exec();
}
