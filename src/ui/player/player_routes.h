#pragma once
// What the loopback server answers for every player: the host page's script
// and style, the player's own files, the device fonts, and the page of a
// browser preview with the player put in.
#include <QJsonObject>
#include <QString>
#include <QUrl>

namespace tesmiro::player {

class LoopbackServer;

// Sets the shared answers up once per server.
void EnsurePlayerRoutes(LoopbackServer& server);

// The player's fontSources and defaultFonts for the Japanese device fonts
// ("_ゴシック", "_等幅", "_明朝", and _sans as a Japanese desktop showed it),
// from the font files this machine has.
QJsonObject DeviceFontOptions(const LoopbackServer& server);

// Serves the folder of a browser preview's page, its HTML files with the
// web player put in, and returns the page's address for the desktop's
// browser. Empty when the player's files or the server are missing.
QUrl PublishBrowserPreview(const QString& pagePath);

// An HTML page with the player's configuration and script put in before
// everything else the page loads (after <head> or <html> when it has them).
QByteArray InjectPlayer(const QByteArray& html);

}  // namespace tesmiro::player
