#pragma once

#include <string>
#include <vector>

struct RecentCall {
    std::u16string name, number;
    std::u16string time; // "Tue Mar 05 10:02:03 2024\n"
    std::u16string duration;
    bool operator==(const RecentCall&) const = default;
};

// One list of recent calls, oldest first, never more than 100.
class RecentCallList {
  public:
    static constexpr int Slots = 100;

    int size() const { return static_cast<int>(calls_.size()); }
    const std::vector<RecentCall>& calls() const { return calls_; }

    // Adds the newest call and keeps the newest `limit` (1-100).
    void add(RecentCall call, int limit);
    // Keeps the newest `limit` calls; the dropped ones do not come back.
    void trim(int limit);

  private:
    std::vector<RecentCall> calls_;
};
