#include "SearchUserDlg.h"

#include "IFormHost.h"
#include "NewMessageDlg.h"
#include "NewQueryCarsPropSheet.h"
#include "NewQueryDlg.h"

#include "app/AppCore.h"
#include "app/Constants.h"
#include "app/Interfaces.h"
#include "browser/BrowserDlg.h"
#include "browser/MemberProfile.h"
#include "dialogs/NodeIds.h"
#include "dialogs/XUserSearchListCtrl.h"
#include "net/XMarketPlaces.h"
#include "net/XMetaData.h"
#include "net/XRequest.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {
constexpr int NoUsersCode = 350;
const QString NoUsersText = QStringLiteral("Sorry, no users were found matching your criteria.");
const QString AnyEntry = QStringLiteral("--- Any ---");

// A drop list's first entry (and any text starting with "-") is no criterion.
QString Criterion(const QString &text)
{
    const QString t = text.trimmed();
    return t.startsWith(QLatin1Char('-')) ? QString() : t;
}
} // namespace

SearchUserDlg::SearchUserDlg(IFormHost *host, QWidget *parent) : QDialog(parent), m_host(host)
{
    setObjectName(QStringLiteral("SearchUserDlg"));
    IMainFrame *frame = theApp().Frame();
    const QString modeName = frame ? frame->GetMarketModeName() : QStringLiteral("Parts");
    setWindowTitle(QStringLiteral("%1 - Member Lookup").arg(modeName));
    BuildControls();
    SetMode(false);
    m_newSearch->setEnabled(false);
    if (CarsMode()) {
        m_details->hide();
        m_query->setText(QStringLiteral("Private Car Query"));
    }
    ShowResults(false);
}

bool SearchUserDlg::CarsMode() const
{
    return XMarketPlaces::CurrentMode() == Korvant::MarketCars;
}

