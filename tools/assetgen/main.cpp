// zazo-assetgen: draws, synthesises and writes every picture, sound effect
// and music track of the game.
//
//   zazo-assetgen OUTDIR [pictures] [sounds] [music] [icons]
//
// Writes OUTDIR/graph/*.bmp, OUTDIR/system/*.wav and *.ogg, the desktop
// icons OUTDIR/icons/hicolor/NxN/apps/zazo-puzzle.png with the window icon
// OUTDIR/icons/window_icon.inc, and creates OUTDIR/save. Naming parts
// limits the run to them (all by default). The files are the same bytes on
// every run: nothing depends on the time, on unseeded randomness or on the
// order in which the two worker threads finish their jobs. Exit status 0, 1 on any failure, 2 for
// bad usage.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "font_text.h"
#include "icon.h"
#include "music.h"
#include "sheets.h"
#include "sound_effects.h"

namespace {

struct Job {
  std::string name;
  std::function<bool(std::string*)> run;
};

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: zazo-assetgen OUTDIR [pictures] [sounds] [music] [icons]\n");
    return 2;
  }
  std::string out = argv[1];
  bool pictures = argc == 2, sounds = argc == 2, music = argc == 2, icons = argc == 2;
  for (int i = 2; i < argc; i++) {
    std::string part = argv[i];
    if (part == "pictures") {
      pictures = true;
    } else if (part == "sounds") {
      sounds = true;
    } else if (part == "music") {
      music = true;
    } else if (part == "icons") {
      icons = true;
    } else {
      std::fprintf(stderr, "zazo-assetgen: unknown part '%s'\n", part.c_str());
      return 2;
    }
  }
  const std::string graphDir = out + "/graph", systemDir = out + "/system";
  std::error_code ec;
  for (const std::string& dir : {graphDir, systemDir, out + "/save"}) {
    std::filesystem::create_directories(dir, ec);
    if (ec) {
      std::fprintf(stderr, "zazo-assetgen: cannot create %s: %s\n", dir.c_str(),
                   ec.message().c_str());
      return 1;
    }
  }
  auto start = std::chrono::steady_clock::now();

  // The longest jobs first, so the two workers finish close together.
  std::vector<Job> jobs;
  if (music)
    for (int t = 0; t < MusicTrackCount(); t++)
      jobs.push_back({MusicTrackFile(t),
                      [t, systemDir](std::string* e) { return WriteMusicTrack(t, systemDir, e); }});
  if (pictures) {
    std::string error;
    if (!OpenFont(&error)) {
      std::fprintf(stderr, "zazo-assetgen: %s\n", error.c_str());
      return 1;
    }
    std::printf("zazo-assetgen: font %s\n", FontDescription().c_str());
    jobs.push_back({"pictures", [graphDir](std::string* e) { return WritePictures(graphDir, e); }});
  }
  if (icons) jobs.push_back({"icons", [out](std::string* e) { return WriteIcons(out, e); }});
  if (sounds)
    jobs.push_back(
        {"sound effects", [systemDir](std::string* e) { return WriteSoundEffects(systemDir, e); }});

  std::vector<std::string> errors(jobs.size());
  std::vector<char> ok(jobs.size(), 0);
  std::atomic<size_t> next{0};
  auto worker = [&]() {
    for (size_t i; (i = next.fetch_add(1)) < jobs.size();) ok[i] = jobs[i].run(&errors[i]);
  };
  std::thread second(worker);
  worker();
  second.join();
  CloseFont();

  int status = 0;
  for (size_t i = 0; i < jobs.size(); i++)
    if (!ok[i]) {
      std::fprintf(stderr, "zazo-assetgen: %s: %s\n", jobs[i].name.c_str(), errors[i].c_str());
      status = 1;
    }
  std::printf("zazo-assetgen: %zu jobs in %.1f s\n", jobs.size(), Seconds(start));
  return status;
}
