// The software mixer of the ten sound channels.
#include "audio/sound_mixer.h"

#include <cstring>
#include <thread>

#include "audio/music_stream.h"

void TSoundMixer::Post(int32_t channel, uint32_t request) {
  if (channel < 0 || channel >= kChannelCount) return;
  channels_[channel].request.store(request, std::memory_order_release);
}

void TSoundMixer::PlayOnce(int32_t channel) {
  Post(channel, kOnce);
}
void TSoundMixer::PlayLooping(int32_t channel) {
  Post(channel, kLoop);
}
void TSoundMixer::Stop(int32_t channel) {
  Post(channel, kStop);
}

void TSoundMixer::WaitOutMix() const {
  const uint32_t count = mixCount_.load(std::memory_order_seq_cst);
  if ((count & 1) == 0) return;
  while (mixCount_.load(std::memory_order_seq_cst) == count) std::this_thread::yield();
}

void TSoundMixer::Attach(int32_t channel, const TSoundData* sound) {
  if (channel < 0 || channel >= kChannelCount) return;
  channels_[channel].sound.store(sound, std::memory_order_seq_cst);
  channels_[channel].request.store(kReset, std::memory_order_seq_cst);
  WaitOutMix();
}

void TSoundMixer::AttachStream(TMusicStream* stream) {
  TMusicStream* old = stream_.exchange(stream, std::memory_order_seq_cst);
  channels_[0].request.store(kReset, std::memory_order_seq_cst);
  WaitOutMix();
  // The device no longer sees the old stream: stop it from here.
  if (old && old != stream) old->DeviceStop();
}

bool TSoundMixer::Sounding(int32_t channel) const {
  return channel >= 0 && channel < kChannelCount &&
         channels_[channel].sounding.load(std::memory_order_acquire);
}

void TSoundMixer::SetOutputGains(int32_t musicPercent, int32_t effectsPercent) {
  auto clamp = [](int32_t p) { return p < 0 ? 0 : p > 100 ? 100 : p; };
  musicGain_.store(clamp(musicPercent), std::memory_order_relaxed);
  effectsGain_.store(clamp(effectsPercent), std::memory_order_relaxed);
}

void TSoundMixer::Mix(int16_t* out, int32_t frames) {
  mixCount_.fetch_add(1, std::memory_order_seq_cst);
  constexpr int32_t kBlock = 256;
  int32_t acc[kBlock * 2];
  int32_t music[kBlock * 2];
  int16_t part[kBlock * 2];
  const int32_t musicGain = musicGain_.load(std::memory_order_relaxed);
  const int32_t effectsGain = effectsGain_.load(std::memory_order_relaxed);

  // Requests first: each channel takes its latest one.
  TMusicStream* stream = stream_.load(std::memory_order_seq_cst);
  for (int32_t c = 0; c < kChannelCount; c++) {
    TChannel& ch = channels_[c];
    const uint32_t request = ch.request.exchange(kNone, std::memory_order_seq_cst);
    if (request == kNone) continue;
    if (request == kOnce || request == kLoop) {
      ch.position = 0;
      ch.state = request == kOnce ? kPlayingOnce : kPlayingLoop;
      if (c == 0 && stream) stream->DeviceStart();
    } else {
      ch.position = 0;
      ch.state = kIdle;
      if (c == 0 && stream) stream->DeviceStop();
    }
  }

  const TSoundData* sounds[kChannelCount];
  for (int32_t c = 1; c < kChannelCount; c++) {
    sounds[c] = channels_[c].sound.load(std::memory_order_seq_cst);
  }

  for (int32_t done = 0; done < frames;) {
    const int32_t n = frames - done < kBlock ? frames - done : kBlock;
    std::memset(acc, 0, sizeof(int32_t) * size_t(n) * 2);
    std::memset(music, 0, sizeof(int32_t) * size_t(n) * 2);
    if (stream && channels_[0].state != kIdle) {
      stream->DeviceRead(part, n);
      for (int32_t i = 0; i < n * 2; i++) music[i] = part[i];
    }
    for (int32_t c = 1; c < kChannelCount; c++) {
      TChannel& ch = channels_[c];
      const TSoundData* s = sounds[c];
      if (ch.state == kIdle) continue;
      const int32_t length = s ? s->Frames() : 0;
      if (length == 0) {
        ch.state = kIdle;
        continue;
      }
      int32_t i = 0;
      while (i < n && ch.state != kIdle) {
        if (ch.position >= length) {  // also after a shorter sound was attached
          if (ch.state == kPlayingLoop) {
            ch.position = 0;
          } else {
            ch.state = kIdle;
            break;
          }
        }
        const int32_t take = n - i < length - ch.position ? n - i : length - ch.position;
        const int16_t* from = s->samples.data() + size_t(ch.position) * 2;
        for (int32_t k = 0; k < take * 2; k++) acc[i * 2 + k] += from[k];
        ch.position += take;
        i += take;
      }
    }
    int16_t* to = out + size_t(done) * 2;
    for (int32_t i = 0; i < n * 2; i++) {
      // The listener's volumes after the channels are summed; at 100 % each
      // this is the plain sum.
      const int32_t v = (music[i] * musicGain + acc[i] * effectsGain) / 100;
      to[i] = int16_t(v < -32768 ? -32768 : v > 32767 ? 32767 : v);
    }
    done += n;
  }
  for (int32_t c = 0; c < kChannelCount; c++) {
    TChannel& ch = channels_[c];
    bool on = ch.state != kIdle;
    if (c > 0 && on && ch.state == kPlayingOnce)
      on = sounds[c] && ch.position < sounds[c]->Frames();
    ch.sounding.store(on, std::memory_order_release);
  }
  mixCount_.fetch_add(1, std::memory_order_seq_cst);
}
