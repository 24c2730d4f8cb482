#pragma once

// Reading inventory files as bytes: lines streamed from a file, their text
// made UTF-8, split into fields and read as numbers without the C locale.
// The importers' hot path works on these byte strings; no QString per field.

#include <QString>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace ImportText {

// A line longer than this is malformed (the rest of it is skipped unread).
inline constexpr size_t MaxLineBytes = 1024 * 1024;

// Why a line cannot be read as a record (None: it can).
enum class LineFault { None, TooLong, Nul, UnterminatedQuote, TooFewFields };
const char *FaultText(LineFault fault);

// Lines of a file, CR LF or LF, read in large blocks. A line that holds a NUL
// byte or is over MaxLineBytes is reported by its fault (its text cut).
class LineReader
{
public:
    LineReader() = default;
    ~LineReader();
    LineReader(const LineReader &) = delete;
    LineReader &operator=(const LineReader &) = delete;

    bool Open(const QString &path);
    void Close();
    bool IsOpen() const { return m_file != nullptr; }
    // Next line without its line end; false at the end of the file.
    bool Next(std::string &line, LineFault &fault);
    // Lines read so far (the number of the last line returned).
    int64_t LineNumber() const { return m_lineNumber; }
    // Whether the last line returned ended in CR LF.
    bool EndedInCr() const { return m_endedInCr; }
    bool Failed() const { return m_failed; }

private:
    bool Fill();
    FILE *m_file = nullptr;
    std::vector<char> m_buf;
    size_t m_pos = 0;
    size_t m_end = 0;
    bool m_eof = false;
    bool m_failed = false;
    bool m_endedInCr = false;
    int64_t m_lineNumber = 0;
};

// Records of a file: a quoted line (one starting with a double quote) whose
// quote is still open at its end goes on over the next lines, their line
// breaks part of the value. A quote that stays open to the end of the file
// or past MaxLineBytes leaves the line on its own and the lines after it are
// read again as records of their own.
class RecordReader
{
public:
    bool Open(const QString &path);
    void Close();
    // What comes before the records is read line by line.
    LineReader &Lines() { return m_lines; }
    // Next record; `lineNumber` is that of its first line.
    bool Next(std::string &record, LineFault &fault, int64_t &lineNumber);
    bool Failed() const { return m_lines.Failed(); }

private:
    struct Line
    {
        std::string text;
        LineFault fault = LineFault::None;
        int64_t number = 0;
        bool cr = false;
    };
    bool Read(Line &line);
    LineReader m_lines;
    std::vector<Line> m_back;  // lines read ahead and given back, the next one last
};

// Whether a line read in quoted mode ends inside quotes.
bool QuoteOpenAtEnd(std::string_view line);

// Number of lines of a file (a last line without line end counts); -1 when it cannot be read.
int64_t CountLines(const QString &path);

bool IsValidUtf8(std::string_view s);
// Valid UTF-8 stays as it is; anything else is read as Windows-1252.
void MakeUtf8(std::string &line);
// Drops trailing spaces, tabs, CR, LF, VT and FF.
void TrimRight(std::string &line);
std::string ToUpperAscii(std::string_view s);
std::string ToLowerAscii(std::string_view s);

// The fields of one record line. A line starting with a double quote is read
// quoted: quotes group text, "" inside quotes is one quote, and the quotes are
// not part of the value. Any other line is plain: a backslash makes the next
// character ordinary and every backslash is then dropped from the values.
class FieldSplitter
{
public:
    // Splits the line at `separator`; false when a quote is left open. The
    // fields may point into the line, which must outlive them.
    bool Split(std::string_view line, char separator = ',');
    int Count() const { return m_count; }
    bool Quoted() const { return m_quoted; }
    // The raw field (empty when absent).
    std::string_view Raw(int index) const;
    // The text value: a plain value enclosed in double quotes loses them.
    std::string_view Text(int index) const;
    bool Has(int index) const { return index >= 0 && index < m_count; }

private:
    // Plain fields and fully quoted ones are views of the line itself.
    bool SplitSimple(std::string_view line, char separator);
    void TakeViews();
    std::vector<std::string_view> m_views;
    std::vector<std::string> m_fields;
    int m_count = 0;
    bool m_quoted = false;
};

// The place of each known column in a header line (-1 where absent; a name
// given twice keeps its first place), `lookup` naming a field's column or -1.
// Returns the fields a row then needs; 0 when the line names no known column,
// `pos` left as it was.
template <size_t N, class Lookup>
int MapColumns(const FieldSplitter &fields, std::array<int, N> &pos, Lookup lookup)
{
    std::array<int, N> found;
    found.fill(-1);
    int needed = 0;
    for (int i = 0; i < fields.Count(); ++i) {
        const int c = lookup(fields.Text(i));
        if (c >= 0 && found[size_t(c)] < 0) {
            found[size_t(c)] = i;
            needed = std::max(needed, i + 1);
        }
    }
    if (needed > 0)
        pos = found;
    return needed;
}

// Locale-free numbers in the way the C library reads their leading part
// ("12abc" is 12, "abc" is 0); a value that is not finite reads as 0. A value
// enclosed in double quotes is read inside them.
double ParseDouble(std::string_view text);
int64_t ParseLong(std::string_view text);  // clamped to the 32-bit range
// "%f" of a double, whatever the locale.
std::string FormatDouble(double value);

} // namespace ImportText
