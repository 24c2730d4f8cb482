#include "CChildView.h"

#include "CInfoPanelCtrl.h"
#include "dialogs/PaneInterfaces.h"

#include <QLabel>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

QWidget *FilterPlaceholder(const QString &name, QWidget *parent)
{
    auto *label = new QLabel(PlaceholderPaneFactory::PlaceholderText(name), parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setMargin(4);
    return label;
}

} // namespace

CChildView::CChildView(QWidget *parent)
    : QWidget(parent),
      m_layout(new QVBoxLayout(this)),
      m_info(new CInfoPanelCtrl(this)),
      m_filters{FilterPlaceholder(QStringLiteral("Parts search bar"), this),
                FilterPlaceholder(QStringLiteral("Cars search bar"), this)},
      m_panes(new QStackedWidget(this))
{
    setObjectName(QStringLiteral("ChildView"));
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_info->setFixedHeight(InfoPanelHeight);
    m_layout->addWidget(m_info);
    m_layout->addWidget(m_filters[PartsFilter]);
    m_layout->addWidget(m_filters[CarsFilter]);
    m_layout->addWidget(m_panes, 1);
    m_panes->setObjectName(QStringLiteral("Panes"));
    m_info->setVisible(m_infoShown);
    m_filters[PartsFilter]->setVisible(m_filterShown[PartsFilter]);
    m_filters[CarsFilter]->setVisible(m_filterShown[CarsFilter]);
}

void CChildView::ShowInfoPanel(bool show, int displayMode)
{
    m_infoShown = show;
    m_info->setVisible(show);
    m_info->SetShowTitle(displayMode != 0);
}

void CChildView::SetFilterBar(FilterSlot slot, QWidget *bar)
{
    if (!bar || bar == m_filters[slot])
        return;
    m_layout->replaceWidget(m_filters[slot], bar);
    delete m_filters[slot];
    m_filters[slot] = bar;
    bar->setParent(this);
    bar->setVisible(m_filterShown[slot]);
}

void CChildView::ShowFilterBar(FilterSlot slot, bool show)
{
    m_filterShown[slot] = show;
    m_filters[slot]->setVisible(show);
}

void CChildView::AddPane(QWidget *pane)
{
    if (pane && m_panes->indexOf(pane) < 0)
        m_panes->addWidget(pane);
}

void CChildView::ShowPaneWidget(QWidget *pane)
{
    AddPane(pane);
    m_panes->setCurrentWidget(pane);
}

QWidget *CChildView::ShownPane() const
{
    return m_panes->currentWidget();
}
