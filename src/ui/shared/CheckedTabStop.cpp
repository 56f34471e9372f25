#include "ui/shared/CheckedTabStop.h"

#include <QAbstractButton>
#include <QButtonGroup>

void keepTabStopOnCheckedOption(QButtonGroup& group) {
    QObject::connect(
        &group, &QButtonGroup::buttonToggled, &group, [&group](QAbstractButton* checked, bool on) {
            if (!on) return;
            for (QAbstractButton* option : group.buttons()) {
                const Qt::FocusPolicy policy = option->focusPolicy();
                option->setFocusPolicy(option == checked ? Qt::FocusPolicy(policy | Qt::TabFocus)
                                                         : Qt::FocusPolicy(policy & ~Qt::TabFocus));
            }
        });
}
