#include "importer/exportsink.h"

#include "shell/error.h"

#include <QSaveFile>

namespace importer {

namespace {

// Large enough that writing costs nothing per record, small enough to stay in the caches' reach.
constexpr qsizetype kBlock = qsizetype(1) << 20;

QString writeError(const QIODevice& device)
{
    const auto* file = qobject_cast<const QFileDevice*>(&device);
    return QStringLiteral("Cannot write file %1: %2")
        .arg(file ? file->fileName() : QString(), device.errorString());
}

} // namespace

void ExportSink::makeRoom(qsizetype size)
{
    const qsizetype used = m_buffer.isEmpty() ? 0 : m_pos - m_buffer.data();
    if (m_device && used > 0) {
        flush();
        if (m_end - m_pos >= size)
            return;
    }
    const qsizetype kept = m_device ? 0 : used;
    const qsizetype capacity = qMax(qMax(kBlock, m_buffer.size() * 2), kept + size);
    m_buffer.resize(capacity);
    m_pos = m_buffer.data() + kept;
    m_end = m_buffer.data() + m_buffer.size();
}

void ExportSink::flush()
{
    if (!m_device || m_buffer.isEmpty())
        return;
    const qsizetype used = m_pos - m_buffer.data();
    if (used > 0 && m_device->write(m_buffer.constData(), used) != used)
        throw shell::AppError(writeError(*m_device));
    m_pos = m_buffer.data();
}

QByteArray ExportSink::take()
{
    const qsizetype used = m_buffer.isEmpty() ? 0 : m_pos - m_buffer.data();
    m_buffer.truncate(used);
    QByteArray bytes = std::move(m_buffer);
    m_buffer = QByteArray();
    m_pos = m_end = nullptr;
    return bytes;
}

void writeExportFile(const QString& path, const std::function<void(ExportSink&)>& write)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw shell::AppError(writeError(file));
    ExportSink sink(file);
    write(sink);
    sink.flush();
    if (!file.commit())
        throw shell::AppError(writeError(file));
}

} // namespace importer
