#pragma once

#include <QAbstractButton>
#include <QIcon>
#include <QTimer>
#include <QWidget>

#include <functional>

class CMyHyperLink;

// The blinking "You have new information..." notice: an icon and a text,
// framed while hovered or in the shown blink phase.
class CInfoButton : public QAbstractButton
{
    Q_OBJECT
public:
    static constexpr int BlinkInterval = 500;

    explicit CInfoButton(const QString &text, QWidget *parent = nullptr);
    void SetBlink(bool on);
    bool IsBlinking() const { return m_blinking; }
    QSize GetContentSize() const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void OnTimer();

    QIcon m_icon;
    QTimer m_timer;
    bool m_hovered = false;
    bool m_phase = true;
    bool m_frame = false;
    bool m_blinking = false;
};

// The strip above the pane: the breadcrumb of the page shown, the "Contact
// Us" link at its right end and, after news, the notice button.
class CInfoPanelCtrl : public QWidget
{
    Q_OBJECT
public:
    struct Context
    {
        int section = 0;
        QString modeName;
        QString nodeCaption;
    };
    static constexpr int LinkId = 194;
    static constexpr int NoticeId = 200;

    explicit CInfoPanelCtrl(QWidget *parent = nullptr);

    // Where the section, the market mode's name and the selected node's caption come from.
    void SetContextSource(std::function<Context()> source) { m_source = std::move(source); }
    void SetTitle(const QString &title) { m_title = title; }
    QString Title() const { return m_title; }
    void SetShowTitle(bool show);
    void ShowNotice(bool show);
    bool IsNoticeShown() const { return m_noticeShown; }
    void SetNoticeBlink(bool blink);
    QString GetBreadcrumb() const;
    static QString Breadcrumb(const Context &context, const QString &title, bool showTitle);

    CMyHyperLink *Link() const { return m_link; }
    CInfoButton *Notice() const { return m_notice; }

signals:
    void contactUs();
    void noticeClicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void Layout();
    void OnNotice();

    std::function<Context()> m_source;
    QString m_title;
    bool m_showTitle = false;
    CMyHyperLink *m_link;
    CInfoButton *m_notice;
    bool m_noticeShown = false;
};
