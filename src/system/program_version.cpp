#include "system/program_version.h"

#ifndef ZAZO_VERSION
#error "the build defines ZAZO_VERSION"
#endif

const char kProgramVersion[] = ZAZO_VERSION;
