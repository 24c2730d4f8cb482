#pragma once

#include "XmlUtil.h"
#include "app/Globals.h"

#include <QHash>
#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>

#include <memory>

// One marketplace of the member's list.
struct XMarketPlace
{
    QString marketId;
    QString ownerId;
    XmlTime createTime = 0;
    XmlTime updateTime = 0;
    QString name;
    QString type;  // "parts" or "cars"
    QString description;
    int iconIndex = -1;
    bool iconIsIcon = false;  // "image/x-icon"; false for "image/bmp"
    QString iconFile;         // empty without icon
    bool isDefault = false;
    bool asSeller = false;
    bool asBuyer = false;
    bool subscribed = false;
    bool allowSearch = false;
    bool allowSearch2 = false;
};

// The member's marketplaces of both kinds (theMarketPlaces), cached in
// "mplaces.xml" with the subscribed ones' icons. The main thread refreshes the
// list while the auto-reply thread looks marketplaces up: readers work on an
// immutable snapshot that a refresh replaces whole. Lookups name the market
// kind they want (0 parts, 1 cars) instead of reading the window's mode.
class XMarketPlaces : public GlobalObject
{
public:
    enum Flags { Subscribed = 1, AsBuyer = 2, AsSeller = 4, SearchAllowed = 8 };
    static constexpr int PartsNodeId = 124;
    static constexpr int CarsNodeId = 168;

    XMarketPlaces();

    void init();
    // Refreshes the list when the server's list version differs from the cached one.
    void CheckVersion(int marketMode);
    void Refresh(int marketMode);
    void ResetNewFlag(int marketMode);

    void GetMarketNames(QStringList &names, unsigned flags, int marketMode) const;
    // By id when the record has one, else the first of the kind with the record's name.
    int FindMarketPlace(XMarketPlace &record, int marketMode) const;
    QString GetIconFileName(const QString &marketId) const;
    QString GetDefaultMarketName(int marketMode) const;
    int GetMarketCount(int marketMode) const;
    int GetSubscribedCount(int marketMode) const;
    bool HasNewMarkets(int marketMode) const;
    QList<XMarketPlace> All() const;
    QString CachedVersion() const;
    QString CachePath() const { return m_cachePath; }

    // The market mode the main window shows (0 without a window).
    static int CurrentMode();
    // Server ids name icon files only when made of [A-Za-z0-9_-] and at most
    // MaxIdLength long (ids are 16 characters in the database).
    static constexpr int MaxIdLength = 64;
    static bool IsSafeId(const QString &id);

private:
    struct Snapshot
    {
        QList<XMarketPlace> list;  // document order; an id appears once
        QString version;
        bool partsNew = false, carsNew = false;
        int partsTotal = 0, partsSubscribed = 0, carsTotal = 0, carsSubscribed = 0;
        int CountOf(int marketMode) const;
    };
    std::shared_ptr<const Snapshot> Current() const;
    void Publish(std::shared_ptr<const Snapshot> snapshot);
    // Reads the cache document. `hadPlaces` tells whether it listed any marketplace.
    Snapshot Parse(const XmlDoc &doc, bool &hadPlaces) const;
    bool RetrieveMarketPlaces();
    bool SaveCache();
    QString WriteIcon(const XmlNode &icon, const QString &marketId, bool &isIcon) const;

    QString m_cachePath;
    // The refreshing side (main thread): the cache document and its file.
    mutable QMutex m_docMutex;
    XmlDoc m_doc;
    // The readers' side.
    mutable QMutex m_snapMutex;
    std::shared_ptr<const Snapshot> m_snapshot;
};

XMarketPlaces &theMarketPlaces();
