#pragma once

#include <QHeaderView>

// The header of every record list: the sort column's section carries a small
// 3-D triangle, pointing up while ascending and down while descending.
class CSortHeaderCtrl : public QHeaderView
{
    Q_OBJECT
public:
    explicit CSortHeaderCtrl(QWidget *parent = nullptr);

    void SetSortArrow(int column, bool ascending);
    int SortColumn() const { return m_sortColumn; }
    bool SortAscending() const { return m_ascending; }

    // The triangle's lines for a section rectangle: pairs of points, first
    // the highlight lines, then `shadowFrom` onwards the shadow lines.
    struct Arrow
    {
        QList<QLine> lines;
        int shadowFrom = 0;
    };
    static Arrow ArrowLines(const QRect &section, bool ascending);

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;

private:
    int m_sortColumn = -1;
    bool m_ascending = true;
};
