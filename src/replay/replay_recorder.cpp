#include "replay/replay_recorder.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include "app/main.h"
#include "replay/replay_file_reader.h"
#include "replay/replay_file_writer.h"
#include "score/atomic_file.h"

namespace {

bool InPlay(int32_t scene) {
  return scene == kScenePlay || scene == kSceneRequestPlace || scene == kSceneRequestInvert;
}

// A replay this recorder wrote: "yyyymmdd-hhnnss-" then anything, ".zzr".
bool IsKeptReplayName(const char* name) {
  const size_t n = std::strlen(name);
  if (n < 20 || std::strcmp(name + n - 4, ".zzr") != 0) return false;
  for (int i = 0; i < 16; i++) {
    const bool dash = i == 8 || i == 15;
    if (dash ? name[i] != '-' : (name[i] < '0' || name[i] > '9')) return false;
  }
  return true;
}

// The score on the first "result" line of a replay's text, or -1.
int64_t ResultScore(const std::string& text) {
  if (text.rfind(kReplayVersionLine, 0) != 0) return -1;
  const size_t at = text.find("\nresult ");
  if (at == std::string::npos) return -1;
  char* end = nullptr;
  const long long v = std::strtoll(text.c_str() + at + 8, &end, 10);
  return end == text.c_str() + at + 8 ? -1 : v;
}

}  // namespace

void LocalTimeNow(char out[15]) {
  const time_t now = time(nullptr);
  struct tm local;
  if (!localtime_r(&now, &local) || strftime(out, 15, "%Y%m%d%H%M%S", &local) != 14) {
    std::snprintf(out, 15, "%s", "00000000000000");
  }
}

TReplayRecorder::TReplayRecorder(std::string folder)
    : localTimeNow(LocalTimeNow),
      folder_(std::move(folder)),
      clocks_(new uint32_t[kMaxFrames]),
      inputs_(new TReplayInput[kMaxInputs]),
      music_(new uint8_t[kMaxMusic]),
      start_(std::make_unique<TGameState>()),
      end_(std::make_unique<TGameState>()),
      scratch_(new char[kStateTextMax]) {
  if (!folder_.empty() && folder_.back() != '/') folder_ += '/';
}

void TReplayRecorder::Overflow(const char* what) {
  if (!overflow_) overflow_ = what;
}

void TReplayRecorder::AddInput(const TMainForm& f, const TReplayInput& in) {
  if (state_ != kRecording) return;
  if (inputCount_ >= kMaxInputs) {
    Overflow("inputs");
  } else {
    inputs_[inputCount_++] = in;
  }
  // A restart or the title ends the game at once, so that it is written
  // before the next game's first frame.
  if (!InPlay(f.scene)) Finish(f);
}

void TReplayRecorder::OnKey(const TMainForm& f, uint16_t key, bool alt) {
  TReplayInput in;
  in.frame = frames_;
  in.kind = TReplayInput::kKey;
  in.key = key;
  in.alt = alt ? 1 : 0;
  AddInput(f, in);
}

void TReplayRecorder::OnMove(const TMainForm& f, int32_t x, int32_t y) {
  TReplayInput in;
  in.frame = frames_;
  in.kind = TReplayInput::kMove;
  in.x = x;
  in.y = y;
  AddInput(f, in);
}

void TReplayRecorder::OnClick(const TMainForm& f, int button, int32_t x, int32_t y) {
  TReplayInput in;
  in.frame = frames_;
  in.kind = TReplayInput::kClick;
  in.button = static_cast<uint8_t>(button);
  in.x = x;
  in.y = y;
  AddInput(f, in);
}

void TReplayRecorder::OnMusicResult(bool ok) {
  if (state_ != kRecording) return;
  if (musicCount_ >= kMaxMusic) return Overflow("music changes");
  music_[musicCount_++] = ok ? 1 : 0;
}

void TReplayRecorder::OnLocalTime(const char* text14) {
  if (state_ != kRecording) return;
  std::snprintf(localTime_, sizeof localTime_, "%.14s", text14);
}

void TReplayRecorder::OnScoreShown(const char* scoreText, const char* signature) {
  if (state_ != kRecording) return;
  std::snprintf(result_.scoreText, sizeof result_.scoreText, "%s", scoreText);
  std::snprintf(result_.signature, sizeof result_.signature, "%s", signature);
}

