#include "ui/selftest/InputDiscard.h"

#include <QCoreApplication>
#include <QEvent>

namespace {

class InputEater : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::ShortcutOverride:
            case QEvent::Wheel:
            case QEvent::TouchBegin:
            case QEvent::TouchUpdate:
            case QEvent::TouchEnd:
                return true;
            default:
                return false;
        }
    }
};

}  // namespace

void discardPendingInput() {
    InputEater eater;
    QCoreApplication::instance()->installEventFilter(&eater);
    // Everything queued so far is delivered now, input to nobody; the rest, repaints
    // included, goes on as usual.
    QCoreApplication::processEvents();
    QCoreApplication::instance()->removeEventFilter(&eater);
}
