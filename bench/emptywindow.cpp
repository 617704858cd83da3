// The yardstick of the start-up benchmark: an empty Qt window of a given size, shown at once.
//
//   quervelle_emptywindow WIDTHxHEIGHT

#include <QApplication>
#include <QWidget>

#include <cstdio>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const QStringList size = app.arguments().value(1).split(u'x');
    const int width = size.value(0).toInt();
    const int height = size.value(1).toInt();
    if (size.size() != 2 || width <= 0 || height <= 0) {
        std::fprintf(stderr, "usage: quervelle_emptywindow WIDTHxHEIGHT\n");
        return 2;
    }
    QWidget window;
    window.setFixedSize(width, height);
    window.setWindowTitle(QStringLiteral("Empty window"));
    window.show();
    return app.exec();
}
