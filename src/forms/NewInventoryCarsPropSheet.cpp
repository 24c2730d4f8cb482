#include "NewInventoryCarsPropSheet.h"

#include "CarOptionPages.h"
#include "FormControls.h"
#include "FormPlacement.h"
#include "IFormHost.h"
#include "NewQuoteDlg.h"
#include "QuoteWalk.h"
#include "inventoryImagesDlg.h"

#include "app/AppCore.h"
#include "app/Constants.h"
#include "app/XSettings.h"
#include "db/TradeXml.h"
#include "dialogs/GuiUtils.h"
#include "dialogs/PaneInterfaces.h"
#include "net/MetaUtils.h"
#include "net/XMetaData.h"
#include "sync/XPoller.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QVBoxLayout>

using namespace FormControls;

namespace {

struct PagePlaceholders
{
    QString model, bodyStyle, selectOne;
};

PagePlaceholders Placeholders(bool quote)
{
    if (quote)
        return {QStringLiteral("-- Select Or Type Model --"), QStringLiteral("-- Select Or Type Body Style --"),
                QStringLiteral("-- Select One --")};
    return {QStringLiteral("-- Please Select Model --"), QStringLiteral("-- Please Select Body Style --"),
            QStringLiteral("-- Please Select One --")};
}

// A fixed list with the record's value selected (added when the list lacks it).
void FillList(QComboBox *box, const QStringList &values, const QString &current)
{
    box->clear();
    box->addItem(QString());
    box->addItems(values);
    int found = current.isEmpty() ? 0 : box->findText(current, Qt::MatchFixedString);
    if (found < 0) {
        box->addItem(current);
        found = box->count() - 1;
    }
    box->setCurrentIndex(found);
}

} // namespace

// ---- General page -------------------------------------------------------------------

CarGeneralPage::CarGeneralPage(NewInventoryCarsPropSheet &sheet, XBaseSet &record, bool quoteMode)
    : PropertyPage(QStringLiteral("General")), m_sheet(sheet), m_record(record), m_quote(quoteMode)
{
    setObjectName(quoteMode ? QStringLiteral("NewQuoteCarsDlg") : QStringLiteral("NewInventoryCarsDlg"));
    Build();
}

CarGeneralPage::~CarGeneralPage() = default;

