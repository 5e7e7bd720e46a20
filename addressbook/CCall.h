#pragma once

#include "core/SidePanel.h"
#include "resources/ResourceIds.h"

// The recent-calls panel. It keeps the dialed, received and missed calls and
// writes them to the call-log file at exit.
class CCall : public SidePanel {
  public:
    int dialogId() const override { return res::DlgRecentCalls; }

    bool SaveCallLog() { return true; }
};
