// Compares two pictures pixel for pixel: utm-pngdiff A.png B.png [DIFF.png].
// Exit 0 when every pixel is equal, 1 when some differ (their count and
// bounding box are printed, and DIFF.png shows them red over the dimmed
// first picture), 2 when a picture cannot be read.

#include <QCoreApplication>
#include <QImage>
#include <QRect>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: utm-pngdiff A.png B.png [DIFF.png]\n");
        return 2;
    }
    // Reading and comparing needs no screen.
    QCoreApplication app(argc, argv);
    QImage a(QString::fromLocal8Bit(argv[1]));
    QImage b(QString::fromLocal8Bit(argv[2]));
    for (int i : {1, 2}) {
        if ((i == 1 ? a : b).isNull()) {
            std::fprintf(stderr, "utm-pngdiff: cannot read %s\n", argv[i]);
            return 2;
        }
    }
    a = a.convertToFormat(QImage::Format_ARGB32);
    b = b.convertToFormat(QImage::Format_ARGB32);
    if (a.size() != b.size()) {
        std::printf("sizes differ: %dx%d and %dx%d\n", a.width(), a.height(), b.width(),
                    b.height());
        return 1;
    }
    QImage diff = a.copy();
    long differing = 0;
    QRect box;
    for (int y = 0; y < a.height(); ++y) {
        const auto* pa = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* pb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        auto* pd = reinterpret_cast<QRgb*>(diff.scanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            if (pa[x] != pb[x]) {
                ++differing;
                box |= QRect(x, y, 1, 1);
                pd[x] = qRgb(255, 0, 0);
            } else {
                pd[x] = qRgb(qRed(pa[x]) / 3, qGreen(pa[x]) / 3, qBlue(pa[x]) / 3);
            }
        }
    }
    if (differing == 0) return 0;
    std::printf("%ld pixels differ in %d,%d %dx%d\n", differing, box.x(), box.y(), box.width(),
                box.height());
    if (argc == 4 && !diff.save(QString::fromLocal8Bit(argv[3]))) {
        std::fprintf(stderr, "utm-pngdiff: cannot write %s\n", argv[3]);
    }
    return 1;
}
