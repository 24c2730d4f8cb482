#pragma once

// Search over the records of the kind the main window shows (part or car
// queries, part or car inventory): the hits in the same list control, the
// selected hit's page beside them, and Go To selects it in the main window.

#include <QDialog>

#include <memory>

class IBrowserPane;
class IListHost;
class QLineEdit;
class QPushButton;
class QStatusBar;
class CSplitterControl;
class QTabWidget;
class XBaseListCtrl;

class SearchDlg : public QDialog
{
    Q_OBJECT
public:
    // `listType` 1-4 (ActiveListType); `browser` null makes the dialog its own web pane.
    SearchDlg(int listType, IListHost *host, QWidget *parent = nullptr, IBrowserPane *browser = nullptr);
    ~SearchDlg() override;

    int DoModal();
    // The caption's "queries" or "catalog records" for a list type.
    static QString Caption(const QString &modeName, int listType);
    static QString TooManyWordsText()
    {
        return QStringLiteral("The search text has too many words. Please use fewer words.");
    }

    XBaseListCtrl *Results() const { return m_list; }
    QString StatusText() const;
    void OnStart();
    void OnGoTo();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    static constexpr int TabHeight = 200;
    static constexpr int MinPageHeight = 60;
    void OnSplitterMoved(int delta);
    void UpdateSplitterRange();

    int m_listType = 0;
    QTabWidget *m_tabs = nullptr;
    CSplitterControl *m_splitter = nullptr;
    QLineEdit *m_text = nullptr;
    QPushButton *m_goTo = nullptr;
    QStatusBar *m_status = nullptr;
    XBaseListCtrl *m_list = nullptr;
    std::unique_ptr<IBrowserPane> m_ownBrowser;
    IBrowserPane *m_browser = nullptr;
};
