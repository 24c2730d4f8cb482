#pragma once

#include <QLocalServer>
#include <QLockFile>
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
    QString Name() const { return m_name; }

signals:
    void ShowRequested();

private:
    void OnConnection();
    QString m_name;
    QLocalServer m_server;
};

// One process per data folder, whatever the command line says: the first
// start holds a lock file in the folder and listens on a local socket named
// from the folder; a later start on the same folder asks it to show its
// window and ends. Different folders run side by side.
class DataFolderLock : public QObject
{
    Q_OBJECT
public:
    enum class Result {
        Acquired,  // this process owns the folder now
        Raised,    // the owner was asked to show its window
        InUse,     // the folder is locked and its owner did not answer
    };

    explicit DataFolderLock(const QString &folder, QObject *parent = nullptr);
    ~DataFolderLock() override;

    Result Acquire();
    static QString ChannelName(const QString &folder);
    static constexpr const char *LockFileName = "kvc.lock";

signals:
    void ShowRequested();

private:
    QString m_folder;
    QLockFile m_lock;
    SingleInstance m_channel;
};
