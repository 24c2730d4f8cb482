#pragma once

#include "ProgressModel.h"

#include <QStatusBar>

class QProgressBar;

// The pane of the status bar that carries the progress of long work: the
// text, a bar over 70 % of the room left and the percentage. 25 pixels wide
// and empty while idle.
class ProgressPane : public QWidget
{
    Q_OBJECT
public:
    explicit ProgressPane(ProgressModel &model, QWidget *parent = nullptr);
    QProgressBar *Bar() const { return m_bar; }
    // Places the bar for the model's state and repaints the pane.
    void Redraw();
    int RedrawCount() const { return m_redraws; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    ProgressModel &m_model;
    QProgressBar *m_bar;
    QRect m_lastRect;
    int m_redraws = 0;
};

// The main window's status bar: menu prompts and status texts at the left,
// the progress pane beside them. Called on the main thread only; the frame
// hops worker calls over.
class CProgStatusBar : public QStatusBar
{
    Q_OBJECT
public:
    static constexpr int IdleWidth = 25;
    static constexpr int RunningWidth = 200;

    explicit CProgStatusBar(QWidget *parent = nullptr);

    void BeginProgress(const QString &text);
    void SetRange(int lower, int upper);
    void StepProgress();
    void SetProgressPos(int position);
    void EndProgress();

    const ProgressModel &Model() const { return m_model; }
    ProgressPane *Pane() const { return m_pane; }
    QProgressBar *GetProgressCtrl() const;
    int PaneWidth() const;

private:
    void Apply(ProgressModel::Change change);

    ProgressModel m_model;
    ProgressPane *m_pane;
};
