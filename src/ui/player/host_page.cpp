#include "ui/player/host_page.h"

namespace tesmiro::player {

QByteArray HostPageHtml() {
  return R"(<!doctype html>
<html><head><meta charset="utf-8"><title>player</title>
<link rel="icon" href="data:,">
<link rel="stylesheet" href="../host.css">
<script src="../host.js"></script>
<script src="../ruffle/ruffle.js"></script>
</head><body></body></html>
)";
}

QByteArray HostPageStyle() {
  return "html,body{margin:0;padding:0;overflow:hidden;width:100%;height:100%;background:#fff}"
         "#player{display:block;width:100%;height:100%}";
}

QByteArray HostPagePolicy() {
  return "default-src 'self'; script-src 'self' 'wasm-unsafe-eval'; style-src 'self' 'unsafe-inline'; "
         "img-src 'self' data: blob:; media-src 'self' data: blob:; font-src 'self' data:; connect-src 'self'; "
         "worker-src 'self' blob:; object-src 'none'; frame-src 'none'; base-uri 'none'; form-action 'none'";
}

// The view talks to the page through `window.tesmiro`, called with
// runJavaScript; the page answers with console lines (see
// kHostMessageMarker). The player is made once per movie and removed on
// release, so nothing of the last movie keeps running.
QByteArray HostPageScript() {
  return R"JS("use strict";
(() => {
  const MARKER = "\u0002tesmiro\u0002";
  const log = console.log.bind(console);
  const send = (kind, data) => log(MARKER + JSON.stringify({ kind, data }));
  // Each console line travels to the program; a movie that places a
  // missing character on every frame makes thousands a second. Only a view
  // that asks for the player's log (the tests) keeps the console.
  const consoleMethods = {};
  for (const name of ["log", "info", "warn", "error", "debug", "trace"]) consoleMethods[name] = console[name];
  function keepConsole(keep) {
    for (const name of Object.keys(consoleMethods)) console[name] = keep ? consoleMethods[name] : () => {};
  }
  window.RufflePlayer = { config: { polyfills: false } };

  let player = null;
  let generation = 0;
  // Without WebGL the player tries two GL renderers before its canvas one,
  // on every load; ask for the canvas at once then.
  let webgl = null;
  const hasWebGL = () => {
    if (webgl === null) {
      try {
        const canvas = document.createElement("canvas");
        webgl = !!(canvas.getContext("webgl2") || canvas.getContext("webgl"));
      } catch (e) {
        webgl = false;
      }
    }
    return webgl;
  };

  function metadataOf(p) {
    const m = p.ruffle().metadata || {};
    return {
      numFrames: m.numFrames ?? 0,
      width: m.width ?? 0,
      height: m.height ?? 0,
      frameRate: m.frameRate ?? 0,
      swfVersion: m.swfVersion ?? 0,
      backgroundColor: m.backgroundColor ?? null,
    };
  }

  function release() {
    generation += 1;
    if (player) {
      player.remove();
      player = null;
    }
  }

  function load(options) {
    release();
    keepConsole(options.logLevel && options.logLevel !== "error");
    const mine = generation;
    const p = window.RufflePlayer.newest().createPlayer();
    p.id = "player";
    document.body.appendChild(p);
    player = p;
    p.ruffle().addFSCommandHandler((command, args) => {
      if (mine === generation) send("fscommand", [String(command), String(args)]);
      return true;
    });
    // The player's own message on the stage (a movie it cannot read, a
    // start that failed) is in its own words: the program says its own.
    if (p.shadowRoot) {
      const watch = new MutationObserver(() => {
        if (mine !== generation || !p.shadowRoot.getElementById("panic")) return;
        watch.disconnect();
        send("panic", { generation: options.generation });
      });
      watch.observe(p.shadowRoot, { childList: true, subtree: true });
    }
    p.addEventListener("loadedmetadata", () => {
      if (mine !== generation) return;
      // With a software renderer the player offers a notice about hardware
      // acceleration on the first mouse-over; the preview has no use for it.
      p.shadowRoot?.getElementById("hardware-acceleration-modal")?.remove();
      send("loaded", { generation: options.generation, ...metadataOf(p) });
    });
    const config = {
      url: options.url,
      base: options.base,
      allowScriptAccess: true,
      autoplay: "on",
      unmuteOverlay: "hidden",
      splashScreen: false,
      letterbox: "off",
      wmode: "transparent",
      scale: "showAll",
      quality: "high",
      contextMenu: "rightClickOnly",
      showSwfDownload: false,
      warnOnUnsupportedContent: false,
      openUrlMode: "allow",
      allowNetworking: "all",
      upgradeToHttps: false,
      logLevel: options.logLevel || "error",
    };
    if (options.fontSources && options.fontSources.length) config.fontSources = options.fontSources;
    if (options.defaultFonts) config.defaultFonts = options.defaultFonts;
    if (!hasWebGL()) config.preferredRenderer = "canvas";
    Promise.resolve()
      .then(() => p.ruffle().load(config))
      .catch((e) => {
        if (mine === generation) send("error", { generation: options.generation, text: String(e && e.message || e) });
      });
  }

  window.tesmiro = Object.freeze({
    load,
    release,
    background(css) {
      document.documentElement.style.background = css;
      document.body.style.background = css;
    },
    // SWF 8 movies take commands through the reporter's callback; false
    // while the movie has not registered it yet.
    command(seq, op, frame) {
      if (!player || typeof player.tesmiroCommand !== "function") return false;
      try {
        player.tesmiroCommand(String(seq), String(op), String(frame));
        return true;
      } catch (e) {
        return false;
      }
    },
    // Held still for a picture or by the stop button: the player's own play
    // button would cover the frame.
    suspend() {
      if (!player) return;
      player.ruffle().suspend();
      const button = player.shadowRoot?.getElementById("play-button");
      if (button) button.style.display = "none";
    },
    resume() {
      if (player) player.ruffle().resume();
    },
    afterPaint(id) {
      requestAnimationFrame(() => requestAnimationFrame(() => send("painted", id)));
    },
  });

  const ready = () => send("ready", { ruffle: !!(window.RufflePlayer && window.RufflePlayer.newest) });
  if (document.readyState === "loading") document.addEventListener("DOMContentLoaded", ready);
  else ready();
})();
)JS";
}

}  // namespace tesmiro::player
