#include "XProfile.h"

#include "XRequest.h"
#include "app/AppCore.h"

namespace {

bool ReadEnabled(const QString &disable)
{
    return disable != QLatin1String("1");
}

void ErrorBox(const QString &text, const QString &caption)
{
    theApp().ShowMessageBox(text, caption, MsgBox::IconError);
}

} // namespace

XProfile &theProfile()
{
    return Globals::Require<XProfile>(GlobalSlot::Profile, "theProfile");
}

ProfileData ProfileData::FromXml(const XmlNode &p)
{
    ProfileData d;
    d.name = p.ChildText(QStringLiteral("name"));
    d.email = p.ChildText(QStringLiteral("email"));
    d.phone = p.ChildText(QStringLiteral("phone"));
    d.fax = p.ChildText(QStringLiteral("fax"));
    d.mobile = p.ChildText(QStringLiteral("mobile"));
    d.street = p.ChildText(QStringLiteral("street"));
    d.city = p.ChildText(QStringLiteral("city"));
    d.country = p.ChildText(QStringLiteral("country"));
    if (d.country == QLatin1String("USA"))
        d.country = QStringLiteral("UNITED STATES");
    d.state = p.ChildText(QStringLiteral("state"));
    d.zip = p.ChildText(QStringLiteral("zip"));
    d.company = p.ChildText(QStringLiteral("company"));
    d.businessType = p.ChildText(QStringLiteral("business_type"));
    d.carBusinessType = p.ChildText(QStringLiteral("car_business_type"));
    d.website = p.ChildText(QStringLiteral("website"));
    d.role = p.ChildText(QStringLiteral("role"));
    d.carRole = p.ChildText(QStringLiteral("car_role"));
    d.filter = p.ChildText(QStringLiteral("filter"));
    d.carFilter = p.ChildText(QStringLiteral("car_filter"));
    d.qualification = p.ChildText(QStringLiteral("qualification"));
    d.signature = p.ChildText(QStringLiteral("signature"));
    d.carSignature = p.ChildText(QStringLiteral("car_signature"));
    d.refererId = p.ChildText(QStringLiteral("referer_id"));
    d.partsEnabled = ReadEnabled(p.ChildText(QStringLiteral("disable")));
    d.carsEnabled = ReadEnabled(p.ChildText(QStringLiteral("car_disable")));
    return d;
}

void ProfileData::WriteXml(XmlNode p) const
{
    AddChildElement(p, QStringLiteral("name"), name);
    AddChildElement(p, QStringLiteral("email"), email);
    AddChildElement(p, QStringLiteral("phone"), phone);
    AddChildElement(p, QStringLiteral("fax"), fax);
    AddChildElement(p, QStringLiteral("mobile"), mobile);
    AddChildElement(p, QStringLiteral("city"), city);
    AddChildElement(p, QStringLiteral("street"), street);
    AddChildElement(p, QStringLiteral("state"), state);
    AddChildElement(p, QStringLiteral("zip"), zip);
    AddChildElement(p, QStringLiteral("country"), country);
    AddChildElement(p, QStringLiteral("company"), company);
    AddChildElement(p, QStringLiteral("business_type"), businessType);
    AddChildElement(p, QStringLiteral("car_business_type"), carBusinessType);
    AddChildElement(p, QStringLiteral("website"), website);
    AddChildElement(p, QStringLiteral("password"), password);
    AddChildElement(p, QStringLiteral("role"), role);
    AddChildElement(p, QStringLiteral("car_role"), carRole);
    AddChildElement(p, QStringLiteral("filter"), filter);
    AddChildElement(p, QStringLiteral("car_filter"), carFilter);
    AddChildElement(p, QStringLiteral("qualification"), qualification);
    AddChildElement(p, QStringLiteral("signature"), signature);
    AddChildElement(p, QStringLiteral("car_signature"), carSignature);
    AddChildElement(p, QStringLiteral("referer_id"), refererId);
    AddChildElementLong(p, QStringLiteral("disable"), partsEnabled ? 0 : 1);
    AddChildElementLong(p, QStringLiteral("car_disable"), carsEnabled ? 0 : 1);
}

ProfileData XProfile::Get() const
{
    QMutexLocker l(&m_mutex);
    return m_data;
}

void XProfile::Set(const ProfileData &data)
{
    QMutexLocker l(&m_mutex);
    m_data = data;
}

QString XProfile::CleanFilter(const QString &input)
{
    QString filter = input;
    const QString separator = QStringLiteral(",,");
    for (const QString &operand : {QStringLiteral("@bi_business_type"), QStringLiteral("@bi_qualification")}) {
        // Each pass removes at least one occurrence of the operand, so the scan ends.
        for (;;) {
            const qsizetype at = filter.indexOf(operand);
            if (at < 0)
                break;
            const qsizetype own = filter.indexOf(separator, at + operand.size());
            if (own < 0)
                break;
            const qsizetype next = filter.indexOf(separator, own + separator.size());
            if (next < 0)
                break;
            const QString condition = filter.mid(at, next - at);
            filter.replace(condition, QStringLiteral("X,,X"));
        }
    }
    return filter;
}

bool XProfile::GetProfile()
{
    AppCore &app = theApp();
    if (!app.GetSession().IsLoggedIn())
        app.DoLogin();
    XRequest request(QStringLiteral("getProfile"));
    if (!request.SendWithRelogin()) {
        ErrorBox(request.GetStatusText(), QStringLiteral("Cannot get profile information"));
        return false;
    }
    ProfileData fresh = ProfileData::FromXml(request.GetResponseNode(QStringLiteral("profile")));
    // The password is never sent back; keep the one the member gave.
    fresh.password = Get().password;
    const QString asSent = fresh.filter;
    fresh.filter = CleanFilter(asSent);
    Set(fresh);
    if (fresh.filter == asSent || SaveFilter()) {
        if (IRecordViews *views = app.Views())
            views->BuildSpecialityFilterXml();
        return true;
    }
    Update([&](ProfileData &d) { d.filter = asSent; });
    app.ShowMessageBox(QStringLiteral("Can't set specialty"), QString(), MsgBox::Ok);
    return false;
}

bool XProfile::ChangeProfile()
{
    AppCore &app = theApp();
    if (!app.GetSession().IsLoggedIn())
        app.DoLogin();
    XRequest request(QStringLiteral("changeProfile"));
    Get().WriteXml(request.AddParam(QStringLiteral("profile")));
    if (!request.SendWithRelogin()) {
        ErrorBox(request.GetStatusText(), QStringLiteral("Cannot update profile"));
        return false;
    }
    return true;
}

bool XProfile::SaveFilter()
{
    const QString filter = Get().filter;
    if (!ChangeProfile())
        return false;
    // A login inside the change may have replaced the record from the server.
    Update([&](ProfileData &d) { d.filter = filter; });
    return true;
}

bool XProfile::NewProfile()
{
    XRequest request(QStringLiteral("newProfile"));
    Get().WriteXml(request.AddParam(QStringLiteral("profile")));
    if (!request.Send()) {
        ErrorBox(request.GetStatusText(), QStringLiteral("Error - Cannot Create New Profile"));
        return false;
    }
    theApp().GetSession().SetPassportId(request.GetResponseText(QStringLiteral("passport_id")));
    return true;
}
