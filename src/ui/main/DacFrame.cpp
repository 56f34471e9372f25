#include "DacFrame.h"

#include <QPushButton>

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
    writeToPartCommand_->setAutoDefault(true);
    connect(writeToPartCommand_, &QPushButton::clicked, this, &DacFrame::writeToPartCommand_Click);
    pins_ = new HardwarePins(this, requests);
}

DacFrame::~DacFrame() = default;

void DacFrame::writeToPartCommand_Click() {
    requests_.WriteDacWord(commandWordFromImage(*bits_));
}
