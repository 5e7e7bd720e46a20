#include "CCall.h"

#include "resources/Dialogs.h"

#include <algorithm>

using namespace res;

namespace {

std::u16string spaces(int count) {
    return std::u16string(static_cast<std::size_t>(count), u' ');
}

std::u16string_view folderName(char16_t kind) {
    switch (kind) {
    case u'D':
        return CCall::DialedFolder;
    case u'R':
        return CCall::ReceivedFolder;
    default:
        return CCall::MissedFolder;
    }
}

bool knownKind(char16_t kind) {
    return kind == u'D' || kind == u'R' || kind == u'M';
}

} // namespace

std::u16string_view CCall::TooltipTitle(char16_t kind) {
    return kind == u'M' ? u"UnAnswered Call" : kind == u'R' ? u"Answered Call" : u"Dialed Call";
}

std::u16string CCall::DetailText(char16_t kind, const RecentCall& call) {
    const auto& number = call.number;
    switch (kind) {
    case u'D':
        if (call.duration.empty())
            return u"\nName" + spaces(15) + number + u"\nNumber" + spaces(12) + number +
                   u"\nComments       Cancelled Call\n";
        return u"\nName" + spaces(16) + number + u"\nNumber" + spaces(12) + number + u"\nDuration" +
               spaces(12) + call.duration + u"\nComments       Answered Call\n";
    case u'R':
        return u"\nNAME" + spaces(16) + number + u"\nNubmer" + spaces(13) + number + u"\nTime" + spaces(18) +
               call.time + u"Duration" + spaces(12) + call.duration + u"\n";
    default:
        return u"\nNAME" + spaces(16) + number + u"\nNubmer" + spaces(13) + number + u"\nTime" + spaces(18) +
               call.time + u"\n";
    }
}

std::u16string CCall::ServerDetailText(const ServerCallRecord& record) {
    std::u16string text = u"\nName" + spaces(14) + record.number + u"\nNumber" + spaces(10) + record.number +
                          u"\nDate" + spaces(17) + record.callStartDate;
    if (record.durationCost.empty())
        return text + u"\nComments        Unanswered Call\n";
    return text + u"\nDuration" + spaces(10) + record.durationCost + u"\nComments     Answered Call\n";
}

int CCall::folder(std::u16string_view name, bool create) {
    for (int item : view().treeChildren(CallsTree, 0))
        if (view().treeLabel(CallsTree, item) == name)
            return item;
    if (!create)
        return 0;
    return view().treeInsert(CallsTree, 0, name, FolderImage, TreeInsert::Last);
}

void CCall::AddRecentCall(const std::u16string& number, const std::u16string& duration, char16_t kind) {
    const auto time = CallLog::TimeText(clock_.now());
    const int limit = CallLog::LimitOf(owner_.callsPerListText());
    if (number.empty() || !knownKind(kind))
        return;
    const bool adjust = number == u"adjust";
    const RecentCall call{number, number, time, kind == u'M' ? std::u16string() : duration};
    auto& list = log.list(static_cast<CallLog::Kind>(kind));

    // Received and missed calls get their folder when the tree has none, so
    // they are seen whatever the tree was built from.
    const int parent = treeReady_ && attached() ? folder(folderName(kind), true) : 0;
    if (parent && !adjust) {
        const int image =
            kind == u'R' || (kind == u'D' && !duration.empty()) ? AnsweredImage : UnansweredImage;
        const int entry = view().treeInsert(CallsTree, parent, number, image, TreeInsert::First);
        view().treeSetTooltip(CallsTree, entry, DetailText(kind, call), TooltipTitle(kind));
    }

    if (list.size() >= limit) {
        if (adjust)
            list.trim(limit);
        else
            list.add(call, limit);
        if (parent) {
            const auto entries = view().treeChildren(CallsTree, parent);
            for (std::size_t i = static_cast<std::size_t>(limit); i < entries.size(); ++i)
                view().treeRemove(CallsTree, entries[i]);
        }
    } else if (!adjust) {
        list.add(call, limit);
    }
}

void CCall::RecordFinishedCall(const LineRecord& line) {
    if (line.incoming && !line.answering)
        AddRecentCall(line.remoteNumber, u"", u'M');
    if (line.calling && !line.answering)
        AddRecentCall(line.dialedNumber, u"", u'D');
    if (line.connected && line.direction == u'I')
        AddRecentCall(line.remoteNumber, line.durationText, u'R');
    else if (line.connected && line.direction == u'C')
        AddRecentCall(line.dialedNumber, line.durationText, u'D');
}

