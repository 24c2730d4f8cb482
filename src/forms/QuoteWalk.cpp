#include "QuoteWalk.h"

#include "FormControls.h"
#include "IFormHost.h"
#include "QuoteFormBase.h"

#include "app/XSLTransformer.h"
#include "dialogs/PaneInterfaces.h"

#include <QBoxLayout>
#include <QPushButton>

QuoteWalkButtons::QuoteWalkButtons(QWidget *parent, QWidget *scope, QuoteFormBase &form, IFormHost *host,
                                   std::function<void()> shown, std::function<void()> ended)
    : m_form(form), m_shown(std::move(shown)), m_ended(std::move(ended))
{
    using FormControls::Button;
    m_prev = Button(parent, QStringLiteral("<"), "prevButton");
    m_next = Button(parent, QStringLiteral(">"), "nextButton");
    m_delete = Button(parent, QStringLiteral("&Delete Query"), "deleteButton");
    m_message = Button(parent, QStringLiteral("Send &Message"), "messageButton");
    QObject::connect(m_prev, &QPushButton::clicked, parent, [this] { Move(m_form.Index() - 1); });
    QObject::connect(m_next, &QPushButton::clicked, parent, [this] { Move(m_form.Index() + 1); });
    FormControls::StepWithCtrlArrows(scope, m_prev, m_next);
    QObject::connect(m_delete, &QPushButton::clicked, parent, [this] { DeleteQuery(); });
    QObject::connect(m_message, &QPushButton::clicked, parent, [host] {
        if (host)
            host->ComposeMessageForSelection();
    });
}

void QuoteWalkButtons::AddTo(QBoxLayout *row) const
{
    for (QPushButton *b : {m_prev, m_next, m_delete, m_message})
        row->addWidget(b);
}

void QuoteWalkButtons::Update()
{
    const bool walks = m_form.Walks();
    const int count = m_form.List() ? m_form.List()->Count() : 0;
    m_prev->setEnabled(walks && m_form.Index() > 0);
    m_next->setEnabled(walks && m_form.Index() < count - 1);
    m_delete->setEnabled(walks);
}

void QuoteWalkButtons::Move(int index)
{
    if (m_form.MoveTo(index))
        m_shown();
}

void QuoteWalkButtons::DeleteQuery()
{
    ISellerQueries *list = m_form.List();
    if (!list || !list->DeleteSelected())
        return;
    if (const int next = m_form.NextPlace(); next >= 0)
        Move(next);
    else
        m_ended();
}

void ShowQueryDetails(IBrowserPane *pane, const QuoteFormBase &form)
{
    if (!pane || !form.HasQuery())
        return;
    const XmlDoc doc = form.QueryDetails();
    XSLTransformer *xsl = theXSLTransformerIfAny();
    pane->SetHtml(xsl ? xsl->Transform(XSLTransformer::QueryDetail, doc.Raw()) : QString());
}
