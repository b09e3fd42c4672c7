// A horizontal table header with one band of text over a run of adjacent
// columns ("Data si ora" over "Data" and "Ora"): the band fills the upper half
// above those columns, their own captions the lower half; the other columns
// keep the whole height.
#pragma once

#include <QHeaderView>

class BandedHeader : public QHeaderView {
    Q_OBJECT
public:
    BandedHeader(int firstColumn, int lastColumn, const QString& band, QWidget* parent = nullptr);

    QString bandText() const { return m_band; }
    bool underBand(int column) const { return column >= m_first && column <= m_last; }

    QSize sizeHint() const override;

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    int m_first;
    int m_last;
    QString m_band;
};
