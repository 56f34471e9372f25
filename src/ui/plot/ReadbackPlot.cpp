#include "ui/plot/ReadbackPlot.h"

#include <QBuffer>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSvgGenerator>
#include <QTabWidget>
#include <QVBoxLayout>

#include <ctime>

#include "board/Dialogs.h"
#include "command/NumberReading.h"
#include "measure/AtomicSave.h"
#include "ui/monitor/AdcMonitor.h"
#include "ui/plot/ChartView.h"
#include "ui/plot/FormFields.h"
#include "ui/plot/LinearityPage.h"
#include "ui/plot/SaveNames.h"
#include "ui/plot/StripChartPage.h"
#include "ui/plot/SweepPage.h"

namespace {

struct KindOfFile {
    const char* button;
    const char* filter;
    const char* suffix;
};

constexpr std::array<KindOfFile, 4> kKinds{{{"Save CSV...", "CSV (*.csv)", "csv"},
                                            {"Save PNG...", "PNG picture (*.png)", "png"},
                                            {"Save SVG...", "SVG drawing (*.svg)", "svg"},
                                            {"Save JSON...", "JSON (*.json)", "json"}}};

const KindOfFile& kindOf(ReadbackPlot::FileKind kind) {
    return kKinds[static_cast<size_t>(kind)];
}

std::string bytesOf(const QByteArray& bytes) {
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

// board: the board the plot was measured on, as the picture's source (none when empty).
std::string pngOf(QWidget* widget, const QString& board) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QImage image = widget->grab().toImage();
    if (!board.isEmpty()) image.setText(QStringLiteral("Source"), board);
    image.save(&buffer, "PNG");
    return bytesOf(bytes);
}

std::string svgOf(QWidget* widget, const QString& title, const QString& board) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(widget->size());
    svg.setViewBox(widget->rect());
    svg.setTitle(title);
    if (!board.isEmpty()) svg.setDescription(board);
    QPainter painter(&svg);
    widget->render(&painter);
    painter.end();
    return bytesOf(bytes);
}

QString askWithFileDialog(QWidget* parent, const QString& suggested, const QString& filter) {
    return QFileDialog::getSaveFileName(parent, QString(), suggested, filter);
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
      provenance_(provenance),
      board_(QString::fromStdString(provenance.board)),
      askPath_([this](const QString& suggested, const QString& filter) {
          return askWithFileDialog(this, suggested, filter);
      }) {
    setObjectName(QStringLiteral("ReadbackPlot"));
    setWindowTitle(QStringLiteral("Read-back Plot"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(1180, 720);
    tabs_->addTab(stripChart_, QStringLiteral("Strip Chart"));
    tabs_->addTab(sweep_, QStringLiteral("Sweep"));
    tabs_->addTab(linearity_, QStringLiteral("Linearity"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (const FileKind kind : {FileKind::Csv, FileKind::Png, FileKind::Svg, FileKind::Json}) {
        auto* button = new QPushButton(QString::fromLatin1(kindOf(kind).button));
        connect(button, &QPushButton::clicked, this, [this, kind] { save(kind); });
        buttons->addWidget(button);
        saveButtons_[static_cast<size_t>(kind)] = button;
    }
    QPushButton* saveJson = saveButton(FileKind::Json);
    saveJson->setEnabled(false);
    connect(tabs_, &QTabWidget::currentChanged, this,
            [this, saveJson] { saveJson->setEnabled(tabs_->currentWidget() == linearity_); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addLayout(buttons);
    // The plot only listens: every sample the monitor takes, with its ADC reference.
    connect(&monitor, &AdcMonitor::sampled, this, [this, &monitor](int input, int count, double v) {
        const double reference = readLenientDecimal(monitor.adcVddText()->text().toStdString());
        stripChart_->addSample(input, count, v, reference);
    });
}

QWidget* ReadbackPlot::picture() const {
    const QWidget* shown = tabs_->currentWidget();
    if (shown == linearity_) return linearity_->plots();
    if (shown == sweep_) return sweep_->plots();
    return stripChart_->chartView();
}

std::optional<std::string> ReadbackPlot::fileBytes(FileKind kind) const {
    const QWidget* shown = tabs_->currentWidget();
    switch (kind) {
        case FileKind::Csv: {
            Provenance now = provenance_;
            now.time = std::chrono::system_clock::now();
            if (shown == linearity_) return linearity_->csv(now);
            return shown == sweep_ ? sweep_->csv(now) : stripChart_->history().csv(now);
        }
        case FileKind::Png:
            return pngOf(picture(), board_);
        case FileKind::Svg:
            return svgOf(picture(), tabs_->tabText(tabs_->currentIndex()), board_);
        case FileKind::Json:
            break;
    }
    return linearity_->json();
}

std::optional<std::string> ReadbackPlot::saveAs(FileKind kind, const QString& path) const {
    const std::optional<std::string> bytes = fileBytes(kind);
    if (!bytes) return "There are no figures to save yet: run a characterisation first.";
    const std::string file = withSuffix(QFile::encodeName(path).toStdString(), kindOf(kind).suffix);
    if (const auto reason = saveWhole(file, *bytes))
        return "Cannot save " + path.toStdString() + ": " + *reason + ".";
    return std::nullopt;
}

void ReadbackPlot::save(FileKind kind) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const QString what = tabs_->tabText(tabs_->currentIndex()).toLower().replace(' ', '-');
    const std::string suggested = datedFileName(what.toStdString(), local, kindOf(kind).suffix);
    const QString path =
        askPath_(QString::fromStdString(suggested), QString::fromLatin1(kindOf(kind).filter));
    if (path.isEmpty()) return;
    if (const auto problem = saveAs(kind, path)) warn(dialogs_, *problem);
}
