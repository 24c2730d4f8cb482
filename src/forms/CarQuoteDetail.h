#pragma once

// One quote's detail page, or its pictures one at a time, enlarged, with "<"
// and ">" through them. Pictures come from the quote picture cache; a
// received quote's missing picture is fetched from the server once.

#include <QDialog>
#include <QSet>

#include <functional>
#include <memory>

class CWebBrowser2;
class IFormHost;
class QPushButton;

class CarQuoteDetail : public QDialog
{
    Q_OBJECT
public:
    static constexpr int PictureCount = 6;

    explicit CarQuoteDetail(QWidget *parent = nullptr);
    ~CarQuoteDetail() override;

    // Before DoModal.
    void SetQuoteId(const QString &id) { m_quoteId = id; }
    void SetParts(bool parts) { m_parts = parts; }
    void SetCaption(const QString &caption) { m_caption = caption; }
    // Detail mode: the quote's page (empty: built from the stored quote).
    void SetHtml(const QString &html) { m_html = html; }
    // Picture mode from this number.
    void SetPictureMode(int number) { m_pictureMode = true, m_first = number; }
    void SetResizable(bool on) { m_resizable = on; }
    // "&Send Message": a message about the selected record.
    void SetSendMessage(std::function<void()> send) { m_sendMessage = std::move(send); }
    // Makes the window; DoModal runs it.
    void Initialize();
    int DoModal();

    // The cache file of a picture; empty when the quote id or number cannot name a file.
    static QString GetPictureFileName(bool parts, const QString &quoteId, const QString &number, bool incoming, bool big);
    // "%s/%s/%s/%d": server, "car_quote_image" or "quote_image", quote id, number.
    static QString PictureUrl(const QString &server, bool parts, const QString &quoteId, int number);
    // Downloads into the cache only a 200 answer that loads as a picture.
    static bool DownloadPicture(const QString &url, const QString &file);

    // From the number stepping by the direction (1 or -1) to the first picture
    // that exists; shows it unless only testing. False when none.
    bool ShowPicture(int from, int direction, bool testOnly);
    // The page's images (id, http(s) source) not cached yet are fetched.
    void FetchPagePictures();
    int CurrentPicture() const { return m_current; }
    CWebBrowser2 &Browser() { return *m_browser; }

signals:
    // After FetchPagePictures' downloads are done.
    void picturesFetched();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QString FileOf(int number, bool big) const;
    bool Fetch(int number);
    void UpdateSteps();

    std::unique_ptr<CWebBrowser2> m_browser;
    QPushButton *m_previous = nullptr;
    QPushButton *m_next = nullptr;
    QPushButton *m_send = nullptr;
    QString m_quoteId;
    QString m_caption;
    QString m_html;
    QStringList m_titles;
    QSet<int> m_tried;
    std::function<void()> m_sendMessage;
    bool m_parts = false;
    bool m_found = false;
    bool m_incoming = false;
    bool m_pictureMode = false;
    bool m_resizable = true;
    bool m_sized = false;
    int m_first = 1;
    int m_current = 0;
};
