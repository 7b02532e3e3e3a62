// A static file server for the built page on 127.0.0.1; `node serve.mjs DIR [PORT]`, or imported by the browser test.
import { createReadStream, statSync } from "node:fs";
import { createServer } from "node:http";
import { extname, join, normalize, resolve } from "node:path";
import { pathToFileURL } from "node:url";

const TYPES = {
  ".html": "text/html; charset=utf-8",
  ".js": "text/javascript",
  ".mjs": "text/javascript",
  ".wasm": "application/wasm", // the browser compiles a module while it streams in only with this type
  ".data": "application/octet-stream",
};

// Serves dir on 127.0.0.1:port (0: any free port); resolves to { server, url }.
export function serve(dir, port = 0) {
  const root = resolve(dir);
  const server = createServer((req, res) => {
    const path = normalize(decodeURIComponent(new URL(req.url, "http://x").pathname));
    let file = join(root, path === "/" ? "index.html" : path);
    if (!file.startsWith(root)) file = "";
    let size = -1;
    try {
      const st = statSync(file);
      if (st.isFile()) size = st.size;
    } catch {}
    if (size < 0) {
      res.writeHead(404, { "Content-Type": "text/plain" });
      res.end("not found\n");
      return;
    }
    res.writeHead(200, {
      "Content-Type": TYPES[extname(file)] || "application/octet-stream",
      "Content-Length": size,
      "Cache-Control": "no-cache",
      // Cross-origin isolation gives performance.now() its fine resolution, which the benchmark needs.
      "Cross-Origin-Opener-Policy": "same-origin",
      "Cross-Origin-Embedder-Policy": "require-corp",
    });
    createReadStream(file).pipe(res);
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
