#include "NewQuoteDlg.h"

#include "CSelectPartImage.h"
#include "FormControls.h"
#include "FormPlacement.h"
#include "FormWidgets.h"
#include "IFormHost.h"

#include "app/AppCore.h"
#include "app/Constants.h"
#include "app/WaitCursor.h"
#include "app/XPhotoSet.h"
#include "app/XSLTransformer.h"
#include "app/XSettings.h"
#include "browser/CWebBrowser2.h"
#include "db/XInventorySet.h"
#include "dialogs/ComboItemSink.h"
#include "dialogs/DataExchange.h"
#include "dialogs/PaneInterfaces.h"
#include "net/MetaUtils.h"
#include "net/SidesList.h"
#include "net/XMetaData.h"
#include "net/XmlUtil.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QVBoxLayout>

using namespace FormWidgets;

namespace {

constexpr int NotesLimit = 1023;

NewQuoteDlg::PaneMaker &Maker()
{
    static NewQuoteDlg::PaneMaker maker;
    return maker;
}

QString ModeName(IFormHost *)
{
    if (AppCore *app = theAppIfAny())
        if (IMainFrame *frame = app->Frame())
            return frame->GetMarketModeName();
    return QStringLiteral("Parts");
}

} // namespace

NewQuoteDlg::PaneMaker NewQuoteDlg::SetPaneMaker(PaneMaker maker)
{
    PaneMaker previous = Maker();
    Maker() = std::move(maker);
    return previous;
}

std::unique_ptr<IBrowserPane> NewQuoteDlg::MakeDetailsPane(QWidget *parent, QObject *context,
                                                           std::function<void()> getContact)
{
    if (Maker())
        return Maker()(parent);
    auto browser = std::make_unique<CWebBrowser2>(parent, QStringLiteral("QuoteDetails"));
    QObject::connect(browser.get(), &CWebBrowser2::getContact, context, std::move(getContact));
    return browser;
}

NewQuoteDlg::NewQuoteDlg(IFormHost *host, std::unique_ptr<ISellerQueries> list, QWidget *parent)
    : QDialog(parent), m_host(host), m_form(host, std::move(list)), m_pipeline(host),
      m_picture(std::make_unique<CSelectPartImage>(this)), m_sides(std::make_unique<SidesList>())
{
    setObjectName(QStringLiteral("NewQuoteDlg"));
    setWindowTitle(QStringLiteral("New Quote"));
    BuildControls();
    m_placement = new FormPlacement(this, QStringLiteral("NewQuoteDlg"));
}

NewQuoteDlg::~NewQuoteDlg() = default;

