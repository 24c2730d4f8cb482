#pragma once

// A plain GET of one file (quote pictures), kept only when it is what the
// caller wanted: a failed or refused download never leaves a file behind.

#include <QString>

#include <functional>

namespace HttpGet {

// The largest file accepted.
constexpr qint64 MaxBytes = qint64(32) * 1024 * 1024;

// GETs the http(s) address; only when the server answered 200 and `accept`
// (may be empty) approves the bytes are they written to a temporary file
// beside the target, which is then renamed over it. Returns whether the
// target was written.
bool Download(const QString &url, const QString &target,
              const std::function<bool(const QByteArray &data)> &accept = {}, int *httpStatus = nullptr);

} // namespace HttpGet
