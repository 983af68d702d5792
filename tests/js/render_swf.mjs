// Plays a SWF in Ruffle inside headless Chromium and reports what it showed and said.
//
// Module:
//   import { renderSwf, openRenderer } from "./render_swf.mjs";
//   const r = await renderSwf("movie.swf", {
//     frames: 3,                 // frames to let play after loading (at the movie's frame rate)
//     waitMs: 0,                 // extra wait after those frames
//     untilTrace: "done",        // optional: stop waiting early once this trace line appears
//     untilFSCommand: "quit",    // optional: ... or once this FSCommand arrives
//     untilMs: 15000,            // how long to wait beyond `frames` for either of those
//     points: [[10, 10]],        // stage pixels to sample (player is sized 1:1 to the stage)
//     input: [                   // optional, sent in order after the wait above
//       { click: [x, y] }, { move: [x, y] }, { down: [x, y] }, { up: [x, y] },
//       { key: "A" },            // Playwright key name, pressed and released
//       { wait: 100 },           // milliseconds
//       { frames: 2 },           // frames at the movie's frame rate
//     ],
//     screenshotPath: "out.png", // default: <tmp>/tesmiro-screenshots/<movie name>.png
//     timeoutMs: 180000,         // the whole run, a guard against a hung player (a busy
//                                // machine with its software renderer needs a minute for
//                                // what takes twenty seconds alone); the browser and
//                                // server always close
//     fonts: [{ path: "/usr/share/fonts/x.ttf", url: "/fonts/x.ttf" }],  // optional: font files
//                                // served at `url` and handed to Ruffle as font sources
//     defaultFonts: { japaneseGothic: ["IPAGothic"] },  // optional: Ruffle's defaultFonts; a
//                                // device font ("_sans", "_ゴシック", ...) only reaches a supplied
//                                // font through these (keys sans, serif, typewriter,
//                                // japaneseGothic, japaneseGothicMono, japaneseMincho)
//     files: { "/_preview.swf": "/abs/path" },  // optional: more files served by URL path
//   });
//   // r = { pixels: [{x, y, r, g, b, a}], traces: ["line", ...],
//   //       fscommands: [{command, args}], screenshotPath, stage: {width, height, frameRate} }
//   // Several movies in one browser: const renderer = await openRenderer(); await renderer.render(...);
//   // ...; await renderer.close();
// CLI:
//   node tests/js/render_swf.mjs movie.swf [--frames N] [--wait MS] [--point X,Y]...
//        [--click X,Y]... [--key NAME]... [--until-trace TEXT] [--until-fscommand CMD]
//        [--screenshot out.png] [--timeout MS]
//   prints the result as JSON.
// Environment: TESMIRO_CHROMIUM overrides /usr/bin/chromium; TESMIRO_RENDER_DEBUG=1 prints
// the page's console and the server's misses to stderr.
//
// Ruffle's wasm will not load from file:// URLs, so a loopback HTTP server on a random
// port serves Ruffle's files and the movie. Trace lines come from Ruffle's console log
// (its log adapter at level INFO); FSCommands from the player's FSCommand handler.

import { chromium } from "playwright-core";
import http from "node:http";
import { mkdirSync, mkdtempSync, readFileSync, rmSync, createReadStream, statSync } from "node:fs";
import { tmpdir } from "node:os";
import { basename, join, resolve, dirname, sep } from "node:path";
import { createRequire } from "node:module";
import { pathToFileURL } from "node:url";
import { inflateSync, constants as zlibConstants } from "node:zlib";

export const CHROMIUM = process.env.TESMIRO_CHROMIUM || "/usr/bin/chromium";

const CHROMIUM_ARGS = [
  "--headless",
  "--no-sandbox",
  "--disable-gpu",
  "--disable-background-networking",
  "--disable-component-update",
  "--disable-sync",
  "--no-first-run",
  "--disable-quic",
  "--autoplay-policy=no-user-gesture-required",
];

