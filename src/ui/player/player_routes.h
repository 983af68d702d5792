#pragma once
// What the loopback server answers for every player: the host page's script
// and style, the player's own files, the device fonts, and the page of a
// browser preview with the player put in.
#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QUrl>

namespace tesmiro::player {

class LoopbackServer;

// Sets the shared answers up once per server.
void EnsurePlayerRoutes(LoopbackServer& server);

// The player's fontSources and defaultFonts for the Japanese device fonts
// ("_ゴシック", "_等幅", "_明朝", and _sans as a Japanese desktop showed it),
// from the font files this machine has, at the server's token or in `scope`.
QJsonObject DeviceFontOptions(const LoopbackServer& server, const QString& scope = {});

// Whether a browser preview can have the web player: without its files the
// page opens as it is.
bool HasBrowserPlayer();

// Serves a browser preview in a scope of its own, which closes the one of
// the preview before: the page and its other HTML files with the web player
// put in, the files they and their movies name (see PreviewPageFiles), and
// the player. Returns the page's one-time address; empty when the server or
// the player's files are missing.
QUrl PublishBrowserPreview(const QString& pagePath);

// Serves the movie at `moviePath` at /<token>/<prefix>/<its name>, and of
// its folder only the files the movie names (see PreviewPageFiles), never
// the rest: with the preview files kept beside the project that folder is
// the project's own. The names are looked for when the first file other
// than the movie is asked for, so a movie that loads nothing costs nothing.
void RouteMovie(LoopbackServer& server, const QString& prefix, const QString& moviePath);

// A file of the user's own (0600) in the scratch folder that sends the
// desktop's browser on to `url`: the opener's command line, which every user
// can read, then names only the file. Empty when it cannot be written. The
// file of the call before is removed.
QString WriteForwardingPage(const QUrl& url);

// An HTML page with the player's configuration and script put in before
// everything else the page loads (after <head> or <html> when it has them).
QByteArray InjectPlayer(const QByteArray& html);

}  // namespace tesmiro::player
