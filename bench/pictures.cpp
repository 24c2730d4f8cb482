// bench/pictures [N]: N (default 6) camera-sized photos (4000 x 3000, 12 MP)
// made into a car record's small and big JPEGs through
// XPhotoSet::SaveCarInventoryPictures (aim: under 2 s for six), beside a bare
// QImage load, two smooth scalings and two JPEG saves of the same files.

#include "TestApp.h"
#include "TestEnv.h"

#include "app/XPhotoSet.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>

#include <cstdio>

int main(int argc, char **argv)
{
    TestEnv::PrepareProcess();
    QCoreApplication app(argc, argv);
    const int n = argc > 1 ? qBound(1, atoi(argv[1]), 6) : 6;
    TestApp t;
    const QString dir = TestEnv::NewFolder();

    QList<InvPicture> pictures;
    for (int i = 0; i < n; ++i) {
        QImage img(4000, 3000, QImage::Format_RGB32);
        img.fill(QColor(40 * i, 120, 200));
        QPainter p(&img);
        for (int k = 0; k < 200; ++k)
            p.fillRect((k * 97) % 3900, (k * 53) % 2900, 100, 100, QColor((k * 13) % 255, (k * 7) % 255, k % 255));
        p.end();
        const QString path = QStringLiteral("%1/photo%2.jpg").arg(dir).arg(i + 1);
        img.save(path, "JPG", 90);
        pictures.append({path, QStringLiteral("Photo %1").arg(i + 1), QString::number(i + 1)});
    }

    QElapsedTimer timer;
    timer.start();
    QStringList titles;
    const bool ok = XPhotoSet::SaveCarInventoryPictures(QStringLiteral("1"), pictures, titles);
    const double ours = timer.nsecsElapsed() / 1e6;

    timer.restart();
    for (int i = 0; i < n; ++i) {
        const QImage source(pictures[i].file);
        source.scaled(800, 800, Qt::KeepAspectRatio, Qt::SmoothTransformation)
            .save(QStringLiteral("%1/bare%2_big.jpg").arg(dir).arg(i), "JPG", XPhotoSet::BigQuality);
        source.scaled(160, 160, Qt::KeepAspectRatio, Qt::SmoothTransformation)
            .save(QStringLiteral("%1/bare%2_sm.jpg").arg(dir).arg(i), "JPG", XPhotoSet::SmallQuality);
    }
    const double bare = timer.nsecsElapsed() / 1e6;

    std::printf("photos: %d of 12 MP, stored: %s\n", n, ok ? "yes" : "NO");
    std::printf("both JPEGs of every photo: %.0f ms (aim: under 2000 ms)\n", ours);
    std::printf("bare QImage load-scale-save: %.0f ms; ratio %.2f\n", bare, ours / bare);
    return ok ? 0 : 1;
}
