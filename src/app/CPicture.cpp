#include "CPicture.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPainter>

namespace {
const char *FormatOf(int type)
{
    switch (type) {
    case CPicture::TypeBmp:
        return "BMP";
    case CPicture::TypeJpeg:
        return "JPG";
    default:
        return nullptr;  // the reader detects the format itself
    }
}
} // namespace

int CPicture::TypeOfPath(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return TypeUnknown;
    const QString ext = name.mid(dot + 1).toLower();
    if (ext == QLatin1String("bmp"))
        return TypeBmp;
    if (ext == QLatin1String("jpg") || ext == QLatin1String("jpeg"))
        return TypeJpeg;
    return TypeUnknown;
}

bool CPicture::Load(const QString &path, int type)
{
    QImage loaded;
    if (!loaded.load(path, FormatOf(type)) || loaded.isNull())
        return false;
    *static_cast<QImage *>(this) = loaded;
    return true;
}

bool CPicture::LoadData(const QByteArray &bytes, int type)
{
    QImage loaded;
    if (bytes.isEmpty() || !loaded.loadFromData(bytes, FormatOf(type)) || loaded.isNull())
        return false;
    *static_cast<QImage *>(this) = loaded;
    return true;
}

void CPicture::Resample(int width, int height)
{
    if (isNull())
        return;
    *static_cast<QImage *>(this) =
        scaled(qMax(1, width), qMax(1, height), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

bool CPicture::Save(const QString &path) const
{
    return !isNull() && QImage::save(path, "JPG", m_quality);
}

QByteArray CPicture::Encode() const
{
    QByteArray bytes;
    if (isNull())
        return bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!QImage::save(&buffer, "JPG", m_quality))
        bytes.clear();
    return bytes;
}

bool LoadPictureFile(CPicture &image, const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || dot == name.size() - 1)
        return false;
    return image.Load(path, CPicture::TypeOfPath(path));
}

void ScaleToFit(CPicture &image, int limit)
{
    const int w = image.GetWidth();
    const int h = image.GetHeight();
    if (limit < 1 || qMax(w, h) <= limit)
        return;
    if (w >= h) {
        const float ratio = float(h) / float(w);
        image.Resample(limit, qMax(1, int(float(limit) * ratio)));
    } else {
        const float ratio = float(w) / float(h);
        image.Resample(qMax(1, int(float(limit) * ratio)), limit);
    }
}

QSize FitPictureSize(const QSize &image, const QSize &box)
{
    const int iw = image.width(), ih = image.height();
    const int bw = box.width(), bh = box.height();
    if (iw <= 0 || ih <= 0)
        return {0, 0};
    const double ratio = double(iw) / double(ih);
    const bool wideOver = iw > bw, highOver = ih > bh;
    if (!wideOver && !highOver)
        return image;
    auto byWidth = [&] { return QSize(bw, qMax(1, int(bw / ratio))); };
    auto byHeight = [&] { return QSize(qMax(1, int(bh * ratio)), bh); };
    if (wideOver && !highOver)
        return byWidth();
    if (highOver && !wideOver)
        return byHeight();
    if (iw - bw > ih - bh) {
        const QSize s = byWidth();
        return s.height() > bh ? byHeight() : s;
    }
    const QSize s = byHeight();
    return s.width() > bw ? byWidth() : s;
}

void DrawPictureFit(const CPicture &image, QPainter &painter, int width, int height)
{
    if (image.isNull())
        return;
    const QSize size = FitPictureSize(image.size(), QSize(width, height));
    painter.drawImage(QRect(QPoint(0, 0), size), image);
}
