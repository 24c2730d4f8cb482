#include "SplashWnd.h"

#include "DialogCommon.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QSplashScreen>
#include <QTimer>

CSplashWnd::CSplashWnd() : m_picture(DrawPicture()) {}

CSplashWnd::~CSplashWnd()
{
    HideSplash();
}

QPixmap CSplashWnd::DrawPicture()
{
    const QSize size(480, 280);
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient background(0, 0, 0, size.height());
    background.setColorAt(0.0, QColor(32, 44, 64));
    background.setColorAt(1.0, QColor(14, 20, 30));
    p.fillRect(pixmap.rect(), background);

    // A stylised wheel on the left.
    const QPointF centre(110, 140);
    p.setPen(QPen(QColor(238, 51, 17), 10));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, 70, 70);
    p.setPen(QPen(QColor(200, 206, 214), 6));
    p.drawEllipse(centre, 28, 28);
    for (int i = 0; i < 5; ++i) {
        p.save();
        p.translate(centre);
        p.rotate(i * 72.0);
        p.drawLine(QPointF(0, -30), QPointF(0, -62));
        p.restore();
    }

    // The name and a line beneath it.
    QFont title(QApplication::font());
    title.setBold(true);
    title.setPixelSize(48);
    p.setFont(title);
    p.setPen(QColor(245, 245, 245));
    p.drawText(QRect(200, 80, 270, 70), Qt::AlignLeft | Qt::AlignVCenter, DialogCommon::AppTitle());

    QFont sub(QApplication::font());
    sub.setPixelSize(16);
    p.setFont(sub);
    p.setPen(QColor(170, 180, 192));
    p.drawText(QRect(202, 150, 270, 30), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Parts and cars marketplace"));
    p.fillRect(QRect(202, 186, 220, 3), QColor(238, 51, 17));

    p.setPen(QColor(120, 130, 142));
    p.drawText(QRect(202, 230, 270, 24), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Starting..."));
    p.end();
    return pixmap;
}

int CSplashWnd::ShowSplash(int timeoutMs)
{
    if (!m_enabled || m_picture.isNull())
        return 0;
    if (!m_splash) {
        m_splash = std::make_unique<QSplashScreen>(m_picture, Qt::WindowStaysOnTopHint);
        m_splash->setObjectName(QStringLiteral("CSplashWnd"));
    }
    if (QScreen *screen = QGuiApplication::primaryScreen())
        m_splash->move(screen->availableGeometry().center() - m_splash->rect().center());
    m_splash->show();
    m_splash->repaint();
    if (timeoutMs > 0) {
        QSplashScreen *splash = m_splash.get();
        QTimer::singleShot(timeoutMs, splash, [splash] { splash->hide(); });
    }
    return 1;
}

void CSplashWnd::HideSplash()
{
    if (!m_splash)
        return;
    m_splash->hide();
    m_splash.reset();
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->inherits("QMainWindow"))
            w->repaint();
    }
}

bool CSplashWnd::IsShown() const
{
    return m_splash && m_splash->isVisible();
}
