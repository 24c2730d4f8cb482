#include "OptionsPropSheet.h"

#include "FormPlacement.h"
#include "ImportSettingsPages.h"

#include "app/AppCore.h"
#include "app/Interfaces.h"
#include "app/XSettings.h"
#include "sync/XPoller.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

int g_lastPage = 0;

struct CheckSpec
{
    const char *objectName;
    const char *text;
    const char *setting;
};

// A page of check boxes over flags of the settings; the first box may govern the others.
class FlagsPage : public PropertyPage
{
public:
    FlagsPage(const QString &title, QList<CheckSpec> checks, bool firstGoverns)
        : PropertyPage(title), m_specs(std::move(checks)), m_governs(firstGoverns)
    {
        m_layout = new QVBoxLayout(this);
        for (const CheckSpec &spec : m_specs) {
            auto *box = new QCheckBox(QString::fromUtf8(spec.text), this);
            box->setObjectName(QLatin1String(spec.objectName));
            if (m_governs && !m_boxes.isEmpty())
                box->setContentsMargins(20, 0, 0, 0);
            m_layout->addWidget(box);
            m_boxes << box;
        }
        if (m_governs)
            connect(m_boxes.first(), &QCheckBox::toggled, this, [this] { EnableGoverned(); });
    }

    void OnSetActive() override
    {
        for (int i = 0; i < m_specs.size(); ++i)
            m_boxes[i]->setChecked(theSettings().IsOn(m_specs[i].setting));
        EnableGoverned();
    }
    bool OnApply() override
    {
        for (int i = 0; i < m_specs.size(); ++i)
            theSettings().SetInt(m_specs[i].setting, m_boxes[i]->isChecked() ? 1 : 0);
        theSettings().Save();
        return true;
    }

protected:
    void EnableGoverned()
    {
        if (!m_governs)
            return;
        for (int i = 1; i < m_boxes.size(); ++i)
            m_boxes[i]->setEnabled(m_boxes.first()->isChecked());
    }
    QVBoxLayout *m_layout;
    QList<CheckSpec> m_specs;
    QList<QCheckBox *> m_boxes;
    bool m_governs;
};

class GenOptionsDlg : public FlagsPage
{
public:
    GenOptionsDlg()
        : FlagsPage(QStringLiteral("General"),
                    {{"autorunCheck", "Automatically run Tradewick Exchange when I log in to the desktop", Setting::AutoRun},
                     {"autoLoginCheck", "Allow automatic signin when connected to the Internet", Setting::AutoLogin},
                     {"playSoundCheck", "Play sound on incoming information", Setting::PlaySoundOnInc},
                     {"purgeExpiredCheck", "Automaically purge expired pending queries", Setting::PurgeExpired}},
                    false),
          m_autorunAtStart(theSettings().IsOn(Setting::AutoRun))
    {
        m_layout->addStretch(1);
    }
    bool OnApply() override
    {
        FlagsPage::OnApply();
        const bool autorun = theSettings().IsOn(Setting::AutoRun);
        if (autorun != m_autorunAtStart) {
            if (autorun)
                theApp().CreateStartupShortcut();
            else
                theApp().DeleteStartupShortcut();
        }
        return true;
    }

private:
    bool m_autorunAtStart;
};

class ConnOptionsDlg : public PropertyPage
{
public:
    ConnOptionsDlg() : PropertyPage(QStringLiteral("Connection")), m_url(new QLineEdit(this))
    {
        m_url->setObjectName(QStringLiteral("serverUrlEdit"));
        auto *layout = new QFormLayout(this);
        layout->addRow(QStringLiteral("&Server URL"), m_url);
    }
    void OnSetActive() override { m_url->setText(theSettings().GetString(Setting::ServerURL)); }
    bool OnApply() override
    {
        theSettings().SetString(Setting::ServerURL, OptionsPropSheet::TrimServerUrl(m_url->text()));
        theSettings().Save();
        return true;
    }

private:
    QLineEdit *m_url;
};

class PoolOptionsDlg : public FlagsPage
{
public:
    PoolOptionsDlg()
        : FlagsPage(QStringLiteral("Synchronization"),
                    {{"autoPoolCheck", "Periodically every", Setting::AutoPool},
                     {"checkStartupCheck", "Automatically on startup", Setting::CheckStartup}},
                    false),
          m_minutes(new QSpinBox(this))
    {
        m_minutes->setObjectName(QStringLiteral("pollMinutesSpin"));
        m_minutes->setRange(1, 240);
        m_minutes->setSuffix(QStringLiteral(" minutes"));
        // The minutes change only through the arrows.
        m_minutes->setReadOnly(false);
        m_minutes->findChild<QLineEdit *>()->setReadOnly(true);
        m_layout->insertWidget(1, m_minutes);
        m_layout->addStretch(1);
        connect(m_boxes.first(), &QCheckBox::toggled, m_minutes, &QWidget::setEnabled);
    }
    void OnSetActive() override
    {
        FlagsPage::OnSetActive();
        m_minutes->setValue(theSettings().GetInt(Setting::PollTimeout) / 60);
        m_minutes->setEnabled(m_boxes.first()->isChecked());
    }
    bool OnApply() override
    {
        theSettings().SetInt(Setting::PollTimeout, m_minutes->value() * 60);
        FlagsPage::OnApply();
        if (XPoller *poller = thePollerIfAny()) {
            if (theSettings().IsOn(Setting::AutoPool))
                poller->StartPolling();
            else
                poller->StopPolling();
        }
        return true;
    }

private:
    QSpinBox *m_minutes;
};

