#include "MhtCreator.h"

#include <QDateTime>
#include <QFileInfo>
#include <QFile>
#include <QMimeDatabase>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QUrl>

#include <functional>

namespace {

constexpr char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
// Bytes per 76-character line.
constexpr qsizetype LineBytes = 57;
// Pictures are read and written in pieces of this many bytes (whole lines).
constexpr qsizetype PieceBytes = LineBytes * 16384;

using Sink = std::function<bool(const char *, qsizetype)>;

// The encoded size of n bytes in lines of 76 characters, each ended by CR LF.
qsizetype Base64LinesSize(qsizetype n)
{
    return (n + LineBytes - 1) / LineBytes * 2 + (n + 2) / 3 * 4;
}

// Base64 in lines of 76 characters, as MIME bodies are written, straight into
// `out`, which has room for Base64LinesSize(n); returns the end.
char *EncodeLines(const unsigned char *in, qsizetype n, char *out)
{
    while (n > 0) {
        const qsizetype line = qMin(n, LineBytes);
        qsizetype i = 0;
        for (; i + 3 <= line; i += 3) {
            const unsigned bits = (unsigned(in[i]) << 16) | (unsigned(in[i + 1]) << 8) | in[i + 2];
            *out++ = Alphabet[bits >> 18];
            *out++ = Alphabet[(bits >> 12) & 63];
            *out++ = Alphabet[(bits >> 6) & 63];
            *out++ = Alphabet[bits & 63];
        }
        if (i < line) {
            const bool two = line - i == 2;
            const unsigned bits = (unsigned(in[i]) << 16) | (two ? unsigned(in[i + 1]) << 8 : 0u);
            *out++ = Alphabet[bits >> 18];
            *out++ = Alphabet[(bits >> 12) & 63];
            *out++ = two ? Alphabet[(bits >> 6) & 63] : '=';
            *out++ = '=';
        }
        *out++ = '\r';
        *out++ = '\n';
        in += line;
        n -= line;
    }
    return out;
}

bool WriteBase64(const QByteArray &data, QByteArray &buffer, const Sink &sink)
{
    buffer.resize(Base64LinesSize(data.size()));
    char *end = EncodeLines(reinterpret_cast<const unsigned char *>(data.constData()), data.size(), buffer.data());
    return sink(buffer.constData(), end - buffer.constData());
}

QByteArray NewBoundary()
{
    // '-', '=' and '_' never occur in base64 lines, so no body can hold the boundary.
    return "----=_NextPart_Korvant_" + QByteArray::number(QRandomGenerator::global()->generate64(), 16);
}

// The path, '\' as '/', percent-encoded but for letters, digits and "-_.!~*'()":
// what the hot deal page's sheet writes with str:encode-uri.
QByteArray ContentId(const QString &path)
{
    QString p = path;
    p.replace(u'\\', u'/');
    return QUrl::toPercentEncoding(p, "!*'()");
}

} // namespace

QString MhtCreator::FileUrl(const QString &path)
{
    QString p = path;
    p.replace(u'\\', u'/');
    while (p.startsWith(u'/'))
        p.remove(0, 1);
    return QStringLiteral("file:///") + QString::fromLatin1(QUrl::toPercentEncoding(p, "/:"));
}

QString MhtCreator::PageUrl(const QString &path)
{
    return QStringLiteral("cid:") + QString::fromLatin1(ContentId(path));
}

// One pass: each file is read in pieces of whole lines and each piece is
// encoded once, straight into the buffer the sink takes it from.
static bool WriteMessage(const QString &html, const QStringList &files, const Sink &sink, QString *error)
{
    const QByteArray boundary = NewBoundary();
    QByteArray head;
    head += "From: <Saved by Korvant>\r\n";
    head += "Date: " + QDateTime::currentDateTime().toString(Qt::RFC2822Date).toLatin1() + "\r\n";
    head += "MIME-Version: 1.0\r\n";
    head += "Content-Type: multipart/related;\r\n\ttype=\"text/html\";\r\n\tboundary=\"" + boundary + "\"\r\n";
    head += "\r\nThis is a multi-part message in MIME format.\r\n";
    head += "\r\n--" + boundary + "\r\n";
    head += "Content-Type: text/html; charset=\"utf-8\"\r\n";
    head += "Content-Transfer-Encoding: base64\r\n";
    head += "Content-Location: file:///\r\n\r\n";
    QByteArray encoded;
    if (!sink(head.constData(), head.size()) || !WriteBase64(html.toUtf8(), encoded, sink))
        return false;

    QMimeDatabase types;
    QByteArray piece;
    for (const QString &path : files) {
        QFile file(path);
        const auto cannotRead = [&] {
            if (error)
                *error = QStringLiteral("Cannot read %1: %2").arg(path, file.errorString());
            return false;
        };
        if (!file.open(QIODevice::ReadOnly))
            return cannotRead();
        piece = file.read(PieceBytes);
        if (file.error() != QFileDevice::NoError)
            return cannotRead();
        QByteArray part = "\r\n--" + boundary + "\r\n";
        part += "Content-Type: " + types.mimeTypeForFileNameAndData(path, piece).name().toLatin1() + "\r\n";
        part += "Content-Transfer-Encoding: base64\r\n";
        part += "Content-Location: " + MhtCreator::FileUrl(path).toLatin1() + "\r\n";
        part += "Content-ID: <" + ContentId(path) + ">\r\n\r\n";
        if (!sink(part.constData(), part.size()))
            return false;
        // Every piece but the last is whole lines, so the lines run on across pieces.
        while (!piece.isEmpty()) {
            if (!WriteBase64(piece, encoded, sink))
                return false;
            if (piece.size() < PieceBytes)
                break;
            piece.resize(PieceBytes);
            const qint64 n = file.read(piece.data(), PieceBytes);
            if (n < 0)
                return cannotRead();
            piece.resize(qsizetype(n));
        }
    }
    const QByteArray tail = "\r\n--" + boundary + "--\r\n";
    return sink(tail.constData(), tail.size());
}

bool MhtCreator::BuildMessage(const QString &html, const QStringList &files, QByteArray *message,
                              QString *error) const
{
    QByteArray out;
    // Room for the whole message at once: it is never grown and copied.
    qsizetype size = 1024 + Base64LinesSize(html.size() * 3);
    for (const QString &path : files)
        size += 1024 + 3 * path.size() + Base64LinesSize(QFileInfo(path).size());
    out.reserve(size);
    const bool ok = WriteMessage(html, files, [&](const char *data, qsizetype n) {
        out.append(data, n);
        return true;
    }, error);
    if (ok && message)
        *message = out;
    return ok;
}

bool MhtCreator::SaveToFile(const QString &html, const QStringList &files, const QString &target,
                            QString *error) const
{
    // Written as it is made: the pictures are never held whole.
    QSaveFile file(target);
    const auto cannotWrite = [&] {
        if (error)
            *error = QStringLiteral("Cannot write %1: %2").arg(target, file.errorString());
        return false;
    };
    if (!file.open(QIODevice::WriteOnly))
        return cannotWrite();
    bool writeFailed = false;
    const bool ok = WriteMessage(html, files, [&](const char *data, qsizetype n) {
        writeFailed = file.write(data, n) != n;
        return !writeFailed;
    }, error);
    if (writeFailed)
        return cannotWrite();
    if (!ok) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit())
        return cannotWrite();
    return true;
}
