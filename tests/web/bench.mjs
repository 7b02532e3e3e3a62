// Runs the frame benchmark page (bench.html) in headless Chromium and prints its table.
// Usage: node bench.mjs WEB_DIR
import { existsSync } from "node:fs";
import { join } from "node:path";
import { openChromium } from "./chromium.mjs";

const webDir = process.argv[2];
if (!existsSync(join(webDir, "bench.wasm"))) {
  console.error(`no benchmark in ${webDir}: build it with bash scripts/web.sh --bench`);
  process.exit(1);
}
const { browser, url, close } = await openChromium(webDir);
try {
  const page = await browser.newPage();
  await page.goto(url + "bench.html");
  await page.waitForFunction(() => window.Module.benchDone, { timeout: 300000 });
  const isolated = await page.evaluate(() => crossOriginIsolated);
  console.log(await page.$eval("#out", (e) => e.textContent));
  console.log(`Chromium ${await browser.version()}, ${isolated ? "fine" : "coarse"} timer; ` +
              "each step is sceneStep alone, /painted adds the canvas painting it (and a one-pixel read-back)");
} finally {
  await close();
}
