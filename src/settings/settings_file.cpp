#include "settings/settings_file.h"

#include <sys/stat.h>
#include <toml++/toml.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <sstream>
#include <vector>

#include "score/atomic_file.h"
#include "settings/key_names.h"
#include "system/regular_file.h"

namespace {

// Collects what could not be used into one line.
struct TProblems {
  std::string line;
  void Add(const std::string& what) {
    if (!line.empty()) line += ", ";
    line += what;
  }
};

void ReadVolume(const toml::table& t, const char* key, int32_t* into, TProblems* p) {
  const toml::node* node = t.get(key);
  if (!node) return;
  const auto* v = node->as_integer();
  if (!v || v->get() < 0 || v->get() > 100) {
    p->Add(std::string(key) + " (not a whole number 0..100)");
    return;
  }
  // Volumes move in steps of 10: the nearest step.
  const int32_t step = TSettings::kVolumeStep;
  *into = static_cast<int32_t>((v->get() + step / 2) / step * step);
}

void ReadBool(const toml::table& t, const char* key, bool* into, TProblems* p) {
  const toml::node* node = t.get(key);
  if (!node) return;
  const auto* v = node->as_boolean();
  if (!v) {
    p->Add(std::string(key) + " (not true or false)");
    return;
  }
  *into = v->get();
}

void ReadString(const toml::table& t, const char* key, bool (*valid)(const std::string&),
                std::string* into, TProblems* p) {
  const toml::node* node = t.get(key);
  if (!node) return;
  const auto* v = node->as_string();
  if (!v || !valid(v->get())) {
    p->Add(std::string(key) + " (not a usable text)");
    return;
  }
  *into = v->get();
}

void ReadKeys(const toml::table& t, TSettings* s, TProblems* p) {
  const toml::node* node = t.get("keys");
  if (!node) return;
  const toml::table* keys = node->as_table();
  if (!keys) {
    p->Add("keys (not a table)");
    return;
  }
  TSettings read = *s;
  for (int a = 0; a < kKeyActionCount; a++) {
    const char* name = KeyActionInfo(a).name;
    const toml::node* k = keys->get(name);
    if (!k) continue;
    const auto* v = k->as_string();
    const uint16_t code = v ? ScancodeFromName(v->get().c_str()) : 0;
    TSettings probe;  // only the reserved keys matter here, not clashes
    for (uint16_t& c : probe.keys) c = 0;
    if (code == 0 || *RefuseBinding(probe, a, code, nullptr) != '\0') {
      p->Add(std::string("keys.") + name + " (not a key the game can use)");
      continue;
    }
    read.keys[a] = code;
  }
  // One key for two actions cannot be told apart: every key as it was.
  for (int a = 0; a < kKeyActionCount; a++) {
    if (ActionOfScancode(read, read.keys[a]) != a) {
      p->Add(std::string("keys (") + ScancodeName(read.keys[a]) +
             " bound twice; default keys used)");
      return;
    }
  }
  for (int a = 0; a < kKeyActionCount; a++) s->keys[a] = read.keys[a];
}

std::string ErrnoText(const char* what) {
  return std::string(what) + ": " + std::strerror(errno);
}

}  // namespace

TSettingsRead ParseSettings(const std::string& text) {
  TSettingsRead r;
  r.found = true;
  toml::table t;
  try {
    t = toml::parse(text);
  } catch (const toml::parse_error& e) {
    r.damaged = true;
    std::ostringstream where;
    where << "not a settings file (line " << e.source().begin.line << ": " << e.description()
          << ")";
    r.problem = where.str();
    // One line, whatever the parser said.
    for (char& c : r.problem) {
      if (c == '\n' || c == '\r') c = ' ';
    }
    return r;
  }
  r.text = text;
  TProblems p;
  TSettings& s = r.settings;
  ReadVolume(t, "music_volume", &s.musicVolume, &p);
  ReadVolume(t, "effects_volume", &s.effectsVolume, &p);
  ReadBool(t, "full_screen", &s.fullScreen, &p);
  if (const toml::node* node = t.get("window_scale")) {
    const auto* v = node->as_integer();
    if (!v || v->get() < 0 || v->get() > TSettings::kMaxWindowScale) {
      p.Add("window_scale (not a whole number 0..4)");
    } else {
      s.windowScale = static_cast<int32_t>(v->get());
    }
  }
  ReadBool(t, "background", &s.showBackground, &p);
  ReadBool(t, "effects", &s.showEffects, &p);
  ReadString(t, "board", ValidBoardUrl, &s.boardUrl, &p);
  ReadString(t, "name", ValidPlayerName, &s.playerName, &p);
  ReadKeys(t, &s, &p);
  r.damaged = !p.line.empty();
  r.problem = p.line;
  return r;
}

