#pragma once

#include "ItemSink.h"
#include "XmlUtil.h"
#include "app/Globals.h"

#include <QMap>
#include <QString>
#include <QStringList>

// One part name of the parts metadata.
struct MetaPartInfo
{
    QString id, name, categoryId, qrAmount, qtAmount, ciAmount;
};

// The vocabulary the server publishes, kept in a cache file of the data
// folder: the document, its version, the list lookups and the fill
// operations. The parts and cars classes supply the file, the request and
// the paths. Used on the main thread; the rating engine builds its own objects.
class XMetaDataBase : public GlobalObject
{
public:
    XMetaDataBase() = default;

    void init();
    void Refresh();
    void CheckVersion();

    // Every value of the kind, in document order; the item data is the "id".
    void FillList(IItemSink &box, int kind) const;
    // The same, skipping texts the box already holds (case-insensitive).
    void FillListDistinct(IItemSink &box, int kind, int startIndex = -1) const;
    // The values of the kind below a parent (-1: all); the item data is "category_id".
    void FillDependentList(IItemSink &box, int kind, int parentId) const;
    void GetNameIdMap(QMap<QString, QString> &map, int kind) const;
    void GetDependentMap(QMap<QString, QString> &map, int kind, int parentId) const;

    virtual QString GetFileName() const = 0;
    virtual QString GetServerVersion() = 0;
    virtual QString GetRootPath() const = 0;
    virtual QString GetOperation() const = 0;
    // Empty for a kind without a list.
    virtual QString GetListPath(int kind) const = 0;
    // The values of a dependent kind, all of them: no parent in the path.
    virtual QString GetDependentPath(int kind) const = 0;

    bool Retrieve();
    void SelectRoot();
    virtual void RebuildLists() {}

    QString LoadedVersion() const { return m_loadedVersion; }
    QString CachePath() const { return m_cachePath; }
    XmlNode Root() const { return m_root; }

protected:
    QString MainInfoText(const QString &name);
    // The values below a parent (-1: all), the parent's id compared here
    // rather than written into an XPath.
    QList<XmlNode> DependentNodes(int kind, int parentId) const;
    bool LoadCache();

    QString m_loadedVersion;
    QString m_cachePath;
    XmlDoc m_doc;
    XmlNode m_root;
};

class XMetaData : public XMetaDataBase
{
public:
    struct FixedLists
    {
        QStringList originTypes, conditionsAny, conditionsOther, engineSizeUnits, fuelSystems, timeFrames,
            businessTypes, doingBusinessWith, stateCodes, sidePositions, turboOptions, numbers12To30, numbers5To12,
            qualifications, countries, priceSteps, mileageSteps, distances, vehicleCategories, unused;
    };

    XMetaData();
    QString GetFileName() const override { return QStringLiteral("meta.xml"); }
    QString GetServerVersion() override { return MainInfoText(QStringLiteral("meta_version")); }
    QString GetRootPath() const override { return QStringLiteral("//kv_response/meta_info"); }
    QString GetOperation() const override { return QStringLiteral("getMetaInfo"); }
    QString GetListPath(int kind) const override;
    QString GetDependentPath(int kind) const override;
    void RebuildLists() override;

    // 0 new, 1 used, 2 remanufactured; other values leave it as it is.
    void SetPartCondition(int condition);
    QString PartConditionList() const { return m_condition; }
    // Looks the record's name up among the part names of the selected condition.
    bool FindPartName(MetaPartInfo &info) const;
    // The rating script; throws XmlError when the document has none.
    QString GetScript() const;

    const FixedLists &Fixed() const { return m_fixed; }

private:
    QString m_condition = QStringLiteral("part_info_used");
    FixedLists m_fixed;
};

class XMetaDataCars : public XMetaDataBase
{
public:
    struct FixedLists
    {
        QStringList titleKinds, bodyStyles, transmissions, conditions, colours, colours2, doors, cylinders,
            driveTrains, damageTypes;
    };

    XMetaDataCars();
    QString GetFileName() const override { return QStringLiteral("meta_car.xml"); }
    QString GetServerVersion() override { return MainInfoText(QStringLiteral("car_meta_version")); }
    QString GetRootPath() const override { return QStringLiteral("//car_meta_info"); }
    QString GetOperation() const override { return QStringLiteral("getCarMetaInfo"); }
    QString GetListPath(int kind) const override;
    QString GetDependentPath(int kind) const override;
    void RebuildLists() override;
    QString GetScript() const;

    const FixedLists &Fixed() const { return m_fixed; }

private:
    FixedLists m_fixed;
};

XMetaData &theMeta();
XMetaDataCars &theMetaCars();
