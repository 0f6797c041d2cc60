// The nine sound effects, system/00.wav .. 08.wav.
#pragma once

#include <string>

bool WriteSoundEffects(const std::string& systemDir, std::string* error);
