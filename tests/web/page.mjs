// The browser tests' harness: headless Chromium on a served folder, the game's page driven by what it
// reports (its frame counter Module.plixSnapshots, its events, its pixels), and the checks' tally. Every
// wait has a deadline, and a missed one throws with where the page stood.
import { execFile } from "node:child_process";
import { mkdtempSync, rmSync, symlinkSync } from "node:fs";
import { join } from "node:path";
import { promisify } from "node:util";
import puppeteer, { KnownDevices } from "puppeteer-core";
import { serve } from "../../web/serve.mjs";

let failures = 0;
// A check: one "ok: ..." or "FAIL: ..." line, which web_test.sh and scripts/test.sh count.
export function expect(what, ok, detail = "") {
  console.log(`${ok ? "ok" : "FAIL"}: ${what}${detail ? ` (${detail})` : ""}`);
  if (!ok) failures++;
}

// Runs a group of checks; a throw (a missed deadline, say) fails the group with its message.
export async function group(name, body) {
  try {
    await body();
  } catch (e) {
    expect(name, false, e.message);
  }
}

// The desktop simulator in a scratch folder (dir) with resource/, as it asks; run(...) gives its output.
export function desktopSim(sim, resourceDir) {
  const dir = mkdtempSync("/tmp/zorvane-sim-");
  symlinkSync(resourceDir, join(dir, "resource"));
  return { dir, run: (...args) => promisify(execFile)(sim, args, { cwd: dir }).catch((e) => e) };
}

// The network gone: the server refuses from now on.
export function stop(server) {
  server.close();
  server.closeAllConnections();
}

// Runs body({ browser, url, server }) with Chromium, on a fresh profile, on dir served (hold: serve.mjs's).
export async function withChromium(dir, body, hold) {
  const { server, url } = await serve(dir, 0, hold);
  const profile = mkdtempSync("/tmp/zorvane-chromium-");
  // Without the background-networking flags Chromium reaches out on its own and the closed network
  // refuses it, which slows every start.
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
    userDataDir: profile,
    args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run", "--disable-sync",
           "--disable-background-networking", "--disable-component-update"],
  });
  try {
    return await body({ browser, url, server });
  } finally {
    await browser.close();
    stop(server);
    rmSync(profile, { recursive: true, force: true });
  }
}

// A whole test: body with Chromium on dir, then the tally; exits 1 on a failure.
export async function runTest(name, dir, body, hold) {
  await group(name, () => withChromium(dir, body, hold));
  console.log(`${name}: ${failures ? `${failures} check(s) failed` : "all checks passed"}`);
  process.exit(failures ? 1 : 0);
}

// A page that keeps its errors in page.errors; setup(arg) runs before each document's own scripts, and
// device names a phone of puppeteer's.
export async function newPage(browser, { setup, arg, device, viewport } = {}) {
  const page = await browser.newPage();
  page.errors = [];
  page.on("pageerror", (e) => page.errors.push(e.message));
  page.on("console", (m) => m.type() === "error" && page.errors.push(m.text()));
  if (setup) await page.evaluateOnNewDocument(setup, arg);
  if (device) await page.emulate(KnownDevices[device]);
  if (viewport) await page.setViewport(viewport);
  return page;
}

// The game's page at url once it has taken ten frames; options as newPage's.
export async function openGame(browser, url, options) {
  const page = await newPage(browser, options);
  await page.goto(url);
  await untilFrame(page, 10, 60000);
  return page;
}

// Checks that the page reported no error but those that ignore matches (a closed network's, say).
export function expectNoErrors(what, page, ignore = /(?!)/) {
  const errors = page.errors.filter((e) => !ignore.test(e));
  expect(`no errors on ${what}`, errors.length === 0, errors.join(" | "));
}

