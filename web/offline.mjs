// Writes the offline copy's service worker for a built page: `node offline.mjs TEMPLATE WEB_DIR`. It
// lists every file the game's page loads and names the build by a hash of their bytes, so that a new
// build is a new service worker.
import { createHash } from "node:crypto";
import { readdirSync, readFileSync, statSync, writeFileSync } from "node:fs";
import { join, relative } from "node:path";

const [template, webDir] = process.argv.slice(2);
function walk(dir) {
  return readdirSync(dir).flatMap((name) => {
    const path = join(dir, name);
    return statSync(path).isDirectory() ? walk(path) : [relative(webDir, path)];
  });
}
// The worker is the one file it does not list: it is what a new build replaces.
const files = walk(webDir).filter((f) => f !== "sw.js").sort();
const hash = createHash("sha256");
for (const f of files) hash.update(f).update(readFileSync(join(webDir, f)));
const sw = readFileSync(template, "utf8")
  .replace("@VERSION@", hash.digest("hex").slice(0, 16))
  .replace("@FILES@", JSON.stringify(["./", ...files]));
writeFileSync(join(webDir, "sw.js"), sw);
