// A few bytes of SWF by hand, for tests whose movies must not depend on our writer.
//   import { u8, u16, u32, cstr, tag, stageRect } from "./swf_bytes.mjs";

export const u8 = (...v) => Buffer.from(v);
export const u16 = (v) => u8(v & 0xff, (v >> 8) & 0xff);
export const u32 = (v) => {
  const b = Buffer.alloc(4);
  b.writeUInt32LE(v >>> 0);
  return b;
};
// A NUL-terminated string; "latin1" keeps bytes 0x80..0xFF as they are.
export const cstr = (s, encoding = "utf8") => Buffer.concat([Buffer.from(s, encoding), u8(0)]);

// A tag with the short header when its body allows, else the long one.
export function tag(code, ...parts) {
  const body = Buffer.concat(parts);
  if (body.length < 63) return Buffer.concat([u16((code << 6) | body.length), body]);
  return Buffer.concat([u16((code << 6) | 63), u32(body.length), body]);
}

// Stage rectangle from 0,0 with 15-bit fields (enough for 1638 px).
export function stageRect(widthPx, heightPx) {
  const n = 15;
  let bits = n.toString(2).padStart(5, "0");
  for (const v of [0, widthPx * 20, 0, heightPx * 20]) bits += v.toString(2).padStart(n, "0");
  while (bits.length % 8) bits += "0";
  return Buffer.from(bits.match(/.{8}/g).map((b) => parseInt(b, 2)));
}
