#include "OrderUpdateDlg.h"

#include "IFormHost.h"
#include "OrderPages.h"

#include "app/AppCore.h"
#include "app/Utils.h"
#include "app/XSettings.h"
#include "browser/CWebBrowser2.h"
#include "db/KVDatabase.h"
#include "net/XMarketPlaces.h"
#include "net/XRequest.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLineEdit *Edit(QWidget *parent, const char *name, int limit = 64)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setMaxLength(limit);
    return edit;
}

} // namespace

OrderUpdateDlg::OrderUpdateDlg(IFormHost *host, const QString &orderId, QWidget *parent)
    : QDialog(parent), m_host(host), m_orderId(orderId), m_pipeline(host)
{
    setObjectName(QStringLiteral("OrderUpdateDlg"));
    setWindowTitle(QStringLiteral("%1 - Purchase Order # %2 - Order Update")
                       .arg(OrderPages::MainTitle(parent), orderId));
    BuildControls();
    Load();
    // The page's payment-information command stores the buyer's contact: the
    // order is read again with it, and the form starts over from that row.
    connect(m_browser.get(), &CWebBrowser2::getContact, this, [this] {
        if (m_set.IsEditing())
            m_set.CancelUpdate();
        Load();
    });
}

OrderUpdateDlg::~OrderUpdateDlg()
{
    if (m_set.IsEditing())
        m_set.CancelUpdate();
    // The view goes before the dialog's children are torn down.
    m_browser.reset();
}

QStringList OrderUpdateDlg::Statuses()
{
    return {QStringLiteral("Shipped"),         QStringLiteral("Out Of Stock"), QStringLiteral("Missing Payment"),
            QStringLiteral("Card Declined"),   QStringLiteral("Completed"),    QStringLiteral("Cancelled"),
            QStringLiteral("Ready for Customer Pickup")};
}

QString OrderUpdateDlg::TotalText(double baseTotal, const QString &adjustment)
{
    bool ok = false;
    double value = adjustment.trimmed().toDouble(&ok);
    if (!ok)
        value = 0;
    return Utils::FormatNumber(baseTotal + value, 2);
}

void OrderUpdateDlg::BuildControls()
{
    auto *top = new QVBoxLayout(this);
    auto *heading = new QLabel(QStringLiteral("This screen allows you to notify the buyer of any update of the order "
                                              "by entering the status information below."),
                               this);
    heading->setWordWrap(true);
    top->addWidget(heading);

    auto *middle = new QHBoxLayout;
    auto *form = new QFormLayout;
    m_order = Edit(this, "orderEdit");
    m_order->setReadOnly(true);
    m_invoice = Edit(this, "invoiceEdit");
    m_status = new QComboBox(this);
    m_status->setObjectName(QStringLiteral("statusCombo"));
    m_status->addItems(Statuses());
    m_shipDate = new QDateEdit(this);
    m_shipDate->setObjectName(QStringLiteral("shipDateEdit"));
    m_shipDate->setCalendarPopup(true);
    m_shipper = Edit(this, "shipperEdit");
    m_track = Edit(this, "trackEdit");
    m_adjustment = Edit(this, "adjustmentEdit");
    m_total = Edit(this, "totalEdit");
    m_total->setReadOnly(true);
    m_comment = Edit(this, "commentEdit", 1023);
    m_notify = new QCheckBox(QStringLiteral("&Notify the Buyer"), this);
    m_notify->setObjectName(QStringLiteral("notifyCheck"));
    m_notify->setChecked(true);
    form->addRow(QStringLiteral("Order #"), m_order);
    form->addRow(QStringLiteral("&Invoice #"), m_invoice);
    form->addRow(QStringLiteral("&Status"), m_status);
    form->addRow(QStringLiteral("&Date Shipped"), m_shipDate);
    form->addRow(QStringLiteral("S&hipper"), m_shipper);
    form->addRow(QStringLiteral("&Tracking #"), m_track);
    form->addRow(QStringLiteral("&Adjustment"), m_adjustment);
    form->addRow(QStringLiteral("Total"), m_total);
    form->addRow(QStringLiteral("&Comment"), m_comment);
    form->addRow(QString(), m_notify);
    middle->addLayout(form);
    m_browser = std::make_unique<CWebBrowser2>(this, QStringLiteral("orderBrowser"));
    m_browser->Widget()->setMinimumSize(360, 300);
    middle->addWidget(m_browser->Widget(), 1);
    top->addLayout(middle, 1);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&Update"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &OrderUpdateDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &OrderUpdateDlg::reject);
    top->addWidget(buttons);
    connect(m_adjustment, &QLineEdit::textChanged, this, &OrderUpdateDlg::UpdateTotal);
    resize(860, 520);
}

