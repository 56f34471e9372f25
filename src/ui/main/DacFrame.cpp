#include "DacFrame.h"

#include <QPushButton>
#include <QShortcut>

#include "BitsDisplay.h"
#include "CommandPanels.h"
#include "CommandWord.h"
#include "DataEntry.h"
#include "Declare.h"
#include "HardwarePins.h"

DacFrame::DacFrame(QWidget* parent, const QRect& geometry, Variant variant, Declare& requests)
    : CaptionFrame(QStringLiteral("DAC"), parent), requests_(requests) {
    setGeometry(geometry);
    bits_ = std::make_unique<BitsDisplay>(this, variant);
    auto* dataFrame = new QWidget(this);
    dataFrame->setObjectName(QStringLiteral("dataFrame"));
    entry_ = new DataEntry(dataFrame, *bits_);
    panels_ = new CommandPanels(this, variant, *bits_, *entry_, dataFrame);

    writeToPartCommand_ = new QPushButton(QStringLiteral("Write to Part"), this);
    writeToPartCommand_->setObjectName(QStringLiteral("writeToPartCommand"));
    writeToPartCommand_->setGeometry(545, 276, 120, 30);
    connect(writeToPartCommand_, &QPushButton::clicked, this, &DacFrame::writeToPartCommand_Click);
    // Write to Part is the window's default button: Enter anywhere in the window presses it.
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, writeToPartCommand_, &QPushButton::animateClick);
    }
    pins_ = new HardwarePins(this, requests);
}

DacFrame::~DacFrame() = default;

void DacFrame::writeToPartCommand_Click() {
    requests_.WriteDacWord(commandWordFromImage(*bits_));
}
