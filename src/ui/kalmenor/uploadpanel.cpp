#include "ui/kalmenor/uploadpanel.h"

#include <QCheckBox>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QStyle>
#include <QVBoxLayout>

UploadPanel::UploadPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("uploadPanel"));
    auto* layout = new QVBoxLayout(this);
    auto* stepGrid = new QGridLayout;
    const QString captions[kStepCount] = {QStringLiteral("1. Generating store"),
                                          QStringLiteral("2. Establish connection"),
                                          QStringLiteral("3. Sending store to FTP")};
    const int markerSize = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    const QPixmap marker =
        style()->standardIcon(QStyle::SP_ArrowRight, nullptr, this).pixmap(markerSize, markerSize);
    for (int i = 0; i < kStepCount; ++i) {
        m_markers[i] = new QLabel(this);
        m_markers[i]->setObjectName(QStringLiteral("stepMarker%1").arg(i + 1));
        m_markers[i]->setPixmap(marker);
        m_markers[i]->setFixedWidth(markerSize + 4);
        // Keeps its place when hidden, so the captions do not jump.
        QSizePolicy keep = m_markers[i]->sizePolicy();
        keep.setRetainSizeWhenHidden(true);
        m_markers[i]->setSizePolicy(keep);
        m_steps[i] = new QLabel(captions[i], this);
        m_steps[i]->setObjectName(QStringLiteral("step%1").arg(i + 1));
        stepGrid->addWidget(m_markers[i], i, 0);
        stepGrid->addWidget(m_steps[i], i, 1);
    }
    stepGrid->setColumnStretch(1, 1);
    layout->addLayout(stepGrid);

    auto* saveLink = new QLabel(QStringLiteral("<a href=\"save\">Save report</a>"), this);
    saveLink->setObjectName(QStringLiteral("saveReportLink"));
    saveLink->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(saveLink, &QLabel::linkActivated, this, &UploadPanel::saveReportRequested);
    layout->addWidget(saveLink);
    auto* backLink = new QLabel(QStringLiteral("<a href=\"back\">&lt;&lt; back</a>"), this);
    backLink->setObjectName(QStringLiteral("uploadBackLink"));
    backLink->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(backLink, &QLabel::linkActivated, this, &UploadPanel::backRequested);

    m_folderCaption = new QLabel(this);
    m_folderCaption->setObjectName(QStringLiteral("folderCaption"));
    layout->addWidget(m_folderCaption);
    m_files = new QListWidget(this);
    m_files->setObjectName(QStringLiteral("uploadFiles"));
    m_files->setSelectionMode(QAbstractItemView::SingleSelection);
    layout->addWidget(m_files, 1);
    // For the next upload: by default only what changed goes, and nothing is deleted.
    m_sendAll = new QCheckBox(QStringLiteral("Send all files, changed or not"), this);
    m_sendAll->setObjectName(QStringLiteral("sendAllCheck"));
    layout->addWidget(m_sendAll);
    m_deleteRemoved = new QCheckBox(QStringLiteral("Delete files the shop no longer has"), this);
    m_deleteRemoved->setObjectName(QStringLiteral("deleteRemovedCheck"));
    layout->addWidget(m_deleteRemoved);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("uploadProgress"));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    layout->addWidget(m_progress);
    layout->addWidget(backLink);

    reset();
}

QLabel* UploadPanel::stepLabel(int step) const
{
    return step >= 1 && step <= kStepCount ? m_steps[step - 1] : nullptr;
}

QLabel* UploadPanel::stepMarker(int step) const
{
    return step >= 1 && step <= kStepCount ? m_markers[step - 1] : nullptr;
}

void UploadPanel::markStep(int step)
{
    m_currentStep = step;
    for (int i = 0; i < kStepCount; ++i) {
        QFont font = m_steps[i]->font();
        font.setBold(i + 1 == step);
        m_steps[i]->setFont(font);
        m_markers[i]->setVisible(i + 1 == step);
    }
}

void UploadPanel::reset()
{
    markStep(1);
    m_folderCaption->clear();
    m_files->clear();
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
}

void UploadPanel::showFolder(const QString& folder, const QStringList& files)
{
    m_folderCaption->setText(QDir::toNativeSeparators(folder));
    m_files->clear();
    m_files->addItems(files);
}

void UploadPanel::highlightFile(int index)
{
    m_files->setCurrentRow(index);
    if (QListWidgetItem* item = m_files->item(index))
        m_files->scrollToItem(item);
}

publish::UploadCallbacks UploadPanel::callbacks(std::function<void(const QString&)> appendReport,
                                                std::function<void(const QString&)> showStatus)
{
    publish::UploadCallbacks c;
    c.appendReport = std::move(appendReport);
    c.showStatus = std::move(showStatus);
    c.connected = [this] { markStep(3); };
    c.showFolder = [this](const QString& folder, const QStringList& files) { showFolder(folder, files); };
    c.progressMaximum = [this](int maximum) {
        // A range of 0..0 would turn the bar into a busy indicator for an empty shop.
        m_progress->setRange(0, qMax(1, maximum));
        m_progress->setValue(0);
    };
    c.fileStarting = [this](int index, int progress) {
        m_progress->setValue(progress);
        highlightFile(index);
    };
    return c;
}

bool UploadPanel::sendAll() const
{
    return m_sendAll->isChecked();
}

bool UploadPanel::deleteRemoved() const
{
    return m_deleteRemoved->isChecked();
}
