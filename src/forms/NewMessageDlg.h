#pragma once

// The message form: recipient line, subject (fixed unless the message is a
// broadcast), body; Submit is enabled while the body holds text.

#include "MessageAddress.h"
#include "MessageForm.h"
#include "SubmitPipeline.h"

#include <QDialog>

class FormPlacement;
class IFormHost;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class NewMessageDlg : public QDialog
{
    Q_OBJECT
public:
    explicit NewMessageDlg(IFormHost *host, QWidget *parent = nullptr);

    void SetContextId(const QString &id) { m_form.contextId = id; }
    void SetContextType(const QString &type) { m_form.contextType = type; }
    void SetRecipientId(const QString &id) { m_form.recipientId = id; }
    void SetRecipientName(const QString &name) { m_form.recipientName = name; }
    void SetSubject(const QString &subject) { m_form.subject = subject; }
    void SetAddress(const MessageAddress &address)
    {
        SetContextId(address.contextId);
        SetContextType(address.contextType);
        SetRecipientId(address.recipientId);
        SetRecipientName(address.recipientName);
        SetSubject(address.subject);
    }
    int DoModal();

    MessageForm &Form() { return m_form; }
    FormOutcome LastOutcome() const { return m_lastOutcome; }

    void accept() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void OnInitDialog();

    MessageForm m_form;
    SubmitPipeline m_pipeline;
    bool m_initialised = false;
    FormOutcome m_lastOutcome = FormOutcome::Invalid;
    QLabel *m_to;
    QLabel *m_instruction;
    QLineEdit *m_subject;
    QPlainTextEdit *m_body;
    QPushButton *m_submit;
    QPushButton *m_cancel;
    FormPlacement *m_placement;
};
