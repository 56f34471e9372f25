#include "ui/shared/Artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <numbers>

#include "ui/shared/WindowColours.h"

namespace {

QPixmap iconPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 32.0;
    p.setPen(QPen(QColor(200, 200, 220), 1.5 * s));
    p.setBrush(kWindowBackground);
    p.drawRoundedRect(QRectF(2 * s, 2 * s, 28 * s, 28 * s), 5 * s, 5 * s);
    // Eight rising steps: the output of a converter stepping through its codes.
    QPainterPath stairs;
    stairs.moveTo(7 * s, 25 * s);
    for (int step = 0; step < 6; ++step) {
        const qreal x = (7 + step * 3) * s;
        const qreal y = (25 - (step + 1) * 3) * s;
        stairs.lineTo(x, y);
        stairs.lineTo(x + 3 * s, y);
    }
    p.setPen(QPen(kWindowText, 2.2 * s, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(stairs);
    return pixmap;
}

}  // namespace

QIcon programIcon() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128}) {
        icon.addPixmap(iconPixmap(size));
    }
    return icon;
}

QPixmap makerLogo() {
    QPixmap pixmap(108, 35);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    // A mark of three rising bars, then the maker's name.
    const QColor ink(0, 40, 130);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    for (int bar = 0; bar < 3; ++bar) {
        const int height = 9 + bar * 7;
        p.drawRect(QRect(5 + bar * 7, 29 - height, 5, height));
    }
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    font.setBold(true);
    p.setFont(font);
    p.setPen(ink);
    p.drawText(QRect(27, 4, 80, 18), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("HALBROOK"));
    font.setPixelSize(8);
    font.setBold(false);
    p.setFont(font);
    p.setPen(QColor(190, 20, 20));
    p.drawText(QRect(27, 20, 80, 12), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("mixed-signal"));
    return pixmap;
}

QPixmap waveBanner() {
    const int width = 381;
    const int height = 30;
    QPixmap pixmap(width, height);
    QPainter p(&pixmap);
    QLinearGradient ground(0, 0, width, 0);
    ground.setColorAt(0.0, QColor(0, 0, 140));
    ground.setColorAt(1.0, QColor(0, 120, 220));
    p.fillRect(pixmap.rect(), ground);
    // One and a half periods of a sine, held in 24 steps as a converter would draw it.
    QPainterPath wave;
    const int steps = 24;
    for (int i = 0; i <= steps; ++i) {
        const qreal x = i * width / qreal(steps);
        const qreal phase = 3 * std::numbers::pi * i / steps;
        const qreal y = height / 2.0 - std::sin(phase) * (height / 2.0 - 5);
        if (i == 0) {
            wave.moveTo(x, y);
        } else {
            wave.lineTo(x, wave.currentPosition().y());
            wave.lineTo(x, y);
        }
    }
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kWindowText, 2));
    p.drawPath(wave);
    return pixmap;
}
