#pragma once

#include "frontend/frontend.h"
#include "frontend/panel_source.h"
#include "ftp/ftp_com.h"

// The FTP session as the source of the panel that shows it.
class RemotePanelSource final : public PanelSource {
public:
    explicit RemotePanelSource(FTPCom& session) : session_(session) {}

    bool shownIn(PanelSide side) const { return session_.FtpPanel == panelNumber(side); }

    std::string GetPath() const override { return session_.currentDir(); }
    void SetSortKey(const std::string& key) override { session_.SetSortKey(key); }
    bool Sort(const std::string& key, bool clearMarks) override {
        return session_.Sort(key, clearMarks);
    }
    void FillGrid() override { session_.FillGrid(); }

private:
    FTPCom& session_;
};
