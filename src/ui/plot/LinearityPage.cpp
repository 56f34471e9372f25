#include "ui/plot/LinearityPage.h"

#include <QAreaSeries>
#include <QChart>
#include <QColor>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QPainter>
#include <QPen>
#include <QProgressBar>
#include <QPushButton>
#include <QScatterSeries>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>

#include <cmath>
#include <limits>
#include <string_view>

#include "board/Dialogs.h"
#include "command/CodeVoltage.h"
#include "command/NumberReading.h"
#include "measure/ResultTables.h"
#include "ui/plot/ChartAxes.h"
#include "ui/plot/ChartView.h"
#include "ui/plot/FormFields.h"

namespace {

constexpr int kProgressSteps = 1000;

QComboBox* choice(QFormLayout* form, const QString& label, const auto& names) {
    auto* box = new QComboBox;
    for (const char* name : names)
        box->addItem(QString::fromLatin1(name));
    form->addRow(label, box);
    return box;
}

// A whole number in base, or fallback (a value the settings check refuses and names).
int32_t wholeOr(const QLineEdit* edit, int base, int32_t fallback) {
    const auto value = readWholeUnsigned(edit->text().trimmed().toStdString(), base);
    return value && *value <= 0x7FFFFFFF ? static_cast<int32_t>(*value) : fallback;
}

double decimalOr(const QLineEdit* edit, double fallback) {
    return readStrictDecimal(edit->text().toStdString()).value_or(fallback);
}

ChartView* plotView(QWidget* parent, QXYSeries* series, const QString& name) {
    series->setName(name);
    ChartView* view = codePlotView(parent, series, name, QStringLiteral("LSB"));
    view->setAccessibleName(name + QStringLiteral(" chart"));
    view->chart()->legend()->show();
    return view;
}

void addOnAxes(QChart* chart, QAbstractSeries* series) {
    chart->addSeries(series);
    for (QAbstractAxis* axis : chart->axes())
        series->attachAxis(axis);
}

// A dashed red line on the view's chart, on its axes; the limits name themselves by their
// place, so the legend leaves them out.
QLineSeries* limitLine(ChartView* view) {
    auto* line = new QLineSeries(view);
    line->setPen(QPen(QColor(192, 0, 0), 1, Qt::DashLine));
    addOnAxes(view->chart(), line);
    view->chart()->legend()->markers(line).at(0)->setVisible(false);
    return line;
}

// The band of the expanded uncertainty about the view's values, read out with them.
QAreaSeries* uncertaintyBand(ChartView* view, const QXYSeries* values) {
    auto* band = new QAreaSeries(new QLineSeries(view), new QLineSeries(view));
    band->setParent(view);
    band->setName(QStringLiteral("U = 2u"));
    band->setPen(Qt::NoPen);
    band->setBrush(QColor(32, 159, 223, 64));
    addOnAxes(view->chart(), band);
    view->addReading(values, QStringLiteral("LSB"), band->upperSeries(), band->lowerSeries());
    return band;
}

// A round marker drawn by the series itself: Qt Charts' marker items, one per point, lose
// most of their points from sight past a few thousand of them, and the DNL of every code has
// 65535.
QImage dot(const QColor& colour, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawEllipse(QRectF(0, 0, size, size));
    return image;
}

}  // namespace

