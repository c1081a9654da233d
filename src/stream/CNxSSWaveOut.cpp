#include "stream/CNxSSWaveOut.h"

#include "dsp/PcmGain.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "stream/CNxSSException.h"
#include "stream/CNxSSManager.h"
#include "stream/CNxSSPin.h"
#include "stream/RegistryFunctions.h"
#include "stream/ResultCodes.h"

namespace {

constexpr std::string_view kSubkey = "DoZIrodiz\\WaveOut";
constexpr int kBusyRetries = 5;
constexpr int kBusyPauseMs = 1000;

uint32_t clampOrDefault(uint32_t value, uint32_t low, uint32_t high, uint32_t fallback) {
    return (value >= low && value <= high) ? value : fallback;
}

uint32_t toDeviceVolume(uint32_t volume) {
    const auto level = static_cast<uint32_t>(volume * 6.5535) & 0xFFFF;
    return (level << 16) | level;
}

uint32_t fromDeviceVolume(uint32_t leftRight) {
    return static_cast<uint32_t>((leftRight & 0xFFFF) * 0.15259021896696423);
}

void sleepFor(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace

CNxSSWaveOut::Config CNxSSWaveOut::Config::FromRegistry() {
    Config c;
    c.blocks = clampOrDefault(nxss::ReadDword(kSubkey, "Blocks", 5), 3, 20, 5);
    c.blockTenths = clampOrDefault(nxss::ReadDword(kSubkey, "BlockSize", 5), 1, 10, 5);
    c.deviceId = static_cast<int32_t>(nxss::ReadDword(kSubkey, "DeviceID", 0xFFFFFFFF));
    return c;
}

CNxSSWaveOut::CNxSSWaveOut(CNxSSObject* parent, std::shared_ptr<platform::WaveOutDriver> driver,
                           Config config, SleepFn sleep)
    : CNxSSActiveComponent(parent),
      driver_(std::move(driver)),
      config_(config),
      sleep_(sleep ? std::move(sleep) : SleepFn(sleepFor)) {
    SetTag("WAVEOUT ");
    platform::WaveOutCaps caps;
    if (driver_->getDevCaps(config_.deviceId, caps) == platform::kMmNoError &&
        (caps.volume || caps.lrVolume)) {
        volumeSupported_ = true;
        lrVolumeSupported_ = caps.lrVolume;
        uint32_t leftRight = 0;
        if (driver_->getVolume(config_.deviceId, leftRight) == platform::kMmNoError) {
            volume_ = fromDeviceVolume(leftRight);
        }
    }
    StartThread(kPriorityHighest);
}

CNxSSWaveOut::~CNxSSWaveOut() {
    StopThread();
}

size_t CNxSSWaveOut::BlockCount() const {
    std::lock_guard lock(deviceMutex_);
    return blocks_.size();
}

int32_t CNxSSWaveOut::GetLength() {
    std::lock_guard lock(deviceMutex_);
    return handover_ ? handover_->previousEndMs : CNxSSActiveComponent::GetLength();
}

// What is read ahead is not heard yet: the position is the source's less
// the time of the bytes the device has not played. Before a follow-on is
// heard, it counts back from the end of the source before it.
int32_t CNxSSWaveOut::GetPosition() {
    std::lock_guard lock(deviceMutex_);
    if (!InputPin()) {
        return 0;
    }
    int64_t position = InputPin()->GetPosition();
    uint32_t heard = bytesRead_;
    const int64_t bytesPerSecond = format_.avgBytesPerSec();
    uint32_t played = 0;
    if (bytesPerSecond > 0 && PlayedBytes(played)) {
        heard = played;
    }
    uint32_t end = bytesRead_;
    if (handover_ && heard < handover_->at) {
        position = handover_->previousEndMs;
        end = handover_->at;
    }
    if (bytesPerSecond > 0) {
        position -= (int64_t{end} - int64_t{heard}) * 1000 / bytesPerSecond;
    }
    return position < 0 ? 0 : static_cast<int32_t>(position);
}

// The device's play position in whole frames.
bool CNxSSWaveOut::PlayedBytes(uint32_t& played) {
    if (!device_ || format_.blockAlign() == 0 ||
        device_->getPosition(played) != platform::kMmNoError) {
        return false;
    }
    played -= played % format_.blockAlign();
    return true;
}

int32_t CNxSSWaveOut::GetStatus() {
    const int32_t state = GetState();
    return state == kRunningAlt ? kRunning : state;
}

bool CNxSSWaveOut::SetVolume(uint32_t volume) {
    std::lock_guard lock(deviceMutex_);
    volume_ = volume;
    if (!volumeSupported_ || !device_) {
        return false;
    }
    device_->setVolume(toDeviceVolume(volume));
    return true;
}

uint32_t CNxSSWaveOut::GetVolume() {
    std::lock_guard lock(deviceMutex_);
    uint32_t leftRight = 0;
    if (volumeSupported_ && device_ && device_->getVolume(leftRight) == platform::kMmNoError) {
        return fromDeviceVolume(leftRight);
    }
    return volume_;
}

bool CNxSSWaveOut::GetOutputFormat(platform::WaveFormat& format) {
    std::lock_guard lock(deviceMutex_);
    format = format_;
    return true;
}

uint32_t CNxSSWaveOut::OnCommand(uint32_t code, int32_t param1, int32_t) {
    switch (code) {
        case kCmdQuit:
            return DoQuit();
        case kCmdStart:
            return DoStart(param1);
        case kCmdStop:
            return DoStop();
        case kCmdPause:
            return DoPause();
        case kCmdSeek:
            return DoSeek(param1);
        case kCmdBlockDone:
            refillPosted_.exchange(false);  // a read-modify-write: sees the blocks done before
            return Refill();
        default:
            return 0;
    }
}

void CNxSSWaveOut::OnCommandFailed() {
    DoStop();
}

// A start from a position rewinds to it rather than to the beginning: a
// seek queued behind the start would let the device play the beginning
// for as long as the worker takes to get to it.
uint32_t CNxSSWaveOut::DoStart(int32_t fromMs) {
    if (GetState() == kPaused) {
        std::lock_guard lock(deviceMutex_);
        Check(device_->restart());
        SetState(kRunning);
        return nxss::kPauseChanged;
    }
    if (GetState() != kStopped) {
        DoStop();
    }
    std::lock_guard lock(deviceMutex_);
    Rewind(fromMs);
    SetState(kRunning);
    if (!OpenDevice()) {
        SetState(kStopped);
        return 0;
    }
    if (const uint32_t finished = Refill()) {
        Notify(nxss::kStarted);  // an empty source still starts, then ends
        return finished;
    }
    Check(device_->restart());
    return nxss::kStarted;
}

uint32_t CNxSSWaveOut::DoStop() {
    const int32_t state = GetState();
    if (state != kRunning && state != kPaused && state != kRunningAlt) {
        return 0;
    }
    std::lock_guard lock(deviceMutex_);
    DropFollowOn();
    CloseDevice();
    SetState(kStopped);
    Rewind();
    return nxss::kStopped;
}

uint32_t CNxSSWaveOut::DoPause() {
    std::lock_guard lock(deviceMutex_);
    switch (GetState()) {
        case kRunning:
            Check(device_->pause());
            SetState(kPaused);
            return nxss::kPauseChanged;
        case kPaused:
            Check(device_->restart());
            SetState(kRunning);
            return nxss::kPauseChanged;
        default:
            return 0;
    }
}

uint32_t CNxSSWaveOut::DoSeek(int32_t ms) {
    std::lock_guard lock(deviceMutex_);
    const int32_t before = GetState();
    if (before != kRunning && before != kPaused) {
        if (InputPin()) {
            InputPin()->SetPosition(ms);
        }
        return 0;
    }
    Check(device_->reset());
    UndoHandover();
    DropBlocks();
    const int32_t length = InputPin()->GetLength();
    InputPin()->SetPosition(ms < 0 ? 0 : (ms > length ? length : ms));
    SetState(kRunning);
    if (const uint32_t finished = Refill()) {
        return finished;
    }
    Check(device_->restart());
    return before == kPaused ? nxss::kPauseChanged : 0;
}

uint32_t CNxSSWaveOut::DoQuit() {
    const int32_t state = GetState();
    const uint32_t result = (state == kRunning || state == kPaused) ? nxss::kStopped : 0;
    std::lock_guard lock(deviceMutex_);
    CloseDevice();
    return result;
}

// Gets the format from upstream, builds the blocks and opens the device
// paused. False without an input.
bool CNxSSWaveOut::OpenDevice() {
    CloseDevice();
    if (!InputPin()) {
        return false;
    }
    InputPin()->GetFormat(format_);
    equalizer_.Configure(format_);
    AllocateBlocks();
    DropBlocks();
    OpenWithRetries();
    SetVolume(volume_);
    for (auto& piece : pieces_) {
        Check(device_->prepareHeader(piece->header));
        piece->header.flags |= platform::WaveHeader::kDone;
    }
    Check(device_->pause());
    return true;
}

void CNxSSWaveOut::AllocateBlocks() {
    const uint32_t frames = config_.blockTenths * format_.samplesPerSec() / 10;
    for (uint32_t i = 0; i < config_.blocks; ++i) {
        auto block = std::make_unique<Block>();
        block->packet = Manager() ? Manager()->CreatePacket(this) : MakeNx<CNxSSPacket>(this);
        block->packet->Allocate(format_, frames);
        blocks_.push_back(std::move(block));
    }
    for (size_t i = 0; i < kPiecesAhead; ++i) {
        pieces_.push_back(std::make_unique<Piece>());
    }
}

void CNxSSWaveOut::OpenWithRetries() {
    refillPosted_ = false;
    // A device hands blocks back in batches, one callback each: one refill
    // takes back every block done before it starts, so while one is
    // posted the others post nothing and do not wake the worker again.
    auto onDone = [this] {
        if (refillPosted_.exchange(true)) {
            return;
        }
        try {
            PostCommand(kCmdBlockDone, 0, 0, false);
        } catch (const CNxSSException&) {
            // The thread is gone: nobody is left to refill.
        }
    };
    for (int attempt = 0;; ++attempt) {
        const auto result = driver_->open(config_.deviceId, format_, onDone, device_);
        if (result == platform::kMmNoError) {
            return;
        }
        if (result != platform::kMmAllocated) {
            throw CNxSSException(nxss::waveOutError(result));
        }
        if (attempt == kBusyRetries) {
            throw CNxSSException(nxss::kWaveOutBusy);
        }
        sleep_(kBusyPauseMs);
    }
}

void CNxSSWaveOut::CloseDevice() {
    if (device_) {
        device_->reset();
    }
    for (auto& piece : pieces_) {
        if (device_ && piece->header.prepared()) {
            device_->unprepareHeader(piece->header);
        }
    }
    for (auto it = blocks_.rbegin(); it != blocks_.rend(); ++it) {
        (*it)->packet->SetParent(nullptr);
    }
    pieces_.clear();
    filled_.clear();
    blocks_.clear();
    device_.reset();
}

// Tops the device up with pieces, then reads the source into the blocks
// that have been heard; at the end of the stream reports Finished once the
// last piece has come back.
uint32_t CNxSSWaveOut::Refill() {
    std::lock_guard lock(deviceMutex_);
    if (!device_ || !InputPin()) {
        return 0;
    }
    TakeEqualizerSettings();
    ReclaimPieces();
    CheckHeard();
    FreePlayedBlocks();
    SendPieces();
    ReadBlocks();
    SendPieces();
    return endOfStream_ && AllPlayed() ? FinishStream() : 0;
}

void CNxSSWaveOut::ReclaimPieces() {
    for (auto& piece : pieces_) {
        if (piece->block && piece->header.done()) {
            --piece->block->inFlight;
            piece->block = nullptr;
        }
    }
}

// A block is read again only once it has been heard and no tap holds it.
void CNxSSWaveOut::FreePlayedBlocks() {
    while (!filled_.empty()) {
        Block& block = *filled_.front();
        if (block.sent < block.length || block.inFlight > 0 || block.inUse) {
            return;
        }
        block.length = 0;
        filled_.pop_front();
    }
}

// Filters each piece as it is handed over, so the settings taken up above
// are heard after what the device already holds.
void CNxSSWaveOut::SendPieces() {
    const uint32_t pieceBytes =
        std::max<uint32_t>(1, format_.samplesPerSec() * kPieceMs / 1000) * format_.blockAlign();
    auto next = filled_.begin();
    for (auto& piece : pieces_) {
        if (piece->block) {
            continue;
        }
        while (next != filled_.end() && (*next)->sent == (*next)->length) {
            ++next;
        }
        if (next == filled_.end()) {
            return;
        }
        Block& block = **next;
        const uint32_t bytes = std::min(pieceBytes, block.length - block.sent);
        uint8_t* data = block.packet->Data() + block.sent;
        dsp::applyGain(format_, {data, bytes}, block.gain);
        equalizer_.Process({data, bytes});
        piece->header.data = data;
        piece->header.bufferLength = bytes;
        piece->header.flags &= ~platform::WaveHeader::kDone;
        Check(device_->write(piece->header));
        piece->block = &block;
        ++block.inFlight;
        block.sent += bytes;
    }
}

void CNxSSWaveOut::ReadBlocks() {
    for (auto& block : blocks_) {
        if (endOfStream_) {
            return;
        }
        if (block->length > 0) {
            continue;
        }
        CNxSSPacket& packet = *block->packet;
        InputPin()->Read(packet);
        if (packet.EndOfStream() && TakeFollowOn()) {
            InputPin()->Read(packet);
        }
        if (packet.EndOfStream() || packet.Bytes() == 0) {
            endOfStream_ = packet.EndOfStream();
            continue;
        }
        block->start = bytesRead_;
        block->length = packet.Bytes();
        block->sent = 0;
        block->gain = gain_;
        packet.SetStreamOffset(bytesRead_);
        bytesRead_ += block->length;
        filled_.push_back(block.get());
    }
}

bool CNxSSWaveOut::AllPlayed() const {
    return std::all_of(filled_.begin(), filled_.end(),
                       [](const Block* b) { return b->sent == b->length && b->inFlight == 0; });
}

// Forgets what was read ahead (the device has been reset).
void CNxSSWaveOut::DropBlocks() {
    for (auto& piece : pieces_) {
        piece->block = nullptr;
    }
    for (auto& block : blocks_) {
        block->length = block->sent = block->inFlight = 0;
    }
    filled_.clear();
    endOfStream_ = false;
    bytesRead_ = 0;
}

void CNxSSWaveOut::SetEqualizer(const dsp::EqualizerSettings& settings) {
    std::lock_guard lock(settingsMutex_);
    newSettings_ = settings;
}

void CNxSSWaveOut::TakeEqualizerSettings() {
    std::optional<dsp::EqualizerSettings> settings;
    {
        std::lock_guard lock(settingsMutex_);
        settings.swap(newSettings_);
    }
    if (settings) {
        equalizer_.SetSettings(*settings);
    }
}

uint32_t CNxSSWaveOut::FinishStream() {
    DropFollowOn();
    CloseDevice();
    SetState(kStopped);
    Rewind();
    return nxss::kFinished;
}

void CNxSSWaveOut::SetGain(float factor) {
    std::lock_guard lock(deviceMutex_);
    gain_ = factor;
}

bool CNxSSWaveOut::Follow(NxRef<CNxSSComponent> next, float gain) {
    std::lock_guard lock(deviceMutex_);
    const int32_t state = GetState();
    platform::WaveFormat format;
    if (!next || !device_ || (state != kRunning && state != kPaused) || !next->GetFormat(format) ||
        !(format == format_)) {
        return false;
    }
    NxRef<CNxSSOutputPin> pin = next->CreateOutputPin();
    if (!pin) {
        return false;
    }
    if (followOn_) {
        DropFollowOn();
    }
    followOn_ = FollowOn{std::move(next), std::move(pin), gain};
    // Reading stopped at the end already (a short source): go on at once.
    if (endOfStream_ && TakeFollowOn()) {
        endOfStream_ = false;
        PostCommand(kCmdBlockDone, 0, 0, false);
    }
    return true;
}

bool CNxSSWaveOut::Unfollow() {
    std::lock_guard lock(deviceMutex_);
    if (!followOn_) {
        return !handover_;
    }
    DropFollowOn();
    return true;
}

void CNxSSWaveOut::DropFollowOn() {
    UndoHandover();
    if (followOn_) {
        followOn_->pin.reset();
        followOn_.reset();
    }
}

// Moves the input from the source that ended to the follow-on; one
// follow-on at a time, so a handover waits until the one before is heard.
bool CNxSSWaveOut::TakeFollowOn() {
    if (!followOn_ || handover_ || !InputPin() || !InputPin()->GetPeer()) {
        return false;
    }
    CNxSSPin* const previousPin = InputPin()->GetPeer();
    handover_ = Handover{bytesRead_, previousPin, NxRef<CNxSSComponent>(previousPin->Owner()),
                         gain_, InputPin()->GetPosition()};
    InputPin()->Disconnect();
    followOn_->pin->Connect(InputPin());
    InputPin()->SetState(GetState());
    gain_ = followOn_->gain;
    followOn_.reset();
    return true;
}

// A seek or stop before the follow-on is heard concerns the source before:
// the input goes back to it, and the follow-on waits from its beginning.
void CNxSSWaveOut::UndoHandover() {
    if (!handover_) {
        return;
    }
    CNxSSPin* const pin = InputPin()->GetPeer();
    NxRef<CNxSSComponent> next(pin->Owner());
    next->SetPosition(0);
    InputPin()->Disconnect();
    handover_->previousPin->Connect(InputPin());
    followOn_ = FollowOn{next, NxRef<CNxSSOutputPin>(static_cast<CNxSSOutputPin*>(pin)), gain_};
    gain_ = handover_->previousGain;
    handover_.reset();
}

// Once the device plays the follow-on's first byte, the source before is
// done with.
void CNxSSWaveOut::CheckHeard() {
    uint32_t played = 0;
    if (!handover_ || !PlayedBytes(played) || played < handover_->at) {
        return;
    }
    handover_->previous->SetState(kStopped);
    handover_.reset();
    Notify(nxss::kFollowed);
}

void CNxSSWaveOut::Rewind(int32_t toMs) {
    if (!InputPin()) {
        return;
    }
    const int32_t length = toMs > 0 ? InputPin()->GetLength() : 0;
    InputPin()->SetPosition(toMs < 0 ? 0 : (toMs > length ? length : toMs));
}

void CNxSSWaveOut::Check(platform::MmResult result) const {
    if (result != platform::kMmNoError) {
        throw CNxSSException(nxss::waveOutError(result));
    }
}

// The block being heard and the offset of `frames` frames at the play
// position inside it (moved back so they fit in what has been sent).
CNxSSWaveOut::Block* CNxSSWaveOut::PlayingBlock(uint32_t frames, uint32_t& offset) {
    uint32_t position = 0;
    if (!InputPin() || GetState() != kRunning || !device_ ||
        device_->getPosition(position) != platform::kMmNoError) {
        return nullptr;
    }
    const uint32_t align = format_.blockAlign();
    const uint32_t wanted = align * frames;
    position -= position % align;
    for (Block* block : filled_) {
        // Only what has been sent has passed the equalizer.
        if (block->start <= position && position < block->start + block->sent) {
            if (block->sent < wanted) {
                return nullptr;
            }
            offset = std::min(position - block->start, block->sent - wanted);
            return block;
        }
    }
    return nullptr;
}

bool CNxSSWaveOut::GetPlayingData(NxRef<CNxSSPacket>& packet, uint32_t& offset, uint32_t frames) {
    std::lock_guard lock(deviceMutex_);
    Block* block = PlayingBlock(frames, offset);
    if (!block) {
        return false;
    }
    packet = block->packet;
    return true;
}

const uint8_t* CNxSSWaveOut::GetPlayingPointer(uint32_t frames) {
    std::lock_guard lock(deviceMutex_);
    uint32_t offset = 0;
    Block* block = PlayingBlock(frames, offset);
    if (!block) {
        return nullptr;
    }
    block->inUse = true;
    return block->packet->Data() + offset;
}

bool CNxSSWaveOut::CopyPlayingData(void* buffer, uint32_t frames) {
    std::lock_guard lock(deviceMutex_);
    const uint8_t* data = GetPlayingPointer(frames);
    if (!data) {
        return false;
    }
    std::memcpy(buffer, data, size_t{format_.blockAlign()} * frames);
    ReleasePlayingData();
    return true;
}

void CNxSSWaveOut::ReleasePlayingData() {
    std::lock_guard lock(deviceMutex_);
    for (auto& block : blocks_) {
        block->inUse = false;
    }
}
