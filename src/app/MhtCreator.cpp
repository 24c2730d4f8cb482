#include "MhtCreator.h"

#include <QDateTime>
#include <QFile>
#include <QMimeDatabase>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QUrl>

namespace {

// Base64 in lines of 76 characters, as MIME bodies are written.
void AppendBase64(QByteArray &out, const QByteArray &data)
{
    const QByteArray encoded = data.toBase64();
    for (qsizetype i = 0; i < encoded.size(); i += 76) {
        out += encoded.mid(i, 76);
        out += "\r\n";
    }
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

bool MhtCreator::BuildMessage(const QString &html, const QStringList &files, QByteArray *message,
                              QString *error) const
{
    const QByteArray boundary = NewBoundary();
    QByteArray out;
    out += "From: <Saved by Korvant>\r\n";
    out += "Date: " + QDateTime::currentDateTime().toString(Qt::RFC2822Date).toLatin1() + "\r\n";
    out += "MIME-Version: 1.0\r\n";
    out += "Content-Type: multipart/related;\r\n\ttype=\"text/html\";\r\n\tboundary=\"" + boundary + "\"\r\n";
    out += "\r\nThis is a multi-part message in MIME format.\r\n";

    out += "\r\n--" + boundary + "\r\n";
    out += "Content-Type: text/html; charset=\"utf-8\"\r\n";
    out += "Content-Transfer-Encoding: base64\r\n";
    out += "Content-Location: file:///\r\n\r\n";
    AppendBase64(out, html.toUtf8());

    QMimeDatabase types;
    for (const QString &path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            if (error)
                *error = QStringLiteral("Cannot read %1: %2").arg(path, file.errorString());
            return false;
        }
        const QByteArray data = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            if (error)
                *error = QStringLiteral("Cannot read %1: %2").arg(path, file.errorString());
            return false;
        }
        out += "\r\n--" + boundary + "\r\n";
        out += "Content-Type: " + types.mimeTypeForFileNameAndData(path, data).name().toLatin1() + "\r\n";
        out += "Content-Transfer-Encoding: base64\r\n";
        out += "Content-Location: " + FileUrl(path).toLatin1() + "\r\n";
        out += "Content-ID: <" + ContentId(path) + ">\r\n\r\n";
        AppendBase64(out, data);
    }
    out += "\r\n--" + boundary + "--\r\n";
    if (message)
        *message = out;
    return true;
}

bool MhtCreator::SaveToFile(const QString &html, const QStringList &files, const QString &target,
                            QString *error) const
{
    QByteArray message;
    if (!BuildMessage(html, files, &message, error))
        return false;
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly) || file.write(message) != message.size() || !file.commit()) {
        if (error)
            *error = QStringLiteral("Cannot write %1: %2").arg(target, file.errorString());
        return false;
    }
    return true;
}
