#include "NewOrderDlg.h"

#include "IFormHost.h"
#include "OrderPages.h"

#include "app/AppCore.h"
#include "browser/CWebBrowser2.h"

#include <QVBoxLayout>

NewOrderDlg::NewOrderDlg(IFormHost *host, const QString &contextType, const QString &quoteId, QWidget *parent)
    : QDialog(parent), m_host(host), m_form(contextType, quoteId), m_pipeline(host)
{
    setObjectName(QStringLiteral("NewOrderDlg"));
    setSizeGripEnabled(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_browser = std::make_unique<CWebBrowser2>(this, QStringLiteral("orderBrowser"));
    layout->addWidget(m_browser->Widget());
    setWindowTitle(m_form.Caption(OrderPages::MainTitle(parent)));
    resize(760, 640);
    Render();
}

NewOrderDlg::~NewOrderDlg()
{
    // The view goes before the dialog's children are torn down.
    m_browser.reset();
}

int NewOrderDlg::DoModal()
{
    if (!m_form.IsLoaded())
        return MsgBox::IdCancel;
    return exec() == QDialog::Accepted ? MsgBox::IdOk : MsgBox::IdCancel;
}

void NewOrderDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Never smaller than it opened.
    if (!m_sized) {
        m_sized = true;
        setMinimumSize(size());
    }
}

void NewOrderDlg::Render()
{
    const QString html = OrderPages::Render(m_form.BuildNewOrderXml());
    if (!html.isEmpty())
        m_browser->ShowHtml(html);
}

void NewOrderDlg::ChangePayMethod(const QString &method)
{
    m_form.payMethod = method;
    Render();
}

void NewOrderDlg::SubmitOrder(const AppParams &fields)
{
    // A second click while the first is on its way, or after it went, sends nothing.
    if (m_sent || m_pipeline.IsBusy())
        return;
    m_form.SetFields(fields);
    const FormOutcome outcome = m_form.Submit(m_pipeline);
    if (outcome == FormOutcome::Sent || outcome == FormOutcome::SentNotStored) {
        m_sent = true;
        if (m_host && outcome == FormOutcome::Sent)
            m_host->RefreshOrders();
        accept();
    }
}
