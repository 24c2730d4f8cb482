#pragma once

#include <QDialog>
#include <QString>

#include <memory>

class CWebBrowser2;
class QPushButton;

// The modal window that shows a web page or a ready HTML text outside the main
// window (a member's extended profile, the hot deal preview and payment, the
// printable pages), with a Close button.
class BrowserDlg : public QDialog
{
    Q_OBJECT
public:
    explicit BrowserDlg(QWidget *parent = nullptr);
    ~BrowserDlg() override;

    void SetTitle(const QString &title) { m_title = title; }
    // The address wins over the HTML text when both are set.
    void SetURL(const QString &url) { m_url = url; }
    void SetHTML(const QString &html) { m_html = html; }
    // Before the dialog is shown: whether the member may resize it.
    void SetResizable(bool on) { m_resizable = on; }
    // True after Close, Esc or the close box; false after OK (a page's "deal-pay-done").
    bool Cancelled() const { return m_cancelled; }
    CWebBrowser2 &Browser() { return *m_browser; }

    void accept() override;
    void reject() override;

    // A member's extended profile page: "Extended Profile", " of " and the name when known.
    static QString ExtendedProfileTitle(const QString &name);
    static QString ExtendedProfileUrl(const QString &serverWebAddress, const QString &passportId);
    // The one way every caller shows a member's extended profile.
    static void ShowExtendedProfile(QWidget *parent, const QString &passportId, const QString &name);

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::unique_ptr<CWebBrowser2> m_browser;
    QPushButton *m_close = nullptr;
    QString m_title;
    QString m_url;
    QString m_html;
    bool m_resizable = false;
    bool m_cancelled = true;
    bool m_started = false;
};
