#include "ui/main/BitsDisplay.h"

#include <QLCDNumber>
#include <QLabel>
#include <QWidget>

#include <vector>

#include "ui/shared/LedDisplay.h"

namespace {

constexpr int kDigitWidth = 16;
constexpr int kDigitHeight = 24;
constexpr int kPitch = 18;
constexpr int kGroupGap = 22;
constexpr int kRowTop = 22;

struct Group {
    std::vector<int> positions;  // left to right
    const char* caption;         // under the group; empty for none
};

// The row, most significant bit of the command word first.
const std::vector<Group> kRow = {
    {{29, 28}, ""},         {{26, 25, 24}, "Command Bits"}, {{22, 21, 20}, "Address Bits"},
    {{19, 18, 17, 16}, ""}, {{15, 14, 13, 12}, ""},         {{11, 10, 9, 8}, ""},
    {{7, 6, 5, 4}, ""},
};

int rowWidth(const std::vector<Group>& groups) {
    int width = -kGroupGap;
    for (const Group& g : groups)
        width += static_cast<int>(g.positions.size()) * kPitch + kGroupGap;
    return width;
}

QColor segmentColour(int emphasis) {
    return QColor(emphasis, 0, 0);
}

QLabel* caption(QWidget* frame, const QString& text, int centre, int top, int width) {
    auto* label = new QLabel(text, frame);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * 0.85);
    label->setFont(font);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setGeometry(centre - width / 2, top, width, 16);
    return label;
}

}  // namespace

BitsDisplay::BitsDisplay(QWidget* frame, bool secondRow, BitImage& image) : image_(image) {
    for (int p = 0; p < BitImage::kCount; ++p) {
        auto* digit = new QLCDNumber(1, frame);
        digit->setObjectName(QStringLiteral("BitsDisplay_%1").arg(p));
        styleAsLed(*digit, segmentColour(image.emphasis(p)));
        digit->resize(kDigitWidth, kDigitHeight);
        digit->hide();
        digits_[p] = digit;
        draw(p);
    }
    image.observe([this](int position) { draw(position); });
    // The row across the top, centred in the frame, with its captions.
    int x = (frame->width() - rowWidth(kRow)) / 2;
    const int firstDataGroupX = x + (2 + 3 + 3) * kPitch + 3 * kGroupGap;
    for (const Group& group : kRow) {
        const int left = x;
        for (const int p : group.positions) {
            digits_[p]->move(x, kRowTop);
            digits_[p]->show();
            x += kPitch;
        }
        if (*group.caption != '\0') caption(frame, group.caption, (left + x - 2) / 2, 48, 96);
        x += kGroupGap;
    }
    caption(frame, QStringLiteral("Data Bits"), (firstDataGroupX + x - kGroupGap) / 2, 48, 96);
    if (!secondRow) return;
    // The second row: the positions that never reach the word, in two groups near the bottom.
    const int bottom = frame->height() - kDigitHeight - 14;
    const std::vector<std::pair<int, std::vector<int>>> lower = {
        {24, {31, 30, 27, 23}}, {frame->width() - 24 - 4 * kPitch, {3, 2, 1, 0}}};
    for (const auto& [left, positions] : lower) {
        int at = left;
        for (const int p : positions) {
            digits_[p]->move(at, bottom);
            digits_[p]->show();
            at += kPitch;
        }
    }
}

void BitsDisplay::draw(int position) {
    QLCDNumber* digit = digits_[position];
    digit->display(image_.value(position));
    QPalette palette = digit->palette();
    palette.setColor(QPalette::WindowText, segmentColour(image_.emphasis(position)));
    digit->setPalette(palette);
}
