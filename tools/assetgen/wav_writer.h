// PCM RIFF/WAVE files: 16-bit, 44,100 Hz, mono.
#pragma once

#include <string>
#include <vector>

// Writes samples (-1..1, clipped) as a 16-bit mono WAVE file.
bool WriteWav(const std::string& path, const std::vector<float>& samples, std::string* error);
