#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

class QPainter;

// The program's picture: a QImage with the JPEG quality it is saved at.
// QImage (not QPixmap) because the poll and auto-reply threads make pictures.
class CPicture : public QImage
{
public:
    // Image types by file extension.
    enum Type { TypeUnknown = 0, TypeBmp = 1, TypeJpeg = 2 };

    CPicture() = default;

    bool Load(const QString &path, int type);
    bool LoadData(const QByteArray &bytes, int type = TypeUnknown);
    int GetWidth() const { return width(); }
    int GetHeight() const { return height(); }
    // Scales in place to exactly width x height (smooth); sizes below 1 become 1.
    void Resample(int width, int height);
    void SetJpegQuality(int quality) { m_quality = qBound(0, quality, 100); }
    // JPEG at the set quality.
    bool Save(const QString &path) const;
    QByteArray Encode() const;
    void Destroy() { *static_cast<QImage *>(this) = QImage(); }

    // "bmp" 1, "jpg"/"jpeg" 2, anything else 0 (the extension after the last ".", any case).
    static int TypeOfPath(const QString &path);

private:
    int m_quality = 75;
};

// Loads by the file's extension; a path without extension gives false.
bool LoadPictureFile(CPicture &image, const QString &path);
// Shrinks the image so its longer side is at most `limit` (never enlarges, never 0 pixels).
void ScaleToFit(CPicture &image, int limit);
// The size DrawPictureFit draws an image of `image` size into a `box`: never enlarged.
QSize FitPictureSize(const QSize &image, const QSize &box);
// Draws the image at (0, 0) scaled down to fit width x height.
void DrawPictureFit(const CPicture &image, QPainter &painter, int width, int height);
