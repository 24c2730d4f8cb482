#include "HttpGet.h"

#include "NetInit.h"

#include <QByteArray>
#include <QSaveFile>

#include <curl/curl.h>

namespace {

size_t Collect(char *data, size_t size, size_t count, void *user)
{
    auto *out = static_cast<QByteArray *>(user);
    const qsizetype bytes = qsizetype(size * count);
    if (out->size() + bytes > HttpGet::MaxBytes)
        return 0;
    out->append(data, bytes);
    return size_t(bytes);
}

} // namespace

namespace HttpGet {

bool Download(const QString &url, const QString &target, const std::function<bool(const QByteArray &)> &accept,
              int *httpStatus)
{
    if (httpStatus)
        *httpStatus = 0;
    const QString scheme = url.section(u':', 0, 0).toLower();
    if (scheme != u"http" && scheme != u"https")
        return false;
    NetInit::Ensure();
    CURL *curl = curl_easy_init();
    if (!curl)
        return false;
    QByteArray data;
    const QByteArray address = url.toUtf8();
    curl_easy_setopt(curl, CURLOPT_URL, address.constData());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, 15000L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, 120000L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, 30L);
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(MaxBytes));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &data);
    const CURLcode rc = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    if (httpStatus)
        *httpStatus = int(status);
    if (rc != CURLE_OK || status != 200 || (accept && !accept(data)))
        return false;
    // Written beside the target and renamed over it only when whole.
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
        return false;
    return file.commit();
}

} // namespace HttpGet
