// The whole road from a project file to a movie: tests/tools/make_fixture_project.cpp
// writes the fixture (its header comment lays out the frames), compile_project turns it
// into a SWF for versions 4, 6, 7 and 8, plain and compressed, and the movies are read
// back by swf-parser and played in Ruffle.

import { test, after } from "node:test";
import assert from "node:assert/strict";
import { existsSync, mkdirSync, mkdtempSync, readFileSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { checkSwfFile, tagName } from "./check_swf.mjs";
import { openRenderer } from "./render_swf.mjs";
import { toolPath, runTool, skipOrFail } from "./tools.mjs";

const root = mkdtempSync(join(tmpdir(), "tesmiro-movie-"));
after(() => rmSync(root, { recursive: true, force: true }));

const VERSIONS = [4, 6, 7, 8];
// 17 frames of the main timeline and the loading screen's frame before them.
const FRAMES = 18;
// Sprite character IDs are 2 x item ID: inner 10, outer 11, loading screen 9999.
const SPRITE_FRAMES = { 20: 8, 22: 1, 19998: 1 };

function buildMovie(version, compressed, extra = []) {
  const dir = join(root, `v${version}${compressed ? "c" : ""}${extra.length ? "x" : ""}`);
  mkdirSync(dir, { recursive: true });
  const project = join(dir, "fixture.tsm");
  const movie = join(dir, "fixture.swf");
  const made = runTool("make_fixture_project", [project, String(version), ...(compressed ? ["C"] : [])]);
  assert.equal(made.status, 0, made.stderr);
  const built = runTool("compile_project", [project, movie, ...extra]);
  return { project, movie, ...built };
}

const movies = new Map();
function movieFor(version, compressed) {
  const key = `${version}${compressed}`;
  if (!movies.has(key)) {
    const r = buildMovie(version, compressed);
    assert.equal(r.status, 0, r.stderr);
    assert.doesNotMatch(r.stderr, /\[エラー\]/);
    movies.set(key, r);
  }
  return movies.get(key);
}

const showFrames = (tags) => tags.filter((t) => tagName(t) === "ShowFrame").length;

for (const version of VERSIONS) {
  for (const compressed of [false, true]) {
    test(`SWF ${version}${compressed ? " compressed" : ""}: the movie parses and its frame counts hold`, (t) => {
      if (!toolPath("compile_project")) return skipOrFail(t, "TESMIRO_BUILD_DIR is not set");
      const { movie, stderr } = movieFor(version, compressed);
      const { problems, movie: swf } = checkSwfFile(movie);
      assert.deepEqual(problems, []);

      const signature = readFileSync(movie).subarray(0, 3).toString("latin1");
      assert.equal(signature, compressed && version !== 4 ? "CWS" : "FWS");
      if (compressed && version === 4) assert.match(stderr, /SWF4ではファイルを圧縮することは出来ません/);
      assert.equal(swf.header.swfVersion, version);
      assert.equal(swf.header.frameCount, FRAMES);
      assert.equal(showFrames(swf.tags), FRAMES);

      const sprites = swf.tags.filter((tag) => tagName(tag) === "DefineSprite");
      assert.deepEqual(Object.fromEntries(sprites.map((s) => [s.id, s.frameCount])), SPRITE_FRAMES);
      for (const s of sprites) assert.equal(showFrames(s.tags), s.frameCount, `sprite ${s.id}`);

      // The loading screen stands alone in the first frame, after its own definitions.
      const first = swf.tags.findIndex((tag) => tagName(tag) === "ShowFrame");
      const loader = swf.tags.findIndex((tag) => tag.id === 19998);
      assert.ok(loader >= 0 && loader < first);
      assert.equal(swf.tags[first - 1].name, "_PreLoader");

      const labels = swf.tags.filter((tag) => tagName(tag) === "FrameLabel").map((tag) => tag.name);
      assert.deepEqual(labels, ["top", "b", "c", "motion"]);

      // Blend modes and filters only in SWF 8: ten frames of the filter tween, one blend.
      const place3 = swf.tags.filter((tag) => tagName(tag) === "PlaceObject" && (tag.blendMode || tag.filters));
      assert.equal(place3.length, version === 8 ? 11 : 0);

      // Sound synchronisation: one silent stream, one block in every frame that a
      // placement or a wait writes while music sync is on (F2, F5, F8 .. F17).
      assert.equal(swf.tags.filter((tag) => tagName(tag) === "SoundStreamHead").length, 1);
      const blocks = [];
      let frame = 0;
      for (const tag of swf.tags) {
        if (tagName(tag) === "ShowFrame") frame++;
        else if (tagName(tag) === "SoundStreamBlock") blocks.push(frame);
      }
      assert.deepEqual(blocks, [2, 5, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17]);
    });
  }
}

// Every sprite is exported under its name, so that scripts can attach it; SWF 4 names
// characters with NameCharacter (tag 40), which swf-parser leaves raw.
test("every sprite is exported under its name", (t) => {
  if (!toolPath("compile_project")) return skipOrFail(t, "TESMIRO_BUILD_DIR is not set");
  for (const version of [4, 8]) {
    const { movie: swf } = checkSwfFile(movieFor(version, false).movie);
    const exported = {};
    for (const tag of swf.tags) {
      if (tagName(tag) === "ExportAssets") for (const a of tag.assets) exported[a.id] = a.name;
      if (tag.code === 40) exported[tag.data[0] | (tag.data[1] << 8)] = Buffer.from(tag.data.subarray(2, -1)).toString("latin1");
    }
    assert.deepEqual(exported, { 20: "inner", 22: "outer", 19998: "loader" }, `SWF ${version}`);
  }
});

test("cancel after three progress lines leaves no movie and says so", (t) => {
  if (!toolPath("compile_project")) return skipOrFail(t, "TESMIRO_BUILD_DIR is not set");
  const r = buildMovie(8, false, ["--cancel-at", "3"]);
  assert.equal(r.status, 3, r.stderr);
  assert.equal(existsSync(r.movie), false);
  assert.match(r.stderr, /SWF生成キャンセル/);
  assert.equal((r.stderr.match(/^progress: /gm) ?? []).length, 3);
});

// Where each object stands in main frame 13, where the movie stops: t = 0.5 for every
// ten-frame motion that began in frame 8. Colours [r, g, b].
const WHITE = [255, 255, 255], RED = [255, 0, 0], GREEN = [0, 255, 0], BLUE = [0, 0, 255];
function expectedPixels(version) {
  const v8 = version === 8;
  return [
    ["loading screen", [20, 20], GREEN],
    // easing 255 gives r = 0.75: x = 100 + 0.75 * 100 = 175 (linear would be 150)
    ["eased motion", [212, 70], RED],
    ["eased motion, left edge", [172, 70], WHITE],
    // segments (20,120) -> (80,120) -> (80,140), easing -255: r = 0.25 of 80 px -> (40,120)
    ["guide segments", [42, 122], GREEN],
    ["guide segments, left edge", [37, 140], WHITE],
    // smooth curve (240,120) ~ (280,100) ~ (320,120): one cubic with control points a
    // third of the way to the anchor; half way it stands at (280,110). A straight path
    // would give (280,120), a path through the anchor (280,100).
    ["guide curve", [282, 112], BLUE],
    ["guide curve, bottom edge", [300, 147], BLUE],
    // 45 degrees about the centre (340,220), scale 1.5: a diamond of half-diagonal 42
    ["rotation and scale", [340, 182], RED],
    ["rotation and scale, square's corner", [365, 195], WHITE],
    // alpha 50 %: 128/256 over white; brightness -50 %: -128
    ["alpha", [40, 220], [255, 127, 127]],
    ["brightness", [100, 220], [0, 127, 0]],
    ["colour transform", [40, 270], [255, 255, 0]],
    ["colour matrix filter at half way", [280, 220], v8 ? [0, 0, 128] : RED],
    ["mask, inside", [150, 220], RED],
    ["mask, outside", [170, 220], WHITE],
    ["difference blend over green", [225, 220], v8 ? [255, 255, 0] : RED],
    // outer at (200,10) places inner at (20,10) less its reference point (10,10);
    // inner stopped at its frame 5, 40 px along: x 250 .. 290
    ["nested sprites", [255, 30], BLUE],
    ["nested sprites, right edge", [293, 30], WHITE],
    ["button", [360, 40], RED],
    ["erased object", [120, 160], WHITE],
  ];
}

const near = (got, want, tolerance) => want.every((w, i) => Math.abs(got[i] - w) <= tolerance);

test("Ruffle plays the jumps in order, shows every motion at frame 13 and runs the button's handler", async (t) => {
  if (!toolPath("compile_project")) return skipOrFail(t, "TESMIRO_BUILD_DIR is not set");
  // One movie per version; two of them compressed.
  const runs = [[4, false], [6, true], [7, false], [8, true]];
  const renderer = await openRenderer({ timeoutMs: 240000 });
  try {
    for (const [version, compressed] of runs) {
      const expected = expectedPixels(version);
      const r = await renderer.render(movieFor(version, compressed).movie, {
        frames: 0,
        untilFSCommand: "stopped",
        untilMs: 60000,
        points: expected.map(([, p]) => p),
        input: [{ click: [360, 40] }, { frames: 2 }],
      });
      const label = `SWF ${version}`;
      assert.deepEqual(
        r.fscommands.map((f) => `${f.command}:${f.args}`),
        ["seq:1", "seq:2", "seq:3", "seq:4", "seq:5", "stopped:"],
        label,
      );
      const traces = version >= 6 ? ["motion", "outer loaded", "released"] : ["motion", "released"];
      assert.deepEqual(r.traces, traces, label);
      const wrong = [];
      expected.forEach(([what, point, colour], i) => {
        const p = r.pixels[i];
        if (!near([p.r, p.g, p.b], colour, 8)) wrong.push(`${what} at ${point}: ${[p.r, p.g, p.b]} not ${colour}`);
      });
      assert.deepEqual(wrong, [], `${label} (picture: ${r.screenshotPath})`);
    }
  } finally {
    await renderer.close();
  }
});
