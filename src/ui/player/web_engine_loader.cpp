#include "ui/player/web_engine_loader.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QOpenGLContext>
#include <QPointer>
#include <QStringList>
#include <QThread>
#include <algorithm>
#include <thread>
#include <utility>

#include "ui/common/plugin_loader.h"
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

// The shared context, made ahead on a worker thread where the platform
// allows it: with a software GL its driver takes a good while to come in.
struct SharePreparation {
  std::thread worker;
  QOpenGLContext* made = nullptr;  // belongs to the GUI thread once made
  bool started = false;
};

SharePreparation& Preparation() {
  static SharePreparation preparation;
  return preparation;
}

// Qt WebEngine draws through OpenGL contexts shared with the windows' (its
// views move between windows). A program that links it gets the shared
// context as the application starts, at a cost to every start: the GL
// driver comes in with it. This program makes it when it loads the
// library, before the library looks for it.
void ShareOpenGLContexts() {
  if (QOpenGLContext::globalShareContext()) return;
  SharePreparation& preparation = Preparation();
  if (preparation.worker.joinable()) preparation.worker.join();
  QOpenGLContext* context = std::exchange(preparation.made, nullptr);
  if (!context) {
    context = new QOpenGLContext;
    context->create();
  }
  // No OpenGL here (a display without GLX, a driver that fails): the web
  // views, composed through a context that is not there, would bring the
  // program down the first time one is shown. Qt Quick draws them in
  // software instead. (The web engine still asks the context it was handed
  // what it is, so it gets the one that failed.)
  if (!context->isValid() && !qEnvironmentVariableIsSet("QT_QUICK_BACKEND"))
    qputenv("QT_QUICK_BACKEND", "software");
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
  QString reason;  // for the user
};

QStringList Candidates() {
  return gui::PluginCandidates("TESMIRO_WEB_ENGINE_LIBRARY", QStringLiteral(TESMIRO_WEB_ENGINE_FILE));
}

// What the user is told when the library is not there or will not load.
QString FailureReason(const gui::Plugin<WebEngine>& plugin) {
  QString why;
  switch (plugin.failure) {
    case gui::PluginFailure::None:
      return {};
    case gui::PluginFailure::Missing:
      why = QStringLiteral("が見つかりません。");
      break;
    case gui::PluginFailure::Unloadable:
      why = QStringLiteral("を読み込めません（壊れているか、それが使うライブラリが入っていません）。");
      break;
    case gui::PluginFailure::NotThePlugin:
      why = QStringLiteral("はプレビュー用のライブラリではありません。");
      break;
  }
  return QStringLiteral("ファイル [%1] ").arg(plugin.path) + why + QStringLiteral("Tesmiro をインストールし直してください。");
}

Loaded Load() {
  const gui::Plugin<WebEngine> plugin =
      gui::LoadPluginAs<WebEngine>(Candidates(), QStringLiteral("the web engine library"), ShareOpenGLContexts);
  // The library's own words (a missing dependency's name) are for the log.
  if (!plugin.object) qWarning("tesmiro: no previews: %s", qUtf8Printable(plugin.error));
  return {plugin.object, FailureReason(plugin)};
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

QString WebEngineLoadError() { return Library().reason; }

void PrepareWebEngine(QObject* receiver, std::function<void()> ready) {
  QPointer<QObject> target(receiver);
  auto callReady = [target, ready = std::move(ready)] {
    if (target) ready();
  };
  SharePreparation& preparation = Preparation();
  const QStringList candidates = Candidates();
  const bool libraryThere =
      std::any_of(candidates.begin(), candidates.end(), [](const QString& path) { return QFileInfo(path).isFile(); });
  if (preparation.started || !libraryThere || QOpenGLContext::globalShareContext() ||
      !QOpenGLContext::supportsThreadedOpenGL()) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), callReady, Qt::QueuedConnection);
    return;
  }
  preparation.started = true;
  QThread* gui = QCoreApplication::instance()->thread();
  preparation.worker = std::thread([gui, callReady] {
    auto* context = new QOpenGLContext;
    context->create();
    context->moveToThread(gui);
    Preparation().made = context;
    QMetaObject::invokeMethod(QCoreApplication::instance(), callReady, Qt::QueuedConnection);
  });
  // A program that ends meanwhile waits for the worker.
  qAddPostRoutine([] {
    SharePreparation& p = Preparation();
    if (p.worker.joinable()) p.worker.join();
    delete std::exchange(p.made, nullptr);
  });
}

}  // namespace tesmiro::player