void OrderUpdateDlg::Load()
{
    m_order->setText(m_orderId);
    if (m_orderId.isEmpty() || !m_set.SelectById(m_orderId))
        return;
    m_loaded = true;
    m_baseTotal = m_set.GetDouble("TOTAL_PRICE");
    m_set.Edit();
    if (m_set.GetBool("IS_UPDATED")) {
        m_invoice->setText(m_set.GetText("U_INVOICE_NUM"));
        const int status = m_status->findText(m_set.GetText("U_STATUS"));
        m_status->setCurrentIndex(qMax(0, status));
        const QDateTime shipped = m_set.GetDate("U_SHIP_DATE");
        m_shipDate->setDate(shipped.isValid() ? shipped.date() : QDate::currentDate());
        m_shipper->setText(m_set.GetText("U_SHIPPER"));
        m_track->setText(m_set.GetText("U_TRACK_NUM"));
        m_adjustment->setText(Utils::FormatNumber(m_set.GetDouble("U_ADJUSTMENT"), 2));
        m_comment->setText(m_set.GetText("U_COMMENTS"));
    } else {
        m_shipDate->setDate(QDate::currentDate());
        m_adjustment->setText(QStringLiteral("0"));
    }
    UpdateTotal();
    RenderDetails();
    m_invoice->setFocus();
}

void OrderUpdateDlg::RenderDetails()
{
    XOrderSet order;
    if (!order.SelectById(m_orderId))
        return;
    XmlDoc doc = XmlDoc::Create(QStringLiteral("order-form-details"));
    order.BuildDetailXml(doc.Root(), XOrderSet::DetailView);
    const QString html = OrderPages::Render(doc);
    if (!html.isEmpty())
        m_browser->ShowHtml(html);
}

int OrderUpdateDlg::DoModal()
{
    return exec() == QDialog::Accepted ? MsgBox::IdOk : MsgBox::IdCancel;
}

void OrderUpdateDlg::UpdateTotal()
{
    m_total->setText(TotalText(m_baseTotal, m_adjustment->text()));
}

void OrderUpdateDlg::Exchange()
{
    bool ok = false;
    double adjustment = m_adjustment->text().trimmed().toDouble(&ok);
    if (!ok)
        adjustment = 0;
    m_set.SetText("U_INVOICE_NUM", m_invoice->text());
    m_set.SetText("U_STATUS", m_status->currentText());
    m_set.SetDate("U_SHIP_DATE", QDateTime(m_shipDate->date(), QTime(0, 0)));
    m_set.SetText("U_SHIPPER", m_shipper->text());
    m_set.SetText("U_TRACK_NUM", m_track->text());
    m_set.SetDouble("U_ADJUSTMENT", adjustment);
    m_set.SetDouble("U_TOTAL_PRICE", m_baseTotal + adjustment);
    m_set.SetText("U_COMMENTS", m_comment->text());
}

void OrderUpdateDlg::BuildRequest(XRequest &request)
{
    m_set.BuildOrderUpdateXml(request);
}

void OrderUpdateDlg::Store(const XRequest &answer)
{
    const XmlTime created = answer.GetResponseDate(QStringLiteral("create_time"));
    StoreRow(created ? SqlValue::FormatSeconds(created) : QString());
}

XMarketPlace OrderUpdateDlg::RefusingMarket() const
{
    return {};
}

void OrderUpdateDlg::StoreRow(const QString &updateTime)
{
    if (updateTime.isEmpty())
        m_set.SetNow("U_UPDATE_TIME");
    else
        m_set.SetText("U_UPDATE_TIME", updateTime);
    m_set.SetBool("IS_UPDATED", true);
    // Whatever status was chosen, the updated order, and only it, is completed.
    m_set.SetInt("STATUS_CODE", 5);
    m_set.SetText("STATUS", QStringLiteral("Completed"));
    if (!m_set.Update())
        throw std::runtime_error("The order is no longer stored.");
}

SubmitSpec OrderUpdateDlg::Spec(const QString &buyer)
{
    SubmitSpec spec;
    spec.operation = QStringLiteral("newOrderUpdate");
    spec.failureCaption = QStringLiteral("Cannot update the order");
    spec.recordWord = QStringLiteral("order update");
    spec.sender = RefusalSender::OrderUpdate;
    spec.confirmSetting = Setting::SendOrderUpdConfirm;
    spec.successText = QStringLiteral("Your completed order information was sent to %1. The status of this order "
                                      "changed to \"completed\" and the order was moved to the the \"Completed "
                                      "Sales\" folder.")
                           .arg(buyer);
    return spec;
}

void OrderUpdateDlg::accept()
{
    if (!m_loaded || m_pipeline.IsBusy())
        return;
    Exchange();
    if (m_notify->isChecked()) {
        const SubmitSpec spec = Spec(m_set.GetText("C_NAME"));
        const FormOutcome outcome = m_pipeline.Run(*this, spec);
        if (outcome != FormOutcome::Sent && outcome != FormOutcome::SentNotStored)
            return;
    } else {
        try {
            SqlTransaction scope(theDatabase().Connection());
            StoreRow(QString());
            scope.Commit();
        } catch (const std::exception &e) {
            theApp().ShowMessageBox(QString::fromUtf8(e.what()), QStringLiteral("Cannot update the order"),
                                    MsgBox::IconError);
            return;
        }
    }
    if (m_host)
        m_host->RefreshOrders();
    QDialog::accept();
}
