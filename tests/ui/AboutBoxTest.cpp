// The About box on the real main window.
#include "MainWindowRig.h"
#include "ui/about/frmAbout.h"

static std::string text(const frmAbout& box, const char* label) {
    return box.findChild<QLabel*>(label)->text().toStdString();
}

TEST(AboutBox, ShowsEachDeliverablesVersionAndItsFixedTexts) {
    for (const auto& [deliverable, version] :
         {std::pair{&kXT4830, "Version 1.0.2"}, std::pair{&kXT4830Version2, "Version 1.0.4"}}) {
        MainWindowRig rig(*deliverable);
        rig.main().MnuAbout()->trigger();
        frmAbout* box = rig.main().aboutBox();
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(box->isVisible());
        EXPECT_FALSE(box->isModal());
        EXPECT_EQ(text(*box, "lblVersion"), version);
        EXPECT_EQ(box->windowTitle(), "About XT4830R Evaluation Software");
        EXPECT_EQ(text(*box, "lblTitle"), "XT4830R Evaluation Board Software");
        EXPECT_EQ(text(*box, "lblDescription"),
                  "Hardware and Software developed by the Kestrel Applications Group");
        EXPECT_EQ(text(*box, "Label1"),
                  "The latest version of all Halbrook software is available from our website " +
                      std::string(frmAbout::kWebsite));
        EXPECT_EQ(text(*box, "lblBoard"), "Running on the virtual board, not on hardware");
        EXPECT_EQ(box->size(), QSize(382, 253));
        EXPECT_EQ(box->cmdSysInfo()->text(), "&System Info...");
        EXPECT_TRUE(box->cmdOK()->isDefault());
        // The etched separator at 2610 twips: a grey line with two white ones beneath it.
        const QImage drawn = box->grab().toImage();
        EXPECT_EQ(drawn.pixelColor(100, 174), QColor(128, 128, 128));
        EXPECT_EQ(drawn.pixelColor(100, 175), QColor(Qt::white));
        EXPECT_EQ(drawn.pixelColor(100, 176), QColor(Qt::white));
        EXPECT_NE(drawn.pixelColor(100, 177), QColor(Qt::white));
    }
}

TEST(AboutBox, OneBoxAtATimeClosedByOkEnterOrEsc) {
    MainWindowRig rig(kXT4830);
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        rig.main().MnuAbout()->trigger();
        frmAbout* box = rig.main().aboutBox();
        rig.main().MnuAbout()->trigger();
        EXPECT_EQ(rig.main().aboutBox(), box) << "brought forward, not opened again";
        QTest::keyClick(box->cmdOK(), key);  // OK has the focus when the box opens
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(rig.main().aboutBox(), nullptr) << key;
    }
}
