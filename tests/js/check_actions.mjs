// Independent check of AVM1 action bytes with avm1-parser.
//
// Module:
//   import { checkActions, checkMovieActions } from "./check_actions.mjs";
//   checkActions(bytes, { end: false })  // compiler output: records without the closing 0x00
//   checkActions(bytes)                  // an action list as stored in a movie: must end with 0x00
//   // -> { ok, problems, actions: [{ offset, length, code, name, ...fields }] }
//   //    (Jump and If carry their relative target as `branch`)
//   checkMovieActions(movie)             // every list in a swf-parser Movie (DoAction,
//                                        // DoInitAction, button conditions, clip events)
//   // -> problems, each prefixed with where the list is
// CLI:
//   node tests/js/check_actions.mjs HEX|file.bin [--body]   prints the JSON result
//
// The walk over the action headers is our own, so avm1-parser only ever sees the bytes
// of one action and cannot read past it. Checked: every action is known and parses;
// every jump (Jump, If) lands on an action boundary inside its own code block (a
// function body is a block of its own); function, With and Try sizes end on
// boundaries inside the enclosing block; WaitForFrame skips stay inside it.
// GetURL2's flags byte is decoded here in the layout players read (method in the low
// two bits, 0x40 load into target, 0x80 load variables): avm1-parser reads it the
// other way round.

import { readFileSync, existsSync } from "node:fs";
import { pathToFileURL } from "node:url";
import { Avm1Parser } from "avm1-parser";
import { ActionType } from "avm1-types/action-type";

export { ActionType };

export function checkActions(bytes, { end = true } = {}) {
  const data = bytes instanceof Uint8Array ? bytes : new Uint8Array(bytes);
  const problems = [];
  const actions = [];
  let pos = 0;
  let sawEnd = false;
  while (pos < data.length) {
    const code = data[pos];
    if (code === 0) {
      if (pos !== data.length - 1) problems.push(`@${pos}: End action before the last byte`);
      sawEnd = true;
      actions.push({ offset: pos, length: 1, code, name: "End" });
      pos += 1;
      break;
    }
    let length = 1;
    if (code >= 0x80) {
      if (pos + 3 > data.length) {
        problems.push(`@${pos}: action 0x${hex(code)} header cut off`);
        break;
      }
      length = 3 + (data[pos + 1] | (data[pos + 2] << 8));
      if (pos + length > data.length) {
        problems.push(`@${pos}: action 0x${hex(code)} of ${length} bytes runs past the end (${data.length})`);
        break;
      }
    }
    const record = parseOne(data.subarray(pos, pos + length), code);
    if (record.problem) problems.push(`@${pos}: ${record.problem}`);
    actions.push({ ...record.action, offset: pos, length, code });
    pos += length;
  }
  if (end && !sawEnd) problems.push("no End action (0x00) at the end");
  if (!end && sawEnd) problems.push("End action (0x00) in a body that should have none");
  if (problems.length === 0) checkControlFlow(actions, data.length, problems);
  return { ok: problems.length === 0, problems, actions };
}

export function checkMovieActions(movie) {
  const problems = [];
  const visit = (tags, where) => {
    tags.forEach((tag, i) => {
      const here = `${where} tag #${i}`;
      const check = (bytes, what) => {
        for (const p of checkActions(bytes).problems) problems.push(`${here} ${what}: ${p}`);
      };
      if (tag.actions instanceof Uint8Array) check(tag.actions, "actions");
      if (Array.isArray(tag.actions)) {
        tag.actions.forEach((c, j) => c.actions instanceof Uint8Array && check(c.actions, `condition #${j}`));
      }
      if (Array.isArray(tag.clipActions)) {
        tag.clipActions.forEach((c, j) => check(c.actions, `clip event #${j}`));
      }
      if (Array.isArray(tag.tags)) visit(tag.tags, `sprite ${tag.id}`);
    });
  };
  visit(movie.tags, "movie");
  return problems;
}

// ---------------------------------------------------------------------------

