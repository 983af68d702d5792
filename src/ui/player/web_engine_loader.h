#pragma once
// Finds and loads the web engine library (web_page.h) the first time a
// page is wanted. The library is looked for at the path in
// TESMIRO_WEB_ENGINE_LIBRARY when that is set (a path that names nothing
// leaves the program without previews), else beside the installed program
// (<prefix>/lib/tesmiro), else in the build tree.
#include <QString>

namespace tesmiro::player {

class WebEngine;

// Loads the library; null when it cannot be loaded.
WebEngine* LoadedWebEngine();
// Why LoadedWebEngine() is null, in one line for a log; empty when it is not.
QString WebEngineLoadError();

}  // namespace tesmiro::player
