// Save files from anywhere: reading never fails, and what was read is
// written and read back to the same statistics, unlocks and wave counts.
// Run with -close_fd_mask=3: refusals log a line.
#include "engine/core/XmlDocument.h"
#include "game/rules/GameStats.h"
#include "game/rules/SaveFile.h"

#include <tinyxml.h>

#include <cstddef>
#include <cstdint>

namespace {

bool SameCounts(const Varnok::GameStats::StatMap& read, const Varnok::GameStats::StatMap& again) {
    for (const auto& entry : read) {
        if (entry.second.value < 1) {
            continue;  // not written back on purpose
        }
        const auto found = again.find(entry.first);
        if (found == again.end() || found->second.value != entry.second.value) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 16)) {
        return 0;
    }
    TiXmlDocument document;
    if (!Varnok::ParseXmlDocument(document, reinterpret_cast<const char*>(data), size)) {
        return 0;
    }
    Varnok::GameStats stats;
    Varnok::SaveFile::Read(&document, stats);

    TiXmlDocument written;
    Varnok::SaveFile::BuildDocument(stats, written);
    TiXmlPrinter printer;
    written.Accept(&printer);
    TiXmlDocument reread;
    if (!Varnok::ParseXmlDocument(reread, printer.CStr(), printer.Size())) {
        __builtin_trap();  // what the writer makes always parses
    }
    Varnok::GameStats again;
    Varnok::SaveFile::Read(&reread, again);
    if (!SameCounts(stats.sessionStats, again.sessionStats) ||
        !SameCounts(stats.lifetimeStats, again.lifetimeStats) ||
        again.unlockQueue.size() != stats.unlockQueue.size() || again.unlocked.size() != stats.unlocked.size() ||
        again.waveGameCounts[0] != stats.waveGameCounts[0] || again.highscore != stats.highscore) {
        __builtin_trap();
    }
    return 0;
}
