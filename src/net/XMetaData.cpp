#include "XMetaData.h"

#include "XRequest.h"
#include "app/AppCore.h"

#include <QFile>

namespace {

void ErrorBox(const QString &text, const QString &caption)
{
    theApp().ShowMessageBox(text, caption, MsgBox::IconError);
}

QStringList NumberRange(int from, int to)
{
    QStringList out;
    for (int i = from; i <= to; ++i)
        out << QString::number(i);
    return out;
}

// "$1,000": thousands grouped with commas, independent of the locale.
QString Grouped(int value)
{
    QString digits = QString::number(value);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, u',');
    return digits;
}

} // namespace

XMetaData &theMeta()
{
    return Globals::Require<XMetaData>(GlobalSlot::Meta, "theMeta");
}

XMetaDataCars &theMetaCars()
{
    return Globals::Require<XMetaDataCars>(GlobalSlot::MetaCars, "theMetaCars");
}

// --- XMetaDataBase ----------------------------------------------------------------------

bool XMetaDataBase::LoadCache()
{
    QString error;
    XmlDoc doc = XmlDoc::LoadFile(m_cachePath, &error);
    m_doc = doc;
    return !doc.IsNull();
}

void XMetaDataBase::init()
{
    try {
        m_cachePath = theApp().GetDataFolder() + GetFileName();
        QFile probe(m_cachePath);
        if (!probe.open(QIODevice::ReadOnly)) {
            Retrieve();
            if (!probe.open(QIODevice::ReadOnly))
                throw XmlError(QStringLiteral("no meta data available"));
        }
        probe.close();
        if (!LoadCache())
            ErrorBox(QStringLiteral("Cannot load metadata"), QStringLiteral("Error"));
        SelectRoot();
        RebuildLists();
    } catch (...) {
        ErrorBox(QStringLiteral("Cannot initialize metadata"), QStringLiteral("Error"));
    }
}

bool XMetaDataBase::Retrieve()
{
    if (m_cachePath.isEmpty())
        m_cachePath = theApp().GetDataFolder() + GetFileName();
    XRequest request(GetOperation());
    if (!request.Send()) {
        ErrorBox(request.GetStatusText(), QStringLiteral("Cannot retrieve metadata"));
        return false;
    }
    // The whole answer, written beside and renamed over the old file.
    QString error;
    if (!request.GetResponseDocument().SaveFile(m_cachePath, &error)) {
        ErrorBox(error, QStringLiteral("Cannot retrieve metadata"));
        return false;
    }
    return true;
}

void XMetaDataBase::SelectRoot()
{
    m_root = m_doc.IsNull() ? XmlNode() : m_doc.Root().Select(GetRootPath());
    m_loadedVersion = m_root.Attr(QStringLiteral("version"));
}

void XMetaDataBase::Refresh()
{
    try {
        Retrieve();
        if (!LoadCache())
            throw XmlError(QStringLiteral("Cannot load ") + m_cachePath);
        SelectRoot();
    } catch (...) {
        ErrorBox(QStringLiteral("Cannot refresh metadata"), QStringLiteral("Error"));
    }
}

QString XMetaDataBase::MainInfoText(const QString &name)
{
    XRequest request(QStringLiteral("getMainInfo"));
    if (!request.Send()) {
        ErrorBox(request.GetStatusText(), QStringLiteral("Cannot retrieve main info"));
        return {};
    }
    return request.GetResponseText(name);
}

void XMetaDataBase::CheckVersion()
{
    if (m_cachePath.isEmpty())
        m_cachePath = theApp().GetDataFolder() + GetFileName();
    if (!QFile::exists(m_cachePath)) {
        Refresh();
        return;
    }
    const QString server = GetServerVersion();
    if (!server.isEmpty() && server != m_loadedVersion)
        Refresh();
}

void XMetaDataBase::FillList(IItemSink &box, int kind) const
{
    const QString path = GetListPath(kind);
    if (path.isEmpty())
        return;
    for (const XmlNode &n : m_root.SelectAll(path)) {
        const int index = box.AddItem(n.Text());
        box.SetItemData(index, ParseLeadingInt(n.Attr(QStringLiteral("id"))));
    }
}

void XMetaDataBase::FillListDistinct(IItemSink &box, int kind, int startIndex) const
{
    const QString path = GetListPath(kind);
    if (path.isEmpty())
        return;
    for (const XmlNode &n : m_root.SelectAll(path)) {
        const QString text = n.Text();
        if (box.FindStringExact(startIndex, text) >= 0)
            continue;
        const int index = box.AddItem(text);
        box.SetItemData(index, ParseLeadingInt(n.Attr(QStringLiteral("id"))));
    }
}

