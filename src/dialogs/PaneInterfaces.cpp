#include "PaneInterfaces.h"

#include <QLabel>
#include <QPointer>
#include <QStringList>

namespace {

int g_activeListType = ListNone;

QLabel *MakeLabel(const QString &name, QWidget *parent)
{
    auto *label = new QLabel(PlaceholderPaneFactory::PlaceholderText(name), parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignCenter);
    label->setAutoFillBackground(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// The pane owns its widget; the guard covers a parent that went first.
class PlaceholderBase
{
protected:
    PlaceholderBase(const QString &name, QWidget *parent) : m_label(MakeLabel(name, parent)) {}
    ~PlaceholderBase() { delete m_label; }
    QWidget *LabelWidget() { return m_label; }
    QLabel *Label() { return m_label; }

private:
    QPointer<QLabel> m_label;
};

// Shows the filter it was last reloaded with, so a filter bar can be tried
// before the list exists.
class PlaceholderList : public IRecordList, PlaceholderBase
{
public:
    PlaceholderList(const QString &name, QWidget *parent) : PlaceholderBase(name, parent), m_name(name) {}
    QWidget *Widget() override { return LabelWidget(); }
    void SetFolder(int nodeId) override { m_folder = nodeId; }
    int GetFolder() const override { return m_folder; }
    void SetFilter(const SqlExpr &filter) override { m_filter = filter; }
    void Reload() override
    {
        if (!Label())
            return;
        Label()->setWordWrap(true);
        QStringList values;
        for (const QVariant &v : m_filter.args)
            values << (v.isNull() ? QStringLiteral("NULL") : QLatin1Char('"') + v.toString() + QLatin1Char('"'));
        Label()->setText(PlaceholderPaneFactory::PlaceholderText(m_name) + QStringLiteral("\n\nFilter: ") +
                         m_filter.text + QStringLiteral("\nValues: ") +
                         (values.isEmpty() ? QStringLiteral("none") : values.join(QStringLiteral(", "))));
    }
    int RowCount() const override { return 0; }
    bool CanDo(int) const override { return false; }
    int GetSelectedStatus() const override { return -1; }
    void SelectAll() override {}
    void SetDetailsBrowser(IBrowserPane *) override {}

private:
    QString m_name;
    SqlExpr m_filter;
    int m_folder = 0;
};

class PlaceholderBrowser : public IBrowserPane, PlaceholderBase
{
public:
    PlaceholderBrowser(const QString &name, QWidget *parent) : PlaceholderBase(name, parent) {}
    QWidget *Widget() override { return LabelWidget(); }
    void Navigate(const QString &) override {}
    void SetHtml(const QString &) override {}
    void Clear() override {}
};

class PlaceholderDashboard : public IDashboardPane, PlaceholderBase
{
public:
    explicit PlaceholderDashboard(QWidget *parent) : PlaceholderBase(QStringLiteral("Dashboard"), parent) {}
    QWidget *Widget() override { return LabelWidget(); }
    void ShowDashboard(int) override {}
    void SetCounter(int, int, int, bool) override {}
};

class PlaceholderSpeciality : public ISpecialityPane, PlaceholderBase
{
public:
    explicit PlaceholderSpeciality(QWidget *parent) : PlaceholderBase(QStringLiteral("My Specialty"), parent) {}
    QWidget *Widget() override { return LabelWidget(); }
    void ShowSpeciality(int) override {}
};

} // namespace

int GetActiveListType()
{
    return g_activeListType;
}

void SetActiveListType(int type)
{
    g_activeListType = type;
}

QString PlaceholderPaneFactory::PlaceholderText(const QString &paneName)
{
    return paneName + QStringLiteral(": not yet available in this version of Korvant.");
}

QString PlaceholderPaneFactory::ListName(ListKind kind)
{
    switch (kind) {
    case ListKind::PartQueries: return QStringLiteral("Part queries");
    case ListKind::CarQueries: return QStringLiteral("Car queries");
    case ListKind::PartInventory: return QStringLiteral("Parts inventory");
    case ListKind::CarInventory: return QStringLiteral("Car inventory");
    case ListKind::Messages: return QStringLiteral("Messages");
    case ListKind::HotDeals: return QStringLiteral("Hot deals");
    case ListKind::Orders: return QStringLiteral("Purchase orders");
    }
    return QString();
}

std::unique_ptr<IRecordList> PlaceholderPaneFactory::CreateRecordList(ListKind kind, QWidget *parent)
{
    return std::make_unique<PlaceholderList>(ListName(kind), parent);
}

std::unique_ptr<IBrowserPane> PlaceholderPaneFactory::CreateBrowser(BrowserKind kind, QWidget *parent)
{
    return std::make_unique<PlaceholderBrowser>(
        kind == BrowserKind::Document ? QStringLiteral("Web pages") : QStringLiteral("Details"), parent);
}

std::unique_ptr<IDashboardPane> PlaceholderPaneFactory::CreateDashboard(QWidget *parent)
{
    return std::make_unique<PlaceholderDashboard>(parent);
}

std::unique_ptr<ISpecialityPane> PlaceholderPaneFactory::CreateSpeciality(QWidget *parent)
{
    return std::make_unique<PlaceholderSpeciality>(parent);
}
