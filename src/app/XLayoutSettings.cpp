#include "XLayoutSettings.h"

#include "XSettings.h"

namespace {
constexpr char Group[] = "Settings/Layout/";

std::unique_ptr<QSettings> Store()
{
    XSettings *settings = theSettingsIfAny();
    return settings ? settings->OpenStore() : std::unique_ptr<QSettings>();
}

// Leading decimal number of the text, 0 when it has none.
int LeadingNumber(const QString &text)
{
    int i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    qint64 v = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        v = qMin<qint64>(v * 10 + (text[i].unicode() - u'0'), INT_MAX);
    return static_cast<int>(negative ? -v : v);
}
} // namespace

XLayoutSettings::XLayoutSettings(const QString &name) : m_name(name), m_columns(false) {}

XLayoutSettings::XLayoutSettings(const QString &name, int columnCount) : m_name(name), m_columns(true)
{
    m_widths.fill(0, qMax(0, columnCount));
}

XLayoutSettings::~XLayoutSettings()
{
    Save();
}

void XLayoutSettings::Load()
{
    auto store = Store();
    if (!store)
        return;
    if (m_columns) {
        m_valid = true;
        QString value = store->value(Group + m_name + QStringLiteral("Column"), QStringLiteral("error")).toString();
        if (value == u"error") {
            m_valid = false;
            return;
        }
        for (int i = 0; i < m_widths.size(); ++i) {
            const int comma = value.indexOf(u',');
            if (comma < 0) {
                m_valid = false;
                return;
            }
            m_widths[i] = LeadingNumber(value.left(comma));
            value.remove(0, comma + 1);
        }
    } else {
        const QVariant v = store->value(Group + m_name + QStringLiteral("Placement"));
        m_valid = v.isValid();
        if (m_valid) {
            QByteArray bytes = v.toByteArray();
            m_minimized = !bytes.isEmpty() && bytes.at(0) == 2;
            m_geometry = bytes.mid(1);
        }
        m_state = store->value(Group + m_name + QStringLiteral("State")).toByteArray();
    }
}

QString XLayoutSettings::FormatColumns(const QList<int> &widths)
{
    QString text;
    for (int w : widths)
        text += QString::number(w) + u',';
    return text;
}

void XLayoutSettings::Save()
{
    if (!m_valid)
        return;
    auto store = Store();
    if (!store)
        return;
    if (m_columns) {
        store->setValue(Group + m_name + QStringLiteral("Column"), FormatColumns(m_widths));
    } else {
        QByteArray bytes;
        bytes.append(char(m_minimized ? 2 : 1));
        bytes.append(m_geometry);
        store->setValue(Group + m_name + QStringLiteral("Placement"), bytes);
        if (!m_state.isEmpty())
            store->setValue(Group + m_name + QStringLiteral("State"), m_state);
    }
    store->sync();
}

void XLayoutSettings::StorePlacement(const QByteArray &geometry, bool minimized)
{
    m_geometry = geometry;
    m_minimized = minimized;
    m_valid = true;
}

QByteArray XLayoutSettings::RestorePlacement()
{
    if (!m_valid)
        return {};
    if (m_minimized) {
        m_valid = false;
        return {};
    }
    return m_geometry;
}

void XLayoutSettings::StoreColumns(const QList<int> &widths)
{
    m_valid = true;
    for (int i = 0; i < m_widths.size() && i < widths.size(); ++i)
        m_widths[i] = widths[i];
}