const require = createRequire(import.meta.url);
const RUFFLE_DIR = dirname(require.resolve("@ruffle-rs/ruffle/package.json"));

export async function renderSwf(path, options = {}) {
  const timeoutMs = options.timeoutMs ?? 180000;
  const renderer = await openRenderer({ timeoutMs });
  try {
    return await renderer.render(path, options);
  } finally {
    await renderer.close();
  }
}

export async function openRenderer({ timeoutMs = 180000 } = {}) {
  const server = await startServer();
  const profileDir = mkdtempSync(join(tmpdir(), "tesmiro-chromium-"));
  let context = null;
  try {
    // Playwright's own launch timeout also ends the browser process it started.
    context = await chromium.launchPersistentContext(profileDir, {
      executablePath: CHROMIUM,
      headless: true,
      args: CHROMIUM_ARGS,
      viewport: { width: 800, height: 600 },
      deviceScaleFactor: 1,
      timeout: timeoutMs,
    });
  } catch (e) {
    await server.close();
    rmSync(profileDir, { recursive: true, force: true });
    throw e;
  }
  let closed = false;
  return {
    async render(path, options = {}) {
      if (closed) throw new Error("renderer is closed");
      const limit = options.timeoutMs ?? timeoutMs;
      const page = await context.newPage();
      try {
        return await withTimeout(renderOnPage(page, server, path, options), limit, `rendering ${path}`);
      } finally {
        await page.close().catch(() => {});
      }
    },
    async close() {
      if (closed) return;
      closed = true;
      await context.close().catch(() => {});
      await server.close();
      rmSync(profileDir, { recursive: true, force: true });
    },
  };
}

// ---------------------------------------------------------------------------

