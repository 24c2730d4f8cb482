#pragma once

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>

#include <functional>
#include <memory>

class QAction;
class QMenu;

// The program's icon in the desktop's notification area, with its tip (the
// window title) and its menu. Whether the desktop has a tray at all is asked
// through a probe, so both cases can be run anywhere. Main thread only.
class CTrayIcon : public QObject
{
    Q_OBJECT
public:
    // The menu's commands, by the ids the window knows them under.
    enum Command : int { Activate = 101, Synchronize = 32782, Exit = 57665 };
    static constexpr int TipLength = 62;
    using Probe = std::function<bool()>;

    // Without a probe, QSystemTrayIcon::isSystemTrayAvailable().
    explicit CTrayIcon(Probe available = {}, QObject *parent = nullptr);
    ~CTrayIcon() override;

    bool IsAvailable() const;
    // Shows the icon with the title as its tip; false when there is no tray
    // or the icon is already there.
    bool Add(const QString &title);
    // Takes the icon away (the window's end, or a tray that went away).
    void Remove();
    bool IsShown() const;
    // A new tip (the window title changed).
    void UpdateTip(const QString &title);
    QString Tip() const { return m_tip; }
    static QString TipFor(const QString &title) { return title.left(TipLength); }

    // "Activate", "Synchronize", a separator, "Exit".
    QMenu *Menu() const { return m_menu.get(); }
    QAction *Action(int command) const;
    QSystemTrayIcon *Icon() const { return m_icon; }
    // The program's icon, drawn rather than shipped as a file.
    static QIcon ProgramIcon();

signals:
    // A double-click on the icon (a single one on hosts that send no other),
    // or "Activate" from its menu: the window comes back.
    void activateRequested();

private:
    Probe m_available;
    std::unique_ptr<QMenu> m_menu;
    QPointer<QSystemTrayIcon> m_icon;
    QString m_tip;
};
