// The page's replays end to end: a game played in the page is kept, saved as a file that the desktop
// simulator verifies, and watched to its end at ×1 (from its shared link) and ×4 (dropped on the
// watcher); a replay of other rules is refused in words; the watcher by touch on a phone; the bot's
// games of every level verified in the browser as on the desktop; the kept game across a reload and
// offline.
// Usage: node replays_test.mjs WEB_DIR LAB_DIR ZORVANE_SIM RESOURCE_DIR. WEB_DIR and LAB_DIR are
// scripts/web.sh --tests's, side by side; ZORVANE_SIM the desktop simulator. Prints "ok: ..." or
// "FAIL: ..." per check and exits 1 on a failure.
import { execFile } from "node:child_process";
import { mkdtempSync, readFileSync, rmSync, symlinkSync, writeFileSync } from "node:fs";
import { dirname, join, resolve } from "node:path";
import { promisify } from "node:util";
import { KnownDevices } from "puppeteer-core";
import { openChromium } from "./chromium.mjs";
import { checker, collectErrors, gameShown, press, release, until, untilFrame, untilHere } from "./page.mjs";

const [webDir, labDir, sim, resourceDir] = process.argv.slice(2);
if (dirname(resolve(webDir)) !== dirname(resolve(labDir))) throw new Error("WEB_DIR and LAB_DIR must be side by side");
const { expect, group, report } = checker();
// The desktop simulator runs in a folder of its own that holds resource/, as it asks.
const scratch = mkdtempSync("/tmp/zorvane-replays-");
symlinkSync(resolve(resourceDir), join(scratch, "resource"));
const desktop = (...args) => promisify(execFile)(resolve(sim), args, { cwd: scratch }).catch((e) => e);
// The bot's games of every level, recorded and verified on the desktop while the pages play at their pace.
const botFile = join(scratch, "bot.zvr");
const botVerified = desktop("--all-levels", "--input", "bot", "--record", botFile).then(() => desktop("--verify", botFile));

// A page whose watcher's status line reads as fields: watchState() in the page.
async function watcherPage() {
  const page = await browser.newPage();
  await page.evaluateOnNewDocument(() => {
    window.watchState = () => Object.fromEntries((document.body?.dataset.watch || "").split(" ").map((p) => p.split("=")));
  });
  return page;
}
// Waits until the watcher has ended; resolves to its fields, with how long the frames at `speed` took.
const watchToEnd = (page, speed) => until(page, `the watcher's end at ×${speed}`, (speed) => {
  const s = window.watchState();
  if (s.speed === String(speed) && !window.paced) window.paced = { at: performance.now(), frame: Number(s.frame) };
  return s.ended === "1" && { ...s, ms: performance.now() - window.paced.at, paced: Number(s.frame) - window.paced.frame };
}, speed, 40000);
const shown = (page) => page.evaluate(() => ({ replayed: document.getElementById("replayed").textContent,
  claimed: document.getElementById("claimed").textContent, status: document.getElementById("status").textContent }));

// The desktop's claim of a replay: its outcome token and score, from --verify's line.
const claimOf = (line) => ({ outcome: /outcome=(\S+)/.exec(line)?.[1], score: /score=(\d+)/.exec(line)?.[1] });
// A watch to its end, held against the desktop's claim.
async function expectWatched(what, page, speed, claim) {
  const end = await watchToEnd(page, speed);
  const seen = await shown(page);
  expect(`${what}: ended ${end.outcome}, score ${end.score}, as the desktop verified`, end.outcome === claim.outcome &&
         end.score === claim.score && seen.replayed === claim.score && seen.claimed === claim.score &&
         seen.status.endsWith("as claimed"), `${JSON.stringify(end)} ${JSON.stringify(seen)}; desktop ${JSON.stringify(claim)}`);
  return end;
}

