#pragma once

#include "XmlUtil.h"
#include "app/Globals.h"

#include <QMutex>
#include <QString>

// The signed-in member's profile, as the profile XML carries it.
struct ProfileData
{
    QString name, email, phone, fax, mobile, city, street, state, zip, country, company;
    QString businessType, carBusinessType, website, password, role, carRole;
    QString filter, carFilter, qualification, signature, carSignature, refererId;
    bool partsEnabled = true;  // "disable" is the inverse
    bool carsEnabled = true;   // "car_disable" is the inverse

    bool IsSeller() const { return role == QLatin1String("Both") || role == QLatin1String("Seller"); }
    bool operator==(const ProfileData &) const = default;

    // Reads a "profile" element (missing children read empty).
    static ProfileData FromXml(const XmlNode &profile);
    // Appends the 25 children in their fixed order.
    void WriteXml(XmlNode profile) const;
};

// The global profile (theProfile). The poll and auto-reply threads read it
// while a login rewrites it: readers get a copy under the lock, and a fetch
// swaps the new record in whole.
class XProfile : public GlobalObject
{
public:
    ProfileData Get() const;
    void Set(const ProfileData &data);
    // A locked read-modify-write of the record.
    template<class F>
    void Update(F &&change)
    {
        QMutexLocker l(&m_mutex);
        change(m_data);
    }

    // "getProfile" for the signed-in member; cleans the speciality filter.
    bool GetProfile();
    // "changeProfile" with the whole record.
    bool ChangeProfile();
    // ChangeProfile, then the parts filter goes back to what it was at the call.
    bool SaveFilter();
    // "newProfile"; the answer's passport id becomes the session's.
    bool NewProfile();
    bool IsSeller() const { return Get().IsSeller(); }

    // Replaces every "@bi_business_type" and then every "@bi_qualification"
    // condition operand with its value by "X,,X".
    static QString CleanFilter(const QString &filter);

private:
    mutable QMutex m_mutex;
    ProfileData m_data;
};

XProfile &theProfile();
