#include "ui/common/plugin_loader.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPluginLoader>

namespace tesmiro::gui {

QStringList PluginCandidates(const char* pathVariable, const QString& file) {
  if (qEnvironmentVariableIsSet(pathVariable)) return {qEnvironmentVariable(pathVariable)};
  return {QCoreApplication::applicationDirPath() + QStringLiteral("/../" TESMIRO_PLUGIN_INSTALL_DIR "/") + file,
          QStringLiteral(TESMIRO_PLUGIN_BUILD_DIR "/") + file};
}

LoadedPlugin LoadPlugin(const QStringList& candidates, const QString& what, const std::function<void()>& beforeLoad) {
  LoadedPlugin result;
  QStringList tried;
  for (const QString& path : candidates) {
    if (!QFileInfo(path).isFile()) {
      tried << path;
      continue;
    }
    if (beforeLoad) beforeLoad();
    result.path = path;
    // Never unloaded: what it made may live until the end.
    QPluginLoader loader(QFileInfo(path).absoluteFilePath());
    result.instance = loader.instance();
    if (!result.instance) {
      result.error = loader.errorString();
      result.failure = PluginFailure::Unloadable;
    }
    return result;
  }
  result.error = QStringLiteral("%1 was not found (looked for %2)").arg(what, tried.join(QStringLiteral(", ")));
  result.path = tried.value(0);
  result.failure = PluginFailure::Missing;
  return result;
}

}  // namespace tesmiro::gui
