#pragma once

// What the part and car query forms share: the continue parameters' make and
// model, the private query to one member, the marketplace the query goes to,
// the stamps of a query going out and the store of the sent one. Each form
// keeps its record and says how its kind differs (Kind).

#include "SubmitPipeline.h"

#include <QMap>
#include <QString>

class IFormHost;
class XBaseSet;

class QueryFormBase : public SubmitForm
{
public:
    // What one kind of query differs in.
    struct Kind
    {
        int marketMode;
        const char *operation;    // "newQuery"
        const char *idKey;        // the answer's new id ("query_id")
        const char *makeColumn;   // "V_MAKE"
        const char *modelColumn;  // "V_MODEL"
        bool stampsReceived;      // the table keeps RECIVE_DATE too
        int liveDays;
        const char *successText;
    };

    bool KeepValues() const { return m_keepValues; }
    bool ContinueMode() const { return m_continue; }
    void EndOpening() { m_continue = false; m_keepValues = false; }

    // A query to one member only (set by the member lookup before the dialog runs).
    void SetPrivate(const QString &displayName, const QString &passportId);
    bool IsPrivate() const { return m_private; }
    QString PrivateName() const { return m_privateName; }

    int MarketMode() const { return m_kind.marketMode; }
    QString MarketName() const;

    FormOutcome Submit(SubmitPipeline &pipeline) { return pipeline.Run(*this, SpecOf(m_kind)); }

    // --- SubmitForm ---
    bool Prepare() override;
    void Store(const XRequest &answer) override;
    XMarketPlace RefusingMarket() const override;

protected:
    QueryFormBase(IFormHost *host, const Kind &kind) : m_host(host), m_kind(kind) {}

    static SubmitSpec SpecOf(const Kind &kind);
    // The record being composed.
    virtual XBaseSet &Row() = 0;
    virtual const XBaseSet &Row() const = 0;
    // The page's make and model ("%20" a blank; empty or a placeholder is
    // none); the form then opens keeping its values, in continue mode.
    void TakeMakeAndModel(const QMap<QString, QString> &params);
    // "- Make\n" and "- Model\n" while they are unchosen.
    QString MissingMakeAndModel() const;

    IFormHost *m_host;
    bool m_keepValues = false;
    bool m_continue = false;

private:
    const Kind &m_kind;
    bool m_private = false;
    QString m_privateName;
    QString m_privateId;
};
