// The game's sound and music operations over the channels, the stream and the
// music player.
#include "audio/audio_engine.h"

#include <chrono>
#include <exception>
#include <thread>

#include "system/regular_file.h"

TAudioEngine::TAudioEngine(std::string exeDir) : exeDir_(std::move(exeDir)) {}

TAudioEngine::~TAudioEngine() {
  if (!shutDown_) Shutdown(0);
}

bool TAudioEngine::LoadVorbisLibrary(std::string* triedPath, const char* libraryName) {
  return LoadVorbisFileDLL(exeDir_, triedPath, libraryName);
}

void TAudioEngine::Create(bool refillThread) {
  player_ = std::make_unique<TOggPlayer>(kStreamSize, kSlots);
  decoderA_ = std::make_unique<TOggData>(kStreamSize);
  decoderB_ = std::make_unique<TOggData>(kStreamSize);
  stream_ = std::make_unique<TMusicStream>(kStreamSize, FillThunk, this);
  if (refillThread) stream_->StartRefillThread();
  mixer_.AttachStream(stream_.get());
  mixer_.PlayLooping(0);
}

void TAudioEngine::FillThunk(void* context, int32_t offset, int32_t length) {
  static_cast<TAudioEngine*>(context)->FillMusicBuffer(offset, length);
}

void TAudioEngine::FillMusicBuffer(int32_t offset, int32_t length) {
  if (!player_ || !stream_) return;
  const int16_t* p = player_->MixNextHalf();
  if (length > player_->HalfSize()) length = player_->HalfSize();
  stream_->Write(offset, p, length);
}

// ---------------------------------------------------------------------------
// Effects
// ---------------------------------------------------------------------------

bool TAudioEngine::LoadEffect(const char* relPath, int n, TWaveLoader loader) {
  if (n < 0 || n >= kEffectCount || !loader) return false;
  const std::string path = exeDir_ + relPath;
  if (!IsRegularFile(path.c_str())) return false;
  if (effectWaves_[n]) {
    mixer_.Stop(n + 1);
    mixer_.Attach(n + 1, nullptr);
    effectWaves_[n].reset();
  }
  auto wave = std::make_unique<TSoundData>();
  if (!loader(path, *wave) || wave->Frames() == 0) return false;
  effectWaves_[n] = std::move(wave);
  mixer_.Attach(n + 1, effectWaves_[n].get());
  return true;
}

void TAudioEngine::PlayEffectChannel(int channel) {
  const int n = channel - 1;  // channel n + 1 holds effect n
  if (n >= 0 && n < kEffectCount && effectWaves_[n]) mixer_.PlayOnce(channel);
}

// ---------------------------------------------------------------------------
// Music
// ---------------------------------------------------------------------------

void TAudioEngine::ResetMusic() {
  if (!VorbisReady() || !player_) return;
  player_->StopSlot(0);
  player_->StopSlot(1);
  const std::string path = exeDir_ + "system/nil.ogg";
  for (TOggData* d : {decoderA_.get(), decoderB_.get()}) {
    d->Stop();
    // A broken title track leaves that decoder empty: the title is silent.
    try {
      d->LoadFile(path);
    } catch (const std::exception&) {
    }
  }
  player_->SetSlot(0, decoderA_.get());
  player_->SetSlot(1, decoderB_.get());
  player_->SetSlotVolume(0, 1.0);
  player_->SetSlotVolume(1, 1.0);
}

bool TAudioEngine::ChangeMusic(int fadeOutSeconds, int fadeInSeconds, const char* relPath,
                               bool musicOnSlotB) {
  if (!VorbisReady() || !player_) return false;
  const std::string path = exeDir_ + relPath;
  if (!IsRegularFile(path.c_str())) return false;
  // The new track goes to the slot that is not sounding.
  const int32_t oldSlot = musicOnSlotB ? 1 : 0;
  const int32_t newSlot = musicOnSlotB ? 0 : 1;
  TOggData* decoder = musicOnSlotB ? decoderA_.get() : decoderB_.get();
  try {
    if (fadeOutSeconds == 0) {
      player_->StopSlot(oldSlot);
    } else {
      player_->FadeSlot(oldSlot, 0.0, fadeOutSeconds);
      player_->PlaySlot(oldSlot, true);
    }
    decoder->LoadFile(path);
    player_->SetSlot(newSlot, decoder);
    player_->StopSlot(newSlot);
    if (fadeInSeconds == 0) {
      player_->SetSlotVolume(newSlot, 1.0);
    } else {
      player_->SetSlotVolume(newSlot, 0.0);
      player_->FadeSlot(newSlot, 1.0, fadeInSeconds);
    }
    player_->PlaySlot(newSlot, true);
  } catch (const std::exception&) {
    return false;
  }
  return true;
}

// ---------------------------------------------------------------------------
// Shutdown
// ---------------------------------------------------------------------------

void TAudioEngine::Shutdown(int32_t waitMs) {
  if (shutDown_) return;
  shutDown_ = true;
  mixer_.Stop(0);
  mixer_.AttachStream(nullptr);
  for (int n = 0; n < kEffectCount; n++) {
    if (effectWaves_[n]) mixer_.Stop(n + 1);
  }
  if (waitMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
  if (stream_) stream_->Release();
  stream_.reset();
  decoderA_.reset();
  decoderB_.reset();
  player_.reset();
  for (int n = 0; n < kEffectCount; n++) {
    if (!effectWaves_[n]) continue;
    mixer_.Attach(n + 1, nullptr);
    effectWaves_[n].reset();
  }
  ReleaseVorbisFileDLL();
}