LinearityPage::LinearityPage(Declare& requests, AdcMonitor& monitor, Dialogs& dialogs,
                             Provenance provenance, QWidget* parent)
    : QWidget(parent),
      requests_(requests),
      dialogs_(dialogs),
      provenance_(std::move(provenance)),
      start_(new QPushButton(QStringLiteral("Start"))),
      cancel_(new QPushButton(QStringLiteral("Cancel"))),
      progress_(new QProgressBar),
      estimate_(new QLabel),
      summary_(new QTableWidget(0, 4)),
      warnings_(new QLabel),
      plots_(new QWidget(this)),
      inl_(new QLineSeries(this)),
      dnl_(new QScatterSeries(this)),
      run_(requests, monitor, nullptr) {
    auto* form = new QFormLayout;
    input_ = choice(form, QStringLiteral("Input:"), std::array{"A", "B", "C", "D"});
    plan_ = choice(form, QStringLiteral("Codes:"), kPlanNames);
    stride_ = field(form, QStringLiteral("Grid step (hex):"), QStringLiteral("40"));
    windowFrom_ = field(form, QStringLiteral("Window from (hex):"), QStringLiteral("7FF0"));
    windowTo_ = field(form, QStringLiteral("Window to (hex):"), QStringLiteral("8010"));
    samples_ = field(form, QStringLiteral("Readings per code:"), QStringLiteral("256"));
    dither_ = field(form, QStringLiteral("Dither (codes):"), QStringLiteral("0"));
    line_ = choice(form, QStringLiteral("Line:"), kLineNames);
    line_->setCurrentIndex(static_cast<int>(FitLine::LeastSquares));
    fitFrom_ = field(form, QStringLiteral("Fit from (% of full scale):"), QStringLiteral("10"));
    fitTo_ = field(form, QStringLiteral("Fit to (% of full scale):"), QStringLiteral("90"));
    reference_ = field(form, QStringLiteral("DAC reference (V):"), QStringLiteral("3"));
    // The board ADC's stated accuracy, a typical 12-bit converter's until told otherwise.
    const AdcAccuracy typical;
    const auto limit = [form](const char* label, double value) {
        return field(form, QString::fromLatin1(label), QString::fromStdString(fixed(value, 2)));
    };
    adc_ = {limit("ADC offset (counts):", typical.offsetCounts),
            limit("ADC gain error (% of full scale):", typical.gainPercent),
            limit("ADC INL (counts):", typical.inlCounts),
            limit("ADC DNL (counts):", typical.dnlCounts),
            limit("ADC reference tolerance (%):", typical.referencePercent)};
    limits_ = field(form, QStringLiteral("Limits (e.g. inl-lsb=4 dnl-lsb=1):"), QString());
    meter_ = new MeterField(
        dialogs, [this] { return running(); }, Qt::Horizontal);
    form->addRow(QStringLiteral("Meter (e.g. TCPIP::host::5025::SOCKET):"), meter_);
    calibration_ = field(form, QStringLiteral("ADC calibration file:"), QString());
    cancel_->setEnabled(false);
    progress_->setRange(0, kProgressSteps);
    progress_->setAccessibleName(QStringLiteral("Characterisation progress"));
    // A label's text is its name for a screen reader; what it is goes in the description.
    estimate_->setAccessibleDescription(QStringLiteral("Estimated duration"));
    summary_->setAccessibleName(QStringLiteral("Linearity figures"));
    summary_->setHorizontalHeaderLabels({QStringLiteral("Figure"), QStringLiteral("Value"),
                                         QStringLiteral("Uncertainty"), QStringLiteral("Unit")});
    summary_->verticalHeader()->hide();
    summary_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    summary_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    summary_->horizontalHeader()->setStretchLastSection(true);
    summary_->setWordWrap(true);
    summary_->setMinimumWidth(500);
    warnings_->setAccessibleDescription(QStringLiteral("Linearity warnings"));
    warnings_->setWordWrap(true);

    inlView_ = plotView(plots_, inl_, QStringLiteral("INL"));
    dnlView_ = plotView(plots_, dnl_, QStringLiteral("DNL"));
    dnl_->setMarkerSize(6);
    dnl_->setLightMarker(dot(dnl_->color(), 6));
    limitLines_ = {limitLine(inlView_), limitLine(inlView_), limitLine(dnlView_),
                   limitLine(dnlView_)};
    bands_ = {uncertaintyBand(inlView_, inl_), uncertaintyBand(dnlView_, dnl_)};
    auto* plotsLayout = new QVBoxLayout(plots_);
    plotsLayout->setContentsMargins(0, 0, 0, 0);
    plotsLayout->addWidget(inlView_);
    plotsLayout->addWidget(dnlView_);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(start_);
    buttons->addWidget(cancel_);
    buttons->addWidget(progress_);
    auto* side = new QVBoxLayout;
    side->addLayout(form);
    side->addLayout(buttons);
    side->addWidget(estimate_);
    side->addWidget(summary_, 1);
    side->addWidget(warnings_);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(side);
    layout->addWidget(plots_, 1);

    connect(start_, &QPushButton::clicked, this, &LinearityPage::Start_Click);
    connect(cancel_, &QPushButton::clicked, this, &LinearityPage::Cancel_Click);
}

