#pragma once
// Finds and loads the program's own plugins: libraries it keeps apart
// because linking them would cost every start (the web engine, the media
// backend). A plugin is looked for at the path in its environment variable
// when that is set (a path that names nothing leaves the program without
// it), else beside the installed program (<prefix>/lib/tesmiro), else in
// the build tree.
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

namespace tesmiro::gui {

QStringList PluginCandidates(const char* pathVariable, const QString& file);

// Why a plugin is not there, for the caller to tell the user.
enum class PluginFailure {
  None,
  Missing,       // no candidate is a file; `path` is the first looked for
  Unloadable,    // the file is there but does not load (broken, or a library it needs is missing)
  NotThePlugin,  // it loaded, but is not the plugin asked for
};

struct LoadedPlugin {
  QObject* instance = nullptr;
  QString path;
  QString error;  // why instance is null, in one line for a log
  PluginFailure failure = PluginFailure::None;
};

// Loads the first candidate that is there; `beforeLoad` runs just before
// the library comes in. `what` names the plugin in errors. A loaded plugin
// stays for the rest of the run.
LoadedPlugin LoadPlugin(const QStringList& candidates, const QString& what,
                        const std::function<void()>& beforeLoad = {});

template <class Interface>
struct Plugin {
  Interface* object = nullptr;
  QString error;
  QString path;
  PluginFailure failure = PluginFailure::None;
};

template <class Interface>
Plugin<Interface> LoadPluginAs(const QStringList& candidates, const QString& what,
                               const std::function<void()>& beforeLoad = {}) {
  LoadedPlugin loaded = LoadPlugin(candidates, what, beforeLoad);
  Plugin<Interface> result{qobject_cast<Interface*>(loaded.instance), loaded.error, loaded.path, loaded.failure};
  if (loaded.instance && !result.object) {
    result.error = loaded.path + QStringLiteral(" is not ") + what;
    result.failure = PluginFailure::NotThePlugin;
  }
  return result;
}

}  // namespace tesmiro::gui
