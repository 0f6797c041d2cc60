// The version every program of the game reports (--version, the package).
#pragma once

// "1.0.0": set once, by the build.
extern const char kProgramVersion[];