std::optional<CharacteriseSettings> LinearityPage::settingsFromFields() {
    CharacteriseSettings s;
    s.output = input_->currentIndex();
    s.plan = static_cast<PlanKind>(plan_->currentIndex());
    s.stride = wholeOr(stride_, 16, 0);
    s.from = hexCode(windowFrom_->text()).value_or(-1);
    s.to = hexCode(windowTo_->text()).value_or(-1);
    s.samples = wholeOr(samples_, 10, 0);
    s.dither = wholeOr(dither_, 10, -1);
    s.line = static_cast<FitLine>(line_->currentIndex());
    const double nan = std::numeric_limits<double>::quiet_NaN();
    s.fitLowPercent = decimalOr(fitFrom_, nan);
    s.fitHighPercent = decimalOr(fitTo_, nan);
    s.dacReference = decimalOr(reference_, 0);
    s.adc = {decimalOr(adc_[0], nan), decimalOr(adc_[1], nan), decimalOr(adc_[2], nan),
             decimalOr(adc_[3], nan), decimalOr(adc_[4], nan)};
    for (const QString& text : limits_->text().split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        std::string problem;
        const auto limit = parseLimit(text.toStdString(), problem);
        if (shownProblem(dialogs_, limit ? std::nullopt : std::optional(problem)))
            return std::nullopt;
        s.limits.push_back(*limit);
    }
    if (!meter_->resource().empty()) {
        s.meter = MeterSettings{};
        s.meter->resource = meter_->resource();
    }
    if (!calibrationOfField(s)) return std::nullopt;
    if (shownProblem(dialogs_, characteriseSettingsProblem(s))) return std::nullopt;
    return s;
}

bool LinearityPage::calibrationOfField(CharacteriseSettings& s) {
    const std::string path = calibration_->text().trimmed().toStdString();
    if (path.empty()) return true;
    std::string problem;
    s.calibration = readCalibration(path, problem);
    if (!s.calibration) return !shownProblem(dialogs_, problem);
    return !shownProblem(
        dialogs_, calibrationMismatch(*s.calibration, provenance_.board, s.output, s.adcReference));
}

void LinearityPage::Start_Click() {
    if (running()) return;
    const auto settings = settingsFromFields();
    if (!settings) return;
    result_.reset();
    clearPlots();
    summary_->setRowCount(0);
    warnings_->clear();
    estimate_->clear();
    openMeter_.reset();
    meterFailure_.clear();
    if (settings->meter) {
        openMeter_ = meter_->open();
        if (!openMeter_) return;
    }
    provenance_.meter = openMeter_ ? openMeter_->identity() : std::string();
    characterisation_ = std::make_unique<Characterisation>(requests_, *settings,
                                                           openMeter_ ? &*openMeter_ : nullptr);
    progress_->setValue(0);
    start_->setEnabled(false);
    cancel_->setEnabled(true);
    provenance_.time = std::chrono::system_clock::now();
    run_.start(
        {[this] { return characterisation_->done() || !meterFailure_.empty(); }, [this] { step(); },
         [this] {
             progress_->setValue(static_cast<int>(characterisation_->measured() * kProgressSteps /
                                                  characterisation_->total()));
         },
         [this] { draw(); }, [this] { finish(); }});
}

// The first step times the board's requests (and the meter's readings), so the estimate is of
// this board, now.
void LinearityPage::step() {
    // A meter that fails ends the run with the figures of what was measured.
    try {
        if (characterisation_->measured() == 0) {
            const Characterisation& c = *characterisation_;
            const auto perRequest = timePerRequest(requests_, c.settings().output);
            const auto perReading =
                openMeter_ ? std::optional(timePerReading(*openMeter_)) : std::nullopt;
            estimate_->setText(QString::fromStdString(
                estimateText(c, estimatedDuration(c, perRequest, perReading))));
            if (run_.refusal()) return;
        }
        characterisation_->next();
    } catch (const MeterError& e) {
        meterFailure_ = e.what();
    }
}

void LinearityPage::analyse() {
    result_ = analyseLinearity(characterisation_->readings(), characterisation_->settings());
}

void LinearityPage::clearPlots() {
    inl_->clear();
    dnl_->clear();
    for (QAreaSeries* band : bands_) {
        band->upperSeries()->clear();
        band->lowerSeries()->clear();
    }
}

// The INL of every code and the DNL of every one-code step measured so far, against the line
// fitted to the readings so far, each in its band of U = 2u.
void LinearityPage::draw() {
    if (run_.refusal()) return;
    analyse();
    // INL, then DNL: the values, and U above and below them.
    std::array<QList<QPointF>, 2> values, above, below;
    std::array<double, 2> low{}, high{};
    for (const CodeResult& c : result_->codes) {
        for (const std::size_t k : {0U, 1U}) {
            const std::optional<Figure>& f = k == 0 ? c.inl : c.dnl;
            if (!f) continue;
            const double expanded = 2 * f->uncertainty;
            values[k].append(QPointF(c.code, f->value));
            above[k].append(QPointF(c.code, f->value + expanded));
            below[k].append(QPointF(c.code, f->value - expanded));
            low[k] = std::min(low[k], f->value - expanded);
            high[k] = std::max(high[k], f->value + expanded);
        }
    }
    inl_->replace(values[0]);
    dnl_->replace(values[1]);
    for (const std::size_t k : {0U, 1U}) {
        bands_[k]->upperSeries()->replace(above[k]);
        bands_[k]->lowerSeries()->replace(below[k]);
    }
    drawLimits(low, high);
    fitVertical(inlView_, low[0], high[0]);
    fitVertical(dnlView_, low[1], high[1]);
    const CharacteriseSettings& s = characterisation_->settings();
    inlView_->chart()->setTitle(
        QStringLiteral("INL against the %1 line (LSB)")
            .arg(QString::fromLatin1(kLineNames[static_cast<int>(s.line)])));
    dnlView_->chart()->setTitle(values[1].isEmpty()
                                    ? QStringLiteral("DNL: no one-code steps measured")
                                    : QStringLiteral("DNL (LSB)"));
}

