// bench/logview [MB]: a log of that many megabytes (10 by default) shown in
// the log viewer, beside a bare line-by-line read of the same file; the aim
// is under a second for 10 MB.

#include "dialogs/CLogViewDlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int megabytes = argc > 1 ? QByteArray(argv[1]).toInt() : 10;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("import.log"));
    {
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly))
            return 1;
        const QByteArray line = "** 2008-06-02 09:30:00 InvImp.\tRow 12345\tstock ABC-1234\tskipped: no price \r\n";
        const qint64 target = qint64(megabytes) * 1024 * 1024;
        for (qint64 written = 0; written < target; written += line.size())
            out.write(line);
    }
    QElapsedTimer bare;
    bare.start();
    qsizetype count = 0;
    {
        QFile in(path);
        if (!in.open(QIODevice::ReadOnly))
            return 1;
        QTextStream stream(&in);
        QString line;
        while (stream.readLineInto(&line))
            ++count;
    }
    const double bareMs = double(bare.nsecsElapsed()) / 1e6;

    QElapsedTimer viewer;
    viewer.start();
    CLogViewDlg dlg(path);
    dlg.show();
    QApplication::processEvents();
    const double viewerMs = double(viewer.nsecsElapsed()) / 1e6;
    std::printf("%d MB, %lld lines: viewer %.0f ms, bare line read %.0f ms, ratio %.1f\n", megabytes,
                static_cast<long long>(count), viewerMs, bareMs, viewerMs / bareMs);
    return 0;
}
