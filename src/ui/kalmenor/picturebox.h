#pragma once

#include <QImage>
#include <QLabel>

// A frame that shows a picture scaled to fit with its aspect ratio kept and centred, or the
// placeholder when there is none.
class PictureBox : public QLabel {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    // Loads the file; a missing or unreadable file shows the placeholder silently.
    void showFile(const QString& path);
    void showPlaceholder();
    bool hasPicture() const { return !m_image.isNull(); }
    QImage image() const { return m_image; }

    QSize sizeHint() const override { return {200, 200}; }
    QSize minimumSizeHint() const override { return {120, 120}; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void render();
    QImage m_image;
};
