#pragma once

#include "AddressBookOwner.h"
#include "CallLog.h"
#include "core/Ports.h"
#include "core/SidePanel.h"
#include "resources/ResourceIds.h"
#include "telephony/LineTable.h"

#include <string>
#include <string_view>

// The recent-calls panel. It keeps the dialed, received and missed calls of
// this run, shows them with the server's call records in a tree, calls a
// number back, and writes the call-log file at exit.
class CCall : public SidePanel {
  public:
    CCall(AddressBookOwner& owner, Files& files, Clock& clock)
        : owner_(owner), files_(files), clock_(clock) {}

    int dialogId() const override { return res::DlgRecentCalls; }

    CallLog log;

    // Adds a call of `kind` ('D', 'R', 'M') to its list and its folder; the
    // number "adjust" only trims the list to the calls-per-list limit.
    void AddRecentCall(const std::u16string& number, const std::u16string& duration, char16_t kind);
    // Files the call that was on `line` as dialed, received or missed.
    void RecordFinishedCall(const LineRecord& line);
    // The dialed folder from the server's records, the received and missed
    // folders from this run's lists.
    void BuildRecentCallsTree();
    // Writes the call-log file; false when writing failed.
    bool SaveCallLog() { return log.SaveCallLog(files_); }

    static constexpr std::u16string_view DialedFolder = u"Dialed Calls";
    static constexpr std::u16string_view ReceivedFolder = u"Received Calls";
    static constexpr std::u16string_view MissedFolder = u"Missed Calls";
    enum Image { FolderImage = 0, UnansweredImage = 1, AnsweredImage = 2 };

    // The tooltip of an entry for a call of this run.
    static std::u16string DetailText(char16_t kind, const RecentCall& call);
    // The title above an entry's detail text: what kind of call it was.
    static std::u16string_view TooltipTitle(char16_t kind);
    // The tooltip of an entry for a server call record.
    static std::u16string ServerDetailText(const ServerCallRecord& record);

    void onInitDialog() override;
    void onCommand(int id) override;
    bool onKey(const KeyPress& key) override;
    void onShown() override;
    void onBodyPressed() override;
    void onTreeActivated(int id) override;
    void onCloseRequest() override { close(); }

    void CallBack();
    void close();

  private:
    int folder(std::u16string_view name, bool create);
    int selectedEntry() const; // 0 unless an entry (not a folder) is selected
    void showMenu();
    void fillFolder(char16_t kind);

    AddressBookOwner& owner_;
    Files& files_;
    Clock& clock_;
    bool treeReady_ = false;
};
