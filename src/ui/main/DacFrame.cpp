#include "ui/main/DacFrame.h"

#include <QPushButton>

#include "board/Declare.h"
#include "ui/main/BitsDisplay.h"
#include "ui/main/CommandPanels.h"
#include "ui/main/DataEntry.h"
#include "ui/main/HardwarePins.h"

DacFrame::DacFrame(QWidget* parent, const QRect& geometry, bool secondRow, Declare& requests)
    : CaptionFrame(QStringLiteral("DAC"), parent), requests_(requests) {
    setGeometry(geometry);
    bits_ = std::make_unique<BitsDisplay>(this, secondRow, composer_.image());
    auto* dataFrame = new QWidget(this);
    dataFrame->setObjectName(QStringLiteral("dataFrame"));
    entry_ = new DataEntry(dataFrame, composer_);
    panels_ = new CommandPanels(this, secondRow, composer_, *entry_, dataFrame);

    writeToPartCommand_ = new QPushButton(QStringLiteral("Write to Part"), this);
    writeToPartCommand_->setObjectName(QStringLiteral("writeToPartCommand"));
    writeToPartCommand_->setGeometry(545, 276, 120, 30);
    writeToPartCommand_->setAutoDefault(true);
    connect(writeToPartCommand_, &QPushButton::clicked, this, &DacFrame::writeToPartCommand_Click);
    pins_ = new HardwarePins(this, requests);
}

DacFrame::~DacFrame() = default;

void DacFrame::writeToPartCommand_Click() {
    requests_.WriteDacWord(composer_.word());
}
