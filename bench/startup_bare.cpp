// The bare run of bench/startup: an empty QMainWindow shown, the monotonic
// time of its first expose written to the file named by the first argument.
// Linked with the libraries korvant loads, so both runs pay the same process
// start (the web engine's relocations among it) and differ only in what runs
// after main.

#include <QApplication>
#include <QFile>
#include <QMainWindow>
#include <QTimer>
#include <QWindow>

#include <time.h>

namespace {

class ExposeFilter : public QObject
{
public:
    ExposeFilter(QMainWindow &window, QString file) : m_window(window), m_file(std::move(file)) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && watched == static_cast<QObject *>(m_window.windowHandle())) {
            timespec now{};
            ::clock_gettime(CLOCK_MONOTONIC, &now);
            QFile out(m_file);
            if (out.open(QIODevice::WriteOnly))
                out.write(QByteArray::number(qint64(now.tv_sec) * 1000000000 + now.tv_nsec));
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return false;
    }

private:
    QMainWindow &m_window;
    QString m_file;
};

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2)
        return 2;
    const QString probe = QString::fromLocal8Bit(argv[1]);
    QApplication app(argc, argv);
    QMainWindow window;
    window.resize(1000, 680);
    ExposeFilter filter(window, probe);
    app.installEventFilter(&filter);
    window.show();
    return app.exec();
}
