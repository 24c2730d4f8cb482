#pragma once

#include "sync/NewInfoAlert.h"

#include <QList>
#include <QString>

#include "forms/IFormHost.h"

#include <functional>

class XSettings;


// The pages that hold new records and the "You have new information..."
// notice they drive. Main thread only; the window applies Notice to the info
// panel after every caption update.
class NewInfoModel
{
public:
    // A node's plain caption and new count, from the tree of a market (-1 the current one).
    struct NodeInfo
    {
        QString caption;
        int newCount = 0;
    };
    using NodeSource = std::function<NodeInfo(int node, int mode)>;

    struct Notice
    {
        bool shown = false;
        bool blink = false;
        bool operator==(const Notice &) const = default;
    };

    explicit NewInfoModel(NodeSource source);

    // Empties the list and adds the pages of the kinds the member is alerted
    // to; the number of items.
    int RebuildNewInfoList(const AlertSettings &alerts);
    // Appends the node when it has new records.
    void AddNewInfoItem(int node, int mode);
    // Rebuilds the list and decides the notice; "BlinkNewInfo" goes off (and
    // is saved) once the last page with news was read.
    Notice UpdateNewInfoNotice(XSettings &settings);
    // News the member wants to hear of: "BlinkNewInfo" on and saved, then the notice.
    Notice RaiseAlert(XSettings &settings);

    const QList<NewInfoItem> &Items() const { return m_items; }

private:
    NodeSource m_source;
    QList<NewInfoItem> m_items;
};
