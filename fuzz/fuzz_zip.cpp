// The zip helper: any bytes given as an archive unzip or fail cleanly; any
// bytes zipped unzip to themselves.

#include "FuzzCheck.h"

#include "app/ZipArchiveHelper.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

QTemporaryDir &Folder()
{
    static QTemporaryDir dir;
    return dir;
}

void Write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        FuzzFail("temporary file", path);
    f.write(bytes);
}

QByteArray Read(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = FuzzBytes(data, size);
    const QDir dir(Folder().path());
    const QString archive = dir.filePath(QStringLiteral("in.kvz"));
    const QString target = dir.filePath(QStringLiteral("out.mdb"));
    QFile::remove(target);

    Write(archive, bytes);
    ZipArchiveHelper unzip;
    try {
        if (unzip.UnzipFile(archive, target))
            FUZZ_CHECK(QFile::exists(target), target);
    } catch (const std::exception &) {
        // A file error is a clean failure.
    }

    const QString source = dir.filePath(QStringLiteral("kvc.mdb"));
    const QString zipped = dir.filePath(QStringLiteral("round.kvz"));
    const QString back = dir.filePath(QStringLiteral("back.mdb"));
    Write(source, bytes);
    QFile::remove(zipped);
    QFile::remove(back);
    ZipArchiveHelper helper;
    FUZZ_CHECK(helper.ZipFile(source, zipped), QString::number(bytes.size()));
    FUZZ_CHECK(helper.UnzipFile(zipped, back), QString::number(bytes.size()));
    FUZZ_CHECK(Read(back) == bytes, QString::number(bytes.size()));
    return 0;
}
