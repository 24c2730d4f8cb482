#pragma once

#include <QWidget>

// A thin bar the member drags to move a boundary inside a dialog. On release
// it moves itself and reports by how much (moved); the dialog then resizes
// its neighbours with ChangeHeight.
class CSplitterControl : public QWidget
{
    Q_OBJECT
public:
    enum Orientation { Vertical = 1, Horizontal = 2 };
    enum Alignment { AlignTop = 3, AlignBottom = 4 };

    // Vertical when the rectangle is narrower than tall; 5 pixels thick along
    // the moving axis. The range starts as the bar's own centre.
    CSplitterControl(const QRect &rect, QWidget *parent);

    Orientation GetOrientation() const { return m_orientation; }
    // Limits around a position in the parent (negative: the bar's centre).
    void SetRange(int below, int above, int position = -1);
    int Lower() const { return m_lower; }
    int Upper() const { return m_upper; }

    static void ChangeHeight(QWidget *window, int delta, Alignment alignment);

signals:
    void moved(int delta);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    int Centre() const;
    int Clamp(int value) const;

    Orientation m_orientation;
    bool m_pressed = false;
    int m_lower = -1;
    int m_upper = -1;
    int m_start = 0;
    int m_position = 0;
};