void XMetaDataBase::FillDependentList(IItemSink &box, int kind, int parentId) const
{
    for (const XmlNode &n : DependentNodes(kind, parentId)) {
        const int index = box.AddItem(n.Text());
        box.SetItemData(index, ParseLeadingInt(n.Attr(QStringLiteral("category_id"))));
    }
}

QList<XmlNode> XMetaDataBase::DependentNodes(int kind, int parentId) const
{
    const QString path = GetDependentPath(kind);
    if (path.isEmpty())
        return {};
    QList<XmlNode> nodes = m_root.SelectAll(path);
    if (parentId == -1)
        return nodes;
    const QString attr = kind == 1 ? QStringLiteral("make_id") : QStringLiteral("category_id");
    const QString id = QString::number(parentId);
    nodes.removeIf([&](const XmlNode &n) { return n.Name() != u"value" || n.Attr(attr) != id; });
    return nodes;
}

void XMetaDataBase::GetNameIdMap(QMap<QString, QString> &map, int kind) const
{
    const QString path = GetListPath(kind);
    if (path.isEmpty())
        return;
    for (const XmlNode &n : m_root.SelectAll(path))
        map[n.Text()] = n.Attr(QStringLiteral("id"));
}

void XMetaDataBase::GetDependentMap(QMap<QString, QString> &map, int kind, int parentId) const
{
    for (const XmlNode &n : DependentNodes(kind, parentId))
        map[n.Text()] = n.Attr(QStringLiteral("category_id"));
}

// --- XMetaData ------------------------------------------------------------------------------

XMetaData::XMetaData() = default;

QString XMetaData::GetListPath(int kind) const
{
    switch (kind) {
    case 0: return QStringLiteral("vehicle_info/make/*");
    case 2: return m_condition + QStringLiteral("/category/*");
    case 4: return QStringLiteral("body_style_info/*");
    case 5: return QStringLiteral("side_info/*");
    case 6: return QStringLiteral("engine_type_info/*");
    case 7: return QStringLiteral("fuel_type_info/*");
    case 8: return QStringLiteral("drive_type_info/*");
    case 9: return QStringLiteral("transmission_info/*");
    default: return {};
    }
}

QString XMetaData::GetDependentPath(int kind) const
{
    if (kind == 1)
        return QStringLiteral("vehicle_info/model/*");
    if (kind == 3)
        return m_condition + QStringLiteral("/name/*");
    return {};
}

void XMetaData::SetPartCondition(int condition)
{
    switch (condition) {
    case 0: m_condition = QStringLiteral("part_info_new"); break;
    case 1: m_condition = QStringLiteral("part_info_used"); break;
    case 2: m_condition = QStringLiteral("part_info_remn"); break;
    default: break;
    }
}

bool XMetaData::FindPartName(MetaPartInfo &info) const
{
    // Compared here rather than in an XPath, so any name (an apostrophe too) is safe.
    for (const XmlNode &n : m_root.SelectAll(m_condition + QStringLiteral("/name/value"))) {
        if (n.Text() != info.name)
            continue;
        info.id = n.Attr(QStringLiteral("id"));
        info.categoryId = n.Attr(QStringLiteral("category_id"));
        info.qrAmount = n.Attr(QStringLiteral("qr_amount"));
        info.qtAmount = n.Attr(QStringLiteral("qt_amount"));
        info.ciAmount = n.Attr(QStringLiteral("ci_amount"));
        return true;
    }
    return false;
}

QString XMetaData::GetScript() const
{
    const XmlNode script = m_root.Select(QStringLiteral("//meta_info/script"));
    if (script.IsNull())
        throw XmlError(QStringLiteral("The metadata hold no rating script"), QStringLiteral("metadata"));
    return script.Text();
}

