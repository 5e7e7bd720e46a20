#include "Fakes.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

std::u16string FakeView::text(int id) const {
    auto it = controls.find(id);
    return it == controls.end() ? std::u16string() : it->second.text;
}

bool FakeView::isVisible(int id) const {
    auto it = controls.find(id);
    return it == controls.end() || it->second.visible;
}

bool FakeView::isEnabled(int id) const {
    auto it = controls.find(id);
    return it == controls.end() || it->second.enabled;
}

bool FakeView::isDown(int id) const {
    auto it = controls.find(id);
    return it != controls.end() && it->second.down;
}

void FakeView::setRange(int id, int minimum, int maximum) {
    controls[id].minimum = minimum;
    controls[id].maximum = maximum;
}

MessageResult FakeView::messageBox(std::u16string_view text, std::u16string_view title,
                                   MessageButtons buttons) {
    messages.push_back({std::u16string(text), std::u16string(title), buttons});
    if (onMessage)
        onMessage(messages.back());
    if (answers.empty())
        return MessageResult::Ok;
    const auto answer = answers.front();
    answers.pop_front();
    return answer;
}

int FakeView::popupMenu(int menuId, int x, int y) {
    popups.push_back({menuId, x, y, greyedMenuItems[menuId]});
    if (menuChoices.empty())
        return 0;
    const int choice = menuChoices.front();
    menuChoices.pop_front();
    return choice;
}

namespace {

std::u16string folded(std::u16string_view text) {
    std::u16string lower(text);
    for (auto& c : lower)
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
    return lower;
}

} // namespace

int FakeView::treeInsert(int id, int parent, std::u16string_view label, int image, TreeInsert where) {
    auto& tree = trees[id];
    const int item = tree.next++;
    tree.items[item] = TreeNode{parent, std::u16string(label), image, {}, {}, false};
    auto& siblings = tree.children[parent];
    auto at = siblings.end();
    if (where == TreeInsert::First)
        at = siblings.begin();
    else if (where == TreeInsert::Sorted)
        at = std::find_if(siblings.begin(), siblings.end(),
                          [&](int other) { return folded(tree.items[other].label) > folded(label); });
    siblings.insert(at, item);
    return item;
}

void FakeView::treeRemove(int id, int item) {
    auto& tree = trees[id];
    auto found = tree.items.find(item);
    if (found == tree.items.end())
        return;
    for (int child : std::vector<int>(tree.children[item]))
        treeRemove(id, child);
    tree.children.erase(item);
    auto& siblings = tree.children[found->second.parent];
    siblings.erase(std::remove(siblings.begin(), siblings.end(), item), siblings.end());
    if (tree.selected == item)
        tree.selected = 0;
    tree.items.erase(found);
}

std::u16string FakeView::treeLabel(int id, int item) const {
    auto tree = trees.find(id);
    if (tree == trees.end() || !tree->second.items.count(item))
        return {};
    return tree->second.items.at(item).label;
}

std::vector<int> FakeView::treeChildren(int id, int parent) const {
    auto tree = trees.find(id);
    if (tree == trees.end() || !tree->second.children.count(parent))
        return {};
    return tree->second.children.at(parent);
}

int FakeView::treeParent(int id, int item) const {
    auto tree = trees.find(id);
    if (tree == trees.end() || !tree->second.items.count(item))
        return 0;
    return tree->second.items.at(item).parent;
}

int FakeView::treeSelected(int id) const {
    auto tree = trees.find(id);
    return tree == trees.end() ? 0 : tree->second.selected;
}

std::vector<std::u16string> FakeView::treeLabels(int id, int parent) const {
    std::vector<std::u16string> labels;
    for (int item : treeChildren(id, parent))
        labels.push_back(treeLabel(id, item));
    return labels;
}

int FakeView::treeFind(int id, std::u16string_view label, int parent) const {
    for (int item : treeChildren(id, parent))
        if (treeLabel(id, item) == label)
            return item;
    return 0;
}

int FakeUi::runModal(DialogLogic& logic) {
    const int id = logic.dialogId();
    modalRuns.push_back(id);
    auto view = std::make_unique<FakeView>();
    FakeView& current = *view;
    views[id] = std::move(view);
    logic.attach(&current);
    logic.onInitDialog();
    if (!current.ended)
        if (auto script = onModal.find(id); script != onModal.end())
            script->second(logic, current);
    logic.attach(nullptr);
    return current.ended ? current.result : 2;
}

