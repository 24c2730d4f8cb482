#include "CMyHyperLink.h"

CMyHyperLink::CMyHyperLink(QWidget *parent, int controlId) : LinkLabel(parent), m_id(controlId)
{
    SetColors(m_linkColor, m_hoverColor);
    connect(this, &LinkLabel::clicked, this, [this] {
        if (m_notifyParent)
            emit linkClicked(m_id);
    });
}

void CMyHyperLink::SetLinkColor(const QColor &color)
{
    m_linkColor = color;
    SetColors(m_linkColor, m_hoverColor);
}

void CMyHyperLink::SetHoverColor(const QColor &color)
{
    m_hoverColor = color;
    SetColors(m_linkColor, m_hoverColor);
}

void CMyHyperLink::SetNotifyParent(bool on)
{
    m_notifyParent = on;
    SetNotifyOnly(on);
}

void CMyHyperLink::SetUseToolTip(bool on)
{
    m_useToolTip = on;
    if (!on)
        setToolTip(QString());
}

void CMyHyperLink::SetToolTipText(const QString &text)
{
    if (m_useToolTip)
        setToolTip(text);
}

void CMyHyperLink::SetLinkText(const QString &text)
{
    SetLink(text, Url());
}

void CMyHyperLink::SetLinkUrl(const QString &url)
{
    SetLink(text(), url);
}