TSettingsRead ReadSettingsFile(const std::string& path) {
  TSettingsRead r;
  // Only a regular file is opened (a pipe or a device is never waited on)
  // and never more than the cap is read.
  std::vector<uint8_t> bytes;
  const char* reason = nullptr;
  if (!ReadRegularFile(path.c_str(), kMaxSettingsFileBytes, bytes, &reason)) {
    if (reason == kFileMissing) return r;  // no file: the defaults, nothing to say
    r.found = true;
    r.damaged = true;
    r.problem = std::strcmp(reason, "file too large") == 0
                    ? "larger than 64 KiB, not read"
                    : std::string("cannot be read: ") + reason;
    return r;
  }
  return ParseSettings(std::string(bytes.begin(), bytes.end()));
}

std::string SettingsText(const TSettings& s, const std::string& previous) {
  toml::table t;
  if (!previous.empty()) {
    try {
      t = toml::parse(previous);
    } catch (const toml::parse_error&) {
      t = toml::table{};
    }
  }
  t.insert_or_assign("music_volume", static_cast<int64_t>(s.musicVolume));
  t.insert_or_assign("effects_volume", static_cast<int64_t>(s.effectsVolume));
  t.insert_or_assign("full_screen", s.fullScreen);
  t.insert_or_assign("window_scale", static_cast<int64_t>(s.windowScale));
  t.insert_or_assign("background", s.showBackground);
  t.insert_or_assign("effects", s.showEffects);
  t.insert_or_assign("board", s.boardUrl);
  t.insert_or_assign("name", s.playerName);
  if (!t.get_as<toml::table>("keys")) t.insert_or_assign("keys", toml::table{});
  toml::table& keys = *t.get_as<toml::table>("keys");
  for (int a = 0; a < kKeyActionCount; a++) {
    const char* name = ScancodeName(s.keys[a]);
    keys.insert_or_assign(KeyActionInfo(a).name, std::string(name ? name : ""));
  }
  std::ostringstream out;
  out << "# Zazo Puzzle settings (the game rewrites this file when a setting changes)\n"
      << t << "\n";
  return out.str();
}

TSettingsStore::TSettingsStore(std::string folder,
                               std::function<bool(const std::string&)> readyFolder)
    : folder_(std::move(folder)), readyFolder_(std::move(readyFolder)) {
  if (!folder_.empty()) path_ = folder_ + "settings.toml";
}

void TSettingsStore::SayCannotSave(std::FILE* log, const std::string& why) {
  if (cannotSaveSaid_) return;
  cannotSaveSaid_ = true;
  std::fprintf(log, "Zazo Puzzle: settings cannot be saved: %s\n", why.c_str());
}

void TSettingsStore::Load(std::FILE* log) {
  if (path_.empty()) {
    SayCannotSave(log, "no home folder to keep them in");
    return;
  }
  TSettingsRead r = ReadSettingsFile(path_);
  current_ = r.settings;
  text_ = r.text;
  damaged_ = r.damaged;
  if (r.damaged) {
    std::fprintf(log, "Zazo Puzzle: %s: %s; the defaults are used instead\n", path_.c_str(),
                 r.problem.c_str());
  }
  // Say now, once, when nothing can ever be written there: the nearest
  // folder that exists is not writable.
  std::string folder = folder_;
  while (!folder.empty()) {
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    struct stat st;
    if (stat(folder.c_str(), &st) == 0) {
      if (!S_ISDIR(st.st_mode)) {
        SayCannotSave(log, folder + ": not a folder");
      } else if (access(folder.c_str(), W_OK | X_OK) != 0) {
        SayCannotSave(log, ErrnoText(folder.c_str()));
      }
      break;
    }
    const size_t slash = folder.rfind('/');
    if (slash == std::string::npos || slash == 0) break;
    folder.resize(slash);
  }
}

bool TSettingsStore::Change(const TSettings& settings, std::FILE* log) {
  if (settings == current_) return true;
  // The game uses them this run whatever happens to the file.
  current_ = settings;
  if (path_.empty()) return false;
  if (readyFolder_ && !readyFolder_(folder_)) {
    SayCannotSave(log, ErrnoText(folder_.c_str()));
    return false;
  }
  if (damaged_) {
    // The damaged file stays for the player to look at.
    const std::string broken = path_ + ".broken";
    if (rename(path_.c_str(), broken.c_str()) != 0 && errno != ENOENT) {
      SayCannotSave(log, ErrnoText(path_.c_str()));
      return false;
    }
    damaged_ = false;
  }
  const std::string text = SettingsText(settings, text_);
  std::string error;
  if (!WriteFileAtomically(path_.c_str(), text.data(), text.size(), &error)) {
    SayCannotSave(log, error);
    return false;
  }
  text_ = text;
  return true;
}
