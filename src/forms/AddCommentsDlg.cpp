#include "AddCommentsDlg.h"

#include "FormPlacement.h"
#include "IFormHost.h"

#include "app/Interfaces.h"
#include "dialogs/PaneInterfaces.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

AddCommentsDlg::Target AddCommentsDlg::TargetFor(int activeListType)
{
    switch (activeListType) {
    case ListPartQueries:
    case ListCarQueries: return {1, QStringLiteral("query")};
    case ListHotDeals: return {2, QStringLiteral("hot deal")};
    case ListOrders: return {3, QStringLiteral("purchase order")};
    default: return {};
    }
}

QString AddCommentsDlg::PromptFor(const QString &word)
{
    return QStringLiteral("Please enter your comments regarding the %1. The comments are for your records only. "
                          "They will not be sent anywhere.")
        .arg(word);
}

AddCommentsDlg::AddCommentsDlg(IFormHost *host, QWidget *parent) : QDialog(parent), m_host(host)
{
    setObjectName(QStringLiteral("AddCommentsDlg"));
    setWindowTitle(QStringLiteral("Write Comment"));
    m_target = TargetFor(host ? host->GetActiveListType() : ListNone);
    // The record is read once its comments are opened, whatever the member does next.
    if (host) {
        switch (m_target.kind) {
        case 1:
            if (host->ShowsIncomingQueries())
                host->MarkReadIncoming();
            else
                host->MarkReadPendingQuotes();
            break;
        case 2: host->MarkReadHotDeals(); break;
        case 3: host->MarkReadPendingSales(); break;
        default: break;
        }
    }
    auto *layout = new QVBoxLayout(this);
    m_prompt = new QLabel(PromptFor(m_target.word), this);
    m_prompt->setObjectName(QStringLiteral("promptLabel"));
    m_prompt->setWordWrap(true);
    m_prompt->setTextFormat(Qt::PlainText);
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("commentsEdit"));
    if (host && m_target.kind != 0)
        m_text->setPlainText(host->GetSelectedComments().left(CommentsLimit));
    connect(m_text, &QPlainTextEdit::textChanged, this, [this] {
        if (m_text->toPlainText().size() > CommentsLimit) {
            m_text->setPlainText(m_text->toPlainText().left(CommentsLimit));
            m_text->moveCursor(QTextCursor::End);
        }
    });
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(m_prompt);
    layout->addWidget(m_text);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &AddCommentsDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &AddCommentsDlg::reject);
    resize(420, 260);
    m_placement = new FormPlacement(this, QStringLiteral("AddCommentsDlg"));
    m_placement->Apply();
}

int AddCommentsDlg::DoModal()
{
    return exec() == QDialog::Accepted ? MsgBox::IdOk : MsgBox::IdCancel;
}

void AddCommentsDlg::accept()
{
    if (m_host && m_target.kind != 0)
        m_host->SetSelectedComments(m_text->toPlainText().left(CommentsLimit));
    QDialog::accept();
}
