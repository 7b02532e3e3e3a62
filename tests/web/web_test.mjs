// Plays the built page in Debian's headless Chromium: focus, the title, F12, F9, a game's start, steering and Escape.
// Usage: node web_test.mjs WEB_DIR OUT_DIR. Prints "ok: ..." or "FAIL: ..." per check and exits 1 on a
// failure. Leaves in OUT_DIR, for web_test.sh to hold against the native game: title.rgb and game.rgb
// (the canvas's own 320 x 480 pixels), display.png (the canvas as shown) and the F12 download.
import { existsSync, rmSync, writeFileSync } from "node:fs";
import { join, resolve } from "node:path";
import { openChromium } from "./chromium.mjs";

const [webDir, outArg] = process.argv.slice(2);
const outDir = resolve(outArg); // Chromium drops a download whose folder is given relative
const QUIT = "dPlix system quit.";
const SHIP = [64, 64, 255];
const BOSS = [0, 255, 0];
const SPEED_NORMAL = 5;
const SPEED_SLOW = 2;

let failures = 0;
function expect(what, ok, detail = "") {
  console.log(`${ok ? "ok" : "FAIL"}: ${what}${detail ? ` (${detail})` : ""}`);
  if (!ok) failures++;
  return ok;
}

const sleep = (ms) => new Promise((done) => setTimeout(done, ms));
const snapshots = (page) => page.evaluate(() => window.Module.plixSnapshots || 0);
// Waits until the game has taken n more input snapshots, that is played n more frames.
async function frames(page, n) {
  const target = (await snapshots(page)) + n;
  await page.waitForFunction((t) => window.Module.plixSnapshots >= t, { timeout: 10000 }, target);
}

// The canvas's backing store as packed RGB, the picture the game drew before any scaling.
async function canvasRGB(page) {
  const b64 = await page.evaluate(() => {
    const c = window.Module.canvas;
    const rgba = c.getContext("2d").getImageData(0, 0, c.width, c.height).data;
    let s = "";
    for (let i = 0; i < rgba.length; i += 4) s += String.fromCharCode(rgba[i], rgba[i + 1], rgba[i + 2]);
    return btoa(s);
  });
  return Buffer.from(b64, "base64");
}

function rgbAt(rgb, x, y) {
  const i = (y * 320 + x) * 3;
  return [rgb[i], rgb[i + 1], rgb[i + 2]];
}
const same = (a, b) => a[0] === b[0] && a[1] === b[1] && a[2] === b[2];

// How many pixels of the rectangle are not the colour.
function countNot(rgb, colour, x0, y0, w, h) {
  let n = 0;
  for (let y = y0; y < y0 + h; y++) for (let x = x0; x < x0 + w; x++) if (!same(rgbAt(rgb, x, y), colour)) n++;
  return n;
}

// The ship's top-left corner on the canvas now, or null; found in the page, which is quicker than
// fetching the whole picture while the game plays on.
const shipAt = (page) => page.evaluate((ship) => {
  const c = window.Module.canvas;
  const d = c.getContext("2d").getImageData(0, 0, c.width, c.height).data;
  for (let i = 0; i < d.length; i += 4)
    if (d[i] === ship[0] && d[i + 1] === ship[1] && d[i + 2] === ship[2]) return { x: (i / 4) % c.width, y: Math.floor(i / 4 / c.width) };
  return null;
}, SHIP);

