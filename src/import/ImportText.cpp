#include "ImportText.h"

#include <QFile>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace ImportText {

namespace {
constexpr size_t BufferBytes = MaxLineBytes + 1 + 256 * 1024;
// What a malformed line keeps of itself (its dump is cut shorter still).
constexpr size_t KeptOfLongLine = 4096;

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Windows-1252 0x80-0x9F; the five unassigned bytes keep their C1 code.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendUtf8(std::string &out, char32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

// The text of a number: surrounding blanks and one pair of enclosing quotes dropped.
std::string_view NumberText(std::string_view s)
{
    while (!s.empty() && IsSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsSpace(s.back()))
        s.remove_suffix(1);
    if (s.size() > 1 && s.front() == '"' && s.back() == '"') {
        s = s.substr(1, s.size() - 2);
        while (!s.empty() && IsSpace(s.front()))
            s.remove_prefix(1);
    }
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    return s;
}
} // namespace

const char *FaultText(LineFault fault)
{
    switch (fault) {
    case LineFault::None: return "";
    case LineFault::TooLong: return "line longer than 1 MiB";
    case LineFault::Nul: return "NUL character in line";
    case LineFault::UnterminatedQuote: return "unterminated quote";
    case LineFault::TooFewFields: return "too few fields";
    }
    return "";
}

// --- LineReader ---------------------------------------------------------------------------

LineReader::~LineReader()
{
    Close();
}

bool LineReader::Open(const QString &path)
{
    Close();
    m_file = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!m_file)
        return false;
    m_buf.resize(BufferBytes);
    m_pos = m_end = 0;
    m_eof = m_failed = false;
    m_lineNumber = 0;
    return true;
}

void LineReader::Close()
{
    if (m_file)
        std::fclose(m_file);
    m_file = nullptr;
}

bool LineReader::Fill()
{
    if (m_eof || !m_file)
        return false;
    if (m_pos > 0) {
        std::memmove(m_buf.data(), m_buf.data() + m_pos, m_end - m_pos);
        m_end -= m_pos;
        m_pos = 0;
    }
    const size_t n = std::fread(m_buf.data() + m_end, 1, m_buf.size() - m_end, m_file);
    if (n == 0) {
        m_eof = true;
        m_failed = std::ferror(m_file) != 0;
        return false;
    }
    m_end += n;
    return true;
}

bool LineReader::Next(std::string &line, LineFault &fault)
{
    fault = LineFault::None;
    for (;;) {
        const char *start = m_buf.data() + m_pos;
        const char *nl = static_cast<const char *>(std::memchr(start, '\n', m_end - m_pos));
        size_t len = 0;
        if (nl) {
            len = size_t(nl - start);
        } else if (m_end - m_pos > MaxLineBytes) {
            // Too long: keep its head for the dump, skip the rest unread.
            fault = LineFault::TooLong;
            line.assign(start, KeptOfLongLine);
            m_pos = m_end;
            while (Fill()) {
                const char *p = static_cast<const char *>(std::memchr(m_buf.data(), '\n', m_end));
                if (p) {
                    m_pos = size_t(p - m_buf.data()) + 1;
                    break;
                }
                m_pos = m_end;
            }
            ++m_lineNumber;
            return true;
        } else if (m_eof || !Fill()) {
            if (m_pos == m_end)
                return false;
            start = m_buf.data() + m_pos;
            len = m_end - m_pos;
        } else {
            continue;
        }
        const size_t consumed = nl ? len + 1 : len;
        m_endedInCr = nl && len > 0 && start[len - 1] == '\r';
        if (m_endedInCr)
            --len;
        ++m_lineNumber;
        if (len > MaxLineBytes) {
            fault = LineFault::TooLong;
            line.assign(start, KeptOfLongLine);
        } else {
            line.assign(start, len);
            if (std::memchr(start, 0, len))
                fault = LineFault::Nul;
        }
        m_pos += consumed;
        return true;
    }
}

// --- RecordReader -------------------------------------------------------------------------

bool QuoteOpenAtEnd(std::string_view line)
{
    // A doubled quote inside quotes toggles twice: only the count's parity matters.
    return !line.empty() && line.front() == '"' && std::count(line.begin(), line.end(), '"') % 2 == 1;
}