function parseOne(slice, code) {
  if (code === 0x9a) {
    if (slice.length !== 4) return { action: { name: "GetUrl2" }, problem: `GetURL2 with ${slice.length - 3} data bytes` };
    const flags = slice[3];
    const method = flags & 3;
    const action = { name: "GetUrl2", method, loadTarget: (flags & 0x40) !== 0, loadVariables: (flags & 0x80) !== 0 };
    if (method === 3 || (flags & 0x3c) !== 0) return { action, problem: `GetURL2 flags 0x${hex(flags)}` };
    return { action };
  }
  let parsed;
  try {
    parsed = new Avm1Parser(slice).readNext();
  } catch (e) {
    return { action: { name: `0x${hex(code)}` }, problem: `action 0x${hex(code)} does not parse: ${e.message}` };
  }
  const name = ActionType[parsed.action] ?? `0x${hex(code)}`;
  const action = { ...parsed, name };
  delete action.action;
  if ("offset" in action) {
    // Jump and If: the branch, relative to the end of the action.
    action.branch = action.offset;
    delete action.offset;
  }
  if (parsed.action === ActionType.Raw) return { action, problem: `unknown action 0x${hex(code)}` };
  if (parsed.action === ActionType.Error) {
    return { action, problem: `action 0x${hex(code)} does not parse: ${parsed.error?.message ?? parsed.error}` };
  }
  return { action };
}

// Blocks are byte ranges [start, end] whose jumps must stay inside: the whole list,
// and each function body.
function checkControlFlow(actions, total, problems) {
  const boundaries = new Set(actions.map((a) => a.offset));
  boundaries.add(total);
  const indexAt = new Map(actions.map((a, i) => [a.offset, i]));
  const blocks = [{ start: 0, end: total }];
  const innermost = (offset) => {
    let best = blocks[0];
    for (const b of blocks) if (b.start <= offset && offset < b.end && b.end - b.start < best.end - best.start) best = b;
    return best;
  };
  const checkRange = (a, what, start, size) => {
    const block = innermost(a.offset);
    const stop = start + size;
    if (!boundaries.has(stop)) problems.push(`@${a.offset}: ${what} ends at ${stop}, not on an action boundary`);
    else if (stop > block.end) problems.push(`@${a.offset}: ${what} ends at ${stop}, past its block (${block.end})`);
    return stop;
  };
  // Function bodies first, so that jumps are judged against the right block.
  for (const a of actions) {
    if (a.name === "DefineFunction" || a.name === "DefineFunction2") {
      const start = a.offset + a.length;
      blocks.push({ start, end: checkRange(a, "function body", start, a.bodySize) });
    }
  }
  for (const a of actions) {
    const after = a.offset + a.length;
    if (a.name === "Jump" || a.name === "If") {
      const target = after + a.branch;
      const block = innermost(a.offset);
      if (!boundaries.has(target)) problems.push(`@${a.offset}: ${a.name} to ${target}, not an action boundary`);
      else if (target !== block.end && innermost(target) !== block) {
        problems.push(`@${a.offset}: ${a.name} to ${target}, outside its block [${block.start}, ${block.end}]`);
      }
    } else if (a.name === "With") {
      checkRange(a, "With block", after, a.size);
    } else if (a.name === "Try") {
      checkRange(a, "Try blocks", after, a.try + (a.catch?.size ?? 0) + (a.finally ?? 0));
    } else if (a.name === "WaitForFrame" || a.name === "WaitForFrame2") {
      const block = innermost(a.offset);
      const i = indexAt.get(a.offset);
      const last = actions[i + a.skip];
      if (a.skip > 0 && (!last || last.offset + last.length > block.end)) {
        problems.push(`@${a.offset}: ${a.name} skips ${a.skip} actions, past its block`);
      }
    }
  }
}

function hex(n) {
  return n.toString(16).padStart(2, "0");
}

// ---------------------------------------------------------------------------

if (import.meta.url === pathToFileURL(process.argv[1] ?? "").href) {
  const arg = process.argv[2];
  if (!arg) {
    process.stderr.write("usage: node check_actions.mjs HEX|file.bin [--body]\n");
    process.exit(2);
  }
  const bytes = existsSync(arg) ? readFileSync(arg) : Buffer.from(arg.replace(/\s+/g, ""), "hex");
  const result = checkActions(bytes, { end: !process.argv.includes("--body") });
  process.stdout.write(JSON.stringify(result, (k, v) => (v instanceof Uint8Array ? Buffer.from(v).toString("hex") : v), 2) + "\n");
  process.exit(result.ok ? 0 : 1);
}
