#pragma once

#include <QByteArray>

// Base64 (RFC 4648 alphabet, "=" padding) as carried inside server XML: the
// encoder breaks the text with CR LF after every 76 characters; the decoder
// skips everything that is not part of the alphabet.
class XBase64
{
public:
    static constexpr int LineChars = 76;

    // Encoded size for n bytes, terminating zero included.
    static qsizetype EncodedSize(qsizetype n);
    // The decoder's size estimate for a text without line breaks: 3 * (L / 4),
    // less one per trailing "=". Decode never writes past the buffer it is given,
    // so a text that does not fit the estimate is cut, never overrun.
    static qsizetype DecodedSize(const QByteArray &text);

    // Zero-filled buffers of those sizes; the size is returned.
    qsizetype AllocEncodeBuffer(qsizetype n, QByteArray &buffer) const;
    qsizetype AllocDecodeBuffer(const QByteArray &text, QByteArray &buffer) const;

    // Writes the text of the n bytes followed by a zero byte; a buffer shorter
    // than the encoded size is grown first.
    void Encode(const char *bytes, qsizetype n, QByteArray &buffer) const;
    // Writes at most buffer.size() decoded bytes and returns how many it wrote.
    qsizetype Decode(const QByteArray &text, QByteArray &buffer) const;

    // The text of the bytes with its line breaks, without the terminating zero.
    static QByteArray EncodeToText(const QByteArray &bytes);
    // All decoded bytes of a text (sized for the worst case, so nothing is cut).
    static QByteArray DecodeText(const QByteArray &text);
};
