#include "ui/player/player_routes.h"

#include <fontconfig/fontconfig.h>

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QList>
#include <QRegularExpression>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include "ui/player/host_page.h"
#include "ui/player/loopback_server.h"
#include "ui/player/ruffle_flash_view.h"

namespace tesmiro::player {
namespace {

// Japanese device fonts of the movies ("_ゴシック", "_等幅", "_明朝", and
// _sans as a Japanese desktop showed it) need font files the player can
// read; these are the families looked for.
struct DeviceFont {
  const char* family;
  const char* roles[3];
};
constexpr DeviceFont kDeviceFonts[] = {
    {"IPAGothic", {"japaneseGothic", "japaneseGothicMono", "typewriter"}},
    {"IPAPGothic", {"sans", nullptr, nullptr}},
    {"IPAMincho", {"japaneseMincho", "serif", nullptr}},
};

struct FontFile {
  QString family;
  QString path;
};

QList<FontFile> FindDeviceFonts() {
  QList<FontFile> found;
#if defined(__SANITIZE_ADDRESS__)
  // The font configuration lives for the whole program; its parser and
  // matcher keep a few blocks they never free, which are not ours to report.
  __lsan::ScopedDisabler configOwnsThese;
#endif
  if (!FcInit()) return found;
  for (const DeviceFont& f : kDeviceFonts) {
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(f.family));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcChar8* family = nullptr;
    FcChar8* file = nullptr;
    if (match && FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch &&
        FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
        QString::fromUtf8(reinterpret_cast<const char*>(family)) == QLatin1String(f.family)) {
      found.push_back({QString::fromLatin1(f.family), QString::fromUtf8(reinterpret_cast<const char*>(file))});
    }
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
  }
  return found;
}

const QList<FontFile>& DeviceFontFiles() {
  static const QList<FontFile> files = FindDeviceFonts();
  return files;
}

}  // namespace

void EnsurePlayerRoutes(LoopbackServer& server) {
  if (server.property("tesmiroPlayerRoutes").toBool()) return;
  server.setProperty("tesmiroPlayerRoutes", true);
  server.route(QStringLiteral("host.js"), [](const QString&) {
    HttpResponse r;
    r.contentType = "text/javascript; charset=utf-8";
    r.body = HostPageScript();
    r.cacheable = true;
    return r;
  });
  server.route(QStringLiteral("host.css"), [](const QString&) {
    HttpResponse r;
    r.contentType = "text/css; charset=utf-8";
    r.body = HostPageStyle();
    r.cacheable = true;
    return r;
  });
  server.mount(QStringLiteral("ruffle"), RuffleFlashView::ruffleFolder(), true);
  // Each font file by itself: the folders they lie in hold other files.
  const QList<FontFile>& fonts = DeviceFontFiles();
  for (qsizetype i = 0; i < fonts.size(); ++i) {
    const QString path = fonts[i].path;
    server.route(QStringLiteral("fonts/%1/%2").arg(i).arg(QFileInfo(path).fileName()), [path](const QString&) {
      static QHash<QString, QByteArray> cache;
      HttpResponse r;
      if (!cache.contains(path)) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
          r.status = 404;
          return r;
        }
        cache.insert(path, f.readAll());
      }
      r.contentType = LoopbackServer::contentTypeFor(path);
      r.body = cache.value(path);
      r.cacheable = true;
      return r;
    });
  }
  // A browser preview's page reads the player's settings from here.
  server.route(QStringLiteral("browser-config.js"), [&server](const QString&) {
    QJsonObject config = DeviceFontOptions(server);
    config[QStringLiteral("autoplay")] = QStringLiteral("on");
    config[QStringLiteral("unmuteOverlay")] = QStringLiteral("hidden");
    config[QStringLiteral("splashScreen")] = false;
    config[QStringLiteral("letterbox")] = QStringLiteral("off");
    HttpResponse r;
    r.contentType = "text/javascript; charset=utf-8";
    r.body = "window.RufflePlayer = window.RufflePlayer || {};\nwindow.RufflePlayer.config = " +
             QJsonDocument(config).toJson(QJsonDocument::Compact) + ";\n";
    return r;
  });
}

QJsonObject DeviceFontOptions(const LoopbackServer& server) {
  QJsonArray fontSources;
  QJsonObject defaultFonts;
  const QList<FontFile>& fonts = DeviceFontFiles();
  for (qsizetype i = 0; i < fonts.size(); ++i) {
    fontSources.append(
        server.url(QStringLiteral("fonts/%1/%2").arg(i).arg(QFileInfo(fonts[i].path).fileName())).toString());
    for (const DeviceFont& f : kDeviceFonts) {
      if (fonts[i].family != QLatin1String(f.family)) continue;
      for (const char* role : f.roles) {
        if (role) defaultFonts[QLatin1String(role)] = QJsonArray{fonts[i].family};
      }
    }
  }
  return {{QStringLiteral("fontSources"), fontSources}, {QStringLiteral("defaultFonts"), defaultFonts}};
}

QByteArray InjectPlayer(const QByteArray& html) {
  static const QByteArray scripts =
      "<script src=\"../browser-config.js\"></script><script src=\"../ruffle/ruffle.js\"></script>";
  const QString text = QString::fromLatin1(html);
  for (const char* tag : {"<head[^>]*>", "<html[^>]*>"}) {
    const QRegularExpressionMatch m =
        QRegularExpression(QLatin1String(tag), QRegularExpression::CaseInsensitiveOption).match(text);
    if (m.hasMatch()) {
      QByteArray out = html;
      return out.insert(m.capturedEnd(), scripts);
    }
  }
  return scripts + html;
}

QUrl PublishBrowserPreview(const QString& pagePath) {
  LoopbackServer* server = LoopbackServer::shared();
  if (!server || RuffleFlashView::ruffleFolder().isEmpty()) return {};
  EnsurePlayerRoutes(*server);
  const QFileInfo page(pagePath);
  server->mount(QStringLiteral("browser"), page.absolutePath(), false, [](const QString& file, const QByteArray& body) {
    const QString suffix = QFileInfo(file).suffix().toLower();
    return suffix == QLatin1String("html") || suffix == QLatin1String("htm") ? InjectPlayer(body) : body;
  });
  return server->url(QStringLiteral("browser/") + page.fileName());
}

}  // namespace tesmiro::player
