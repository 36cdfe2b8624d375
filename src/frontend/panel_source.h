#pragma once

#include <string>

// Where a panel's rows come from: the local folder of the panel or the FTP session shown in it.
// The panel's header sorts and the commands that need the panel's folder go through it, so
// neither has to know which one the panel shows.
class PanelSource {
public:
    virtual ~PanelSource() = default;

    // The folder the panel shows.
    virtual std::string GetPath() const = 0;
    // The key the next stored listing is sorted by, set before a sort starts so that a listing
    // arriving meanwhile already comes in the new order.
    virtual void SetSortKey(const std::string& key) = 0;
    // Sorts the listing by key; with clearMarks the panel's marks go. False, and nothing
    // changed, when a listing or another key came meanwhile. Any thread.
    virtual bool Sort(const std::string& key, bool clearMarks) = 0;
    // Publishes the listing as it stands to the panel. Any thread.
    virtual void FillGrid() = 0;

protected:
    PanelSource() = default;
    PanelSource(const PanelSource&) = default;
    PanelSource& operator=(const PanelSource&) = default;
};
