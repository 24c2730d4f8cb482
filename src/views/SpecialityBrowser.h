#pragma once

// The member's specialities (the profile's parts and cars filters) as a
// readable page, and the converters from a filter to one element per
// condition, which the dashboard uses too.

#include "browser/CWebBrowser2.h"
#include "net/XmlUtil.h"

class SpecialityBrowser : public CWebBrowser2, public ISpecialityPane
{
    Q_OBJECT
public:
    explicit SpecialityBrowser(QWidget *parent, ViewCreation creation = ViewCreation::Now);

    QWidget *Widget() override { return CWebBrowser2::Widget(); }
    void Realize() override { CWebBrowser2::Realize(); }
    // The side of the mode, from the profile's filter.
    void ShowSpeciality(int marketMode) override;
    void ShowSpecialities(const QString &partFilter);
    void ShowSpecialitiesCars(const QString &carFilter);
    // The side shown last again, from the profile as it is now; nothing before
    // the first show.
    void Refresh();

    // "specialities" or "specialities_cars" with the converted filter.
    static XmlDoc BuildXml(int marketMode, const QString &filter, const QString &currentYear);
    // Append the elements of the filter's conditions to the parent; the
    // current year decides "till Present" and "from Present".
    static void ConvertPartFilter(const QString &filter, XmlNode parent, const QString &currentYear);
    static void ConvertCarFilter(const QString &filter, XmlNode parent, const QString &currentYear);
    // The element names of each side, in the order the pages show them.
    static const QStringList &PartLines();
    static const QStringList &CarLines();

protected:
    bool RunAppCommand(const QString &command, const AppParams &params) override;

private:
    void Show(int marketMode, const QString &filter);

    int m_shownMode = -1;
};
