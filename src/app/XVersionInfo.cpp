#include "XVersionInfo.h"

#include <QCoreApplication>
#include <QFileInfo>

#ifndef KORVANT_VERSION_TWEAK
#define KORVANT_VERSION_TWEAK 0
#endif

bool XVersionInfo::Open(const QString &path)
{
    const QFileInfo info(path.isEmpty() ? GetProgramPath() : path);
    m_open = info.exists() && info.isFile() && info.isReadable();
    return m_open;
}

QString XVersionInfo::GetProductVersion() const
{
    if (!m_open)
        return QString();
    return QStringLiteral("%1.%2").arg(unsigned(KORVANT_VERSION_MAJOR)).arg(unsigned(KORVANT_VERSION_MINOR));
}

QString XVersionInfo::GetProductBuild() const
{
    if (!m_open)
        return QString();
    return QString::number(unsigned(KORVANT_VERSION_TWEAK + 0));
}

QString XVersionInfo::GetProgramPath()
{
    return QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString();
}

QString XVersionInfo::FullVersion()
{
    return QStringLiteral(KORVANT_VERSION);
}
