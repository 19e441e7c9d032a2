#include "engine/iOS/PngFrameWriter.h"

#include "engine/core/Log.h"
#include "platform/FrameCapture.h"

#include <cstdio>
#include <utility>

namespace Varnok {

PngFrameWriter::PngFrameWriter(std::string dir, int every, const char* logName)
    : m_dir(std::move(dir)), m_every(every > 0 ? every : 1), m_logName(logName) {}

bool PngFrameWriter::OnFramePresented(int frame) {
    return frame >= 0 && frame != m_lastWritten && frame % m_every == 0;
}

void PngFrameWriter::OnFramePixels(int frame, const std::vector<uint8_t>& rgba, int width, int height) {
    m_lastWritten = frame;
    char name[32];
    snprintf(name, sizeof(name), "/frame_%05d.png", frame);
    if (!WritePng((m_dir + name).c_str(), width, height, rgba)) {
        Log("%s: frame %d not written", m_logName, frame);
    }
}

}  // namespace Varnok
