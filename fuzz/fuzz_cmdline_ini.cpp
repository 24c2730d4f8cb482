// The command line and the case-insensitive ini reader: any text is read
// without harm; options written as the program documents them read back;
// an ini value is found whatever the letter case of its section and key.

#include "FuzzCheck.h"

#include "app/AppCore.h"
#include "app/XSettings.h"

namespace {

// A value the command line can carry: no blanks.
QString Word(const QByteArray &bytes)
{
    QString w = QString::fromUtf8(bytes);
    w.remove(u' ');
    w.remove(u'\t');
    return w;
}

// An ini field: one line, no separator of its own, no blanks around it.
QString IniField(const QByteArray &bytes, const QString &forbidden)
{
    QString f = QString::fromUtf8(bytes);
    for (const QChar c : forbidden)
        f.remove(c);
    f.remove(u'\n');
    f.remove(u'\r');
    return f.trimmed();
}

QString FlipAsciiCase(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - 32);
        else if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + 32);
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = FuzzBytes(data, size);
    const QList<QByteArray> f = FuzzFields(bytes, 4);

    {
        AppCore app;
        app.ParseCommandLine(QString::fromUtf8(bytes));
        app.ParseCommandLine(QString::fromUtf8(bytes).split(u' '));
    }
    {
        const QString url = Word(f[0]), dbpath = Word(f[1]), features = Word(f[2]);
        const int level = f[3].size() % 10;
        AppCore app;
        const auto orOne = [](const QString &v) { return v.isEmpty() ? QStringLiteral("x") : v; };
        app.ParseCommandLine(QStringLiteral("-url ") + orOne(url) + QStringLiteral(" -dbpath ") + orOne(dbpath) +
                             QStringLiteral(" -features ") + orOne(features) + QStringLiteral(" -level ") +
                             QString::number(level));
        FUZZ_CHECK(url.isEmpty() || app.ServerUrlOption() == url, Escaped(url) + " / " + app.ServerUrlOption());
        FUZZ_CHECK(dbpath.isEmpty() || app.DbPathOption() == dbpath, Escaped(dbpath));
        FUZZ_CHECK(features.isEmpty() || app.Features() == features, Escaped(features));
        FUZZ_CHECK(app.LogLevel() == level, QString::number(app.LogLevel()));
        FUZZ_CHECK(app.OverrideFlag(), QString());
    }

    const QString section = QString::fromUtf8(f[1]), key = QString::fromUtf8(f[2]);
    const QString found = XSettings::ReadIniValue(f[0], section, key, QStringLiteral("-"));
    FUZZ_CHECK(found.size() <= 259, QString::number(found.size()));
    FUZZ_CHECK(XSettings::ReadIniValue(f[0], FlipAsciiCase(section), FlipAsciiCase(key), QStringLiteral("-")) == found,
               Escaped(section) + " / " + Escaped(key));

    // A value written under its own new section is read back.
    const QString s = IniField(f[1], QStringLiteral("[]")) + QStringLiteral("x");
    const QString k = QStringLiteral("k") + IniField(f[2], QStringLiteral("="));
    const QString v = IniField(f[3], QStringLiteral("\"'")).left(259).trimmed();
    const QByteArray ini = f[0] + "\n[" + s.toUtf8() + "_fuzz]\n" + k.toUtf8() + " = " + v.toUtf8() + "\n";
    const QString read = XSettings::ReadIniValue(ini, FlipAsciiCase(s) + QStringLiteral("_FUZZ"), FlipAsciiCase(k),
                                                 QStringLiteral("-"));
    const bool shadowed = QString::fromUtf8(f[0]).contains(u'[');
    FUZZ_CHECK(shadowed || read == v, Escaped(s) + " / " + Escaped(k) + " = " + Escaped(v) + " read " + Escaped(read));
    return 0;
}
