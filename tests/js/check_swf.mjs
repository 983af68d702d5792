// Independent structural check of a SWF file with swf-parser.
//
// Module:
//   import { checkSwf, checkSwfFile, toJson, tagName } from "./check_swf.mjs";
//   const { ok, problems, movie } = checkSwf(bytes);   // bytes: Uint8Array / Buffer
//   checkSwf(bytes, { actions: false })                // without the action-list checks
//   // movie is swf-parser's Movie (header + tags); tags carry numeric `type`
//   // (swf-types TagType); tagName(tag) gives its name.
// CLI:
//   node tests/js/check_swf.mjs movie.swf   -> prints {ok, problems, movie} as JSON,
//                                              exit 0 when ok, 1 when not, 2 on usage error
//
// A movie passes when:
//   - swf-parser parses it (FWS, or zlib-compressed CWS);
//   - our own walk over the tag headers (top level and inside sprites) finds every
//     tag inside the file, an End tag closing each list, and the header's file
//     length and frame counts equal to what the file holds;
//   - no tag comes back raw (swf-parser's answer for unknown or unparsable tags),
//     except the forms the old players accept and swf-parser does not:
//       tag 40 NameCharacter in SWF 4 movies,
//       JPEG data starting with FF D9 FF D8 in SWF 8 (and later) movies,
//       DefineSound with sound format 15;
//   - every action list (DoAction, DoInitAction, button conditions, clip events)
//     passes check_actions.mjs.

import { readFileSync } from "node:fs";
import { inflateSync } from "node:zlib";
import { pathToFileURL } from "node:url";
import { parseSwf } from "swf-parser";
import { TagType } from "swf-types/tags/_type";
import { checkMovieActions } from "./check_actions.mjs";

export { TagType };

export function tagName(tag) {
  return TagType[tag.type] ?? `type ${tag.type}`;
}

export function checkSwfFile(path) {
  return checkSwf(readFileSync(path));
}

export function checkSwf(bytes, { actions = true } = {}) {
  const data = bytes instanceof Uint8Array ? bytes : new Uint8Array(bytes);
  const problems = [];
  let movie = null;
  try {
    movie = parseSwf(data);
  } catch (e) {
    problems.push(`swf-parser failed: ${e && e.message ? e.message : String(e)}`);
  }
  const body = uncompressedBody(data, problems);
  if (body) {
    walkTagList(body.bytes, body.tagsStart, body.bytes.length, "movie", body.frameCount, problems, true);
  }
  if (movie) {
    for (const [tag, where] of eachTag(movie.tags, "movie")) {
      if (tag.type === TagType.Raw) {
        problems.push(`${where}: incomplete tag data (${tag.data.length} bytes)`);
      } else if (tag.type === TagType.RawBody && !isAllowedRaw(tag, movie.header.swfVersion)) {
        problems.push(`${where}: tag code ${tag.code} not understood (${tag.data.length} bytes)`);
      }
    }
    if (actions) problems.push(...checkMovieActions(movie));
  }
  return { ok: problems.length === 0, problems, movie };
}

// JSON with byte arrays as hex strings, fixed-point numbers as plain numbers and a
// `typeName` beside each tag's numeric type, so expectations stay readable.
export function toJson(value, indent = 2) {
  return JSON.stringify(
    value,
    (key, v) => {
      if (v instanceof Uint8Array) return Buffer.from(v).toString("hex");
      if (v && typeof v === "object" && typeof v.epsilons === "number") return Number(v.valueOf());
      if (key === "tags" && Array.isArray(v)) return v.map((t) => ({ typeName: tagName(t), ...t }));
      return v;
    },
    indent,
  );
}

// ---------------------------------------------------------------------------

const JPEG_BAD_START = [0xff, 0xd9, 0xff, 0xd8];

function isAllowedRaw(tag, swfVersion) {
  const d = tag.data;
  switch (tag.code) {
    case 40: // NameCharacter
      return swfVersion === 4;
    case 6: // DefineBits
    case 21: // DefineBitsJPEG2
      return swfVersion >= 8 && startsWith(d, 2, JPEG_BAD_START);
    case 35: // DefineBitsJPEG3: id, 32-bit JPEG length, JPEG data
      return swfVersion >= 8 && startsWith(d, 6, JPEG_BAD_START);
    case 14: // DefineSound: id, then format in the high nibble of the flags byte
      return d.length >= 3 && d[2] >> 4 === 15;
    default:
      return false;
  }
}

function startsWith(d, offset, prefix) {
  if (d.length < offset + prefix.length) return false;
  return prefix.every((b, i) => d[offset + i] === b);
}

