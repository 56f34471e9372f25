#include "ui/main/QtDialogs.h"

#include <gtest/gtest.h>

#include <QtTest>
#include <QtWidgets>

TEST(QtDialogs, RetryBoxHasWarningIconRetryAsDefaultAndTheOrdinaryPointer) {
    QtDialogs dialogs;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);  // the program is busy opening
    bool looked = false;
    QTimer::singleShot(0, [&looked] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        looked = true;
        EXPECT_EQ(box->windowTitle(), "Failed to initalise");
        EXPECT_EQ(box->text(), "Failed.\nClick Retry");
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        EXPECT_EQ(box->defaultButton()->text(), "Retry");
        EXPECT_EQ(box->buttons().size(), 2);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::ArrowCursor);
        QTest::keyClick(box, Qt::Key_Return);
    });
    EXPECT_EQ(dialogs.show({"Failed.\r\nClick Retry", "Failed to initalise", MessageIcon::Warning,
                            MessageButtons::RetryCancel}),
              Answer::Retry);
    EXPECT_TRUE(looked);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor) << "busy again after";
    QGuiApplication::restoreOverrideCursor();
    QTimer::singleShot(0,
                       [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape); });
    EXPECT_EQ(dialogs.show({"x", "t", MessageIcon::Warning, MessageButtons::RetryCancel}),
              Answer::Cancel);
}

TEST(QtDialogs, EndingTheProgramEndsTheProcessAtOnceWithItsStatus) {
    EXPECT_EXIT(QtDialogs().endProgram(3), testing::ExitedWithCode(3), "");
}
