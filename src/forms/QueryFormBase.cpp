#include "QueryFormBase.h"

#include "FormRules.h"

#include "app/XSettings.h"
#include "db/XBaseSet.h"
#include "net/XMarketPlaces.h"
#include "net/XRequest.h"

void QueryFormBase::SetPrivate(const QString &displayName, const QString &passportId)
{
    m_private = true;
    m_privateName = displayName;
    m_privateId = passportId;
}

QString QueryFormBase::MarketName() const
{
    return Row().GetText("MARKET_NAME");
}

SubmitSpec QueryFormBase::SpecOf(const Kind &kind)
{
    SubmitSpec spec;
    spec.operation = QLatin1String(kind.operation);
    spec.failureCaption = QStringLiteral("Cannot send the query");
    spec.recordWord = QStringLiteral("query");
    spec.sender = RefusalSender::Query;
    spec.marketMode = kind.marketMode;
    spec.confirmSetting = Setting::SendQueryConfirm;
    spec.successText = QString::fromLatin1(kind.successText);
    return spec;
}

void QueryFormBase::TakeMakeAndModel(const QMap<QString, QString> &params)
{
    for (const char *key : {"make", "model"}) {
        QString value = params.value(QLatin1String(key));
        if (value.isEmpty() || value.startsWith(QLatin1String("--")))
            continue;
        value.replace(QLatin1String("%20"), QLatin1String(" "));
        Row().SetText(qstrcmp(key, "make") == 0 ? m_kind.makeColumn : m_kind.modelColumn, value);
    }
    m_keepValues = true;
    m_continue = true;
}

QString QueryFormBase::MissingMakeAndModel() const
{
    QString lines;
    if (FormRules::IsUnchosen(Row().GetText(m_kind.makeColumn)))
        lines += QStringLiteral("- Make\n");
    if (FormRules::IsUnchosen(Row().GetText(m_kind.modelColumn)))
        lines += QStringLiteral("- Model\n");
    return lines;
}

bool QueryFormBase::Prepare()
{
    XBaseSet &row = Row();
    FormRules::StampOutgoing(row, m_kind.stampsReceived, m_kind.liveDays);
    if (m_private) {
        row.SetText("MARKET_ID", QStringLiteral("PERSONAL_") + m_privateId);
        row.SetText("MARKET_NAME", m_privateName);
    } else {
        XMarketPlace market;
        market.name = row.GetText("MARKET_NAME");
        const XMarketPlaces *places = Globals::As<XMarketPlaces>(GlobalSlot::MarketPlaces);
        if (!places || places->FindMarketPlace(market, m_kind.marketMode) != 1)
            market.marketId.clear();
        row.SetText("MARKET_ID", market.marketId);
    }
    return true;
}

void QueryFormBase::Store(const XRequest &answer)
{
    XBaseSet &row = Row();
    FormRules::StampAnswer(row, answer, QLatin1String(m_kind.idKey));
    if (m_private)
        row.SetText("MARKET_ID", QStringLiteral("PERSONAL"));
    row.Update();
}

XMarketPlace QueryFormBase::RefusingMarket() const
{
    XMarketPlace market;
    market.name = Row().GetText("MARKET_NAME");
    return market;
}
