#pragma once

// The rules of the part query form: the record being composed (its columns
// are the form's data), the defaults, the continue parameters of a page, the
// private query, the missing-field list, the "newQuery" request and the
// store of the sent query. The dialog (NewQueryDlg) only moves values
// between its controls and the record.

#include "SubmitPipeline.h"

#include "db/XQuerySet.h"

#include <QMap>
#include <QString>

class IFormHost;

class PartQueryForm : public SubmitForm
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
    bool KeepValues() const { return m_keepValues; }
    bool ContinueMode() const { return m_continue; }
    void EndOpening() { m_continue = false; m_keepValues = false; }

    // A query to one member only (set by the member lookup before the dialog runs).
    void SetPrivate(const QString &displayName, const QString &passportId);
    bool IsPrivate() const { return m_private; }
    QString PrivateName() const { return m_privateName; }

    static SubmitSpec Spec();
    FormOutcome Submit(SubmitPipeline &pipeline) { return pipeline.Run(*this, Spec()); }

    // --- SubmitForm ---
    QString MissingFields() override;
    bool Prepare() override;
    void BuildRequest(XRequest &request) override;
    void Store(const XRequest &answer) override;
    void AfterStore() override;
    XMarketPlace RefusingMarket() const override;

private:
    void SetDefaults();

    IFormHost *m_host;
    XQuerySet m_query;
    bool m_private = false;
    QString m_privateName;
    QString m_privateId;
    QMap<QByteArray, QString> m_kept;
    bool m_keepValues = false;
    bool m_continue = false;
};
