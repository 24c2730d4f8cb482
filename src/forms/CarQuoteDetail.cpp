#include "CarQuoteDetail.h"

#include "app/AppCore.h"
#include "app/Utils.h"
#include "app/XSettings.h"
#include "app/XSLTransformer.h"
#include "browser/CWebBrowser2.h"
#include "db/QuotePictures.h"
#include "db/XQuoteCarsSet.h"
#include "db/XQuoteSet.h"
#include "net/HttpGet.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>
#include <QVariantList>

#include <thread>

namespace {

// Runs the blocking work on a worker while this thread keeps its events.
void OffThread(const std::function<void()> &work)
{
    QEventLoop loop;
    std::thread worker([&work, &loop] {
        AppCore::PrepareWorkerThread();
        work();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
}

const QuotePictures &Pictures(bool parts)
{
    return parts ? QuotePictures::Parts() : QuotePictures::Cars();
}

QString ServerUrl()
{
    const XSettings *settings = theSettingsIfAny();
    QString url = settings ? settings->GetString(Setting::ServerURL) : QString();
    while (url.endsWith(u'/'))
        url.chop(1);
    return url;
}

} // namespace

CarQuoteDetail::CarQuoteDetail(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CarQuoteDetail"));
    setWindowIcon(QIcon());
    auto *layout = new QVBoxLayout(this);
    m_browser = std::make_unique<CWebBrowser2>(this, QStringLiteral("quoteBrowser"));
    layout->addWidget(m_browser->Widget(), 1);
    auto *buttons = new QHBoxLayout;
    m_previous = new QPushButton(QStringLiteral("<"), this);
    m_previous->setObjectName(QStringLiteral("previousButton"));
    m_next = new QPushButton(QStringLiteral(">"), this);
    m_next->setObjectName(QStringLiteral("nextButton"));
    m_send = new QPushButton(QStringLiteral("&Send Message"), this);
    m_send->setObjectName(QStringLiteral("sendButton"));
    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    for (QPushButton *b : {m_previous, m_next, m_send})
        b->setAutoDefault(false);
    buttons->addWidget(m_previous);
    buttons->addWidget(m_next);
    buttons->addStretch(1);
    buttons->addWidget(m_send);
    buttons->addWidget(ok);
    layout->addLayout(buttons);
    m_previous->hide();
    m_next->hide();
    m_send->hide();
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_previous, &QPushButton::clicked, this, [this] {
        if (m_current > 1 && ShowPicture(m_current - 1, -1, false))
            UpdateSteps();
    });
    connect(m_next, &QPushButton::clicked, this, [this] {
        if (m_current < PictureCount && ShowPicture(m_current + 1, 1, false))
            UpdateSteps();
    });
    connect(m_send, &QPushButton::clicked, this, [this] {
        if (m_sendMessage)
            m_sendMessage();
    });
    connect(m_browser->Page(), &QWebEnginePage::loadFinished, this, [this](bool ok) {
        // The detail page's pictures once its document is there (ours or the server's).
        if (ok && !m_pictureMode)
            FetchPagePictures();
    });
    resize(720, 540);
}

CarQuoteDetail::~CarQuoteDetail()
{
    // The view goes before the dialog's children are torn down.
    m_browser.reset();
}

QString CarQuoteDetail::GetPictureFileName(bool parts, const QString &quoteId, const QString &number, bool incoming,
                                           bool big)
{
    // Server ids name files only when they cannot leave the folder or mean anything else.
    if (!QuotePictures::IsSafeId(quoteId) || !QuotePictures::IsSafeId(number))
        return {};
    const QString folder = Pictures(parts).Folder(incoming);
    QDir().mkpath(folder);
    return QStringLiteral("%1/qt_%2_%3_%4.jpg").arg(folder, quoteId, number, big ? QStringLiteral("big") : QStringLiteral("sm"));
}

QString CarQuoteDetail::PictureUrl(const QString &server, bool parts, const QString &quoteId, int number)
{
    return QStringLiteral("%1/%2/%3/%4")
        .arg(server, parts ? QStringLiteral("quote_image") : QStringLiteral("car_quote_image"), quoteId)
        .arg(number);
}

bool CarQuoteDetail::DownloadPicture(const QString &url, const QString &file)
{
    if (file.isEmpty())
        return false;
    bool written = false;
    OffThread([&] {
        written = HttpGet::Download(url, file, [](const QByteArray &data) { return !QImage::fromData(data).isNull(); });
    });
    return written;
}

QString CarQuoteDetail::FileOf(int number, bool big) const
{
    return GetPictureFileName(m_parts, m_quoteId, QString::number(number), m_incoming, big);
}

void CarQuoteDetail::Initialize()
{
    if (m_parts) {
        XQuoteSet quote;
        quote.Select(SqlExpr(QStringLiteral("ID = ?"), {m_quoteId}));
        m_found = !quote.IsEOF();
        m_incoming = m_found && quote.GetBool("IS_INCOMING");
        m_titles = QStringList{m_found ? quote.PictureTitle() : QString()};
        if (m_found && m_html.isEmpty() && !m_pictureMode) {
            XmlDoc doc = XmlDoc::Create(QStringLiteral("details"));
            quote.BuildDetailXml(doc.Root(), false);
            m_html = Utils::TransformXml(doc.Raw(), XSLTransformer::SheetFile(XSLTransformer::QuoteDetail));
        }
    } else {
        XQuoteCarsSet quote;
        quote.Select(SqlExpr(QStringLiteral("ID = ?"), {m_quoteId}));
        m_found = !quote.IsEOF();
        m_incoming = m_found && quote.GetBool("IS_INCOMING");
        for (int i = 1; i <= PictureCount; ++i)
            m_titles << (m_found ? quote.GetText(QStringLiteral("IMG%1_TITLE").arg(i).toLatin1().constData()) : QString());
        if (m_found && m_html.isEmpty() && !m_pictureMode) {
            XmlDoc doc = XmlDoc::Create(QStringLiteral("details"));
            quote.BuildDetailXml(doc.Root(), false);
            m_html = Utils::TransformXml(doc.Raw(), XSLTransformer::SheetFile(XSLTransformer::QuoteDetail));
        }
        m_send->setVisible(m_incoming);
    }
    if (m_pictureMode) {
        m_previous->show();
        m_next->show();
        resize(720, 540);
        ShowPicture(m_first, 1, false);
        UpdateSteps();
    } else if (!m_html.isEmpty()) {
        m_browser->ShowHtml(m_html);
    }
    if (!m_pictureMode || m_current == 0)
        setWindowTitle(m_caption);
}

int CarQuoteDetail::DoModal()
{
    Initialize();
    return exec() == QDialog::Accepted ? MsgBox::IdOk : MsgBox::IdCancel;
}

void CarQuoteDetail::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_sized) {
        m_sized = true;
        if (!m_resizable)
            setFixedSize(size());
    }
}