// Waits until fn (run in the page with arg) returns a truthy value, and resolves to it. Polls by
// interval rather than by animation frame, since a hidden page has none.
export async function until(page, what, fn, arg, timeout = 20000) {
  try {
    return await (await page.waitForFunction(fn, { timeout, polling: 25 }, arg)).jsonValue();
  } catch (e) {
    const where = await page.evaluate(() => `frame ${window.Module?.plixSnapshots}, focus on ` +
      `${document.activeElement?.id || document.activeElement?.tagName}, full screen: ` +
      `${Boolean(document.fullscreenElement)}, status: "${document.getElementById("status")?.textContent}"`)
      .catch((e) => `the page cannot be read (${e.message})`);
    throw new Error(`${what}: not within ${timeout / 1000} s (${e.message.split("\n")[0]}); ${where}`);
  }
}

// Waits until fn, here in the test, returns a truthy value (a download, say), and resolves to it.
export async function untilHere(what, fn, timeout = 20000) {
  for (const deadline = Date.now() + timeout; ; await new Promise((done) => setTimeout(done, 20))) {
    const value = await fn();
    if (value) return value;
    if (Date.now() > deadline) throw new Error(`${what}: not within ${timeout / 1000} s`);
  }
}

// How many input snapshots the game has taken: one per frame, published as the snapshot is taken.
export const snapshots = (page) => page.evaluate(() => window.Module?.plixSnapshots || 0);
export const untilFrame = (page, n, timeout) =>
  until(page, `frame ${n}`, (n) => (window.Module?.plixSnapshots || 0) >= n, n, timeout);
export const frames = async (page, n) => untilFrame(page, (await snapshots(page)) + n);

// How long, in the page's time, the game takes n more frames: { n, ms }, n as many as were counted.
export const timeFrames = (page, n) => page.evaluate((n) => new Promise((done) => {
  const [s0, t0] = [window.Module.plixSnapshots, performance.now()];
  const look = () => (window.Module.plixSnapshots < s0 + n ? setTimeout(look, 1)
    : done({ n: window.Module.plixSnapshots - s0, ms: performance.now() - t0 }));
  look();
}), n);

// Waits for n of the browser's animation frames in the page; resolves to the milliseconds they took.
export const animationFrames = (page, n) => page.evaluate((n) => new Promise((done) => {
  const t0 = performance.now();
  const next = () => (--n ? requestAnimationFrame(next) : done(performance.now() - t0));
  requestAnimationFrame(next);
}), n);

// A key that reaches the page while the game's last snapshot is a is taken from the queue by the pump
// after snapshot a + 1, so snapshot a + 2 is the first to see it. So a press or a release resolves
// once the game has seen it, and a tap is seen exactly once.
export const press = async (page, ...keys) => {
  for (const k of keys) await page.keyboard.down(k);
  await frames(page, 2);
};
export const release = async (page, ...keys) => {
  for (const k of keys.reverse()) await page.keyboard.up(k);
  await frames(page, 2);
};
export async function tap(page, ...keys) {
  await press(page, ...keys);
  await release(page, ...keys);
}

// newPage's setup: logs each event of the types as it reaches the page, with the snapshot count then.
export const logEvents = (types) => {
  window.eventLog = [];
  const log = (e) => window.eventLog.push({ type: e.type, key: e.key, at: window.Module?.plixSnapshots });
  for (const type of types) addEventListener(type, log, true);
};
// The snapshot count logged with the last event of the type (and the key).
export const lastAt = (page, type, key) => page.evaluate((type, key) =>
  window.eventLog.filter((e) => e.type === type && (!key || e.key === key)).pop()?.at, type, key);

// Checks that the ship moved (vx, vy) a frame, for `held` frames as the events' snapshot counts say, one
// more or less: on a loaded machine an event may reach the page on either side of a snapshot. The
// speed and the way stay exact.
export function expectSteer(what, before, after, vx, vy, held) {
  const n = before && after ? Math.round(vx ? (after.x - before.x) / vx : (after.y - before.y) / vy) : NaN;
  const seen = n > 0 && Math.abs(n - held) <= 1 ? n : held;
  expectMove(what, before, after, vx * seen, vy * seen);
}

