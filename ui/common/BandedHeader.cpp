#include "ui/common/BandedHeader.h"

#include <QPainter>
#include <QStyleOptionHeader>

BandedHeader::BandedHeader(int firstColumn, int lastColumn, const QString& band, QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent), m_first(firstColumn), m_last(lastColumn), m_band(band)
{
    setSectionsClickable(false);
    setDefaultAlignment(Qt::AlignCenter);
}

QSize BandedHeader::sizeHint() const
{
    QSize s = QHeaderView::sizeHint();
    s.setHeight(2 * fontMetrics().height() + 12);
    return s;
}

void BandedHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    if (!underBand(logicalIndex)) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        return;
    }
    const int half = rect.height() / 2;
    painter->save();
    QHeaderView::paintSection(painter, rect.adjusted(0, half, 0, 0), logicalIndex);
    painter->restore();

    // This section's share of the band: the whole band is drawn, clipped to
    // the part above this section, so that the caption is centred over all
    // the band's columns.
    const int left = sectionViewportPosition(m_first);
    const int right = sectionViewportPosition(m_last) + sectionSize(m_last);
    QStyleOptionHeader option;
    initStyleOption(&option);
    option.rect = QRect(left, rect.top(), right - left, half);
    option.text = m_band;
    option.textAlignment = Qt::AlignCenter;
    option.position = QStyleOptionHeader::Middle;
    painter->save();
    painter->setClipRect(QRect(rect.left(), rect.top(), rect.width(), half));
    style()->drawControl(QStyle::CE_Header, &option, painter, this);
    painter->restore();
}
