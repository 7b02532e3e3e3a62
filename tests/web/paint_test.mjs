// The framebuffer's pictures against the emulation's canvas drawing, pixel for pixel: the title and a
// frame with every pool full (fading pop-up texts over boxes included).
// Usage: node paint_test.mjs WEB_DIR (built with scripts/web.sh --bench). Exits 1 on a failure.
import { openChromium } from "./chromium.mjs";
import { checker, until } from "./page.mjs";

const webDir = process.argv[2];
const { expect, group, report } = checker();

async function pictures(browser, url, query) {
  const page = await browser.newPage();
  await page.goto(`${url}bench.html?pictures${query}`);
  await until(page, `the pictures of bench.html?pictures${query}`, () => window.Module.benchDone, undefined, 60000);
  const result = await page.evaluate(() => ({ pictures: window.Module.pictures, out: document.getElementById("out").textContent }));
  await page.close();
  if (!result.pictures) throw new Error(`no pictures: ${result.out}`);
  return result.pictures;
}

// How many of the picture's pixels differ, and the first one that does.
function differ(a, b, width) {
  let count = 0;
  let first = "";
  for (let i = 0; i < a.length; i += 4) {
    if (a[i] !== b[i] || a[i + 1] !== b[i + 1] || a[i + 2] !== b[i + 2]) {
      if (!count) first = `first at (${(i / 4) % width}, ${Math.floor(i / 4 / width)}): ` +
                          `${a.slice(i, i + 3)} here, ${b.slice(i, i + 3)} on the canvas`;
      count++;
    }
  }
  return { count, first };
}

// Colours that neither picture's boxes nor its glyphs have as such: only a blend makes them.
function blendedColours(picture) {
  const colours = new Set();
  for (let i = 0; i < picture.length; i += 4) colours.add((picture[i] << 16) | (picture[i + 1] << 8) | picture[i + 2]);
  return colours.size;
}

const { browser, url, close } = await openChromium(webDir);
try {
  await group("pictures", async () => {
    const own = await pictures(browser, url, "");
    const canvas = await pictures(browser, url, "&reference");
    for (const name of ["title", "fullPools"]) {
      const d = differ(own[name], canvas[name], 320);
      expect(`${name}: the framebuffer's pixels are the canvas drawing's`, own[name].length === 320 * 480 * 4 && d.count === 0,
             `${d.count} pixels differ; ${d.first}`);
    }
    // A full-pool frame that blends: hundreds of colours, where boxes and glyphs alone give a few dozen.
    const colours = blendedColours(own.fullPools);
    expect("the full-pool frame holds the blends of fading texts", colours > 100, `${colours} colours`);
  });
} finally {
  await close();
}
process.exit(report("paint"));
