#pragma once

// Small pieces the program's boxes share: the application title, icons from
// the style by the icon ids the callers pass, and the hyperlink label.

#include <QColor>
#include <QIcon>
#include <QLabel>
#include <QString>

namespace DialogCommon {

// The application's title ("Korvant" when none is set).
QString AppTitle();
// The caption a box shows: the given one, or the application's title when empty.
QString CaptionOrTitle(const QString &caption);
// The style's message-box icon for an icon id (MsgBox::Icon values: 32513
// error, 32514 question, 32515 warning, 32516 information); null for others.
QIcon StandardIcon(int iconId);
// The icon id for the icon bits of MsgBox flags (0 when none).
int IconIdFromFlags(unsigned flags);

} // namespace DialogCommon

// A one-line link: plain text, underlined, a colour of its own that changes
// under the mouse; a click opens the address (web and mail addresses only).
class LinkLabel : public QLabel
{
    Q_OBJECT
public:
    explicit LinkLabel(QWidget *parent = nullptr);

    void SetLink(const QString &text, const QString &url);
    QString Url() const { return m_url; }
    void SetColors(const QColor &link, const QColor &hover);
    // When set, a click only emits clicked() and opens nothing.
    void SetNotifyOnly(bool on) { m_notifyOnly = on; }

signals:
    void clicked(const QString &url);

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void ApplyColor(const QColor &color);
    void Activate();

    bool m_notifyOnly = false;
    QString m_url;
    QColor m_link{238, 51, 17};
    QColor m_hover{255, 85, 51};
};
