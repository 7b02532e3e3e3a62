// The page's replays end to end: a game played in the page is kept, saved as a file that the desktop
// simulator verifies, and watched to its end at ×1 (its shared link) and ×4 (dropped on the watcher); a
// replay of other rules refused in words; the watcher by touch on a phone; the kept game across a reload
// and offline. Usage: node replays_test.mjs WEB_DIR ZORVANE_SIM RESOURCE_DIR.
import { readFileSync, rmSync, writeFileSync } from "node:fs";
import { join, resolve } from "node:path";
import { centre, desktopSim, downloadsTo, expect, expectNoErrors, group, newPage, openGame, runTest,
         startGame, stop, toucher, until, untilFrame, untilOfflineCopy } from "./page.mjs";

const [webDir, sim, resourceDir] = process.argv.slice(2).map((a) => resolve(a));
const desktop = desktopSim(sim, resourceDir);
const scratch = desktop.dir;

// A page whose watcher's status line reads as fields: watchState() in the page.
const watcherPage = (browser, device) => newPage(browser, { device, setup: () => {
  window.watchState = () => Object.fromEntries((document.body?.dataset.watch || "").split(" ")
    .map((p) => p.split("=")));
} });
const firstFrame = (page) => until(page, "the watcher's first frame", () =>
  Number(window.watchState().frame));

// A watch to its end, held against the desktop's claim (the outcome token and the score of --verify's
// line); resolves to the watcher's fields, with how long the frames at `speed` took.
async function expectWatched(what, page, speed, claim) {
  const end = await until(page, `the watcher's end at ×${speed}`, (speed) => {
    const s = window.watchState();
    if (s.speed === String(speed) && !window.paced)
      window.paced = { at: performance.now(), frame: Number(s.frame) };
    return s.ended === "1" && { ...s, ms: performance.now() - window.paced.at,
                                paced: Number(s.frame) - window.paced.frame };
  }, speed, 40000);
  const seen = await page.evaluate(() => Object.fromEntries(["replayed", "claimed", "status"]
    .map((id) => [id, document.getElementById(id).textContent])));
  const [, outcome, score] = /outcome=(\S+) score=(\d+)/.exec(claim);
  expect(`${what}: ended ${end.outcome}, score ${end.score}, as the desktop verified`,
         end.outcome === outcome && end.score === score && seen.replayed === score &&
         seen.claimed === score && seen.status.endsWith("as claimed"),
         `${JSON.stringify(end)} ${JSON.stringify(seen)}; desktop ${claim}`);
  return end;
}

