#pragma once

#include <string>

enum class PanelSide { Left, Right };

// The model of one local panel: its folder, and the state of the operations run on it.
class LocalExplorer {
public:
    explicit LocalExplorer(PanelSide side) : side_(side) {}

    PanelSide side() const { return side_; }

    std::string Path;                    // the panel's folder
    LocalExplorer* OtherPanel = nullptr; // set once both panels exist

private:
    PanelSide side_;
};
