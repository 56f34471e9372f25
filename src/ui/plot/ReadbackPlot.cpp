#include "ui/plot/ReadbackPlot.h"

#include <QChartView>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "board/Dialogs.h"
#include "command/NumberReading.h"
#include "ui/monitor/AdcMonitor.h"
#include "ui/plot/FormFields.h"
#include "ui/plot/LinearityPage.h"
#include "ui/plot/StripChartPage.h"
#include "ui/plot/SweepPage.h"

namespace {

bool writeWhole(const QString& path, const std::string& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(text.data(), static_cast<qint64>(text.size())) ==
               static_cast<qint64>(text.size());
}

}  // namespace

ReadbackPlot::ReadbackPlot(Declare& requests, AdcMonitor& monitor, Dialogs& dialogs,
                           const Provenance& provenance, QWidget* parent)
    : QWidget(parent, Qt::Window),
      dialogs_(dialogs),
      tabs_(new QTabWidget(this)),
      stripChart_(new StripChartPage(this)),
      sweep_(new SweepPage(requests, monitor, dialogs, this)),
      linearity_(new LinearityPage(requests, monitor, dialogs, provenance, this)),
      saveJson_(new QPushButton(QStringLiteral("Save JSON..."))) {
    setObjectName(QStringLiteral("ReadbackPlot"));
    setWindowTitle(QStringLiteral("Read-back Plot"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(1180, 720);
    tabs_->addTab(stripChart_, QStringLiteral("Strip Chart"));
    tabs_->addTab(sweep_, QStringLiteral("Sweep"));
    tabs_->addTab(linearity_, QStringLiteral("Linearity"));
    auto* saveCsv = new QPushButton(QStringLiteral("Save CSV..."));
    auto* savePng = new QPushButton(QStringLiteral("Save PNG..."));
    connect(saveCsv, &QPushButton::clicked, this,
            [this] { save(QStringLiteral("CSV (*.csv)"), &ReadbackPlot::saveCsv); });
    connect(savePng, &QPushButton::clicked, this,
            [this] { save(QStringLiteral("PNG picture (*.png)"), &ReadbackPlot::savePng); });
    connect(saveJson_, &QPushButton::clicked, this,
            [this] { save(QStringLiteral("JSON (*.json)"), &ReadbackPlot::saveJson); });
    saveJson_->setEnabled(false);
    connect(tabs_, &QTabWidget::currentChanged, this,
            [this] { saveJson_->setEnabled(tabs_->currentWidget() == linearity_); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(saveCsv);
    buttons->addWidget(savePng);
    buttons->addWidget(saveJson_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addLayout(buttons);
    // The plot only listens: every sample the monitor takes, with its ADC reference.
    connect(&monitor, &AdcMonitor::sampled, this, [this, &monitor](int input, int count, double v) {
        const double reference = readLenientDecimal(monitor.adcVddText()->text().toStdString());
        stripChart_->addSample(input, count, v, reference);
    });
}

bool ReadbackPlot::saveCsv(const QString& path) const {
    const QWidget* shown = tabs_->currentWidget();
    const std::optional<std::string> text = shown == linearity_ ? linearity_->csv()
                                            : shown == sweep_   ? sweep_->csv()
                                                                : stripChart_->history().csv();
    return text && writeWhole(path, *text);
}

bool ReadbackPlot::savePng(const QString& path) const {
    const QWidget* shown = tabs_->currentWidget();
    QWidget* plot = shown == linearity_ ? linearity_->plots()
                    : shown == sweep_   ? static_cast<QWidget*>(sweep_->chartView())
                                        : stripChart_->chartView();
    return plot->grab().save(path, "PNG");
}

bool ReadbackPlot::saveJson(const QString& path) const {
    const std::optional<std::string> text = linearity_->json();
    return text && writeWhole(path, *text);
}

void ReadbackPlot::save(const QString& filter, bool (ReadbackPlot::*write)(const QString&) const) {
    const QString path = QFileDialog::getSaveFileName(this, QString(), QString(), filter);
    if (path.isEmpty() || (this->*write)(path)) return;
    const bool nothing = tabs_->currentWidget() == linearity_ && !linearity_->result();
    warn(dialogs_, nothing ? "There are no figures to save yet: run a characterisation first."
                           : "Cannot write " + path.toStdString() + ".");
}
