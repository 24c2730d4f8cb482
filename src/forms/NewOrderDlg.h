#pragma once

// The purchase order form: the order page of a received quote in a browser;
// the page's "submit-order" and "change-paymethod" commands come back here.

#include "OrderForm.h"

#include "browser/IFrameCommands.h"

#include <QDialog>

#include <memory>

class CWebBrowser2;
class IFormHost;

class NewOrderDlg : public QDialog, public IOrderPage
{
    Q_OBJECT
public:
    NewOrderDlg(IFormHost *host, const QString &contextType, const QString &quoteId, QWidget *parent = nullptr);
    ~NewOrderDlg() override;

    int DoModal();
    OrderForm &Form() { return m_form; }
    CWebBrowser2 &Browser() { return *m_browser; }

    // IOrderPage
    void SubmitOrder(const AppParams &fields) override;
    void ChangePayMethod(const QString &method) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void Render();

    IFormHost *m_host;
    OrderForm m_form;
    SubmitPipeline m_pipeline;
    std::unique_ptr<CWebBrowser2> m_browser;
    bool m_sent = false;
    bool m_sized = false;
};
