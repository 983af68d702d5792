#pragma once
// The one reset of the media floor and the SWF writer below it.
namespace tesmiro::SWFMakeCore {

// The writer and its font cache, the sound stream, the vector elements, the
// video reader and the script compiler back to the start of a run. The text
// collector is a hook and stays as installed.
void ResetMediaState();

}  // namespace tesmiro::SWFMakeCore
