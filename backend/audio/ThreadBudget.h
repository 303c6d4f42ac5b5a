// One budget of worker threads for the whole process, drawn from by every pool
// of the audio engine (jobs worked ahead, frames coded in parallel, files
// probed ahead). A pool starts a thread only with a place from it, so however
// many pools run at once the process holds at most Places() of them; and a
// thread codes on a core from it, so that pools nested in each other share
// the cores instead of each taking all of them. Nothing waits on the budget:
// a pool refused a place does the work on its caller's thread.
#pragma once

namespace ThreadBudget {

// The processor's cores (at least one).
int Cores();
// Worker threads the pools may hold at once: two per core.
int Places();

// A place for a new worker thread; false when every place is held.
bool TakePlace();
void GivePlace();
// A core to code on; false when every core is taken.
bool TakeCore();
void GiveCore();

// Places and cores held now.
int PlacesHeld();
int CoresHeld();

}  // namespace ThreadBudget
