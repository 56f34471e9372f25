#include "ui/plot/SweepPage.h"

#include <QCategoryAxis>
#include <QChart>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>

#include "board/Dialogs.h"
#include "command/NumberReading.h"
#include "measure/ResultTables.h"
#include "ui/plot/ChartAxes.h"
#include "ui/plot/ChartView.h"
#include "ui/plot/FormFields.h"

SweepPage::SweepPage(Declare& requests, AdcMonitor& monitor, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent),
      requests_(requests),
      dialogs_(dialogs),
      input_(new QComboBox),
      start_(new QPushButton(QStringLiteral("Start"))),
      cancel_(new QPushButton(QStringLiteral("Cancel"))),
      progress_(new QProgressBar),
      summary_(new QLabel),
      plots_(new QWidget(this)),
      view_(new ChartView(new QChart, plots_)),
      measured_(new QLineSeries(this)),
      ideal_(new QLineSeries(this)),
      errors_(new QLineSeries(this)),
      // What a DAC engineer reads first: how far each code lands from where it should.
      errorView_(codePlotView(plots_, errors_, QStringLiteral("Error: measured minus ideal"),
                              QStringLiteral("ADC counts"))),
      run_(requests, monitor, nullptr) {
    input_->addItems(
        {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D")});
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Input:"), input_);
    from_ = field(form, QStringLiteral("From code (hex):"), QStringLiteral("0"));
    to_ = field(form, QStringLiteral("To code (hex):"), QStringLiteral("FFFF"));
    step_ = field(form, QStringLiteral("Step (hex):"), QStringLiteral("100"));
    reference_ = field(form, QStringLiteral("DAC reference (V):"), QStringLiteral("3"));
    meter_ = new MeterField(
        dialogs, [this] { return running(); }, Qt::Vertical);
    // A short label: the charts beside the form keep their width.
    form->addRow(QStringLiteral("Meter:"), meter_);
    meter_->text()->setPlaceholderText(QStringLiteral("TCPIP::host::5025::SOCKET"));
    cancel_->setEnabled(false);
    progress_->setAccessibleName(QStringLiteral("Sweep progress"));
    // A label's text is its name for a screen reader; what it is goes in the description.
    summary_->setAccessibleDescription(QStringLiteral("Sweep summary"));
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    summary_->setWordWrap(true);
    auto* note = new QLabel(QStringLiteral("A sweep leaves the output at the last code written."));
    note->setWordWrap(true);

    measured_->setName(QStringLiteral("Measured"));
    ideal_->setName(QStringLiteral("Ideal: code x reference / 65536"));
    QChart* chart = view_->chart();
    QCategoryAxis* codes = addCodeAxis(*chart);
    QValueAxis* volts = addValueAxis(*chart, QStringLiteral("Volts"));
    setValueRange(*volts, 0, 3);
    for (QLineSeries* series : {ideal_, measured_}) {
        chart->addSeries(series);
        series->attachAxis(codes);
        series->attachAxis(volts);
    }
    chart->setTitle(QStringLiteral("Transfer function"));
    errors_->setName(QStringLiteral("Error"));
    view_->addReading(measured_, QStringLiteral("V"));
    errorView_->addReading(errors_, QStringLiteral("counts"));
    view_->setAccessibleName(QStringLiteral("Sweep chart"));
    errorView_->setAccessibleName(QStringLiteral("Sweep error chart"));
    auto* plotsLayout = new QHBoxLayout(plots_);
    plotsLayout->setContentsMargins(0, 0, 0, 0);
    plotsLayout->addWidget(view_);
    plotsLayout->addWidget(errorView_);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(start_);
    buttons->addWidget(cancel_);
    buttons->addWidget(progress_);
    auto* side = new QVBoxLayout;
    side->addLayout(form);
    side->addLayout(buttons);
    side->addWidget(summary_);
    side->addWidget(note);
    side->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(side);
    layout->addWidget(plots_, 1);

    connect(start_, &QPushButton::clicked, this, &SweepPage::Start_Click);
    connect(cancel_, &QPushButton::clicked, this, &SweepPage::Cancel_Click);
}

std::optional<SweepSettings> SweepPage::settingsFromFields() {
    const auto from = hexCode(from_->text());
    const auto to = hexCode(to_->text());
    const auto step = hexCode(step_->text());
    if (!from || !to || !step) {
        warn(dialogs_, "The codes and the step are hexadecimal, 0 to FFFF.");
        return std::nullopt;
    }
    SweepSettings settings;
    settings.output = input_->currentIndex();
    settings.from = *from;
    settings.to = *to;
    settings.step = *step;
    // Text that is no number is no reference: the check below names it.
    settings.dacReference = readStrictDecimal(reference_->text().toStdString()).value_or(0);
    if (shownProblem(dialogs_, sweepSettingsProblem(settings))) return std::nullopt;
    return settings;
}

void SweepPage::Start_Click() {
    if (running()) return;
    const auto settings = settingsFromFields();
    if (!settings) return;
    points_.clear();
    for (QLineSeries* series : {measured_, ideal_, errors_})
        series->clear();
    summary_->clear();
    for (ChartView* view : {view_, errorView_}) {
        auto* codes = static_cast<QCategoryAxis*>(view->chart()->axes(Qt::Horizontal).at(0));
        setCodeRange(*codes, settings->from, settings->to);
    }
    setValueRange(*static_cast<QValueAxis*>(view_->chart()->axes(Qt::Vertical).at(0)), 0,
                  settings->dacReference);
    openMeter_.reset();
    meterFailure_.clear();
    if (!meter_->resource().empty()) {
        openMeter_ = meter_->open();
        if (!openMeter_) return;
    }
    sweep_ = std::make_unique<Sweep>(requests_, *settings, openMeter_ ? &*openMeter_ : nullptr);
    progress_->setRange(0, sweep_->total());
    progress_->setValue(0);
    start_->setEnabled(false);
    cancel_->setEnabled(true);
    run_.start({[this] { return sweep_->done() || !meterFailure_.empty(); },
                [this] {
                    // A meter that fails ends the sweep with the points measured.
                    try {
                        const SweepPoint p = sweep_->next();
                        if (!run_.refusal()) points_.push_back(p);  // a failed point is not kept
                    } catch (const MeterError& e) {
                        meterFailure_ = e.what();
                    }
                },
                [this] { progress_->setValue(static_cast<int>(points_.size())); },
                [this] { draw(); }, [this] { finish(); }});
}

// The lines take every point measured so far in one change: a chart works out its whole line
// again at every change, and appending points one by one would do that for each.
void SweepPage::draw() {
    QList<QPointF> ideal, measured, errors;
    int32_t low = 0, high = 0;
    for (const SweepPoint& p : points_) {
        ideal.append(QPointF(p.code, p.idealVolts));
        measured.append(QPointF(p.code, p.measuredVolts));
        errors.append(QPointF(p.code, p.difference));
        low = std::min(low, p.difference);
        high = std::max(high, p.difference);
    }
    ideal_->replace(ideal);
    measured_->replace(measured);
    errors_->replace(errors);
    fitVertical(errorView_, low, high);
}

void SweepPage::Cancel_Click() {
    run_.cancel();
}

void SweepPage::finish() {
    start_->setEnabled(true);
    cancel_->setEnabled(false);
    summary_->setText(QString::fromStdString(summaryText(summarize(points_))));
    if (const auto refusal = run_.refusal())
        warn(dialogs_, "The sweep stopped: the " + *refusal + ".");
    if (!meterFailure_.empty()) warn(dialogs_, "The sweep stopped: " + meterFailure_ + ".");
}

std::string SweepPage::csv(Provenance provenance) const {
    if (sweep_) provenance.settings = settingsOf(sweep_->settings());
    provenance.meter = openMeter_ ? openMeter_->identity() : std::string();
    std::string text = provenanceComment(provenance) + kSweepColumns + "\n";
    for (const SweepPoint& p : points_)
        text += joined(sweepFields(p), ",") + "\n";
    return text;
}
