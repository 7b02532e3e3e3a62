// Ogg pages for the tests' hostile music: find a Vorbis header packet, change one byte of it, and
// make the page's checksum right again, so that only a decoder can see the damage.

// The Ogg checksum: CRC-32 with polynomial 0x04c11db7, no reflection, over the page with its own
// checksum field zeroed.
const TABLE = Array.from({ length: 256 }, (_, i) => {
  let r = i << 24;
  for (let k = 0; k < 8; k++) r = r & 0x80000000 ? (r << 1) ^ 0x04c11db7 : r << 1;
  return r >>> 0;
});
function crc(bytes) {
  let c = 0;
  for (const b of bytes) c = ((c << 8) ^ TABLE[((c >>> 24) ^ b) & 0xff]) >>> 0;
  return c;
}

function pages(ogg) {
  const out = [];
  for (let at = 0; at + 27 <= ogg.length;) {
    if (ogg.toString("latin1", at, at + 4) !== "OggS") throw new Error(`no Ogg page at byte ${at}`);
    const segments = ogg[at + 26];
    let body = 0;
    for (let i = 0; i < segments; i++) body += ogg[at + 27 + i];
    const header = 27 + segments;
    out.push({ at, header, size: header + body });
    at += header + body;
  }
  return out;
}

// A copy of ogg with the byte at `fraction` of the way through the Vorbis setup header (packet type 5)
// changed by xor, and its page's checksum made right.
export function damageSetupHeader(ogg, fraction, xor = 0x5a) {
  const copy = Buffer.from(ogg);
  for (const p of pages(copy)) {
    const body = copy.subarray(p.at + p.header, p.at + p.size);
    const start = body.indexOf(Buffer.from("\x05vorbis", "latin1"));
    if (start < 0) continue;
    const at = start + 7 + Math.floor((body.length - start - 7) * fraction);
    body[at] ^= xor;
    copy.writeUInt32LE(0, p.at + 22);
    copy.writeUInt32LE(crc(copy.subarray(p.at, p.at + p.size)), p.at + 22);
    return copy;
  }
  throw new Error("no Vorbis setup header");
}
