// Version texts ("major.minor.patch", as an app bundle gives them) read into
// the numbers a game compares and shows.
#pragma once

namespace Varnok {

struct GameVersion {
    int major = 0;
    int minor = 0;
    int patch = 0;
    int number = 0;  // major * 10000 + minor * 100 + patch, clamped to int
};

// Each part is read as C's atoi reads it, clamped to int; a missing part is
// 0. A one-digit minor, or a final one-digit patch, counts in tenths: "1.0.4"
// is 1, 0, 40 and "1.5" is 1, 50, 0. Requires: text not null.
GameVersion ParseGameVersion(const char* text);

// "%04i.%02i.%02i" of major, minor and patch ("0001.00.40"), cut to fit
// size bytes with the terminator.
void FormatGameVersion(const GameVersion& version, char* buffer, int size);

}  // namespace Varnok
