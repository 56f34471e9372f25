#include "ui/main/QtDialogs.h"

#include <gtest/gtest.h>

#include <QtTest>
#include <QtWidgets>

namespace {

struct BoxSeen {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString defaultButton;
    int buttons = 0;
    Qt::CursorShape cursor = Qt::BitmapCursor;
};

// Once the next message box is open, notes how it looks and presses key in it.
std::shared_ptr<BoxSeen> answerNextBoxWith(Qt::Key key) {
    auto seen = std::make_shared<BoxSeen>();
    QTimer::singleShot(0, [seen, key] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        *seen = {box->windowTitle(),
                 box->text(),
                 box->icon(),
                 box->defaultButton() ? box->defaultButton()->text() : QString(),
                 static_cast<int>(box->buttons().size()),
                 QGuiApplication::overrideCursor() ? QGuiApplication::overrideCursor()->shape()
                                                   : Qt::BitmapCursor};
        QTest::keyClick(box, key);
    });
    return seen;
}

}  // namespace

TEST(QtDialogs, RetryBoxHasWarningIconAndRetryAsDefault) {
    QApplication::setApplicationName("XT4830");
    QtDialogs dialogs;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);  // the program is busy opening
    const auto seen = answerNextBoxWith(Qt::Key_Return);
    const Answer answer = dialogs.show({"Failed.\r\nClick Retry", "Failed to initalise",
                                        MessageIcon::Warning, MessageButtons::RetryCancel});
    EXPECT_EQ(answer, Answer::Retry);
    EXPECT_EQ(seen->title, "Failed to initalise");
    EXPECT_EQ(seen->text, "Failed.\nClick Retry");
    EXPECT_EQ(seen->icon, QMessageBox::Warning);
    EXPECT_EQ(seen->defaultButton, "Retry");
    EXPECT_EQ(seen->buttons, 2);
    EXPECT_EQ(seen->cursor, Qt::ArrowCursor) << "a box shows the ordinary pointer";
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor) << "busy again after";
    QGuiApplication::restoreOverrideCursor();

    answerNextBoxWith(Qt::Key_Escape);
    EXPECT_EQ(dialogs.show({"x", "t", MessageIcon::Warning, MessageButtons::RetryCancel}),
              Answer::Cancel);
}
