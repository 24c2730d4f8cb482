#pragma once

// The splash picture shown centred while the program starts; it goes away
// when the object is destroyed (or when the time-out given to ShowSplash runs out).

#include <QPixmap>

#include <memory>

class QSplashScreen;
class QWidget;

class CSplashWnd
{
public:
    CSplashWnd();
    ~CSplashWnd();
    CSplashWnd(const CSplashWnd &) = delete;
    CSplashWnd &operator=(const CSplashWnd &) = delete;

    void SetEnabled(bool enabled) { m_enabled = enabled; }
    // Replaces the drawn picture (a null one makes ShowSplash show nothing).
    void SetPicture(const QPixmap &picture) { m_picture = picture; }
    // Shows the splash; timeoutMs 0 or negative (-1 at start-up) keeps it until
    // the object goes. 1 when shown, 0 when disabled or without a picture.
    int ShowSplash(int timeoutMs);
    void HideSplash();
    bool IsShown() const;
    QSplashScreen *Window() const { return m_splash.get(); }

    // The program's own splash picture, drawn at run time.
    static QPixmap DrawPicture();

private:
    bool m_enabled = true;
    QPixmap m_picture;
    std::unique_ptr<QSplashScreen> m_splash;
};