void NewQuoteDlg::BuildControls()
{
    auto *top = new QVBoxLayout(this);
    auto *split = new QSplitter(Qt::Horizontal, this);
    top->addWidget(split, 1);

    // The page asked for the buyer's contact: the query is read again.
    m_details = MakeDetailsPane(split, this, [this] {
        m_form.LoadCurrentQuery();
        RenderDetails();
    });
    if (m_details)
        split->addWidget(m_details->Widget());

    auto *form = new QWidget(split);
    split->addWidget(form);
    auto *fl = new QVBoxLayout(form);
    auto *quote = new QGroupBox(QStringLiteral("Quote"), form);
    QFont bold = quote->font();
    bold.setWeight(QFont::Bold);
    quote->setFont(bold);
    auto *qg = new QGridLayout(quote);
    m_partName = Edit(quote, "partNameEdit");
    m_partName->setMaxLength(128);
    m_condition = Combo(quote, "conditionCombo");
    m_quantity = new QSpinBox(quote);
    m_quantity->setObjectName(QStringLiteral("quantitySpin"));
    m_quantity->setRange(1, 100);
    m_boxQuantity = Edit(quote, "boxQuantityEdit");
    m_price = Edit(quote, "priceEdit");
    m_shipping = Edit(quote, "shippingEdit");
    m_core = Edit(quote, "coreEdit");
    m_stock = Edit(quote, "stockEdit");
    m_brand = Edit(quote, "brandEdit");
    m_color = Edit(quote, "colorEdit");
    m_side = Combo(quote, "sideCombo");
    m_wheelWidth = Combo(quote, "wheelWidthCombo");
    m_wheelHeight = Combo(quote, "wheelHeightCombo");
    m_url = Edit(quote, "urlEdit");
    int row = 0;
    for (QLabel *label : {AddRow(qg, row, 0, QStringLiteral("Part &Name"), m_partName),
                          AddRow(qg, row, 2, QStringLiteral("Part Cond"), m_condition)})
        label->setFont(bold);
    ++row;
    AddRow(qg, row, 0, QStringLiteral("&Quantity"), m_quantity);
    AddRow(qg, row++, 2, QStringLiteral("Box Quantity"), m_boxQuantity);
    AddRow(qg, row, 0, QStringLiteral("&Price"), m_price)->setFont(bold);
    AddRow(qg, row++, 2, QStringLiteral("S&&H"), m_shipping);
    AddRow(qg, row, 0, QStringLiteral("Core Deposit"), m_core);
    AddRow(qg, row++, 2, QStringLiteral("Stock &#"), m_stock);
    AddRow(qg, row, 0, QStringLiteral("&Brand"), m_brand);
    AddRow(qg, row++, 2, QStringLiteral("C&olor"), m_color);
    AddRow(qg, row, 0, QStringLiteral("S&ide"), m_side);
    AddRow(qg, row++, 2, QStringLiteral("Wheel Width"), m_wheelWidth);
    AddRow(qg, row, 0, QStringLiteral("Wheel Height"), m_wheelHeight);
    AddRow(qg, row++, 2, QStringLiteral("Buy URL"), m_url);
    for (QWidget *w : quote->findChildren<QWidget *>()) {
        if (!qobject_cast<QLabel *>(w))
            w->setFont(font());
    }
    fl->addWidget(quote);

    auto *vehicle = new QGroupBox(QStringLiteral("Vehicle"), form);
    auto *vg = new QGridLayout(vehicle);
    m_bodyStyle = Combo(vehicle, "bodyStyleCombo");
    m_engine = Combo(vehicle, "engineCombo");
    m_transmission = Combo(vehicle, "transmissionCombo");
    m_axle = Combo(vehicle, "axleCombo");
    m_fuel = Combo(vehicle, "fuelCombo");
    m_engineSize = Edit(vehicle, "engineSizeEdit");
    m_engineUnit = Combo(vehicle, "engineUnitCombo");
    m_engineUnit->setMinimumContentsLength(4);
    m_delivery = Combo(vehicle, "deliveryCombo");
    m_aspiration = Combo(vehicle, "aspirationCombo");
    auto *size = new QWidget(vehicle);
    auto *sizeRow = new QHBoxLayout(size);
    sizeRow->setContentsMargins(0, 0, 0, 0);
    sizeRow->addWidget(m_engineSize, 1);
    sizeRow->addWidget(m_engineUnit);
    AddRow(vg, 0, 0, QStringLiteral("Body Style"), m_bodyStyle);
    AddRow(vg, 0, 2, QStringLiteral("Engine Type"), m_engine);
    AddRow(vg, 1, 0, QStringLiteral("Transmission"), m_transmission);
    AddRow(vg, 1, 2, QStringLiteral("Axle"), m_axle);
    AddRow(vg, 2, 0, QStringLiteral("Fuel"), m_fuel);
    AddRow(vg, 2, 2, QStringLiteral("Engine Size"), size);
    AddRow(vg, 3, 0, QStringLiteral("Fuel Delivery"), m_delivery);
    AddRow(vg, 3, 2, QStringLiteral("Aspiration"), m_aspiration);
    fl->addWidget(vehicle);

    auto *notesLabel = new QLabel(QStringLiteral("Notes"), form);
    m_notes = new QPlainTextEdit(form);
    m_notes->setObjectName(QStringLiteral("notesEdit"));
    m_notes->setFixedHeight(60);
    FormControls::Limit(m_notes, NotesLimit);
    notesLabel->setBuddy(m_notes);
    fl->addWidget(notesLabel);
    fl->addWidget(m_notes);

    auto *extras = new QHBoxLayout;
    m_pictureButton = new QPushButton(QStringLiteral("Select ..."), form);
    m_pictureButton->setObjectName(QStringLiteral("pictureButton"));
    m_fromInventory = new QPushButton(QStringLiteral("Select From Inventory"), form);
    m_fromInventory->setObjectName(QStringLiteral("fromInventoryButton"));
    m_storeToInventory = new QCheckBox(QStringLiteral("Store Quote to My Inventory"), form);
    m_storeToInventory->setObjectName(QStringLiteral("storeCheck"));
    extras->addWidget(m_pictureButton);
    extras->addWidget(m_fromInventory);
    extras->addWidget(m_storeToInventory);
    extras->addStretch(1);
    fl->addLayout(extras);

    m_cost = new QLabel(this);
    m_cost->setObjectName(QStringLiteral("costLabel"));
    QPalette green = m_cost->palette();
    green.setColor(QPalette::WindowText, QColor(0, 128, 0));
    m_cost->setPalette(green);
    auto button = [this](const QString &text, const char *name) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    m_prev = button(QStringLiteral("<"), "prevButton");
    m_next = button(QStringLiteral(">"), "nextButton");
    m_delete = button(QStringLiteral("&Delete Query"), "deleteButton");
    m_message = button(QStringLiteral("Send &Message"), "messageButton");
    m_submit = button(QStringLiteral("&Submit"), "submitButton");
    m_submit->setDefault(true);
    m_cancel = button(QStringLiteral("&Cancel"), "cancelButton");
    auto *buttons = new QHBoxLayout;
    for (QWidget *w : {static_cast<QWidget *>(m_cost)})
        buttons->addWidget(w);
    buttons->addStretch(1);
    for (QPushButton *b : {m_prev, m_next, m_delete, m_message, m_submit, m_cancel})
        buttons->addWidget(b);
    top->addLayout(buttons);

    connect(m_submit, &QPushButton::clicked, this, &NewQuoteDlg::OnSubmit);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_prev, &QPushButton::clicked, this, [this] { Move(m_form.Index() - 1); });
    connect(m_next, &QPushButton::clicked, this, [this] { Move(m_form.Index() + 1); });
    FormControls::StepWithCtrlArrows(this, m_prev, m_next);
    connect(m_delete, &QPushButton::clicked, this, &NewQuoteDlg::OnDeleteQuery);
    connect(m_message, &QPushButton::clicked, this, [this] {
        if (m_host)
            m_host->ComposeMessageForSelection();
    });
    connect(m_pictureButton, &QPushButton::clicked, this, [this] { m_picture->DoModal(); });
    connect(m_fromInventory, &QPushButton::clicked, this, &NewQuoteDlg::OnSelectFromInventory);
}

