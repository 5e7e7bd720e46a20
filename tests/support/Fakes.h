#pragma once

#include "app/CZUBSoftPhoneDlg.h"
#include "core/DialogLogic.h"
#include "core/OperatorConfig.h"
#include "core/Ports.h"
#include "services/Http.h"
#include "telephony/Engine.h"

#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

// A view that records what the logic sets, so a test reads like the window:
// "label 1015 shows Ready : demo".
class FakeView : public WindowPort {
  public:
    struct Control {
        std::u16string text;
        bool visible = true;
        bool enabled = true;
        bool down = false;
        std::u16string tooltip;
        std::string face;
        int minimum = 0, maximum = 0;
        int position = 0; // sliders
        int limit = 0;
    };
    struct Message {
        std::u16string text, title;
        MessageButtons buttons;
    };
    struct Popup {
        int menuId, x, y;
        std::set<int> greyed; // commands greyed when it opened
    };
    struct TreeNode {
        int parent = 0;
        std::u16string label;
        int image = 0;
        std::u16string tooltip, tooltipTitle;
        bool expanded = false;
    };
    struct Tree {
        std::map<int, TreeNode> items;
        std::map<int, std::vector<int>> children; // by parent, in the order shown
        int selected = 0;
        int next = 1;
    };

    std::map<int, Control> controls;
    int focus = 0;
    std::vector<Message> messages;
    std::deque<MessageResult> answers;             // next answers to message boxes; OK when empty
    std::function<void(const Message&)> onMessage; // runs while a message box is up
    std::vector<Popup> popups;
    std::map<int, std::set<int>> greyedMenuItems;
    std::map<int, Tree> trees;
    std::deque<int> menuChoices; // next commands chosen from menus; 0 when empty
    std::map<int, int> timers;   // running timers and their periods
    bool shown = true, minimized = false, topmost = false, shapeApplied = false, trayIcon = false;
    bool ended = false;
    int result = 0, raised = 0, drags = 0, flashes = 0, centredOffset = -1;
    std::u16string trayTip;
    std::vector<std::pair<int, std::u16string>> systemMenu;
    WindowRect rect{100, 50, 247, 486};

    Control& at(int id) { return controls[id]; }
    const std::u16string& textOf(int id) { return controls[id].text; }

