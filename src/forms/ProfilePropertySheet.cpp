#include "ProfilePropertySheet.h"

#include "IFormHost.h"

#include "app/AppCore.h"
#include "app/Interfaces.h"
#include "app/Utils.h"
#include "app/XSettings.h"
#include "db/KVDatabase.h"
#include "db/XMessageSet.h"
#include "dialogs/LoginDlg.h"
#include "dialogs/NodeIds.h"
#include "net/XMetaData.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

namespace {

const QString SelectBusinessType = QStringLiteral("-- Select Business Type --");

QString Bad(const QString &findings)
{
    return findings + QStringLiteral("\nPlease correct information and try again");
}

void ShowFindings(const QString &findings)
{
    theApp().ShowMessageBox(Bad(findings), QStringLiteral("Validation Error"), MsgBox::IconError);
}

QLineEdit *Edit(QWidget *parent, const char *name, int maxLength = 0)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    if (maxLength > 0)
        edit->setMaxLength(maxLength);
    return edit;
}

QLabel *Link(QWidget *parent, const char *name, const QString &text)
{
    auto *label = new QLabel(QStringLiteral("<a href=\"#\">%1</a>").arg(text.toHtmlEscaped()), parent);
    label->setObjectName(QLatin1String(name));
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    return label;
}

} // namespace

// ---- contact page -----------------------------------------------------------

CSignupDlg::CSignupDlg(IFormHost *host, bool editing) : PropertyPage(QStringLiteral("Profile")), m_host(host), m_editing(editing)
{
    m_name = Edit(this, "nameEdit");
    m_company = Edit(this, "companyEdit");
    m_street = Edit(this, "streetEdit");
    m_city = Edit(this, "cityEdit");
    m_state = new QComboBox(this);
    m_state->setObjectName(QStringLiteral("stateCombo"));
    m_zip = Edit(this, "zipEdit");
    m_country = new QComboBox(this);
    m_country->setObjectName(QStringLiteral("countryCombo"));
    m_phone = Edit(this, "phoneEdit");
    m_mobile = Edit(this, "mobileEdit");
    m_fax = Edit(this, "faxEdit");
    m_email = Edit(this, "emailEdit");
    m_website = Edit(this, "websiteEdit");
    m_referrer = Edit(this, "referrerEdit", 8);
    m_password = Edit(this, "passwordEdit", 16);
    m_confirm = Edit(this, "confirmEdit", 16);
    m_password->setEchoMode(QLineEdit::Password);
    m_confirm->setEchoMode(QLineEdit::Password);
    m_ratingLabel = new QLabel(QStringLiteral("Rating:"), this);
    m_ratingIcon = new QLabel(this);
    m_ratingIcon->setObjectName(QStringLiteral("ratingIcon"));
    m_whatsRating = Link(this, "whatsRatingLink", QStringLiteral("What's Rating"));
    m_already = new QLabel(QStringLiteral("Already have an korvant ID?"), this);
    m_clickHere = Link(this, "retrieveLink", QStringLiteral("Click Here"));
    m_toRetrieve = new QLabel(QStringLiteral("to retrieve your profile"), this);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Name"), m_name);
    form->addRow(QStringLiteral("Company"), m_company);
    form->addRow(QStringLiteral("Street"), m_street);
    form->addRow(QStringLiteral("City"), m_city);
    form->addRow(QStringLiteral("State"), m_state);
    form->addRow(QStringLiteral("Zip"), m_zip);
    form->addRow(QStringLiteral("Country"), m_country);
    form->addRow(QStringLiteral("Phone"), m_phone);
    form->addRow(QStringLiteral("Mobile"), m_mobile);
    form->addRow(QStringLiteral("Fax"), m_fax);
    form->addRow(QStringLiteral("Email"), m_email);
    form->addRow(QStringLiteral("Website"), m_website);
    form->addRow(QStringLiteral("Referrer ID"), m_referrer);
    form->addRow(QStringLiteral("Password"), m_password);
    form->addRow(QStringLiteral("Confirm password"), m_confirm);
    auto *extra = new QHBoxLayout;
    for (QWidget *w : {static_cast<QWidget *>(m_ratingLabel), static_cast<QWidget *>(m_ratingIcon),
                       static_cast<QWidget *>(m_whatsRating), static_cast<QWidget *>(m_already),
                       static_cast<QWidget *>(m_clickHere), static_cast<QWidget *>(m_toRetrieve)})
        extra->addWidget(w);
    extra->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(extra);
    layout->addStretch(1);

    connect(m_country, &QComboBox::currentTextChanged, this, [this](const QString &country) {
        FillStates(country, theProfile().Get().state);
    });
    connect(m_whatsRating, &QLabel::linkActivated, this, [] {
        theApp().ShowMessageBox(
            QStringLiteral("Korvant Rating system allows sellers and buyers to identify the qualification level of the "
                           "other party. The higher the rating the better chance for a successful trading - High rate "
                           "implies a qualified user (seller/buyer)."),
            QStringLiteral("Korvant"), MsgBox::IconInformation);
    });
    connect(m_clickHere, &QLabel::linkActivated, this, [this] { RetrieveProfile(); });

    if (m_editing) {
        QString stored = theSettings().GetString(Setting::Password);
        if (stored.isEmpty())
            stored = theApp().GetSession().Password();
        theProfile().Update([&](ProfileData &d) { d.password = stored; });
    } else {
        theProfile().Update([](ProfileData &d) { d.password.clear(); });
    }
    Init();
}

