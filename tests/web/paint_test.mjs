// The framebuffer's pictures against the emulation's canvas drawing, pixel for pixel: the title and a
// frame with every pool full, its pop-up texts fading over boxes.
// Usage: node paint_test.mjs LAB_DIR (built with scripts/web.sh --bench). Exits 1 on a failure.
import { expect, runTest, until } from "./page.mjs";

const labDir = process.argv[2];

async function pictures(browser, url, query) {
  const page = await browser.newPage();
  await page.goto(`${url}bench.html?pictures${query}`);
  await until(page, `the pictures of bench.html?pictures${query}`, () => window.Module.benchDone, undefined, 60000);
  const result = await page.evaluate(() => ({ pictures: window.Module.pictures, fading: window.Module.fadingTexts,
                                              out: document.getElementById("out").textContent }));
  await page.close();
  if (!result.pictures) throw new Error(`no pictures: ${result.out}`);
  return { ...result.pictures, fading: result.fading };
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

await runTest("paint", labDir, async ({ browser, url }) => {
  const own = await pictures(browser, url, "");
  const canvas = await pictures(browser, url, "&reference");
  for (const name of ["title", "fullPools"]) {
    const d = differ(own[name], canvas[name], 320);
    expect(`${name}: the framebuffer's pixels are the canvas drawing's`,
           own[name].length === 320 * 480 * 4 && d.count === 0, `${d.count} pixels differ; ${d.first}`);
  }
  // The pop-up texts drawn at alphas below 255, where the canvas blends.
  expect("the full-pool frame holds fading texts", own.fading >= 40, `${own.fading} texts`);
});