async function renderOnPage(page, server, path, options) {
  const bytes = readFileSync(path);
  const stage = stageOf(bytes);
  const movieUrl = server.publish(path);
  for (const [urlPath, file] of Object.entries(options.files ?? {})) server.serve(urlPath, file);
  const fontSources = (options.fonts ?? []).map((f) => {
    server.serve(f.url, f.path);
    return server.url(f.url);
  });
  const traces = [];
  const fscommands = [];
  const errors = [];
  const waiters = [];
  const notify = () => {
    for (const w of waiters.splice(0)) w();
  };
  page.on("console", (msg) => {
    if (process.env.TESMIRO_RENDER_DEBUG) process.stderr.write(`[console ${msg.type()}] ${msg.text()}\n`);
    const line = traceLineOf(msg.text());
    if (line !== null) {
      traces.push(line);
      notify();
    }
  });
  page.on("pageerror", (e) => errors.push(e.message));
  await page.exposeFunction("__tesmiroFSCommand", (command, args) => {
    fscommands.push({ command, args });
    notify();
  });
  await page.setViewportSize({ width: Math.max(stage.width, 1), height: Math.max(stage.height, 1) });
  await page.goto(server.url("/index.html"));
  await page.evaluate(
    async ({ url, width, height, fontSources, defaultFonts }) => {
      const player = window.RufflePlayer.newest().createPlayer();
      player.id = "player";
      player.style.width = `${width}px`;
      player.style.height = `${height}px`;
      player.style.display = "block";
      document.body.appendChild(player);
      player.ruffle().addFSCommandHandler((command, args) => {
        window.__tesmiroFSCommand(String(command), String(args));
      });
      const loaded = new Promise((ok) => player.addEventListener("loadedmetadata", ok, { once: true }));
      player.ruffle().load({
        url,
        autoplay: "on",
        unmuteOverlay: "hidden",
        splashScreen: false,
        letterbox: "off",
        contextMenu: "off",
        allowScriptAccess: true,
        logLevel: "info",
        openUrlMode: "deny",
        warnOnUnsupportedContent: false,
        showSwfDownload: false,
        quality: "high",
        ...(fontSources.length ? { fontSources } : {}),
        ...(defaultFonts ? { defaultFonts } : {}),
      });
      await loaded;
      // With a software renderer Ruffle opens a notice about hardware acceleration on the
      // first mouse-over, and that notice would swallow the clicks meant for the movie.
      player.shadowRoot?.getElementById("hardware-acceleration-modal")?.remove();
    },
    {
      url: movieUrl,
      width: stage.width,
      height: stage.height,
      fontSources,
      defaultFonts: options.defaultFonts ?? null,
    },
  );
  if (errors.length) throw new Error(`page error: ${errors.join("; ")}`);

  const frameMs = 1000 / (stage.frameRate > 0 ? stage.frameRate : 12);
  const until = () =>
    (options.untilTrace !== undefined && traces.includes(options.untilTrace)) ||
    (options.untilFSCommand !== undefined && fscommands.some((f) => f.command === options.untilFSCommand));
  const hasUntil = options.untilTrace !== undefined || options.untilFSCommand !== undefined;
  const waitFor = async (ms, stopEarly) => {
    const end = Date.now() + ms;
    while (Date.now() < end) {
      if (stopEarly && until()) return;
      await new Promise((ok) => {
        const t = setTimeout(ok, Math.min(50, end - Date.now()));
        waiters.push(() => {
          clearTimeout(t);
          ok();
        });
      });
    }
  };
  // Ruffle shows the first frame on its first tick after loading; one extra frame of
  // slack keeps a slow machine from sampling before it.
  await waitFor(((options.frames ?? 1) + 1) * frameMs + (options.waitMs ?? 0), hasUntil);
  if (hasUntil && !until()) {
    // A slow machine may need longer; a movie that never says it is a test failure
    // that the caller sees in the traces, so stop waiting quietly.
    await waitFor(options.untilMs ?? 15000, true);
  }

  // Timers run on even when the machine is too busy to paint; two animation frames
  // make sure Ruffle has ticked and drawn since the wait ended.
  const settle = () => page.evaluate(() => new Promise((ok) => requestAnimationFrame(() => requestAnimationFrame(ok))));
  await settle();

  const player = page.locator("#player");
  for (const step of options.input ?? []) {
    if (step.click) await page.mouse.click(step.click[0], step.click[1]);
    else if (step.move) await page.mouse.move(step.move[0], step.move[1]);
    else if (step.down) {
      await page.mouse.move(step.down[0], step.down[1]);
      await page.mouse.down();
    } else if (step.up) {
      await page.mouse.move(step.up[0], step.up[1]);
      await page.mouse.up();
    } else if (step.key !== undefined) {
      await player.focus().catch(() => {});
      await page.keyboard.press(step.key);
    } else if (step.wait !== undefined) await waitFor(step.wait, false);
    else if (step.frames !== undefined) await waitFor(step.frames * frameMs, false);
    else throw new Error(`unknown input step ${JSON.stringify(step)}`);
  }
  if (options.input?.length) await waitFor(2 * frameMs, false);
  await settle();

  // By default the latest picture of each movie name stays in one shared folder, for
  // looking at after a failure without piling up folders.
  let screenshotPath = options.screenshotPath;
  if (!screenshotPath) {
    const dir = join(tmpdir(), "tesmiro-screenshots");
    mkdirSync(dir, { recursive: true });
    screenshotPath = join(dir, `${basename(path).replace(/\.swf$/i, "")}.png`);
  }
  const png = await page.screenshot({
    path: screenshotPath,
    clip: { x: 0, y: 0, width: Math.max(stage.width, 1), height: Math.max(stage.height, 1) },
  });
  const pixels = await samplePixels(page, png, options.points ?? []);
  if (errors.length) throw new Error(`page error: ${errors.join("; ")}`);
  return { pixels, traces, fscommands, screenshotPath, stage };
}

// Ruffle logs trace() at level INFO from its log adapter, styled with %c:
//   "%cINFO%c web/src/log_adapter.rs:18%c <text>" followed by the three style arguments.
const TRACE_PREFIX = /^%cINFO%c web\/src\/log_adapter\.rs:\d+%c /;
const STYLE_SUFFIX = " color: whitesmoke; background: #444 color: gray; font-style: italic color: inherit";