    void setText(int id, std::u16string_view text) override { controls[id].text = text; }
    std::u16string text(int id) const override;
    void setVisible(int id, bool visible) override { controls[id].visible = visible; }
    bool isVisible(int id) const override;
    void setEnabled(int id, bool enabled) override { controls[id].enabled = enabled; }
    bool isEnabled(int id) const override;
    void setDown(int id, bool down) override { controls[id].down = down; }
    bool isDown(int id) const override;
    void setTooltip(int id, std::u16string_view tip) override { controls[id].tooltip = tip; }
    void setFace(int id, std::string_view face) override { controls[id].face = face; }
    void setFocus(int id) override { focus = id; }
    int focusedControl() const override { return focus; }
    void setRange(int id, int minimum, int maximum) override;
    void setPosition(int id, int position) override { controls[id].position = position; }
    void setLimit(int id, int maxCharacters) override { controls[id].limit = maxCharacters; }
    std::map<int, std::vector<std::u16string>> treeItems;
    void addTreeItem(int id, std::u16string_view text) override { treeItems[id].emplace_back(text); }
    MessageResult messageBox(std::u16string_view text, std::u16string_view title,
                             MessageButtons buttons) override;
    int popupMenu(int menuId, int x, int y) override;
    int popupMenuAtCursor(int menuId) override { return popupMenu(menuId, -1, -1); }
    std::deque<std::u16string> chosenFiles; // next answers of file-open windows; cancelled when empty
    std::u16string chooseOpenFile(std::u16string_view) override {
        if (chosenFiles.empty())
            return {};
        auto file = chosenFiles.front();
        chosenFiles.pop_front();
        return file;
    }
    void startTimer(int timerId, int intervalMs) override { timers[timerId] = intervalMs; }
    void stopTimer(int timerId) override { timers.erase(timerId); }
    void showWindow(bool show) override { shown = show; }
    bool isWindowShown() const override { return shown; }
    void raiseWindow() override { ++raised; }
    void minimizeWindow() override { minimized = true; }
    void endDialog(int code) override {
        ended = true;
        result = code;
    }
    WindowRect windowRect() const override { return rect; }
    void moveWindow(int x, int y) override { rect.x = x, rect.y = y; }
    void centreOnScreen(int offsetX) override { centredOffset = offsetX; }
    void applyShape() override { shapeApplied = true; }
    void setTopmost(bool on) override { topmost = on; }
    void startDrag() override { ++drags; }
    void flash() override { ++flashes; }
    void setIcon(int) override {}
    void addSystemMenuItem(int command, std::u16string_view text) override {
        systemMenu.emplace_back(command, std::u16string(text));
    }
    std::map<std::u16string, std::vector<int>> contextCommands;
    void addContextCommand(std::u16string_view submenu, int id) override {
        contextCommands[std::u16string(submenu)].push_back(id);
    }
    void treeClear(int id) override { trees[id] = Tree{}; }
    int treeInsert(int id, int parent, std::u16string_view label, int image, TreeInsert where) override;
    void treeRemove(int id, int item) override;
    void treeSetTooltip(int id, int item, std::u16string_view tip, std::u16string_view title) override {
        trees[id].items[item].tooltip = tip;
        trees[id].items[item].tooltipTitle = title;
    }
    std::u16string treeLabel(int id, int item) const override;
    std::vector<int> treeChildren(int id, int parent) const override;
    int treeParent(int id, int item) const override;
    void treeSelect(int id, int item) override { trees[id].selected = item; }
    int treeSelected(int id) const override;
    void treeExpand(int id, int item) override { trees[id].items[item].expanded = true; }
    void setMenuItemGreyed(int menuId, int command, bool greyed) override {
        if (greyed)
            greyedMenuItems[menuId].insert(command);
        else
            greyedMenuItems[menuId].erase(command);
    }
    // The labels under `parent`, in the order shown.
    std::vector<std::u16string> treeLabels(int id, int parent = 0) const;
    // The first item labelled `label` under `parent`, 0 when none.
    int treeFind(int id, std::u16string_view label, int parent = 0) const;
    const TreeNode& treeNode(int id, int item) { return trees[id].items.at(item); }

    void addTrayIcon(int, std::u16string_view tip) override {
        trayIcon = true;
        trayTip = tip;
    }
    void removeTrayIcon() override { trayIcon = false; }
};

// Runs windows on fake views. A modal run initialises the logic, then lets the
// test act in it through `onModal` (keyed by dialog id) before it ends.
class FakeUi : public Ui {
  public:
    using ModalScript = std::function<void(DialogLogic&, FakeView&)>;

    std::map<int, ModalScript> onModal;
    std::vector<int> modalRuns;                     // dialog ids, in order
    std::map<int, std::unique_ptr<FakeView>> views; // the last view of each dialog id
    std::vector<FakeView::Message> messages;        // message boxes without owner

    int runModal(DialogLogic& logic) override;
    void createModeless(DialogLogic& logic) override;
    void destroyModeless(DialogLogic& logic) override { logic.attach(nullptr); }
    MessageResult messageBox(std::u16string_view text, std::u16string_view title,
                             MessageButtons buttons) override;

    FakeView& viewOf(int dialogId) { return *views.at(dialogId); }
};

// Records every engine call as text, for example "shutdown()" or "init(1,5060)".
class FakeEngine : public Engine {
  public:
    bool loadable = true;
    bool loaded = false;
    int registrationAnswer = 0; // when set, each registration is answered with it at once
    int nextCallId = 1;         // what the next makeCall returns
    std::vector<std::string> calls;
    RegStateHandler regState;
    CallStateHandler callState;
    IncomingHandler incoming;
    DtmfHandler dtmf;
    HoldConfirmHandler holdConfirm;

    int count(const std::string& call) const;

