// The program's version: the version resource and the release's file names
// (scripts/release.sh reads KORVANE_VERSION_TEXT from here).
#pragma once

#define KORVANE_VERSION_MAJOR 1
#define KORVANE_VERSION_MINOR 43
#define KORVANE_VERSION_TEXT "1.43"
