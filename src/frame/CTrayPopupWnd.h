#pragma once

#include "PopupPlacement.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>

class QPropertyAnimation;

// How one pop-up behaves.
struct TrayPopupOptions
{
    int displayMs = 5000;     // 0 keeps the pop-up until it is clicked or closed
    int animationMs = 200;    // the slide each way; 0 shows and hides at once
    bool stayWhileHovered = true;
    // Where the mouse is (global); the real cursor unless a test says otherwise.
    std::function<QPoint()> cursor;
    // The screen and its available area; the primary screen's unless given.
    QRect screen;
    QRect available;
};

// The small always-on-top window that slides out of the panel's edge with a
// line of news, stays a few seconds (longer while the mouse rests on it) and
// slides back. A click brings the main window to the news; a click on
// "Options" opens the options sheet. Made and used on the main thread only;
// shown without taking the focus; deletes itself once closed.
class CTrayPopupWnd : public QWidget
{
    Q_OBJECT
public:
    enum ClickAction : int { PollNews = 0, ImportNews = 1 };
    enum TimerId : int { DisplayTimer = 19671, HoverTimer = 19672 };
    static constexpr int ClientWidth = 120;
    static constexpr int ClientHeight = 110;
    static constexpr int HoverPollMs = 50;

    using Options = TrayPopupOptions;

    CTrayPopupWnd(const QString &text, int clickAction, const Options &options);
    CTrayPopupWnd(const QString &text, int clickAction) : CTrayPopupWnd(text, clickAction, Options()) {}
    ~CTrayPopupWnd() override;

    // Makes a pop-up and slides it in (main thread).
    static CTrayPopupWnd *Show(const QString &text, int clickAction, const Options &options = Options());
    // Closes every pop-up at once, without the slide (the program is ending).
    static void CloseAll();
    static int OpenCount();

    // Places the window and starts the slide in and the display timer.
    void Popup();
    // The display and hover timers' work; public so tests can drive the clock.
    void OnTimer(int id);
    // The slide back, then the window goes.
    void CloseAnimated();

    QString Text() const { return m_text; }
    // Where the "Options" link was last drawn, in the window's coordinates.
    QRect OptionsRect() const { return m_optionsRect; }
    PopupPlacement::Placement Placement() const { return m_placement; }
    bool IsClosing() const { return m_closing; }
    bool IsTimerActive(int id) const;

signals:
    // The slide back began.
    void closing();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    bool CursorOver() const;
    QFont LinkFont(bool underline) const;
    void Slide(const QRect &from, const QRect &to, std::function<void()> done);

    QString m_text;
    int m_clickAction;
    Options m_options;
    PopupPlacement::Placement m_placement;
    QRect m_optionsRect;
    QTimer m_displayTimer;
    QTimer m_hoverTimer;
    QPointer<QPropertyAnimation> m_animation;
    bool m_closing = false;
    bool m_finished = false;
};
