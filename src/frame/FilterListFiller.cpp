#include "FilterListFiller.h"

#include "app/AppCore.h"
#include "db/KVDatabase.h"

#include <algorithm>
#include <new>

namespace {

bool LessNoCase(const QString &a, const QString &b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
}

QString ErrorText(const DbException &e)
{
    return e.Description().isEmpty() ? e.Message() : e.Description();
}

} // namespace

FilterListFiller::FilterListFiller(const FilterBarSpec &spec, Runner runner)
    : m_spec(spec), m_builder(spec), m_runner(runner ? std::move(runner) : Runner(&RunOnConnection)),
      m_lists(spec.controls.size())
{
}

QVariantList FilterListFiller::RunOnConnection(const SqlExpr &query)
{
    SqlStatement &statement = theDatabase().Connection().Prepare(query.text);
    statement.BindAll(query.args);
    QVariantList values;
    while (statement.Step())
        values.append(statement.Value(0));
    statement.Reset();
    return values;
}

QStringList FilterListFiller::Entries(FilterListKind kind, const QVariantList &values)
{
    QStringList texts;
    texts.reserve(values.size());
    for (const QVariant &value : values) {
        QString text = value.isNull() ? QString() : value.toString();
        if (kind == FilterListKind::Rating) {
            if (text.isEmpty())
                text = QStringLiteral("0");
            text += QStringLiteral(" Stars");
        } else if (text.isEmpty()) {
            continue;  // narrows nothing: the clause ignores an empty text
        }
        texts.append(text);
    }
    if (kind == FilterListKind::Date || kind == FilterListKind::Descending)
        std::stable_sort(texts.begin(), texts.end(), [](const QString &a, const QString &b) { return LessNoCase(b, a); });
    else
        std::stable_sort(texts.begin(), texts.end(), LessNoCase);
    texts.erase(std::unique(texts.begin(), texts.end()), texts.end());
    // " Any" goes first whatever the values sort to.
    texts.prepend(FilterBars::AnyEntry);
    return texts;
}

QVariantList FilterListFiller::Run(int index, const SqlExpr &query)
{
    const FilterControlSpec &control = m_spec.controls[size_t(index)];
    // One list that cannot be read leaves the others usable.
    try {
        return m_runner(query);
    } catch (const DbException &e) {
        theApp().WriteLog(QStringLiteral("%1 %2 list: %3").arg(m_spec.name, control.label, ErrorText(e)),
                          QStringLiteral("DB Error"), 3);
        if (control.errorBoxes)
            theApp().ShowMessageBox(ErrorText(e), QStringLiteral("Error"), MsgBox::IconError);
    } catch (const std::bad_alloc &e) {
        if (!control.errorBoxes)
            throw;
        theApp().ShowMessageBox(QStringLiteral("CRestrictionBar: ") + QString::fromLatin1(e.what()),
                                QStringLiteral("Error"), MsgBox::IconError);
    } catch (...) {
        if (!control.errorBoxes)
            throw;
        theApp().ShowMessageBox(QStringLiteral("CRestrictionBar::GetDateList unknown error"), QStringLiteral("Error"),
                                MsgBox::IconError);
    }
    return {};
}

void FilterListFiller::Fill(int index, const QString &parentText)
{
    FilterListState &list = m_lists[size_t(index)];
    list.entries = Entries(m_spec.controls[size_t(index)].kind, Run(index, m_builder.ListQuery(index, parentText)));
    list.current = 0;
    list.enabled = true;
}

void FilterListFiller::SetPlaceholder(int index)
{
    FilterListState &list = m_lists[size_t(index)];
    list.entries = QStringList{m_spec.controls[size_t(index)].placeholder};
    list.current = 0;
    list.enabled = false;
}

void FilterListFiller::FillLists()
{
    for (FilterListState &list : m_lists)
        list = FilterListState{};
    for (int i = 0; i < Count(); ++i)
        if (!m_spec.controls[size_t(i)].parentId)
            Fill(i);
    for (int i = 0; i < Count(); ++i)
        if (m_spec.controls[size_t(i)].parentId)
            SetPlaceholder(i);
}

void FilterListFiller::Select(int index, int entry)
{
    if (index < 0 || index >= Count())
        return;
    FilterListState &list = m_lists[size_t(index)];
    if (entry < 0 || entry >= list.entries.size())
        return;
    list.current = entry;
    OnSelChangeParent(index);
}

void FilterListFiller::OnSelChangeParent(int index)
{
    if (index < 0)
        return;
    const QString text = Text(index);
    for (int dependent : m_spec.DependentsOf(index)) {
        if (text != FilterBars::AnyEntry)
            Fill(dependent, text);
        else
            SetPlaceholder(dependent);
    }
}

void FilterListFiller::OnShowAll()
{
    for (int i = 0; i < Count(); ++i) {
        if (m_spec.controls[size_t(i)].parentId)
            SetPlaceholder(i);
        else if (!m_lists[size_t(i)].entries.isEmpty())
            m_lists[size_t(i)].current = 0;
    }
}

QString FilterListFiller::Text(int index) const
{
    const FilterListState &list = m_lists[size_t(index)];
    return list.current >= 0 && list.current < list.entries.size() ? list.entries[list.current] : QString();
}

QStringList FilterListFiller::Texts() const
{
    QStringList texts;
    for (int i = 0; i < Count(); ++i)
        texts << Text(i);
    return texts;
}

SqlExpr FilterListFiller::Filter(bool showAll) const
{
    return showAll ? FilterClauseBuilder::Base() : m_builder.Build(Texts());
}
