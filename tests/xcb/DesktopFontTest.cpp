// At a desktop font of 12 points (KDE's font setting, which the xcb_desktop_font run gives the
// program): what the windows drawn to fixed places show, and that the plot window, which has
// layouts, follows the desktop.
#include "MainWindowRig.h"
#include "ui/about/frmAbout.h"
#include "ui/main/Form1.h"
#include "ui/plot/ReadbackPlot.h"
#include "ui/shared/CaptionFrame.h"
#include "ui/shared/WrappedOption.h"

// Every caption of window on show that takes its font from the window is whole in its place.
static void expectCaptionsWhole(const QWidget* window) {
    for (const QWidget* control : window->findChildren<QWidget*>()) {
        if (!control->isVisibleTo(window) || control->testAttribute(Qt::WA_SetFont)) continue;
        const QFontMetrics metrics = control->fontMetrics();
        const auto room = [control](QStyle::PixelMetric indicator, QStyle::PixelMetric spacing) {
            return control->width() - control->style()->pixelMetric(indicator) -
                   control->style()->pixelMetric(spacing);
        };
        int needed = 0, width = 0;
        if (const auto* label = qobject_cast<const QLabel*>(control)) {
            const QRect shown = label->contentsRect();
            const int flags = (label->wordWrap() ? Qt::TextWordWrap : 0) | label->alignment();
            EXPECT_TRUE(shown.contains(metrics.boundingRect(shown, flags, label->text())))
                << label->text().toStdString();
        } else if (qobject_cast<const CaptionFrame*>(control)) {
            needed = metrics.horizontalAdvance(control->accessibleName()) + 10;  // its margins
            width = control->width();
        } else if (const auto* button = qobject_cast<const QPushButton*>(control)) {
            needed = metrics.horizontalAdvance(button->text().remove('&'));
            width = control->width();
        } else if (const auto* option = qobject_cast<const QRadioButton*>(control);
                   option != nullptr && qobject_cast<const WrappedOption*>(option) == nullptr) {
            needed = metrics.horizontalAdvance(option->text());
            width = room(QStyle::PM_ExclusiveIndicatorWidth, QStyle::PM_RadioButtonLabelSpacing);
        } else if (const auto* box = qobject_cast<const QCheckBox*>(control)) {
            needed = metrics.horizontalAdvance(box->text());
            width = room(QStyle::PM_IndicatorWidth, QStyle::PM_CheckBoxLabelSpacing);
        }
        EXPECT_LE(needed, width) << control->accessibleName().toStdString() << " "
                                 << control->objectName().toStdString();
    }
}

TEST(DesktopFont, FixedWindowsKeepTheirCaptionsWholeAndThePlotWindowFollowsTheDesktop) {
    const int points = qEnvironmentVariableIntValue("XT4830_DESKTOP_FONT_TEST");
    if (points == 0) GTEST_SKIP() << "a run of its own, with the desktop font's points";
    ASSERT_EQ(QApplication::font().pointSize(), points) << "the desktop's font, set for the run";
    for (const Deliverable* deliverable : {&kXT4830, &kXT4830Version2}) {
        MainWindowRig rig(*deliverable, "", false, false);
        expectCaptionsWhole(rig.program().packageWindow());
        rig.pressOk();
        expectCaptionsWhole(&rig.main());
        rig.main().MnuAbout()->trigger();
        expectCaptionsWhole(rig.main().aboutBox());
        rig.main().MnuPlot()->trigger();
        EXPECT_EQ(QFontInfo(rig.main().plotWindow()->font()).pointSize(), points);
    }
}