void TReplayRecorder::BeforeFrame(const TMainForm& f, uint32_t now) {
  // The frame loop's own test: a frame runs when 16 ms have passed (unsigned).
  due_ = f.loopRunning && !(now < f.lastFrameTick + 16u);
  if (!due_) return;
  // Out of play between frames: a restart, the title, or anything after.
  if (state_ == kRecording && !InPlay(f.scene)) Finish(f);
  if (f.scene == kSceneNewGame && state_ == kIdle) Start(f);
}

void TReplayRecorder::AfterFrame(const TMainForm& f) {
  if (!due_) return;
  due_ = false;
  if (state_ != kRecording) return;
  if (frames_ >= kMaxFrames) {
    Overflow("frames");
  } else {
    clocks_[frames_++] = f.lastFrameTick;
  }
  lastScore_ = f.score;
  lastLevel_ = f.level;
  if (f.scene == kSceneGameOver) Finish(f);
}

void TReplayRecorder::EndSession(const TMainForm& f) {
  if (state_ == kRecording) Finish(f);
}

void TReplayRecorder::Start(const TMainForm& f) {
  start_->Take(f);
  frames_ = inputCount_ = musicCount_ = 0;
  overflow_ = nullptr;
  result_ = TReplayResult();
  localTimeNow(localTime_);
  lastScore_ = f.score;
  lastLevel_ = f.level;
  state_ = kRecording;
}

void TReplayRecorder::Finish(const TMainForm& f) {
  if (overflow_) {
    std::fprintf(stderr,
                 "Zazo Puzzle: this game's replay is not kept: more than the %s it can hold\n",
                 overflow_);
    state_ = kIdle;
    return;
  }
  end_->Take(f);
  StateDigest(*end_, scratch_.get(), result_.digest);
  result_.score = lastScore_;
  result_.level = lastLevel_;
  state_ = kFinished;
}

bool TReplayRecorder::WritePending(std::string* error) {
  if (state_ != kFinished) return true;
  state_ = kIdle;
  TReplayGameView game;
  game.start = start_.get();
  game.localTime = localTime_;
  game.clocks = {clocks_.get(), frames_};
  game.inputs = {inputs_.get(), inputCount_};
  game.music = {music_.get(), musicCount_};
  game.result = result_;
  const std::string text = FormatReplayFile({&game, 1});
  const char* mode = ReplayModeName(*start_);

  if (mkdir(folder_.c_str(), 0777) != 0 && errno != EEXIST) {
    *error = folder_ + ": " + std::strerror(errno);
    return false;
  }
  char base[96];
  std::snprintf(base, sizeof base, "%.8s-%.6s-%s-%" PRId32, localTime_, localTime_ + 8, mode,
                result_.score);
  std::string path;
  for (int n = 1; n < 1000; n++) {
    char name[112];
    if (n == 1) {
      std::snprintf(name, sizeof name, "%s.zzr", base);
    } else {
      std::snprintf(name, sizeof name, "%s-%d.zzr", base, n);
    }
    struct stat st;
    if (lstat((folder_ + name).c_str(), &st) != 0) {
      path = folder_ + name;
      break;
    }
  }
  if (path.empty()) {
    *error = folder_ + base + ".zzr: too many replays of that name";
    return false;
  }
  if (!WriteFileAtomically(path.c_str(), text.data(), text.size(), error)) return false;
  lastPath_ = path;
  const bool single = start_->versusMode == 0;
  if (single) lastSinglePath_ = path;
  Prune();
  if (single) return WriteBest(text, result_.score, error);
  return true;
}

bool TReplayRecorder::WriteBest(const std::string& text, int32_t score, std::string* error) {
  const std::string best = folder_ + "best.zzr";
  std::string old, unreadable;
  if (ReadReplayFileText(best.c_str(), 64u << 20, &old, &unreadable) && ResultScore(old) >= score) {
    return true;
  }
  return WriteFileAtomically(best.c_str(), text.data(), text.size(), error);
}

void TReplayRecorder::Prune() {
  DIR* dir = opendir(folder_.c_str());
  if (!dir) return;
  std::vector<std::string> names;
  while (const dirent* e = readdir(dir)) {
    if (IsKeptReplayName(e->d_name)) names.emplace_back(e->d_name);
  }
  closedir(dir);
  if (names.size() <= static_cast<size_t>(kKeep)) return;
  std::sort(names.begin(), names.end());
  for (size_t k = 0; k + kKeep < names.size(); k++) {
    const std::string path = folder_ + names[k];
    if (path == lastSinglePath_) continue;
    std::remove(path.c_str());
  }
}
