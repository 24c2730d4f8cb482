#pragma once

// The rules of the parts inventory record form: the record being edited
// (new, or an existing one by its ID), the defaults, the missing-field list,
// the save with the part's picture, and Save And New keeping the vehicle.
// NewInventoryDlg moves values between its controls and the record.

#include "InventoryFormBase.h"

#include "db/XInventorySet.h"

#include <QMap>
#include <QString>

class InventoryPartForm : public InventoryFormBase
{
public:
    static inline const QString MakePlaceholder = QStringLiteral("-- Please Select Make --");
    static inline const QString ModelPlaceholder = QStringLiteral("-- Please Select Model --");
    static inline const QString CategoryPlaceholder = QStringLiteral("-- Please Select Part Category --");
    static inline const QString NamePlaceholder = QStringLiteral("-- Please Select Part Name --");

    InventoryPartForm();

    XInventorySet &Record() { return m_set; }
    const XInventorySet &Record() const { return m_set; }

    // After a save: a new record keeping the vehicle fields.
    void StartNewKeepingVehicle();

    QString MissingFields();

    // The buy address as the ">>" button opens it: trimmed, "http://" put in front of a bare host.
    static QString BuyUrl(const QString &typed);

protected:
    XBaseSet &Row() override { return m_set; }
    void SetDefaults() override;
    qint64 Write(const QList<InvPicture> &pictures) override;

private:
    XInventorySet m_set;
};