void CarGeneralPage::Build()
{
    auto *top = new QVBoxLayout(this);
    QWidget *form = this;
    QVBoxLayout *fl = top;
    if (m_quote) {
        auto *split = new QSplitter(Qt::Horizontal, this);
        top->addWidget(split, 1);
        m_details = NewQuoteDlg::MakeDetailsPane(split, this, [this] {
            if (CarQuoteForm *q = m_sheet.QuoteForm()) {
                q->LoadCurrentQuery();
                m_sheet.ReloadPages();
            }
        });
        if (m_details)
            split->addWidget(m_details->Widget());
        form = new QWidget(split);
        split->addWidget(form);
        fl = new QVBoxLayout(form);
    }
    m_intro = new QLabel(form);
    m_intro->setWordWrap(true);
    fl->addWidget(m_intro);

    auto *car = new QGroupBox(QStringLiteral("Car"), form);
    auto *g = new QGridLayout(car);
    m_year = YearSpin(car, "yearSpin");
    m_make = Combo(car, "makeCombo");
    m_model = Combo(car, "modelCombo", true);
    m_subModel = Edit(car, "subModelEdit");
    m_category = Combo(car, "categoryCombo");
    m_stock = Edit(car, "stockEdit");
    m_vin = Edit(car, "vinEdit");
    m_price = Edit(car, "priceEdit");
    m_acv = Edit(car, "acvEdit");
    m_mileage = Edit(car, "mileageEdit");
    m_actualMileage = new QCheckBox(QStringLiteral("Actual Mileage"), car);
    m_actualMileage->setObjectName(QStringLiteral("actualMileageCheck"));
    m_condition = Combo(car, "conditionCombo");
    m_extColor = Combo(car, "extColorCombo");
    m_intColor = Combo(car, "intColorCombo");
    m_bodyStyle = Combo(car, "bodyStyleCombo");
    m_transmission = Combo(car, "transmissionCombo");
    m_driveTrain = Combo(car, "driveTrainCombo");
    m_engine = Combo(car, "engineCombo");
    m_engineSize = Edit(car, "engineSizeEdit");
    m_engineUnit = Combo(car, "engineUnitCombo");
    m_engineUnit->setMinimumContentsLength(4);
    m_doors = Combo(car, "doorsCombo");
    m_warranty = Edit(car, "warrantyEdit");
    QWidget *size = Beside(car, m_engineSize, m_engineUnit);
    int row = 0;
    AddRow(g, row, 0, QStringLiteral("&Year"), m_year);
    AddRow(g, row++, 2, QStringLiteral("Ma&ke"), m_make);
    AddRow(g, row, 0, QStringLiteral("Mo&del"), m_model);
    AddRow(g, row++, 2, QStringLiteral("Sub-Model"), m_subModel);
    AddRow(g, row, 0, QStringLiteral("&Category"), m_category);
    AddRow(g, row++, 2, QStringLiteral("Stock &#"), m_stock);
    AddRow(g, row, 0, QStringLiteral("VIN"), m_vin);
    AddRow(g, row++, 2, QStringLiteral("Asking &Price"), m_price);
    AddRow(g, row, 0, QStringLiteral("ACV"), m_acv);
    AddRow(g, row++, 2, QStringLiteral("&Mileage"), m_mileage);
    g->addWidget(m_actualMileage, row++, 3);
    AddRow(g, row, 0, QStringLiteral("C&ondition"), m_condition);
    AddRow(g, row++, 2, QStringLiteral("E&xterior Color"), m_extColor);
    AddRow(g, row, 0, QStringLiteral("&Interior Color"), m_intColor);
    AddRow(g, row++, 2, QStringLiteral("&Body Style"), m_bodyStyle);
    AddRow(g, row, 0, QStringLiteral("&Transmission"), m_transmission);
    AddRow(g, row++, 2, QStringLiteral("Drive T&rain"), m_driveTrain);
    AddRow(g, row, 0, QStringLiteral("&Engine Type"), m_engine);
    AddRow(g, row++, 2, QStringLiteral("Engine Si&ze"), size);
    AddRow(g, row, 0, QStringLiteral("Doors"), m_doors);
    AddRow(g, row++, 2, QStringLiteral("&Warranty"), m_warranty);
    g->setColumnStretch(1, 1);
    g->setColumnStretch(3, 1);
    fl->addWidget(car);

    auto *where = new QGroupBox(QStringLiteral("Location"), form);
    auto *wg = new QGridLayout(where);
    m_address = Edit(where, "addressEdit");
    m_city = Edit(where, "cityEdit");
    m_state = Combo(where, "stateCombo");
    m_zip = Edit(where, "zipEdit");
    m_country = Combo(where, "countryCombo");
    AddRow(wg, 0, 0, QStringLiteral("&Address"), m_address);
    AddRow(wg, 0, 2, QStringLiteral("Ci&ty"), m_city);
    AddRow(wg, 1, 0, QStringLiteral("&State"), m_state);
    AddRow(wg, 1, 2, QStringLiteral("Zi&p"), m_zip);
    AddRow(wg, 2, 0, QStringLiteral("Co&untry"), m_country);
    wg->setColumnStretch(1, 1);
    wg->setColumnStretch(3, 1);
    fl->addWidget(where);

    m_notes = AddNotes(fl, form, QStringLiteral("Additional Description/&Notes"), 56, NotesLimit);

    if (m_quote) {
        auto *nav = new QHBoxLayout;
        m_walk = std::make_unique<QuoteWalkButtons>(form, this, *m_sheet.QuoteForm(), m_sheet.Host(),
                                                    [this] { m_sheet.ReloadPages(); }, [this] { m_sheet.reject(); });
        m_walk->AddTo(nav);
        nav->addStretch(1);
        fl->addLayout(nav);
    }

    FollowMake(m_make, m_model, Korvant::MarketCars, Placeholders(m_quote).model, [this] { return m_initialised; });
    connect(m_category, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_initialised)
            return;
        if (CarForms::NeedsDamagePage(m_category->currentText()))
            m_sheet.ShowDamagePage();
        else
            m_sheet.HideDamagePage();
    });
}