bool RecordReader::Open(const QString &path)
{
    m_back.clear();
    return m_lines.Open(path);
}

void RecordReader::Close()
{
    m_back.clear();
    m_lines.Close();
}

bool RecordReader::Read(Line &line)
{
    if (!m_back.empty()) {
        line = std::move(m_back.back());
        m_back.pop_back();
        return true;
    }
    if (!m_lines.Next(line.text, line.fault))
        return false;
    line.number = m_lines.LineNumber();
    line.cr = m_lines.EndedInCr();
    return true;
}

bool RecordReader::Next(std::string &record, LineFault &fault, int64_t &lineNumber)
{
    Line first;
    if (!Read(first))
        return false;
    lineNumber = first.number;
    fault = first.fault;
    if (first.fault != LineFault::None || !QuoteOpenAtEnd(first.text)) {
        record = std::move(first.text);
        return true;
    }
    std::string joined = first.text;
    std::vector<Line> taken;
    bool cr = first.cr;
    bool open = true;
    while (open) {
        Line next;
        if (!Read(next))
            break;
        if (next.fault != LineFault::None || joined.size() + next.text.size() + 2 > MaxLineBytes) {
            m_back.push_back(std::move(next));
            break;
        }
        joined += cr ? "\r\n" : "\n";
        joined += next.text;
        cr = next.cr;
        // The quote count of the joined text flips with each odd line.
        if (std::count(next.text.begin(), next.text.end(), '"') % 2 == 1)
            open = false;
        taken.push_back(std::move(next));
    }
    if (open) {
        for (auto it = taken.rbegin(); it != taken.rend(); ++it)
            m_back.push_back(std::move(*it));
        record = std::move(first.text);
        return true;
    }
    record = std::move(joined);
    return true;
}

int64_t CountLines(const QString &path)
{
    FILE *f = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!f)
        return -1;
    std::vector<char> buf(256 * 1024);
    int64_t lines = 0;
    char last = '\n';
    size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), f)) > 0) {
        const char *p = buf.data();
        const char *end = p + n;
        while ((p = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p))))) {
            ++lines;
            ++p;
        }
        last = buf[n - 1];
    }
    std::fclose(f);
    return lines + (last != '\n' ? 1 : 0);
}

// --- text -----------------------------------------------------------------------------------

bool IsValidUtf8(std::string_view s)
{
    const auto *p = reinterpret_cast<const unsigned char *>(s.data());
    const auto *end = p + s.size();
    while (p < end) {
        // ASCII runs eight bytes at a time.
        while (end - p >= 8) {
            uint64_t w;
            std::memcpy(&w, p, 8);
            if (w & 0x8080808080808080ull)
                break;
            p += 8;
        }
        if (p >= end)
            break;
        const unsigned c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int extra;
        char32_t cp;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (end - p <= extra)
            return false;
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF.
        if ((extra == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)))
            return false;
        p += extra + 1;
    }
    return true;
}

void MakeUtf8(std::string &line)
{
    if (IsValidUtf8(line))
        return;
    std::string out;
    out.reserve(line.size() + line.size() / 2);
    for (const char ch : line) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80)
            out += ch;
        else if (c < 0xA0)
            AppendUtf8(out, Cp1252High[c - 0x80]);
        else
            AppendUtf8(out, c);
    }
    line.swap(out);
}

void TrimRight(std::string &line)
{
    size_t n = line.size();
    while (n > 0 && IsSpace(line[n - 1]))
        --n;
    line.resize(n);
}

std::string ToUpperAscii(std::string_view s)
{
    std::string out(s);
    for (char &c : out) {
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    }
    return out;
}

std::string ToLowerAscii(std::string_view s)
{
    std::string out(s);
    for (char &c : out) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return out;
}

// --- fields ---------------------------------------------------------------------------------

