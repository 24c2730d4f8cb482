#include "XBase64.h"

#include <cstring>

namespace {
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int kGroupsPerLine = XBase64::LineChars / 4;

// -1 for characters outside the alphabet; '=' decodes as 0 wherever it stands.
struct DecodeTable
{
    signed char value[256];
    constexpr DecodeTable() : value{}
    {
        for (int i = 0; i < 256; ++i)
            value[i] = -1;
        for (int i = 0; i < 64; ++i)
            value[static_cast<unsigned char>(kAlphabet[i])] = static_cast<signed char>(i);
        value[static_cast<unsigned char>('=')] = 0;
    }
};
constexpr DecodeTable kDecode;

// Decodes into out (when not null) up to limit bytes; returns the count.
qsizetype DecodeInto(const QByteArray &text, char *out, qsizetype limit)
{
    qsizetype written = 0;
    unsigned char group[4];
    int have = 0;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (kDecode.value[c] < 0)
            continue;
        group[have++] = c;
        if (have < 4)
            continue;
        have = 0;
        const unsigned bits = (unsigned(kDecode.value[group[0]]) << 18) | (unsigned(kDecode.value[group[1]]) << 12)
                              | (unsigned(kDecode.value[group[2]]) << 6) | unsigned(kDecode.value[group[3]]);
        const int n = group[3] == '=' ? (group[2] == '=' ? 1 : 2) : 3;
        const char bytes[3] = {char(bits >> 16), char(bits >> 8), char(bits)};
        for (int i = 0; i < n; ++i) {
            if (written >= limit)
                return written;
            if (out)
                out[written] = bytes[i];
            ++written;
        }
    }
    return written;
}
} // namespace

qsizetype XBase64::EncodedSize(qsizetype n)
{
    if (n <= 0)
        return 1;
    const qsizetype chars = 4 * ((n + 2) / 3);
    return chars + 2 * (chars / LineChars) + 1;
}

qsizetype XBase64::DecodedSize(const QByteArray &text)
{
    qsizetype size = 3 * (text.size() / 4);
    if (text.endsWith("=="))
        size -= 2;
    else if (text.endsWith('='))
        size -= 1;
    return size < 0 ? 0 : size;
}

qsizetype XBase64::AllocEncodeBuffer(qsizetype n, QByteArray &buffer) const
{
    const qsizetype size = EncodedSize(n);
    buffer = QByteArray(size, '\0');
    return size;
}

qsizetype XBase64::AllocDecodeBuffer(const QByteArray &text, QByteArray &buffer) const
{
    const qsizetype size = DecodedSize(text);
    buffer = QByteArray(size, '\0');
    return size;
}

void XBase64::Encode(const char *bytes, qsizetype n, QByteArray &buffer) const
{
    if (n < 0 || (!bytes && n > 0))
        n = 0;
    const qsizetype size = EncodedSize(n);
    if (buffer.size() < size)
        buffer.resize(size);
    char *out = buffer.data();
    std::memset(out, 0, size_t(size));
    const auto *in = reinterpret_cast<const unsigned char *>(bytes);
    qsizetype pos = 0;
    int groups = 0;
    qsizetype i = 0;
    for (; i + 3 <= n; i += 3) {
        const unsigned bits = (unsigned(in[i]) << 16) | (unsigned(in[i + 1]) << 8) | in[i + 2];
        out[pos++] = kAlphabet[(bits >> 18) & 63];
        out[pos++] = kAlphabet[(bits >> 12) & 63];
        out[pos++] = kAlphabet[(bits >> 6) & 63];
        out[pos++] = kAlphabet[bits & 63];
        if (++groups == kGroupsPerLine) {
            out[pos++] = '\r';
            out[pos++] = '\n';
            groups = 0;
        }
    }
    const qsizetype rest = n - i;
    if (rest > 0) {
        const unsigned bits = (unsigned(in[i]) << 16) | (rest == 2 ? unsigned(in[i + 1]) << 8 : 0u);
        out[pos++] = kAlphabet[(bits >> 18) & 63];
        out[pos++] = kAlphabet[(bits >> 12) & 63];
        out[pos++] = rest == 2 ? kAlphabet[(bits >> 6) & 63] : '=';
        out[pos++] = '=';
    }
    // The final zero is already there from the fill.
}

qsizetype XBase64::Decode(const QByteArray &text, QByteArray &buffer) const
{
    if (text.isEmpty() || buffer.isEmpty())
        return 0;
    return DecodeInto(text, buffer.data(), buffer.size());
}

QByteArray XBase64::EncodeToText(const QByteArray &bytes)
{
    QByteArray buffer;
    XBase64().Encode(bytes.constData(), bytes.size(), buffer);
    // The buffer's size reserves a line break after a last line that ends in
    // padding, where none is written: the text ends at the first zero.
    buffer.truncate(qsizetype(qstrnlen(buffer.constData(), uint(buffer.size()))));
    return buffer;
}

QByteArray XBase64::DecodeText(const QByteArray &text)
{
    // Every 4 significant characters give at most 3 bytes, and there are at most
    // text.size() of them.
    QByteArray buffer(3 * (text.size() / 4), '\0');
    const qsizetype n = buffer.isEmpty() ? 0 : DecodeInto(text, buffer.data(), buffer.size());
    buffer.truncate(n);
    return buffer;
}
