#pragma once

#include <QString>

// The program's version. Linux program files carry no version resource: the
// version is the project's, compiled in (3.1.0.52 gives the product version
// "3.1" and the build "52"). Open() accepts any existing readable file, since
// the only file the program ever asks about is its own; a missing or
// unreadable path is refused and the getters then give empty texts.
class XVersionInfo
{
public:
    XVersionInfo() = default;
    virtual ~XVersionInfo() = default;

    // An empty path means the program's own file.
    bool Open(const QString &path = QString());
    bool IsOpen() const { return m_open; }
    QString GetProductVersion() const;  // "major.minor"
    QString GetProductBuild() const;    // the fourth part

    static QString GetProgramPath();
    // The full compiled-in version ("3.1.0.52").
    static QString FullVersion();

private:
    bool m_open = false;
};
