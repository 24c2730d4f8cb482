#include "VMContextChanger.h"

#include "dialogs/RBitmapButton.h"

#include <QHBoxLayout>
#include <QPainter>

namespace {

// 60 x 60 pictures with alpha: the market's name on a rounded plate, darker when pressed.
QImage MarketImage(const QString &text, bool pressed)
{
    QImage image(60, 60, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor base = pressed ? QColor(30, 80, 150) : QColor(110, 150, 200);
    p.setBrush(base);
    p.setPen(QPen(base.darker(140), 2));
    p.drawRoundedRect(QRectF(2, 2, 56, 56), 10, 10);
    QFont f;
    f.setBold(true);
    f.setPixelSize(12);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, 60, 60), Qt::AlignCenter | Qt::TextWordWrap, text);
    return image;
}

} // namespace

VMContextChanger::VMContextChanger(QWidget *parent)
    : QWidget(parent), m_parts(new RBitmapButton(this)), m_cars(new RBitmapButton(this))
{
    setObjectName(QStringLiteral("MarketModeControl"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(5, 0, 5, 0);
    layout->setSpacing(5);
    struct Spec
    {
        RBitmapButton *button;
        const char *text;
        const char *name;
        int mode;
    };
    for (const Spec &s : {Spec{m_cars, "Cars", "carsButton", 1}, Spec{m_parts, "Car Parts", "partsButton", 0}}) {
        s.button->setObjectName(QLatin1String(s.name));
        s.button->setText(QLatin1String(s.text));
        s.button->setToolTip(QLatin1String(s.text));
        s.button->SetImages(MarketImage(QLatin1String(s.text), false), MarketImage(QLatin1String(s.text), true));
        s.button->SetGroup(QStringLiteral("1"));
        s.button->SetUserValue(s.mode);
        s.button->setFixedSize(48, 48);
        layout->addWidget(s.button);
        connect(s.button, &RBitmapButton::ctxButtonClicked, this, &VMContextChanger::marketClicked);
    }
}

void VMContextChanger::Press(int mode)
{
    (mode == 1 ? m_cars : m_parts)->SetChecked(true);
}