void CarGeneralPage::showEvent(QShowEvent *event)
{
    if (!m_initialised)
        OnInitDialog();
    PropertyPage::showEvent(event);
}

void CarGeneralPage::Reinit()
{
    OnInitDialog();
}

void CarGeneralPage::OnInitDialog()
{
    m_initialised = false;
    const XBaseSet &r = m_record;
    const PagePlaceholders text = Placeholders(m_quote);
    const XMetaData::FixedLists &fixed = theMeta().Fixed();
    if (m_quote) {
        const CarQuoteForm *q = m_sheet.QuoteForm();
        m_intro->setText(QStringLiteral("To submit a quote to %1, enter your car information in detail including "
                                        "options and pictures. The more accurate and comprehensive you make the quote, "
                                        "the higher the chance you will have to sell the vehicle.")
                             .arg(q->Query().GetText("C_NAME")));
    } else {
        m_intro->setText(QStringLiteral("To create/update an inventory record, insert all the relevant car information "
                                        "including the car options and car pictures. The Korvant system will send quotes "
                                        "automatically on your behalf to car queries that match your inventory."));
    }
    const int year = r.GetText("YEAR").trimmed().toInt();
    m_year->setValue(year >= 1900 ? year : 2000);
    FillMeta(m_make, 0, QStringLiteral("-- Please Select Make --"), r.GetText("MAKE"));
    if (m_make->findText(QStringLiteral("Other")) < 0)
        m_make->addItem(QStringLiteral("Other"));
    FillModels(m_make, m_model, Korvant::MarketCars, text.model, r.GetText("MODEL"));
    m_subModel->setText(r.GetText("SUBMODEL"));
    const QString category = r.GetText("CATEGORY");
    FillMeta(m_category, 16, MetaUtils::NoFirstItem, category);
    if (category.isEmpty() && !m_quote && m_sheet.InventoryForm()->IsNew() && m_category->count() > 1)
        m_category->setCurrentIndex(1);
    m_stock->setText(r.GetText("STOCK_NUMBER"));
    m_vin->setText(r.GetText("VIN"));
    m_price->setText(r.GetText("ASKING_PRICE"));
    m_acv->setText(r.GetText("ACV"));
    m_mileage->setText(r.GetText("MILEAGE"));
    m_actualMileage->setChecked(m_quote || r.GetBool("ACTUAL_MILEAGE"));
    FillMeta(m_condition, 17, text.selectOne, r.GetText("CONDITION"));
    FillMeta(m_extColor, 4, text.selectOne, r.GetText("EXT_COLOR"));
    FillMeta(m_intColor, 3, QString(), r.GetText("INT_COLOR"));
    FillMeta(m_bodyStyle, 2, text.bodyStyle, r.GetText("BODY_STYLE"));
    FillMeta(m_transmission, 11, text.selectOne, r.GetText("TRANSMISSION"));
    FillMeta(m_driveTrain, 12, QString(), r.GetText("DRIVE_TRAIN"));
    FillMeta(m_engine, 13, QString(), r.GetText("ENGINE_CYL"));
    m_engineSize->setText(r.GetText("ENGINE_SIZE"));
    FillMeta(m_engineUnit, 14, MetaUtils::NoFirstItem, r.GetText("ENGINE_SIZE_UNIT"));
    FillMeta(m_doors, 19, QString(), r.GetText("DOORS"));
    m_warranty->setText(r.GetText("WARRANTY"));
    m_address->setText(r.GetText("LOCATION_ADDRESS"));
    m_city->setText(r.GetText("LOCATION_CITY"));
    FillList(m_state, fixed.stateCodes, r.GetText("LOCATION_STATE"));
    m_zip->setText(r.GetText("LOCATION_ZIP"));
    FillList(m_country, fixed.countries, r.GetText("LOCATION_COUNTRY"));
    m_notes->setPlainText(r.GetText("NOTES").left(NotesLimit));
    if (CarForms::NeedsDamagePage(m_category->currentText()))
        m_sheet.ShowDamagePage();
    else
        m_sheet.HideDamagePage();
    if (m_quote) {
        ShowQueryDetails(m_details.get(), *m_sheet.QuoteForm());
        m_walk->Update();
        if (m_sheet.Host())
            m_sheet.Host()->MarkReadIncoming();
    }
    m_initialised = true;
}

