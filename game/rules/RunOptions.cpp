#include "game/rules/RunOptions.h"

namespace Varnok {

namespace {
RunOptions s_runOptions;
}

void SetRunOptions(const RunOptions& options) { s_runOptions = options; }

const RunOptions& GetRunOptions() { return s_runOptions; }

}  // namespace Varnok