void FakeUi::createModeless(DialogLogic& logic) {
    auto view = std::make_unique<FakeView>();
    view->shown = false;
    logic.attach(view.get());
    views[logic.dialogId()] = std::move(view);
    logic.onInitDialog();
}

MessageResult FakeUi::messageBox(std::u16string_view text, std::u16string_view title,
                                 MessageButtons buttons) {
    messages.push_back({std::u16string(text), std::u16string(title), buttons});
    return MessageResult::Ok;
}

namespace {

// Joins arguments into "name(a,b,c)".
template <typename... Args> std::string describe(const char* name, const Args&... args) {
    std::ostringstream out;
    out << name << '(';
    const char* separator = "";
    ((out << separator << args, separator = ","), ...);
    out << ')';
    return out.str();
}

} // namespace

int FakeEngine::count(const std::string& call) const {
    return static_cast<int>(std::count(calls.begin(), calls.end(), call));
}

int FakeEngine::init(int size, int sipPort) {
    calls.push_back(describe("init", size, sipPort));
    return 0;
}
int FakeEngine::registerAccount(const std::string& accountUri, const std::string& registrarUri,
                                const std::string& realm, const std::string& userName,
                                const std::string& password, const std::string* proxyUri, int isDefault,
                                int reregisterSeconds, int rtpPort, int keepAliveSeconds) {
    calls.push_back(describe("registerAccount", accountUri, registrarUri, realm, userName, password,
                             proxyUri ? *proxyUri : std::string("null"), isDefault, reregisterSeconds,
                             rtpPort, keepAliveSeconds));
    if (registrationAnswer && regState)
        regState(0, registrationAnswer);
    return 0;
}
int FakeEngine::makeCall(int accountId, const std::string& uri) {
    calls.push_back(describe("makeCall", accountId, uri));
    return nextCallId++;
}
int FakeEngine::answerCall(int callId, int code) {
    calls.push_back(describe("answerCall", callId, code));
    return 0;
}
int FakeEngine::releaseCall(int callId) {
    calls.push_back(describe("releaseCall", callId));
    return 0;
}
int FakeEngine::holdCall(int callId) {
    calls.push_back(describe("holdCall", callId));
    return 0;
}
int FakeEngine::retrieveCall(int callId) {
    calls.push_back(describe("retrieveCall", callId));
    return 0;
}
int FakeEngine::xferCall(int callId, const std::string& uri) {
    calls.push_back(describe("xferCall", callId, uri));
    return 0;
}
int FakeEngine::callConference(int callId) {
    calls.push_back(describe("callConference", callId));
    return 0;
}
int FakeEngine::dialDtmf(int callId, const std::string& digits, int mode) {
    calls.push_back(describe("dialDtmf", callId, digits, mode));
    return 0;
}
int FakeEngine::callRecordingStart(int callId, const std::string& path) {
    calls.push_back(describe("callRecordingStart", callId, path));
    return 0;
}
int FakeEngine::callRecordingStop() {
    calls.push_back("callRecordingStop()");
    return 0;
}
int FakeEngine::shutdown() {
    calls.push_back("shutdown()");
    return 0;
}
int FakeEngine::setCodecPriority(const std::string& codec, int priority) {
    calls.push_back(describe("setCodecPriority", codec, priority));
    return 0;
}
int FakeEngine::setSipEncryption(int enable, int key2, int key1) {
    calls.push_back(describe("setSipEncryption", enable, key2, key1));
    return 0;
}
int FakeEngine::setRtpEncryption(int enable, int key2, int key1, int media, int p2, int p3, int p1) {
    calls.push_back(describe("setRtpEncryption", enable, key2, key1, media, p2, p3, p1));
    return 0;
}
int FakeEngine::setSipEncryption2(int enable, const std::string& key) {
    calls.push_back(describe("setSipEncryption2", enable, key));
    return 0;
}
int FakeEngine::setRtpEncryption2(int enable, const std::string& key) {
    calls.push_back(describe("setRtpEncryption2", enable, key));
    return 0;
}
int FakeEngine::newSetSipEncryption(int enable, int key2, int key1, int key3) {
    calls.push_back(describe("newSetSipEncryption", enable, key2, key1, key3));
    return 0;
}
int FakeEngine::setNewRtpEncryption(int enable, int key2, int key1, int key3, int media, int p2, int p3,
                                    int p1) {
    calls.push_back(describe("setNewRtpEncryption", enable, key2, key1, key3, media, p2, p3, p1));
    return 0;
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "ringlark-test-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::vector<std::uint8_t> readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void FakeHttp::queueScrambled(const std::string& text) {
    HttpExchange reply;
    reply.headerText = "HTTP/1.0 200 OK\r\n\r\n";
    reply.bodyBytes = text;
    DescrambleReply(
        std::span(reinterpret_cast<std::uint8_t*>(reply.bodyBytes.data()), reply.bodyBytes.size()));
    replies.push_back(reply);
}

