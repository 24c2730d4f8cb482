#include "CTrayIcon.h"

#include <QAction>
#include <QApplication>
#include <QLinearGradient>
#include <QMenu>
#include <QPainter>
#include <QSystemTrayIcon>

CTrayIcon::CTrayIcon(Probe available, QObject *parent)
    : QObject(parent), m_available(std::move(available)), m_menu(std::make_unique<QMenu>())
{
    if (!m_available)
        m_available = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
    m_menu->setObjectName(QStringLiteral("TrayMenu"));
    const auto add = [this](const QString &text, int command) {
        QAction *a = m_menu->addAction(text);
        a->setData(command);
        a->setObjectName(QStringLiteral("tray%1").arg(command));
        return a;
    };
    QAction *activate = add(QStringLiteral("Activate"), Activate);
    add(QStringLiteral("Synchronize"), Synchronize);
    m_menu->addSeparator();
    add(QStringLiteral("Exit"), Exit);
    connect(activate, &QAction::triggered, this, &CTrayIcon::activateRequested);
}

CTrayIcon::~CTrayIcon()
{
    Remove();
}

bool CTrayIcon::IsAvailable() const
{
    return m_available();
}

QAction *CTrayIcon::Action(int command) const
{
    for (QAction *a : m_menu->actions()) {
        if (!a->isSeparator() && a->data().toInt() == command)
            return a;
    }
    return nullptr;
}

bool CTrayIcon::Add(const QString &title)
{
    if (m_icon || !IsAvailable())
        return false;
    m_tip = TipFor(title);
    m_icon = new QSystemTrayIcon(ProgramIcon(), this);
    m_icon->setObjectName(QStringLiteral("TrayIcon"));
    m_icon->setToolTip(m_tip);
    m_icon->setContextMenu(m_menu.get());
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        // Hosts of the newer protocol send a single click only; showing the
        // window twice is harmless, so both bring it back.
        if (reason == QSystemTrayIcon::DoubleClick || reason == QSystemTrayIcon::Trigger)
            emit activateRequested();
    });
    m_icon->show();
    return true;
}

void CTrayIcon::Remove()
{
    if (m_icon) {
        m_icon->hide();
        delete m_icon.data();
    }
}

bool CTrayIcon::IsShown() const
{
    return m_icon != nullptr;
}

void CTrayIcon::UpdateTip(const QString &title)
{
    m_tip = TipFor(title);
    if (m_icon)
        m_icon->setToolTip(m_tip);
}

QIcon CTrayIcon::ProgramIcon()
{
    QIcon icon;
    for (int size : {16, 22, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient g(0, 0, 0, size);
        g.setColorAt(0, QColor(238, 51, 17));
        g.setColorAt(1, QColor(160, 30, 10));
        p.setBrush(g);
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(QRectF(0.5, 0.5, size - 1, size - 1), size / 5.0, size / 5.0);
        QFont f = QApplication::font();
        f.setBold(true);
        f.setPixelSize(size * 3 / 4);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(QRect(0, 0, size, size), Qt::AlignCenter, QStringLiteral("K"));
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
