#include "ui/shared/WrappedOption.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace {

constexpr int kTextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;

}  // namespace

// Where the style puts a radio button's caption, for a button of the given size.
QRect WrappedOption::captionRect(const QRect& within) const {
    QStyleOptionButton option;
    initStyleOption(&option);
    option.rect = within;
    return style()->subElementRect(QStyle::SE_RadioButtonContents, &option, this);
}

int WrappedOption::heightForWidth(int width) const {
    const QRect caption = captionRect(QRect(0, 0, width, fontMetrics().height()));
    const QRect needed =
        fontMetrics().boundingRect(caption.adjusted(0, 0, 0, 1000), kTextFlags, text());
    return std::max(needed.height() + 2, sizeHint().height());
}

void WrappedOption::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    // The indicator beside the first line, the caption wrapped in the rest of the button.
    QStyleOptionButton indicator = option;
    indicator.rect = style()->subElementRect(QStyle::SE_RadioButtonIndicator, &option, this);
    indicator.rect.moveTop((fontMetrics().height() - indicator.rect.height()) / 2 + 1);
    painter.drawPrimitive(QStyle::PE_IndicatorRadioButton, indicator);
    const QRect caption = captionRect(rect()).adjusted(0, 0, 0, height());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QRect(caption.left(), 1, caption.width(), height() - 1), kTextFlags, text());
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = fontMetrics().boundingRect(QRect(caption.left(), 1, caption.width(), height()),
                                                kTextFlags, text());
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}
