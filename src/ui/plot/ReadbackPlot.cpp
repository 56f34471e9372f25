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
#include "ui/plot/StripChartPage.h"
#include "ui/plot/SweepPage.h"

ReadbackPlot::ReadbackPlot(Declare& requests, AdcMonitor& monitor, Dialogs& dialogs,
                           QWidget* parent)
    : QWidget(parent, Qt::Window),
      dialogs_(dialogs),
      tabs_(new QTabWidget(this)),
      stripChart_(new StripChartPage(this)),
      sweep_(new SweepPage(requests, monitor, dialogs, this)) {
    setObjectName(QStringLiteral("ReadbackPlot"));
    setWindowTitle(QStringLiteral("Read-back Plot"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(820, 520);
    tabs_->addTab(stripChart_, QStringLiteral("Strip Chart"));
    tabs_->addTab(sweep_, QStringLiteral("Sweep"));
    auto* saveCsv = new QPushButton(QStringLiteral("Save CSV..."));
    auto* savePng = new QPushButton(QStringLiteral("Save PNG..."));
    connect(saveCsv, &QPushButton::clicked, this,
            [this] { save(QStringLiteral("CSV (*.csv)"), &ReadbackPlot::saveCsv); });
    connect(savePng, &QPushButton::clicked, this,
            [this] { save(QStringLiteral("PNG picture (*.png)"), &ReadbackPlot::savePng); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(saveCsv);
    buttons->addWidget(savePng);
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
    const std::string text =
        tabs_->currentWidget() == sweep_ ? sweep_->csv() : stripChart_->history().csv();
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(text.data(), static_cast<qint64>(text.size())) ==
               static_cast<qint64>(text.size());
}

bool ReadbackPlot::savePng(const QString& path) const {
    QChartView* view =
        tabs_->currentWidget() == sweep_ ? sweep_->chartView() : stripChart_->chartView();
    return view->grab().save(path, "PNG");
}

void ReadbackPlot::save(const QString& filter, bool (ReadbackPlot::*write)(const QString&) const) {
    const QString path = QFileDialog::getSaveFileName(this, QString(), QString(), filter);
    if (path.isEmpty() || (this->*write)(path)) return;
    dialogs_.show(
        {"Cannot write " + path.toStdString() + ".", "", MessageIcon::Warning, MessageButtons::Ok});
}
