#include "ui/kalmenor/picturebox.h"

#include "catalogue/pictures.h"

#include <QFileInfo>
#include <QPixmap>

PictureBox::PictureBox(QWidget* parent) : QLabel(parent)
{
    setAlignment(Qt::AlignCenter);
    setMinimumSize(120, 120);
    setFrameShape(QFrame::StyledPanel);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    showPlaceholder();
}

void PictureBox::showFile(const QString& path)
{
    m_image = QImage();
    if (QFileInfo::exists(path)) {
        try {
            m_image = catalogue::pictures::loadThumbnail(path, size());
        } catch (const std::exception&) {
            m_image = QImage(); // an unreadable picture shows the placeholder, as a missing one does
        }
    }
    render();
}

void PictureBox::showPlaceholder()
{
    m_image = QImage();
    render();
}

void PictureBox::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    render();
}

void PictureBox::render()
{
    const QSize box = contentsRect().size().expandedTo(QSize(1, 1));
    if (m_image.isNull())
        setPixmap(QPixmap::fromImage(catalogue::pictures::placeholder(box.boundedTo(QSize(160, 160)))));
    else
        setPixmap(QPixmap::fromImage(catalogue::pictures::scaledToFit(m_image, box)));
}