bool CarQuoteDetail::Fetch(int number)
{
    // A received quote's picture, once per number and dialog.
    if (!m_found || !m_incoming || m_tried.contains(number))
        return false;
    m_tried.insert(number);
    const QString file = FileOf(number, true);
    if (file.isEmpty() || QFileInfo::exists(file))
        return false;
    return DownloadPicture(PictureUrl(ServerUrl(), m_parts, m_quoteId, number), file);
}

bool CarQuoteDetail::ShowPicture(int from, int direction, bool testOnly)
{
    const int step = direction < 0 ? -1 : 1;
    // A parts quote has one picture. Asking whether there is another only
    // looks in the cache: fetching is for the picture the member steps to.
    const int last = m_parts ? 1 : PictureCount;
    for (int n = from; n >= 1 && n <= last; n += step) {
        if (!testOnly)
            Fetch(n);
        const QString file = FileOf(n, true);
        if (file.isEmpty() || !QFileInfo::exists(file))
            continue;
        if (!testOnly) {
            m_current = n;
            m_browser->Navigate(QUrl::fromLocalFile(file).toString());
            const QString title = m_titles.value(m_parts ? 0 : n - 1);
            setWindowTitle(title.isEmpty() ? QStringLiteral("Enlarged Picture")
                                           : QStringLiteral("Enlarged Picture - %1").arg(title));
        }
        return true;
    }
    return false;
}

void CarQuoteDetail::UpdateSteps()
{
    m_previous->setEnabled(m_current > 1 && ShowPicture(m_current - 1, -1, true));
    m_next->setEnabled(m_current > 0 && m_current < PictureCount && ShowPicture(m_current + 1, 1, true));
}

void CarQuoteDetail::FetchPagePictures()
{
    m_browser->RunScript(QStringLiteral("Array.prototype.map.call(document.images, function(i){return [i.id, i.src];})"),
                         [this](const QVariant &result) {
                             for (const QVariant &entry : result.toList()) {
                                 const QVariantList pair = entry.toList();
                                 const QString id = pair.value(0).toString();
                                 const QString src = pair.value(1).toString();
                                 if (id.isEmpty() || !(src.startsWith(QLatin1String("http://"))
                                                       || src.startsWith(QLatin1String("https://"))))
                                     continue;
                                 const QString number = m_resizable && m_current > 0 ? QString::number(m_current) : id;
                                 const QString file = GetPictureFileName(m_parts, m_quoteId, number, true, true);
                                 if (!file.isEmpty() && !QFileInfo::exists(file))
                                     DownloadPicture(src, file);
                             }
                             emit picturesFetched();
                         });
}