void CSignupDlg::Init()
{
    const ProfileData p = theProfile().Get();
    m_confirm->setText(m_editing ? p.password : QString());
    m_ratingLabel->setVisible(m_editing);
    m_ratingIcon->setVisible(m_editing);
    m_whatsRating->setVisible(m_editing);
    m_already->setVisible(!m_editing);
    m_clickHere->setVisible(!m_editing);
    m_toRetrieve->setVisible(!m_editing);
    if (m_editing) {
        const int rating = qBound(0, Utils::StrToRating(p.qualification), 5);
        m_ratingIcon->setText(QString(rating, QChar(0x2605)) + QString(5 - rating, QChar(0x2606)));
    } else {
        QSettings store(theSettings().FileName(), QSettings::IniFormat);
        const QString referrer = ReferrerFromInstaller(store.value(QStringLiteral("setup_name")).toString());
        if (!referrer.isEmpty())
            theProfile().Update([&](ProfileData &d) { d.refererId = referrer; });
    }
    const ProfileData q = theProfile().Get();
    m_name->setText(q.name);
    m_company->setText(q.company);
    m_street->setText(q.street);
    m_city->setText(q.city);
    m_zip->setText(q.zip);
    m_phone->setText(q.phone);
    m_mobile->setText(q.mobile);
    m_fax->setText(q.fax);
    m_email->setText(q.email);
    m_website->setText(q.website);
    m_referrer->setText(q.refererId);
    m_password->setText(q.password);
    {
        const QSignalBlocker block(m_country);
        m_country->clear();
        m_country->addItems(theMeta().Fixed().countries);
        const int at = m_country->findText(q.country);
        m_country->setCurrentIndex(m_editing && at >= 0 ? at : 0);
    }
    if (!m_editing || CountryHasStates(m_country->currentText()))
        FillStates(QStringLiteral("UNITED STATES"), q.state);
    else
        FillStates(m_country->currentText(), q.state);
}

void CSignupDlg::FillStates(const QString &country, const QString &state)
{
    m_state->clear();
    const bool has = CountryHasStates(country);
    m_state->setEnabled(has);
    if (!has)
        return;
    m_state->addItem(QString());
    m_state->addItems(theMeta().Fixed().stateCodes);
    m_state->setCurrentIndex(qMax(0, m_state->findText(state)));
}

bool CSignupDlg::CountryHasStates(const QString &country)
{
    return country == QLatin1String("UNITED STATES") || country == QLatin1String("CANADA");
}

QString CSignupDlg::ReferrerFromInstaller(const QString &path)
{
    const QString name = path.toLower();
    const qsizetype setup = name.indexOf(QLatin1String("setup"));
    if (setup < 0)
        return {};
    const qsizetype begin = setup + 5 + 1;
    const qsizetype dash = name.indexOf(QLatin1Char('-'), setup + 5);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    // A last dot before the id's start would give a negative length: no id.
    if (dash < 0 || dot < begin)
        return {};
    return name.mid(begin, dot - begin).left(8);
}

