#include "HotDealForm.h"

#include "app/AppCore.h"
#include "app/MhtCreator.h"
#include "app/Utils.h"
#include "app/XSLTransformer.h"
#include "db/KVDatabase.h"
#include "db/TradeXml.h"
#include "net/XMarketPlaces.h"
#include "net/XProfile.h"
#include "net/XRequest.h"

#include <QFile>
#include <QImageReader>
#include <QUrl>

HotDealForm::HotDealForm()
{
    m_row.AddNew();
}

QList<HotPicture> HotDealForm::CollectPictures() const
{
    QList<HotPicture> pictures;
    for (int i = 0; i < PictureRows; ++i) {
        const QString path = picturePath[i].trimmed();
        if (path.isEmpty())
            continue;
        // Only what reads as a picture goes into the page (its header is enough).
        QImageReader reader(path);
        if (!reader.canRead() || !reader.size().isValid())
            continue;
        pictures.append({path, pictureTitle[i], Utils::GenerateRandomDigits(i == 0)});
    }
    return pictures;
}

XmlDoc HotDealForm::BuildHotDealXml(const QList<HotPicture> &pictures) const
{
    XmlDoc doc = XmlDoc::Create(QStringLiteral("hotdeal"));
    XmlNode root = doc.Root();
    root.AddChild(QStringLiteral("owner"), theProfile().Get().name);
    root.AddChild(QStringLiteral("title"), title);
    root.AddChild(QStringLiteral("make"), make);
    root.AddChild(QStringLiteral("model"), model);
    root.AddChild(QStringLiteral("year"), year);
    root.AddChild(QStringLiteral("price"), price);
    root.AddChild(QStringLiteral("quantity"), quantity);
    root.AddChild(QStringLiteral("stock_number"), stockNumber);
    root.AddChild(QStringLiteral("application"), application);
    root.AddChild(QStringLiteral("notes"), notes);
    if (!pictures.isEmpty()) {
        XmlNode list = root.AddChild(QStringLiteral("pictures"));
        for (const HotPicture &p : pictures) {
            XmlNode picture = list.AddChild(QStringLiteral("picture"), p.title);
            picture.SetAttr(QStringLiteral("name"), QString(p.path).replace(u'\\', u'/'));
        }
    }
    return doc;
}

QString HotDealForm::PagePath()
{
    return theApp().GetDataFolder() + QStringLiteral("hotdealtmp.mht");
}

bool HotDealForm::Prepare()
{
    if (!PreparePage())
        return false;
    // Read only when the request is built, straight into it.
    m_page.close();
    m_page.setFileName(PagePath());
    if (!m_page.open(QIODevice::ReadOnly)) {
        theApp().ShowMessageBox(QStringLiteral("Can't open file"), QStringLiteral("Korvant"), MsgBox::IconError);
        return false;
    }
    return true;
}

bool HotDealForm::PreparePage()
{
    m_pictures = CollectPictures();
    const XmlDoc doc = BuildHotDealXml(m_pictures);
    QString html;
    if (XSLTransformer *xsl = theXSLTransformerIfAny())
        html = xsl->Transform(XSLTransformer::HotDeal, doc.Raw());
    else
        html = Utils::TransformXml(doc.Raw(), XSLTransformer::SheetFile(XSLTransformer::HotDeal));
    if (html.isEmpty())
        return false;
    QStringList files;
    for (const HotPicture &p : m_pictures)
        files << p.path;
    QString error;
    if (!MhtCreator().SaveToFile(html, files, PagePath(), &error)) {
        theApp().ShowMessageBox(error, QStringLiteral("Korvant"), MsgBox::IconError);
        return false;
    }
    return true;
}

SubmitSpec HotDealForm::Spec()
{
    SubmitSpec spec;
    spec.operation = QStringLiteral("newDeal");
    spec.failureCaption = QStringLiteral("Cannot send the hot deal");
    spec.recordWord = QStringLiteral("hot deal");
    spec.sender = RefusalSender::Deal;
    return spec;
}

FormOutcome HotDealForm::Submit(SubmitPipeline &pipeline)
{
    return pipeline.Run(*this, Spec());
}

