#include "ProgressModel.h"

#include <algorithm>

void ProgressModel::Begin(const QString &text)
{
    m_text = text;
    m_visible = true;
}

void ProgressModel::SetRange(int lower, int upper)
{
    m_lower = lower;
    m_upper = upper;
    m_pos = std::clamp(m_pos, lower, std::max(lower, upper));
}

int ProgressModel::Percent() const
{
    const qint64 span = qint64(m_upper) - m_lower;
    if (span <= 0)
        return 0;
    return int((qint64(m_pos) - m_lower) * 100 / span);
}

ProgressModel::Change ProgressModel::Step()
{
    // Like the progress control: the position never passes the upper bound.
    m_pos = std::min(m_pos + m_step, std::max(m_lower, m_upper));
    return Update();
}

ProgressModel::Change ProgressModel::SetPos(int position)
{
    m_pos = std::clamp(position, m_lower, std::max(m_lower, m_upper));
    return Update();
}

ProgressModel::Change ProgressModel::Update()
{
    m_running = true;
    if (m_pos == m_upper && m_upper > m_lower) {
        End();
        return Change::Ended;
    }
    if (Percent() != m_lastPercent) {
        MarkDrawn();
        return Change::Redraw;
    }
    return Change::None;
}

void ProgressModel::End()
{
    m_running = false;
    m_visible = false;
    m_pos = 0;
    m_lower = 0;
    m_upper = 100;
    m_lastPercent = 0;
    m_text.clear();
}

QRect ProgressModel::BarRect(const QRect &pane, int textWidth, int blankWidth, int widthPercent)
{
    int left = pane.left();
    if (textWidth > 0)
        left += textWidth + 4 * blankWidth;
    const int right0 = pane.left() + pane.width();
    int right = right0 - (100 - widthPercent) * (right0 - left) / 100;
    right = std::max(right, left);
    const int cut = pane.height() / 10;
    return QRect(QPoint(left, pane.top() + cut), QPoint(right - 1, pane.bottom() - cut));
}
