#pragma once

// Member lookup: finds members on the server by passport id or e-mail
// ("getProfile") or by criteria within a marketplace ("findProfiles"), and
// acts on a found member: profile page, private message, private query,
// address book.

#include <QDialog>
#include <QStringList>


class IFormHost;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class XRequest;
class XUserSearchListCtrl;

class SearchUserDlg : public QDialog
{
    Q_OBJECT
public:
    SearchUserDlg(IFormHost *host, QWidget *parent = nullptr);

    int DoModal();

    // Whether a "getProfile" text names the member by e-mail.
    static bool IsEmail(const QString &text);
    void SetStatus(const QString &text, bool red);
    QString StatusText() const;
    bool StatusIsRed() const { return m_statusRed; }
    bool ResultsShown() const;
    XUserSearchListCtrl *Results() const { return m_list; }

    void OnSearch();
    void OnNewSearch();
    void OnCriteriaMode();
    void OnDetails();
    void OnPrivateMessage();
    void OnPrivateQuery();
    void OnAddToAddressBook();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BuildControls();
    void SetMode(bool criteria);
    void ShowResults(bool show);
    void SearchByPassport(const QString &text);
    void SearchByCriteria();
    void ReportFailure(const XRequest &request);
    void ShowFound(int limit);
    bool CarsMode() const;

    IFormHost *m_host = nullptr;
    QRadioButton *m_byPassport = nullptr;
    QRadioButton *m_byCriteria = nullptr;
    QLineEdit *m_passport = nullptr;
    QLineEdit *m_name = nullptr;
    QComboBox *m_country = nullptr;
    QComboBox *m_state = nullptr;
    QLineEdit *m_zip = nullptr;
    QLineEdit *m_company = nullptr;
    QLineEdit *m_city = nullptr;
    QComboBox *m_business = nullptr;
    QComboBox *m_market = nullptr;
    QList<QWidget *> m_criteria;
    QGroupBox *m_resultsBox = nullptr;
    XUserSearchListCtrl *m_list = nullptr;
    QPushButton *m_newSearch = nullptr;
    QPushButton *m_details = nullptr;
    QPushButton *m_message = nullptr;
    QPushButton *m_query = nullptr;
    QPushButton *m_addBook = nullptr;
    QLabel *m_status = nullptr;
    bool m_statusRed = false;
};