void HotDealForm::FillRow()
{
    const ProfileData p = theProfile().Get();
    m_row.SetText("MAKE", make);
    m_row.SetText("MODEL", model);
    m_row.SetText("YEAR", year);
    m_row.SetText("TITLE", title);
    m_row.SetText("PRICE", price);
    m_row.SetText("QUANTITY", quantity);
    m_row.SetText("STOCK_NUMBER", stockNumber);
    m_row.SetText("APPLICATION", application);
    m_row.SetText("NOTES", notes);
    m_row.SetText("C_ID", theApp().GetSession().PassportId());
    m_row.SetText("C_NAME", p.name);
    m_row.SetText("C_PHONE", p.phone);
    m_row.SetText("C_MOBILE", p.mobile);
    m_row.SetText("C_FAX", p.fax);
    m_row.SetText("C_WEBSITE", p.website);
    m_row.SetText("C_STREET", p.street);
    m_row.SetText("C_CITY", p.city);
    m_row.SetText("C_STATE", p.state);
    m_row.SetText("C_ZIP", p.zip);
    m_row.SetText("C_COUNTRY", p.country);
    m_row.SetText("C_COMPANY", p.company);
    m_row.SetText("C_SIGNATURE", QString());
    m_row.SetText("BUSINESS_TYPE", p.businessType);
    m_row.SetText("STATUS", QStringLiteral("New"));
    m_row.SetInt("STATUS_CODE", 0);
    m_row.SetNow("POST_DATE");
    m_row.SetInt("LIVE_TIME", XHotDealSet::DefaultLiveTime);
    m_row.SetBool("IS_INCOMING", false);
}

void HotDealForm::BuildRequest(XRequest &request)
{
    FillRow();
    m_row.BuildDealXml(request);
    // Pictures make the page tens of megabytes: it is held once, in the
    // request's tree, and "send.xml" is written from there piece by piece.
    request.GetRequestRoot().Select(QStringLiteral("deal")).AddChildUtf8(QStringLiteral("content"), m_page);
    m_page.close();
    // The same text the request posts, from the same escaping reader.
    QFile copy(theApp().GetDataFolder() + QStringLiteral("send.xml"));
    if (copy.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        XmlReadStream text(request.GetRequestRoot());
        QByteArray piece(1 << 20, Qt::Uninitialized);
        qint64 n = 0;
        while ((n = text.Read(piece.data(), piece.size())) > 0 && copy.write(piece.constData(), n) == n) {
        }
    }
}

void HotDealForm::Store(const XRequest &answer)
{
    m_row.SetText("ID", answer.GetResponseText(QStringLiteral("deal_id")));
}

XMarketPlace HotDealForm::RefusingMarket() const
{
    return {};
}

QString HotDealForm::PaymentUrl() const
{
    const auto encoded = [](const QString &text) { return QString::fromLatin1(QUrl::toPercentEncoding(text)); };
    return QStringLiteral("%1/pay_hot_deal/%2/%3")
        .arg(TradeXml::ServerWebAddress(), encoded(theApp().GetSession().SessionId()), encoded(DealId()));
}

bool HotDealForm::StoreDeal()
{
    try {
        SqlTransaction scope(theDatabase().Connection());
        m_row.Update();
        scope.Commit();
    } catch (const std::exception &e) {
        theApp().ShowMessageBox(QString::fromUtf8(e.what()), QStringLiteral("Cannot store the hot deal"),
                                MsgBox::IconError);
        return false;
    }
    return true;
}

bool HotDealForm::WithdrawDeal()
{
    const QString id = DealId();
    m_row.CancelUpdate();
    XRequest request(QStringLiteral("removeDeal"));
    request.AddParam(QStringLiteral("deal_id"), id);
    SubmitPipeline::SendOffThread(request);
    if (request.IsSuccess())
        return true;
    const QString why = request.GetErrorMessage().isEmpty() ? request.GetStatusText() : request.GetErrorMessage();
    theApp().ShowMessageBox(QStringLiteral("The hot deal could not be withdrawn from the marketplace and may still be "
                                           "live there.\n\n%1")
                                .arg(why),
                            QStringLiteral("Cannot withdraw the hot deal"), MsgBox::IconError);
    return false;
}
