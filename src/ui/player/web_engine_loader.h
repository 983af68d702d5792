#pragma once
// Finds and loads the web engine library (web_page.h) the first time a
// page is wanted. The library is looked for at the path in
// TESMIRO_WEB_ENGINE_LIBRARY when that is set (a path that names nothing
// leaves the program without previews), else beside the installed program
// (<prefix>/lib/tesmiro), else in the build tree.
#include <QString>
#include <functional>

class QObject;

namespace tesmiro::player {

class WebEngine;

// Loads the library; null when it cannot be loaded.
WebEngine* LoadedWebEngine();
// Why LoadedWebEngine() is null, for the user: the library's file, what is
// wrong with it and what to do, in Japanese; empty when it is not null.
QString WebEngineLoadError();
// Starts, on a worker thread, the part of loading that does not need the
// GUI thread, and calls `ready` on the GUI thread when it is done, unless
// `receiver` is gone by then. LoadedWebEngine() may be called at any time
// before; it then waits for that part.
void PrepareWebEngine(QObject* receiver, std::function<void()> ready);

}  // namespace tesmiro::player
