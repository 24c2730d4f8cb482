#include "NewMessageDlg.h"

#include "FormPlacement.h"

#include "app/AppCore.h"
#include "application/CClientApp.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

NewMessageDlg::NewMessageDlg(IFormHost *host, QWidget *parent) : QDialog(parent), m_pipeline(host)
{
    setObjectName(QStringLiteral("NewMessageDlg"));
    setWindowTitle(QStringLiteral("New Message"));
    auto *grid = new QGridLayout(this);
    auto *toLabel = new QLabel(QStringLiteral("TO:"), this);
    m_to = new QLabel(this);
    m_to->setObjectName(QStringLiteral("toLine"));
    m_to->setTextFormat(Qt::PlainText);
    auto *subjectLabel = new QLabel(QStringLiteral("&Subject:"), this);
    m_subject = new QLineEdit(this);
    m_subject->setObjectName(QStringLiteral("subjectEdit"));
    m_subject->setMaxLength(MessageForm::SubjectLimit);
    subjectLabel->setBuddy(m_subject);
    m_instruction = new QLabel(QStringLiteral("Type your message below and press \"Submit\"."), this);
    m_body = new QPlainTextEdit(this);
    m_body->setObjectName(QStringLiteral("bodyEdit"));
    m_submit = new QPushButton(QStringLiteral("Submit"), this);
    m_submit->setObjectName(QStringLiteral("submitButton"));
    m_submit->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    QFont bold = font();
    bold.setWeight(QFont::Bold);
    for (QLabel *heading : {toLabel, subjectLabel, m_instruction})
        heading->setFont(bold);
    grid->addWidget(toLabel, 0, 0);
    grid->addWidget(m_to, 0, 1);
    grid->addWidget(subjectLabel, 1, 0);
    grid->addWidget(m_subject, 1, 1);
    grid->addWidget(m_instruction, 2, 0, 1, 2);
    grid->addWidget(m_body, 3, 0, 1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_submit);
    buttons->addWidget(m_cancel);
    grid->addLayout(buttons, 4, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(3, 1);
    resize(480, 360);

    connect(m_body, &QPlainTextEdit::textChanged, this, [this] {
        // The body keeps to its limit as it is typed.
        if (m_body->toPlainText().size() > MessageForm::BodyLimit) {
            QTextCursor cursor = m_body->textCursor();
            m_body->setPlainText(m_body->toPlainText().left(MessageForm::BodyLimit));
            cursor.movePosition(QTextCursor::End);
            m_body->setTextCursor(cursor);
        }
        m_submit->setEnabled(!m_body->toPlainText().isEmpty());
    });
    connect(m_submit, &QPushButton::clicked, this, &NewMessageDlg::accept);
    connect(m_cancel, &QPushButton::clicked, this, &NewMessageDlg::reject);
    m_placement = new FormPlacement(this, QStringLiteral("MessageDlg"));
}

int NewMessageDlg::DoModal()
{
    return exec() == QDialog::Accepted ? MsgBox::IdOk : MsgBox::IdCancel;
}

void NewMessageDlg::showEvent(QShowEvent *event)
{
    if (!m_initialised)
        OnInitDialog();
    QDialog::showEvent(event);
}

void NewMessageDlg::OnInitDialog()
{
    m_initialised = true;
    const CClientApp *app = theClientAppIfAny();
    setWindowTitle(QStringLiteral("%1 - New Message").arg(app ? app->GetWindowTitle() : QStringLiteral("Korvant")));
    m_subject->setText(m_form.subject);
    m_subject->setEnabled(m_form.IsBroadcast());
    m_to->setText(QStringLiteral("%1, %2").arg(m_form.recipientName, m_form.recipientId));
    m_body->setPlainText(m_form.body);
    m_submit->setEnabled(!m_form.body.isEmpty());
    m_placement->Apply();
    QWidget *focus = m_form.IsBroadcast() ? static_cast<QWidget *>(m_subject) : m_body;
    QTimer::singleShot(0, focus, [focus] { focus->setFocus(); });
}

void NewMessageDlg::accept()
{
    if (m_pipeline.IsBusy() || !m_submit->isEnabled())
        return;
    m_form.subject = m_subject->text();
    m_form.body = m_body->toPlainText();
    if (m_form.subject.trimmed().isEmpty()) {
        theApp().ShowMessageBox(QStringLiteral("The \"Subject\" must be entered"), QStringLiteral("Korvant"),
                                MsgBox::IconWarning);
        m_subject->setFocus();
        return;
    }
    m_submit->setEnabled(false);
    m_cancel->setEnabled(false);
    m_lastOutcome = m_form.Submit(m_pipeline);
    m_submit->setEnabled(!m_body->toPlainText().isEmpty());
    m_cancel->setEnabled(true);
    if (m_lastOutcome == FormOutcome::Sent || m_lastOutcome == FormOutcome::SentNotStored)
        QDialog::accept();
    else if (m_lastOutcome == FormOutcome::RefusedClosed)
        QDialog::reject();
}
