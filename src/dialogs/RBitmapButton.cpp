#include "RBitmapButton.h"

#include "app/AppCore.h"

#include <QButtonGroup>
#include <QHash>
#include <QMouseEvent>
#include <QPainter>

#include <memory>

namespace {

struct Registry
{
    QHash<QString, std::shared_ptr<QButtonGroup>> groups;
    int instances = 0;
};

Registry &Buttons()
{
    static Registry registry;
    return registry;
}

} // namespace

RBitmapButton::RBitmapButton(QWidget *parent) : QAbstractButton(parent)
{
    setCheckable(true);
    ++Buttons().instances;
}

RBitmapButton::~RBitmapButton()
{
    LeaveGroup();
    Registry &r = Buttons();
    if (--r.instances == 0) {
        r.groups.clear();
        if (AppCore *app = theAppIfAny()) {
            app->WriteLog(QStringLiteral("Clear DIB objects: [OK]"), QStringLiteral("RBitmapButton"), 5);
            app->WriteLog(QStringLiteral("~: [OK]"), QStringLiteral("RBitmapButton"), 5);
        }
    }
}

void RBitmapButton::SetImages(const QImage &normal, const QImage &checked)
{
    m_normal = normal.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    m_checked = checked.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    update();
}

void RBitmapButton::LeaveGroup()
{
    if (m_group.isEmpty())
        return;
    Registry &r = Buttons();
    auto it = r.groups.find(m_group);
    if (it != r.groups.end()) {
        (*it)->removeButton(this);
        if ((*it)->buttons().isEmpty())
            r.groups.erase(it);
    }
    m_group.clear();
}

bool RBitmapButton::SetGroup(const QString &name)
{
    if (name.isEmpty())
        return false;
    if (name == m_group)
        return true;
    LeaveGroup();
    auto &group = Buttons().groups[name];
    if (!group) {
        group = std::make_shared<QButtonGroup>();
        group->setExclusive(true);
    }
    group->addButton(this);
    m_group = name;
    return true;
}

void RBitmapButton::SetChecked(bool on)
{
    if (!on && !m_group.isEmpty()) {
        // An exclusive group refuses to uncheck its last checked button.
        QButtonGroup *group = Buttons().groups.value(m_group).get();
        group->setExclusive(false);
        setChecked(false);
        group->setExclusive(true);
    } else {
        setChecked(on);
    }
    update();
}

int RBitmapButton::GroupSize(const QString &name)
{
    auto group = Buttons().groups.value(name);
    return group ? int(group->buttons().size()) : 0;
}

int RBitmapButton::GroupCount()
{
    return int(Buttons().groups.size());
}

void RBitmapButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().button());
    const bool useChecked = (isDown() || isChecked()) && !m_checked.isNull();
    const QImage &image = useChecked ? m_checked : m_normal;
    if (!image.isNull()) {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(rect(), image);
    }
}

void RBitmapButton::mouseReleaseEvent(QMouseEvent *event)
{
    const bool inside = event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    // Checking goes through the group so that the others uncheck; the base
    // class would toggle a checked button off again.
    setDown(false);
    if (inside)
        SetChecked(true);
    event->accept();
    update();
    if (event->button() == Qt::LeftButton)
        emit ctxButtonClicked(m_userValue);
}
