#include "SpecialityBrowser.h"

#include "app/AppCore.h"
#include "app/Constants.h"
#include "app/FilterExpr.h"
#include "app/Utils.h"
#include "browser/WebHost.h"
#include "db/XQueryCarsSet.h"
#include "net/XProfile.h"

#include <QFileInfo>

namespace {

constexpr char kSheet[] = "specialities.xsl";

// "1991 - 2004", "till 2004", "from Present"...; empty without bounds.
QString YearsText(const QString &lower, const QString &upper, const QString &currentYear)
{
    if (!lower.isEmpty() && !upper.isEmpty())
        return lower + QStringLiteral(" - ") + upper;
    if (!upper.isEmpty())
        return upper == currentYear ? QStringLiteral("till Present") : QStringLiteral("till ") + upper;
    if (!lower.isEmpty())
        return lower == currentYear ? QStringLiteral("from Present") : QStringLiteral("from ") + lower;
    return QString();
}

// True when the filter says "receive nothing": every line shows "None".
bool AddedNone(const QString &filter, XmlNode parent, const QStringList &lines)
{
    if (filter.trimmed() != QLatin1String(FilterExpr::kNone))
        return false;
    for (const QString &line : lines)
        parent.AddChild(line, QStringLiteral("None"));
    return true;
}

QString YearBeside(const QString &value, int step)
{
    return Utils::IsNumeric(value) && !value.trimmed().isEmpty() ? QString::number(Utils::StrToInt(value) + step)
                                                                : QString();
}

QString Money(const QString &value)
{
    return value.isEmpty() ? QString() : Utils::FormatMoney(Utils::StrToInt(value), 0);
}

} // namespace

SpecialityBrowser::SpecialityBrowser(QWidget *parent, ViewCreation creation)
    : CWebBrowser2(parent, QStringLiteral("SpecialtyBrowser"), creation)
{
}

const QStringList &SpecialityBrowser::PartLines()
{
    static const QStringList lines{"originate_state", "pi_type", "pi_category", "vi_make", "vi_model", "years"};
    return lines;
}

const QStringList &SpecialityBrowser::CarLines()
{
    static const QStringList lines{"vi_category", "vi_make", "vi_model", "years", "price", "location"};
    return lines;
}

void SpecialityBrowser::ConvertPartFilter(const QString &filter, XmlNode parent, const QString &currentYear)
{
    if (filter.isEmpty() || AddedNone(filter, parent, PartLines()))
        return;
    QString lower, upper;
    for (const FilterExpr::Triple &t : FilterExpr::ReadTriples(filter)) {
        if (t.field == u"si_state")
            parent.AddChild(QStringLiteral("originate_state"), t.value);
        else if (t.field == u"pi_type" && t.value != u"Any")
            parent.AddChild(QStringLiteral("pi_type"), t.value);
        else if (t.field == u"pi_category" || t.field == u"vi_make" || t.field == u"vi_model")
            parent.AddChild(t.field, t.value);
        else if (t.field == u"vi_year" && t.op == u"#LT")
            upper = YearBeside(t.value, -1);
        else if (t.field == u"vi_year" && t.op == u"#GT")
            lower = YearBeside(t.value, 1);
    }
    const QString years = YearsText(lower, upper, currentYear);
    if (!years.isEmpty())
        parent.AddChild(QStringLiteral("years"), years);
}

void SpecialityBrowser::ConvertCarFilter(const QString &filter, XmlNode parent, const QString &currentYear)
{
    if (filter.isEmpty() || AddedNone(filter, parent, CarLines()))
        return;
    // The writer puts the From bounds beside the "to"/"max" operands (the two
    // ranges overlap), so those are the lower ones.
    QString lowerYear, upperYear, lowerPrice, upperPrice, zip, distance;
    for (const FilterExpr::Triple &t : FilterExpr::ReadTriples(filter)) {
        if (t.field == u"vi_category" || t.field == u"vi_make" || t.field == u"vi_model")
            parent.AddChild(t.field, t.value);
        else if (t.field == u"vi_to_year")
            lowerYear = t.value;
        else if (t.field == u"vi_from_year")
            upperYear = t.value;
        else if (t.field == u"pi_max_price")
            lowerPrice = Money(t.value);
        else if (t.field == u"pi_min_price")
            upperPrice = Money(t.value);
        else if (t.field == u"pi_zip" && t.op == u"#CZD")
            zip = t.value;
        else if (t.field == u"pi_zip")
            distance = t.value;
    }
    const QString years = YearsText(lowerYear, upperYear, currentYear);
    if (!years.isEmpty())
        parent.AddChild(QStringLiteral("years"), years);
    parent.AddChild(QStringLiteral("price"), FormatRangeText(lowerPrice, upperPrice));
    if (!zip.isEmpty() && !distance.isEmpty())
        parent.AddChild(QStringLiteral("location"), QStringLiteral("Zip: %1 Range: %2 Miles").arg(zip, distance));
}

XmlDoc SpecialityBrowser::BuildXml(int marketMode, const QString &filter, const QString &currentYear)
{
    const bool cars = marketMode == Korvant::MarketCars;
    XmlDoc doc = XmlDoc::Create(cars ? QStringLiteral("specialities_cars") : QStringLiteral("specialities"));
    if (cars)
        ConvertCarFilter(filter, doc.Root(), currentYear);
    else
        ConvertPartFilter(filter, doc.Root(), currentYear);
    return doc;
}

void SpecialityBrowser::ShowSpeciality(int marketMode)
{
    XProfile *profile = Globals::As<XProfile>(GlobalSlot::Profile);
    const ProfileData data = profile ? profile->Get() : ProfileData();
    Show(marketMode, marketMode == Korvant::MarketCars ? data.carFilter : data.filter);
}

void SpecialityBrowser::ShowSpecialities(const QString &partFilter)
{
    Show(Korvant::MarketParts, partFilter);
}

void SpecialityBrowser::ShowSpecialitiesCars(const QString &carFilter)
{
    Show(Korvant::MarketCars, carFilter);
}

void SpecialityBrowser::Refresh()
{
    if (m_shownMode >= 0)
        ShowSpeciality(m_shownMode);
}

void SpecialityBrowser::Show(int marketMode, const QString &filter)
{
    m_shownMode = marketMode;
    const XmlDoc doc = BuildXml(marketMode, filter, Utils::GetCurrentYear());
    AppCore *app = theAppIfAny();
    const bool sheet = app && QFileInfo::exists(app->GetXslFolder() + u'/' + QLatin1String(kSheet));
    ShowHtml(sheet ? Utils::TransformXml(doc.Raw(), QLatin1String(kSheet)) : QString());
}

bool SpecialityBrowser::RunAppCommand(const QString &command, const AppParams &)
{
    // Only the edit links; any other command of this page is dropped.
    const bool cars = command == u"edit-speciality-cars";
    if (!cars && command != u"edit-speciality")
        return false;
    WebHost *host = WebHost::Instance();
    if (IFrameCommands *frame = host ? host->FrameCommands() : nullptr)
        frame->EditSpecialty(cars);
    return true;
}
