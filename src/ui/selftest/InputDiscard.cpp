#include "ui/selftest/InputDiscard.h"

#include <QApplication>
#include <QEvent>

namespace {

class InputEater : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        // A box that opened all the same is answered by the user, never left deaf.
        if (QApplication::activeModalWidget() != modalAtStart_) return false;
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

private:
    const QWidget* modalAtStart_ = QApplication::activeModalWidget();
};

}  // namespace

void discardPendingInput() {
    InputEater eater;
    QCoreApplication::instance()->installEventFilter(&eater);
    // Everything queued so far is delivered now, input to nobody; repaints and the other
    // window events go on as usual. Timers wait until the input is taken again: an auto
    // sample that fell due during the hold may fail and open a box, and a box opened while
    // input is dropped could never be answered.
    QCoreApplication::processEvents(QEventLoop::X11ExcludeTimers);
    QCoreApplication::instance()->removeEventFilter(&eater);
}