function* eachTag(tags, where) {
  for (let i = 0; i < tags.length; i++) {
    const tag = tags[i];
    const here = `${where} tag #${i} (${tagName(tag)})`;
    yield [tag, here];
    if (tag.type === TagType.DefineSprite && Array.isArray(tag.tags)) {
      yield* eachTag(tag.tags, `sprite ${tag.id}`);
    }
  }
}

// The header as the file states it, and the tag stream after it.
function uncompressedBody(data, problems) {
  if (data.length < 8) {
    problems.push("file shorter than the 8-byte signature");
    return null;
  }
  const sig = String.fromCharCode(data[0], data[1], data[2]);
  const declared = readU32(data, 4);
  let bytes;
  if (sig === "FWS") {
    bytes = data;
  } else if (sig === "CWS") {
    let payload;
    try {
      payload = inflateSync(data.subarray(8));
    } catch (e) {
      problems.push(`zlib payload does not inflate: ${e.message}`);
      return null;
    }
    bytes = new Uint8Array(8 + payload.length);
    bytes.set(data.subarray(0, 8));
    bytes.set(payload, 8);
  } else {
    problems.push(`unknown signature "${sig}"`);
    return null;
  }
  if (declared !== bytes.length) {
    problems.push(`header file length ${declared} but the movie holds ${bytes.length} bytes`);
  }
  if (bytes.length < 9) {
    problems.push("no room for the stage rectangle");
    return null;
  }
  const nbits = bytes[8] >> 3;
  const rectBytes = Math.ceil((5 + 4 * nbits) / 8);
  const tagsStart = 8 + rectBytes + 4;
  if (tagsStart > bytes.length) {
    problems.push("header runs past the end of the file");
    return null;
  }
  const frameCount = bytes[tagsStart - 2] | (bytes[tagsStart - 1] << 8);
  return { bytes, tagsStart, frameCount };
}

// Walks tag headers between start and end: each body must lie inside, the list
// must close with an End tag, and the ShowFrame count must equal the stated one.
function walkTagList(bytes, start, end, where, frameCount, problems, topLevel) {
  let pos = start;
  let frames = 0;
  let index = 0;
  while (true) {
    if (pos + 2 > end) {
      problems.push(`${where}: no End tag`);
      return;
    }
    const word = bytes[pos] | (bytes[pos + 1] << 8);
    const code = word >> 6;
    let length = word & 0x3f;
    let bodyStart = pos + 2;
    if (length === 0x3f) {
      if (pos + 6 > end) {
        problems.push(`${where} tag #${index}: long header cut off`);
        return;
      }
      length = readU32(bytes, pos + 2);
      bodyStart = pos + 6;
    }
    if (bodyStart + length > end) {
      problems.push(`${where} tag #${index} (code ${code}): body of ${length} bytes runs past the end`);
      return;
    }
    if (code === 0) {
      const rest = end - (bodyStart + length);
      if (topLevel && rest > 0) problems.push(`${where}: ${rest} bytes after the End tag`);
      if (!topLevel && rest > 0) problems.push(`${where}: ${rest} bytes after the End tag inside the sprite`);
      break;
    }
    if (code === 1) frames++;
    if (code === 39) {
      if (length < 4) {
        problems.push(`${where} tag #${index}: DefineSprite shorter than its header`);
      } else {
        const id = bytes[bodyStart] | (bytes[bodyStart + 1] << 8);
        const spriteFrames = bytes[bodyStart + 2] | (bytes[bodyStart + 3] << 8);
        walkTagList(bytes, bodyStart + 4, bodyStart + length, `sprite ${id}`, spriteFrames, problems, false);
      }
    }
    pos = bodyStart + length;
    index++;
  }
  if (frames !== frameCount) {
    problems.push(`${where}: frame count ${frameCount} stated, ${frames} ShowFrame tags`);
  }
}

function readU32(b, p) {
  return (b[p] | (b[p + 1] << 8) | (b[p + 2] << 16) | (b[p + 3] << 24)) >>> 0;
}

// ---------------------------------------------------------------------------

if (import.meta.url === pathToFileURL(process.argv[1] ?? "").href) {
  const file = process.argv[2];
  if (!file) {
    process.stderr.write("usage: node check_swf.mjs movie.swf\n");
    process.exit(2);
  }
  let result;
  try {
    result = checkSwfFile(file);
  } catch (e) {
    process.stderr.write(`cannot read ${file}: ${e.message}\n`);
    process.exit(2);
  }
  process.stdout.write(toJson(result) + "\n");
  process.exit(result.ok ? 0 : 1);
}