void CCall::fillFolder(char16_t kind) {
    const int parent = folder(folderName(kind), true);
    // Oldest first in the list, newest first in the folder.
    for (const auto& call : log.list(static_cast<CallLog::Kind>(kind)).calls()) {
        const bool answered = !call.duration.empty();
        const int entry = view().treeInsert(CallsTree, parent, call.number,
                                            answered ? AnsweredImage : UnansweredImage, TreeInsert::First);
        view().treeSetTooltip(CallsTree, entry, DetailText(kind, call), TooltipTitle(kind));
    }
    view().treeExpand(CallsTree, parent);
}

void CCall::BuildRecentCallsTree() {
    const auto& records = owner_.serverCallRecords();
    if (!attached() || !treeReady_)
        return;
    auto& v = view();
    v.treeClear(CallsTree);
    const int dialed = folder(DialedFolder, true);
    const int count = std::min(records.count, MaxServerCallRecords);
    for (int i = count - 1; i >= 0; --i) {
        const auto& record = records.records[static_cast<std::size_t>(i)];
        if (record.number.empty())
            break;
        const int entry =
            v.treeInsert(CallsTree, dialed, record.number,
                         record.durationCost.empty() ? UnansweredImage : AnsweredImage, TreeInsert::First);
        v.treeSetTooltip(CallsTree, entry, ServerDetailText(record), TooltipTitle(u'D'));
    }
    v.treeExpand(CallsTree, dialed);
    fillFolder(u'R');
    fillFolder(u'M');
}

void CCall::onInitDialog() {
    auto& v = view();
    v.showWindow(false);
    v.setVisible(Close, true);
    v.setVisible(CallsHiddenClose, false);
    v.setVisible(PanelDetach, false);
    v.setVisible(PanelReattach, false);
    v.setTooltip(Close, u"Close");
    v.setTooltip(CallsTree, u"Tree Tool Tip");
    if (!files_.ensureFolder())
        return;
    treeReady_ = true;
    BuildRecentCallsTree();
}

int CCall::selectedEntry() const {
    const int item = view().treeSelected(CallsTree);
    return item && view().treeParent(CallsTree, item) ? item : 0;
}

void CCall::close() {
    hide();
    owner_.panelClosed(ShowCallsArrow);
}

void CCall::CallBack() {
    if (owner_.currentLineBusy()) {
        owner_.guardedMessage(u"Multiple calls are not allowed in the application");
        return;
    }
    const int entry = selectedEntry();
    if (!entry)
        return;
    if (!owner_.isRegistered()) {
        view().messageBox(u"You are not Registered", u"Ringlark", MessageButtons::Ok);
        return;
    }
    const auto number = view().treeLabel(CallsTree, entry);
    owner_.dialNumber(number);
    close();
}

void CCall::showMenu() {
    auto& v = view();
    v.setMenuItemGreyed(MenuRecentCalls, CmdCallBack, selectedEntry() == 0);
    const auto* dialog = findDialog(DlgRecentCalls);
    int x = 0, y = 0;
    for (const auto& control : dialog->controls)
        if (control.id == CallsMenuButton)
            x = control.x, y = control.y + control.height;
    const auto rect = v.windowRect();
    if (const int chosen = v.popupMenu(MenuRecentCalls, rect.x + x, rect.y + y))
        onCommand(chosen);
}

void CCall::onCommand(int id) {
    switch (id) {
    case Close:
    case CallsHiddenClose:
        close();
        break;
    case CallsMenuButton:
        showMenu();
        break;
    case CmdCallBack:
        if (selectedEntry())
            CallBack();
        break;
    default:
        break;
    }
}

bool CCall::onKey(const KeyPress& key) {
    // The panel is never closed by Escape or Enter.
    return key.key == Key::Escape || key.key == Key::Enter;
}

void CCall::onShown() {
    view().treeSelect(CallsTree, 0);
    view().setFocus(CallsMenuButton);
}

void CCall::onBodyPressed() {
    view().startDrag();
    view().setFocus(CallsMenuButton);
    view().treeSelect(CallsTree, 0);
}

void CCall::onTreeActivated(int id) {
    if (id == CallsTree && selectedEntry())
        CallBack();
}
