#include "CSortHeaderCtrl.h"

#include <QPainter>

CSortHeaderCtrl::CSortHeaderCtrl(QWidget *parent) : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsClickable(true);
    setHighlightSections(false);
    setSortIndicatorShown(false);
}

void CSortHeaderCtrl::SetSortArrow(int column, bool ascending)
{
    m_sortColumn = column;
    m_ascending = ascending;
    viewport()->update();
}

CSortHeaderCtrl::Arrow CSortHeaderCtrl::ArrowLines(const QRect &section, bool ascending)
{
    const int q = section.height() / 4;
    const int r = section.right();
    const int t = section.top();
    const int b = section.bottom();
    Arrow a;
    if (ascending) {
        // Apex up; right side and base lit, left side in shadow.
        const QPoint apex(r - 2 * q, t + q);
        const QPoint left(r - 3 * q - 2, b - q - 1);
        const QPoint right(r - q, b - q - 1);
        a.lines = {QLine(apex, right), QLine(left, right), QLine(apex, left)};
        a.shadowFrom = 2;
    } else {
        // Apex down; right side lit, left side and top in shadow.
        const QPoint apex(r - 2 * q - 1, b - q);
        const QPoint left(r - 3 * q - 1, t + q);
        const QPoint right(r - q - 1, t + q);
        a.lines = {QLine(right, apex), QLine(left, apex), QLine(left, right)};
        a.shadowFrom = 1;
    }
    return a;
}

void CSortHeaderCtrl::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    if (logicalIndex != m_sortColumn) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        return;
    }
    painter->save();
    painter->setClipRect(rect);
    painter->fillRect(rect, palette().button());
    painter->setPen(palette().dark().color());
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());

    const int q = rect.height() / 4;
    QRect textRect = rect.adjusted(q, 0, -q - 3 * q, 0);
    if (textRect.width() > 0) {
        const QString text = model() ? model()->headerData(logicalIndex, orientation()).toString() : QString();
        const QVariant alignment = model() ? model()->headerData(logicalIndex, orientation(), Qt::TextAlignmentRole)
                                           : QVariant();
        const Qt::Alignment h = alignment.isValid() ? Qt::Alignment(alignment.toInt()) & Qt::AlignHorizontal_Mask
                                                    : Qt::AlignLeft;
        painter->setPen(palette().buttonText().color());
        painter->drawText(textRect, int(h | Qt::AlignVCenter | Qt::TextSingleLine),
                          painter->fontMetrics().elidedText(text, Qt::ElideRight, textRect.width()));
    }
    const Arrow arrow = ArrowLines(rect, m_ascending);
    for (int i = 0; i < arrow.lines.size(); ++i) {
        painter->setPen(QPen(i < arrow.shadowFrom ? palette().light().color() : palette().dark().color(), 1));
        painter->drawLine(arrow.lines[i]);
    }
    painter->restore();
}
