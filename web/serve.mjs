// A static file server for the built page on 127.0.0.1, gzip when the browser takes it; `node serve.mjs DIR [PORT]`,
// or imported by the browser tests.
import { readFileSync, statSync } from "node:fs";
import { createServer } from "node:http";
import { extname, join, normalize, resolve } from "node:path";
import { pathToFileURL } from "node:url";
import { gzipSync } from "node:zlib";

// Each type, and whether it is worth compressing: PNG and Ogg are compressed already.
const TYPES = {
  ".html": ["text/html; charset=utf-8", true],
  ".js": ["text/javascript", true],
  ".mjs": ["text/javascript", true],
  ".css": ["text/css", true],
  ".json": ["application/json", true],
  ".webmanifest": ["application/manifest+json", true],
  ".wasm": ["application/wasm", true], // the browser compiles a module while it streams in only with this type
  ".data": ["application/octet-stream", true],
  ".bmp": ["image/bmp", true],
  ".wav": ["audio/wav", true],
  ".png": ["image/png", false],
  ".ogg": ["audio/ogg", false],
};

// Compressed once per file and modification time.
const gzipped = new Map();
function gzipOf(file, mtimeMs) {
  const known = gzipped.get(file);
  if (known && known.mtimeMs === mtimeMs) return known.body;
  const body = gzipSync(readFileSync(file), { level: 9 });
  gzipped.set(file, { mtimeMs, body });
  return body;
}

// Serves dir on 127.0.0.1:port (0: any free port); resolves to { server, url }. A test may hold back a
// file: hold(path) returns a promise the answer waits for, or nothing.
export function serve(dir, port = 0, hold = () => null) {
  const root = resolve(dir);
  const server = createServer(async (req, res) => {
    const path = normalize(decodeURIComponent(new URL(req.url, "http://x").pathname));
    await hold(path);
    // A folder's page is its index.html, as on any web server.
    let file = join(root, path.endsWith("/") ? join(path, "index.html") : path);
    if (!file.startsWith(root)) file = "";
    let st = null;
    try {
      st = statSync(file);
    } catch {}
    if (!st || !st.isFile()) {
      res.writeHead(404, { "Content-Type": "text/plain" });
      res.end("not found\n");
      return;
    }
    const [type, compressible] = TYPES[extname(file)] || ["application/octet-stream", false];
    const gzip = compressible && /\bgzip\b/.test(req.headers["accept-encoding"] || "");
    const body = gzip ? gzipOf(file, st.mtimeMs) : readFileSync(file);
    res.writeHead(200, {
      "Content-Type": type,
      "Content-Length": body.length,
      ...(gzip ? { "Content-Encoding": "gzip" } : {}),
      "Vary": "Accept-Encoding",
      "Cache-Control": "no-cache",
      // Cross-origin isolation gives performance.now() its fine resolution, which the benchmark needs.
      "Cross-Origin-Opener-Policy": "same-origin",
      "Cross-Origin-Embedder-Policy": "require-corp",
    });
    res.end(req.method === "HEAD" ? undefined : body);
  });
  return new Promise((done, fail) => {
    server.once("error", fail);
    server.listen(port, "127.0.0.1", () => {
      done({ server, url: `http://127.0.0.1:${server.address().port}/` });
    });
  });
}

if (import.meta.url === pathToFileURL(process.argv[1]).href) {
  const [dir, port] = process.argv.slice(2);
  if (!dir) {
    console.error("usage: node serve.mjs DIR [PORT]");
    process.exit(2);
  }
  const { url } = await serve(dir, Number(port || 8080));
  console.log(`ZORVANE is served at ${url} (Ctrl-C stops it)`);
}
