#include "VersionControl.h"

#include "XRequest.h"
#include "app/AppCore.h"
#include "app/Utils.h"

QString GetClientDbVersion()
{
    return QStringLiteral("98");
}

int VersionControl::LeadingNumber(const QString &version)
{
    const qsizetype dot = version.indexOf(u'.');
    return ParseLeadingInt(dot < 0 ? QStringView(version) : QStringView(version).left(dot));
}

VersionControl::Numbers VersionControl::ReadNumbers(const QString &version)
{
    Numbers n;
    const qsizetype first = version.indexOf(u'.');
    const qsizetype last = version.lastIndexOf(u'.');
    n.first = LeadingNumber(version);
    n.second = ParseLeadingInt(first < 0 ? QStringView(version) : QStringView(version).mid(first + 1));
    n.third = last < 0 ? 0 : ParseLeadingInt(QStringView(version).mid(last + 1));
    return n;
}

bool VersionControl::UpdateRequiredBy(const QString &serverVersion, const QString &metaVersion)
{
    return LeadingNumber(serverVersion) > 7 || LeadingNumber(metaVersion) > 2;
}

bool VersionControl::IsNewerVersion(const QString &offered, const QString &running)
{
    // Compared in order, most significant number first: 2.6.0 is older than 3.0.1.
    return ReadNumbers(offered) > ReadNumbers(running);
}

bool VersionControl::CheckVersion()
{
    return GetMainInfo();
}

bool VersionControl::GetMainInfo()
{
    XRequest request(QStringLiteral("getMainInfo"));
    while (!request.Send()) {
        AppCore *app = theAppIfAny();
        int *warn = app ? app->ShowErrorsFlag() : nullptr;
        if (!warn || !*warn)
            return false;
        const int answer = app->ShowMessageDlg2(QStringLiteral("Cannot retrieve main info"),
                                                request.GetStatusText(), warn, 1, MsgBox::IconResWarning);
        if (answer != MsgBox::IdOk || !*warn)
            return false;
    }
    m_updateRequired = m_updateRequired ||
                       UpdateRequiredBy(request.GetResponseText(QStringLiteral("server_version")),
                                        request.GetResponseText(QStringLiteral("meta_version")));
    m_newVersionAvailable = m_newVersionAvailable ||
                            IsNewerVersion(request.GetResponseText(QStringLiteral("client_version")),
                                           Utils::GetClientVersion());
    return true;
}
