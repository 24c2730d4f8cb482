#include "TradeXml.h"

#include "XBaseSet.h"

#include "app/AppCore.h"
#include "app/Globals.h"
#include "app/Utils.h"
#include "app/XSettings.h"
#include "net/XMarketPlaces.h"

namespace TradeXml {

using RecordXml::Field;

int MarketMode()
{
    const AppCore *app = theAppIfAny();
    const IMainFrame *frame = app ? app->Frame() : nullptr;
    const int mode = frame ? frame->GetMarketMode() : 0;
    return mode == 1 ? 1 : 0;
}

int PageSection()
{
    const AppCore *app = theAppIfAny();
    const IMainFrame *frame = app ? app->Frame() : nullptr;
    return frame ? frame->GetPageSection() : 0;
}

bool SendMessageEnabled(IRecordViews::ListKind kind)
{
    const AppCore *app = theAppIfAny();
    const IRecordViews *views = app ? app->Views() : nullptr;
    return views && views->IsOperationEnabled(kind, IRecordViews::OpSendMessage);
}

ProfileData Profile()
{
    const XProfile *profile = Globals::As<XProfile>(GlobalSlot::Profile);
    return profile ? profile->Get() : ProfileData();
}

QString PassportId()
{
    const AppCore *app = theAppIfAny();
    return app ? app->GetSession().PassportId() : QString();
}

bool ContactFlag()
{
    const AppCore *app = theAppIfAny();
    return app && app->OverrideFlag();
}

bool PaymentFeature()
{
    const AppCore *app = theAppIfAny();
    return app && app->PaymentFeature();
}

QString ServerWebAddress()
{
    QString url;
    if (const XSettings *s = theSettingsIfAny())
        url = s->GetString(Setting::ServerURL);
    if (url.isEmpty())
        url = QString::fromLatin1(DefaultServerUrl);
    const qsizetype scheme = url.indexOf(QLatin1String("://"));
    const qsizetype slash = url.lastIndexOf(QLatin1Char('/'));
    if (slash > scheme + 2)
        url.truncate(slash);
    return url;
}

void AddMarketXml(XmlNode element, const QString &marketId, const QString &marketName)
{
    const bool personal = marketId == QLatin1String("PERSONAL");
    QString label = marketName;
    if (personal)
        label = marketName.isEmpty() ? QStringLiteral("Personal") : QStringLiteral("Personal to %1").arg(marketName);
    element.AddChild(QStringLiteral("market_name"), label);
    if (personal) {
        element.SetAttr(QStringLiteral("market_image"), QStringLiteral("personal"));
        return;
    }
    if (marketId.isEmpty())
        return;
    const XMarketPlaces *places = Globals::As<XMarketPlaces>(GlobalSlot::MarketPlaces);
    if (!places) {
        element.SetAttr(QStringLiteral("market_image"), QStringLiteral("no_mplace"));
        return;
    }
    const QString icon = places->GetIconFileName(marketId);
    if (!icon.isEmpty()) {
        element.SetAttr(QStringLiteral("market_image"), icon);
        return;
    }
    bool known = false;
    for (const XMarketPlace &p : places->All()) {
        if (p.marketId == marketId) {
            known = true;
            break;
        }
    }
    if (!known)
        element.SetAttr(QStringLiteral("market_image"), QStringLiteral("no_mplace"));
}

static const Field kContactRead[] = {
    {"name", "C_NAME"},       {"phone", "C_PHONE"}, {"mobile", "C_MOBILE"}, {"fax", "C_FAX"},
    {"website", "C_WEBSITE"}, {"street", "C_STREET"}, {"city", "C_CITY"},   {"state", "C_STATE"},
    {"zip", "C_ZIP"},         {"country", "C_COUNTRY"}, {"company", "C_COMPANY"}, {"signature", "C_SIGNATURE"},
};

void ReadContact(XBaseSet &set, const XmlNode &contactInfo, bool websitePrefix)
{
    RecordXml::Read(set, contactInfo, kContactRead);
    if (websitePrefix)
        RecordXml::ReadField(set, contactInfo, {"website", "C_WEBSITE", RecordXml::Url});
}

void WriteContact(const XBaseSet &set, XmlNode parent, bool blankState)
{
    static const Field kHead[] = {
        {"id", "C_ID"},         {"name", "C_NAME"},     {"phone", "C_PHONE"}, {"mobile", "C_MOBILE"},
        {"fax", "C_FAX"},       {"website", "C_WEBSITE"}, {"street", "C_STREET"}, {"city", "C_CITY"},
    };
    static const Field kTail[] = {{"zip", "C_ZIP"}, {"country", "C_COUNTRY"}, {"company", "C_COMPANY"}};
    RecordXml::Write(set, parent, kHead);
    RecordXml::WriteField(set, parent, {"state", "C_STATE", blankState ? RecordXml::BlankIfEmpty : RecordXml::Text});
    RecordXml::Write(set, parent, kTail);
    parent.AddChild(QStringLiteral("signature"), Profile().signature);
}

void WriteContactDetail(const XBaseSet &set, XmlNode fields, bool incoming, ContactLayout layout)
{
    static const Field kBody[] = {
        {"phone", "C_PHONE"},  {"mobile", "C_MOBILE"}, {"fax", "C_FAX"},         {"website", "C_WEBSITE", RecordXml::Url},
        {"street", "C_STREET"}, {"city", "C_CITY"},     {"state", "C_STATE"},     {"zip", "C_ZIP"},
        {"country", "C_COUNTRY"}, {"company", "C_COMPANY"},
    };
    const Field rating{"rating", "QFY_LEVEL", RecordXml::Rating};
    RecordXml::WriteField(set, fields, {"id", "C_ID"});
    RecordXml::WriteField(set, fields, {"name", "C_NAME"});
    if (incoming)
        fields.AddChild(QStringLiteral("email"), QStringLiteral("email"));
    if (!layout.ratingLast)
        RecordXml::WriteField(set, fields, rating);
    RecordXml::Write(set, fields, kBody);
    if (layout.businessType)
        RecordXml::WriteField(set, fields, {"business-type", "BUSINESS_TYPE"});
    fields.AddChild(QStringLiteral("signature"), incoming ? set.GetText("C_SIGNATURE") : Profile().signature);
    if (layout.ratingLast)
        RecordXml::WriteField(set, fields, rating);
}

const std::array<CarOption, 30> &KnownCarOptions()
{
    static const std::array<CarOption, 30> options = {{
        {"ac_front", "A/C: Front"},
        {"ac_rear", "A/C: Rear"},
        {"cr_control", "Cruise Control"},
        {"nav_system", "Navigation System"},
        {"power_locks", "Power Locks"},
        {"power_steerin", "Power Steering"},
        {"rem_keyless_ent", "Remote Keyless Entry"},
        {"tv_vcr", "TV / VCR"},
        {"airbag_dr", "Airbag: Driver"},
        {"airbag_pr", "Airbag: Passenger"},
        {"airbag_side", "Airbag: Side"},
        {"alarm", "Alarm"},
        {"al_brakers", "Anti-Lock Brakes"},
        {"fog_lights", "Fog Lights"},
        {"pow_windows", "Power Windows"},
        {"rear_wnd_wpr", "Rear Window Wiper"},
        {"rear_wnd_defr", "Rear Window Defroster"},
        {"trinted_glass", "Tinted Glaas"},
        {"bucket_seats", "Bucket Seats"},
        {"leather_inter", "Leather Interior"},
        {"memory_seats", "Memory Seats"},
        {"power_seats", "Power Seats"},
        {"cass_radio", "Cassette Radio"},
        {"cd_changer", "CD Changer"},
        {"cd_player", "CD Player"},
        {"premium_sound", "Premium Sound"},
        {"alloy_wheels", "Alloy Wheels"},
        {"soonroof_moonroof", "Soonroof/Moonroof"},
        {"third_row_seats", "Third Row Seats"},
        {"tow_package", "Tow Package"},
    }};
    return options;
}

XmlNode AddCarOptions(XmlNode parent, const QString &options, const QString &addOptions)
{
    XmlNode list = parent.AddChild(QStringLiteral("options"));
    for (const CarOption &o : KnownCarOptions()) {
        if (options.contains(QLatin1String(o.key)))
            list.AddChild(QStringLiteral("option"), QLatin1String(o.label));
    }
    if (!addOptions.isEmpty())
        list.AddChild(QStringLiteral("option"), addOptions);
    return list;
}

QString EngineSizeText(const QString &size, const QString &unit)
{
    return size.isEmpty() ? QString() : QStringLiteral("%1 %2").arg(size, unit);
}

QString ModelText(const QString &model, const QString &submodel)
{
    return !model.isEmpty() && !submodel.isEmpty() ? model + QLatin1Char(' ') + submodel : model;
}

QString ExpirationText(const QDateTime &posted, int days, const char *format)
{
    return posted.isValid() ? RecordXml::FormatDate(posted.addSecs(qint64(days) * 86400), format) : QString();
}

} // namespace TradeXml

