#include "FormPlacement.h"

#include "dialogs/LayoutAdapters.h"

#include <QEvent>
#include <QWidget>

FormPlacement::FormPlacement(QWidget *window, const QString &name) : QObject(window), m_window(window), m_layout(name)
{
    m_layout.Load();
    window->installEventFilter(this);
}

FormPlacement::~FormPlacement()
{
    m_layout.Save();
}

void FormPlacement::Apply()
{
    LayoutAdapters::RestorePlacement(m_layout, m_window);
}

bool FormPlacement::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && m_window->isVisible() &&
        (event->type() == QEvent::Move || event->type() == QEvent::Resize))
        LayoutAdapters::StorePlacement(m_layout, m_window);
    return false;
}
