#pragma once
// Commands that move the current event (another timeline shown, a search
// that found one) note it here; the window, once its command has returned,
// loads the event into the views that follow it (the script panel, the
// event dialog), once however often it moved.
namespace tesmiro::EventListModule {

void NoteCurrentEventMoved();
// Whether it moved since last asked; asking clears it.
bool TakeCurrentEventMoved();

}  // namespace tesmiro::EventListModule