int NewQuoteDlg::DoModal()
{
    if (!m_form.HasQuery()) {
        theApp().ShowMessageBox(QStringLiteral("Please select the query to quote."), QStringLiteral("New Quote"),
                                MsgBox::IconInformation);
        return MsgBox::IdCancel;
    }
    return exec() == QDialog::Accepted ? MsgBox::IdOk : MsgBox::IdCancel;
}

void NewQuoteDlg::showEvent(QShowEvent *event)
{
    if (!m_initialised) {
        OnInitDialog();
        m_placement->Apply();
    }
    QDialog::showEvent(event);
}

void NewQuoteDlg::OnInitDialog()
{
    m_initialised = false;
    for (QComboBox *box : findChildren<QComboBox *>())
        box->clear();
    const XQuoteSet &q = m_form.Quote();
    const XMetaData::FixedLists &fixed = theMeta().Fixed();
    MetaUtils fill(theMeta());
    setWindowTitle(m_form.Caption(ModeName(m_host)));

    if (theApp().PaymentFeature()) {
        QString amount;
        MetaUtils::GetPartAmount(q.GetText("P_NAME"), amount, 1);
        m_cost->setText(QStringLiteral("Cost: $%1").arg(amount));
        m_cost->show();
    } else {
        m_cost->hide();
    }
    m_partName->setText(q.GetText("P_NAME"));
    m_condition->addItems(fixed.conditionsOther);
    if (m_form.QueryConditionIsAny()) {
        m_condition->insertItem(0, PartQuoteForm::ChooseOne);
        m_condition->setCurrentIndex(0);
    } else {
        SelectText(m_condition, q.GetText("P_TYPE"), 0);
    }
    m_quantity->setValue(qMax(1, q.GetInt("P_QUANTITY")));
    m_boxQuantity->setText(QString::number(q.GetInt("P_BOX_QUANTITY")));
    m_price->setText(MoneyText(q.GetDouble("P_PRICE")));
    m_shipping->setText(MoneyText(q.GetDouble("P_SHIPPING")));
    m_core->setText(MoneyText(q.GetDouble("P_CORE_DEPOSIT")));
    m_stock->setText(q.GetText("P_NUMBER"));
    m_brand->setText(q.GetText("P_BRAND"));
    m_color->setText(q.GetText("P_COLOR"));
    ComboItemSink side(m_side);
    m_sides->FillCombo(side);
    const QString sideCode = q.GetText("P_SIDE");
    m_side->setCurrentIndex(sideCode.isEmpty() ? -1 : m_side->findText(m_sides->GetSideName(sideCode)));
    FillFixed(m_wheelWidth, fixed.numbers5To12, q.GetText("WHEEL_WIDTH"));
    FillFixed(m_wheelHeight, fixed.numbers12To30, q.GetText("WHEEL_HEIGHT"));
    m_url->setText(q.GetText("P_BUY_URL"));
    struct VehicleList
    {
        QComboBox *box;
        int kind;
        const char *column;
    };
    for (const VehicleList &v : {VehicleList{m_bodyStyle, 4, "V_BODY_STYLE"}, VehicleList{m_engine, 6, "V_ENGINE"},
                                 VehicleList{m_transmission, 9, "V_TRANSMISSION"}, VehicleList{m_axle, 8, "V_AXLE"},
                                 VehicleList{m_fuel, 7, "V_FUEL"}}) {
        ComboItemSink sink(v.box);
        fill.FillCombo(sink, v.kind, QString(), false, q.GetText(v.column));
    }
    m_engineSize->setText(q.GetText("V_ENGINE_SIZE"));
    m_engineUnit->addItems(fixed.engineSizeUnits);
    SelectText(m_engineUnit, q.GetText("V_ENGINE_SIZE_UNIT"), 0);
    FillFixed(m_delivery, fixed.fuelSystems, q.GetText("V_DELIVERY"));
    FillFixed(m_aspiration, fixed.turboOptions, q.GetText("V_ASPIRATION"));
    m_notes->setPlainText(q.GetText("P_NOTES").left(NotesLimit));
    // Each query starts from the member's last choice, which the previous send stored.
    m_storeToInventory->setChecked(theSettings().IsOn(Setting::SaveToInventoryParts));
    RenderDetails();
    UpdateNavigation();
    if (m_host)
        m_host->MarkReadIncoming();
    m_price->setFocus();
    m_initialised = true;
}

