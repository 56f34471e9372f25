#pragma once

#include <QString>
#include <QWidget>

// A frame in the classic style: an etched rectangle whose top edge carries a caption, drawn
// in the frame's own palette. Lighter than a group box, which matters on the way to the first
// window, and it keeps the captions in the window's plain font.
class CaptionFrame : public QWidget {
    Q_OBJECT
public:
    CaptionFrame(const QString& caption, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
};
