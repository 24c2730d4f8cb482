#pragma once

// The rules of the part query form: the record being composed (its columns
// are the form's data), the defaults, the continue parameters of a page, the
// private query, the missing-field list, the "newQuery" request and the
// store of the sent query. The dialog (NewQueryDlg) only moves values
// between its controls and the record.

#include "QueryFormBase.h"

#include "db/XQuerySet.h"

#include <QMap>
#include <QString>

class IFormHost;

class PartQueryForm : public QueryFormBase
{
public:
    static inline const QString ModelPlaceholder = QStringLiteral("-- Select Or Type Model --");
    static inline const QString PartNamePlaceholder = QStringLiteral("-- Select Or Type Part Name --");
    static const char SuccessText[];

    explicit PartQueryForm(IFormHost *host = nullptr);

    XQuerySet &Query() { return m_query; }
    const XQuerySet &Query() const { return m_query; }

    // A new record with the defaults.
    void StartNew();
    // After Submit And New: a new record keeping the marketplace and the vehicle.
    void StartNewKeepingVehicle();
    // The page's "continue_query" parameters (year, make, model, part_type).
    void InitFromParams(const QMap<QString, QString> &params);

    static SubmitSpec Spec();

    // --- SubmitForm ---
    QString MissingFields() override;
    void BuildRequest(XRequest &request) override;
    void Store(const XRequest &answer) override;
    void AfterStore() override;

protected:
    XBaseSet &Row() override { return m_query; }
    const XBaseSet &Row() const override { return m_query; }

private:
    void SetDefaults();

    XQuerySet m_query;
    QMap<QByteArray, QString> m_kept;
};
