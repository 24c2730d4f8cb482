#pragma once

#include <QLabel>
#include <QPointer>

class QMainWindow;

// A picture at the top right of the main window, beside the tool bar. It
// hides while a tool bar's buttons or a dock widget cover it, shows its
// prompt in the status bar under the mouse and reports clicks.
class CLogo : public QLabel
{
    Q_OBJECT
public:
    // `resourceText`: "status prompt\ntool tip".
    CLogo(int controlId, const QString &resourceText, QMainWindow *frame);

    int ControlId() const { return m_id; }
    // Not itself; the logo then sits 10 pixels left of the anchor.
    bool SetAnchorWindow(QWidget *anchor);
    void Reposition();

    // Whether a rectangle (in global coordinates) is covered by a visible
    // tool bar's buttons or dock widget of the frame.
    static bool IsCovered(QMainWindow *frame, const QRect &globalRect, const QWidget *except = nullptr);

signals:
    void logoClicked(int controlId);

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    QMainWindow *m_frame;
    QPointer<QWidget> m_anchor;
    int m_id;
    QString m_prompt;
};
