// Tests of the checking harness itself, on movies assembled byte by byte here so that
// they depend on nothing of ours.   Run: node --test tests/js/

import { test } from "node:test";
import assert from "node:assert/strict";
import { mkdtempSync, writeFileSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { deflateSync } from "node:zlib";
import { spawnSync } from "node:child_process";
import { fileURLToPath } from "node:url";
import { checkSwf, tagName, TagType } from "./check_swf.mjs";
import { checkActions } from "./check_actions.mjs";
import { renderSwf, traceLineOf } from "./render_swf.mjs";
import { u8, u16, u32, cstr, tag, stageRect } from "./swf_bytes.mjs";

// --- a few bytes of SWF by hand ----------------------------------------------------

function movie({ version = 6, width = 200, height = 100, fps = 12, frames = 1, tags, compress = false }) {
  const body = Buffer.concat([stageRect(width, height), u8(0, fps), u16(frames), ...tags, tag(0)]);
  const total = 8 + body.length;
  if (compress) return Buffer.concat([Buffer.from("CWS"), u8(version), u32(total), deflateSync(body)]);
  return Buffer.concat([Buffer.from("FWS"), u8(version), u32(total), body]);
}

const action = (code, ...data) => {
  const d = Buffer.concat(data);
  return code < 0x80 ? u8(code) : Buffer.concat([u8(code), u16(d.length), d]);
};
const getURL = (url, target) => action(0x83, cstr(url), cstr(target));
const pushString = (s) => action(0x96, u8(0), cstr(s));
const trace = (s) => Buffer.concat([pushString(s), action(0x26)]);
const STOP = action(0x07);
const END = u8(0);

const BACKGROUND = [0x20, 0x80, 0xc0];
const FSCOMMAND = getURL("FSCommand:harness", "arg one");

function helloMovie(options = {}) {
  return movie({
    tags: [
      tag(9, u8(...BACKGROUND)),
      tag(12, FSCOMMAND, trace("hello from the movie"), STOP, END),
      tag(1),
    ],
    ...options,
  });
}

// --- check_swf ---------------------------------------------------------------------

test("check_swf reads exactly the hand-made tags, plain and compressed", () => {
  for (const compress of [false, true]) {
    const { ok, problems, movie: m } = checkSwf(helloMovie({ compress }));
    assert.deepEqual(problems, []);
    assert.ok(ok);
    assert.equal(m.header.swfVersion, 6);
    assert.deepEqual(m.header.frameSize, { xMin: 0, xMax: 4000, yMin: 0, yMax: 2000 });
    assert.equal(m.header.frameRate.valueOf(), 12);
    assert.equal(m.header.frameCount, 1);
    assert.deepEqual(m.tags.map(tagName), ["SetBackgroundColor", "DoAction", "ShowFrame"]);
    assert.deepEqual(m.tags[0].color, { r: 0x20, g: 0x80, b: 0xc0 });
    const expectedActions = Buffer.concat([FSCOMMAND, trace("hello from the movie"), STOP, END]);
    assert.deepEqual(Buffer.from(m.tags[1].actions), expectedActions);
  }
});

test("check_swf rejects broken framing and header lies", () => {
  const good = helloMovie();
  const problemsOf = (bytes) => checkSwf(bytes).problems.join("\n");

  assert.match(problemsOf(good.subarray(0, good.length - 2)), /End tag|past the end|file length/);
  const lyingLength = Buffer.from(good);
  lyingLength.writeUInt32LE(good.length + 5, 4);
  assert.match(problemsOf(lyingLength), /file length/);
  assert.match(problemsOf(helloMovie({ frames: 2 })), /frame count 2 stated, 1 ShowFrame/);
  assert.match(problemsOf(Buffer.concat([good, u8(0, 0)])), /after the End tag/);
  assert.match(problemsOf(Buffer.from("GWS\x06\x10\x00\x00\x00")), /signature|swf-parser failed/);
  assert.match(problemsOf(Buffer.concat([Buffer.from("CWS"), u8(6), u32(100), u8(1, 2, 3)])), /inflate/);
});

test("check_swf walks into sprites", () => {
  const sprite = (frames, ...inner) => tag(39, u16(1), u16(frames), ...inner, tag(0));
  assert.ok(checkSwf(movie({ tags: [sprite(1, tag(1)), tag(1)] })).ok);
  const { problems } = checkSwf(movie({ tags: [sprite(1, tag(1), tag(200, u8(1, 2))), tag(1)] }));
  assert.ok(problems.some((p) => /sprite 1 .*code 200/.test(p)), problems.join("\n"));
  assert.ok(checkSwf(movie({ tags: [sprite(3, tag(1)), tag(1)] })).problems.some((p) => /sprite 1: frame count 3/.test(p)));
});

test("check_swf allows only the listed raw tags", () => {
  const nameCharacter = tag(40, u16(1), cstr("clip"));
  assert.ok(checkSwf(movie({ version: 4, tags: [nameCharacter, tag(1)] })).ok);
  assert.ok(!checkSwf(movie({ version: 6, tags: [nameCharacter, tag(1)] })).ok);

  // FF D9 FF D8 before the JPEG stream: accepted in SWF 8 only in that exact form.
  const jpegAfterBadPrefix = u8(0xff, 0xd9, 0xff, 0xd8, 0xff, 0xd8, 0xff, 0xd9);
  assert.ok(checkSwf(movie({ version: 8, tags: [tag(21, u16(1), jpegAfterBadPrefix), tag(1)] })).ok);
  assert.ok(checkSwf(movie({ version: 8, tags: [tag(35, u16(1), u32(8), jpegAfterBadPrefix, u8(0x78)), tag(1)] })).ok);
  assert.ok(!checkSwf(movie({ version: 8, tags: [tag(21, u16(1), u8(1, 2, 3, 4, 5)), tag(1)] })).ok);

  const defineSound = (format) => tag(14, u16(1), u8((format << 4) | 0x0e), u32(0));
  assert.ok(checkSwf(movie({ tags: [defineSound(15), tag(1)] })).ok);
  assert.ok(!checkSwf(movie({ tags: [defineSound(14), tag(1)] })).ok);

  const { problems } = checkSwf(movie({ tags: [tag(200, u8(1)), tag(1)] }));
  assert.deepEqual(problems, ["movie tag #0 (RawBody): tag code 200 not understood (1 bytes)"]);
  assert.equal(TagType[TagType.RawBody], "RawBody");
});

test("check_swf's command line prints the movie as JSON and fails on problems", (t) => {
  const dir = mkdtempSync(join(tmpdir(), "tesmiro-harness-"));
  t.after(() => rmSync(dir, { recursive: true, force: true }));
  const script = fileURLToPath(new URL("./check_swf.mjs", import.meta.url));
  const run = (bytes) => {
    const file = join(dir, "m.swf");
    writeFileSync(file, bytes);
    return spawnSync(process.execPath, [script, file], { encoding: "utf8" });
  };
  const good = run(helloMovie());
  assert.equal(good.status, 0, good.stderr);
  const json = JSON.parse(good.stdout);
  assert.equal(json.movie.header.frameRate, 12);
  assert.deepEqual(json.movie.tags.map((t) => t.typeName), ["SetBackgroundColor", "DoAction", "ShowFrame"]);
  assert.equal(json.movie.tags[1].actions.slice(0, 2), "83");
  const bad = run(helloMovie({ frames: 3 }));
  assert.equal(bad.status, 1);
  assert.match(JSON.parse(bad.stdout).problems.join(), /frame count 3/);
});

// --- check_actions -----------------------------------------------------------------

const i16 = (v) => u16(v & 0xffff);
const jump = (offset) => action(0x99, i16(offset));
const ifTrue = (offset) => action(0x9d, i16(offset));
const defineFunction = (name, body) => Buffer.concat([action(0x9b, cstr(name), u16(0), u16(body.length)), body]);
const getURL2 = (flags) => action(0x9a, u8(flags));

test("check_actions follows functions, jumps and GetURL2 as players read them", () => {
  // f() { stop(); return; } then: if (x) skip trace; getURL2 POST into a target, load variables.
  const body = Buffer.concat([
    defineFunction("f", Buffer.concat([STOP, pushString("r"), action(0x3e)])),
    pushString("x"), action(0x1c), ifTrue(trace("t").length), trace("t"),
    pushString("u"), pushString("_root"), getURL2(0xc2),
    jump(0),
  ]);
  const r = checkActions(body, { end: false });
  assert.deepEqual(r.problems, []);
  assert.deepEqual(r.actions.map((a) => a.name), [
    "DefineFunction", "Stop", "Push", "Return", "Push", "GetVariable", "If", "Push", "Trace",
    "Push", "Push", "GetUrl2", "Jump",
  ]);
  const url2 = r.actions.find((a) => a.name === "GetUrl2");
  assert.deepEqual([url2.method, url2.loadTarget, url2.loadVariables], [2, true, true]);
  assert.ok(checkActions(Buffer.concat([body, END])).ok);
});

test("check_actions rejects broken bodies", () => {
  const problemsOf = (bytes, options) => checkActions(bytes, options).problems.join("\n");
  assert.match(problemsOf(Buffer.concat([jump(1), pushString("a"), END])), /Jump to 6, not an action boundary/);
  assert.match(problemsOf(Buffer.concat([jump(-100), END])), /not an action boundary/);
  // Into a function body from outside, and out of one.
  const fn = defineFunction("f", Buffer.concat([STOP, STOP]));
  assert.match(problemsOf(Buffer.concat([fn, jump(-(jump(0).length + 1)), END])), /outside its block/);
  assert.match(problemsOf(Buffer.concat([defineFunction("g", jump(1)), STOP, END])), /outside its block/);
  assert.match(problemsOf(Buffer.concat([action(0x9b, cstr("f"), u16(0), u16(5)), STOP, END])), /function body ends/);
  assert.match(problemsOf(Buffer.concat([u8(0x96, 10, 0, 0, 0x61), END])), /runs past the end/);
  assert.match(problemsOf(Buffer.concat([u8(0x01), END])), /unknown action 0x01/);
  assert.match(problemsOf(Buffer.concat([getURL2(0x03), END])), /GetURL2 flags 0x03/);
  assert.match(problemsOf(Buffer.concat([STOP, END, STOP, END])), /End action before the last byte/);
  assert.match(problemsOf(STOP), /no End action/);
  assert.match(problemsOf(Buffer.concat([STOP, END]), { end: false }), /in a body that should have none/);
});

test("check_swf checks every action list in the movie", () => {
  const badJump = Buffer.concat([jump(3), END]);
  assert.match(checkSwf(movie({ tags: [tag(12, badJump), tag(1)] })).problems.join(), /movie tag #0 actions: @0: Jump/);
  assert.ok(checkSwf(movie({ tags: [tag(12, badJump), tag(1)] }), { actions: false }).ok);
  assert.match(checkSwf(movie({ tags: [tag(12, STOP), tag(1)] })).problems.join(), /no End action/);
  const sprite = tag(39, u16(1), u16(1), tag(12, u8(0x02), END), tag(1), tag(0));
  assert.match(checkSwf(movie({ tags: [sprite, tag(1)] })).problems.join(), /sprite 1 tag #0 actions: @0: unknown action 0x02/);
});

// --- render_swf --------------------------------------------------------------------

test("the trace line is taken from Ruffle's styled console message", () => {
  const style = " color: whitesmoke; background: #444 color: gray; font-style: italic color: inherit";
  assert.equal(traceLineOf(`%cINFO%c web/src/log_adapter.rs:18%c a = 1${style}`), "a = 1");
  assert.equal(traceLineOf(`%cINFO%c web/src/log_adapter.rs:18%c ${style}`), "");
  assert.equal(traceLineOf(`%cINFO%c core/src/context.rs:364%c Loaded SWF version 6${style}`), null);
  assert.equal(traceLineOf(`%cWARN%c web/src/log_adapter.rs:24%c warning${style}`), null);
});

test("Ruffle shows the background and reports the FSCommand and the trace", async (t) => {
  const dir = mkdtempSync(join(tmpdir(), "tesmiro-harness-"));
  t.after(() => rmSync(dir, { recursive: true, force: true }));
  const file = join(dir, "hello.swf");
  writeFileSync(file, helloMovie({ compress: true }));

  const r = await renderSwf(file, {
    frames: 2,
    untilTrace: "hello from the movie",
    points: [[1, 1], [100, 50], [198, 98]],
    screenshotPath: join(dir, "shot.png"),
  });
  for (const p of r.pixels) assert.deepEqual([p.r, p.g, p.b], BACKGROUND, `pixel at ${p.x},${p.y}`);
  assert.deepEqual(r.fscommands, [{ command: "harness", args: "arg one" }]);
  assert.deepEqual(r.traces, ["hello from the movie"]);
  assert.deepEqual(r.stage, { width: 200, height: 100, frameRate: 12 });
});

test("mouse and keyboard input reach the movie's clip events", async (t) => {
  const dir = mkdtempSync(join(tmpdir(), "tesmiro-harness-"));
  t.after(() => rmSync(dir, { recursive: true, force: true }));
  const file = join(dir, "input.swf");
  // An empty sprite whose clip events trace: mouseDown anywhere, and the key press "a".
  const MOUSE_DOWN = u8(0x10, 0, 0, 0);
  const KEY_PRESS = u8(0, 0, 0x02, 0);
  const onMouseDown = Buffer.concat([trace("mouse down"), END]);
  const onKeyA = Buffer.concat([u8(0x61), trace("key a"), END]);
  const clipActions = Buffer.concat([
    u16(0),
    u32(0x10 | (0x02 << 16)),
    MOUSE_DOWN, u32(onMouseDown.length), onMouseDown,
    KEY_PRESS, u32(onKeyA.length), onKeyA,
    u32(0),
  ]);
  writeFileSync(
    file,
    movie({
      tags: [
        tag(9, u8(255, 255, 255)),
        tag(39, u16(1), u16(1), tag(1), tag(0)),
        tag(26, u8(0x80 | 0x02), u16(1), u16(1), clipActions),
        tag(12, STOP, END),
        tag(1),
      ],
    }),
  );
  const r = await renderSwf(file, {
    frames: 2,
    input: [{ click: [50, 50] }, { frames: 2 }, { key: "a" }, { frames: 2 }],
  });
  assert.deepEqual(r.traces, ["mouse down", "key a"]);
});
