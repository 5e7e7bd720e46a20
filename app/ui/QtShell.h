#pragma once

#include "core/Ports.h"

// Opens addresses with the desktop's handlers (xdg-open), never through a shell command line.
class QtShell final : public Shell {
  public:
    bool open(const std::string& address) override;
};
