#pragma once

#include <QDialog>

#include "board/BoardChoice.h"
#include "board/Deliverable.h"

class Dialogs;
class QLabel;
class QPushButton;
class SysInfoPlatform;

// The About box: name, version and credits, and a launcher for the desktop's system
// information tool.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    // kind: on the virtual board the box has a line that says so.
    frmAbout(const Deliverable& deliverable, BoardKind kind, SysInfoPlatform& platform,
             Dialogs& dialogs, QWidget* parent);

    void cmdSysInfo_Click();

    QLabel* lblVersion() const { return lblVersion_; }
    QPushButton* cmdOK() const { return cmdOK_; }
    QPushButton* cmdSysInfo() const { return cmdSysInfo_; }

    // The maker's website named in the box.
    static constexpr const char* kWebsite = "www.example.com";

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    SysInfoPlatform& platform_;
    Dialogs& dialogs_;
    QLabel* lblVersion_;
    QPushButton* cmdOK_;
    QPushButton* cmdSysInfo_;
};
