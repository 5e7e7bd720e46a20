#include "CApplication.h"

#include "COptions.h"
#include "core/Text.h"

#include <algorithm>
#include <climits>

namespace {

constexpr int HiddenControls[] = {res::OptConfirmOnClose, res::OptPromptUpgrade, res::OptLettersToDigits,
                                  res::OptSendMessage,    res::OptPlaceCall,     res::OptRecordingFolder};

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

bool isSpace(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

// Leading white space, an optional sign, then the leading digits; no digits is 0.
// Values too large for an int stay at its limit rather than wrapping.
long long leadingNumber(std::u16string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    long long value = 0;
    for (; i < text.size() && isDigit(text[i]); ++i)
        value = std::min<long long>(value * 10 + (text[i] - u'0'), INT_MAX);
    return negative ? -value : value;
}

} // namespace

std::vector<std::u16string> CallsPerListProblems(std::u16string_view text) {
    if (text.empty())
        return {u"Number of calls field Can not be left blank"};
    std::vector<std::u16string> problems;
    for (char16_t c : text)
        if (!isDigit(c)) {
            problems.emplace_back(u"Number of Calls Should be Numeric");
            break;
        }
    const long long value = leadingNumber(text);
    if (value == 0)
        problems.emplace_back(u"Number of Calls Should be Greater than zero");
    else if (value >= 1000)
        problems.emplace_back(u"Number of Calls Should be less than one thousand");
    return problems;
}

void CApplication::onInitDialog() {
    auto& v = view();
    values = {}; // every box starts unticked
    values.callsPerList = options_.owner().callsPerListText();
    values.recordingFolder = options_.owner().recordingFolderText();
    for (int id : HiddenControls)
        v.setVisible(id, false);
    v.setEnabled(res::OptApply, false);
    showValues();
}

void CApplication::showPage() {
    view().setEnabled(res::OptApply, false);
    showValues();
}

void CApplication::onCommand(int id) {
    switch (id) {
    case res::OptAlwaysOnTop:
    case res::OptLaunchAtStartup:
    case res::OptConfirmOnClose:
        view().setEnabled(res::OptApply, true);
        break;
    case res::OptApply:
        Apply();
        break;
    case res::OptOk:
        Apply();
        host_.closeWithOk(); // also when the number was refused
        break;
    case res::OptCancel:
        host_.closeWithCancel();
        break;
    default:
        break;
    }
}

void CApplication::onEditChanged(int id) {
    if (id == res::OptCallsPerList || id == res::OptRecordingFolder)
        view().setEnabled(res::OptApply, true);
}

void CApplication::takeControlValues() {
    auto& v = view();
    values.alwaysOnTop = v.isDown(res::OptAlwaysOnTop);
    values.launchAtStartup = v.isDown(res::OptLaunchAtStartup);
    values.confirmOnClose = v.isDown(res::OptConfirmOnClose);
    values.callsPerList = v.text(res::OptCallsPerList);
    values.recordingFolder = v.text(res::OptRecordingFolder);
}

void CApplication::showValues() {
    auto& v = view();
    v.setDown(res::OptAlwaysOnTop, values.alwaysOnTop);
    v.setDown(res::OptLaunchAtStartup, values.launchAtStartup);
    v.setDown(res::OptConfirmOnClose, values.confirmOnClose);
    v.setText(res::OptCallsPerList, values.callsPerList);
    v.setText(res::OptRecordingFolder, values.recordingFolder);
}

void CApplication::applyAutostart() {
    auto& autostart = options_.services().autostart;
    if (values.launchAtStartup) {
        const auto program = options_.services().program.programPath();
        // Without its own path the entry could start nothing.
        if (program.empty() || (!autostart.runsProgram(program) && !autostart.registerProgram(program)))
            view().messageBox(u"Ringlark could not be set to start at log-in", u"Ringlark",
                              MessageButtons::Ok);
    } else if (!autostart.removeProgram()) {
        view().messageBox(u"Ringlark could not be kept from starting at log-in", u"Ringlark",
                          MessageButtons::Ok);
    }
}

void CApplication::Apply() {
    auto& owner = options_.owner();
    takeControlValues();
    // These take effect whatever the number turns out to be.
    owner.setAlwaysOnTop(values.alwaysOnTop);
    owner.setConfirmOnClose(values.confirmOnClose);
    applyAutostart();

    const auto problems = CallsPerListProblems(values.callsPerList);
    for (const auto& problem : problems)
        view().messageBox(problem, u"Ringlark", MessageButtons::Ok);
    valid = problems.empty();
    if (valid) {
        view().setEnabled(res::OptApply, false);
        auto& files = options_.services().files;
        if (!files.ensureFolder() || !files.save(ApplicationFileName, values.write(), false))
            view().messageBox(u"The options could not be saved", u"Ringlark", MessageButtons::Ok);
        owner.takeRecentCallsOptions(values.callsPerList, values.recordingFolder);
        owner.RetrimRecentCalls();
    }
    showValues();
}
