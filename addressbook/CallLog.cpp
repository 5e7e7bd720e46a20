#include "CallLog.h"

#include "core/Text.h"
#include "settings/Archive.h"

#include <cstdio>

RecentCallList& CallLog::list(Kind kind) {
    return kind == Dialed ? dialed : kind == Received ? received : missed;
}

const RecentCallList& CallLog::list(Kind kind) const {
    return kind == Dialed ? dialed : kind == Received ? received : missed;
}

int CallLog::LimitOf(std::u16string_view callsPerList) {
    long value = 0;
    for (char16_t c : callsPerList) {
        if (c < u'0' || c > u'9')
            break;
        value = value * 10 + (c - u'0');
        if (value > RecentCallList::Slots)
            return RecentCallList::Slots;
    }
    return value == 0 ? 10 : static_cast<int>(value);
}

namespace {

// 0 Sunday ... 6 Saturday, for a date of the Gregorian calendar.
int weekday(int year, int month, int day) {
    static const int offsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 3)
        year -= 1;
    return (year + year / 4 - year / 100 + year / 400 + offsets[(month - 1) % 12] + day) % 7;
}

} // namespace

std::u16string CallLog::TimeText(const LocalTime& at) {
    static const char* days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const int month = at.month >= 1 && at.month <= 12 ? at.month : 1;
    char text[64];
    std::snprintf(text, sizeof text, "%s %s %02d %02d:%02d:%02d %04d\n",
                  days[weekday(at.year, month, at.day)], months[month - 1], at.day, at.hour, at.minute,
                  at.second, at.year);
    return u16(text);
}

std::vector<std::uint8_t> CallLog::write() const {
    ArchiveWriter out;
    out.writeInt(dialed.size());
    out.writeInt(received.size());
    out.writeInt(missed.size());
    for (const auto* answered : {&dialed, &received})
        for (const auto& call : answered->calls()) {
            out.writeString(call.name);
            out.writeString(call.number);
            out.writeString(call.time);
            out.writeString(call.duration);
        }
    for (const auto& call : missed.calls()) {
        out.writeString(call.name);
        out.writeString(call.number);
        out.writeString(call.time);
    }
    return out.bytes();
}

bool CallLog::SaveCallLog(Files& files) const {
    return files.save(CallLogFileName, write(), false);
}
