#pragma once

// The part quote form: the controls over PartQuoteForm's quote, the query's
// details beside them, the part picture, and the walk through the pending
// queries (the form stays open after each send while queries are left).

#include "PartQuoteForm.h"

#include <QDialog>
#include <QMap>

#include <functional>
#include <memory>

class CSelectPartImage;
class FormPlacement;
class IBrowserPane;
class IFormHost;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class SidesList;

class NewQuoteDlg : public QDialog
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

    int DoModal();
    // The page's quick quote, the dialog never shown; true when sent.
    bool SubmitQuickQuote(const QMap<QString, QString> &params, const QString &pictureFile);

    PartQuoteForm &Form() { return m_form; }
    SubmitPipeline &Pipeline() { return m_pipeline; }
    CSelectPartImage &Picture() { return *m_picture; }
    FormOutcome LastOutcome() const { return m_lastOutcome; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void BuildControls();
    void OnInitDialog();
    void RenderDetails();
    void UpdateNavigation();
    bool SaveToRecord();
    void OnSubmit();
    void Move(int index);
    void OnDeleteQuery();
    void OnSelectFromInventory();
    void SetBusy(bool busy);

    IFormHost *m_host;
    PartQuoteForm m_form;
    SubmitPipeline m_pipeline;
    std::unique_ptr<CSelectPartImage> m_picture;
    std::unique_ptr<SidesList> m_sides;
    std::unique_ptr<IBrowserPane> m_details;
    bool m_initialised = false;
    FormOutcome m_lastOutcome = FormOutcome::Invalid;

    QLineEdit *m_partName, *m_price, *m_shipping, *m_core, *m_stock, *m_brand, *m_color, *m_url, *m_engineSize;
    QLineEdit *m_boxQuantity;
    QComboBox *m_condition, *m_side, *m_wheelWidth, *m_wheelHeight, *m_bodyStyle, *m_engine, *m_transmission;
    QComboBox *m_axle, *m_fuel, *m_engineUnit, *m_delivery, *m_aspiration;
    QSpinBox *m_quantity;
    QPlainTextEdit *m_notes;
    QLabel *m_cost;
    QCheckBox *m_storeToInventory;
    QPushButton *m_submit, *m_cancel, *m_delete, *m_prev, *m_next, *m_message, *m_pictureButton, *m_fromInventory;
    FormPlacement *m_placement = nullptr;
};
