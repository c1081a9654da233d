#include "app/CPlayController.h"

#include <strings.h>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/PlayerDisplay.h"
#include "app/ReplayGainLevel.h"
#include "mdb/Group.h"
#include "stream/CNxSSInfo.h"
#include "stream/ErrorText.h"
#include "stream/ResultCodes.h"
#include "tags/ReplayGain.h"

namespace app {

namespace {

bool isCdTrack(const std::string& path) {
    return path.size() >= 4 && strcasecmp(path.c_str() + path.size() - 4, ".cda") == 0;
}

// The list index of a recording-list CD track, from its "D:\Track5.cda" name.
int32_t cdTrackIndex(const std::string& path) {
    char drive = 0;
    int track = 0;
    if (std::sscanf(path.c_str(), "%c:\\Track%d.cda", &drive, &track) != 2) {
        return -1;
    }
    return track - 1;
}

std::string cdTrackPath(const std::string& drive, int32_t track) {
    return drive + "\\Track" + std::to_string(track) + ".cda";
}

int32_t clampVolume(int32_t volume) {
    return std::clamp(volume, 0, CPlayController::kMaxVolume);
}

}  // namespace

CPlayController::CPlayController(ChainFactory chains, PlayerSettings& settings, PlayerView& view,
                                 ShuffleRandom& random, platform::MessageTarget& window)
    : chains_(std::move(chains)),
      settings_(settings),
      view_(view),
      random_(random),
      window_(window),
      volume_(clampVolume(settings.read(settings::kVolume) * 100)),
      shuffle_(settings.read(settings::kShuffleMode) != 0),
      repeat_(std::clamp(settings.read(settings::kRepeatMode), 0, 2)) {}

CPlayController::~CPlayController() {
    settings_.write(settings::kVolume, volume_ / 100);
    settings_.write(settings::kShuffleMode, shuffle_ ? 1 : 0);
    settings_.write(settings::kRepeatMode, repeat_);
    gapChain_ = {};
    ReplaceChain({});
    if (sourceList_) {
        sourceList_->removeListener(this);
    }
}

void CPlayController::SetPanels(PlayerListPanel* listPanel, PlayerRecordingPanel* recordingPanel) {
    listPanel_ = listPanel;
    recordingPanel_ = recordingPanel;
}

int32_t CPlayController::Count() const {
    if (sourceKind_ == kRecordingKind) {
        return recordingPanel_ ? recordingPanel_->Count() : 0;
    }
    return sourceList_ ? static_cast<int32_t>(sourceList_->count()) : -1;
}

CPlayController::Item CPlayController::ItemAt(int32_t index) const {
    if (sourceKind_ == kRecordingKind) {
        const PlayerRecordingPanel::Entry entry = recordingPanel_->EntryAt(index);
        const bool cd = entry.track > 0;
        return {cd ? cdTrackPath(recordingPanel_->DriveText(), entry.track) : entry.path,
                entry.title,
                cd ? recordingPanel_->DiscArtist() : entry.artist,
                entry.lengthSeconds * 1000,
                {},
                entry.track};
    }
    const mdb::MusicInfo info = sourceList_->itemAt(static_cast<size_t>(index))->getInfo();
    return {info.path,   info.title,
            info.artist, static_cast<int32_t>(info.playTime),
            info.album,  static_cast<int32_t>(info.track)};
}

std::optional<CPlayController::Item> CPlayController::CurrentItem() const {
    if (currentIndex_ < 0 || currentIndex_ >= Count()) {
        return std::nullopt;
    }
    return ItemAt(currentIndex_);
}

// --- Transport

uint32_t CPlayController::Play() {
    return PlayFrom(0);
}

uint32_t CPlayController::PlayFrom(int32_t ms) {
    CancelGap();
    gapTenths_ = settings_.read(settings::kInsertBlank) ? settings_.read(settings::kBlankTime) : 0;
    if (isCdTrack(currentPath_) && recordingPanel_ && recordingPanel_->IsRecording()) {
        return nxss::kCdWhileRecording;
    }
    if (!chain_) {
        if (currentPath_.empty()) {
            return 0;
        }
        if (const uint32_t rc = OpenChain()) {
            return rc;
        }
    }
    return ms > 0 ? chain_->StartAt(ms) : chain_->Start();
}

// Builds the chain for the current item and shows what it plays.
uint32_t CPlayController::OpenChain() {
    uint32_t rc = 0;
    ReplaceChain(MakeChain(currentPath_, chainSender_, rc));
    if (!chain_) {
        return rc;
    }
    ApplyEqualizer();
    chain_->SetGain(LevelOf(currentPath_));
    if (shuffle_ && reorderPending_) {
        RebuildOrder(true);
        reorderPending_ = false;
    }
    ShowFormatOf(chain_->Source());
    return 0;
}

void CPlayController::ShowFormatOf(CNxSSComponent* source) {
    platform::WaveFormat format;
    int32_t kbps = 0;
    bool variable = false;
    if (source) {
        source->GetFormat(format);
        kbps = static_cast<int32_t>(int64_t{format.avgBytesPerSec()} * 8 / 1000);
        // A compressed file's own rate tells more than the PCM it decodes to.
        NxRef<CNxSSInfo> info;
        if (source->GetInfo(info) == 0 && info && info->GetBitrate() > 0) {
            kbps = info->GetBitrate() / 1000;
            variable = info->GetVbr() != 0;
        }
    }
    view_.ShowFormat(chain_->GetLength(), format, kbps, variable);
}

// A chain that plays `name`, posting with its own sender number so that
// late notifications of a chain that is gone are told apart.
NxRef<CNxSSManager> CPlayController::MakeChain(const std::string& name, intptr_t& sender,
                                               uint32_t& rc) {
    NxRef<CNxSSManager> chain = chains_();
    rc = chain->CreateChainFor(name, "");
    if (rc != 0) {
        return {};
    }
    sender = ++lastSender_;
    chain->Advise(&window_, kNotifyMessage, sender);
    chain->SetVolume(static_cast<uint32_t>(volume_));
    return chain;
}

uint32_t CPlayController::Stop() {
    CancelGap();
    CancelFollowOn();
    return chain_ ? chain_->Stop() : 0;
}

uint32_t CPlayController::Pause() {
    return chain_ ? chain_->Pause() : 0;
}

uint32_t CPlayController::Seek(int32_t ms) {
    return chain_ ? chain_->Seek(ms) : 0;
}

uint32_t CPlayController::Select(int32_t index) {
    if (index < 0 || index >= Count()) {
        return nxss::kFail;
    }
    const Item item = ItemAt(index);
    if (item.path == currentPath_ && index == currentIndex_) {
        return 0;
    }
    if (chain_) {
        ReplaceChain({});
        if (listPanel_) {
            listPanel_->ShowOpenPath("");
        }
    }
    MakeCurrent(index, item);
    return 0;
}

void CPlayController::MakeCurrent(int32_t index, const Item& item) {
    currentIndex_ = index;
    currentPath_ = item.path;
    if (listPanel_) {
        listPanel_->ShowOpenPath(currentPath_);
    }
    ShowTitleOf(item, index);
    TellPlaying(index);
}

// The current item's position in the shuffle order; one not in it counts
// as the first. An order that no longer fits the list is made anew first.
int32_t CPlayController::ShuffledPosition() {
    if (order_.Size() != Count()) {
        RebuildOrder(false);
    }
    const int32_t position = order_.PositionOf(currentIndex_);
    return position >= Count() ? 0 : position;
}

uint32_t CPlayController::Next() {
    const int32_t count = Count();
    if (count < 1) {
        return 0;
    }
    int32_t index = currentIndex_ + 1 >= count ? 0 : currentIndex_ + 1;
    if (shuffle_) {
        int32_t position = ShuffledPosition() + 1;
        if (position >= count) {
            RebuildOrder(false);
            position = 0;
        }
        index = order_.At(position);
    }
    return Select(index);
}

uint32_t CPlayController::Previous() {
    const int32_t count = Count();
    if (count < 1) {
        return 0;
    }
    int32_t index = currentIndex_ - 1 < 0 ? count - 1 : currentIndex_ - 1;
    if (shuffle_) {
        int32_t position = ShuffledPosition() - 1;
        if (position < 0) {
            RebuildOrder(false);
            position = count - 1;
        }
        index = order_.At(position);
    }
    return Select(index);
}

uint32_t CPlayController::PressPrevious() {
    const bool resting = GetStatus() == 0 && !gapPending_;
    const uint32_t rc = Previous();
    return resting || nxss::failed(rc) ? rc : Play();
}

uint32_t CPlayController::PressNext() {
    const bool resting = GetStatus() == 0 && !gapPending_;
    const uint32_t rc = Next();
    return resting || nxss::failed(rc) ? rc : Play();
}

bool CPlayController::AtLastItem() const {
    const int32_t last = Count() - 1;
    return shuffle_ ? order_.PositionOf(currentIndex_) == last : currentIndex_ == last;
}

// --- Volume, repeat, shuffle, equalizer

void CPlayController::SetVolume(int32_t volume) {
    volume_ = clampVolume(volume);
    for (CNxSSManager* chain : {chain_.get(), gapChain_.get()}) {
        if (chain) {
            chain->SetVolume(static_cast<uint32_t>(volume_));
        }
    }
}

void CPlayController::VolumeUp() {
    SetVolume(volume_ + kVolumeStep);
}

void CPlayController::VolumeDown() {
    SetVolume(volume_ - kVolumeStep);
}

void CPlayController::SetRepeat(int32_t mode) {
    if (mode == -1) {
        repeat_ = (repeat_ + 1) % 3;
    } else if (mode >= kRepeatOff && mode <= kRepeatAll) {
        repeat_ = mode;
    }
    PrepareFollowOn();
}

void CPlayController::ToggleRepeatOne() {
    repeat_ = repeat_ == kRepeatOne ? kRepeatOff : kRepeatOne;
    PrepareFollowOn();
}

void CPlayController::ToggleRepeatAll() {
    repeat_ = repeat_ == kRepeatAll ? kRepeatOff : kRepeatAll;
    PrepareFollowOn();
}

void CPlayController::SetShuffle(bool on) {
    shuffle_ = on;
    reorderPending_ = true;
    if (on) {
        RebuildOrder(true);
    }
    PrepareFollowOn();
}

void CPlayController::SetGapless(bool on) {
    gapless_ = on;
    PrepareFollowOn();
}

void CPlayController::SetEqualizerLevels(const std::array<double, 10>& levels) {
    equalizerLevels_ = levels;
    ApplyEqualizer();
}

void CPlayController::SetEqualizerGain(int32_t gain) {
    equalizerGain_ = gain;
    ApplyEqualizer();
}

void CPlayController::SetEqualizerBypass(bool bypass) {
    equalizerBypass_ = bypass;
    ApplyEqualizer();
}

void CPlayController::ApplyEqualizer() {
    if (!chain_) {
        return;
    }
    CNxSSManager::Equalizer equalizer;
    std::transform(equalizerLevels_.begin(), equalizerLevels_.end(), equalizer.bandsDb.begin(),
                   [](double level) { return static_cast<int32_t>(std::lround(level)); });
    equalizer.enabled = !equalizerBypass_;
    equalizer.extra = equalizerGain_;
    chain_->SetEqualizer(equalizer);
}

// --- State of the chain

int32_t CPlayController::GetLength() {
    return chain_ ? chain_->GetLength() : 0;
}

int32_t CPlayController::GetPosition() {
    return chain_ ? chain_->GetPosition() : 0;
}

int32_t CPlayController::GetStatus() {
    return chain_ ? chain_->GetStatus() : 0;
}

uint32_t CPlayController::CopyPlayingData(void* buffer, uint32_t frames) {
    std::lock_guard lock(lock_);
    return chain_ ? chain_->CopyPlayingData(buffer, frames) : 0;
}

uint32_t CPlayController::GetOutputFormat(platform::WaveFormat& format) {
    std::lock_guard lock(lock_);
    return chain_ ? chain_->GetOutputFormat(format) : 0;
}

// The chain changes under the lock, so that the spectrum display's thread
// never meets one half destroyed. Everything else runs on the owner's
// thread and reads the chain without it; the lock is never held while the
// database is asked, whose lock its events are delivered under.
void CPlayController::ReplaceChain(NxRef<CNxSSManager> chain) {
    std::lock_guard lock(lock_);
    chain_ = std::move(chain);
    // Only after the renderer, which reads their sources, is gone.
    fedChain_ = {};
    followOn_ = {};
}

bool CPlayController::ChainStopped() {
    return GetStatus() == CNxSSComponent::kStopped;
}

bool CPlayController::ChainRunning() {
    return chain_ && !ChainStopped();
}

// --- Notifications

CPlayController::Sender CPlayController::SenderOf(intptr_t sender) const {
    if (chain_ && sender == chainSender_) {
        return Sender::Item;
    }
    return gapChain_ && sender == gapSender_ ? Sender::Gap : Sender::Gone;
}

void CPlayController::OnMessage(uintptr_t code, intptr_t sender) {
    switch (SenderOf(sender)) {
        case Sender::Item:
            OnNotify(static_cast<uint32_t>(code));
            break;
        case Sender::Gap:
            OnGapNotify(static_cast<uint32_t>(code));
            break;
        case Sender::Gone:
            break;  // a chain closed since: what it says is over
    }
}

void CPlayController::OnNotify(uint32_t code) {
    switch (code) {
        case nxss::kFinished:
            OnFinished();
            break;
        case nxss::kFollowed:
            OnFollowed();
            break;
        case nxss::kStarted:
            CancelFollowOn();
            PrepareFollowOn();
            view_.ShowPlayButton(true);
            if (sourceKind_ == kRecordingKind && recordingPanel_) {
                recordingPanel_->PlaybackChanged();
            }
            break;
        case nxss::kStopped:
            if (Count() <= 0) {
                Reset();
            }
            EndOfPlay();
            break;
        case nxss::kPauseChanged:
            view_.RedrawPlayButton();
            break;
        default:
            ShowError(code);
            if (ChainStopped()) {
                view_.ShowPlayButton(false);
            }
            break;
    }
}

// The end of an item: on to the next by the repeat and shuffle rules, at
// once or after the gap.
void CPlayController::OnFinished() {
    CancelFollowOn();
    if (Count() <= 0) {
        Reset();
    } else if (gapTenths_ == 0 || (AtLastItem() && repeat_ == kRepeatOff)) {
        if (AdvanceGoesOn()) {
            return;
        }
    } else {
        StartGap();
    }
    EndOfPlay();
}

// Advances; false when nothing plays afterwards (the end, or a failure,
// which is shown).
bool CPlayController::AdvanceGoesOn() {
    const uint32_t rc = Advance();
    if (nxss::failed(rc)) {
        ShowError(rc);
        return false;
    }
    return rc != nxss::kStoppedAtEnd;
}

uint32_t CPlayController::Advance() {
    if (repeat_ == kRepeatOne) {
        return Play();
    }
    if (repeat_ == kRepeatOff && AtLastItem()) {
        Stop();
        return nxss::kStoppedAtEnd;
    }
    return nxss::failed(Next()) ? nxss::kFail : Play();
}

// A stopped chain releases the Play button and lets the player follow the
// active panel again.
void CPlayController::EndOfPlay() {
    if (!ChainStopped()) {
        return;
    }
    view_.ShowPlayButton(false);
    if (sourceKind_ == kRecordingKind && recordingPanel_) {
        recordingPanel_->PlaybackChanged();
    }
    FollowActivePanel();
}

void CPlayController::ShowError(uint32_t code) {
    view_.ShowMessage(code, GetErrorText(code));
}

// The gap is played as silence, so that every output, a file included,
// holds it to the sample; its end is that chain's Finished.
void CPlayController::StartGap() {
    uint32_t rc = 0;
    gapChain_ = MakeChain("::SLNC" + std::to_string(gapTenths_ * 100), gapSender_, rc);
    if (!gapChain_ || nxss::failed(rc = gapChain_->Start())) {
        gapChain_ = {};
        ShowError(rc);
        return;
    }
    gapPending_ = true;
    view_.ShowBlankBanner(true);
}

void CPlayController::CancelGap() {
    if (!gapPending_) {
        return;
    }
    gapChain_ = {};
    gapPending_ = false;
    view_.ShowBlankBanner(false);
}

void CPlayController::OnGapNotify(uint32_t code) {
    if (code != nxss::kFinished && !nxss::failed(code)) {
        return;
    }
    CancelGap();
    if (nxss::failed(code)) {
        ShowError(code);
    } else if (AdvanceGoesOn()) {
        return;
    }
    EndOfPlay();
}

// --- Gapless hand-over

// The item Advance() would play next without drawing a new shuffle order.
std::optional<int32_t> CPlayController::FollowingIndex() const {
    const int32_t count = Count();
    if (count < 1 || currentIndex_ < 0 || currentIndex_ >= count) {
        return std::nullopt;
    }
    if (repeat_ == kRepeatOne) {
        return currentIndex_;
    }
    if (repeat_ == kRepeatOff && AtLastItem()) {
        return std::nullopt;
    }
    if (!shuffle_) {
        return currentIndex_ + 1 >= count ? 0 : currentIndex_ + 1;
    }
    const int32_t position = order_.PositionOf(currentIndex_) + 1;
    if (order_.Size() != count || position >= count) {
        return std::nullopt;
    }
    return order_.At(position);
}

// The loudness level of an item's samples by the ReplayGain setting; with
// the setting off, its tags are not read at all.
float CPlayController::LevelOf(const std::string& path) {
    const ReplayGainMode mode = replayGainModeOf(settings_.read(settings::kReplayGain));
    if (mode == ReplayGainMode::Off) {
        return 1.0f;
    }
    const double preampDb = replayGainPreampOf(settings_.read(settings::kReplayGainPreamp)) / 10.0;
    return replayGainFactor(tags::readReplayGain(path), mode, preampDb);
}

// Opens the next item's source ahead, when items follow without a gap, so
// the renderer plays on into it. Where that cannot be (another format, a
// file that does not open), the item plays the usual way after the end.
void CPlayController::PrepareFollowOn() {
    const auto index =
        gapless_ && ChainRunning() && gapTenths_ == 0 ? FollowingIndex() : std::nullopt;
    if (!index) {
        CancelFollowOn();
        return;
    }
    const Item item = ItemAt(*index);
    if ((followOn_.chain && followOn_.index == *index && followOn_.path == item.path) ||
        !CancelFollowOn() ||
        (isCdTrack(item.path) && recordingPanel_ && recordingPanel_->IsRecording())) {
        return;
    }
    NxRef<CNxSSManager> next = chains_();
    if (next->CreateChain(item.path, "", CNxSSManager::kSinkNone) == 0 &&
        chain_->Follow(*next, LevelOf(item.path)) == 0) {
        followOn_ = {std::move(next), *index, item.path};
    }
}

// False while the renderer reads the follow-on already: it is heard next
// whatever has changed since.
bool CPlayController::CancelFollowOn() {
    if (!followOn_.chain) {
        return true;
    }
    if (chain_ && !chain_->Unfollow()) {
        return false;
    }
    followOn_ = {};
    return true;
}

// The follow-on is heard: it is the current item now, and the chain heard
// before it is read no more.
void CPlayController::OnFollowed() {
    if (!followOn_.chain) {
        return;
    }
    FollowOn heard = std::move(followOn_);
    followOn_ = {};
    fedChain_ = std::move(heard.chain);
    if (listPanel_) {
        listPanel_->ShowOpenPath("");
    }
    const Item item = heard.index < Count() ? ItemAt(heard.index) : Item{};
    if (item.path == heard.path) {
        MakeCurrent(heard.index, item);
    } else {
        currentPath_ = heard.path;  // the list changed meanwhile
        FindCurrentAgain();
    }
    ShowFormatOf(fedChain_->Source());
    PrepareFollowOn();
}

// --- Title

void CPlayController::ShowTitleOf(const Item& item, int32_t index) {
    titleText_ = display::titleText(item.title, item.artist, item.path);
    view_.ShowTitle(titleText_, item.playTimeMs, display::captionText(index, titleText_));
}

void CPlayController::ShowNoTitle() {
    titleText_.clear();
    view_.ShowTitle(titleText_, 0, display::captionText(-1, titleText_));
}

// The list/edit panel's message 0x408; the recording list marks its own.
void CPlayController::TellPlaying(int32_t index) {
    if (listPanel_ && sourceKind_ != kRecordingKind) {
        listPanel_->ShowPlaying(sourceList_, index);
    }
}

// --- The source list

void CPlayController::Reset() {
    order_.Clear();
    if (!ChainRunning()) {
        currentPath_.clear();
        ShowNoTitle();
        followedKind_ = 0;
    }
    TellPlaying(-1);
    currentIndex_ = -1;
}

void CPlayController::Attach(int32_t kind, mdb::Group* list) {
    sourceKind_ = kind;
    sourceList_ = list;
    RebuildOrder(true);
    reorderPending_ = true;
    if (!list) {
        Reset();
    } else {
        list->addListener(this);
    }
}

void CPlayController::LetGoOfList() {
    if (sourceList_) {
        TellPlaying(-1);
        sourceList_->removeListener(this);
        sourceList_ = nullptr;
    }
}

void CPlayController::FindCurrentAgain() {
    currentIndex_ = -1;
    const int32_t count = Count();
    if (sourceKind_ == kRecordingKind && isCdTrack(currentPath_)) {
        const int32_t index = cdTrackIndex(currentPath_);
        currentIndex_ = index >= 0 && index < count ? index : -1;
    } else if (sourceList_ && !currentPath_.empty()) {
        // The path alone: a whole item per row would hold the UI thread
        // for 100 ms in a library of 100 000 on every sort or added batch.
        for (int32_t i = 0; i < count && currentIndex_ < 0; ++i) {
            currentIndex_ = sourceList_->itemAt(size_t(i))->getPath() == currentPath_ ? i : -1;
        }
    }
    TellPlaying(currentIndex_);
}

void CPlayController::RebuildOrder(bool pinCurrent) {
    order_.Rebuild(Count(), currentIndex_, pinCurrent, random_);
}

void CPlayController::OnListEvent(int32_t event) {
    switch (static_cast<mdb::ChangeKind>(event)) {
        case mdb::ChangeKind::Added:
        case mdb::ChangeKind::Removed:
            if (Count() <= 0) {
                Reset();
            } else {
                RebuildOrder(false);
                FindCurrentAgain();
            }
            break;
        case mdb::ChangeKind::ItemChanged:
            if (currentIndex_ >= 0 && currentIndex_ < Count()) {
                const Item item = ItemAt(currentIndex_);
                if (display::titleText(item.title, item.artist, item.path) != titleText_) {
                    ShowTitleOf(item, currentIndex_);
                }
            }
            break;
        case mdb::ChangeKind::Moved:
        case mdb::ChangeKind::Sorted:
            FindCurrentAgain();
            break;
        case mdb::ChangeKind::Destroyed:
            sourceList_ = nullptr;  // it is going; nothing to unregister from
            Reset();
            break;
        default:
            break;
    }
    PrepareFollowOn();  // the next item may be another now
}

void CPlayController::onChange(const mdb::ChangeEvent& event) {
    if (sourceList_ && event.source == sourceList_) {
        OnListEvent(static_cast<int32_t>(event.kind));
    }
}

// --- Following the panels

void CPlayController::FollowListPanel(bool force) {
    if (!listPanel_) {
        return;
    }
    const int32_t kind = listPanel_->ViewKind();
    followedKind_ = kind;
    if (!force &&
        (ChainRunning() || gapPending_ || settings_.read(settings::kControlActive) != 0)) {
        return;
    }
    mdb::Group* list = listPanel_->CurrentList();
    if (list != sourceList_ || sourceKind_ == kRecordingKind) {
        LetGoOfList();
        discIdentity_ = -1;
        Reset();
        Attach(kind, list);
        currentPath_.clear();
        followedKind_ = kind;  // the reset forgot it
    }
    if (Count() > 0) {
        Select(listPanel_->SelectedIndex());
    }
}

void CPlayController::FollowRecordingPanel(bool force) {
    if (!recordingPanel_) {
        return;
    }
    followedKind_ = kRecordingKind;
    if (!force &&
        (ChainRunning() || gapPending_ || settings_.read(settings::kControlActive) != 1)) {
        return;
    }
    LetGoOfList();
    const int32_t disc = recordingPanel_->DiscIdentity();
    if (disc != discIdentity_ || sourceKind_ != kRecordingKind) {
        Reset();
        sourceKind_ = kRecordingKind;
        RebuildOrder(true);
        reorderPending_ = true;
        if (Count() <= 0) {
            Reset();
        }
        discIdentity_ = disc;
        currentPath_.clear();
        followedKind_ = kRecordingKind;  // the reset forgot it
    }
    if (Count() > 0) {
        const bool recorded = !force && recordingPanel_->IsRecording();
        Select(recorded ? recordingPanel_->RecordingTrack() : recordingPanel_->SelectedTrack());
    }
}

void CPlayController::FollowActivePanel() {
    if (followedKind_ != kRecordingKind) {
        FollowListPanel(false);
    } else {
        FollowRecordingPanel(false);
    }
}

}  // namespace app