void SearchUserDlg::BuildControls()
{
    auto *layout = new QVBoxLayout(this);
    auto *grid = new QGridLayout;
    m_byPassport = new QRadioButton(QStringLiteral("Search by Passport ID or Email "), this);
    m_byPassport->setObjectName(QStringLiteral("byPassportRadio"));
    m_byCriteria = new QRadioButton(QStringLiteral("Search by other criteria"), this);
    m_byCriteria->setObjectName(QStringLiteral("byCriteriaRadio"));
    auto edit = [this](const char *name) {
        auto *e = new QLineEdit(this);
        e->setObjectName(QLatin1String(name));
        return e;
    };
    auto combo = [this](const char *name, const QStringList &items) {
        auto *c = new QComboBox(this);
        c->setObjectName(QLatin1String(name));
        c->addItem(AnyEntry);
        c->addItems(items);
        return c;
    };
    const XMetaData::FixedLists *lists = &theMeta().Fixed();
    m_passport = edit("passportEdit");
    m_name = edit("nameEdit");
    m_country = combo("countryCombo", lists ? lists->countries : QStringList());
    m_state = combo("stateCombo", lists ? lists->stateCodes : QStringList());
    m_zip = edit("zipEdit");
    m_company = edit("companyEdit");
    m_city = edit("cityEdit");
    m_business = combo("businessCombo", lists ? lists->businessTypes : QStringList());
    m_market = new QComboBox(this);
    m_market->setObjectName(QStringLiteral("marketCombo"));
    {
        const int mode = XMarketPlaces::CurrentMode();
        QStringList names;
        theMarketPlaces().GetMarketNames(names, XMarketPlaces::SearchAllowed, mode);
        m_market->addItems(names);
        const int def = names.indexOf(theMarketPlaces().GetDefaultMarketName(mode));
        m_market->setCurrentIndex(def >= 0 ? def : 0);
    }
    m_criteria = {m_name, m_country, m_state, m_zip, m_company, m_city, m_business, m_market};

    int row = 0;
    grid->addWidget(m_byPassport, row++, 0, 1, 4);
    grid->addWidget(new QLabel(QStringLiteral("Passport ID or Email:"), this), row, 0);
    grid->addWidget(m_passport, row++, 1, 1, 3);
    grid->addWidget(m_byCriteria, row++, 0, 1, 4);
    const QList<QPair<QString, QWidget *>> labelled = {
        {QStringLiteral("Marketplace:"), m_market}, {QStringLiteral("Name:"), m_name},
        {QStringLiteral("Company:"), m_company},    {QStringLiteral("Business Type:"), m_business},
        {QStringLiteral("City:"), m_city},          {QStringLiteral("State:"), m_state},
        {QStringLiteral("Zip:"), m_zip},            {QStringLiteral("Country:"), m_country}};
    for (int i = 0; i < labelled.size(); ++i) {
        grid->addWidget(new QLabel(labelled[i].first, this), row + i / 2, (i % 2) * 2);
        grid->addWidget(labelled[i].second, row + i / 2, (i % 2) * 2 + 1);
    }
    layout->addLayout(grid);

    auto *buttons = new QHBoxLayout;
    auto button = [this](const QString &text, const char *name) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    QPushButton *search = button(QStringLiteral("&Search"), "searchButton");
    m_newSearch = button(QStringLiteral("&New Search"), "newSearchButton");
    QPushButton *close = button(QStringLiteral("&Close"), "closeButton");
    buttons->addWidget(search);
    buttons->addWidget(m_newSearch);
    buttons->addStretch(1);
    buttons->addWidget(close);
    layout->addLayout(buttons);

    m_resultsBox = new QGroupBox(QStringLiteral("Search Results"), this);
    m_resultsBox->setObjectName(QStringLiteral("resultsBox"));
    auto *results = new QVBoxLayout(m_resultsBox);
    auto *actions = new QHBoxLayout;
    m_details = button(QStringLiteral("&Details"), "detailsButton");
    m_message = button(QStringLiteral("&Private Message"), "privateMessageButton");
    m_query = button(QStringLiteral("Private Part &Query"), "privateQueryButton");
    m_addBook = button(QStringLiteral("&Add to Address Book"), "addToAddressBookButton");
    for (QPushButton *b : {m_details, m_message, m_query, m_addBook})
        actions->addWidget(b);
    actions->addStretch(1);
    results->addLayout(actions);
    m_list = new XUserSearchListCtrl(m_resultsBox);
    m_list->setObjectName(QStringLiteral("resultList"));
    m_list->InitColumns();
    m_list->installEventFilter(this);
    results->addWidget(m_list);
    layout->addWidget(m_resultsBox, 1);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("statusLine"));
    m_status->setFrameShape(QFrame::StyledPanel);
    layout->addWidget(m_status);

    connect(m_byPassport, &QRadioButton::clicked, this, [this] { SetMode(false); });
    connect(m_byCriteria, &QRadioButton::clicked, this, &SearchUserDlg::OnCriteriaMode);
    connect(search, &QPushButton::clicked, this, &SearchUserDlg::OnSearch);
    connect(m_newSearch, &QPushButton::clicked, this, &SearchUserDlg::OnNewSearch);
    connect(close, &QPushButton::clicked, this, &SearchUserDlg::reject);
    connect(m_details, &QPushButton::clicked, this, &SearchUserDlg::OnDetails);
    connect(m_message, &QPushButton::clicked, this, &SearchUserDlg::OnPrivateMessage);
    connect(m_query, &QPushButton::clicked, this, &SearchUserDlg::OnPrivateQuery);
    connect(m_addBook, &QPushButton::clicked, this, &SearchUserDlg::OnAddToAddressBook);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &SearchUserDlg::OnDetails);
}

int SearchUserDlg::DoModal()
{
    return exec() == QDialog::Accepted ? MsgBox::IdOk : MsgBox::IdCancel;
}

bool SearchUserDlg::IsEmail(const QString &text)
{
    return text.size() > 1 && text.indexOf(QLatin1Char('@'), 1) > 0;
}

void SearchUserDlg::SetStatus(const QString &text, bool red)
{
    m_statusRed = red;
    m_status->setText(text);
    m_status->setStyleSheet(red ? QStringLiteral("color: rgb(255, 0, 0);") : QString());
}

