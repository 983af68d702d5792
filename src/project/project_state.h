#pragma once
// The one reset of the project floor and the floors it stands on.
namespace tesmiro::GUICore {

// Every module's state back to the start of a run: the model and its paths,
// both list models, the filter work area, the event property exchange,
// recent files, preferences, event colours, the script panel, the script
// compiler and the SWF writer with its media. Installed hooks and views stay
// as they are; gesture state is its widget's and not kept here.
void ResetProjectState();

}  // namespace tesmiro::GUICore
