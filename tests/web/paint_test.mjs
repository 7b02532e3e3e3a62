// The framebuffer's pictures against the emulation's canvas drawing, pixel for pixel: the title and a
// frame with every pool full, its pop-up texts fading over boxes. Usage: LAB_DIR (scripts/web.sh --bench).
import { expect, runTest, until } from "./page.mjs";

// The lab's pictures (RGBA, 320 x 480) drawn as bench.html?pictures with query draws them.
async function pictures(browser, url, query) {
  const page = await browser.newPage();
  await page.goto(`${url}bench.html?pictures${query}`);
  await until(page, `the pictures of bench.html?pictures${query}`, () => window.Module.benchDone, undefined,
              60000);
  const { pictures, fading, out } = await page.evaluate(() => ({ pictures: window.Module.pictures,
    fading: window.Module.fadingTexts, out: document.getElementById("out").textContent }));
  await page.close();
  if (!pictures) throw new Error(`no pictures: ${out}`);
  return { ...pictures, fading };
}

await runTest("paint", process.argv[2], async ({ browser, url }) => {
  const own = await pictures(browser, url, "");
  const canvas = await pictures(browser, url, "&reference");
  for (const name of ["title", "fullPools"]) {
    const [a, b] = [own[name], canvas[name]];
    let [count, first] = [0, ""];
    for (let i = 0; i < a.length; i += 4) {
      if (a[i] === b[i] && a[i + 1] === b[i + 1] && a[i + 2] === b[i + 2]) continue;
      first ||= `first at (${(i / 4) % 320}, ${Math.floor(i / 1280)}): ${a.slice(i, i + 3)} here, ` +
                `${b.slice(i, i + 3)} on the canvas`;
      count++;
    }
    expect(`${name}: the framebuffer's pixels are the canvas drawing's`, a.length === 320 * 480 * 4 &&
           count === 0, `${count} pixels differ; ${first}`);
  }
  // The pop-up texts drawn at alphas below 255, where the canvas blends.
  expect("the full-pool frame holds fading texts", own.fading >= 40, `${own.fading} texts`);
});
