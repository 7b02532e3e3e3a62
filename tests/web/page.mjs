// Drives the game's page by what it reports: its frame counter (Module.plixSnapshots), its events and
// its pixels. Every wait has a deadline, and a missed one throws with what the page showed by then.

// How many input snapshots the game has taken: one per frame, published as the snapshot is taken.
export const snapshots = (page) => page.evaluate(() => window.Module?.plixSnapshots || 0);

// A line saying where the page stands, for a failure's message.
export const whereNow = (page) =>
  page.evaluate(() => {
    const active = document.activeElement;
    return `frame ${window.Module?.plixSnapshots}, full screen: ${Boolean(document.fullscreenElement)}, ` +
      `focus on: ${active?.id || active?.tagName}, status: "${document.getElementById("status")?.textContent}"`;
  }).catch((e) => `the page cannot be read (${e.message})`);

// Waits until fn (run in the page with arg) returns a truthy value, and resolves to it. Polls by
// interval rather than by animation frame, since a hidden page has none.
export async function until(page, what, fn, arg, timeout = 20000) {
  try {
    const handle = await page.waitForFunction(fn, { timeout, polling: 25 }, arg);
    return await handle.jsonValue();
  } catch (e) {
    throw new Error(`${what}: not within ${timeout / 1000} s (${e.message.split("\n")[0]}); ${await whereNow(page)}`);
  }
}

// Waits until fn, here in the test, returns a truthy value: for what the browser reports to the test
// itself, a download say. Resolves to that value; a missed deadline throws.
export async function untilHere(what, fn, timeout = 20000) {
  const deadline = Date.now() + timeout;
  for (;;) {
    const value = await fn();
    if (value) return value;
    if (Date.now() > deadline) throw new Error(`${what}: not within ${timeout / 1000} s`);
    await new Promise((done) => setTimeout(done, 20));
  }
}

// Waits until the game has taken frame number n.
export const untilFrame = (page, n, timeout) =>
  until(page, `frame ${n}`, (t) => (window.Module?.plixSnapshots || 0) >= t, n, timeout);

// Waits for n more frames.
export async function frames(page, n) {
  await untilFrame(page, (await snapshots(page)) + n);
}

// An event dispatched while the game's last snapshot was number a is taken from the queue by the
// pump that follows snapshot a + 1, so snapshot a + 2 is the first to see it. Input.dispatchKeyEvent
// resolves once the page has handled the event, so the count read after it is at least a.
const SEEN_AFTER = 2;

// Presses keys and waits until the game's snapshot has seen them held.
export async function press(page, ...keys) {
  for (const k of keys) await page.keyboard.down(k);
  await frames(page, SEEN_AFTER);
}

// Releases keys and waits until the game's snapshot has seen them up, so that a next press is a push.
export async function release(page, ...keys) {
  for (const k of [...keys].reverse()) await page.keyboard.up(k);
  await frames(page, SEEN_AFTER);
}

// A push that the game sees exactly once: held for one snapshot or more, then seen released.
export async function tap(page, ...keys) {
  await press(page, ...keys);
  await release(page, ...keys);
}

// The canvas's backing store as packed RGB, the picture the game drew before any scaling.
export async function canvasRGB(page) {
  const b64 = await page.evaluate(() => {
    const c = window.Module.canvas;
    const rgba = c.getContext("2d").getImageData(0, 0, c.width, c.height).data;
    let s = "";
    for (let i = 0; i < rgba.length; i += 4) s += String.fromCharCode(rgba[i], rgba[i + 1], rgba[i + 2]);
    return btoa(s);
  });
  return Buffer.from(b64, "base64");
}

export const rgbAt = (rgb, x, y, width = 320) => {
  const i = (y * width + x) * 3;
  return [rgb[i], rgb[i + 1], rgb[i + 2]];
};
export const sameColour = (a, b) => a[0] === b[0] && a[1] === b[1] && a[2] === b[2];

// How many pixels of the rectangle are not the colour.
export function countNot(rgb, colour, x0, y0, w, h) {
  let n = 0;
  for (let y = y0; y < y0 + h; y++) for (let x = x0; x < x0 + w; x++) if (!sameColour(rgbAt(rgb, x, y), colour)) n++;
  return n;
}

// The ship's top-left corner on the canvas now, or null; found in the page, which is quicker than
// fetching the whole picture while the game plays on.
export const SHIP = [64, 64, 255];
export const BOSS = [0, 255, 0];
export const shipAt = (page) => page.evaluate((ship) => {
  const c = window.Module.canvas;
  const d = c.getContext("2d").getImageData(0, 0, c.width, c.height).data;
  for (let i = 0; i < d.length; i += 4)
    if (d[i] === ship[0] && d[i + 1] === ship[1] && d[i + 2] === ship[2]) return { x: (i / 4) % c.width, y: Math.floor(i / 4 / c.width) };
  return null;
}, SHIP);

// Whether the canvas shows a game: the boss's green at the top.
export const gameShown = () => {
  const d = window.Module.canvas.getContext("2d").getImageData(160, 70, 1, 1).data;
  return d[0] === 0 && d[1] === 255 && d[2] === 0;
};

// Checks that record a failure and go on; report() prints the total and gives the exit status.
export function checker() {
  let failures = 0;
  const expect = (what, ok, detail = "") => {
    console.log(`${ok ? "ok" : "FAIL"}: ${what}${detail ? ` (${detail})` : ""}`);
    if (!ok) failures++;
    return ok;
  };
  // Runs a group of checks; a throw (a missed deadline, say) fails the group with its message.
  const group = async (name, body) => {
    try {
      await body();
    } catch (e) {
      expect(name, false, e.message);
    }
  };
  const report = (what) => {
    console.log(failures ? `${what}: ${failures} check(s) failed` : `${what}: all checks passed`);
    return failures ? 1 : 0;
  };
  return { expect, group, report, failed: () => failures };
}

// Records the page's errors: thrown exceptions and console errors.
export function collectErrors(page) {
  const errors = [];
  page.on("pageerror", (e) => errors.push(e.message));
  page.on("console", (m) => { if (m.type() === "error") errors.push(m.text()); });
  return errors;
}
