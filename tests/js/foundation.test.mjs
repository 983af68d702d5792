// The writer's foundation movie (tests/tools/swf_foundation_driver.cpp) read back by
// swf-parser and played by Ruffle, for SWF 4, 6 and 8.

import { test, after } from "node:test";
import assert from "node:assert/strict";
import { mkdtempSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { checkSwfFile, tagName } from "./check_swf.mjs";
import { openRenderer } from "./render_swf.mjs";
import { toolPath, runTool, skipOrFail } from "./tools.mjs";

const dir = mkdtempSync(join(tmpdir(), "tesmiro-foundation-"));
after(() => rmSync(dir, { recursive: true, force: true }));

function writeMovie(version) {
  const path = join(dir, `foundation${version}.swf`);
  const r = runTool("swf_foundation_driver", [path, String(version)]);
  assert.equal(r.status, 0, r.stderr);
  return path;
}

const names = (tags) => tags.map((t) => tagName(t) + (t.tags ? `[${names(t.tags)}]` : "")).join(",");
const twips = (px) => px * 20;

for (const version of [4, 6, 8]) {
  test(`SWF ${version}: swf-parser sees exactly the written tags and fields`, (t) => {
    if (!toolPath("swf_foundation_driver")) return skipOrFail(t, "TESMIRO_BUILD_DIR is not set");
    const { ok, problems, movie } = checkSwfFile(writeMovie(version));
    assert.deepEqual(problems, []);
    assert.ok(ok);
    assert.equal(movie.header.swfVersion, version);
    assert.deepEqual(movie.header.frameSize, { xMin: 0, xMax: twips(240), yMin: 0, yMax: twips(180) });
    assert.equal(movie.header.frameCount, 3);

    // swf-parser has no reader for SWF 4's NameCharacter: it stays a raw body.
    const exportTag = version === 4 ? "RawBody" : "ExportAssets";
    const expected = "SetBackgroundColor,DefineShape,DefineSprite[PlaceObject,ShowFrame]," +
      `${exportTag},FrameLabel,PlaceObject,ShowFrame,PlaceObject,ShowFrame,` +
      "PlaceObject,DoAction,DoAction,ShowFrame";
    assert.equal(names(movie.tags), expected);

    const [bg, shape, sprite, exported, label, place1, , move1, , move2, fs, stop] = movie.tags;
    assert.deepEqual(bg.color, { r: 0x20, g: 0x60, b: 0xa0 });
    assert.equal(shape.id, 1);
    assert.equal(sprite.id, 3);
    assert.equal(sprite.frameCount, 1);
    assert.equal(sprite.tags[0].characterId, 1);
    if (version === 4) assert.equal(exported.code, 40); // NameCharacter, allowed raw
    else assert.deepEqual(exported.assets, [{ id: 3, name: "box" }]);
    assert.equal(label.name, "intro");

    assert.equal(place1.isUpdate, false);
    assert.equal(place1.characterId, 3);
    assert.equal(place1.depth, 258);
    assert.equal(place1.name, "box");
    assert.equal(place1.matrix.translateX, twips(20));
    assert.equal(place1.colorTransform, undefined);

    assert.equal(move1.isUpdate, true);
    assert.equal(move1.characterId, undefined);
    assert.equal(move1.matrix.translateX, twips(100));
    assert.equal(move1.colorTransform.alphaMult.epsilons, 128);

    // Back to full alpha: written as the identity, not left out.
    assert.equal(move2.matrix.translateY, twips(100));
    assert.equal(move2.colorTransform.alphaMult.epsilons, 256);

    assert.equal(fs.actions[0], 0x83);
    assert.deepEqual([...stop.actions], [0x07, 0x00]);
  });
}

test("Ruffle shows the background and the sprite where it was moved, and reports the FSCommand", async (t) => {
  if (!toolPath("swf_foundation_driver")) return skipOrFail(t, "TESMIRO_BUILD_DIR is not set");
  const renderer = await openRenderer({ timeoutMs: 180000 });
  try {
    for (const version of [4, 6, 8]) {
      const r = await renderer.render(writeMovie(version), {
        frames: 6,
        untilFSCommand: "hello",
        points: [[10, 10], [150, 130], [50, 50], [125, 105], [185, 105]],
      });
      const rgb = (p) => [p.r, p.g, p.b];
      assert.deepEqual(rgb(r.pixels[0]), [0x20, 0x60, 0xa0], `SWF ${version} background`);
      assert.deepEqual(rgb(r.pixels[1]), [255, 0, 0], `SWF ${version} square inside`);
      assert.deepEqual(rgb(r.pixels[2]), [0x20, 0x60, 0xa0], `SWF ${version} square left its first place`);
      assert.deepEqual(rgb(r.pixels[3]), [255, 0, 0], `SWF ${version} square's corner`);
      assert.deepEqual(rgb(r.pixels[4]), [0x20, 0x60, 0xa0], `SWF ${version} right of the square`);
      assert.deepEqual(r.fscommands, [{ command: "hello", args: "world" }]);
    }
  } finally {
    await renderer.close();
  }
});
