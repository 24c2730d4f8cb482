#pragma once

#include <QWidget>

class CInfoPanelCtrl;
class QStackedWidget;
class QVBoxLayout;

// The client area of the main window, top to bottom: the info panel (25
// pixels, when shown), the parts and the cars filter bar (their own heights,
// when shown) and the pane of the page shown. Every pane lives in the pane
// stack; the one shown is its current widget.
class CChildView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int InfoPanelHeight = 25;
    enum FilterSlot { PartsFilter = 0, CarsFilter = 1 };

    explicit CChildView(QWidget *parent = nullptr);

    CInfoPanelCtrl *InfoPanel() const { return m_info; }
    QStackedWidget *Panes() const { return m_panes; }

    // Display mode 1 adds the loaded page's title to the breadcrumb; 0 leaves it out.
    void ShowInfoPanel(bool show, int displayMode = 0);
    bool IsInfoPanelShown() const { return m_infoShown; }
    // The widget of a filter bar; the slot's placeholder until one is set.
    void SetFilterBar(FilterSlot slot, QWidget *bar);
    QWidget *FilterBar(FilterSlot slot) const { return m_filters[slot]; }
    void ShowFilterBar(FilterSlot slot, bool show);
    bool IsFilterBarShown(FilterSlot slot) const { return m_filterShown[slot]; }

    void AddPane(QWidget *pane);
    void ShowPaneWidget(QWidget *pane);
    QWidget *ShownPane() const;

private:
    QVBoxLayout *m_layout;
    CInfoPanelCtrl *m_info;
    QWidget *m_filters[2];
    QStackedWidget *m_panes;
    bool m_infoShown = false;
    bool m_filterShown[2] = {true, false};
};
