#pragma once

// The member's private note on the selected query, hot deal or purchase
// order of the list shown. Opening marks the record read; OK hands the text
// to the list, which keeps it in the record's COMMENTS. Nothing is sent.

#include <QDialog>

class FormPlacement;
class IFormHost;
class QLabel;
class QPlainTextEdit;

class AddCommentsDlg : public QDialog
{
    Q_OBJECT
public:
    struct Target
    {
        int kind = 0;  // 1 query, 2 hot deal, 3 purchase order, 0 none
        QString word;  // in the prompt
    };
    static constexpr int CommentsLimit = 1023;
    // The record kind of an active list type.
    static Target TargetFor(int activeListType);
    static QString PromptFor(const QString &word);

    explicit AddCommentsDlg(IFormHost *host, QWidget *parent = nullptr);
    int DoModal();
    void accept() override;

private:
    IFormHost *m_host;
    Target m_target;
    QLabel *m_prompt;
    QPlainTextEdit *m_text;
    FormPlacement *m_placement;
};
