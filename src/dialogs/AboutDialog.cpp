#include "dialogs/AboutDialog.h"

#include "dialogs/About.h"
#include "state/Maker.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

// The maker's mark, 50 x 29 pixels.
QPixmap makerMark()
{
    QPixmap mark(50, 29);
    mark.fill(QColor(0, 51, 102));
    QPainter painter(&mark);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(16);
    painter.setFont(font);
    painter.drawText(mark.rect(), Qt::AlignCenter, QStringLiteral("ZEB"));
    return mark;
}

} // namespace

AboutDialog::AboutDialog(Panel& panel, QWidget* parent) : PanelDialog(parent), m_panel(panel)
{
    setObjectName(QStringLiteral("frmTovaAbout"));
    setWindowTitle(QStringLiteral("ZEB Tova Vantrel Information"));
    setModal(true);

    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(makerMark());
    auto* maker = new QVBoxLayout;
    maker->addWidget(makeLabel(this, "lblZEBtitle", QStringLiteral("ZEB")));
    maker->addWidget(makeLabel(this, "lblZEBaddress", QLatin1String(Maker::Street) + QStringLiteral(", ") + QLatin1String(Maker::City)));
    maker->addWidget(makeLabel(this, "lblZEBaddress2", QLatin1String(Maker::Telephone) + QStringLiteral(" - ") + QLatin1String(Maker::Web)));
    auto* header = new QHBoxLayout;
    header->addWidget(image, 0, Qt::AlignTop);
    header->addLayout(maker, 1);

    auto* frmVersionInfo = new QGroupBox(QStringLiteral("Version Information"), this);
    frmVersionInfo->setObjectName(QStringLiteral("frmVersionInfo"));
    m_lblVersionInfo = makeLabel(frmVersionInfo, "lblVersionInfo", QString());
    (new QVBoxLayout(frmVersionInfo))->addWidget(m_lblVersionInfo);

    auto* frmSetupInfo = new QGroupBox(QStringLiteral("Setup Information"), this);
    frmSetupInfo->setObjectName(QStringLiteral("frmSetupInfo"));
    auto* grid = new QGridLayout(frmSetupInfo);
    const QString notSpecified = QStringLiteral("Not specified");
    m_lblServerLocation = makeLabel(frmSetupInfo, "lblServerLocation", notSpecified);
    m_lblOutputControlled = makeLabel(frmSetupInfo, "lblOutputControlled", notSpecified);
    m_lblRate = makeLabel(frmSetupInfo, "lblRate", QStringLiteral("100"));
    m_lblTimeout = makeLabel(frmSetupInfo, "lblTimeout", QStringLiteral("100"));
    grid->addWidget(makeLabel(frmSetupInfo, "lblSrvLoc", QStringLiteral("ZEB Kelvane Location")), 0, 0);
    grid->addWidget(m_lblServerLocation, 0, 1);
    grid->addWidget(makeLabel(frmSetupInfo, "lblOtCtl", QStringLiteral("Destination Under Control")), 1, 0);
    grid->addWidget(m_lblOutputControlled, 1, 1);
    grid->addWidget(makeLabel(frmSetupInfo, "lblRefresh", QStringLiteral("Refresh Rate:")), 2, 0);
    grid->addWidget(m_lblRate, 2, 1);
    grid->addWidget(makeLabel(frmSetupInfo, "lblTimeOutPeriod", QStringLiteral("Timeout Period:")), 3, 0);
    grid->addWidget(m_lblTimeout, 3, 1);
    grid->setColumnStretch(1, 1);

    auto* cmdAboutquit = new QPushButton(QStringLiteral("&Ok"), this);
    cmdAboutquit->setObjectName(QStringLiteral("cmdAboutquit"));
    cmdAboutquit->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdAboutquit);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(header);
    layout->addWidget(frmVersionInfo);
    layout->addWidget(frmSetupInfo);
    layout->addLayout(buttons);

    connect(cmdAboutquit, &QPushButton::clicked, this, &AboutDialog::accept);
}

void AboutDialog::showEvent(QShowEvent* event)
{
    const AboutTexts texts = About_Activate(m_panel);
    QString version = texts.versionInfo;
    m_lblVersionInfo->setText(version.replace(QLatin1Char('\r'), QLatin1Char('\n')));
    m_lblServerLocation->setText(texts.serverLocation);
    m_lblOutputControlled->setText(texts.outputControlled);
    m_lblRate->setText(texts.rate);
    m_lblTimeout->setText(texts.timeout);
    QDialog::showEvent(event);
}
