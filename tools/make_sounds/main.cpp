// make_sounds: writes the game's sounds as "sound/<name>.ogg" (music as
// "Music/<name>.ogg") into a bundle directory, with the preload list
// "sfx/info.txt".
#include "tools/make_sounds/OggEncoder.h"
#include "tools/make_sounds/SoundSynth.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sounds BUNDLE_DIR\n");
        return 2;
    }
    const std::string bundle = argv[1];
    // The loader takes each name up to a comma and ignores what follows the
    // last one, so every listed name ends with a comma.
    std::string list;
    for (const Varnok::SynthSound& sound : Varnok::MakeGameSounds()) {
        Varnok::OggEncodeDef def;
        def.sampleRate = sound.sampleRate;
        def.channels = sound.channels;
        if (sound.loopStart >= 0) {
            def.comments.push_back("LOOPSAMPLES=" + std::to_string(sound.loopStart));
        }
        std::vector<uint8_t> bytes;
        const std::string path = bundle + "/" + sound.folder + "/" + sound.name + ".ogg";
        if (!Varnok::EncodeOggVorbis(sound.samples, def, &bytes) ||
            !Varnok::WriteFileBytes(path, bytes)) {
            std::fprintf(stderr, "make_sounds: cannot write %s\n", path.c_str());
            return 1;
        }
        if (sound.preload) {
            list += sound.name + ",";
        }
    }
    const std::string listPath = bundle + "/sfx/info.txt";
    if (!Varnok::WriteFileBytes(listPath, std::vector<uint8_t>(list.begin(), list.end()))) {
        std::fprintf(stderr, "make_sounds: cannot write %s\n", listPath.c_str());
        return 1;
    }
    return 0;
}
