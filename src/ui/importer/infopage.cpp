#include "ui/importer/infopage.h"
#include "programversion.h"

#include "ui/importer/sidecolors.h"

#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QVBoxLayout>

namespace {

// Two overlapping sheets with an arrow from the green one into the blue one.
QPixmap logo()
{
    QPixmap pixmap(128, 96);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 90, 70), 2));
    p.setBrush(sidecolors::source().darker(115));
    p.drawRoundedRect(8, 10, 56, 72, 6, 6);
    p.setPen(QPen(QColor(50, 80, 110), 2));
    p.setBrush(sidecolors::target().darker(115));
    p.drawRoundedRect(64, 14, 56, 72, 6, 6);
    p.setPen(QPen(QColor(40, 40, 40), 4));
    p.drawLine(30, 48, 92, 48);
    p.drawLine(92, 48, 80, 38);
    p.drawLine(92, 48, 80, 58);
    return pixmap;
}

} // namespace

InfoPage::InfoPage(QWidget* parent) : QWidget(parent)
{
    auto* name = new QLabel("IMPORTER", this);
    QFont big = name->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    name->setFont(big);
    auto* version = new QLabel(QStringLiteral("wer. %1").arg(QLatin1String(version::importer)), this);
    version->setObjectName("version");
    auto* picture = new QLabel(this);
    picture->setPixmap(logo());
    auto* contact = new QLabel("ORVANE Software\nul. Przykładowa 1, 00-001 Warszawa\ntel. +48 22 000 00 00\n"
                               "biuro@orvane.example",
                               this);
    auto* link = new QLabel("<a href=\"https://www.orvane.example/\">www.orvane.example</a>", this);
    link->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    for (QLabel* l : {name, version, picture, contact, link}) {
        l->setAlignment(Qt::AlignHCenter);
        layout->addWidget(l);
    }
    layout->addStretch();
    layout->insertStretch(0);
}