await runTest("replays", webDir, async ({ browser, url: web, server }) => {
  const download = await downloadsTo(browser, scratch);
  const game = await openGame(browser, web);
  let [saved, link, claim] = [];
  // The rows of the panel of kept games, each its first five cells joined by "|".
  const rows = () => [...document.querySelectorAll("#replays tbody tr")]
    .map((tr) => [...tr.cells].slice(0, 5).map((c) => c.textContent).join("|"));

  await group("a game in the page, saved", async () => {
    await startGame(game);
    // No key more: the game is over in a few seconds.
    await until(game, "the game kept", () => document.getElementById("replays").dataset.games === "1",
                undefined, 30000);
    const kept = await game.evaluate(rows);
    const [, level, outcome, score] = kept[0].split("|");
    expect("the panel lists the last game and the best of its level",
           kept.length === 2 && outcome === "game over" && kept[0].startsWith("Last game|") &&
           kept[1] === kept[0].replace("Last game", "Best"), kept.join(", "));
    await game.click("#replays tbody tr:first-child button"); // Save
    const { name, state } = await download();
    saved = join(scratch, name);
    expect(`Save downloads ${name}`, state === "completed" && name === `zorvane-L${level}-S${score}.zvr`,
           state);
    const verified = await desktop.run("--verify", saved);
    claim = verified.stdout.trim();
    expect("the desktop's zorvane-sim --verify holds its claim, the panel's score",
           verified.code === undefined && /: holds$/m.test(claim) &&
           /outcome=\S+ score=(\d+)/.exec(claim)?.[1] === score,
           `${claim}${verified.stderr}`);
    await game.click("#replays tbody tr:first-child button:last-of-type"); // Share
    link = await until(game, "the shared link", () => document.querySelector("#replays .shared input").value);
  });

  await group("watched at ×1 from its link, at ×4 dropped on the watcher", async () => {
    const watch = await watcherPage(browser);
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
    await firstFrame(watch);
    await watch.keyboard.down("4");
    await until(watch, "the key 4 seen", () => window.watchState().speed === "4");
    await watch.keyboard.up("4");
    const fast = await expectWatched("the dropped file at ×4", watch, 4, claim);
    const [fastMs, onceMs] = [fast.ms / fast.paced, once.ms / once.paced];
    expect(`at ×4, faster: ${fastMs.toFixed(1)} ms a frame against ${onceMs.toFixed(1)}`,
           fastMs < 0.6 * onceMs && fastMs >= 4 * 0.98);
    expectNoErrors("the watcher's page", watch);
    await watch.close();
  });

  await group("a replay of other rules, picked", async () => {
    const bytes = readFileSync(saved);
    const rules = bytes.readUInt16LE(5);
    bytes.writeUInt16LE(rules + 1, 5);
    writeFileSync(join(scratch, "other-rules.zvr"), bytes);
    const watch = await newPage(browser);
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
    const phone = await watcherPage(browser, "Pixel 5");
    await phone.goto(link);
    const touch = await toucher(phone);
    // A tap on the button of that key.
    const tap = async (key) => {
      await touch("touchStart", [await centre(phone, `#commands button[title="${key}"]`)]);
      await touch("touchEnd", []);
    };
    const sizes = await phone.$$eval("#commands button", (bs) => bs.map((b) => b.getBoundingClientRect())
      .map((r) => [r.width, r.height]));
    expect("six buttons a finger can hit, 48 px or more each way",
           sizes.length === 6 && sizes.every(([w, h]) => w >= 48 && h >= 48), JSON.stringify(sizes));
    await firstFrame(phone);
    await tap("Space");
    const paused = await until(phone, "paused by a tap", () => window.watchState().paused === "1" &&
                               window.watchState());
    await tap(".");
    const stepped = await until(phone, "a step", (f) => Number(window.watchState().frame) === f + 1 &&
                                window.watchState().paused === "1" && window.watchState(),
                                Number(paused.frame));
    expect(`a tap pauses (frame ${paused.frame}), one steps a frame (${stepped.frame})`, true);
    await tap("End");
    await expectWatched("a tap on End", phone, 1, claim);
    await phone.close();
  });

  await group("the kept game across a reload, and offline", async () => {
    const best = () => until(game, "the kept best game", `(${rows})().find((r) => r.startsWith("Best|"))`,
                             undefined, 30000);
    const before = await best();
    await game.reload();
    const after = await best();
    expect(`after a reload: ${after}`, after === before);
    await untilOfflineCopy(game);
    stop(server);
    await game.reload();
    await untilFrame(game, 10, 60000);
    expect("offline, the reloaded page keeps it", (await best()) === before);
    const watch = await watcherPage(browser);
    await watch.goto(`${web}watch.html#kept=${before.split("|")[1]}`);
    const from = await firstFrame(watch);
    const pushed = Date.now();
    // Held until seen: the watcher reads its keys once a frame.
    await watch.keyboard.down("End");
    const end = await expectWatched("offline, the kept game watched to its end (End)", watch, 1, claim);
    const took = Date.now() - pushed;
    await watch.keyboard.up("End");
    expect(`End jumped there: ${end.frame - from} frames in ${took} ms, faster than at ×2`,
           took < (end.frame - from) * 16 / 2);
  });
  expectNoErrors("the game's page", game, /Failed to load resource|ERR_CONNECTION_REFUSED/);
  rmSync(scratch, { recursive: true, force: true });
});
