#pragma once

// An ITrackPro installation in a temporary folder: host.ini naming an export
// folder, and the export lines the ITrackPro tests drop there.

#include "ImportFixture.h"

#include "app/XSettings.h"

struct ITrackFolder
{
    QString root;
    QString exports;

    explicit ITrackFolder(bool flag = true)
    {
        root = TestEnv::NewFolder(QStringLiteral("itr"));
        exports = root + QStringLiteral("/ITrack Pro/Exports");
        QDir().mkpath(exports);
        QFile ini(root + "/host.ini");
        if (ini.open(QIODevice::WriteOnly))
            ini.write("[General]\r\nimagesdir=images\r\n[Korvant]\r\nexportfolder=" + exports.toUtf8() + "\r\n");
        theSettings().SetString(Setting::ITrackProIniFilePath, root + "/host.ini");
        if (flag)
            SetFlag(true);
    }

    void SetFlag(bool present)
    {
        const QString path = exports + QStringLiteral("/itrack.flg");
        if (present) {
            QFile f(path);
            if (f.open(QIODevice::WriteOnly))
                f.close();
        } else {
            QFile::remove(path);
        }
    }

    static QByteArray Line(const QByteArray &action, const QByteArray &partnum, const QByteArray &part = "Door")
    {
        return action + ",2024-01-02," + partnum + ",IC-1,Used," + part + ",25,5,Left,Some notes,Ford,Focus,2004,Sedan,VIN123,0\r\n";
    }

    QStringList Files() const { return QDir(exports).entryList(QDir::Files, QDir::Name); }
};
