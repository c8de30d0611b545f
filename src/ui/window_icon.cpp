#include "ui/window_icon.h"

#include <QVector>
#include <cstdlib>

namespace ui {
namespace {

// Index 0 is the transparent background; the others are the 15 bright and dark VGA colours.
enum Colour : uint {
    kClear = 0,
    kNavy,
    kGreen,
    kTeal,
    kMaroon,
    kPurple,
    kOlive,
    kSilver,
    kGrey,
    kBlue,
    kLime,
    kCyan,
    kRed,
    kMagenta,
    kYellow,
    kWhite,
};

QVector<QRgb> Palette() {
    return {qRgba(0, 0, 0, 0),   qRgb(0, 0, 128),   qRgb(0, 128, 0),   qRgb(0, 128, 128),
            qRgb(128, 0, 0),     qRgb(128, 0, 128), qRgb(128, 128, 0), qRgb(192, 192, 192),
            qRgb(128, 128, 128), qRgb(0, 0, 255),   qRgb(0, 255, 0),   qRgb(0, 255, 255),
            qRgb(255, 0, 0),     qRgb(255, 0, 255), qRgb(255, 255, 0), qRgb(255, 255, 255)};
}

void FillRect(QImage& image, int left, int top, int right, int bottom, uint colour) {
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) image.setPixel(x, y, colour);
}

// The tower: a silver case with a navy outline, drive slots and a green lamp.
void DrawServer(QImage& image) {
    FillRect(image, 1, 3, 11, 28, kNavy);
    FillRect(image, 2, 4, 10, 27, kSilver);
    for (int slot = 7; slot <= 15; slot += 4) FillRect(image, 3, slot, 9, slot + 1, kGrey);
    FillRect(image, 8, 23, 9, 24, kLime);
}

// The database: a teal cylinder with an elliptic top, outlined in navy.
void DrawDatabase(QImage& image) {
    const int centre = 22, halfWidth = 8, top = 9, bottom = 28;
    auto insideEllipse = [&](int x, int y, int cy) {
        const int dx = x - centre, dy = y - cy;
        return dx * dx * 9 + dy * dy * halfWidth * halfWidth <= halfWidth * halfWidth * 9;
    };
    for (int y = top - 3; y <= bottom + 3; ++y) {
        for (int x = centre - halfWidth; x <= centre + halfWidth; ++x) {
            const bool body = y >= top && y <= bottom;
            const bool lid = insideEllipse(x, y, top);
            const bool base = insideEllipse(x, y, bottom);
            if (!body && !lid && !base) continue;
            const bool edge = std::abs(x - centre) == halfWidth;
            image.setPixel(x, y, edge ? kNavy : kTeal);
        }
    }
    for (int y = top - 3; y <= top + 3; ++y)
        for (int x = centre - halfWidth + 1; x < centre + halfWidth; ++x)
            if (insideEllipse(x, y, top)) image.setPixel(x, y, kCyan);
    for (int x = centre - halfWidth + 1; x < centre + halfWidth; ++x) {
        image.setPixel(x, bottom + 3 - (std::abs(x - centre) * 3) / halfWidth, kNavy);
    }
}

// The arrow from the server into the database, in red with a yellow shaft.
void DrawArrow(QImage& image) {
    FillRect(image, 8, 17, 18, 19, kYellow);
    for (int step = 0; step <= 4; ++step)
        FillRect(image, 18 + step, 14 + step, 18 + step, 22 - step, kRed);
    FillRect(image, 8, 16, 17, 16, kRed);
    FillRect(image, 8, 20, 17, 20, kRed);
}

}  // namespace

QImage WindowIconImage() {
    QImage image(32, 32, QImage::Format_Indexed8);
    image.setColorTable(Palette());
    image.fill(kClear);
    DrawServer(image);
    DrawDatabase(image);
    DrawArrow(image);
    return image;
}

}  // namespace ui