void LinearityPage::drawLimits(std::array<double, 2>& low, std::array<double, 2>& high) {
    for (QLineSeries* line : limitLines_)
        line->clear();
    for (const FigureLimit& limit : characterisation_->settings().limits) {
        const std::string_view name = kLimitNames[static_cast<std::size_t>(limit.figure)];
        if (name != "inl-lsb" && name != "dnl-lsb") continue;
        const std::size_t first = name == "inl-lsb" ? 0 : 2;
        for (const double sign : {1.0, -1.0}) {
            const double at = sign * limit.value;
            limitLines_[first + (sign > 0 ? 0 : 1)]->replace(
                {QPointF(0, at), QPointF(kFullScaleCode, at)});
        }
        const std::size_t k = first / 2;
        low[k] = std::min(low[k], -limit.value);
        high[k] = std::max(high[k], limit.value);
    }
}

void LinearityPage::showSummary() {
    const CharacteriseSettings& s = characterisation_->settings();
    if (!result_->problem.empty()) {
        summary_->setRowCount(0);
        warnings_->setText(QString::fromStdString(asSentence(result_->problem)));
        return;
    }
    const std::vector<SummaryRow> rows = linearityTable(*result_, s);
    summary_->clearSpans();
    summary_->setRowCount(static_cast<int>(rows.size()));
    for (int i = 0; i < summary_->rowCount(); ++i) {
        const SummaryRow& row = rows[static_cast<std::size_t>(i)];
        int column = 0;
        for (const std::string* text : {&row.figure, &row.value, &row.uncertainty, &row.unit})
            summary_->setItem(i, column++, new QTableWidgetItem(QString::fromStdString(*text)));
        // A setting or a verdict has no uncertainty and no unit: its words take their room.
        const bool wordsOnly = row.uncertainty.empty() && row.unit.empty();
        if (wordsOnly) summary_->setSpan(i, 1, 1, 3);
        if (row.figure.starts_with("Verdict")) {
            const QColor colour = row.value.starts_with("PASS")   ? QColor(0, 128, 0)
                                  : row.value.starts_with("FAIL") ? QColor(192, 0, 0)
                                                                  : QColor(176, 112, 0);
            summary_->item(i, 1)->setForeground(colour);
        }
    }
    summary_->resizeRowsToContents();
    // Every row in sight without scrolling.
    int height = summary_->horizontalHeader()->height() + 2 * summary_->frameWidth();
    for (int i = 0; i < summary_->rowCount(); ++i)
        height += summary_->rowHeight(i);
    summary_->setMinimumHeight(height);
    QStringList warnings;
    for (const std::string& warning : linearityWarnings(*result_, s))
        warnings.append(QString::fromStdString(warning));
    warnings_->setText(warnings.join(QLatin1Char('\n')));
}

void LinearityPage::Cancel_Click() {
    run_.cancel();
}

// A run the board stopped gives no figures: its last readings cannot be trusted.
void LinearityPage::finish() {
    start_->setEnabled(true);
    cancel_->setEnabled(false);
    if (const auto refusal = run_.refusal()) {
        result_.reset();
        clearPlots();
        warn(dialogs_, "The characterisation stopped: the " + *refusal + ".");
        return;
    }
    showSummary();
    if (!meterFailure_.empty()) warn(dialogs_, asSentence(meterFailure_));
}

std::optional<std::string> LinearityPage::csv(Provenance provenance) const {
    if (!result_ || !result_->problem.empty()) return std::nullopt;
    provenance.settings = settingsOf(characterisation_->settings());
    std::string text = linearityComment(*result_, characterisation_->settings(), provenance) +
                       kLinearityColumns + "\n";
    for (const CodeResult& c : result_->codes)
        text += joined(linearityFields(c), ",") + "\n";
    return text;
}

std::optional<std::string> LinearityPage::json() const {
    if (!result_ || !result_->problem.empty()) return std::nullopt;
    return linearityJson(*result_, characterisation_->settings(), provenance_) + "\n";
}