const { browser, url, close } = await openChromium(webDir);
try {
  const cdp = await browser.target().createCDPSession();
  let downloaded = null;
  const download = new Promise((done) => { downloaded = done; });
  cdp.on("Browser.downloadProgress", (e) => { if (e.state !== "inProgress") downloaded(e.state); });
  await cdp.send("Browser.setDownloadBehavior", { behavior: "allow", downloadPath: outDir, eventsEnabled: true });
  const page = await browser.newPage();
  await page.setViewport({ width: 1000, height: 1100 });
  const errors = [];
  page.on("pageerror", (e) => errors.push(e.message));
  page.on("console", (m) => { if (m.type() === "error") errors.push(m.text()); });

  // Each key event records the snapshot count at the moment it reaches the page.
  await page.evaluateOnNewDocument(() => {
    window.keyLog = [];
    for (const type of ["keydown", "keyup"])
      window.addEventListener(type, (e) => window.keyLog.push({ type, key: e.key, at: window.Module.plixSnapshots }), true);
  });
  await page.goto(url);
  await page.waitForFunction(() => window.Module.plixSnapshots > 10, { timeout: 60000 });

  // --- the title, pixel for pixel, and as shown ---------------------------------------------
  const title = await canvasRGB(page);
  writeFileSync(join(outDir, "title.rgb"), title);
  const look = await page.evaluate(() => {
    const c = window.Module.canvas;
    return { w: c.width, h: c.height, cssW: c.clientWidth, cssH: c.clientHeight, scale: Number(c.dataset.scale),
             rendering: getComputedStyle(c).imageRendering };
  });
  expect("canvas holds a 320 x 480 field", look.w === 320 && look.h === 480, `${look.w} x ${look.h}`);
  expect("shown at a whole scale of 2 or more", look.scale >= 2 && look.cssW === 320 * look.scale &&
         look.cssH === 480 * look.scale, `${look.cssW} x ${look.cssH}, scale ${look.scale}`);
  expect("scaled without smoothing", look.rendering === "pixelated", look.rendering);
  await (await page.$("#canvas")).screenshot({ path: join(outDir, "display.png") });
  await page.screenshot({ path: join(outDir, "page-title.png") });

  // --- pace: at most 62.5 frames a second; a busy machine gives fewer -------------------------
  // Counted and timed in the page, over 2 s; reading the count between two frames can add one frame,
  // hence the half frame a second over 62.5.
  const rate = await page.evaluate(async () => {
    const s0 = window.Module.plixSnapshots;
    const t0 = performance.now();
    await new Promise((done) => setTimeout(done, 2000));
    return (window.Module.plixSnapshots - s0) * 1000 / (performance.now() - t0);
  });
  expect("at most 62.5 frames a second", rate > 0 && rate <= 63, rate.toFixed(1));

  // --- keys reach the game only through the focused canvas -----------------------------------
  await page.evaluate(() => document.activeElement.blur());
  await page.keyboard.down("z");
  await frames(page, 3);
  await page.keyboard.up("z");
  await frames(page, 3);
  expect("z without the focus leaves the title", (await canvasRGB(page)).equals(title));
  await page.click("#canvas");
  expect("a click gives the canvas the focus", await page.evaluate(() => document.activeElement.id === "canvas"));

  // --- F12 on the title downloads screenshot.bmp ---------------------------------------------
  const shotFile = join(outDir, "screenshot.bmp");
  rmSync(shotFile, { force: true });
  await page.keyboard.down("F12");
  await frames(page, 3);
  await page.keyboard.up("F12");
  const state = await Promise.race([download, sleep(15000).then(() => "no download")]);
  expect("F12 downloads screenshot.bmp", state === "completed" && existsSync(shotFile), state);

  // --- F9 puts the canvas in full screen and takes it out again -------------------------------
  // The browser changes to and from full screen in its own time, and the page then gives the focus back.
  for (const want of [true, false]) {
    await page.keyboard.down("F9");
    await frames(page, 3);
    await page.keyboard.up("F9");
    // A busy machine can take seconds over the change; the wait is generous, and a miss says where it stopped.
    const settled = await page.waitForFunction(
      (w) => Boolean(document.fullscreenElement?.contains(window.Module.canvas)) === w &&
             document.activeElement === window.Module.canvas, { timeout: 15000 }, want).then(() => true, () => false);
    const where = settled ? "" : await page.evaluate(() =>
      `full screen: ${Boolean(document.fullscreenElement)}, focus on: ${document.activeElement?.id || document.activeElement?.tagName}`);
    expect(`F9 ${want ? "enters" : "leaves"} full screen, the canvas keeping the focus`, settled, where);
  }

  // --- z starts a game -----------------------------------------------------------------------
  await page.keyboard.down("z");
  await frames(page, 3);
  await page.keyboard.up("z");
  await frames(page, 4);
  const game = await canvasRGB(page);
  writeFileSync(join(outDir, "game.rgb"), game);
  await page.screenshot({ path: join(outDir, "page-game.png") });
  expect("the boss: green 80 x 80 at (120, 30)", countNot(game, BOSS, 120, 30, 80, 80) === 0);
  expect("the ship: blue 16 x 16 at (152, 376)", countNot(game, SHIP, 152, 376, 16, 16) === 0);

  // --- the cursor keys move the ship by its speed in every frame they are held ---------------
  // A key that reaches the page while the snapshot count is a is first seen held by snapshot a + 2
  // (events are pumped after the snapshot); one released at b is last seen by snapshot b + 1. So the
  // ship moves in b - a frames. Short presses: standing still, the ship is first hit some 200
  // frames into the game, and a hit would freeze it.
  const moves = [
    { keys: ["ArrowRight"], dx: 1, dy: 0, speed: SPEED_NORMAL },
    { keys: ["ArrowUp"], dx: 0, dy: -1, speed: SPEED_NORMAL },
    { keys: ["ArrowLeft"], dx: -1, dy: 0, speed: SPEED_NORMAL },
    { keys: ["ArrowDown"], dx: 0, dy: 1, speed: SPEED_NORMAL },
    { keys: ["z", "ArrowRight"], dx: 1, dy: 0, speed: SPEED_SLOW },
  ];
  let before = await shipAt(page);
  for (const move of moves) {
    const steer = move.keys[move.keys.length - 1];
    for (const k of move.keys) await page.keyboard.down(k);
    await frames(page, 4);
    for (const k of [...move.keys].reverse()) await page.keyboard.up(k);
    await frames(page, 3);
    const after = await shipAt(page);
    const log = await page.evaluate(() => window.keyLog);
    const down = log.filter((e) => e.type === "keydown" && e.key === steer).pop().at;
    const up = log.filter((e) => e.type === "keyup" && e.key === steer).pop().at;
    const held = up - down;
    const want = { x: before.x + move.dx * move.speed * held, y: before.y + move.dy * move.speed * held };
    expect(`${move.keys.join(" + ")} for ${held} frames moves the ship ${move.speed * held} px`,
           held > 0 && after && after.x === want.x && after.y === want.y,
           `from (${before.x}, ${before.y}) to (${after?.x}, ${after?.y}), expected (${want.x}, ${want.y})`);
    if (!after) break;
    before = after;
  }
  // The HUD is the same as the native game's: compared by web_test.sh on game.rgb.

  // --- Escape ends the run and shows the final line --------------------------------------------
  await page.keyboard.down("Escape");
  await page.waitForFunction((q) => document.getElementById("runlog").textContent === q, { timeout: 5000 }, QUIT)
    .catch(() => {});
  await page.keyboard.up("Escape");
  expect("Escape shows the quit line", await page.$eval("#runlog", (e) => e.textContent) === QUIT);
  const stopped = await snapshots(page);
  await sleep(200);
  expect("the game stops after Escape", (await snapshots(page)) === stopped);
  await page.screenshot({ path: join(outDir, "page-quit.png") });

  expect("no errors on the page", errors.length === 0, errors.join(" | "));
} finally {
  await close();
}
console.log(failures ? `${failures} check(s) failed` : "all browser checks passed");
process.exit(failures ? 1 : 0);
