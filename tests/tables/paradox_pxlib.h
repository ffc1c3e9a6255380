#pragma once

// Reading Paradox files with pxlib alone, as another program would, to check what this program wrote.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QVector>

#include <gtest/gtest.h>

extern "C" { // pxlib's header does not say so itself
#include <paradox.h>
}

namespace pxcheck {

// A table opened by pxlib, with its primary index attached when it has one.
class PxTable {
public:
    explicit PxTable(const QString& file, const QString& index = {})
    {
        m_px = PX_new();
        m_ok = PX_open_file(m_px, QFile::encodeName(file).constData()) >= 0;
        if (!m_ok) {
            ADD_FAILURE() << "pxlib cannot open " << file.toStdString();
            return;
        }
        if (index.isEmpty())
            return;
        m_index = PX_new();
        if (PX_open_file(m_index, QFile::encodeName(index).constData()) < 0) {
            ADD_FAILURE() << "pxlib cannot open " << index.toStdString();
            m_ok = false;
            return;
        }
        if (PX_read_primary_index(m_index) < 0 || PX_add_primary_index(m_px, m_index) < 0) {
            ADD_FAILURE() << "pxlib cannot read the primary index " << index.toStdString();
            m_ok = false;
        }
    }
    ~PxTable()
    {
        PX_close(m_px);
        PX_delete(m_px);
        if (m_index) {
            // pxlib keeps the index entries it read and does not free them itself.
            auto* all = static_cast<pxpindex_t*>(m_index->px_data);
            for (int i = 0; all && i < m_index->px_datalen; ++i)
                m_index->free(m_index, all[i].data);
            if (all)
                m_index->free(m_index, all);
            m_index->px_data = nullptr;
            PX_close(m_index);
            PX_delete(m_index);
        }
    }
    PxTable(const PxTable&) = delete;
    PxTable& operator=(const PxTable&) = delete;

    bool ok() const { return m_ok; }
    pxdoc_t* doc() { return m_px; }
    pxdoc_t* index() { return m_index; }
    int records() { return PX_get_num_records(m_px); }

    // The raw records in the order pxlib finds them (through the index when one is attached).
    QVector<QByteArray> rawRecords()
    {
        QVector<QByteArray> all;
        QByteArray record(PX_get_recordsize(m_px), '\0');
        for (int r = 0; m_ok && r < records(); ++r) {
            if (!PX_get_record(m_px, r, record.data())) {
                ADD_FAILURE() << "pxlib cannot read record " << r;
                break;
            }
            all << record;
        }
        return all;
    }

    // Field i of every record as pxlib's own record reader gives it: text for alpha, numbers as text.
    QStringList column(int field)
    {
        QStringList values;
        for (int r = 0; m_ok && r < records(); ++r) {
            pxval_t** row = PX_retrieve_record(m_px, r);
            if (!row) {
                ADD_FAILURE() << "pxlib cannot retrieve record " << r;
                break;
            }
            const pxval_t* v = row[field];
            if (v->isnull)
                values << QString();
            else if (v->type == pxfAlpha)
                values << QString::fromLatin1(v->value.str.val, v->value.str.len);
            else if (v->type == pxfNumber || v->type == pxfCurrency)
                values << QString::number(v->value.dval);
            else
                values << QString::number(v->value.lval);
            for (int i = 0; i < PX_get_num_fields(m_px); ++i) {
                if ((row[i]->type == pxfAlpha || row[i]->type == pxfMemoBLOb || row[i]->type == pxfBLOb
                     || row[i]->type == pxfGraphic || row[i]->type == pxfFmtMemoBLOb
                     || row[i]->type == pxfBytes || row[i]->type == pxfBCD)
                    && !row[i]->isnull && row[i]->value.str.val)
                    m_px->free(m_px, row[i]->value.str.val);
                m_px->free(m_px, row[i]);
            }
            m_px->free(m_px, row);
        }
        return values;
    }

    // The entries of the primary index pointing at data blocks, in order.
    QVector<pxpindex_t> leafEntries()
    {
        QVector<pxpindex_t> entries;
        if (!m_index)
            return entries;
        const auto* all = static_cast<pxpindex_t*>(m_index->px_data);
        for (int i = 0; i < m_index->px_datalen; ++i)
            if (all[i].level == 1)
                entries << all[i];
        return entries;
    }

private:
    pxdoc_t* m_px = nullptr;
    pxdoc_t* m_index = nullptr;
    bool m_ok = false;
};

} // namespace pxcheck
