#pragma once

#include "core/Ports.h"

#include <string>

// The data folder on disk: $XDG_DATA_HOME/Ringlark. Files are replaced whole
// through a temporary file and a rename, so a crash never leaves half a file;
// the first ensureFolder() on an existing folder removes temporaries a killed
// save left behind.
class DataFolder final : public Files {
  public:
    explicit DataFolder(std::string folder) : folder_(std::move(folder)) {}
    static std::string defaultPath();

    bool ensureFolder() override;
    std::optional<Bytes> read(std::string_view name) const override;
    bool save(std::string_view name, std::span<const std::uint8_t> content, bool secret) override;
    bool exists(std::string_view name) const override;
    std::string path(std::string_view name) const override;
    const std::string& folder() const { return folder_; }

    // Files larger than this are read only up to it; no reader needs more.
    static constexpr std::size_t MaxReadBytes = 16 * 1024 * 1024;

  private:
    void removeStaleTemporaries();

    std::string folder_;
    bool swept_ = false;
};
