#include "MainWindowRig.h"

#include <filesystem>

#include "ui/main/Form1.h"

MainWindowRig::MainWindowRig(const Deliverable& deliverable, const char* boardSettings,
                             bool endingExits, bool pressOk)
    : lib(deliverable), dialogs({}, endingExits) {
    lib.reset(boardSettings);
    trace_ = testTracePath();
    lib.startTrace(trace_.c_str());
    program_ = std::make_unique<Program>(deliverable, kProgramDir, dialogs);
    program_->start();
    if (pressOk) this->pressOk();
}

void MainWindowRig::pressOk() const {
    QTest::mouseClick(program_->packageWindow()->Command1(), Qt::LeftButton);
    ASSERT_NE(program_->mainWindow(), nullptr);
    main().activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&main()));
}

MainWindowRig::~MainWindowRig() {
    lib.stopTrace();
    std::filesystem::remove(trace_);
}

std::string deliverableName(const testing::TestParamInfo<const Deliverable*>& info) {
    return info.param == &kXT4830Version2 ? "Version2" : "XT4830";
}

std::string testTracePath() {
    std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(name.begin(), name.end(), '/', '-');
    return std::filesystem::temp_directory_path() / ("xt4830-" + name + ".trace");
}

std::string dacWriteLine(int32_t word) {
    return dacRequestLine(0x3E00 + (word >> 16), word & 0xFFFF);
}

void toggleByAccessibility(QWidget* control) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(control);
    ASSERT_NE(face, nullptr);
    ASSERT_NE(face->actionInterface(), nullptr);
    face->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
}

void click(QWidget* control) {
    EXPECT_TRUE(control->isVisible()) << control->metaObject()->className();
    QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(6, 6));
}

void type(QLineEdit* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, text);
}

QStringList drawnTexts(QChartView* view) {
    view->window()->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(view->window()));
    for (int round = 0; round < 3; ++round)  // the axes relabel after each layout
        QCoreApplication::processEvents();
    QStringList texts;
    const QRectF shown = view->mapToScene(view->viewport()->rect()).boundingRect();
    for (const QGraphicsItem* item : view->scene()->items()) {
        const auto* text = dynamic_cast<const QGraphicsTextItem*>(item);
        if (text != nullptr && text->isVisible() && shown.contains(text->sceneBoundingRect()))
            texts << text->toPlainText();
    }
    return texts;
}