// Checks that the ship moved by (dx, dy) from before to after.
export function expectMove(what, before, after, dx, dy) {
  const at = (p) => `(${p?.x}, ${p?.y})`;
  expect(what, Boolean(before && after) && after.x - before.x === dx && after.y - before.y === dy,
         `from ${at(before)} to ${at(after)}, expected a move of (${dx}, ${dy})`);
}

// Touches through the DevTools protocol, as a finger makes them: touch(type, touchPoints).
export async function toucher(page) {
  const cdp = await page.createCDPSession();
  return (type, touchPoints) => cdp.send("Input.dispatchTouchEvent", { type, touchPoints });
}

// The middle of the element, in the page's CSS pixels.
export const centre = (page, selector) => page.$eval(selector, (e) => {
  const r = e.getBoundingClientRect();
  return { x: r.left + r.width / 2, y: r.top + r.height / 2 };
});

// Lets the browser download into dir; next() then waits for a download's end: { name, state }.
export async function downloadsTo(browser, dir) {
  const cdp = await browser.target().createCDPSession();
  const [names, ended] = [new Map(), []];
  cdp.on("Browser.downloadWillBegin", (e) => names.set(e.guid, e.suggestedFilename));
  cdp.on("Browser.downloadProgress", (e) => e.state !== "inProgress" &&
         ended.push({ name: names.get(e.guid), ...e }));
  await cdp.send("Browser.setDownloadBehavior", { behavior: "allow", eventsEnabled: true,
                                                  downloadPath: dir });
  return () => untilHere("a download", () => ended.shift());
}

// Waits until the page's offline copy is kept, and is not old; resolves to its cache's name.
export const untilOfflineCopy = (page, old) => until(page, "the offline copy", (old) =>
  navigator.serviceWorker.ready.then(() => caches.keys())
    .then((keys) => keys.length === 1 && keys[0] !== old && keys[0]), old, 60000);

// The canvas's backing store as packed RGB, the picture the game drew before any scaling.
export async function canvasRGB(page) {
  return Buffer.from(await page.evaluate(() => {
    const c = window.Module.canvas;
    const rgba = c.getContext("2d").getImageData(0, 0, c.width, c.height).data;
    let s = "";
    for (let i = 0; i < rgba.length; i += 4) s += String.fromCharCode(rgba[i], rgba[i + 1], rgba[i + 2]);
    return btoa(s);
  }), "base64");
}

export const SHIP = [64, 64, 255];
export const BOSS = [0, 255, 0];
const isColour = (rgb, i, c) => rgb[i] === c[0] && rgb[i + 1] === c[1] && rgb[i + 2] === c[2];

// How many pixels of the rectangle are not the colour.
export function countNot(rgb, colour, x0, y0, w, h) {
  let n = 0;
  for (let y = y0; y < y0 + h; y++)
    for (let x = x0; x < x0 + w; x++) n += !isColour(rgb, (y * 320 + x) * 3, colour);
  return n;
}

// The ship's top-left corner on the canvas now, or null.
export async function shipAt(page) {
  const rgb = await canvasRGB(page);
  for (let i = 0; i < rgb.length; i += 3)
    if (isColour(rgb, i, SHIP)) return { x: (i / 3) % 320, y: Math.floor(i / 960) };
  return null;
}

// Whether the canvas shows a game: the boss's green at the top. Run in the page.
export const gameShown = () => {
  const d = window.Module.canvas.getContext("2d").getImageData(160, 70, 1, 1).data;
  return d[0] === 0 && d[1] === 255 && d[2] === 0;
};

// Starts a game from the title: a click gives the canvas the focus, and z is held until a game shows.
export async function startGame(page) {
  await page.click("#canvas");
  await press(page, "z");
  await until(page, "a game", gameShown);
  await release(page, "z");
}