QString SearchUserDlg::StatusText() const
{
    return m_status->text();
}

bool SearchUserDlg::ResultsShown() const
{
    return !m_resultsBox->isHidden();
}

void SearchUserDlg::SetMode(bool criteria)
{
    m_byPassport->setChecked(!criteria);
    m_byCriteria->setChecked(criteria);
    m_passport->setEnabled(!criteria);
    for (QWidget *w : std::as_const(m_criteria))
        w->setEnabled(criteria);
    (criteria ? m_criteria.first() : static_cast<QWidget *>(m_passport))->setFocus();
}

void SearchUserDlg::OnCriteriaMode()
{
    if (m_market->count() > 0) {
        SetMode(true);
        return;
    }
    const int answer = theApp().ShowMessageBox(
        QStringLiteral("Sorry, you are not subscribed to any marketplace with lookup capabilities. "
                       "Do you want to subscribe now?"),
        QStringLiteral("Service Interruption"), MsgBox::YesNo | MsgBox::IconQuestion);
    if (answer == MsgBox::IdYes) {
        reject();
        if (m_host)
            m_host->SelectNavigatorItem(XMarketPlaces::PartsNodeId);
        return;
    }
    SetMode(false);
}

void SearchUserDlg::ShowResults(bool show)
{
    m_resultsBox->setVisible(show);
    if (!show) {
        adjustSize();
        resize(width(), minimumSizeHint().height());
        return;
    }
    adjustSize();
    resize(width(), sizeHint().height() + m_list->sizeHint().height() / 2);
    // Keep the lengthened dialog on the work area, never above its top.
    const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen || !isVisible())
        return;
    const QRect area = screen->availableGeometry();
    QRect frame = frameGeometry();
    if (frame.bottom() > area.bottom()) {
        frame.moveTop(qMax(area.top(), frame.top() - (frame.bottom() - area.bottom())));
        move(frame.topLeft());
    }
}

void SearchUserDlg::OnSearch()
{
    m_newSearch->setEnabled(true);
    m_list->DeleteAllRows();
    ShowResults(false);
    if (m_byCriteria->isChecked())
        SearchByCriteria();
    else
        SearchByPassport(m_passport->text().trimmed());
}

void SearchUserDlg::ReportFailure(const XRequest &request)
{
    QString message = request.GetErrorMessage();
    if (message.isEmpty() && request.GetResultCode() < 0)
        message = request.GetStatusText();
    theApp().ShowMessageBox(MemberProfile::CannotFindText(message), QStringLiteral("Korvant"), MsgBox::IconError);
}

void SearchUserDlg::SearchByPassport(const QString &text)
{
    if (text.isEmpty()) {
        theApp().ShowMessageBox(QStringLiteral("Passport ID or Email must be entered."), QStringLiteral("Korvant"),
                                MsgBox::IconWarning);
        m_passport->setFocus();
        return;
    }
    XRequest request(QStringLiteral("getProfile"));
    request.AddParam(IsEmail(text) ? QStringLiteral("email") : QStringLiteral("passport_id"), text);
    if (request.SendWithRelogin()) {
        m_list->AddRow(MemberProfile::Row(request.GetResponseNode(QStringLiteral("//profile"))));
        ShowFound(0);
    } else if (request.GetResultCode() == NoUsersCode) {
        SetStatus(NoUsersText, true);
    } else {
        ReportFailure(request);
    }
}

