#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Remembers a window's geometry or a list's column widths between runs, in
// the settings group "Settings/Layout". The GUI adapters (LayoutAdapters in
// the GUI layer) move the state in and out of widgets.
class XLayoutSettings
{
public:
    explicit XLayoutSettings(const QString &name);            // window placement
    XLayoutSettings(const QString &name, int columnCount);     // column widths
    virtual ~XLayoutSettings();

    void Load();
    void Save();

    bool IsValid() const { return m_valid; }
    QString Name() const { return m_name; }

    // Placement: the window's saved geometry and whether it was minimised.
    void StorePlacement(const QByteArray &geometry, bool minimized);
    // The geometry to apply, or empty when nothing should be applied (a layout
    // stored while minimised is dropped and not saved again).
    QByteArray RestorePlacement();

    // Placement: the window's bars (which are shown, their sizes), empty until stored.
    void StoreState(const QByteArray &state) { m_state = state; }
    QByteArray State() const { return m_state; }

    // Columns: widths beyond the column count are ignored.
    void StoreColumns(const QList<int> &widths);
    QList<int> Columns() const { return m_widths; }

    static QString FormatColumns(const QList<int> &widths);

private:
    QString m_name;
    bool m_columns;
    bool m_valid = false;
    bool m_minimized = false;
    QByteArray m_geometry;
    QByteArray m_state;
    QList<int> m_widths;
};
