#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

// One running client per user: the first start listens on a local socket
// named from the program's GUID and the user; a later start connects, asks
// it to show its window and ends.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    explicit SingleInstance(const QString &name = DefaultName(), QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this process is now the running instance; false when another
    // answered (it has been asked to show itself).
    bool Acquire();
    void Release();
    static QString DefaultName();

signals:
    void ShowRequested();

private:
    void OnConnection();
    QString m_name;
    QLocalServer m_server;
};
