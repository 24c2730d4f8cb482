#pragma once

#include "DialogCommon.h"

// A text that acts as a web link: underlined, hand cursor, its own colours
// under and away from the mouse, an optional tool tip. A click either opens
// the address in the member's browser or, in notify-parent mode, only tells
// the owner (linkClicked with the control id).
class CMyHyperLink : public LinkLabel
{
    Q_OBJECT
public:
    explicit CMyHyperLink(QWidget *parent = nullptr, int controlId = 0);

    int ControlId() const { return m_id; }
    void SetLinkColor(const QColor &color);
    void SetHoverColor(const QColor &color);
    void SetNotifyParent(bool on);
    void SetUseToolTip(bool on);
    void SetToolTipText(const QString &text);
    void SetLinkText(const QString &text);
    void SetLinkUrl(const QString &url);

signals:
    void linkClicked(int controlId);

private:
    int m_id;
    bool m_notifyParent = false;
    bool m_useToolTip = false;
    QColor m_linkColor{0, 0, 255};
    QColor m_hoverColor{255, 0, 0};
};
