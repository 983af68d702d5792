// A device-font edit text in Japanese (tests/tools/device_font_driver.cpp) shows in
// Ruffle once a Japanese gothic font is supplied to its font configuration: the player
// has no such font of its own, so without it the text box stays blank.

import { test, after } from "node:test";
import assert from "node:assert/strict";
import { existsSync, mkdtempSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { renderSwf } from "./render_swf.mjs";
import { toolPath, runTool, skipOrFail } from "./tools.mjs";

const IPA_GOTHIC = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";
const root = mkdtempSync(join(tmpdir(), "tesmiro-device-font-"));
after(() => rmSync(root, { recursive: true, force: true }));

test("a device-font Japanese edit text draws its characters inside its box", async (t) => {
  if (!toolPath("device_font_driver")) return skipOrFail(t, "TESMIRO_BUILD_DIR is not set");
  if (!existsSync(IPA_GOTHIC)) return skipOrFail(t, `${IPA_GOTHIC} is missing (fonts-ipafont-gothic)`);
  const movie = join(root, "device_font.swf");
  const r = runTool("device_font_driver", [movie]);
  assert.equal(r.status, 0, r.stderr);
  const [bx, by, bw, bh] = JSON.parse(r.stdout).box;

  const points = [];
  for (let y = 0; y < 120; y += 2) for (let x = 0; x < 400; x += 2) points.push([x, y]);
  const shown = await renderSwf(movie, {
    frames: 2,
    points,
    fonts: [{ path: IPA_GOTHIC, url: "/fonts/ipag.ttf" }],
    defaultFonts: { japaneseGothic: ["IPAGothic"] },
    timeoutMs: 180000,
  });
  const ink = shown.pixels.filter((p) => p.r + p.g + p.b < 300);
  const xs = ink.map((p) => p.x), ys = ink.map((p) => p.y);
  const seen = { left: Math.min(...xs), right: Math.max(...xs), top: Math.min(...ys), bottom: Math.max(...ys) };
  // Seven glyphs of a 32-pixel em: inked from the first to at least the sixth, all
  // inside the field (no tofu or stray drawing elsewhere on the white stage).
  assert.ok(seen.left >= bx && seen.right < bx + bw && seen.top >= by && seen.bottom < by + bh,
    `ink ${JSON.stringify(seen)} outside the box ${[bx, by, bw, bh]}; ${shown.screenshotPath}`);
  assert.ok(seen.right - seen.left >= 180, `ink ${JSON.stringify(seen)} narrower than the text; ${shown.screenshotPath}`);
});
