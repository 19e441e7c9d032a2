// Captures a headless run: writes frames 0, every, 2 x every, ... once each
// as DIR/frame_NNNNN.png.
#pragma once

#include "engine/iOS/VarnokTouchViewController.h"

#include <string>
#include <vector>

namespace Varnok {

class PngFrameWriter final : public FrameObserver {
public:
    // every must be 1 or more; logName starts the line logged for a frame
    // that cannot be written.
    PngFrameWriter(std::string dir, int every, const char* logName);

    bool OnFramePresented(int frame) override;
    void OnFramePixels(int frame, const std::vector<uint8_t>& rgba, int width, int height) override;

private:
    std::string m_dir;
    int m_every;
    const char* m_logName;
    int m_lastWritten = -1;
};

}  // namespace Varnok
