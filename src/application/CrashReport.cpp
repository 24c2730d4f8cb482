#include "CrashReport.h"

#include "CrashHandler.h"

#include "app/AppCore.h"
#include "app/Utils.h"
#include "app/XSettings.h"

#include <QFile>
#include <QSaveFile>

namespace {
QString Hex(quint64 v)
{
    return QString::number(v, 16).toUpper();
}

const char *const Fields[] = {"code", "address", "time", "version", "passport_id", "error_msg"};
} // namespace

QString CrashReport::GetErrorReportPath()
{
    return theApp().GetDataFolder() + QStringLiteral("error.rpt");
}

QString CrashReport::ServerUrl(QString *passportFromSettings)
{
    AppCore *app = theAppIfAny();
    XSettings *settings = theSettingsIfAny();
    if (settings && settings->GetString(Setting::ServerURL).isEmpty()) {
        settings->init();
        if (passportFromSettings && app && app->GetSession().PassportId().isEmpty())
            *passportFromSettings = settings->GetString(Setting::PassportId);
    }
    if (app && app->OverrideFlag() && !app->ServerUrlOption().isEmpty())
        return app->ServerUrlOption();
    if (settings && !settings->GetString(Setting::ServerURL).isEmpty())
        return settings->GetString(Setting::ServerURL);
    return QString::fromLatin1(DefaultServerUrl);
}

CrashReport::CrashReport()
{
    m_request = std::make_unique<XRequest>(QStringLiteral("newCrashReport"), ServerUrl(&m_passportId));
}

bool CrashReport::Fill(bool unrecorded)
{
    const CrashHandler::ExceptionRecord r = CrashHandler::LastException();
    m_code = Hex(r.code);
    m_address = Hex(r.address);
    m_time = Hex(quint64(r.time));
    if (AppCore *app = theAppIfAny()) {
        const QString id = app->GetSession().PassportId();
        if (!id.isEmpty())
            m_passportId = id;
    }
    if (m_passportId.isEmpty())
        m_passportId = QStringLiteral("_UNDEF_");
    m_version = Utils::GetClientVersion();
    if (unrecorded)
        m_code += u'U';
    m_filled = true;
    // Failures after the first report are no longer recorded.
    CrashHandler::RemoveCrashHandler();
    return m_filled;
}

void CrashReport::Rebuild()
{
    m_request = std::make_unique<XRequest>(QStringLiteral("newCrashReport"), m_request->GetUrl());
    XmlNode e = m_request->AddParam(QStringLiteral("exception"));
    const QString values[] = {m_code, m_address, m_time, m_version, m_passportId, m_errorMessage};
    for (int i = 0; i < 6; ++i)
        e.AddChild(QLatin1String(Fields[i]), values[i]);
}

QByteArray CrashReport::DocumentText() const
{
    const_cast<CrashReport *>(this)->Rebuild();
    return m_request->GetRequestXml();
}

bool CrashReport::Save()
{
    QSaveFile file(GetErrorReportPath());
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray text = DocumentText();
    if (file.write(text) != text.size())
        return false;
    return file.commit();
}

bool CrashReport::LoadSaved()
{
    QFile file(GetErrorReportPath());
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // The whole file: an error text may hold line breaks.
    const XmlDoc doc = XmlDoc::Parse(file.readAll());
    const XmlNode e = doc.IsNull() ? XmlNode() : doc.Root().Select(QStringLiteral("exception"));
    if (e.IsNull())
        return false;
    QString *targets[] = {&m_code, &m_address, &m_time, &m_version, &m_passportId, &m_errorMessage};
    for (int i = 0; i < 6; ++i)
        *targets[i] = e.ChildText(QLatin1String(Fields[i]));
    m_filled = true;
    Rebuild();
    return true;
}

bool CrashReport::SendSaved()
{
    if (!LoadSaved())
        return false;
    if (!m_request->SendWithRelogin())
        return false;
    QFile::remove(GetErrorReportPath());
    return true;
}

void CrashReport::UpdateSignalTemplate()
{
    AppCore *app = theAppIfAny();
    if (!app)
        return;
    XRequest request(QStringLiteral("newCrashReport"), QStringLiteral("-"));
    request.AddParam(QStringLiteral("exception"));
    const QByteArray text = request.GetRequestXml();
    const int at = text.indexOf("<exception/>");
    if (at < 0)
        return;
    QString passport = app->GetSession().PassportId();
    if (passport.isEmpty() && theSettingsIfAny())
        passport = theSettings().GetString(Setting::PassportId);
    CrashHandler::SetReportTemplate(GetErrorReportPath(), text.left(at), Utils::GetClientVersion().toUtf8(),
                                    passport.toUtf8(), text.mid(at + int(qstrlen("<exception/>"))));
}