void CarGeneralPage::SaveToRecord()
{
    XBaseSet &r = m_record;
    r.SetText("YEAR", QString::number(m_year->value()));
    r.SetText("MAKE", m_make->currentText());
    r.SetText("MODEL", m_model->currentText().trimmed());
    r.SetText("SUBMODEL", m_subModel->text().trimmed());
    r.SetText("CATEGORY", m_category->currentText());
    r.SetText("STOCK_NUMBER", m_stock->text().trimmed());
    r.SetText("VIN", m_vin->text().trimmed());
    r.SetText("ASKING_PRICE", m_price->text().trimmed());
    r.SetText("ACV", m_acv->text().trimmed());
    r.SetText("MILEAGE", m_mileage->text().trimmed());
    r.SetBool("ACTUAL_MILEAGE", m_actualMileage->isChecked());
    r.SetText("CONDITION", m_condition->currentText());
    r.SetText("EXT_COLOR", m_extColor->currentText());
    r.SetText("INT_COLOR", m_intColor->currentText());
    r.SetText("BODY_STYLE", m_bodyStyle->currentText());
    r.SetText("TRANSMISSION", m_transmission->currentText());
    r.SetText("DRIVE_TRAIN", m_driveTrain->currentText());
    r.SetText("ENGINE_CYL", m_engine->currentText());
    r.SetText("ENGINE_SIZE", m_engineSize->text().trimmed());
    r.SetText("ENGINE_SIZE_UNIT", m_engineUnit->currentText());
    r.SetText("DOORS", m_doors->currentText());
    r.SetText("WARRANTY", m_warranty->text());
    r.SetText("LOCATION_ADDRESS", m_address->text().trimmed());
    r.SetText("LOCATION_CITY", m_city->text().trimmed());
    r.SetText("LOCATION_STATE", m_state->currentText());
    r.SetText("LOCATION_ZIP", m_zip->text().trimmed());
    r.SetText("LOCATION_COUNTRY", m_country->currentText());
    r.SetText("NOTES", m_notes->toPlainText().left(NotesLimit));
}

bool CarGeneralPage::OnApply()
{
    if (m_sheet.Pipeline().IsBusy())
        return false;
    // Options, damage and pictures go into the record first.
    if (m_sheet.Commit(this) != 0)
        return false;
    SaveToRecord();
    const QList<InvPicture> pictures = m_sheet.PicturesPage()->Pictures();
    if (!m_quote) {
        const QString missing = CarForms::MissingFields(m_record);
        if (!missing.isEmpty()) {
            theApp().ShowMessageBox(GuiUtils::SubmissionErrorText(missing), QStringLiteral("Submission Error"),
                                    MsgBox::IconError);
            return false;
        }
        if (m_sheet.InventoryForm()->Save(pictures) < 0)
            return false;
        if (m_sheet.Host())
            m_sheet.Host()->OpenInventoryList(Korvant::MarketCars);
        return true;
    }
    CarQuoteForm *q = m_sheet.QuoteForm();
    q->SetPictures(pictures);
    q->SetStoreToInventory(m_sheet.StoreCheck()->isChecked());
    m_lastOutcome = SubmitFromWindow([this, q] { return q->Submit(m_sheet.Pipeline()); },
                                     [this](bool busy) { m_sheet.SetBusy(busy); }, [this] { m_sheet.reject(); });
    if (!IsSent(m_lastOutcome))
        return false;
    // Walking the incoming leads: the query now at the kept place is next.
    if (const int next = q->NextPlace(); next >= 0) {
        q->MoveTo(next);
        m_sheet.PicturesPage()->Reload();
        m_sheet.ReloadPages();
        m_sheet.SetActivePage(0);
        return false;
    }
    return true;
}

// ---- sheet --------------------------------------------------------------------------

