#include "NewInfoAlert.h"

#include "app/AppCore.h"
#include "app/XSettings.h"

#include <canberra.h>

namespace {

QMutex g_alertMutex;
QString g_alertText;

QString Fill(const char *format, int count)
{
    return QString::fromLatin1(format).replace(QLatin1String("%d"), QString::number(count));
}

} // namespace

AlertSettings AlertSettings::FromSettings()
{
    AlertSettings s;
    if (XSettings *settings = theSettingsIfAny()) {
        s.alertsOn = settings->IsOn(Setting::DispAlertsOnInc);
        s.playSound = settings->IsOn(Setting::PlaySoundOnInc);
        s.queries = settings->IsOn(Setting::DispAlertForQrs);
        s.quotes = settings->IsOn(Setting::DispAlertForQts);
        s.messages = settings->IsOn(Setting::DispAlertForMsgs);
        s.deals = settings->IsOn(Setting::DispAlertForDeals);
        s.orders = settings->IsOn(Setting::DispAlertForOrders);
    }
    return s;
}

std::optional<QString> ChooseAlertText(const NewCounts &counts, int mode, const AlertSettings &s)
{
    if (!s.alertsOn)
        return std::nullopt;
    const auto &c = counts.value;
    const int queries = c[NewCounts::Queries], carQueries = c[NewCounts::CarQueries];
    const int quotes = c[NewCounts::Quotes], carQuotes = c[NewCounts::CarQuotes];
    const int messages = c[NewCounts::Messages], carMessages = c[NewCounts::CarMessages];

    // A two-sided kind decides alone once its rule holds; outside the two
    // market modes it names neither side.
    auto twoSided = [mode](int parts, int cars, const char *partsText, const char *partsTextCarsMode,
                           const char *carsText) -> std::optional<QString> {
        if (mode == 0)
            return parts > 0 ? Fill(partsText, parts) : Fill(carsText, cars);
        if (mode == 1)
            return cars > 0 ? Fill(carsText, cars) : Fill(partsTextCarsMode, parts);
        return std::nullopt;
    };

    if ((queries > 0 || carQueries > 0) && s.queries)
        return twoSided(queries, carQueries, "You have new queries : %d.\nClick here to see.",
                        "You have new queries : %d.\n Click here to see.",
                        "You have new car queries : %d.\n Click here to see.");
    if ((quotes > 0 || carQuotes > 0) && s.quotes)
        return twoSided(quotes, carQuotes, "You have new quotes : %d.\n Click here to see.",
                        "You have new quotes : %d.\n Click here to see.",
                        "You have new car quotes : %d.\n Click here to see.");
    if ((messages > 0 || carMessages > 0) && s.messages)
        return twoSided(messages, carMessages, "You have new messages : %d.\n Click to see.",
                        "You have new messages : %d.\n Click to see.",
                        "You have new car messages : %d.\n Click to see.");
    if (c[NewCounts::HotDeals] > 0 && s.deals)
        return Fill("You have new hot deals : %d.\n Click to see.", c[NewCounts::HotDeals]);
    if (c[NewCounts::Orders] > 0 && s.orders)
        return Fill("You have new purchase orders : %d.\n Click to see.", c[NewCounts::Orders]);
    if (c[NewCounts::OrderUpdates] > 0 && s.orders)
        return Fill("You have new order updates : %d.\n Click to see.", c[NewCounts::OrderUpdates]);
    return std::nullopt;
}

QString theAlertText()
{
    QMutexLocker lock(&g_alertMutex);
    return g_alertText;
}

void SetAlertText(const QString &text)
{
    QMutexLocker lock(&g_alertMutex);
    g_alertText = text;
}

AlertSound::~AlertSound()
{
    if (m_context)
        ca_context_destroy(m_context);
}

bool AlertSound::Play()
{
    QMutexLocker lock(&m_mutex);
    ++m_requests;
    if (m_failed)
        return false;
    if (!m_context) {
        if (ca_context_create(&m_context) != CA_SUCCESS) {
            m_context = nullptr;
            m_failed = true;
            return false;
        }
        ca_context_change_props(m_context, CA_PROP_APPLICATION_NAME, "Korvant", nullptr);
    }
    // The context stays alive so the sound is not cut off when this returns.
    const int rc = ca_context_play(m_context, 0, CA_PROP_EVENT_ID, "message-new-email", CA_PROP_EVENT_DESCRIPTION,
                                   "New information", nullptr);
    if (rc != CA_SUCCESS) {
        if (theAppIfAny())
            theApp().WriteLog(QString::fromUtf8(ca_strerror(rc)), QStringLiteral("Alert sound"), 4);
        return false;
    }
    return true;
}

int AlertSound::PlayRequests() const
{
    QMutexLocker lock(&m_mutex);
    return m_requests;
}