namespace TradeXml {

RecordXml::Table VehicleRead()
{
    static const Field fields[] = {
        {"make", "V_MAKE"},
        {"model", "V_MODEL"},
        {"year", "V_YEAR"},
        {"vin", "V_VIN"},
        {"transmission", "V_TRANSMISSION"},
        {"axle", "V_AXLE"},
        {"engine_type", "V_ENGINE"},
        {"engine_size", "V_ENGINE_SIZE"},
        {"engine_size_units", "V_ENGINE_SIZE_UNIT"},
        {"fuel_delivery", "V_DELIVERY"},
        {"fuel", "V_FUEL"},
        {"aspiration", "V_ASPIRATION"},
        {"body_style", "V_BODY_STYLE"},
    };
    return fields;
}

RecordXml::Table VehicleWrite()
{
    static const Field fields[] = {
        {"make", "V_MAKE"},
        {"model", "V_MODEL"},
        {"year", "V_YEAR"},
        {"vin", "V_VIN"},
        {"aspiration", "V_ASPIRATION"},
        {"body_style", "V_BODY_STYLE"},
        {"engine_type", "V_ENGINE"},
        {"engine_size", "V_ENGINE_SIZE"},
        {"engine_size_units", "V_ENGINE_SIZE_UNIT"},
        {"fuel_delivery", "V_DELIVERY"},
        {"fuel", "V_FUEL"},
        {"transmission", "V_TRANSMISSION"},
        {"axle", "V_AXLE"},
    };
    return fields;
}

RecordXml::Table VehicleDetail()
{
    static const Field fields[] = {
        {"make", "V_MAKE"},
        {"model", "V_MODEL"},
        {"year", "V_YEAR"},
        {"vin", "V_VIN"},
        {"aspiration", "V_ASPIRATION"},
        {"body_style", "V_BODY_STYLE"},
        {"engine", "V_ENGINE"},
        {"engine_size", "V_ENGINE_SIZE"},
        {"engine_size_units", "V_ENGINE_SIZE_UNIT"},
        {"fuel_delivery", "V_DELIVERY"},
        {"fuel", "V_FUEL"},
        {"transmission", "V_TRANSMISSION"},
        {"axle", "V_AXLE"},
    };
    return fields;
}

} // namespace TradeXml

void TradeXml::WriteDetailHead(const XBaseSet &set, XmlNode root, const char *dateFormat)
{
    const QDateTime posted = set.GetDate("POST_DATE");
    root.AddChild(QStringLiteral("status"), set.GetText("STATUS"));
    root.AddChildInt(QStringLiteral("status_code"), set.GetInt("STATUS_CODE"));
    root.AddChild(QStringLiteral("post_date"), RecordXml::FormatDate(posted, dateFormat));
    root.AddChild(QStringLiteral("expiration_date"), ExpirationText(posted, set.GetInt("LIVE_TIME"), dateFormat));
    root.AddChild(QStringLiteral("comments"), set.GetText("COMMENTS"));
    AddMarketXml(root, set.GetText("MARKET_ID"), set.GetText("MARKET_NAME"));
    root.SetAttr(QStringLiteral("id"), set.GetText("ID"));
}