int FakeHttp::posts(const std::string& bodyPart) const {
    return static_cast<int>(std::count_if(sent.begin(), sent.end(), [&](const Sent& s) {
        return s.body && s.body->find(bodyPart) != std::string::npos;
    }));
}

std::optional<HttpExchange> FakeHttp::exchange(const std::string& address, const std::string* body,
                                               const std::string& extraHeaders) {
    sent.push_back({address, body ? std::optional<std::string>(*body) : std::nullopt, extraHeaders});
    if (replies.empty())
        return std::nullopt;
    auto reply = replies.front();
    replies.pop_front();
    if (reply)
        reply->requestText = BuildRequestText(SplitUrl(address), body, extraHeaders);
    return reply;
}

std::optional<std::string> FakeHttp::fetch(const std::string& address, std::size_t maxBytes) {
    fetched.push_back(address);
    auto page = pages.find(address);
    if (page == pages.end())
        return std::nullopt;
    return page->second.substr(0, maxBytes);
}

std::string sampleProvisioningReply(const std::string& registrar) {
    return "<ip>10.1.1.1</ip><registrarip>" + registrar +
           "</registrarip><header>Ringlark Telecom</header><footer>www.ringlark.example</footer>"
           "<myaccounts>http://127.0.0.1:8080/cdr?user=u1s1er</myaccounts><oldkey>secretkey</oldkey>"
           "<newkey>off</newkey><vpn>off</vpn><prefix>000-000-000</prefix><size>4</size><rereg>300</rereg>"
           "<sprt>5070</sprt><keep>30</keep><rtrp>7078</rtrp><email>care@ringlark.example</email>";
}

namespace {

class FakeMixerHandle final : public Mixer {
  public:
    explicit FakeMixerHandle(FakeMixer& card) : card_(card) { ++card_.openMixers; }
    ~FakeMixerHandle() override {
        card_.watchers.erase(this);
        --card_.openMixers;
    }
    std::optional<MixerElement> playbackLine() override { return card_.playback; }
    std::optional<MixerElement> captureLine() override { return card_.captureLine; }
    std::vector<MixerElement> captureSources() override { return card_.sources; }
    std::vector<long> volume(const MixerElement& element) override {
        return card_.readable ? card_.volumeOf(element) : std::vector<long>{};
    }
    bool setVolume(const MixerElement& element, int channel, long value) override {
        auto& values = card_.volumeOf(element);
        if (channel < 0 || static_cast<std::size_t>(channel) >= values.size())
            return false;
        values[static_cast<std::size_t>(channel)] = value;
        card_.sets.push_back({FakeMixer::key(element), channel, value});
        return true;
    }
    bool setSwitch(const MixerElement& element, bool on) override {
        card_.switches[FakeMixer::key(element)] = on;
        return true;
    }
    void watch(std::function<void(const std::string&, int)> changed) override {
        if (changed)
            card_.watchers[this] = std::move(changed);
        else
            card_.watchers.erase(this);
    }

  private:
    FakeMixer& card_;
};

} // namespace

std::unique_ptr<Mixer> FakeMixer::openMixer() {
    return present ? std::make_unique<FakeMixerHandle>(*this) : nullptr;
}

std::vector<long>& FakeMixer::volumeOf(const MixerElement& e) {
    auto [it, added] = volumes.try_emplace(key(e));
    if (added)
        it->second.assign(static_cast<std::size_t>(std::max(e.channels, 0)), 20000);
    return it->second;
}

void FakeMixer::changeElsewhere(const MixerElement& e, long value) {
    for (long& v : volumeOf(e))
        v = value;
    for (const auto& [mixer, changed] : watchers)
        changed(e.name, e.index);
}
