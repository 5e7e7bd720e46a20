#include "RecentCallList.h"

#include <algorithm>

void RecentCallList::trim(int limit) {
    limit = std::clamp(limit, 1, Slots);
    if (size() > limit)
        calls_.erase(calls_.begin(), calls_.begin() + (size() - limit));
}

void RecentCallList::add(RecentCall call, int limit) {
    trim(limit);
    if (size() >= std::clamp(limit, 1, Slots))
        calls_.erase(calls_.begin());
    calls_.push_back(std::move(call));
}