void NewQuoteDlg::RenderDetails()
{
    if (!m_details || !m_form.HasQuery())
        return;
    XmlDoc doc = XmlDoc::Create(QStringLiteral("form-details"));
    m_form.Query().BuildDetailXml(doc.Root(), false);
    XSLTransformer *xsl = theXSLTransformerIfAny();
    m_details->SetHtml(xsl ? xsl->Transform(XSLTransformer::QueryDetail, doc.Raw()) : QString());
}

void NewQuoteDlg::UpdateNavigation()
{
    const bool walks = m_form.Walks();
    const int count = m_form.List() ? m_form.List()->Count() : 0;
    m_prev->setEnabled(walks && m_form.Index() > 0);
    m_next->setEnabled(walks && m_form.Index() < count - 1);
    m_delete->setEnabled(walks);
}

bool NewQuoteDlg::SaveToRecord()
{
    XQuoteSet &q = m_form.Quote();
    DataExchange dx(this, true);
    qint32 boxQuantity = 0;
    double price = 0, shipping = 0, core = 0;
    if (!DDX_RequiredLong(dx, m_boxQuantity, QStringLiteral("Box Quantity"), false, boxQuantity) ||
        !DDX_RequiredDouble(dx, m_price, QStringLiteral("Price"), true, price) ||
        !DDV_GreaterThanZeroDouble(dx, QStringLiteral("Price"), price, m_price) ||
        !DDX_RequiredDouble(dx, m_shipping, QStringLiteral("S&H"), false, shipping) ||
        !DDX_RequiredDouble(dx, m_core, QStringLiteral("Core Deposit"), false, core) ||
        !DDV_GreaterThanZeroLong(dx, QStringLiteral("Quantity"), m_quantity->value(), m_quantity))
        return false;
    q.SetText("P_NAME", m_partName->text().trimmed());
    q.SetText("P_TYPE", m_condition->currentText());
    q.SetInt("P_QUANTITY", m_quantity->value());
    q.SetInt("P_BOX_QUANTITY", boxQuantity);
    q.SetDouble("P_PRICE", price);
    q.SetDouble("P_SHIPPING", shipping);
    q.SetDouble("P_CORE_DEPOSIT", core);
    q.SetText("P_NUMBER", m_stock->text().trimmed());
    q.SetText("P_BRAND", m_brand->text());
    q.SetText("P_COLOR", m_color->text());
    ComboItemSink side(m_side);
    q.SetText("P_SIDE", m_sides->GetSelectedKey(side));
    q.SetText("WHEEL_WIDTH", m_wheelWidth->currentText());
    q.SetText("WHEEL_HEIGHT", m_wheelHeight->currentText());
    q.SetText("P_BUY_URL", m_url->text().trimmed());
    q.SetText("P_NOTES", m_notes->toPlainText().left(NotesLimit));
    q.SetText("V_BODY_STYLE", m_bodyStyle->currentText());
    q.SetText("V_ENGINE", m_engine->currentText());
    q.SetText("V_TRANSMISSION", m_transmission->currentText());
    q.SetText("V_AXLE", m_axle->currentText());
    q.SetText("V_FUEL", m_fuel->currentText());
    q.SetText("V_ENGINE_SIZE", m_engineSize->text());
    q.SetText("V_ENGINE_SIZE_UNIT", m_engineUnit->currentText());
    q.SetText("V_DELIVERY", m_delivery->currentText());
    q.SetText("V_ASPIRATION", m_aspiration->currentText());
    m_form.SetStoreToInventory(m_storeToInventory->isChecked());
    return true;
}