export function traceLineOf(text) {
  const m = TRACE_PREFIX.exec(text);
  if (!m) return null;
  const rest = text.slice(m[0].length);
  return rest.endsWith(STYLE_SUFFIX) ? rest.slice(0, -STYLE_SUFFIX.length) : rest;
}

// Reads the pixels back from the PNG itself, decoded by the browser.
async function samplePixels(page, png, points) {
  if (points.length === 0) return [];
  return page.evaluate(
    async ({ dataUrl, points: pts }) => {
      const img = new Image();
      img.src = dataUrl;
      await img.decode();
      const canvas = document.createElement("canvas");
      canvas.width = img.width;
      canvas.height = img.height;
      const ctx = canvas.getContext("2d", { willReadFrequently: true });
      ctx.drawImage(img, 0, 0);
      return pts.map(([x, y]) => {
        const d = ctx.getImageData(x, y, 1, 1).data;
        return { x, y, r: d[0], g: d[1], b: d[2], a: d[3] };
      });
    },
    { dataUrl: `data:image/png;base64,${png.toString("base64")}`, points },
  );
}

// Stage size in whole pixels and frame rate, read straight from the header.
function stageOf(bytes) {
  let b = bytes;
  const sig = String.fromCharCode(b[0], b[1], b[2]);
  if (sig === "CWS") {
    b = Buffer.concat([b.subarray(0, 8), inflateHead(b.subarray(8))]);
  } else if (sig !== "FWS") {
    throw new Error(`not a SWF (signature "${sig}")`);
  }
  const reader = { pos: 8 * 8 };
  const bits = (n) => {
    let v = 0;
    for (let i = 0; i < n; i++) {
      const byte = b[reader.pos >> 3];
      if (byte === undefined) throw new Error("SWF header cut off");
      v = (v << 1) | ((byte >> (7 - (reader.pos & 7))) & 1);
      reader.pos++;
    }
    return v;
  };
  const signed = (n) => {
    const v = bits(n);
    return n > 0 && v & (1 << (n - 1)) ? v - 2 ** n : v;
  };
  const n = bits(5);
  const xMin = signed(n), xMax = signed(n), yMin = signed(n), yMax = signed(n);
  const at = (reader.pos + 7) >> 3;
  const frameRate = ((b[at] ?? 0) / 256) + (b[at + 1] ?? 0);
  return {
    width: Math.round((xMax - xMin) / 20),
    height: Math.round((yMax - yMin) / 20),
    frameRate,
  };
}

function inflateHead(data) {
  // Only the header is needed; a partial inflate of a damaged movie is still fine here.
  return inflateSync(data, { finishFlush: zlibConstants.Z_SYNC_FLUSH });
}

