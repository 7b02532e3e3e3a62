// Runs the frame benchmark page (bench.html) in headless Chromium and prints its table.
// Usage: node bench.mjs WEB_DIR
import puppeteer from "puppeteer-core";
import { existsSync, mkdtempSync, rmSync } from "node:fs";
import { join } from "node:path";
import { serve } from "../../web/serve.mjs";

const webDir = process.argv[2];
if (!existsSync(join(webDir, "bench.wasm"))) {
  console.error(`no benchmark in ${webDir}: build it with bash scripts/web.sh --bench`);
  process.exit(1);
}
const { server, url } = await serve(webDir);
const profile = mkdtempSync("/tmp/zorvane-chromium-");
const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
  headless: true,
  userDataDir: profile,
  args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run", "--disable-background-networking",
         "--disable-component-update", "--disable-sync"],
});
try {
  const page = await browser.newPage();
  await page.goto(url + "bench.html");
  await page.waitForFunction(() => window.Module.benchDone, { timeout: 300000 });
  const isolated = await page.evaluate(() => crossOriginIsolated);
  console.log(await page.$eval("#out", (e) => e.textContent));
  console.log(`Chromium ${await browser.version()}, ${isolated ? "fine" : "coarse"} timer; ` +
              "each step is sceneStep alone, /painted adds the canvas painting it (and a one-pixel read-back)");
} finally {
  await browser.close();
  server.close();
  rmSync(profile, { recursive: true, force: true });
}
