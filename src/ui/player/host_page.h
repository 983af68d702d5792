#pragma once
// The page the web view shows around the player, and its script. The page
// carries no inline script, so its content security policy can forbid every
// script but its own files and the player's wasm: a movie's
// getURL("javascript:...") or ExternalInterface.call runs nothing.
#include <QByteArray>
#include <QString>

namespace tesmiro::player {

// Messages of the page's script to the view arrive as console lines that
// begin with this marker, from the script's own URL.
inline constexpr const char* kHostMessageMarker = "\x02tesmiro\x02";

QByteArray HostPageHtml();
QByteArray HostPageScript();
QByteArray HostPageStyle();
// The policy sent with the page.
QByteArray HostPagePolicy();

}  // namespace tesmiro::player