// Serves Ruffle's files under /ruffle/, published movies under /movie/<n>.swf, files the
// caller names by URL path (fonts, movies a movie loads) and a bare page.
async function startServer() {
  const movies = new Map();
  const extra = new Map();
  const page =
    "<!doctype html><html><head><meta charset=utf-8><link rel=icon href=data:,><style>html,body{margin:0;padding:0;overflow:hidden;background:#fff}</style>" +
    '<script>window.RufflePlayer=window.RufflePlayer||{};</script><script src="/ruffle/ruffle.js"></script></head><body></body></html>';
  const types = { ".js": "text/javascript", ".wasm": "application/wasm", ".map": "application/json" };
  const server = http.createServer((req, res) => {
    const url = new URL(req.url, "http://127.0.0.1");
    const send = (status, type, body) => {
      res.writeHead(status, { "content-type": type, "cache-control": "no-store" });
      res.end(body);
    };
    if (url.pathname === "/index.html") return send(200, "text/html; charset=utf-8", page);
    let file = null;
    let type = "application/octet-stream";
    if (extra.has(url.pathname)) {
      file = extra.get(url.pathname);
      if (/\.swf$/i.test(file)) type = "application/x-shockwave-flash";
    } else if (url.pathname.startsWith("/movie/")) {
      file = movies.get(url.pathname);
      type = "application/x-shockwave-flash";
    } else if (url.pathname.startsWith("/ruffle/")) {
      const candidate = resolve(RUFFLE_DIR, "." + decodeURIComponent(url.pathname.slice("/ruffle".length)));
      if (candidate.startsWith(RUFFLE_DIR + sep)) {
        file = candidate;
        type = types[candidate.slice(candidate.lastIndexOf("."))] ?? type;
      }
    }
    if (!file) {
      if (process.env.TESMIRO_RENDER_DEBUG) process.stderr.write(`[http 404] ${url.pathname}\n`);
      return send(404, "text/plain", "not found");
    }
    try {
      const size = statSync(file).size;
      res.writeHead(200, { "content-type": type, "content-length": size, "cache-control": "no-store" });
      createReadStream(file).on("error", () => res.destroy()).pipe(res);
    } catch {
      send(404, "text/plain", "not found");
    }
  });
  await new Promise((ok, fail) => {
    server.once("error", fail);
    server.listen(0, "127.0.0.1", ok);
  });
  const base = `http://127.0.0.1:${server.address().port}`;
  return {
    url: (p) => base + p,
    publish(path) {
      const p = `/movie/${movies.size + 1}.swf`;
      movies.set(p, resolve(path));
      return base + p;
    },
    serve(urlPath, file) {
      if (!urlPath.startsWith("/") || urlPath === "/index.html" || /^\/(movie|ruffle)\//.test(urlPath))
        throw new Error(`cannot serve a file at ${urlPath}`);
      extra.set(urlPath, resolve(file));
    },
    close: () =>
      new Promise((ok) => {
        server.closeAllConnections?.();
        server.close(() => ok());
      }),
  };
}

function withTimeout(promise, ms, what) {
  let timer;
  return Promise.race([
    promise,
    new Promise((_, fail) => {
      timer = setTimeout(() => fail(new Error(`${what}: no result within ${ms} ms`)), ms);
    }),
  ]).finally(() => clearTimeout(timer));
}

// ---------------------------------------------------------------------------

function parseArgs(argv) {
  const options = { points: [], input: [] };
  let file = null;
  const pair = (s) => s.split(",").map(Number);
  for (let i = 0; i < argv.length; i++) {
    const a = argv[i];
    const next = () => {
      if (i + 1 >= argv.length) throw new Error(`${a} needs a value`);
      return argv[++i];
    };
    if (a === "--frames") options.frames = Number(next());
    else if (a === "--wait") options.waitMs = Number(next());
    else if (a === "--point") options.points.push(pair(next()));
    else if (a === "--click") options.input.push({ click: pair(next()) });
    else if (a === "--key") options.input.push({ key: next() });
    else if (a === "--until-trace") options.untilTrace = next();
    else if (a === "--until-fscommand") options.untilFSCommand = next();
    else if (a === "--screenshot") options.screenshotPath = next();
    else if (a === "--timeout") options.timeoutMs = Number(next());
    else if (!file && !a.startsWith("--")) file = a;
    else throw new Error(`unknown argument ${a}`);
  }
  if (!file) throw new Error("no movie given");
  return { file, options };
}

if (import.meta.url === pathToFileURL(process.argv[1] ?? "").href) {
  let args;
  try {
    args = parseArgs(process.argv.slice(2));
  } catch (e) {
    process.stderr.write(`${e.message}\nusage: node render_swf.mjs movie.swf [--frames N] [--wait MS] ` +
      "[--point X,Y]... [--click X,Y]... [--key NAME]... [--until-trace TEXT] [--until-fscommand CMD] " +
      "[--screenshot out.png] [--timeout MS]\n");
    process.exit(2);
  }
  try {
    const result = await renderSwf(args.file, args.options);
    process.stdout.write(JSON.stringify(result, null, 2) + "\n");
  } catch (e) {
    process.stderr.write(`render failed: ${e.message}\n`);
    process.exit(1);
  }
}
