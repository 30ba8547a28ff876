#pragma once

namespace velmora {

// Lowers the calling thread's scheduling priority below the window's, so that long work (a print job, an
// export) takes what the window leaves and the window keeps answering on a busy machine. Threads it starts
// afterwards inherit the lower priority.
void RunBelowWindow();

}  // namespace velmora
