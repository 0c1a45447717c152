// Saves a picture of the whole X screen as a PNG: the tests' own camera for
// the real program running under Xvfb.

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: utm-xshot FILE.png\n");
        return 2;
    }
    QGuiApplication app(argc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        std::fprintf(stderr, "utm-xshot: no screen\n");
        return 1;
    }
    const QPixmap picture = screen->grabWindow(0);
    if (picture.isNull() || !picture.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "utm-xshot: could not save %s\n", argv[1]);
        return 1;
    }
    return 0;
}
