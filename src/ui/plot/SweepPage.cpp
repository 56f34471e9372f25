#include "ui/plot/SweepPage.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValueAxis>

#include "board/Declare.h"
#include "board/Dialogs.h"
#include "board/ResultTables.h"
#include "command/NumberReading.h"
#include "ui/monitor/AdcMonitor.h"

namespace {

// Each slice measures points for this long, then lets the window handle its events; the lines
// are drawn anew at most this often while a sweep runs.
constexpr qint64 kSliceMs = 15;
constexpr qint64 kDrawEveryMs = 200;

QLineEdit* field(QFormLayout* form, const QString& label, const QString& text) {
    auto* edit = new QLineEdit(text);
    form->addRow(label, edit);  // the label is the field's buddy
    return edit;
}

std::optional<int32_t> hexCode(const QString& text) {
    const auto value = readWholeUnsigned(text.trimmed().toStdString(), 16);
    if (!value || *value > 0xFFFF) return std::nullopt;
    return static_cast<int32_t>(*value);
}

}  // namespace

SweepPage::SweepPage(Declare& requests, AdcMonitor& monitor, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent),
      requests_(requests),
      monitor_(&monitor),
      dialogs_(dialogs),
      input_(new QComboBox),
      start_(new QPushButton(QStringLiteral("Start"))),
      cancel_(new QPushButton(QStringLiteral("Cancel"))),
      progress_(new QProgressBar),
      summary_(new QLabel),
      view_(new QChartView(new QChart, this)),
      measured_(new QLineSeries(this)),
      ideal_(new QLineSeries(this)) {
    input_->addItems(
        {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D")});
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Input:"), input_);
    from_ = field(form, QStringLiteral("From code (hex):"), QStringLiteral("0"));
    to_ = field(form, QStringLiteral("To code (hex):"), QStringLiteral("FFFF"));
    step_ = field(form, QStringLiteral("Step (hex):"), QStringLiteral("100"));
    reference_ = field(form, QStringLiteral("DAC reference (V):"), QStringLiteral("3"));
    cancel_->setEnabled(false);
    progress_->setAccessibleName(QStringLiteral("Sweep progress"));
    summary_->setAccessibleName(QStringLiteral("Sweep summary"));
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    summary_->setWordWrap(true);
    auto* note = new QLabel(QStringLiteral("A sweep leaves the output at the last code written."));
    note->setWordWrap(true);

    measured_->setName(QStringLiteral("Measured"));
    ideal_->setName(QStringLiteral("Ideal: code x reference / 65536"));
    QChart* chart = view_->chart();
    auto* codes = new QValueAxis(this);
    auto* volts = new QValueAxis(this);
    codes->setTitleText(QStringLiteral("Code"));
    codes->setLabelFormat(QStringLiteral("%d"));
    codes->setRange(0, 65535);
    volts->setTitleText(QStringLiteral("Volts"));
    volts->setRange(0, 3);
    chart->addAxis(codes, Qt::AlignBottom);
    chart->addAxis(volts, Qt::AlignLeft);
    for (QLineSeries* series : {ideal_, measured_}) {
        chart->addSeries(series);
        series->attachAxis(codes);
        series->attachAxis(volts);
    }
    view_->setAccessibleName(QStringLiteral("Sweep chart"));

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
    layout->addWidget(view_, 1);

    slices_.setInterval(0);
    connect(&slices_, &QTimer::timeout, this, &SweepPage::runSlice);
    connect(start_, &QPushButton::clicked, this, &SweepPage::Start_Click);
    connect(cancel_, &QPushButton::clicked, this, &SweepPage::Cancel_Click);
}

// Closing the window in the middle of a sweep ends it: the board and the monitor are given back.
SweepPage::~SweepPage() {
    if (running()) stop();
}

std::optional<SweepSettings> SweepPage::settingsFromFields() {
    const auto from = hexCode(from_->text());
    const auto to = hexCode(to_->text());
    const auto step = hexCode(step_->text());
    const auto reference = readStrictDecimal(reference_->text().toStdString());
    std::string problem;
    if (!from || !to || !step)
        problem = "The codes and the step are hexadecimal, 0 to FFFF.";
    else if (*step == 0)
        problem = "The step must be 1 or more.";
    else if (*to < *from)
        problem = "The last code lies below the first.";
    else if (!reference || !(*reference > 0))
        problem = "The DAC reference is a number of volts above 0.";
    if (!problem.empty()) {
        dialogs_.show({problem, "", MessageIcon::Warning, MessageButtons::Ok});
        return std::nullopt;
    }
    SweepSettings settings;
    settings.output = input_->currentIndex();
    settings.from = *from;
    settings.to = *to;
    settings.step = *step;
    settings.dacReference = *reference;
    return settings;
}

void SweepPage::Start_Click() {
    if (running()) return;
    const auto settings = settingsFromFields();
    if (!settings) return;
    points_.clear();
    measured_->clear();
    ideal_->clear();
    summary_->clear();
    failure_.reset();
    auto* codes = static_cast<QValueAxis*>(view_->chart()->axes(Qt::Horizontal).at(0));
    auto* volts = static_cast<QValueAxis*>(view_->chart()->axes(Qt::Vertical).at(0));
    codes->setRange(settings->from, settings->to);
    volts->setRange(0, settings->dacReference);
    // The sweep has the ADC to itself; a refused request stops it with one message.
    monitor_->holdAutoSampling(true);
    requests_.onFailure = [this](const BoardRequest& request, int16_t result) {
        if (!failure_) failure_ = describeFailure(request, result);
    };
    sweep_ = std::make_unique<Sweep>(requests_, *settings);
    progress_->setRange(0, sweep_->total());
    progress_->setValue(0);
    sinceDrawn_.start();
    start_->setEnabled(false);
    cancel_->setEnabled(true);
    slices_.start();
}

void SweepPage::runSlice() {
    QElapsedTimer slice;
    slice.start();
    while (running() && !sweep_->done() && !failure_ && slice.elapsed() < kSliceMs) {
        const SweepPoint p = sweep_->next();
        if (failure_) break;  // a point whose request failed is not kept
        points_.push_back(p);
    }
    progress_->setValue(static_cast<int>(points_.size()));
    if (failure_ || sweep_->done()) return finish();
    if (sinceDrawn_.elapsed() >= kDrawEveryMs) draw();
}

// The lines take every point measured so far in one change: a chart works out its whole line
// again at every change, and appending points one by one would do that for each.
void SweepPage::draw() {
    QList<QPointF> ideal, measured;
    ideal.reserve(static_cast<qsizetype>(points_.size()));
    measured.reserve(static_cast<qsizetype>(points_.size()));
    for (const SweepPoint& p : points_) {
        ideal.append(QPointF(p.code, p.idealVolts));
        measured.append(QPointF(p.code, p.measuredVolts));
    }
    ideal_->replace(ideal);
    measured_->replace(measured);
    sinceDrawn_.restart();
}

void SweepPage::Cancel_Click() {
    if (running()) finish();
}

void SweepPage::stop() {
    slices_.stop();
    sweep_.reset();
    requests_.onFailure = nullptr;
    if (monitor_) monitor_->holdAutoSampling(false);
}

void SweepPage::finish() {
    stop();
    draw();
    start_->setEnabled(true);
    cancel_->setEnabled(false);
    summary_->setText(QString::fromStdString(summaryText(summarize(points_))));
    if (failure_) {
        dialogs_.show({"The sweep stopped: the " + *failure_ + ".", "", MessageIcon::Warning,
                       MessageButtons::Ok});
    }
}

std::string SweepPage::csv() const {
    std::string text = std::string(kSweepColumns) + "\n";
    for (const SweepPoint& p : points_)
        text += joined(sweepFields(p), ",") + "\n";
    return text;
}
