#include "PictureSlots.h"

#include "app/AppCore.h"
#include "app/WaitCursor.h"

#include <QPainter>

PictureBox::PictureBox(const CPicture *image, QWidget *parent) : QWidget(parent), m_image(image)
{
    setMinimumSize(80, 60);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void PictureBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    if (m_image && !m_image->isNull())
        DrawPictureFit(*m_image, painter, width(), height());
}

namespace PictureSlots {

QString FileFilter()
{
    return QStringLiteral("Image files (*.bmp;*.BMP;*.jpg;*.JPG;*.jpeg;*.JPEG)|*.bmp;*.BMP;*.jpg;*.JPG;*.jpeg;*.JPEG||");
}

QString ChooseFile()
{
    return theApp().AskOpenFileName(QString(), FileFilter(), QString());
}

bool TakeFile(QWidget *parent, const QString &path, CPicture &image)
{
    CPicture loaded;
    bool ok;
    {
        WaitCursor wait;
        ok = LoadPictureFile(loaded, path);
    }
    if (!ok) {
        Q_UNUSED(parent);
        theApp().ShowMessageBox(QStringLiteral("%1\nis not a picture that can be read. Please choose a BMP or JPEG "
                                               "file.")
                                    .arg(path),
                                QStringLiteral("Error"), MsgBox::IconError);
        return false;
    }
    image = loaded;
    return true;
}

} // namespace PictureSlots
