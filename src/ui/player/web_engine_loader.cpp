#include "ui/player/web_engine_loader.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QOpenGLContext>
#include <QPluginLoader>
#include <QStringList>

#include "ui/player/web_page.h"

QT_BEGIN_NAMESPACE
// Qt's hand-over of the context every other OpenGL context of the program
// shares with; Qt WebEngine takes it from there (and declares it so too).
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);
QT_END_NAMESPACE

namespace tesmiro::player {
namespace {

QOpenGLContext*& OwnShareContext() {
  static QOpenGLContext* context = nullptr;
  return context;
}

// Qt WebEngine draws through OpenGL contexts shared with the windows' (its
// views move between windows). A program that links it gets the shared
// context as the application starts, at a cost to every start: the GL
// driver comes in with it. This program makes it when it loads the
// library, before the library looks for it.
void ShareOpenGLContexts() {
  if (QOpenGLContext::globalShareContext()) return;
  auto* context = new QOpenGLContext;
  context->create();
  qt_gl_set_global_share_context(context);
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  OwnShareContext() = context;
  // Run after the web engine's own clean-up, which was added later.
  qAddPostRoutine([] {
    qt_gl_set_global_share_context(nullptr);
    delete OwnShareContext();
    OwnShareContext() = nullptr;
  });
}

struct Loaded {
  WebEngine* engine = nullptr;
  QString error;
};

QStringList Candidates() {
  const QString file = QStringLiteral(TESMIRO_WEB_ENGINE_FILE);
  if (qEnvironmentVariableIsSet("TESMIRO_WEB_ENGINE_LIBRARY"))
    return {qEnvironmentVariable("TESMIRO_WEB_ENGINE_LIBRARY")};
  return {QCoreApplication::applicationDirPath() + QStringLiteral("/../" TESMIRO_WEB_ENGINE_INSTALL_DIR "/") + file,
          QStringLiteral(TESMIRO_WEB_ENGINE_BUILD_DIR "/") + file};
}

Loaded Load() {
  Loaded result;
  QStringList tried;
  for (const QString& path : Candidates()) {
    if (!QFileInfo(path).isFile()) {
      tried << path;
      continue;
    }
    ShareOpenGLContexts();
    // Kept loaded for the rest of the run: its pages may live until the end.
    QPluginLoader loader(QFileInfo(path).absoluteFilePath());
    QObject* instance = loader.instance();
    if (auto* engine = qobject_cast<WebEngine*>(instance)) {
      result.engine = engine;
      return result;
    }
    result.error = instance ? path + QStringLiteral(" is not the web engine library") : loader.errorString();
    return result;
  }
  result.error = QStringLiteral("the web engine library was not found (looked for %1)").arg(tried.join(QStringLiteral(", ")));
  return result;
}

// A library that loaded stays; one that did not is looked for again at the
// next call, so that a library installed meanwhile is found.
const Loaded& Library() {
  static Loaded loaded;
  if (!loaded.engine) loaded = Load();
  return loaded;
}

}  // namespace

WebEngine* LoadedWebEngine() { return Library().engine; }

QString WebEngineLoadError() { return Library().error; }

}  // namespace tesmiro::player
