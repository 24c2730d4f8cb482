#include "ZipArchiveHelper.h"

#include "AppCore.h"
#include "Constants.h"
#include "XSettings.h"

#include <QFile>
#include <QFileInfo>

#include <minizip/unzip.h>
#include <minizip/zip.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <vector>

namespace {

constexpr char kCancelQuestion[] = "Are you sure you want to Cancel?";

QString EntryName(const QString &path)
{
    const qsizetype cut = qMax(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return cut >= 0 ? path.mid(cut + 1) : path;
}

// Creates (or empties) the file with owner-only access before minizip or
// QFile writes it, so its mode does not depend on the umask or on an older
// file of the same name.
bool CreatePrivateFile(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const bool ok = ::fchmod(fd, 0600) == 0;
    ::close(fd);
    return ok;
}

// A zip archive starts with a local file header, or with the end record when it is empty.
bool HasZipSignature(const QString &path, bool &readable)
{
    QFile file(path);
    readable = file.open(QIODevice::ReadOnly);
    if (!readable)
        return false;
    const QByteArray head = file.read(4);
    return head == QByteArrayView("PK\x03\x04", 4) || head == QByteArrayView("PK\x05\x06", 4);
}

int ProgressUpper(qint64 size)
{
    const qint64 blocks = size / ZipArchiveHelper::BlockSize;
    return blocks > INT_MAX ? INT_MAX : int(blocks);
}

} // namespace

ZipArchiveHelper::ZipArchiveHelper() = default;

ZipArchiveHelper::~ZipArchiveHelper() = default;

IProgress *ZipArchiveHelper::Progress()
{
    if (!m_progressTried) {
        m_progressTried = true;
        AppCore *app = theAppIfAny();
        if (IDialogs *dialogs = app ? app->Dialogs() : nullptr)
            m_progress = dialogs->CreateProgress();
    }
    return m_progress.get();
}

void ZipArchiveHelper::StartProgress(qint64 size)
{
    IProgress *progress = Progress();
    if (!progress)
        return;
    if (!progress->IsCreated())
        progress->Create(m_text);
    progress->SetStatus(m_text);
    progress->SetRange(0, ProgressUpper(size));
    progress->SetStep(1);
}

void ZipArchiveHelper::StepProgress()
{
    if (m_progress)
        m_progress->StepIt();
}

bool ZipArchiveHelper::CancelConfirmed()
{
    if (!m_progress || !m_progress->CheckCancelButton())
        return false;
    AppCore *app = theAppIfAny();
    return app && app->AskYesNo(QString::fromLatin1(kCancelQuestion), QString::fromLatin1(Korvant::AppName));
}

void ZipArchiveHelper::ShowError(const QString &text)
{
    if (AppCore *app = theAppIfAny())
        app->ShowMessageBox(text, QString::fromLatin1(Korvant::AppName), MsgBox::Ok);
}

bool ZipArchiveHelper::ZipFile(const QString &sourcePath, const QString &archivePath)
{
    const QString entryName = EntryName(sourcePath);
    const QString writeError = QStringLiteral("An unexpected error occurred while writing %1.");

    zipFile zf = nullptr;
    if (CreatePrivateFile(archivePath))
        zf = zipOpen64(QFile::encodeName(archivePath).constData(), APPEND_STATUS_CREATE);
    // Until the archive is closed cleanly it is removed on every way out.
    struct ArchiveGuard
    {
        zipFile &zf;
        const QString &path;
        bool keep = false;
        ~ArchiveGuard()
        {
            if (zf)
                zipClose(zf, nullptr);
            if (!keep)
                QFile::remove(path);
        }
    } guard{zf, archivePath};

    std::vector<char> buffer(BlockSize);  // std::bad_alloc to the caller

    QFile source(sourcePath);
    const qint64 expected = QFileInfo(sourcePath).size();
    zip_fileinfo info;
    std::memset(&info, 0, sizeof info);
    if (!zf
        || zipOpenNewFileInZip64(zf, entryName.toUtf8().constData(), &info, nullptr, 0, nullptr, 0, nullptr,
                                 Z_DEFLATED, 9, expected >= qint64(0xffffffffLL) ? 1 : 0)
               != ZIP_OK)
        throw FileException(FileException::Generic, archivePath);
    if (!source.open(QIODevice::ReadOnly))
        throw FileException(source.exists() ? FileException::AccessDenied : FileException::FileNotFound, sourcePath);

    const qint64 length = source.size();
    StartProgress(length);

    bool writeFailed = false;
    bool readFailed = false;
    qint64 lastRead = 0;
    for (;;) {
        lastRead = source.read(buffer.data(), BlockSize);
        if (lastRead < 0 || (lastRead < BlockSize && source.pos() < length)) {
            ShowError(QStringLiteral("An unexpected error occurred while reading %1.").arg(sourcePath));
            readFailed = true;
            break;
        }
        if (lastRead > 0 && zipWriteInFileInZip(zf, buffer.data(), unsigned(lastRead)) < 0) {
            ShowError(writeError.arg(archivePath));
            writeFailed = true;
            break;
        }
        StepProgress();
        if (lastRead == 0 || CancelConfirmed())
            break;
    }
    const bool complete = !readFailed && lastRead == 0;
    source.close();

    const int closed = zipClose(zf, nullptr);
    zf = nullptr;
    if (closed != ZIP_OK) {
        if (!writeFailed)
            ShowError(writeError.arg(archivePath));
        return false;
    }
    if (writeFailed || !complete)
        return false;
    guard.keep = true;
    return true;
}

bool ZipArchiveHelper::UnzipFile(const QString &archivePath, const QString &targetPath)
{
    bool readable = false;
    if (!HasZipSignature(archivePath, readable)) {
        if (!readable)
            return false;
        // An unzipped file (a backup made by hand): taken as it is.
        QFile::remove(targetPath);
        if (!QFile::copy(archivePath, targetPath))
            return false;
        QFile::setPermissions(targetPath, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        return true;
    }

    unzFile uf = unzOpen64(QFile::encodeName(archivePath).constData());
    if (!uf)
        return false;
    struct UnzGuard
    {
        unzFile uf;
        bool entryOpen = false;
        ~UnzGuard()
        {
            if (entryOpen)
                unzCloseCurrentFile(uf);
            unzClose(uf);
        }
    } guard{uf};

    if (unzGoToFirstFile(uf) == UNZ_OK) {
        unz_file_info64 info;
        char name[260];
        if (unzGetCurrentFileInfo64(uf, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK) {
            ShowError(QStringLiteral("Error in getting info"));
            return false;
        }
    }
    if (unzOpenCurrentFile(uf) != UNZ_OK)
        return false;
    guard.entryOpen = true;
    unz_file_info64 info;
    std::memset(&info, 0, sizeof info);
    unzGetCurrentFileInfo64(uf, &info, nullptr, 0, nullptr, 0, nullptr, 0);

    std::vector<char> buffer(BlockSize);
    if (!CreatePrivateFile(targetPath))
        throw FileException(FileException::AccessDenied, targetPath);
    QFile target(targetPath);
    if (!target.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw FileException(FileException::AccessDenied, targetPath);

    StartProgress(qint64(info.uncompressed_size > quint64(LLONG_MAX) ? LLONG_MAX : info.uncompressed_size));

    bool cancelled = false;
    int read = 0;
    for (;;) {
        read = unzReadCurrentFile(uf, buffer.data(), BlockSize);
        if (read > 0) {
            if (target.write(buffer.data(), read) != read) {
                target.close();
                QFile::remove(targetPath);
                throw FileException(FileException::Generic, targetPath);
            }
            StepProgress();
        }
        if (read > 0 && CancelConfirmed()) {
            cancelled = true;
            break;
        }
        if (read <= 0)
            break;
    }
    const bool flushed = target.flush();
    target.close();
    if (cancelled)
        return false;
    guard.entryOpen = false;
    // A bad CRC shows up only here, after the last block was read.
    const int closed = unzCloseCurrentFile(uf);
    if (read < 0 || closed != UNZ_OK || !flushed) {
        QFile::remove(targetPath);
        return false;
    }
    return true;
}
