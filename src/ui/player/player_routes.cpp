#include "ui/player/player_routes.h"

#include <fontconfig/fontconfig.h>

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QList>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryFile>
#include <memory>
#include <optional>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include "project/model.h"
#include "ui/player/host_page.h"
#include "ui/player/loopback_server.h"
#include "ui/player/preview_files.h"
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

QString FontPath(qsizetype index) {
  return QStringLiteral("fonts/%1/%2").arg(index).arg(QFileInfo(DeviceFontFiles()[index].path).fileName());
}

HttpResponse NotFound() {
  HttpResponse r;
  r.status = 404;
  return r;
}

// "<index>/<file name>" of fonts/: each font file by itself, as the
// folders they lie in hold other files.
HttpResponse DeviceFontAnswer(const QString& rest) {
  static QHash<QString, QByteArray> cache;
  const QList<FontFile>& fonts = DeviceFontFiles();
  bool ok = false;
  const qsizetype index = rest.section(QLatin1Char('/'), 0, 0).toInt(&ok);
  if (!ok || index < 0 || index >= fonts.size() || QStringLiteral("fonts/") + rest != FontPath(index))
    return NotFound();
  const QString path = fonts[index].path;
  if (!cache.contains(path)) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return NotFound();
    cache.insert(path, f.readAll());
  }
  HttpResponse r;
  r.contentType = LoopbackServer::contentTypeFor(path);
  r.body = cache.value(path);
  r.cacheable = true;
  return r;
}

// A browser preview's page reads the player's settings from here.
HttpResponse BrowserConfig(const LoopbackServer& server, const QString& scope) {
  QJsonObject config = DeviceFontOptions(server, scope);
  config[QStringLiteral("autoplay")] = QStringLiteral("on");
  config[QStringLiteral("unmuteOverlay")] = QStringLiteral("hidden");
  config[QStringLiteral("splashScreen")] = false;
  config[QStringLiteral("letterbox")] = QStringLiteral("off");
  HttpResponse r;
  r.contentType = "text/javascript; charset=utf-8";
  r.body = "window.RufflePlayer = window.RufflePlayer || {};\nwindow.RufflePlayer.config = " +
           QJsonDocument(config).toJson(QJsonDocument::Compact) + ";\n";
  return r;
}

bool IsPage(const QString& file) {
  const QString suffix = QFileInfo(file).suffix().toLower();
  return suffix == QLatin1String("html") || suffix == QLatin1String("htm");
}

// What one browser preview serves, below /<id>/.
struct BrowserScope {
  QString id;
  QString folder;  // the page's
  QString ruffle;
  QSet<QString> files;  // below the folder
};

HttpResponse BrowserScopeAnswer(LoopbackServer& server, const BrowserScope& scope, const QString& path) {
  static const QString browser = QStringLiteral("browser/");
  static const QString ruffle = QStringLiteral("ruffle/");
  static const QString fonts = QStringLiteral("fonts/");
  if (path == QLatin1String("browser-config.js")) return BrowserConfig(server, scope.id);
  if (path.startsWith(ruffle)) return server.serveFile(scope.ruffle, path.mid(ruffle.size()), true);
  if (path.startsWith(fonts)) return DeviceFontAnswer(path.mid(fonts.size()));
  const QString file = path.mid(browser.size());
  if (!path.startsWith(browser) || !scope.files.contains(file)) return NotFound();
  // Only a page is read whole, to put the player in; every other file goes
  // out as the browser reads it, however large.
  if (!IsPage(file)) return server.serveFile(scope.folder, file);
  return server.serveFile(scope.folder, file, false, [](const QString&, const QByteArray& page) {
    return InjectPlayer(page);
  });
}

}  // namespace

void RouteMovie(LoopbackServer& server, const QString& prefix, const QString& moviePath) {
  const QFileInfo movie(moviePath);
  auto named = std::make_shared<std::optional<QSet<QString>>>();
  server.route(
      prefix,
      [&server, folder = movie.absolutePath(), name = movie.fileName(), path = movie.absoluteFilePath(),
       named](const QString& rest) {
        if (rest != name) {
          if (!*named) *named = PreviewPageFiles(path);
          if (!(*named)->contains(rest)) return NotFound();
        }
        return server.serveFile(folder, rest);
      },
      true);
}

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
  server.route(QStringLiteral("fonts"), DeviceFontAnswer, true);
}

QJsonObject DeviceFontOptions(const LoopbackServer& server, const QString& scope) {
  QJsonArray fontSources;
  QJsonObject defaultFonts;
  const QList<FontFile>& fonts = DeviceFontFiles();
  for (qsizetype i = 0; i < fonts.size(); ++i) {
    fontSources.append((scope.isEmpty() ? server.url(FontPath(i)) : server.scopeUrl(scope, FontPath(i))).toString());
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

bool HasBrowserPlayer() { return !RuffleFlashView::ruffleFolder().isEmpty(); }

QUrl PublishBrowserPreview(const QString& pagePath) {
  static QString previous;
  LoopbackServer* server = LoopbackServer::shared();
  const QString ruffle = RuffleFlashView::ruffleFolder();
  if (!server || ruffle.isEmpty()) return {};
  server->closeScope(previous);
  const QFileInfo page(pagePath);
  auto scope = std::make_shared<BrowserScope>();
  scope->folder = page.absolutePath();
  scope->ruffle = ruffle;
  scope->files = PreviewPageFiles(pagePath);
  scope->id = server->openScope(
      [server, scope](const QString& path) { return BrowserScopeAnswer(*server, *scope, path); });
  previous = scope->id;
  return server->ticketUrl(scope->id, QStringLiteral("browser/") + page.fileName());
}

QString WriteForwardingPage(const QUrl& url) {
  static std::unique_ptr<QTemporaryFile> previous;
  previous.reset();
  const QString folder = QString::fromStdString(GUICore::State().paths.scratch.string());
  auto file = std::make_unique<QTemporaryFile>(folder + QStringLiteral("/browser-XXXXXX.html"));
  // Made with the owner's permissions only, and a name no one else chose.
  if (folder.isEmpty() || !file->open()) return {};
  const QByteArray address = url.toString(QUrl::FullyEncoded).toHtmlEscaped().toUtf8();
  const QByteArray page =
      "<!doctype html>\n<html><head><meta charset=\"utf-8\"><meta name=\"referrer\" content=\"no-referrer\">"
      "<meta http-equiv=\"refresh\" content=\"0;url=" + address + "\"><title></title></head>\n<body><a href=\"" +
      address + "\">" + url.fileName().toHtmlEscaped().toUtf8() + "</a></body></html>\n";
  if (file->write(page) != page.size() || !file->flush()) return {};
  file->close();
  previous = std::move(file);
  return previous->fileName();
}

}  // namespace tesmiro::player