    bool load() override {
        calls.push_back("load()");
        loaded = loaded || loadable;
        return loaded;
    }
    bool isLoaded() const override { return loaded; }
    int init(int size, int sipPort) override;
    int registerAccount(const std::string& accountUri, const std::string& registrarUri,
                        const std::string& realm, const std::string& userName, const std::string& password,
                        const std::string* proxyUri, int isDefault, int reregisterSeconds, int rtpPort,
                        int keepAliveSeconds) override;
    int makeCall(int accountId, const std::string& destinationUri) override;
    int answerCall(int callId, int statusCode) override;
    int releaseCall(int callId) override;
    int holdCall(int callId) override;
    int retrieveCall(int callId) override;
    int xferCall(int callId, const std::string& destinationUri) override;
    int callConference(int callId) override;
    int dialDtmf(int callId, const std::string& digits, int mode) override;
    int callRecordingStart(int callId, const std::string& wavPath) override;
    int callRecordingStop() override;
    int shutdown() override;
    int setCodecPriority(const std::string& codec, int priority) override;
    int setSipEncryption(int enable, int key2, int key1) override;
    int setRtpEncryption(int enable, int key2, int key1, int mediaEnable, int prefix2, int prefix3,
                         int prefix1) override;
    int setSipEncryption2(int enable, const std::string& keyText) override;
    int setRtpEncryption2(int enable, const std::string& keyText) override;
    int newSetSipEncryption(int enable, int key2, int key1, int key3) override;
    int setNewRtpEncryption(int enable, int key2, int key1, int key3, int mediaEnable, int prefix2,
                            int prefix3, int prefix1) override;
    void onRegState(RegStateHandler handler) override { regState = std::move(handler); }
    void onCallState(CallStateHandler handler) override { callState = std::move(handler); }
    void onCallIncoming(IncomingHandler handler) override { incoming = std::move(handler); }
    void onDtmfDigit(DtmfHandler handler) override { dtmf = std::move(handler); }
    void onCallHoldConfirm(HoldConfirmHandler handler) override { holdConfirm = std::move(handler); }
};

// A clock that does not sleep: a wait adds to `waited` and runs `duringWait`,
// the place where a test lets events arrive.
class ManualClock : public Clock {
  public:
    LocalTime time{2026, 12, 9, 9, 5, 9};
    LocalTime now() const override { return time; }
    int waited = 0;
    std::function<void(int)> duringWait;
    void wait(int milliseconds) override {
        waited += milliseconds;
        if (duringWait)
            duringWait(milliseconds);
    }
};

// Records what was played: "Ring.wav loop", "Dtmf-5.wav", "stop".
class FakeSound : public Sound {
  public:
    std::vector<std::string> played;
    void play(const std::string& file, bool loop) override { played.push_back(file + (loop ? " loop" : "")); }
    void stop() override { played.push_back("stop"); }
};

// A sound card's mixer in memory: a stereo playback line, a capture line with
// its switch, and a line-in and a microphone as its sources. Every mixer opened
// on it shares its values; a change made elsewhere reaches every watching mixer.
class FakeMixer : public MixerProbe {
  public:
    static MixerElement element(std::string name, bool capture, int channels, bool hasSwitch,
                                bool microphone = false) {
        MixerElement e;
        e.name = std::move(name);
        e.capture = capture;
        e.channels = channels;
        e.maximum = channels > 0 ? 65535 : 0;
        e.steps = channels > 0 ? 65536 : 0;
        e.hasSwitch = hasSwitch;
        e.microphone = microphone;
        return e;
    }
    static std::string key(const MixerElement& e) {
        return e.name + (e.capture ? " capture " : " playback ") + std::to_string(e.index);
    }

    bool present = true;
    bool readable = true; // false: reading a volume fails
    std::optional<MixerElement> playback = element("PCM", false, 2, true);
    std::optional<MixerElement> captureLine = element("Capture", true, 0, true);
    std::vector<MixerElement> sources = {element("Line", true, 2, true), element("Mic", true, 1, true, true)};
    std::map<std::string, std::vector<long>> volumes; // by key(); a missing one reads 20000 on each channel
    std::map<std::string, bool> switches;             // by key()
    struct Set {
        std::string element; // key()
        int channel;
        long value;
        bool operator==(const Set&) const = default;
    };
    std::vector<Set> sets;
    std::map<const void*, std::function<void(const std::string&, int)>> watchers; // by mixer
    int openMixers = 0;