void SearchUserDlg::SearchByCriteria()
{
    const QList<QPair<QString, QString>> criteria = {
        {QStringLiteral("name"), m_name->text().trimmed()},
        {QStringLiteral("country"), Criterion(m_country->currentText())},
        {QStringLiteral("state"), Criterion(m_state->currentText())},
        {QStringLiteral("city"), m_city->text().trimmed()},
        {QStringLiteral("zip"), m_zip->text().trimmed()},
        {QStringLiteral("business_type"), Criterion(m_business->currentText())},
        {QStringLiteral("company"), m_company->text().trimmed()}};
    bool any = false;
    for (const auto &c : criteria)
        any = any || !c.second.isEmpty();
    if (!any) {
        SetStatus(QStringLiteral("Please specify search criteria"), true);
        return;
    }
    XMarketPlace market;
    market.name = m_market->currentText();
    theMarketPlaces().FindMarketPlace(market, XMarketPlaces::CurrentMode());
    XRequest request(QStringLiteral("findProfiles"));
    request.AddParam(QStringLiteral("market_id"), market.marketId);
    XmlNode fields = request.AddParam(QStringLiteral("fields"));
    for (const auto &c : criteria)
        if (!c.second.isEmpty())
            fields.AddChild(c.first, c.second);
    if (!request.SendWithRelogin()) {
        if (request.GetResultCode() == NoUsersCode)
            SetStatus(NoUsersText, true);
        else
            ReportFailure(request);
        return;
    }
    const XmlNode list = request.GetResponseNode(QStringLiteral("//profile_list"));
    for (const XmlNode &profile : list.SelectAll(QStringLiteral("profile")))
        m_list->AddRow(MemberProfile::Row(profile));
    if (m_list->RowCount() == 0) {
        SetStatus(NoUsersText, true);
        return;
    }
    ShowFound(list.Attr(QStringLiteral("limit")).toInt());
}

void SearchUserDlg::ShowFound(int limit)
{
    const int rows = m_list->RowCount();
    if (limit > 1 && rows == limit)
        SetStatus(QStringLiteral("More than %1 users were found matching your criteria. Please refine your search.")
                      .arg(limit),
                  false);
    else
        SetStatus(QStringLiteral("%1 users were found matching your criteria.").arg(rows), false);
    m_list->SelectItem(0);
    ShowResults(true);
    m_list->setFocus();
}

void SearchUserDlg::OnNewSearch()
{
    for (QLineEdit *e : {m_passport, m_name, m_zip, m_company, m_city})
        e->clear();
    for (QComboBox *c : {m_country, m_state, m_business})
        c->setCurrentIndex(0);
    m_list->DeleteAllRows();
    ShowResults(false);
    SetMode(m_byCriteria->isChecked());
    SetStatus(QString(), false);
}

void SearchUserDlg::OnDetails()
{
    const QString id = m_list->GetSelectedText(0);
    if (id.isEmpty() || CarsMode())
        return;
    BrowserDlg::ShowExtendedProfile(this, id, m_list->GetSelectedText(1));
}

void SearchUserDlg::OnPrivateMessage()
{
    const QString id = m_list->GetSelectedText(0);
    if (id.isEmpty())
        return;
    NewMessageDlg dlg(m_host, this);
    dlg.SetContextType(QStringLiteral("broadcast"));
    dlg.SetRecipientId(id);
    dlg.SetRecipientName(m_list->GetSelectedText(1));
    if (dlg.DoModal() != MsgBox::IdOk)
        return;
    // The message is stored: the shown list and the messages show it.
    if (m_host)
        m_host->RefreshAfterMessage();
}

void SearchUserDlg::OnPrivateQuery()
{
    const QString id = m_list->GetSelectedText(0);
    if (id.isEmpty())
        return;
    const QString name = m_list->GetSelectedText(1);
    if (CarsMode()) {
        NewQueryCarsPropSheet sheet(m_host, QStringLiteral("New Query"), this);
        sheet.MainPage()->SetPrivate(name, id);
        sheet.DoModal();
        return;
    }
    NewQueryDlg dlg(m_host, QStringLiteral("New Query"), this);
    dlg.SetPrivate(name, id);
    dlg.DoModal();
}

void SearchUserDlg::OnAddToAddressBook()
{
    const QString id = m_list->GetSelectedText(0);
    if (id.toLongLong() <= 0)
        return;
    const bool added = MemberProfile::AddToRoot(id);
    theApp().ShowMessageBox(added ? QStringLiteral("User added to Address Book")
                                  : QStringLiteral("User don't added to Address Book"),
                            QStringLiteral("Information"), MsgBox::IconInformation);
}

bool SearchUserDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && m_list->RowCount() > 0) {
            OnDetails();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
