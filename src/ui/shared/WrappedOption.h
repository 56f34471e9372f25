#pragma once

#include <QRadioButton>

// An option button whose caption wraps onto further lines within the button, where a plain one
// would cut it off at its right edge.
class WrappedOption : public QRadioButton {
    Q_OBJECT
public:
    using QRadioButton::QRadioButton;

    bool hasHeightForWidth() const override { return true; }
    // The height that shows the whole caption wrapped within width.
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect captionRect(const QRect& within) const;
};
