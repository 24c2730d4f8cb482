#pragma once

#include "app/Interfaces.h"

#include <QMutex>
#include <QString>

#include <optional>

struct ca_context;

// The switches that decide whether and for which news the member is alerted.
struct AlertSettings
{
    bool alertsOn = true;    // "DispAlertsOnInc"
    bool playSound = true;   // "PlaySoundOnInc"
    bool queries = true;     // "DispAlertForQrs"
    bool quotes = true;      // "DispAlertForQts"
    bool messages = true;    // "DispAlertForMsgs"
    bool deals = false;      // "DispAlertForDeals"
    bool orders = true;      // "DispAlertForOrders"

    // The member's settings (defaults when none are installed).
    static AlertSettings FromSettings();
};

// The alert for one poll's news: the most important kind whose alert is on,
// the side shown by the window first. None when nothing qualifies.
std::optional<QString> ChooseAlertText(const NewCounts &counts, int marketMode, const AlertSettings &settings);

// The text of the alert last raised (the pop-up itself gets its own copy).
QString theAlertText();
void SetAlertText(const QString &text);

// The desktop's new-mail sound. Silent where no sound server answers.
class AlertSound
{
public:
    AlertSound() = default;
    ~AlertSound();
    AlertSound(const AlertSound &) = delete;
    AlertSound &operator=(const AlertSound &) = delete;

    // Starts the sound and returns at once; false when it could not be started.
    bool Play();
    int PlayRequests() const;

private:
    mutable QMutex m_mutex;
    ca_context *m_context = nullptr;
    bool m_failed = false;
    int m_requests = 0;
};
