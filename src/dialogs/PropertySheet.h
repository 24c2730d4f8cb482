#pragma once

// A dialog of pages: a page list on the left (or tabs above), the pages
// stacked beside it, OK and Cancel below. OK reaches every page that was shown
// (a page never shown keeps its settings untouched); one refusal keeps the
// sheet open. Pages may come and go while the sheet is open; with Back/Next
// the member walks them in order and Enter goes to the next one.

#include <QDialog>
#include <QList>

class QDialogButtonBox;
class QHBoxLayout;
class QListWidget;
class QPushButton;
class QStackedWidget;
class QTabBar;
class PropertySheet;
class QKeyEvent;

class PropertyPage : public QWidget
{
    Q_OBJECT
public:
    explicit PropertyPage(const QString &title, QWidget *parent = nullptr);
    QString Title() const { return m_title; }
    bool WasShown() const { return m_shown; }
    PropertySheet *Sheet() const { return m_sheet; }

    // Called each time the page becomes the active one (the first time after it was built).
    virtual void OnSetActive() {}
    // Called when another page is about to become the active one.
    virtual void OnKillActive() {}
    // OK: store the page's values; false keeps the sheet open.
    virtual bool OnApply() { return true; }
    virtual void OnCancel() {}
    // Another page's Commit: 0 when this page's data is good.
    virtual int OnQuerySiblings(int param)
    {
        Q_UNUSED(param);
        return 0;
    }

private:
    friend class PropertySheet;
    QString m_title;
    bool m_shown = false;
    PropertySheet *m_sheet = nullptr;
};

class PropertySheet : public QDialog
{
    Q_OBJECT
public:
    enum class Navigation { PageList, Tabs };

    explicit PropertySheet(const QString &caption, QWidget *parent = nullptr,
                           Navigation navigation = Navigation::PageList);

    // The sheet takes ownership.
    void AddPage(PropertyPage *page);
    // At the index (clamped); the active page stays active.
    void InsertPage(int index, PropertyPage *page);
    // Takes the page out of the walk: it is neither applied nor asked by
    // Commit any more, but stays the sheet's, hidden with its values, until it
    // is added again or the sheet goes. The active page moves back when it was this one.
    void RemovePage(PropertyPage *page);
    bool HasPage(PropertyPage *page) const { return m_pages.contains(page); }
    int PageCount() const { return int(m_pages.size()); }
    PropertyPage *Page(int index) const { return m_pages.value(index); }
    int indexOfPage(PropertyPage *page) const { return int(m_pages.indexOf(page)); }
    void SetActivePage(int index);
    int ActiveIndex() const;
    PropertyPage *ActivePage() const { return Page(ActiveIndex()); }
    // Asks every page but the sender; the first non-zero answer, or 0.
    int Commit(PropertyPage *sender, int param = 0);

    QPushButton *OkButton() const;
    QPushButton *CancelButton() const;
    // Adds a button to the button row, left of OK.
    QPushButton *AddButton(const QString &text, const QString &objectName);
    // "<< Back" and "Next >>" at the end of the button row, enabled by the
    // active page's place; "Next >>" is the default button until the last
    // page, then OK. Enter outside a multi-line edit goes to the next page.
    void AddBackNext();
    QPushButton *BackButton() const { return m_back; }
    QPushButton *NextButton() const { return m_next; }
    // Starts the sheet on that page (clamped); 1 when OK closed it.
    int DoModal(int startPage = 0);
    // While a page's submit runs every button is off; after it they are on
    // again, Back and Next by the active page's place.
    void SetBusy(bool busy);

    void accept() override;
    void reject() override;

signals:
    // A page became the active one (also after pages were inserted or removed).
    void pageActivated(int index);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    // Back/Next enabled and the default button chosen for the active page.
    void UpdateBackNext();

private:
    void SelectInNavigation(int index);
    int NavigationIndex() const;

    QList<PropertyPage *> m_pages;
    QListWidget *m_list = nullptr;
    QTabBar *m_tabs = nullptr;
    QStackedWidget *m_stack;
    QDialogButtonBox *m_buttons;
    QHBoxLayout *m_extraRow;
    QHBoxLayout *m_navRow;
    QPushButton *m_back = nullptr;
    QPushButton *m_next = nullptr;
};
