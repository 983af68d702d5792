// Behaviour of our ActionScript compiler in Ruffle: every case of
// tests/script/ruffle_cases.txt runs as the first frame of a movie clip of its own,
// one clip per frame of the main timeline, and the lines it traces must equal the
// expected ones, in SWF 6, 7 and 8 movies and (for the cases that say so) SWF 4.
// The compiled bytes come from the C++ test ScriptBehaviourCases of test_script,
// which writes them when TESMIRO_SCRIPT_CASES_OUT names a folder; avm1-parser
// checks each body on the way.   Run through CTest (it sets TESMIRO_BUILD_DIR).

import { test } from "node:test";
import assert from "node:assert/strict";
import { existsSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { dirname, join } from "node:path";
import { spawnSync } from "node:child_process";
import { fileURLToPath } from "node:url";
import { openRenderer } from "./render_swf.mjs";
import { checkActions } from "./check_actions.mjs";
import { u8, u16, u32, cstr as cstrOf, tag, stageRect } from "./swf_bytes.mjs";
import { skipOrFail } from "./tools.mjs";

const HERE = dirname(fileURLToPath(import.meta.url));
const CASES_FILE = join(HERE, "..", "script", "ruffle_cases.txt");

// --- the case file ---------------------------------------------------------------

function readCases() {
  const cases = [];
  let block = null; // "script" or the version key of an expect block
  for (const line of readFileSync(CASES_FILE, "utf8").split("\n")) {
    if (line.startsWith("=== ")) {
      const header = line.slice(4);
      const at = header.indexOf(" @");
      const words = (at < 0 ? "6 7 8" : header.slice(at + 2)).split(/\s+/).filter(Boolean);
      const versions = words.filter((w) => /^\d$/.test(w)).map(Number);
      const [kind, bits] = words.filter((w) => !/^\d$/.test(w));
      const handler = kind ? { kind, bits: Number(bits) } : null;
      cases.push({ name: at < 0 ? header : header.slice(0, at), versions, handler, input: [], expect: {} });
      block = "script";
    } else if (line.startsWith("--- input")) {
      block = "input";
    } else if (block === "input" && !line.startsWith("--- ")) {
      const [what, a, b] = line.trim().split(/\s+/);
      if (what === "click" || what === "move" || what === "down" || what === "up")
        cases.at(-1).input.push({ [what]: [Number(a), Number(b)] }, { frames: 2 });
      else if (what === "key") cases.at(-1).input.push({ key: a }, { frames: 2 });
    } else if (line.startsWith("--- expect")) {
      block = line.slice(10).trim() || "default";
      cases.at(-1).expect[block] = [];
    } else if (block && block !== "script" && !line.startsWith("#")) {
      cases.at(-1).expect[block].push(line);
    }
  }
  for (const c of cases)
    for (const key of Object.keys(c.expect)) {
      const lines = c.expect[key];
      while (lines.length && lines.at(-1) === "") lines.pop();
    }
  return cases;
}

function expectedLines(c, version) {
  const e = c.expect;
  return e[version] ?? (version === 8 ? e[7] : undefined) ?? e.default ?? [];
}

// --- a movie around the compiled bodies --------------------------------------------

const cstr = (s) => cstrOf(s, "latin1");

// Frame k of the main timeline places clip k (named "c<k>"), whose only frame runs
// case k; the last frame traces "#done" and stops.
function caseMovie(version, bodies) {
  const tags = [];
  if (version >= 8) tags.push(tag(69, u32(0)));
  tags.push(tag(9, u8(0xff, 0xff, 0xff)));
  bodies.forEach(({ index, bytes }, k) => {
    const id = k + 1;
    tags.push(tag(39, u16(id), u16(1), tag(12, bytes, u8(0)), tag(1), tag(0)));
    tags.push(tag(26, u8(0x22), u16(id), u16(id), cstr(`c${index}`)));
    tags.push(tag(1));
  });
  const done = Buffer.concat([u8(0x96), u16(7), u8(0), cstr("#done"), u8(0x26, 0x07, 0x00)]);
  tags.push(tag(12, done), tag(1));
  const body = Buffer.concat([stageRect(100, 100), u8(0, 60), u16(bodies.length + 1), ...tags, tag(0)]);
  return Buffer.concat([Buffer.from("FWS"), u8(version), u32(8 + body.length), body]);
}

// A movie for one handler case: a 100 x 100 square, inside a clip that carries the
// case as a clip event, or as the hit area of a button whose condition it is.
function handlerMovie(version, c, index, bytes) {
  const tags = [];
  if (version >= 8) tags.push(tag(69, u32(0)));
  tags.push(tag(9, u8(0xff, 0xff, 0xff)), tag(2, u16(1), stageRect(100, 100), squareShape()));
  const actions = Buffer.concat([bytes, u8(0)]);
  if (c.handler.kind === "clip") {
    const place = tag(26, u8(0x02), u16(1), u16(1));
    tags.push(tag(39, u16(2), u16(1), place, tag(1), tag(0)));
    const record = Buffer.concat([u32(c.handler.bits), u32(actions.length), actions]);
    const clipActions = Buffer.concat([u16(0), u32(c.handler.bits), record, u32(0)]);
    tags.push(tag(26, u8(0xa2), u16(1), u16(2), cstr(`c${index}`), clipActions));
  } else {
    // One record (all states, the square), then one condition; no matrix or colour change.
    const records = Buffer.concat([u8(0x0f), u16(1), u16(1), u8(0x00), u8(0x00), u8(0)]);
    const condition = Buffer.concat([u16(0), u16(c.handler.bits), actions]);
    tags.push(tag(34, u16(2), u8(0), u16(2 + records.length), records, condition));
    tags.push(tag(26, u8(0x22), u16(1), u16(2), cstr(`c${index}`)));
  }
  const ready = Buffer.concat([u8(0x96), u16(8), u8(0), cstr("#ready"), u8(0x26, 0x07, 0x00)]);
  tags.push(tag(12, ready), tag(1));
  const body = Buffer.concat([stageRect(100, 100), u8(0, 30), u16(1), ...tags, tag(0)]);
  return Buffer.concat([Buffer.from("FWS"), u8(version), u32(8 + body.length), body]);
}

// SHAPEWITHSTYLE of a black 2000 x 2000 twip square from the origin.
function squareShape() {
  let bits = "";
  const put = (value, n) => {
    bits += (value & ((1 << n) - 1)).toString(2).padStart(n, "0");
  };
  put(0, 1), put(0, 1), put(0, 1), put(0, 1), put(1, 1), put(1, 1); // style change: fill 0, move
  put(1, 5), put(0, 1), put(0, 1); // move to 0, 0
  put(1, 1); // fill style 0 = 1
  const edge = (vertical, delta) => {
    put(1, 1), put(1, 1), put(13 - 2, 4), put(0, 1), put(vertical ? 1 : 0, 1), put(delta, 13);
  };
  edge(false, 2000), edge(true, 2000), edge(false, -2000), edge(true, -2000);
  put(0, 6); // end of shape
  while (bits.length % 8) bits += "0";
  const records = Buffer.from(bits.match(/.{8}/g).map((b) => parseInt(b, 2)));
  return Buffer.concat([u8(1, 0x00, 0, 0, 0), u8(0), u8(0x10), records]);
}

// Trace lines grouped by the "#case N" marker each case prints first.
function linesByCase(traces) {
  const byCase = new Map();
  let current = null;
  for (const line of traces) {
    const m = /^#case (\d+)$/.exec(line);
    if (m) {
      current = Number(m[1]);
      byCase.set(current, []);
    } else if (line !== "#done" && current !== null) {
      byCase.get(current).push(line);
    }
  }
  return byCase;
}

// --- the test ------------------------------------------------------------------------

test("compiled scripts behave in Ruffle as ActionScript says", { timeout: 600000 }, async (t) => {
  const build = process.env.TESMIRO_BUILD_DIR;
  const testScript = build && join(build, "tests", "test_script");
  if (!testScript || !existsSync(testScript)) return skipOrFail(t, "TESMIRO_BUILD_DIR/tests/test_script is not built");

  const cases = readCases();
  assert.ok(cases.length >= 60, `only ${cases.length} cases`);
  const dir = mkdtempSync(join(tmpdir(), "tesmiro-script-cases-"));
  const renderer = await openRenderer({ timeoutMs: 120000 });
  try {
    const run = spawnSync(testScript, ["--gtest_filter=ScriptBehaviourCases.*"], {
      env: { ...process.env, TESMIRO_SCRIPT_CASES_OUT: dir },
      encoding: "utf8",
      timeout: 120000,
    });
    assert.equal(run.status, 0, `test_script failed:\n${run.stdout}\n${run.stderr}`);

    const report = [];
    for (const version of [6, 7, 8, 4]) {
      const target = version === 4 ? 4 : 6;
      const bodies = [];
      const mismatches = [];
      for (const [index, c] of cases.entries()) {
        if (!c.handler || !c.versions.includes(version)) continue;
        const bytes = readFileSync(join(dir, `${index}-${target}.bin`));
        assert.deepEqual(checkActions(bytes, { end: false }).problems, [], `avm1-parser on case "${c.name}"`);
        const path = join(dir, `handler-${index}-swf${version}.swf`);
        writeFileSync(path, handlerMovie(version, c, index, bytes));
        const started = Date.now();
        const want = expectedLines(c, version);
        const result = await renderer.render(path, {
          frames: 4,
          untilTrace: c.input.length ? "#ready" : want.at(-1),
          untilMs: 20000,
          input: [...c.input, { frames: 4 }],
        });
        t.diagnostic(`${c.name} (SWF ${version}): ${Date.now() - started} ms`);
        const got = result.traces.filter((l) => !l.startsWith("#"));
        if (JSON.stringify(got) !== JSON.stringify(want))
          mismatches.push(`"${c.name}":\n    expected ${JSON.stringify(want)}\n    traced   ${JSON.stringify(got)}`);
      }
      cases.forEach((c, index) => {
        if (c.handler || !c.versions.includes(version)) return;
        const bytes = readFileSync(join(dir, `${index}-${target}.bin`));
        const check = checkActions(bytes, { end: false });
        assert.deepEqual(check.problems, [], `avm1-parser on case "${c.name}" (target ${target})`);
        bodies.push({ index, bytes });
      });
      const path = join(dir, `cases-swf${version}.swf`);
      writeFileSync(path, caseMovie(version, bodies));
      const started = Date.now();
      const result = await renderer.render(path, { frames: 1, untilTrace: "#done", untilMs: 60000 });
      t.diagnostic(`${bodies.length} cases (SWF ${version}): ${Date.now() - started} ms`);
      assert.ok(result.traces.includes("#done"), `SWF ${version}: the movie did not reach its end`);
      const byCase = linesByCase(result.traces);
      for (const { index } of bodies) {
        const c = cases[index];
        const want = expectedLines(c, version);
        const got = byCase.get(index);
        if (!got) mismatches.push(`"${c.name}": did not run`);
        else if (JSON.stringify(got) !== JSON.stringify(want))
          mismatches.push(`"${c.name}":\n    expected ${JSON.stringify(want)}\n    traced   ${JSON.stringify(got)}`);
      }
      if (mismatches.length)
        report.push(`SWF ${version}: ${mismatches.length} of ${bodies.length} cases differ\n  ${mismatches.join("\n  ")}`);
    }
    assert.equal(report.join("\n"), "");
  } finally {
    await renderer.close();
    rmSync(dir, { recursive: true, force: true });
  }
});