const { browser, url, server, close } = await openChromium(dirname(resolve(webDir)));
const web = `${url}web/`;
try {
  const cdp = await browser.target().createCDPSession();
  const downloads = [];
  cdp.on("Browser.downloadWillBegin", (e) => downloads.push(e.suggestedFilename));
  cdp.on("Browser.downloadProgress", (e) => { if (e.state !== "inProgress") downloads.push(e.state); });
  await cdp.send("Browser.setDownloadBehavior", { behavior: "allow", downloadPath: scratch, eventsEnabled: true });
  const game = await browser.newPage();
  const errors = collectErrors(game);
  let saved = null;
  let link = null;
  let claim = null;

  await group("a game in the page, saved", async () => {
    await game.goto(web);
    await untilFrame(game, 10, 60000);
    await game.click("#canvas");
    await press(game, "z");
    await until(game, "a game", gameShown);
    await release(game, "z");
    // No key more: the game is over in a few seconds.
    await until(game, "the game kept", () => document.getElementById("replays").dataset.games === "1", undefined, 30000);
    const rows = await game.$$eval("#replays tbody tr", (trs) => trs.map((tr) => [...tr.cells].slice(0, 5).map((c) => c.textContent)));
    expect("the panel lists the last game and the best of its level", rows.length === 2 && rows[0][0] === "Last game" &&
           rows[1][0] === "Best" && rows[0].slice(1).join() === rows[1].slice(1).join() && rows[0][2] === "game over",
           JSON.stringify(rows));
    const [, level, , score] = rows[0];
    await game.click("#replays tbody tr:first-child button"); // Save
    const name = await untilHere("the download's name", () => downloads.shift());
    const state = await untilHere("the download", () => downloads.shift());
    saved = join(scratch, name);
    expect(`Save downloads ${name}`, state === "completed" && name === `zorvane-L${level}-S${score}.zvr`, state);
    const verified = await desktop("--verify", saved);
    claim = claimOf(verified.stdout);
    expect("the desktop's zorvane-sim --verify holds its claim, the panel's score", verified.code === undefined &&
           /: holds$/m.test(verified.stdout) && claim.score === score, `${verified.stdout}${verified.stderr}`);
    await game.click("#replays tbody tr:first-child button:last-of-type"); // Share
    link = await until(game, "the shared link", () => document.querySelector("#replays .shared input").value);
  });

  await group("watched at ×1 from its link, at ×4 dropped on the watcher", async () => {
    const watch = await watcherPage();
    const watchErrors = collectErrors(watch);
    await watch.goto(link);
    const once = await expectWatched("the shared link at ×1", watch, 1, claim);
    expect(`at ×1, the game's pace: ${once.paced} frames in ${once.ms.toFixed(0)} ms, 16 ms each or more`,
           once.paced > 300 && once.ms >= once.paced * 16 * 0.98);
    await watch.goto(`${web}watch.html`);
    await Promise.all([watch.waitForNavigation(), watch.evaluate((b64) => {
      const data = new DataTransfer();
      data.items.add(new File([Uint8Array.from(atob(b64), (c) => c.charCodeAt(0))], "dropped.zvr"));
      document.dispatchEvent(new DragEvent("drop", { dataTransfer: data, bubbles: true, cancelable: true }));
    }, readFileSync(saved).toString("base64"))]);
    await until(watch, "the watcher's first frame", () => Number(window.watchState().frame) > 0);
    await watch.keyboard.down("4");
    await until(watch, "the key 4 seen", () => window.watchState().speed === "4");
    await watch.keyboard.up("4");
    const fast = await expectWatched("the dropped file at ×4", watch, 4, claim);
    expect(`at ×4, faster: ${(fast.ms / fast.paced).toFixed(1)} ms a frame against ${(once.ms / once.paced).toFixed(1)}`,
           fast.ms / fast.paced < 0.6 * once.ms / once.paced && fast.ms >= fast.paced * 4 * 0.98);
    expect("no errors on the watcher's page", watchErrors.length === 0, watchErrors.join(" | "));
    await watch.close();
  });

  await group("a replay of other rules, picked", async () => {
    const bytes = readFileSync(saved);
    const rules = bytes.readUInt16LE(5);
    bytes.writeUInt16LE(rules + 1, 5);
    writeFileSync(join(scratch, "other-rules.zvr"), bytes);
    const watch = await browser.newPage();
    await watch.goto(`${web}watch.html`);
    const input = await watch.$("#file");
    await Promise.all([watch.waitForNavigation(), input.uploadFile(join(scratch, "other-rules.zvr"))]);
    const said = await until(watch, "the refusal", () => !document.getElementById("problem").hidden &&
                             document.getElementById("problem").textContent);
    expect(`refused with a line naming rules versions ${rules + 1} and ${rules}`,
           said.includes(`rules version ${rules + 1}`) && said.includes(`rules version ${rules}`), said);
    await watch.close();
  });

  await group("the watcher by touch on a phone", async () => {
    const phone = await watcherPage();
    await phone.emulate(KnownDevices["Pixel 5"]);
    await phone.goto(link);
    const touch = await phone.createCDPSession();
    const tap = async (name) => {
      const at = await phone.$$eval("#commands button", (bs, n) => {
        const r = bs.find((b) => b.textContent === n).getBoundingClientRect();
        return { x: r.left + r.width / 2, y: r.top + r.height / 2 };
      }, name);
      await touch.send("Input.dispatchTouchEvent", { type: "touchStart", touchPoints: [at] });
      await touch.send("Input.dispatchTouchEvent", { type: "touchEnd", touchPoints: [] });
    };
    const sizes = await phone.$$eval("#commands button", (bs) => bs.map((b) => b.getBoundingClientRect()).map((r) => [r.width, r.height]));
    expect("six buttons a finger can hit, 48 px or more each way", sizes.length === 6 && sizes.every(([w, h]) => w >= 48 && h >= 48),
           JSON.stringify(sizes));
    await until(phone, "the first frame", () => Number(window.watchState().frame) > 0);
    await tap("Pause");
    const paused = await until(phone, "paused by a tap", () => window.watchState().paused === "1" && window.watchState());
    await tap("Step");
    const stepped = await until(phone, "a step", (f) => Number(window.watchState().frame) === f + 1 &&
                                window.watchState().paused === "1" && window.watchState(), Number(paused.frame));
    expect(`a tap pauses (frame ${paused.frame}), one steps a frame (${stepped.frame})`, true);
    await tap("End");
    await expectWatched("a tap on End", phone, 1, claim);
    await phone.close();
  });

  await group("the bot's games of every level, verified in the browser", async () => {
    const want = await botVerified;
    const lines = want.stdout.trimEnd().split("\n");
    const lab = await browser.newPage();
    await lab.evaluateOnNewDocument((files) => { window.labFiles = files; }, { "/bot.zvr": readFileSync(botFile).toString("base64") });
    await lab.goto(`${url}lab/replay.html?--verify&/bot.zvr`);
    // The emulation prints a line of its own as the runtime ends.
    const run = await until(lab, "the browser's --verify", () => window.Module.exitStatus !== null &&
                            { status: window.Module.exitStatus, lines: window.Module.output.filter((l) => l.startsWith("level=")) },
                            undefined, 120000);
    const differ = Array.from({ length: Math.max(lines.length, run.lines.length) }, (_, i) => i)
      .findIndex((i) => lines[i] !== run.lines[i]);
    expect(`${lines.length} replays: every line of the browser's --verify is the desktop's, each claim holding`,
           want.code === undefined && run.status === 0 && differ < 0, differ < 0 ? `status ${run.status} ${want.stderr}` :
           `line ${differ + 1}: desktop ${lines[differ]}; browser ${run.lines[differ]} (status ${run.status})`);
    await lab.close();
  });

  await group("the kept game across a reload, and offline", async () => {
    const best = () => until(game, "the kept best game", () => [...document.querySelectorAll("#replays tbody tr")]
      .map((tr) => [...tr.cells].slice(0, 5).map((c) => c.textContent).join()).find((r) => r.startsWith("Best,")), undefined, 30000);
    const before = await best();
    await game.reload();
    const after = await best();
    expect(`after a reload: ${after}`, after === before);
    await until(game, "the offline copy", () => navigator.serviceWorker.ready.then(() => caches.keys())
      .then((keys) => keys.length === 1), undefined, 60000);
    server.close();
    server.closeAllConnections();
    await game.reload();
    await untilFrame(game, 10, 60000);
    expect("offline, the reloaded page keeps it", (await best()) === before);
    const watch = await watcherPage();
    await watch.goto(`${web}watch.html#kept=${before.split(",")[1]}`);
    const from = await until(watch, "the watcher's first frame offline", () => Number(window.watchState().frame));
    const pushed = Date.now();
    // Held until seen: the watcher reads its keys once a frame.
    await watch.keyboard.down("End");
    const end = await expectWatched("offline, the kept game watched to its end (End)", watch, 1, claim);
    const took = Date.now() - pushed;
    await watch.keyboard.up("End");
    expect(`End jumped there: ${end.frame - from} frames in ${took} ms, faster than at ×2`, took < (end.frame - from) * 16 / 2);
  });
  expect("no errors on the game's page", errors.filter((e) => !/Failed to load resource|ERR_CONNECTION_REFUSED/.test(e)).length === 0,
         errors.join(" | "));
} finally {
  await close();
  // Its folder goes only once the desktop's run is done with it.
  await botVerified;
  rmSync(scratch, { recursive: true, force: true });
}
process.exit(report("replays"));