void NewQuoteDlg::SetBusy(bool busy)
{
    for (QPushButton *b : findChildren<QPushButton *>())
        b->setEnabled(!busy);
    if (!busy)
        UpdateNavigation();
}

void NewQuoteDlg::OnSubmit()
{
    if (m_pipeline.IsBusy() || !SaveToRecord())
        return;
    m_picture->CollectPictures();
    m_form.SetPictures(m_picture->Pictures());
    SetBusy(true);
    m_lastOutcome = m_form.Submit(m_pipeline);
    SetBusy(false);
    if (m_lastOutcome == FormOutcome::RefusedClosed) {
        done(QDialog::Rejected);
        return;
    }
    if (m_lastOutcome != FormOutcome::Sent && m_lastOutcome != FormOutcome::SentNotStored)
        return;
    theSettings().SetInt(Setting::SaveToInventoryParts, m_storeToInventory->isChecked() ? 1 : 0);
    theSettings().Save();
    m_picture->ClearPicture();
    // The quoted query left the pending list: the one now at its place is next.
    const int left = m_form.List() ? m_form.List()->Count() : 0;
    if (m_form.Walks() && left > 0) {
        Move(qMin(m_form.Index(), left - 1));
        return;
    }
    done(QDialog::Accepted);
}

void NewQuoteDlg::Move(int index)
{
    if (!m_form.MoveTo(index))
        return;
    OnInitDialog();
}

void NewQuoteDlg::OnDeleteQuery()
{
    ISellerQueries *list = m_form.List();
    if (!list || !list->DeleteSelected())
        return;
    if (m_form.Walks() && list->Count() > 0) {
        Move(qMin(m_form.Index(), list->Count() - 1));
        return;
    }
    done(QDialog::Rejected);
}

void NewQuoteDlg::OnSelectFromInventory()
{
    if (!m_host)
        return;
    qint64 id;
    {
        WaitCursor wait;
        id = m_host->SelectFromInventory(m_form.Query(), Korvant::MarketParts);
    }
    if (id <= 0 || !m_form.FillFromInventory(id))
        return;
    XInventorySet inventory;
    inventory.Select(SqlExpr(QStringLiteral("ID = ?"), {id}));
    PictureHolder holder;
    XPhotoSet::LoadInventoryPicture(holder, inventory.GetText("SOURCE"), inventory.GetText("P_STOCK_NUMBER"), id);
    OnInitDialog();
    m_picture->SetPictureFile(holder.path);
    m_storeToInventory->setChecked(false);
}

bool NewQuoteDlg::SubmitQuickQuote(const QMap<QString, QString> &params, const QString &pictureFile)
{
    if (!pictureFile.isEmpty())
        m_picture->SetPictureFile(pictureFile);
    m_form.SetPictures(m_picture->Pictures());
    m_form.SetStoreToInventory(false);
    m_lastOutcome = m_form.SubmitQuick(m_pipeline, params);
    if (m_lastOutcome == FormOutcome::Sent || m_lastOutcome == FormOutcome::SentNotStored) {
        m_picture->ClearPicture();
        return true;
    }
    return false;
}