bool FieldSplitter::SplitSimple(std::string_view line, char separator)
{
    m_views.clear();
    const size_t n = line.size();
    if (m_quoted) {
        // Every field "text" with no quote inside, the fields joined by separators.
        size_t i = 0;
        for (;;) {
            if (i >= n || line[i] != '"')
                return false;
            const size_t close = line.find('"', i + 1);
            if (close == std::string_view::npos || (close + 1 < n && line[close + 1] != separator))
                return false;
            m_views.push_back(line.substr(i + 1, close - i - 1));
            if (close + 1 >= n)
                break;
            i = close + 2;
        }
    } else {
        if (line.find('\\') != std::string_view::npos)
            return false;
        size_t i = 0;
        for (;;) {
            const size_t sep = line.find(separator, i);
            if (sep == std::string_view::npos) {
                m_views.push_back(line.substr(i));
                break;
            }
            m_views.push_back(line.substr(i, sep - i));
            i = sep + 1;
        }
    }
    m_count = int(m_views.size());
    return true;
}

bool FieldSplitter::Split(std::string_view line, char separator)
{
    m_count = 0;
    m_quoted = !line.empty() && line.front() == '"';
    if (SplitSimple(line, separator))
        return true;
    auto next = [this]() -> std::string & {
        if (size_t(m_count) == m_fields.size())
            m_fields.emplace_back();
        std::string &f = m_fields[size_t(m_count++)];
        f.clear();
        return f;
    };
    std::string *field = &next();
    const size_t n = line.size();
    if (m_quoted) {
        bool inQuotes = false;
        for (size_t i = 0; i < n; ++i) {
            const char c = line[i];
            if (c == '"') {
                if (inQuotes && i + 1 < n && line[i + 1] == '"') {
                    *field += '"';
                    ++i;
                } else {
                    inQuotes = !inQuotes;
                }
            } else if (c == separator && !inQuotes) {
                field = &next();
            } else {
                // Runs of ordinary characters are copied at once.
                size_t j = i + 1;
                while (j < n && line[j] != '"' && (inQuotes || line[j] != separator))
                    ++j;
                field->append(line.data() + i, j - i);
                i = j - 1;
            }
        }
        TakeViews();
        return !inQuotes;
    }
    bool backslash = false;
    for (size_t i = 0; i < n; ++i) {
        const char c = line[i];
        if (c == '\\') {
            backslash = true;
            *field += c;
            if (i + 1 < n)
                *field += line[++i];
        } else if (c == separator) {
            field = &next();
        } else {
            *field += c;
        }
    }
    if (backslash) {
        for (int k = 0; k < m_count; ++k) {
            std::string &f = m_fields[size_t(k)];
            f.erase(std::remove(f.begin(), f.end(), '\\'), f.end());
        }
    }
    TakeViews();
    return true;
}

void FieldSplitter::TakeViews()
{
    m_views.clear();
    for (int k = 0; k < m_count; ++k)
        m_views.emplace_back(m_fields[size_t(k)]);
}

std::string_view FieldSplitter::Raw(int index) const
{
    return Has(index) ? m_views[size_t(index)] : std::string_view();
}

std::string_view FieldSplitter::Text(int index) const
{
    std::string_view v = Raw(index);
    if (!m_quoted && v.size() > 1 && v.front() == '"' && v.back() == '"')
        v = v.substr(1, v.size() - 2);
    return v;
}

// --- numbers --------------------------------------------------------------------------------

double ParseDouble(std::string_view text)
{
    const std::string_view s = NumberText(text);
    double value = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), value, std::chars_format::general);
    if (r.ec != std::errc() || !std::isfinite(value))
        return 0;
    return value;
}

int64_t ParseLong(std::string_view text)
{
    const std::string_view s = NumberText(text);
    int64_t value = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), value);
    constexpr int64_t lo = std::numeric_limits<int32_t>::min();
    constexpr int64_t hi = std::numeric_limits<int32_t>::max();
    if (r.ec == std::errc::result_out_of_range)
        return !s.empty() && s.front() == '-' ? lo : hi;
    if (r.ec != std::errc())
        return 0;
    return value < lo ? lo : value > hi ? hi : value;
}

std::string FormatDouble(double value)
{
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 6);
    return r.ec == std::errc() ? std::string(buf, r.ptr) : std::string("0.000000");
}

} // namespace ImportText
