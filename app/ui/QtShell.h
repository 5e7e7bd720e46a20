#pragma once

#include "core/Ports.h"

// Opens addresses with the desktop's handlers (xdg-open), never through a shell
// command line. An address whose scheme has no registered handler (xdg-mime)
// counts as not taken, so the caller can say so.
class QtShell final : public Shell {
  public:
    bool open(const std::string& address) override;
};
