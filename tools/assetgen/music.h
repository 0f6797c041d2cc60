// The eighteen music tracks: system/nil.ogg, bgm_a_01..08, bgm_b_01..08 and
// bgm3m.ogg.
#pragma once

#include <string>

#include "composer.h"

int MusicTrackCount();
// File name of track t (0 <= t < MusicTrackCount()), e.g. "bgm_a_01.ogg".
std::string MusicTrackFile(int t);
// What track t is made of.
const TrackPlan& MusicTrackPlan(int t);
// Composes, renders and encodes track t into systemDir.
bool WriteMusicTrack(int t, const std::string& systemDir, std::string* error);