void XMetaData::RebuildLists()
{
    FixedLists f;
    f.originTypes = QStringList{"OEM", "Aftermarket", "Remanufactured", "Surplus", "Used"};
    f.conditionsAny = QStringList{"Used", "Remanufactured", "New", "Any"};
    f.conditionsOther = QStringList{"Used", "Remanufactured", "New", "Other"};
    f.engineSizeUnits = QStringList{"CID", "CC", "LI"};
    f.fuelSystems = QStringList{"Carburetor", "Fuel Injection"};
    f.timeFrames = QStringList{"Urgent", "3 Days", "1 Week", "2 Weeks"};
    f.businessTypes = QStringList{"Auction Pool", "Auto Part Store", "Auto Recycler", "Body Shop", "Car Dealer", "Car Repair",
        "Claim Service", "Collision Repair", "Consumer", "Distributor", "Fleet Company",
        "Do-It-Yourselfer", "Importer/Exporter", "Importer", "Exporter", "Insurance Adjuster",
        "Insurance Company", "Jobber", "Manufacturer", "Mechanic", "Other", "Refurbisher",
        "Remanufacturer", "Retailer", "Titling Company", "Towing Service", "Wholesaler", "Surplus Store",
        "Part Broker", "Market Maker"};
    f.doingBusinessWith = QStringList{"Individual", "Retailer", "Insurance", "Consumer", "Distributor", "Wholesaler", "Manufacturer"};
    f.stateCodes = QStringList{"AL", "AK", "AZ", "AR", "CA", "CO", "CT", "DE", "DC", "FL", "GA", "HI", "ID", "IL", "IN", "IA",
        "KS", "KY", "LA", "ME", "MD", "MA", "MI", "MN", "MS", "MO", "MT", "NE", "NV", "NH", "NJ", "NM",
        "NY", "NC", "ND", "OH", "OK", "OR", "PA", "RI", "SC", "SD", "TN", "TX", "UT", "VT", "VA", "WA",
        "WV", "WI", "WY", "AB", "BC", "MB", "NB", "NL", "NT", "NS", "NU", "ON", "PE", "QC", "SK", "YT",
        "PR", "VI"};
    f.sidePositions = QStringList{"Front", "Front Driver", "Front Passenger", "Rear", "Rear Driver", "Rear Passenger"};
    f.turboOptions = QStringList{"Turbo", "Non-Turbo"};
    f.numbers12To30 = NumberRange(12, 30);
    f.numbers5To12 = NumberRange(5, 12);
    f.qualifications = QStringList{">0", ">1", ">2", ">3", ">4"};
    f.countries = QStringList{"UNITED STATES", "AFGHANISTAN", "ALBANIA", "ALGERIA", "ANDORRA", "ANGOLA", "ARGENTINA", "ARMENIA",
        "AUSTRALIA", "AUSTRIA", "AZERBAIJAN", "BAHAMAS", "BAHRAIN", "BANGLADESH", "BELARUS", "BELGIUM",
        "BENIN", "BHUTAN", "BOLIVIA", "BOSNIA-HERZEGOVINA", "BOTSWANA", "BRAZIL", "BRUNEI", "BULGARIA",
        "BURKINA FASO", "BURMA", "BURUNDI", "CAMBODIA", "CAMEROON", "CANADA", "CAPE VERDE",
        "CENTRAL AFRICAN REPUBLIC", "CHAD", "CHILE", "CHINA", "COLOMBIA", "CONGO", "COSTA RICA", "CROATIA",
        "CYPRUS", "CZECH REPUBLIC", "DENMARK", "DOMINICAN REPUBLIC", "EAST TIMOR", "ECUADOR", "EGYPT",
        "EL SALVADOR", "EQUATORIAL GUINEA", "ESTONIA", "ETHIOPIA", "FINLAND", "FRANCE", "GEORGIA",
        "GERMANY", "GHANA", "GREECE", "GUATEMALA", "GUINEA", "HOLLAND", "HUNGARY", "ICELAND", "INDIA",
        "INDONESIA", "IRAN", "IRAQ", "IRELAND", "ISRAEL", "ITALY", "JAMAICA", "JAPAN", "JORDAN",
        "KAZAKHSTAN", "KENYA", "KOREA", "KUWAIT", "KYRGYZSTAN", "LAOS", "LATVIA", "LEBANON", "LIBERIA",
        "LIBYA", "LIECHTENSTEIN", "LITHUANIA", "LUXEMBOURG", "MACEDONIA", "MADAGASCAR", "MALAYSIA",
        "MALTA", "MEXICO", "MOLDOVA", "MONACO", "MONGOLIA", "MOROCCO", "MOZAMBIQUE", "NAMIBIA", "NEPAL",
        "NETHERLANDS", "NEW ZEALAND", "NICARAGUA", "NIGERIA", "NORTH KOREA", "NORWAY", "OMAN", "PAKISTAN",
        "PANAMA", "PERU", "PHILIPPINES", "POLAND", "PORTUGAL", "PUERTO RICO", "QATAR", "ROMANIA", "RUSSIA",
        "SAN MARINO", "SAUDI ARABIA", "SERBIA/MONTENEGRO", "SIERRA LEONE", "SINGAPORE", "SLOVAKIA",
        "SLOVENIA", "SOMALIA", "SOUTH AFRICA", "SOUTH KOREA", "SPAIN", "SRI LANKA", "SUDAN", "SWEDEN",
        "SWITZERLAND", "SYRIA", "TAIWAN", "TAJIKISTAN", "TANZINIA", "THAILAND", "TRINIDAD", "TUNISIA",
        "TURKEY", "TURKMENISTAN", "U.A.E.", "UGANDA", "UKRAINE", "UNITED KINGDOM", "URUGUAY", "UZBEKISTAN",
        "VENEZUELA", "VIETNAM", "WEST INDIES", "WESTERN AUSTRALIA", "YEMEN", "ZAMBIA", "ZIMBABWE"};
    for (int v = 1000; v <= 25000; v += 1000)
        f.priceSteps << u'$' + Grouped(v);
    for (int v = 30000; v <= 100000; v += 5000)
        f.priceSteps << u'$' + Grouped(v);
    for (int v = 10000; v <= 100000; v += 10000)
        f.mileageSteps << Grouped(v);
    f.distances = QStringList{"10", "20", "40", "50", "75", "100", "150", "250", "500"};
    f.vehicleCategories = QStringList{"Convertibles", "Luxury Cars", "Minivans", "Passenger Cars", "Sport-Utility Vehicles",
        "Sports Cars", "Trucks", "Vans", "Wagons"};
    m_fixed = f;
}