QString CSignupDlg::Findings(const ProfileData &p, const QString &confirmation, bool countryHasStates)
{
    QString out;
    if (p.name.isEmpty())
        out += QStringLiteral("- Name cannot be blank\n");
    if (p.email.isEmpty())
        out += QStringLiteral("- Email cannot be blank\n");
    else if (!p.email.contains(QLatin1Char('@')))
        out += QStringLiteral("- Email address is invalid\n");
    if (p.phone.isEmpty())
        out += QStringLiteral("- Phone cannot be blank\n");
    if (p.street.isEmpty())
        out += QStringLiteral("- Street cannot be blank\n");
    if (p.city.isEmpty())
        out += QStringLiteral("- City cannot be blank\n");
    if (p.zip.isEmpty())
        out += QStringLiteral("- Zip cannot be blank\n");
    if (countryHasStates && p.state.isEmpty())
        out += QStringLiteral("- State cannot be blank\n");
    if (p.password.isEmpty())
        out += QStringLiteral("- Password cannot be empty\n");
    if (p.password != confirmation)
        out += QStringLiteral("- Two copies of password do not match\n");
    return out;
}

void CSignupDlg::Store()
{
    theProfile().Update([this](ProfileData &d) {
        d.name = m_name->text().trimmed();
        d.company = m_company->text().trimmed();
        d.street = m_street->text().trimmed();
        d.city = m_city->text().trimmed();
        d.state = m_state->currentText();
        d.zip = m_zip->text().trimmed();
        d.country = m_country->currentText();
        d.phone = m_phone->text().trimmed();
        d.mobile = m_mobile->text().trimmed();
        d.fax = m_fax->text().trimmed();
        d.email = m_email->text().trimmed();
        d.website = m_website->text().trimmed();
        d.refererId = m_referrer->text().trimmed();
        d.password = m_password->text();
    });
}

bool CSignupDlg::OnApply()
{
    if (Sheet()->Commit(this) != 0)
        return false;
    Store();
    const bool hasStates = CountryHasStates(m_country->currentText());
    const QString findings = Findings(theProfile().Get(), m_confirm->text(), hasStates);
    if (!findings.isEmpty()) {
        ShowFindings(findings);
        return false;
    }
    theProfile().Update([&](ProfileData &d) {
        if (!m_editing) {
            if (d.role.isEmpty())
                d.role = QStringLiteral("Both");
            if (d.carRole.isEmpty())
                d.carRole = QStringLiteral("Both");
        }
        if (d.IsSeller() && d.filter.isEmpty())
            d.filter = d.state.isEmpty() ? QStringLiteral("A,,A,,#EQ") : QStringLiteral("@si_state,,%1,,#EQ").arg(d.state);
        if (!hasStates)
            d.state.clear();
    });
    if (m_editing ? !theProfile().ChangeProfile() : !theProfile().NewProfile())
        return false;
    const QString password = theProfile().Get().password;
    theApp().GetSession().SetPassword(password);
    theSettings().SetString(Setting::Password, password);
    theSettings().Save();
    if (m_host) {
        m_host->RebuildNavigator();
        m_host->ApplyProfileMarketMode();
        if (m_editing) {
            m_host->ReloadNavigator();
            m_host->UpdateRoleMenus();
        }
    }
    if (!m_editing) {
        theDatabase().SetPassportId(theApp().GetSession().PassportId());
        XMessageSet().AddWelcomeMessages();
    }
    return true;
}

void CSignupDlg::RetrieveProfile()
{
    RetrProfileDlg retrieve(this);
    if (retrieve.DoModal() != 1)
        return;
    CLoginDlg login(0, this);
    if (login.DoModal() != 1)
        return;
    if (!theProfile().GetProfile())
        return;
    theDatabase().SetPassportId(theApp().GetSession().PassportId());
    m_editing = true;
    Init();
}

// ---- role pages ---------------------------------------------------------------

