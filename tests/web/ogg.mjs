// Hostile music for the tests: one byte of a Vorbis header changed, and the Ogg page's checksum made
// right again, so that only a decoder can see the damage.

// The Ogg checksum: CRC-32 with polynomial 0x04c11db7, no reflection, over the page with its own
// checksum field zeroed.
function crc(bytes) {
  let c = 0;
  for (const b of bytes) {
    c ^= b << 24;
    for (let k = 0; k < 8; k++) c = c & 0x80000000 ? (c << 1) ^ 0x04c11db7 : c << 1;
  }
  return c >>> 0;
}

// A copy of ogg with the byte at `fraction` of the way through the Vorbis setup header (packet type 5)
// changed, and its page's checksum made right.
export function damageSetupHeader(ogg, fraction) {
  const copy = Buffer.from(ogg);
  for (let at = 0; at + 27 <= copy.length;) {
    if (copy.toString("latin1", at, at + 4) !== "OggS") throw new Error(`no Ogg page at byte ${at}`);
    const header = 27 + copy[at + 26];
    const size = header + copy.subarray(at + 27, at + header).reduce((sum, lacing) => sum + lacing, 0);
    const body = copy.subarray(at + header, at + size);
    const start = body.indexOf("\x05vorbis", 0, "latin1");
    if (start >= 0) {
      body[start + 7 + Math.floor((body.length - start - 7) * fraction)] ^= 0x5a;
      copy.writeUInt32LE(0, at + 22);
      copy.writeUInt32LE(crc(copy.subarray(at, at + size)), at + 22);
      return copy;
    }
    at += size;
  }
  throw new Error("no Vorbis setup header");
}