// --- XMetaDataCars ---------------------------------------------------------------------------

XMetaDataCars::XMetaDataCars() = default;

QString XMetaDataCars::GetListPath(int kind) const
{
    static const char *const paths[] = {"vehicle_info/make/*", nullptr, "body_style_info/*", "int_color_info/*",
                                        "ext_color_info/*", nullptr, "v_types_info/*", "p_range_info/*",
                                        "m_range_info/*", "distance_info/*", "damage_info/*", "transmission_info/*",
                                        "drive_train_info/*", "eng_types_info/*", "eng_size_units_info/*",
                                        "time_frame_info/*", "category_info/*", "condition_info/*",
                                        "engine_cyls_info/*", "doors_info/*", "payment_method_info/*",
                                        "damage_title_info/*"};
    if (kind < 0 || kind >= int(std::size(paths)) || !paths[kind])
        return {};
    return QString::fromLatin1(paths[kind]);
}

QString XMetaDataCars::GetDependentPath(int kind) const
{
    return kind == 1 ? QStringLiteral("vehicle_info/model/*") : QString();
}

QString XMetaDataCars::GetScript() const
{
    const XmlNode script = m_root.Select(QStringLiteral("//car_meta_info/script"));
    if (script.IsNull())
        throw XmlError(QStringLiteral("The metadata hold no rating script"), QStringLiteral("metadata"));
    return script.Text();
}

void XMetaDataCars::RebuildLists()
{
    FixedLists f;
    f.titleKinds = QStringList{"Used", "Salvage"};
    f.bodyStyles = QStringList{"Cargo Van", "Conversion", "Convertible", "Coupe", "Crew Cab", "Ext Minivan", "Extended Cab",
        "Hatchback", "Minivan", "Pass Van", "Regular Cab", "SUV", "Sedan", "Truck", "Wagon"};
    f.transmissions = QStringList{"Manual", "Automatic"};
    f.conditions = QStringList{"Excellent", "Good", "Fair", "Poor"};
    f.colours = QStringList{"Beige", "Black", "Blue", "Brown", "Burgundy", "Champagne", "Charcoal", "Cream", "Gold", "Gray",
        "Green", "Maroon", "Off White", "Orange", "Pewter", "Pink", "Purple", "Red", "Silver", "Tan",
        "Teal", "Titanium", "Turquoise", "White", "Yellow", "Other"};
    f.colours2 = f.colours;
    f.doors = QStringList{"2", "3", "4", "5", "Other/Don't Know"};
    f.cylinders = QStringList{"3", "4", "5", "6", "8", "10", "12", "Other/Don't Know"};
    f.driveTrains = QStringList{"2WD", "4WD", "FWD", "AWD", "RWD", "Other/Don't Know"};
    f.damageTypes = QStringList{"All Over", "Charity Donation", "Collision", "Company", "Demolition", "Donation", "Electrical",
        "Engine Burn", "Fire", "Fresh Water", "Front & Rear", "Front End", "Hail", "Ignition", "Impound",
        "Interior Burn", "Left & Right Side", "Left Front", "Left Rear", "Left Side", "Mechanical",
        "Motor", "No Damage", "None", "Rear End", "Repo", "Right Front", "Right Rear", "Right Side",
        "Rollover", "Salt Water", "Side", "Strip", "Theft", "Top", "Total Burn", "Undercarriage",
        "Unknown", "Used", "Vandalized", "Water"};
    m_fixed = f;
}
