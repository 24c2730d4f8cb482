#pragma once

// The rules of the hot deal editor: the deal's page (text and up to six
// pictures) written as one MIME HTML file, "newDeal" carrying that page, and
// the deal kept only after its payment: stored (live 90 days), or withdrawn
// from the server ("removeDeal", whose failure the member is told).

#include "SubmitPipeline.h"

#include "db/XHotDealSet.h"

#include <QFile>
#include <QList>
#include <QString>

struct HotPicture
{
    QString path;
    QString title;
    QString name;  // 8 random digits
};

class HotDealForm : public SubmitForm
{
public:
    static constexpr int PictureRows = 6;

    HotDealForm();

    QString make, model, year = QStringLiteral("Any");
    QString title, price, quantity, stockNumber, application, notes;
    // Image path and title of each picture row.
    QString picturePath[PictureRows];
    QString pictureTitle[PictureRows];

    // The rows whose trimmed path is not empty and names a file that loads as an image.
    QList<HotPicture> CollectPictures() const;
    XmlDoc BuildHotDealXml(const QList<HotPicture> &pictures) const;
    // Renders the page and writes it with its pictures to PagePath(); false
    // (the member told why) when it cannot.
    bool PreparePage();
    static QString PagePath();

    static SubmitSpec Spec();
    FormOutcome Submit(SubmitPipeline &pipeline);
    QString DealId() const { return m_row.GetText("ID"); }
    // The payment page of the sent deal.
    QString PaymentUrl() const;
    // After the payment page ended with OK: the deal row, in one transaction.
    bool StoreDeal();
    // After it did not: "removeDeal"; false (the member told the deal may still be live) when refused.
    bool WithdrawDeal();

    // --- SubmitForm ---
    QString MissingFields() override { return QString(); }
    bool Prepare() override;
    void BuildRequest(XRequest &request) override;
    // Only the server's id: the row waits for the payment.
    void Store(const XRequest &answer) override;
    XMarketPlace RefusingMarket() const override;

private:
    void FillRow();

    XHotDealSet m_row;
    QList<HotPicture> m_pictures;
    QFile m_page;  // opened by Prepare, read into the request
};