    bool canOpenMixer() override { return present; }
    std::unique_ptr<Mixer> openMixer() override;
    // Another program sets every channel of `e` to `value`.
    void changeElsewhere(const MixerElement& e, long value);
    std::vector<long>& volumeOf(const MixerElement& e);
};

class FakeAutostart : public Autostart {
  public:
    std::string registered;
    int writes = 0;
    bool writable = true; // false: the autostart folder cannot be written
    bool runsProgram(const std::string& path) const override { return registered == path; }
    bool registerProgram(const std::string& path) override {
        if (!writable)
            return false;
        registered = path;
        ++writes;
        return true;
    }
    bool removeProgram() override {
        if (!writable)
            return registered.empty();
        registered.clear();
        return true;
    }
};

class FakeProgram : public ProgramInfo {
  public:
    std::string path = "/opt/ringlark/ringlark"; // empty: the program could not find itself
    std::string programPath() const override { return path; }
    std::u16string homeFolder() const override { return u"/home/demo"; }
};

// Web services on demand: each exchange takes the next queued reply (none: the
// server did not answer) and is recorded; fetches answer from a map.
class FakeHttp : public Http {
  public:
    struct Sent {
        std::string address;
        std::optional<std::string> body; // nullopt for GET
        std::string extraHeaders;
    };
    std::vector<Sent> sent;
    std::deque<std::optional<HttpExchange>> replies;
    std::map<std::string, std::string> pages; // fetch address → body
    std::vector<std::string> fetched;

    // Queues a POST reply whose body is `text`, scrambled as the service sends it.
    void queueScrambled(const std::string& text);
    int posts(const std::string& bodyPart) const; // how many bodies contained `bodyPart`

    std::optional<HttpExchange> exchange(const std::string& address, const std::string* body,
                                         const std::string& extraHeaders) override;
    std::optional<std::string> fetch(const std::string& address, std::size_t maxBytes) override;
};

class FakeNetwork : public Network {
  public:
    std::optional<std::array<std::uint8_t, 6>> address =
        std::array<std::uint8_t, 6>{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    bool connected = true;
    std::vector<std::string> asked; // hosts whose reachability was asked
    std::optional<std::array<std::uint8_t, 6>> firstAdapterAddress() override { return address; }
    bool isConnected(const std::string& host) override {
        asked.push_back(host);
        return connected;
    }
};

class FakeShell : public Shell {
  public:
    std::vector<std::string> opened;
    bool handled = true;
    bool open(const std::string& address) override {
        opened.push_back(address);
        return handled;
    }
};

// Keeps posted tasks until the test (or a wait) runs them.
class QueuePoster : public UiPoster {
  public:
    std::deque<std::function<void()>> tasks;
    void post(std::function<void()> task) override { tasks.push_back(std::move(task)); }
    void runAll() {
        while (!tasks.empty()) {
            auto task = std::move(tasks.front());
            tasks.pop_front();
            task();
        }
    }
};

// Every fake a window needs, with posted events handled during waits as the real program does.
struct FakePlatform {
    FakeUi ui;
    FakeEngine engine;
    ManualClock clock;
    FakeMixer mixer;
    FakeAutostart autostart;
    FakeProgram program;
    FakeHttp http;
    FakeNetwork network;
    FakeShell shell;
    QueuePoster poster;
    OperatorConfig operatorConfig;
    FakeSound sound;

    FakePlatform() {
        clock.duringWait = [this](int) { poster.runAll(); };
    }
    MainWindowServices window(Files& files) { return window(files, ui); }
    MainWindowServices window(Files& files, Ui& windows) {
        return {windows, files,   engine, clock,  mixer,          autostart, program,
                http,    network, shell,  poster, operatorConfig, sound};
    }
};

// A provisioning reply as the service sends it (before scrambling).
std::string sampleProvisioningReply(const std::string& registrar = "127.0.0.1");

// A fresh folder under the system's temporary folder, removed afterwards.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }

  private:
    std::filesystem::path path_;
};

std::vector<std::uint8_t> readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
