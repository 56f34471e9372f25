#pragma once

#include <QObject>

#include <memory>
#include <string>

#include "board/Board.h"
#include "board/Deliverable.h"
#include "board/FailurePolicy.h"
#include "board/Package.h"

class Dialogs;
class Form1;
class MainForm;

// The road from launch to the running main window: the package window first, then the main
// window, which opens the board before it is shown.
class Program : public QObject {
    Q_OBJECT
public:
    // programDir: the running executable's directory, symbolic links resolved, in the file
    // system's own bytes.
    Program(const Deliverable& deliverable, const std::string& programDir, Dialogs& dialogs);
    ~Program() override;

    // Names the application and shows the package window.
    void start();

    Form1* packageWindow() const { return form1_.get(); }
    MainForm* mainWindow() const { return mainForm_.get(); }
    Board& board() { return board_; }

private:
    void openMainWindow(Package package);

    const Deliverable& deliverable_;
    Dialogs& dialogs_;
    // The windows show the "error" box for every request the board refuses.
    ErrorBoxForEach errorBoxes_;
    Board board_;
    std::unique_ptr<Form1> form1_;
    std::unique_ptr<MainForm> mainForm_;
};
