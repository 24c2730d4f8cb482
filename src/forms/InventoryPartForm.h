#pragma once

// The rules of the parts inventory record form: the record being edited
// (new, or an existing one by its ID), the defaults, the missing-field list,
// the save with the part's picture, and Save And New keeping the vehicle.
// NewInventoryDlg moves values between its controls and the record.

#include "app/Interfaces.h"
#include "db/XInventorySet.h"

#include <QMap>
#include <QString>

class InventoryPartForm
{
public:
    static inline const QString MakePlaceholder = QStringLiteral("-- Please Select Make --");
    static inline const QString ModelPlaceholder = QStringLiteral("-- Please Select Model --");
    static inline const QString CategoryPlaceholder = QStringLiteral("-- Please Select Part Category --");
    static inline const QString NamePlaceholder = QStringLiteral("-- Please Select Part Name --");

    InventoryPartForm();

    XInventorySet &Record() { return m_set; }
    const XInventorySet &Record() const { return m_set; }
    bool IsNew() const { return m_new; }

    // A new record with the defaults.
    void StartNew();
    // The record with this ID in edit mode; false (and a new record) when it is gone.
    bool Open(qint64 id);
    // After a save: a new record keeping the vehicle fields.
    void StartNewKeepingVehicle();

    QString MissingFields();
    // Stores the record and its picture; the record's ID, or -1 after an error box.
    qint64 Save(const QList<InvPicture> &pictures);
    qint64 RecordId() const { return m_id; }

    // The buy address as the ">>" button opens it: trimmed, "http://" put in front of a bare host.
    static QString BuyUrl(const QString &typed);

private:
    XInventorySet m_set;
    bool m_new = true;
    qint64 m_id = -1;
};
