#include "recording_host.h"

#include <cstdio>
#include <cstring>

#include "render/bitmap.h"
#include "system/regular_file.h"

namespace {
// Whether dir + relPath is a regular file. Builds the path in a fixed buffer:
// it is asked inside frames (music changes), which must not allocate.
bool FileExists(const std::string& dir, const char* relPath) {
  char path[4096];
  int n = std::snprintf(path, sizeof path, "%s%s", dir.c_str(), relPath);
  if (n < 0 || n >= static_cast<int>(sizeof path)) return false;
  return IsRegularFile(path);
}
}  // namespace

TRecordingHost::TRecordingHost(std::string assetsDir, TPictureReader readPicture)
    : assetsDir_(std::move(assetsDir)), readPicture_(readPicture) {
  if (!assetsDir_.empty() && assetsDir_.back() != '/') assetsDir_ += '/';
  // Reserved once so that recording inside a frame never allocates.
  events_.reserve(1 << 16);
}

void TRecordingHost::Append(const char* line) {
  // Keep within the reserved capacity: a runaway event list is cut rather
  // than allowed to allocate inside a frame.
  size_t n = std::strlen(line);
  if (events_.size() + n + 1 > events_.capacity()) return;
  events_.append(line, n);
  events_.push_back('\n');
}

void TRecordingHost::ClearEvents() {
  events_.clear();
  for (int& n : effectChannelPlays) n = 0;
}

int32_t TRecordingHost::LoadBestScore() {
  return bestScoreAtStart;
}
bool TRecordingHost::LoadVorbisLibrary() {
  return true;
}
void TRecordingHost::CreateSound() {}
bool TRecordingHost::LoadEffect(const char* relPath, int) {
  return FileExists(assetsDir_, relPath);
}

bool TRecordingHost::LoadPicture(const char* relPath, TBitmap& into) {
  if (!readPictures) return true;
  return readPicture_ != nullptr && readPicture_((assetsDir_ + relPath).c_str(), into, nullptr);
}

uint32_t TRecordingHost::Clock() {
  return clock;
}

void TRecordingHost::PlayEffect(int request, int channel) {
  char line[32];
  std::snprintf(line, sizeof line, "sound %d", request);
  Append(line);
  if (channel >= 0 && channel < 10) effectChannelPlays[channel]++;
}

void TRecordingHost::PlayEffectChannel9() {
  Append("sound ch9");
  effectChannelPlays[9]++;
}

void TRecordingHost::ResetMusic() {
  Append("music reset");
}

bool TRecordingHost::ChangeMusic(int fadeOutSeconds, int fadeInSeconds, const char* relPath, bool) {
  char line[256];
  std::snprintf(line, sizeof line, "music change %d %d %s", fadeOutSeconds, fadeInSeconds, relPath);
  Append(line);
  return FileExists(assetsDir_, relPath);
}

void TRecordingHost::SaveBestScore(int32_t value) {
  char line[32];
  std::snprintf(line, sizeof line, "save %d", static_cast<int>(value));
  Append(line);
}

void TRecordingHost::LocalTimeText(char out[15]) {
  std::snprintf(out, 15, "%.14s", localTime.c_str());
}

void TRecordingHost::ShowScoreWidgets(const char* text, const char* md5Hex) {
  scoreWidgetsShown = true;
  std::snprintf(scoreText, sizeof scoreText, "%s", text);
  std::snprintf(scoreMd5, sizeof scoreMd5, "%s", md5Hex);
}

void TRecordingHost::HideScoreWidgets() {
  scoreWidgetsShown = false;
}
void TRecordingHost::ToggleFullScreen() {
  Append("fullscreen");
}

void TRecordingHost::CloseWindow() {
  closed = true;
  Append("close");
}

void TRecordingHost::ShowWarning(const char* text) {
  char line[512];
  std::snprintf(line, sizeof line, "message %s", text);
  Append(line);
}

void TRecordingHost::PresentFrame(const TBitmap&) {
  presentCount++;
}
