#pragma once

// Sign-up and profile editing: the contact page and one page per market side.
// Finish sends "newProfile" or "changeProfile"; Cancel, or closing after a
// refused send, puts back the whole profile and start-up side as they were.

#include "dialogs/PropertySheet.h"
#include "net/XProfile.h"

class IFormHost;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class CSignupDlg : public PropertyPage
{
    Q_OBJECT
public:
    CSignupDlg(IFormHost *host, bool editing);
    bool OnApply() override;
    void OnKillActive() override { Store(); }

    // The findings of the contact check, each "- ...\n" in order; empty when good.
    static QString Findings(const ProfileData &p, const QString &confirmation, bool countryHasStates);
    static bool CountryHasStates(const QString &country);
    // The referrer id an installer's file name carries ("...setup-12345678.exe").
    static QString ReferrerFromInstaller(const QString &path);

private:
    void Init();
    void FillStates(const QString &country, const QString &state);
    void Store();
    void RetrieveProfile();

    IFormHost *m_host;
    bool m_editing;
    QLineEdit *m_name, *m_company, *m_street, *m_city, *m_zip, *m_phone, *m_mobile, *m_fax, *m_email, *m_website,
        *m_referrer, *m_password, *m_confirm;
    QComboBox *m_state, *m_country;
    QLabel *m_ratingLabel, *m_ratingIcon, *m_whatsRating, *m_already, *m_clickHere, *m_toRetrieve;
};

// One market side's page: 0 parts, 1 cars.
class ProfileRoleDlg : public PropertyPage
{
    Q_OBJECT
public:
    ProfileRoleDlg(int side, const QString &title);
    void SetTwin(ProfileRoleDlg *twin) { m_twin = twin; }
    bool IsSideEnabled() const;
    int Side() const { return m_side; }

    void OnSetActive() override { Load(); }
    void OnKillActive() override { Store(); }
    void OnCancel() override;
    int OnQuerySiblings(int param) override;
    // The start-up rule after the member (un)ticked "Open ... upon start-up".
    void StartupClicked();

private:
    void Load();
    void Store();
    void ApplyEnabled();

    int m_side;
    ProfileRoleDlg *m_twin = nullptr;
    QCheckBox *m_interested, *m_startup, *m_buyer, *m_seller;
    QComboBox *m_businessType;
    QPushButton *m_speciality;
    QPlainTextEdit *m_signature;
};

class ProfileAutopartsDlg : public ProfileRoleDlg
{
    Q_OBJECT
public:
    ProfileAutopartsDlg() : ProfileRoleDlg(0, QStringLiteral("Parts")) {}
};

class ProfileCarsDlg : public ProfileRoleDlg
{
    Q_OBJECT
public:
    ProfileCarsDlg() : ProfileRoleDlg(1, QStringLiteral("Cars")) {}
};

class ProfilePropertySheet : public PropertySheet
{
    Q_OBJECT
public:
    // mode 0 signs up, any other edits.
    ProfilePropertySheet(IFormHost *host, const QString &caption, int mode, QWidget *parent = nullptr,
                         int startPage = 0);
    int Mode() const { return m_mode; }
    // 1 after a successful save.
    int DoModal() { return PropertySheet::DoModal(m_startPage); }
    void reject() override;

private:
    IFormHost *m_host;
    int m_mode;
    int m_startPage;
    ProfileData m_openedProfile;
    int m_openedMarket;
};
