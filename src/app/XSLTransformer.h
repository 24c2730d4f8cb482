#pragma once

#include "Globals.h"
#include "Utils.h"

#include <QString>

#include <array>

// The detail views' style sheets, one slot per view kind, loaded on first use
// and kept for the run (read again on every use under the command-line
// override flag, so an edited sheet shows without a restart). A sheet that
// failed to load is remembered as failed and never applied.
class XSLTransformer : public GlobalObject
{
public:
    enum ViewKind : int {
        QueryDetail = 0,
        QuoteDetail = 1,
        MessageDetail = 2,
        HotDeal = 3,
        HotDealDetail = 4,
        Dashboard = 5,
        Order = 6,
        KindCount = 7
    };

    XSLTransformer() = default;
    ~XSLTransformer() override = default;

    // The file of a kind; empty outside 0-6.
    static QString SheetFile(int kind);

    // The HTML of the document through the kind's sheet; empty for a kind
    // outside 0-6 (nothing read) and on any failure, which the member sees in
    // a box captioned "Error of XSL transformation".
    QString Transform(int kind, xmlDocPtr document);

protected:
    // Loads one sheet into a slot; false and the reason when it cannot be used.
    virtual bool LoadStylesheet(int slot, const QString &path, QString *error);

private:
    struct Slot
    {
        bool tried = false;
        Utils::XslSheet sheet;  // null after a failed load
        QString error;
    };
    std::array<Slot, KindCount> m_slots;
};

XSLTransformer &theXSLTransformer();
XSLTransformer *theXSLTransformerIfAny();
