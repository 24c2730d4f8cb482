#include "CProgStatusBar.h"

#include <QPainter>
#include <QProgressBar>

ProgressPane::ProgressPane(ProgressModel &model, QWidget *parent)
    : QWidget(parent), m_model(model), m_bar(new QProgressBar(this))
{
    m_bar->setObjectName(QStringLiteral("progress"));
    m_bar->setTextVisible(false);
    m_bar->setRange(0, 100);
    m_bar->hide();
    setFixedWidth(CProgStatusBar::IdleWidth);
}

void ProgressPane::Redraw()
{
    if (!m_model.IsVisible()) {
        m_bar->hide();
        update();
        return;
    }
    ++m_redraws;
    const QFontMetrics fm(font());
    const QRect r = ProgressModel::BarRect(rect(), fm.horizontalAdvance(m_model.Text()),
                                           fm.horizontalAdvance(QLatin1Char(' ')));
    if (r != m_lastRect) {
        m_bar->setGeometry(r);
        m_lastRect = r;
    }
    m_bar->setRange(m_model.Lower(), std::max(m_model.Lower(), m_model.Upper()));
    m_bar->setValue(m_model.Position());
    m_bar->show();
    update();
}

void ProgressPane::paintEvent(QPaintEvent *)
{
    if (!m_model.IsVisible())
        return;
    QPainter p(this);
    const QFontMetrics fm(font());
    p.setPen(palette().windowText().color());
    p.drawText(rect(), int(Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine), m_model.Text());
    const QPoint at = ProgressModel::PercentAt(m_lastRect, fm.horizontalAdvance(QLatin1Char(' ')));
    p.drawText(QRect(at.x(), 0, width() - at.x(), height()), int(Qt::AlignLeft | Qt::AlignVCenter),
               QStringLiteral("%1%").arg(m_model.Percent()));
}

void ProgressPane::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_model.IsVisible())
        Redraw();
}

CProgStatusBar::CProgStatusBar(QWidget *parent) : QStatusBar(parent), m_pane(new ProgressPane(m_model, this))
{
    setObjectName(QStringLiteral("statusBar"));
    addPermanentWidget(m_pane);
}

QProgressBar *CProgStatusBar::GetProgressCtrl() const
{
    return m_pane->Bar();
}

int CProgStatusBar::PaneWidth() const
{
    return m_pane->width();
}

void CProgStatusBar::BeginProgress(const QString &text)
{
    m_model.Begin(text);
    m_pane->setFixedWidth(RunningWidth);
    m_pane->Redraw();
}

void CProgStatusBar::SetRange(int lower, int upper)
{
    m_model.SetRange(lower, upper);
    if (m_model.IsVisible())
        m_pane->Redraw();
}

void CProgStatusBar::StepProgress()
{
    Apply(m_model.Step());
}

void CProgStatusBar::SetProgressPos(int position)
{
    Apply(m_model.SetPos(position));
}

void CProgStatusBar::Apply(ProgressModel::Change change)
{
    if (change == ProgressModel::Change::Ended)
        EndProgress();
    else if (change == ProgressModel::Change::Redraw)
        m_pane->Redraw();
}

void CProgStatusBar::EndProgress()
{
    m_model.End();
    m_pane->Bar()->hide();
    m_pane->Bar()->setRange(0, 100);
    m_pane->Bar()->setValue(0);
    m_pane->setFixedWidth(IdleWidth);
    m_pane->update();
}
