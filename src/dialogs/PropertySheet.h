#pragma once

// A dialog of pages: a page list on the left, the pages stacked on the right,
// OK and Cancel below. OK reaches every page that was shown (a page never
// shown keeps its settings untouched); one refusal keeps the sheet open.

#include <QDialog>
#include <QList>

class QDialogButtonBox;
class QHBoxLayout;
class QListWidget;
class QPushButton;
class QStackedWidget;
class PropertySheet;

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
    explicit PropertySheet(const QString &caption, QWidget *parent = nullptr);

    // The sheet takes ownership.
    void AddPage(PropertyPage *page);
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
    // Starts the sheet on that page (clamped); 1 when OK closed it.
    int DoModal(int startPage = 0);

    void accept() override;
    void reject() override;

signals:
    void pageActivated(int index);

private:
    QList<PropertyPage *> m_pages;
    QListWidget *m_list;
    QStackedWidget *m_stack;
    QDialogButtonBox *m_buttons;
    QHBoxLayout *m_extraRow;
};
