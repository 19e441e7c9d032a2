// What the engine asks of the platform's audio session: the category that
// lets the game mix with other applications' audio, and whether another
// application is playing now. The platform layer (and tests) set the answer.
#pragma once

namespace Varnok {

// Asks to mix with other audio rather than interrupt it. Nothing to do on
// this platform: audio from several programs always mixes here.
void SetAmbientAudioSession();

// Whether another application plays audio now; false until set.
bool IsOtherAudioPlaying();
void SetOtherAudioPlaying(bool playing);

}  // namespace Varnok
