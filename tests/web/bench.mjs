// The browser's benchmarks in headless Chromium: the frame benchmark page (bench.html) with the
// framebuffer and with the emulation's canvas drawing, and the game page's pace and main-thread load.
// Usage: node bench.mjs WEB_DIR LAB_DIR, side by side as scripts/web.sh --bench builds them.
import { basename, dirname, resolve } from "node:path";
import { PredefinedNetworkConditions } from "puppeteer-core";
import { openGame, until, untilFrame, withChromium } from "./page.mjs";

const [webDir, labDir] = process.argv.slice(2).map((d) => resolve(d));
const PACE_FRAMES = 600; // of the title
const ms = (t) => `${t.toFixed(2)} ms`;

await withChromium(dirname(webDir), async ({ browser, url: root }) => {
  const url = `${root}${basename(webDir)}/`;
  const drawings = [["", "framebuffer in wasm memory, one putImageData a frame"],
                    ["?reference", "the emulation's canvas drawing, a canvas call for every box and glyph"]];
  for (const [query, what] of drawings) {
    const page = await browser.newPage();
    await page.goto(`${root}${basename(labDir)}/bench.html${query}`);
    await until(page, "the benchmark's end", () => window.Module.benchDone, undefined, 600000);
    console.log(`--- ${what}\n${await page.$eval("#out", (e) => e.textContent)}`);
    await page.close();
  }
  console.log(`Chromium ${await browser.version()}; each step is sceneStep alone (the drawing into the ` +
              "framebuffer included), /paint the flip and the canvas's own painting (with a one-pixel " +
              "read-back), /painted both");

  // The title's first frame from a first visit, over this machine's loopback and over the DevTools'
  // own slow links; each visit in a fresh browser context, with nothing cached.
  const firstFrames = [];
  for (const link of ["loopback", "Fast 4G", "Fast 3G"]) {
    const context = await browser.createBrowserContext();
    const visit = await context.newPage();
    const conditions = PredefinedNetworkConditions[link];
    if (conditions) await visit.emulateNetworkConditions(conditions);
    const t0 = Date.now();
    await visit.goto(url);
    await untilFrame(visit, 1, 120000);
    firstFrames.push(`${link} ${((Date.now() - t0) / 1000).toFixed(2)} s`);
    await context.close();
  }
  console.log(`the title's first frame on a first visit: ${firstFrames.join(", ")}`);

  // The game's pace: the time of every snapshot over PACE_FRAMES frames of the title, and the share of
  // that time the page's main thread was busy (Chromium's own TaskDuration).
  const page = await openGame(browser, url);
  await page.evaluate(() => {
    window.stamps = [];
    let count = window.Module.plixSnapshots;
    Object.defineProperty(window.Module, "plixSnapshots", {
      get: () => count,
      set: (n) => { count = n; window.stamps.push(performance.now()); },
    });
  });
  const before = await page.metrics();
  await until(page, `${PACE_FRAMES} frames`, (n) => window.stamps.length > n, PACE_FRAMES, PACE_FRAMES * 100);
  const after = await page.metrics();
  const stamps = (await page.evaluate(() => window.stamps)).slice(0, PACE_FRAMES + 1);
  const gaps = stamps.slice(1).map((t, i) => t - stamps[i]).sort((a, b) => a - b);
  const at = (p) => gaps[Math.min(gaps.length - 1, Math.floor(gaps.length * p))];
  const rate = 1000 * gaps.length / (stamps.at(-1) - stamps[0]);
  const busy = (after.TaskDuration - before.TaskDuration) / (after.Timestamp - before.Timestamp);
  const mean = gaps.reduce((a, b) => a + b, 0) / gaps.length;
  console.log(`pace over ${gaps.length} frames: ${rate.toFixed(2)} frames/s; frame time mean ${ms(mean)}, ` +
              `median ${ms(at(0.5))}, p99 ${ms(at(0.99))}, max ${ms(gaps.at(-1))}; ` +
              `main thread busy ${(100 * busy).toFixed(1)} %`);
});