NewInventoryCarsPropSheet::NewInventoryCarsPropSheet(IFormHost *host, const QString &caption, bool quoteMode,
                                                     qint64 recordId, QWidget *parent)
    : PropertySheet(caption, parent, Navigation::Tabs), m_host(host), m_pipeline(host)
{
    setObjectName(QStringLiteral("NewInventoryCarsPropSheet"));
    bool isNew = true;
    if (quoteMode) {
        m_quoteForm = std::make_unique<CarQuoteForm>(host, host ? host->SellerQueries(Korvant::MarketCars) : nullptr);
        m_record = &m_quoteForm->Quote();
    } else {
        m_inventoryForm = std::make_unique<CarInventoryForm>();
        if (recordId > 0)
            m_inventoryForm->Open(recordId);
        isNew = m_inventoryForm->IsNew();
        m_record = &m_inventoryForm->Record();
    }
    m_general = new CarGeneralPage(*this, *m_record, quoteMode);
    m_options = new CarOptionsDlg(m_record, quoteMode ? 1 : 2);
    m_pictures = new inventoryImagesDlg;
    m_damage = new DamageOptionsDlg(m_record, quoteMode ? 0 : 1, isNew, this);
    m_damage->hide();
    AddPage(m_general);
    AddPage(m_options);
    AddPage(m_pictures);
    OkButton()->setText(quoteMode ? QStringLiteral("Submit") : QStringLiteral("Save"));
    if (quoteMode) {
        AddButton(QStringLiteral("Select From Inventory"), QStringLiteral("fromInventoryButton"));
        connect(findChild<QPushButton *>(QStringLiteral("fromInventoryButton")), &QPushButton::clicked, this,
                &NewInventoryCarsPropSheet::SelectFromInventory);
        m_store = new QCheckBox(QStringLiteral("Store Quote Info In My Inventory"), this);
        m_store->setObjectName(QStringLiteral("storeCheck"));
        m_store->setChecked(theSettings().IsOn(Setting::SaveToInventoryCars));
        layout()->addWidget(m_store);
    }
    AddBackNext();
    if (!quoteMode && !isNew) {
        XPoller::LoadCarImages(m_pictures->Slots(), m_inventoryForm->Record());
        m_pictures->ShowSlots();
    }
    // Every page exists before the first apply.
    SetActivePage(1);
    SetActivePage(2);
    SetActivePage(0);
    m_placement = new FormPlacement(this, quoteMode ? QStringLiteral("NewQuoteCarsDlg")
                                                    : QStringLiteral("NewInventoryCarsDlg"));
}

NewInventoryCarsPropSheet::~NewInventoryCarsPropSheet() = default;

void NewInventoryCarsPropSheet::ShowDamagePage()
{
    if (!HasPage(m_damage))
        AddPage(m_damage);
}

void NewInventoryCarsPropSheet::HideDamagePage()
{
    if (HasPage(m_damage))
        RemovePage(m_damage);
}

void NewInventoryCarsPropSheet::ReloadPages()
{
    m_general->Reinit();
    m_options->Reload();
    m_damage->Reload();
}

void NewInventoryCarsPropSheet::SelectFromInventory()
{
    if (!m_quoteForm)
        return;
    const qint64 id = m_quoteForm->FillFromPicked();
    if (id <= 0)
        return;
    XInventoryCarsSet car;
    car.Select(SqlExpr(QStringLiteral("ID = ?"), {id}));
    m_pictures->Reload();
    XPoller::LoadCarImages(m_pictures->Slots(), car);
    m_pictures->ShowSlots();
    ReloadPages();
    m_store->setChecked(false);
}

int NewInventoryCarsPropSheet::DoModal()
{
    if (m_quoteForm && !m_quoteForm->HasQuery()) {
        theApp().ShowMessageBox(QStringLiteral("Please select the car query to quote."), QStringLiteral("New Quote"),
                                MsgBox::IconInformation);
        return MsgBox::IdCancel;
    }
    // Modal before it shows: exec() on a window already visible would leave
    // the window behind usable while the sheet walks its car list.
    setWindowModality(Qt::ApplicationModal);
    show();
    m_placement->Apply();
    return exec() == QDialog::Accepted ? MsgBox::IdOk : MsgBox::IdCancel;
}
