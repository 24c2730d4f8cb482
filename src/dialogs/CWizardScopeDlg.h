#pragma once

// "Specialty Wizard": which incoming part queries the marketplace routes to
// the seller. Reads the profile's parts filter into three pages of
// selections and writes it back on Finish. Mode 1 sends the new filter at
// once; mode 0 (the profile sheet) leaves the send to its opener.

#include "app/PartFilter.h"

#include <QDialog>
#include <QHash>
#include <QSet>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTabWidget;

// The selection rules of the wizard's lists, free of widgets.
class WizardScopeRules
{
public:
    enum YearTemplate { AnyYears, LatestModels, AntiqueModels, OtherYears };

    // The selection after a change from `before` to `after` in a list whose
    // entry `anyIndex` means "any" and which has `others` other selectable
    // entries: picking "any" drops the rest, picking others drops "any", and
    // nothing or every other entry becomes "any" alone.
    static QSet<int> ApplyAnyEntry(const QSet<int> &before, const QSet<int> &after, int anyIndex, int others);

    // From and Till of a template (0: none).
    static std::pair<int, int> TemplateYears(YearTemplate t, int currentYear);
    static YearTemplate TemplateOf(int from, int till);
    // The metadata's part list of a condition: 0 new, 1 used, 2 remanufactured.
    static int CategoryListOf(const QString &condition);
};

class CWizardScopeDlg : public QDialog
{
    Q_OBJECT
public:
    enum Page { BusinessPage, VehiclePage, PartPage };

    explicit CWizardScopeDlg(QWidget *parent = nullptr, int mode = 1);
    ~CWizardScopeDlg() override;

    // 1 when a filter was stored (and, in mode 1, sent), else 2.
    int DoModal();

    // The lists select what the filter names; the text need not be valid.
    void ReadFilter(const QString &filter);
    // The selections as the filter text, without storing it.
    QString BuildFilter() const;
    PartFilter Selections() const;

    void SetPage(int page);
    int CurrentPage() const;

    void accept() override;

private:
    void Build();
    void Fill();
    void SelectionChanged(QListWidget *list);
    void RememberSelection(QListWidget *list);
    void RefillModels();
    void RefillCategories();
    void ApplyTemplate(WizardScopeRules::YearTemplate t);
    void SetYears(int from, int till);
    void UpdateButtons();

    int m_mode;
    int m_currentYear;
    QTabWidget *m_tabs = nullptr;
    QListWidget *m_business = nullptr, *m_states = nullptr, *m_rating = nullptr;
    QListWidget *m_makes = nullptr, *m_models = nullptr, *m_templates = nullptr;
    QListWidget *m_conditions = nullptr, *m_categories = nullptr;
    QSpinBox *m_from = nullptr, *m_till = nullptr;
    QCheckBox *m_nothing = nullptr;
    QPushButton *m_back = nullptr, *m_next = nullptr, *m_finish = nullptr, *m_cancel = nullptr;
    QHash<QListWidget *, QSet<int>> m_selected;
};
