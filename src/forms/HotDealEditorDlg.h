#pragma once

// The seller's new hot deal: the offer with up to six pictures, previewed as
// its page, sent, paid on the marketplace's payment page and only then kept.

#include "HotDealForm.h"

#include <QDialog>

class IFormHost;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;

class HotDealEditorDlg : public QDialog
{
    Q_OBJECT
public:
    explicit HotDealEditorDlg(IFormHost *host, QWidget *parent = nullptr);
    int DoModal();
    HotDealForm &Form() { return m_form; }

    void Preview();
    void Submit();

private:
    void BuildControls();
    void Exchange();

    IFormHost *m_host;
    HotDealForm m_form;
    SubmitPipeline m_pipeline;
    QComboBox *m_make = nullptr;
    QComboBox *m_model = nullptr;
    QLineEdit *m_year = nullptr;
    QLineEdit *m_title = nullptr;
    QLineEdit *m_price = nullptr;
    QLineEdit *m_quantity = nullptr;
    QLineEdit *m_stock = nullptr;
    QLineEdit *m_application = nullptr;
    QPlainTextEdit *m_notes = nullptr;
    QLineEdit *m_paths[HotDealForm::PictureRows] = {};
    QLineEdit *m_titles[HotDealForm::PictureRows] = {};
    bool m_initialised = false;
};