ProfileRoleDlg::ProfileRoleDlg(int side, const QString &title) : PropertyPage(title), m_side(side)
{
    const QString word = side == 0 ? QStringLiteral("Parts") : QStringLiteral("Cars");
    m_interested = new QCheckBox(QStringLiteral("&I am interested in buying or selling %1").arg(word.toLower()), this);
    m_startup = new QCheckBox(QStringLiteral("&Open the %1 section upon application start-up").arg(word), this);
    m_buyer = new QCheckBox(QStringLiteral("I am a %1 &Buyer").arg(word), this);
    m_seller = new QCheckBox(QStringLiteral("I am a %1 &Seller").arg(word), this);
    m_businessType = new QComboBox(this);
    m_speciality = new QPushButton(QStringLiteral("&Add Filter / Store Speciality"), this);
    m_signature = new QPlainTextEdit(this);
    m_interested->setObjectName(QStringLiteral("interestedCheck"));
    m_startup->setObjectName(QStringLiteral("startupCheck"));
    m_buyer->setObjectName(QStringLiteral("buyerCheck"));
    m_seller->setObjectName(QStringLiteral("sellerCheck"));
    m_businessType->setObjectName(QStringLiteral("businessTypeCombo"));
    m_speciality->setObjectName(QStringLiteral("specialityButton"));
    m_signature->setObjectName(QStringLiteral("signatureEdit"));
    auto *layout = new QVBoxLayout(this);
    for (QWidget *w : std::initializer_list<QWidget *>{m_interested, m_startup, m_buyer, m_seller, m_businessType,
                                                       m_speciality, new QLabel(QStringLiteral("Signature"), this),
                                                       m_signature})
        layout->addWidget(w);

    const ProfileData p = theProfile().Get();
    const QString role = side == 0 ? p.role : p.carRole;
    m_buyer->setChecked(role.isEmpty() || role == QLatin1String("Both") || role == QLatin1String("Buyer"));
    m_seller->setChecked(role.isEmpty() || role == QLatin1String("Both") || role == QLatin1String("Seller"));
    m_speciality->setVisible(m_seller->isChecked());
    Load();
    // The sheet always saves the role "Both".
    m_buyer->setChecked(true);
    m_seller->setChecked(true);
    m_buyer->setEnabled(false);
    m_seller->setEnabled(false);
    m_speciality->setVisible(true);

    connect(m_interested, &QCheckBox::clicked, this, [this](bool on) {
        if (!on) {
            m_startup->setChecked(false);
            StartupClicked();
        }
        ApplyEnabled();
    });
    connect(m_startup, &QCheckBox::clicked, this, [this] { StartupClicked(); });
    connect(m_seller, &QCheckBox::toggled, m_speciality, &QWidget::setVisible);
    connect(m_speciality, &QPushButton::clicked, this, [this] {
        theApp().ShowMessageBox(
            (m_side == 0 ? QStringLiteral("Specialty Wizard") : QStringLiteral("Car filter")) +
                QStringLiteral(" is not yet available."),
            QStringLiteral("Korvant"), MsgBox::IconInformation);
    });
}

bool ProfileRoleDlg::IsSideEnabled() const
{
    return m_interested->isChecked();
}

void ProfileRoleDlg::Load()
{
    const ProfileData p = theProfile().Get();
    QString signature = m_side == 0 ? p.signature : p.carSignature;
    QString business = m_side == 0 ? p.businessType : p.carBusinessType;
    if (signature.isEmpty())
        signature = m_side == 0 ? p.carSignature : p.signature;
    if (business.isEmpty())
        business = m_side == 0 ? p.carBusinessType : p.businessType;
    m_startup->setChecked(theSettings().GetInt(Setting::DefaultMarket) == m_side);
    m_signature->setPlainText(Utils::ToCrLf(signature));
    m_businessType->clear();
    m_businessType->addItem(SelectBusinessType);
    m_businessType->addItems(theMeta().Fixed().businessTypes);
    m_businessType->setCurrentIndex(qMax(0, m_businessType->findText(business)));
    m_interested->setChecked(m_side == 0 ? p.partsEnabled : p.carsEnabled);
    ApplyEnabled();
}

void ProfileRoleDlg::Store()
{
    QString business = m_businessType->currentText();
    if (business == SelectBusinessType)
        business.clear();
    QString signature = m_signature->toPlainText().left(2048);
    signature.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    const bool enabled = m_interested->isChecked();
    theProfile().Update([&](ProfileData &d) {
        (m_side == 0 ? d.signature : d.carSignature) = signature;
        (m_side == 0 ? d.businessType : d.carBusinessType) = business;
        (m_side == 0 ? d.partsEnabled : d.carsEnabled) = enabled;
    });
}

