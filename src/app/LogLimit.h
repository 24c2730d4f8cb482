#pragma once

#include <QString>

// The log files' size bound: a file that grows past the limit becomes the one
// previous file ("kvc.log.1", replacing the one before) and a new one starts,
// so the log never takes more than about twice the limit.
namespace LogLimit {

inline constexpr qint64 DefaultBytes = qint64(4) * 1024 * 1024;
void Set(qint64 bytes);
qint64 Get();
inline QString PreviousPath(const QString &path) { return path + QStringLiteral(".1"); }

} // namespace LogLimit
