// Runs the C++ drivers of tests/tools/ that CTest built, for tests that check what our
// writer produced.   import { toolPath, runTool } from "./tools.mjs";
//   const { status, stdout, stderr } = runTool("write_demo", ["out.swf"]);
// The build folder comes from TESMIRO_BUILD_DIR (set by CTest); toolPath() returns null
// when it is not set, so a test run by hand can skip with skipOrFail().

import { spawnSync } from "node:child_process";
import { existsSync } from "node:fs";
import { join } from "node:path";

export function toolPath(name) {
  const build = process.env.TESMIRO_BUILD_DIR;
  if (!build) return null;
  const path = join(build, "tests", "tools", name);
  if (!existsSync(path)) throw new Error(`${path} is missing: build the target ${name}`);
  return path;
}

// A check that cannot run here: skipped when run by hand, a failure in CI (TESMIRO_CI,
// set by scripts/test.sh), where a run that checked nothing must not pass.
export function skipOrFail(t, why) {
  if (process.env.TESMIRO_CI && process.env.TESMIRO_CI !== "0") throw new Error(`${why} (CI needs it)`);
  return t.skip(why);
}

export function runTool(name, args = [], { input, timeoutMs = 120000 } = {}) {
  const path = toolPath(name);
  if (!path) throw new Error("TESMIRO_BUILD_DIR is not set");
  const r = spawnSync(path, args, { input, timeout: timeoutMs, encoding: "utf8", maxBuffer: 64 << 20 });
  if (r.error) throw r.error;
  return { status: r.status, stdout: r.stdout, stderr: r.stderr };
}
