#pragma once

// The part quote form: the controls over PartQuoteForm's quote, the query's
// details beside them, the part picture, and the walk through the pending
// queries (the form stays open after each send while queries are left).

#include "FormDialog.h"
#include "PartFields.h"
#include "PartQuoteForm.h"

#include <QMap>

#include <functional>
#include <memory>

class CSelectPartImage;
class IBrowserPane;
class IFormHost;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QuoteWalkButtons;

class NewQuoteDlg : public FormDialog
{
    Q_OBJECT
public:
    // Makes the query details pane (tests give a pane without a web engine).
    using PaneMaker = std::function<std::unique_ptr<IBrowserPane>(QWidget *parent)>;
    static PaneMaker SetPaneMaker(PaneMaker maker);
    // A query details pane; `getContact` runs when its page asks for the buyer's contact.
    static std::unique_ptr<IBrowserPane> MakeDetailsPane(QWidget *parent, QObject *context,
                                                         std::function<void()> getContact);

    NewQuoteDlg(IFormHost *host, std::unique_ptr<ISellerQueries> list, QWidget *parent = nullptr);
    ~NewQuoteDlg() override;

    // Tells the member to select a query when there is none to quote.
    int DoModal();
    // The page's quick quote, the dialog never shown; true when sent.
    bool SubmitQuickQuote(const QMap<QString, QString> &params, const QString &pictureFile);

    PartQuoteForm &Form() { return m_form; }
    SubmitPipeline &Pipeline() { return m_pipeline; }
    CSelectPartImage &Picture() { return *m_picture; }
    FormOutcome LastOutcome() const { return m_lastOutcome; }

private:
    void BuildControls();
    void OnInitDialog() override;
    bool SaveToRecord();
    void OnSubmit();
    void OnSelectFromInventory();
    void SetBusy(bool busy);

    IFormHost *m_host;
    PartQuoteForm m_form;
    SubmitPipeline m_pipeline;
    std::unique_ptr<CSelectPartImage> m_picture;
    std::unique_ptr<IBrowserPane> m_details;
    std::unique_ptr<QuoteWalkButtons> m_walk;
    FormOutcome m_lastOutcome = FormOutcome::Invalid;

    PartFields m_fields;
    QLineEdit *m_partName, *m_price, *m_shipping, *m_core, *m_stock, *m_brand, *m_url, *m_boxQuantity;
    QComboBox *m_condition;
    QSpinBox *m_quantity;
    QLabel *m_cost;
    QCheckBox *m_storeToInventory;
    QPushButton *m_submit, *m_cancel, *m_pictureButton, *m_fromInventory;
};
