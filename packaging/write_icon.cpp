// Build step of the package: writes the window's icon as a PNG for the desktop entry, so the
// picture drawn in window_icon.cpp stays the only source of it.
//   write_icon FILE.png SIZE     SIZE a multiple of 32 (pixels stay sharp squares)
#include <QImage>
#include <cstdio>
#include <cstdlib>

#include "ui/window_icon.h"

int main(int argc, char** argv) {
    const int size = argc == 3 ? std::atoi(argv[2]) : 0;
    if (size <= 0 || size % 32 != 0) {
        std::fputs("Aufruf: write_icon DATEI.png GRÖSSE (ein Vielfaches von 32)\n", stderr);
        return 2;
    }
    const QImage icon =
        ui::WindowIconImage().scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    if (!icon.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "write_icon: %s konnte nicht geschrieben werden\n", argv[1]);
        return 1;
    }
    return 0;
}
