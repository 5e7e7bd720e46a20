#pragma once

#include "RecentCallList.h"
#include "core/Ports.h"

#include <string>
#include <string_view>

inline constexpr std::string_view CallLogFileName = "CallLog_Ringlark.bin";

// The dialed, received and missed calls of this run. They start empty at every
// start and are written to the call-log file at exit; the file is never read.
class CallLog {
  public:
    enum Kind : char16_t { Dialed = u'D', Received = u'R', Missed = u'M' };

    RecentCallList dialed, received, missed;

    RecentCallList& list(Kind kind);
    const RecentCallList& list(Kind kind) const;

    // The calls-per-list text as a limit: its leading digits, 10 when none or
    // zero, at most the 100 slots of a list.
    static int LimitOf(std::u16string_view callsPerList);
    // "Tue Mar 05 10:02:03 2024\n": 25 characters with the line feed.
    static std::u16string TimeText(const LocalTime& at);

    // Counts, then dialed and received calls as four strings, missed as three.
    std::vector<std::uint8_t> write() const;
    bool SaveCallLog(Files& files) const;
};
