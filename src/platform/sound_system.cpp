// TSoundSystem: the game's sound over one SDL2 audio device.
#include "platform/sound_system.h"

#include "audio/OggWuvorbisLib.h"
#include "audio/audio_engine.h"
#include "platform/sdl_sound_device.h"

struct TSoundSystem::TImpl {
  explicit TImpl(const std::string& dataDir) : engine(dataDir) {}
  TAudioEngine engine;
  TSdlSoundDevice device;
  bool created = false;
};

TSoundSystem::TSoundSystem(const std::string& dataDir, std::string programDir)
    : impl_(new TImpl(dataDir)),
      programDir_(programDir.empty() ? dataDir : std::move(programDir)) {}

TSoundSystem::~TSoundSystem() {
  Shutdown();
  delete impl_;
}

bool TSoundSystem::LoadVorbisLibrary(std::string* triedPath) {
  // Beside the program first, wherever its pictures and sounds are.
  return LoadVorbisFileDLL(programDir_, triedPath, TVorbisFileDLL::kLibraryName);
}

void TSoundSystem::Create() {
  if (impl_->created) return;
  impl_->created = true;
  impl_->engine.Create(true);
  impl_->device.Open(&impl_->engine);
}

bool TSoundSystem::LoadEffect(const char* relPath, int n) {
  return impl_->engine.LoadEffect(relPath, n, LoadWaveFile);
}

void TSoundSystem::PlayEffectChannel(int channel) {
  impl_->device.CheckAlive();
  impl_->engine.PlayEffectChannel(channel);
}

void TSoundSystem::PlayEffectChannel9() {
  impl_->device.CheckAlive();
  impl_->engine.PlayEffectChannel(9);
}

void TSoundSystem::ResetMusic() {
  impl_->device.CheckAlive();
  impl_->engine.ResetMusic();
}

bool TSoundSystem::ChangeMusic(int fadeOutSeconds, int fadeInSeconds, const char* relPath,
                               bool musicOnSlotB) {
  impl_->device.CheckAlive();
  return impl_->engine.ChangeMusic(fadeOutSeconds, fadeInSeconds, relPath, musicOnSlotB);
}

void TSoundSystem::SetVolumes(int32_t musicPercent, int32_t effectsPercent) {
  impl_->engine.Mixer().SetOutputGains(musicPercent, effectsPercent);
}

void TSoundSystem::SetPaused(bool paused) {
  impl_->device.SetPaused(paused);
}

void TSoundSystem::Shutdown() {
  if (impl_->engine.ShutDown()) return;
  // Channels stopped, one second for them to fall silent, then the stream,
  // the decoders, the player, the effects and the Vorbis binding.
  impl_->engine.Shutdown(impl_->created ? 1000 : 0);
  impl_->device.Close();
}
