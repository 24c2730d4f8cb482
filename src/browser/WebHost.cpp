#include "WebHost.h"

#include "AppCommands.h"

#include "app/AppCore.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>

#include <unistd.h>

namespace {

WebHost *g_host = nullptr;

constexpr char kAppScheme[] = "app";

// Pages, style-sheet files, help pages and pictures of our own scheme.
class OwnSchemeHandler : public QWebEngineUrlSchemeHandler
{
public:
    explicit OwnSchemeHandler(WebHost *host) : QWebEngineUrlSchemeHandler(host), m_host(host) {}

    void requestStarted(QWebEngineUrlRequestJob *job) override
    {
        if (job->requestMethod() != "GET") {
            job->fail(QWebEngineUrlRequestJob::RequestDenied);
            return;
        }
        const QUrl url = job->requestUrl();
        QByteArray body;
        QByteArray type;
        if (m_host->FindPage(url, &body)) {
            type = "text/html;charset=utf-8";
        } else {
            const QString path = WebHost::LocalFileFor(url);
            QFile file(path);
            if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
                job->fail(QWebEngineUrlRequestJob::UrlNotFound);
                return;
            }
            body = file.readAll();
            type = QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension).name().toLatin1();
        }
        auto *buffer = new QBuffer(job);
        buffer->setData(body);
        job->reply(type, buffer);
    }

private:
    WebHost *m_host;
};

// "app:" addresses are commands, cancelled before they load; anything that
// still reaches the scheme is refused.
class AppSchemeHandler : public QWebEngineUrlSchemeHandler
{
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
    void requestStarted(QWebEngineUrlRequestJob *job) override { job->fail(QWebEngineUrlRequestJob::RequestDenied); }
};

QString ReadResource(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Catches submits of forms whose action is an "app:" address and hands the
// action and the urlencoded fields to the browser; posts made before the
// channel is up wait for it.
constexpr char kPostScript[] = R"JS(
(function () {
    if (window.top !== window || window.__korvantPosts) return;
    var queue = [];
    var bridge = null;
    window.__korvantPosts = true;
    function send(action, body) {
        if (bridge) bridge.post(action, body);
        else queue.push([action, body]);
    }
    document.addEventListener('submit', function (event) {
        var form = event.target;
        if (!form || !form.getAttribute) return;
        var action = (form.getAttribute('action') || '').replace(/^\s+/, '');
        if (!/^app:/i.test(action)) return;
        event.preventDefault();
        var data = new FormData(form);
        if (event.submitter && event.submitter.name) data.append(event.submitter.name, event.submitter.value);
        send(action, new URLSearchParams(data).toString());
    }, true);
    new QWebChannel(qt.webChannelTransport, function (channel) {
        bridge = channel.objects.korvant;
        window.__korvantObjects = channel.objects;
        queue.forEach(function (p) { bridge.post(p[0], p[1]); });
        queue = [];
    });
})();
)JS";

bool IsPicture(const QString &path)
{
    static const QStringList suffixes = {"jpg", "jpeg", "png", "gif", "bmp"};
    return suffixes.contains(QFileInfo(path).suffix().toLower());
}

// The file below the folder that the address's path names; empty when the
// path leaves the folder (also through a link) or names no file.
QString FileBelow(const QString &folder, const QString &relative)
{
    const QString root = QFileInfo(folder).canonicalFilePath();
    if (root.isEmpty() || relative.isEmpty())
        return QString();
    const QFileInfo file(root + u'/' + relative);
    const QString real = file.canonicalFilePath();
    if (real.isEmpty() || !real.startsWith(root + u'/') || !QFileInfo(real).isFile())
        return QString();
    return real;
}

} // namespace

void WebHost::PrepareProcess()
{
    QWebEngineUrlScheme own(AppCommands::kOwnScheme);
    own.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    // Local: server pages cannot read our pages or the member's pictures.
    own.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::LocalScheme
                 | QWebEngineUrlScheme::LocalAccessAllowed);
    QWebEngineUrlScheme::registerScheme(own);
    QWebEngineUrlScheme app(kAppScheme);
    app.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    QWebEngineUrlScheme::registerScheme(app);

    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

WebHost::WebHost()
{
    g_host = this;
    m_postScript = ReadResource(QStringLiteral(":/qtwebchannel/qwebchannel.js")) + QString::fromLatin1(kPostScript);
}

QWebEngineProfile *WebHost::Profile()
{
    if (m_profile)
        return m_profile;
    // Off the record: nothing of the pages is kept on disk.
    m_profile = new QWebEngineProfile(this);
    m_profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    m_profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    QWebEngineSettings *settings = m_profile->settings();
    settings->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    m_ownHandler = new OwnSchemeHandler(this);
    m_appHandler = new AppSchemeHandler(this);
    m_profile->installUrlSchemeHandler(AppCommands::kOwnScheme, m_ownHandler);
    m_profile->installUrlSchemeHandler(kAppScheme, m_appHandler);
    return m_profile;
}

WebHost::~WebHost()
{
    if (g_host == this)
        g_host = nullptr;
    if (!m_profile)
        return;
    // The profile answers loads still under way while it goes; the pages
    // they ask for must still be here then.
    m_profile->removeAllUrlSchemeHandlers();
    delete m_profile;
    m_profile = nullptr;
}

WebHost *WebHost::Instance()
{
    return g_host;
}

QUrl WebHost::AddPage(const QByteArray &html)
{
    QMutexLocker lock(&m_mutex);
    const QString name = QStringLiteral("/%1.html").arg(m_nextPage++);
    m_pages.insert(name, html);
    QUrl url;
    url.setScheme(QString::fromLatin1(AppCommands::kOwnScheme));
    url.setHost(QStringLiteral("page"));
    url.setPath(name);
    return url;
}

void WebHost::RemovePage(const QUrl &url)
{
    if (url.scheme() != QLatin1String(AppCommands::kOwnScheme) || url.host() != u"page")
        return;
    QMutexLocker lock(&m_mutex);
    m_pages.remove(url.path());
}

bool WebHost::FindPage(const QUrl &url, QByteArray *html) const
{
    if (url.scheme() != QLatin1String(AppCommands::kOwnScheme) || url.host() != u"page")
        return false;
    QMutexLocker lock(&m_mutex);
    const auto found = m_pages.constFind(url.path());
    if (found == m_pages.constEnd())
        return false;
    if (html)
        *html = *found;
    return true;
}

QString WebHost::LocalFileFor(const QUrl &url)
{
    AppCore *app = theAppIfAny();
    if (!app || url.scheme() != QLatin1String(AppCommands::kOwnScheme))
        return QString();
    const QString relative = url.path(QUrl::FullyDecoded).mid(1);
    const QString host = url.host();
    if (host == u"xsl")
        return FileBelow(app->GetXslFolder(), relative);
    if (host == u"doc")
        return FileBelow(app->GetDocFolder(), relative);
    if (host == u"data" && IsPicture(relative)) {
        // The detail pages name pictures by their whole path; it must lie in the data folder.
        const QString data = QFileInfo(app->GetDataFolder()).canonicalFilePath();
        const QString asked = u'/' + relative;
        const QString file = FileBelow(data, asked.startsWith(data + u'/') ? asked.mid(data.size() + 1) : relative);
        return IsPicture(file) ? file : QString();
    }
    return QString();
}