void ProfileRoleDlg::ApplyEnabled()
{
    const bool on = m_interested->isChecked();
    for (QWidget *w : std::initializer_list<QWidget *>{m_startup, m_businessType, m_speciality, m_signature})
        w->setEnabled(on);
}

void ProfileRoleDlg::StartupClicked()
{
    if (m_startup->isChecked()) {
        theSettings().SetInt(Setting::DefaultMarket, m_side);
    } else if (m_twin && m_twin->IsSideEnabled()) {
        theSettings().SetInt(Setting::DefaultMarket, 1 - m_side);
    } else {
        m_startup->setChecked(true);
    }
}

void ProfileRoleDlg::OnCancel()
{
    // The sheet puts the whole profile back; nothing is kept per page.
}

int ProfileRoleDlg::OnQuerySiblings(int param)
{
    Q_UNUSED(param);
    Store();
    QString findings;
    if (!m_buyer->isChecked() && !m_seller->isChecked())
        findings += QStringLiteral("- The %1 Role is not defined. At least one role must be defined.\n")
                        .arg(m_side == 0 ? QStringLiteral("Parts") : QStringLiteral("Cars"));
    if (!IsSideEnabled() && !(m_twin && m_twin->IsSideEnabled()))
        findings += QStringLiteral("- No enabled vertical markets. At least one vertiacal market must be enabled.\n");
    if (!findings.isEmpty()) {
        Sheet()->SetActivePage(Sheet()->indexOfPage(this));
        ShowFindings(findings);
        return m_side == 0 ? 2 : 1;
    }
    const QString role = m_buyer->isChecked() && m_seller->isChecked() ? QStringLiteral("Both")
                         : m_buyer->isChecked()                        ? QStringLiteral("Buyer")
                         : m_seller->isChecked()                       ? QStringLiteral("Seller")
                                                                       : QString();
    theProfile().Update([&](ProfileData &d) {
        if (m_side == 0) {
            d.role = role;
            if (d.signature.isEmpty())
                d.signature = d.carSignature;
        } else {
            d.carRole = role;
            if (d.carSignature.isEmpty())
                d.carSignature = d.signature;
            if (d.carBusinessType.isEmpty())
                d.carBusinessType = d.businessType;
        }
    });
    if (m_startup->isChecked())
        theSettings().SetInt(Setting::DefaultMarket, m_side);
    theSettings().Save();
    return 0;
}

// ---- sheet --------------------------------------------------------------------

ProfilePropertySheet::ProfilePropertySheet(IFormHost *host, const QString &caption, int mode, QWidget *parent,
                                           int startPage)
    : PropertySheet(caption, parent), m_host(host), m_mode(mode), m_startPage(startPage),
      m_openedProfile(theProfile().Get()), m_openedMarket(theSettings().GetInt(Setting::DefaultMarket))
{
    setObjectName(QStringLiteral("ProfilePropertySheet"));
    auto *signup = new CSignupDlg(host, mode != 0);
    auto *cars = new ProfileCarsDlg;
    auto *parts = new ProfileAutopartsDlg;
    cars->SetTwin(parts);
    parts->SetTwin(cars);
    AddPage(signup);
    AddPage(cars);
    AddPage(parts);
    OkButton()->setText(QStringLiteral("Finish"));
    CancelButton()->setText(QStringLiteral("Cancel"));
    if (mode != 0) {
        QPushButton *extended = AddButton(QStringLiteral("Go to an extended profile..."), QStringLiteral("extendedButton"));
        connect(extended, &QPushButton::clicked, this, [this] {
            reject();
            if (m_host)
                m_host->SelectNavigatorItem(NodeExtendedProfile);
        });
    }
    AddBackNext();
    // Every page is built before the member sees the first one.
    SetActivePage(1);
    SetActivePage(2);
    SetActivePage(0);
}

void ProfilePropertySheet::reject()
{
    PropertySheet::reject();
    // Unsent edits must not travel with later queries and quotes.
    theProfile().Set(m_openedProfile);
    theSettings().SetInt(Setting::DefaultMarket, m_openedMarket);
}