class PopupOptionsDlg : public FlagsPage
{
public:
    PopupOptionsDlg()
        : FlagsPage(QStringLiteral("Notifications"),
                    {{"displayAlertsCheck", "Display notifications", Setting::DispAlertsOnInc},
                     {"alertQueriesCheck", "For New Incoming Leads", Setting::DispAlertForQrs},
                     {"alertQuotesCheck", "For New Pending Quotes", Setting::DispAlertForQts},
                     {"alertMessagesCheck", "For New Messages", Setting::DispAlertForMsgs},
                     {"alertDealsCheck", "For New Hot Deals ", Setting::DispAlertForDeals},
                     {"alertOrdersCheck", "For New PO", Setting::DispAlertForOrders}},
                    true)
    {
        m_layout->addStretch(1);
    }
    bool OnApply() override
    {
        // Saved here, so a change made from the new-information pop-up's page survives.
        FlagsPage::OnApply();
        if (IMainFrame *frame = theApp().Frame())
            frame->UpdateNewInfoIndicator();
        return true;
    }
};

class ReplyOptionsPage : public PropertyPage
{
public:
    ReplyOptionsPage(const QString &title, const char *checkText, const char *flag, const char *maximum,
                     const char *rating)
        : PropertyPage(title), m_flag(flag), m_maximum(maximum), m_rating(rating),
          m_check(new QCheckBox(QString::fromUtf8(checkText), this)), m_max(new QLineEdit(this)),
          m_slider(new QSlider(Qt::Horizontal, this))
    {
        m_check->setObjectName(QStringLiteral("autoReplyCheck"));
        m_max->setObjectName(QStringLiteral("maxRepliesEdit"));
        m_slider->setObjectName(QStringLiteral("ratingSlider"));
        m_slider->setRange(0, 4);
        m_slider->setTickPosition(QSlider::TicksBelow);
        auto *grid = new QGridLayout(this);
        grid->addWidget(m_check, 0, 0, 1, 5);
        m_governed << new QLabel(QStringLiteral("Maximum automatic replies to one query"), this) << m_max
                   << new QLabel(QStringLiteral("Minimum rating of the buyer"), this) << m_slider;
        grid->addWidget(m_governed[0], 1, 0, 1, 4);
        grid->addWidget(m_max, 1, 4);
        grid->addWidget(m_governed[2], 2, 0, 1, 5);
        grid->addWidget(m_slider, 3, 0, 1, 5);
        // The names spread evenly under the slider's ticks, the outer ones at its ends.
        const QStringList marks{"Lowest", "Low", "Medium", "High", "Highest"};
        auto *row = new QHBoxLayout;
        for (int i = 0; i < marks.size(); ++i) {
            auto *mark = new QLabel(marks[i], this);
            if (i > 0)
                row->addStretch(1);
            row->addWidget(mark);
            m_governed << mark;
        }
        grid->addLayout(row, 4, 0, 1, 5);
        grid->setRowStretch(5, 1);
        connect(m_check, &QCheckBox::toggled, this, [this] { EnableGoverned(); });
    }
    void OnSetActive() override
    {
        m_check->setChecked(theSettings().IsOn(m_flag));
        m_max->setText(QString::number(theSettings().GetInt(m_maximum)));
        m_slider->setValue(theSettings().GetInt(m_rating));
        EnableGoverned();
    }
    bool OnApply() override
    {
        bool ok = false;
        const int maximum = m_max->text().trimmed().toInt(&ok);
        if (!ok) {
            theApp().ShowMessageBox(QStringLiteral("Please enter an integer."), QStringLiteral("Korvant"),
                                    MsgBox::IconWarning);
            Sheet()->SetActivePage(Sheet()->indexOfPage(this));
            m_max->setFocus();
            return false;
        }
        theSettings().SetInt(m_flag, m_check->isChecked() ? 1 : 0);
        theSettings().SetInt(m_maximum, maximum);
        theSettings().SetInt(m_rating, m_slider->value());
        theSettings().Save();
        return true;
    }

private:
    void EnableGoverned()
    {
        for (QWidget *w : m_governed)
            w->setEnabled(m_check->isChecked());
    }
    const char *m_flag;
    const char *m_maximum;
    const char *m_rating;
    QCheckBox *m_check;
    QLineEdit *m_max;
    QSlider *m_slider;
    QList<QWidget *> m_governed;
};

} // namespace

OptionsPropSheet::OptionsPropSheet(const QString &caption, QWidget *parent)
    : PropertySheet(caption, parent), m_importSettings(new ImportSettingsDlg(this)),
      m_import2Settings(new Import2SettingsDlg(this))
{
    m_importSettings->hide();
    m_import2Settings->hide();
    setObjectName(QStringLiteral("OptionsPropSheet"));
    AddPage(new GenOptionsDlg);
    AddPage(new ConnOptionsDlg);
    AddPage(new PoolOptionsDlg);
    AddPage(new PopupOptionsDlg);
    AddPage(new ReplyOptionsPage(QStringLiteral("Auto Reply Parts"), "Automatically reply to part queries (sellers)",
                                 Setting::AutoReply, Setting::MaxRepliesOnQuery, Setting::MinAutoReplyRating));
    AddPage(new ReplyOptionsPage(QStringLiteral("Auto Reply Cars"), "Automatically reply to car queries (sellers)",
                                 Setting::AutoReplyCars, Setting::MaxRepliesOnQueryCars,
                                 Setting::MinAutoReplyRatingCars));
    connect(this, &PropertySheet::pageActivated, this, [](int index) { g_lastPage = index; });
    (new FormPlacement(this, QStringLiteral("OptionsDlg")))->Apply();
}

int OptionsPropSheet::LastPage()
{
    return g_lastPage;
}

QString OptionsPropSheet::TrimServerUrl(const QString &url)
{
    return url.endsWith(QLatin1Char('/')) ? url.chopped(1) : url;
}
