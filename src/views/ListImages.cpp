#include "ListImages.h"

#include "app/Globals.h"
#include "net/XMarketPlaces.h"

#include <QHash>
#include <QPainter>
#include <QPixmap>

#include <functional>

namespace ListImages {

namespace {

template<class Draw>
QIcon Make(Draw draw)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);
    draw(p);
    p.end();
    return QIcon(pm);
}

QIcon Cached(int key, const std::function<QIcon()> &make)
{
    static QHash<int, QIcon> cache;
    auto it = cache.find(key);
    if (it == cache.end())
        it = cache.insert(key, make());
    return it.value();
}

void Sheet(QPainter &p, const QColor &fill)
{
    p.setPen(QColor(90, 90, 90));
    p.setBrush(fill);
    p.drawRect(QRectF(3.5, 1.5, 9, 13));
    p.setPen(QColor(140, 140, 140));
    for (int y = 5; y <= 11; y += 3)
        p.drawLine(QPointF(5.5, y + 0.5), QPointF(10.5, y + 0.5));
}

void Envelope(QPainter &p, const QRectF &r, const QColor &fill)
{
    p.setPen(QColor(60, 60, 60));
    p.setBrush(fill);
    p.drawRect(r);
    p.drawLine(r.topLeft(), r.center());
    p.drawLine(r.topRight(), r.center());
}

} // namespace

QIcon Row(int index)
{
    return Cached(100 + index, [index] {
        return Make([index](QPainter &p) {
            Sheet(p, index == 0 ? QColor(255, 255, 255) : index == 1 ? QColor(255, 244, 200) : QColor(214, 240, 214));
        });
    });
}

QIcon Rating(int index)
{
    if (index < 0 || index > 4)
        return {};
    return Cached(200 + index, [index] {
        return Make([index](QPainter &p) {
            for (int i = 0; i < 5; ++i) {
                p.setPen(QColor(120, 120, 120));
                p.setBrush(i <= index ? QColor(40, 150, 60) : QColor(230, 230, 230));
                p.drawRect(QRectF(0.5 + i * 3, 14.5 - (i + 1) * 2.6, 2, (i + 1) * 2.6));
            }
        });
    });
}

QIcon MessageMark(int index)
{
    return Cached(300 + index, [index] {
        return Make([index](QPainter &p) {
            if (index == 0 || index == 2)
                Envelope(p, QRectF(0.5, 3.5, 11, 8), QColor(255, 230, 120));
            if (index == 1 || index == 2) {
                p.setPen(QColor(40, 80, 160));
                p.setBrush(QColor(150, 190, 250));
                p.drawEllipse(QRectF(index == 2 ? 8.5 : 3.5, 6.5, 7, 7));
            }
        });
    });
}

QIcon PersonalMark(int index)
{
    return Cached(400 + index, [index] {
        return Make([index](QPainter &p) {
            const QColor colours[] = {QColor(120, 90, 200), QColor(230, 120, 30), QColor(30, 130, 200)};
            p.setPen(Qt::NoPen);
            p.setBrush(colours[qBound(0, index, 2)]);
            p.drawEllipse(QRectF(5, 1.5, 6, 6));
            p.drawPie(QRectF(2, 8, 12, 12), 0, 180 * 16);
        });
    });
}

QIcon Market()
{
    return Cached(500, [] {
        return Make([](QPainter &p) {
            p.setPen(QColor(30, 90, 30));
            p.setBrush(QColor(120, 200, 120));
            p.drawRect(QRectF(2.5, 6.5, 11, 8));
            p.setBrush(QColor(200, 60, 60));
            p.drawPolygon(QPolygonF({QPointF(1, 7), QPointF(8, 1.5), QPointF(15, 7)}));
        });
    });
}

QIcon MarketIcon(const QString &marketId, int marketMode)
{
    if (auto *markets = Globals::As<XMarketPlaces>(GlobalSlot::MarketPlaces)) {
        XMarketPlace record;
        record.marketId = marketId;
        if (markets->FindMarketPlace(record, marketMode) && !record.iconFile.isEmpty()) {
            QIcon icon(record.iconFile);
            if (!icon.isNull())
                return icon;
        }
    }
    return Market();
}

} // namespace ListImages
