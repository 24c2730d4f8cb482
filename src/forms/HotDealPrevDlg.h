#pragma once

// One hot deal of the hot deal list as the marketplace's page of that deal,
// with Previous and Next through the list and, for another member's deal,
// Ask a Question, Buy it Now and Contact Info.

#include <QDialog>

#include <memory>

class CWebBrowser2;
class QPushButton;

// The list the viewer steps through; its selection moves with the viewer.
class IHotDealCursor
{
public:
    virtual ~IHotDealCursor() = default;
    virtual int Count() const = 0;
    // The selected row, -1 when none.
    virtual int Current() const = 0;
    virtual void Select(int row) = 0;
    // The selected deal's id.
    virtual QString CurrentId() const = 0;
    // A message about the selected deal: 2 a question, 3 a purchase.
    virtual void ComposeMessage(int kind) = 0;
};

class HotDealPrevDlg : public QDialog
{
    Q_OBJECT
public:
    HotDealPrevDlg(IHotDealCursor &deals, QWidget *parent = nullptr);
    ~HotDealPrevDlg() override;
    int DoModal();

    // "Hot Deal Preview - Product [<title>] " and, when any is given, "<year, make, model>";
    // empty or "any" (any case) counts as not given.
    static QString Caption(const QString &title, const QString &year, const QString &make, const QString &model);
    static QString DealUrl(const QString &serverWebAddress, const QString &dealId);
    CWebBrowser2 &Browser() { return *m_browser; }

    void ShowCurrent();
    void Step(int delta);

private:
    IHotDealCursor &m_deals;
    std::unique_ptr<CWebBrowser2> m_browser;
    QPushButton *m_contact = nullptr;
    QPushButton *m_buy = nullptr;
    QPushButton *m_ask = nullptr;
    QPushButton *m_previous = nullptr;
    QPushButton *m_next = nullptr;
    QString m_ownerId;
    QString m_ownerName;
    bool m_sized = false;

protected:
    void showEvent(QShowEvent *event) override;
};
