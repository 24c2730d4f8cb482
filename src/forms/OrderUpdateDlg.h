#pragma once

// The seller's update of a received purchase order: invoice, status, shipping
// and a price adjustment, sent to the buyer ("newOrderUpdate") when Notify
// the Buyer is checked, then stored on the order, which is completed.

#include "SubmitPipeline.h"

#include "db/XOrderSet.h"

#include <QDialog>

#include <memory>

class CWebBrowser2;
class IFormHost;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;

class OrderUpdateDlg : public QDialog, private SubmitForm
{
    Q_OBJECT
public:
    OrderUpdateDlg(IFormHost *host, const QString &orderId, QWidget *parent = nullptr);
    ~OrderUpdateDlg() override;

    int DoModal();
    void accept() override;
    bool IsLoaded() const { return m_loaded; }
    // The order's page, where the buyer's contact is asked for.
    CWebBrowser2 *Browser() const { return m_browser.get(); }
    // Base total plus the adjustment text read as a number (anything else counts as 0).
    static QString TotalText(double baseTotal, const QString &adjustment);
    static QStringList Statuses();
    // The submit of a completed order; the buyer's name goes in its notice.
    static SubmitSpec Spec(const QString &buyer);

private:
    void BuildControls();
    void Load();
    void UpdateTotal();
    void RenderDetails();
    // The form's values into the row being edited.
    void Exchange();

    // SubmitForm
    QString MissingFields() override { return {}; }
    void BuildRequest(XRequest &request) override;
    void Store(const XRequest &answer) override;
    XMarketPlace RefusingMarket() const override;

    void StoreRow(const QString &updateTime);

    IFormHost *m_host;
    QString m_orderId;
    double m_baseTotal = 0;
    bool m_loaded = false;
    XOrderSet m_set;
    SubmitPipeline m_pipeline;
    std::unique_ptr<CWebBrowser2> m_browser;
    QLineEdit *m_order = nullptr;
    QLineEdit *m_invoice = nullptr;
    QComboBox *m_status = nullptr;
    QDateEdit *m_shipDate = nullptr;
    QLineEdit *m_shipper = nullptr;
    QLineEdit *m_track = nullptr;
    QLineEdit *m_adjustment = nullptr;
    QLineEdit *m_total = nullptr;
    QLineEdit *m_comment = nullptr;
    QCheckBox *m_notify = nullptr;
};
