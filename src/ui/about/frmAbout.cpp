#include "ui/about/frmAbout.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

#include "ui/about/SysInfo.h"
#include "ui/shared/Artwork.h"
#include "ui/shared/LayoutFont.h"
#include "ui/shared/Twips.h"

namespace {

QLabel* label(QWidget* parent, const char* name, const QString& text, const QRect& rect,
              bool black) {
    auto* item = new QLabel(text, parent);
    item->setObjectName(QString::fromLatin1(name));
    item->setGeometry(rect);
    item->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    item->setWordWrap(true);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(8.25);
    font.setBold(true);
    item->setFont(font);
    if (black) {
        QPalette palette = item->palette();
        palette.setColor(QPalette::WindowText, Qt::black);
        item->setPalette(palette);
    }
    return item;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text, const QRect& rect) {
    auto* item = new QPushButton(text, parent);
    item->setObjectName(QString::fromLatin1(name));
    item->setGeometry(rect);
    return item;
}

}  // namespace

frmAbout::frmAbout(const Deliverable& deliverable, BoardKind kind, SysInfoPlatform& platform,
                   Dialogs& dialogs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      platform_(platform),
      dialogs_(dialogs) {
    keepLayoutFont(*this);
    setObjectName(QStringLiteral("frmAbout"));
    setModal(false);
    // However the box is closed (OK, Enter, Esc, the title bar), it is discarded.
    connect(this, &QDialog::finished, this, &QObject::deleteLater);
    setWindowTitle(QStringLiteral("About XT4830R Evaluation Software"));
    setFixedSize(twipsToPixels(5730), twipsToPixels(3795));

    auto* picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setGeometry(twipsRect(240, 240, 540, 540));
    picIcon->setPixmap(programIcon().pixmap(32, 32));
    label(this, "lblTitle", QStringLiteral("XT4830R Evaluation Board Software"),
          twipsRect(1050, 90, 3885, 345), true);
    lblVersion_ = label(this, "lblVersion", QStringLiteral("Version"),
                        twipsRect(1050, 495, 3885, 270), false);
    label(this, "lblDescription",
          QStringLiteral("Hardware and Software developed by the Kestrel Applications Group"),
          twipsRect(1035, 900, 3885, 585), true);
    label(this, "Label1",
          QStringLiteral("The latest version of all Halbrook software is available from our "
                         "website ") +
              QString::fromLatin1(kWebsite),
          twipsRect(1035, 1620, 3885, 765), true);
    if (kind == BoardKind::Virtual) {
        label(this, "lblBoard", QStringLiteral("Running on the virtual board, not on hardware"),
              twipsRect(240, 2790, 3885, 585), true);
    }
    cmdOK_ = button(this, "cmdOK", QStringLiteral("OK"), twipsRect(4245, 2790, 1260, 345));
    cmdSysInfo_ = button(this, "cmdSysInfo", QStringLiteral("&System Info..."),
                         twipsRect(4260, 3240, 1245, 345));
    // OK is the default and the cancel button: Enter and Esc both close the box.
    cmdOK_->setDefault(true);
    cmdOK_->setFocus();
    setTabOrder(cmdOK_, cmdSysInfo_);
    connect(cmdOK_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdSysInfo_, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);

    lblVersion_->setText(QStringLiteral("Version ") +
                         QString::fromStdString(versionText(deliverable)));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

void frmAbout::cmdSysInfo_Click() {
    StartSysInfo(platform_, dialogs_);
}

// The etched separator: a grey line with a white one beneath it.
void frmAbout::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    const int y = twipsToPixels(2610);
    // Rows of whole pixels: a two-pixel pen centred on a line would cover the grey one.
    painter.fillRect(QRect(QPoint(twipsToPixels(90), y), QPoint(twipsToPixels(5654), y)),
                     QColor(0x80, 0x80, 0x80));
    painter.fillRect(QRect(QPoint(twipsToPixels(105), y + 1), QPoint(twipsToPixels(5654), y + 2)),
                     Qt::white);
}
