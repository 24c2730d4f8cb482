#pragma once

#include <QPoint>
#include <QRect>
#include <QString>

// The state of the status bar's progress: text, range, position and the last
// whole percent drawn. Steps report whether the pane needs drawing, so that a
// run of many thousand items draws at most once per percent.
class ProgressModel
{
public:
    enum class Change { None, Redraw, Ended };

    void Begin(const QString &text);
    // A range that is empty or reversed shows 0 % and never divides.
    void SetRange(int lower, int upper);
    void SetStep(int step) { m_step = step; }
    Change Step();
    Change SetPos(int position);
    // Back to idle: hidden, position 0, range 0..100, no text.
    void End();

    bool IsVisible() const { return m_visible; }
    bool IsRunning() const { return m_running; }
    QString Text() const { return m_text; }
    int Position() const { return m_pos; }
    int Lower() const { return m_lower; }
    int Upper() const { return m_upper; }
    int Percent() const;
    void MarkDrawn() { m_lastPercent = Percent(); }

    // Where the bar goes in the pane: right of the text (text width plus four
    // blanks), `widthPercent` of the space left, a tenth of the height off
    // top and bottom.
    static QRect BarRect(const QRect &pane, int textWidth, int blankWidth, int widthPercent = 70);
    // Where the percentage is written: two blanks right of the bar, at its top.
    static QPoint PercentAt(const QRect &bar, int blankWidth) { return {bar.right() + 1 + 2 * blankWidth, bar.top()}; }

private:
    Change Update();

    QString m_text;
    int m_lower = 0;
    int m_upper = 100;
    int m_step = 1;
    int m_pos = 0;
    int m_lastPercent = 0;
    bool m_visible = false;
    bool m_running = false;
};
