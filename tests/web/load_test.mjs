// Loading that respects the player: the title after at most 250 kB, the music in the background, a
// game that waits for it in silence, failures named in words, and the offline copy with its updates.
// Usage: node load_test.mjs WEB_DIR, spoiling only copies of it.
import { execFileSync } from "node:child_process";
import { cpSync, mkdtempSync, readFileSync, rmSync, truncateSync, writeFileSync } from "node:fs";
import { join } from "node:path";
import { damageSetupHeader } from "./ogg.mjs";
import { canvasRGB, expect, expectNoErrors, frames, group, newPage, openGame, runTest, startGame, stop, until,
         untilFrame, untilHere, untilOfflineCopy } from "./page.mjs";
import { serve } from "../../web/serve.mjs";

const webDir = process.argv[2];
const web = new URL("../../web/", import.meta.url).pathname;
const MUSIC = "resource/sound/bgm.ogg";
const scratch = mkdtempSync("/tmp/zorvane-load-");
// A copy of the built page to spoil.
function copyOfPage(name) {
  cpSync(webDir, join(scratch, name), { recursive: true });
  return join(scratch, name);
}
const text = (page, selector) => page.$eval(selector, (e) => e.textContent);
const hidden = (page, selector) => page.$eval(selector, (e) => e.hidden);
const musicAt = (page) => page.evaluate(() => window.Module.plixAudio.position());

// The music of the copy in title/ is held back by the server until the test lets it go.
let letGo;
let musicAsked = false;
const musicHeld = new Promise((done) => { letGo = done; });
const hold = (path) => (path === `/title/${MUSIC}` ? ((musicAsked = true), musicHeld) : null);

// Each group in a browser context of its own, on a copy of the page in a folder of its own.
await runTest("loading", scratch, async ({ browser, url: root, server }) => {
  await group("the title before the music", async () => {
    const url = `${root}title/`;
    copyOfPage("title");
    try {
      const page = await newPage(await browser.createBrowserContext());
      const cdp = await page.createCDPSession();
      await cdp.send("Network.enable");
      const received = new Map();
      cdp.on("Network.responseReceived", (e) => received.set(e.requestId, { url: e.response.url, bytes: 0 }));
      cdp.on("Network.loadingFinished", (e) => received.has(e.requestId) &&
             (received.get(e.requestId).bytes = e.encodedDataLength));
      await page.goto(url);
      await untilFrame(page, 1, 60000);
      const fetched = [...received.values()].filter((r) => r.url.startsWith("http"));
      const total = fetched.reduce((sum, r) => sum + r.bytes, 0);
      expect(`the title shows after ${(total / 1000).toFixed(1)} kB on the wire, at most 250`,
             total <= 250000 && total > 0, fetched.map((r) => `${r.url.replace(url, "")} ${r.bytes}`).join());
      const shrunk = await page.evaluate(() => performance.getEntriesByType("resource")
        .filter((e) => /zorvane\.(wasm|data)$/.test(e.name))
        .every((e) => e.encodedBodySize < e.decodedBodySize));
      expect("the page's files come compressed",
             fetched.filter((r) => /\.(js|wasm|data|html)$/.test(r.url)).length >= 4 && shrunk);
      const [hint, hintShown] = [await text(page, "#hint"), !(await hidden(page, "#hint"))];
      await frames(page, 30);
      expect("the hint stays until the player acts", hintShown && !(await hidden(page, "#hint")), hint);
      await untilHere("the music asked for", () => musicAsked);
      expect("the music is asked for while the title shows", true);

      // A game started before the music has come plays in silence, and the music starts once it comes.
      await page.click("#canvas");
      expect("a click takes the hint away", await hidden(page, "#hint"));
      await startGame(page);
      await frames(page, 10);
      expect("the game plays on without its music",
             (await musicAt(page)) === 0 && (await text(page, "#runlog")) === "");
      letGo();
      await until(page, "the music starting once it has come", () =>
        window.Module.plixAudio.position() > 0.2);
      expect("the music starts as soon as it has come", true);
      expectNoErrors("the page", page);
      await page.close();
    } finally {
      letGo();
    }
  });

  // Each spoiled file and the words the page must show: the file's name and what befell it.
  const missing = (file, words, plays) => ({ what: `a missing ${file.split("/").pop()}`, file, spoil: rmSync,
                                             words, plays });
  const CASES = [
    missing("zorvane.data", /zorvane\.data could not be loaded/),
    missing("zorvane.js", /zorvane\.js could not be loaded/),
    { what: "a damaged zorvane.wasm", file: "zorvane.wasm", spoil: (f) => truncateSync(f, 1000),
      words: /zorvane\.wasm is damaged/ },
    missing("zorvane.wasm", /zorvane\.wasm could not be loaded/),
    missing(MUSIC, /bgm\.ogg could not be fetched \(404/, true),
    // A one-byte change in the Vorbis setup header with the page's checksum made right: the kind of
    // file that crashes libvorbis on the desktop. The browser's decoder refuses it.
    { what: "a music with a damaged setup header", file: MUSIC, words: /bgm\.ogg is damaged/, plays: true,
      spoil: (f) => writeFileSync(f, damageSetupHeader(readFileSync(f), 0.5)) },
  ];
  for (const c of CASES) {
    await group(c.what, async () => {
      const name = c.what.replace(/\W+/g, "-");
      c.spoil(join(copyOfPage(name), c.file));
      const page = await newPage(await browser.createBrowserContext());
      await page.goto(`${root}${name}/`);
      const said = await until(page, "a worded failure", () => !document.getElementById("problem").hidden &&
                               document.getElementById("problem").textContent, undefined, 30000);
      // In words: the file, what befell it and what to do, not an exception's name first.
      expect(`${c.what}: the page names it and says what to do`, c.words.test(said) &&
             /[Rr]eload the page/.test(said) && !/^(\w*Error|Uncaught|abort)/i.test(said), said);
      if (!c.plays) return expect(`${c.what}: no progress left hanging`, await hidden(page, "#loading"));
      // The title plays on; a game's start then stops the run with the music's line, as on the desktop.
      await untilFrame(page, 10, 30000);
      await page.click("#canvas");
      // The run ends in the frame that sees z, so no frame comes after to wait for.
      await page.keyboard.down("z");
      const line = await until(page, "the run's last line", () =>
        document.getElementById("runlog").textContent);
      await page.keyboard.up("z");
      expect(`${c.what}: a game's start ends the run with a line that names the file`,
             line.startsWith("Plix_playBgm: ") && c.words.test(line), line);
      expectNoErrors(`the page with ${c.what}`, page, /Failed to load resource/);
    });
  }

  // In the browser's own context, as Chromium holds a page in another unfit to install.
  await group("offline", async () => {
    const dir = copyOfPage("offline");
    const port = server.address().port;
    let again = null;
    try {
      const page = await openGame(browser, `${root}offline/`);
      const online = await canvasRGB(page);
      const first = await untilOfflineCopy(page);
      const cdp = await page.createCDPSession();
      const { installabilityErrors } = await cdp.send("Page.getInstallabilityErrors");
      const manifest = await cdp.send("Page.getAppManifest");
      const app = JSON.parse(manifest.data || "{}");
      expect("installable: Chromium finds no fault with the manifest or the offline copy",
             installabilityErrors.length === 0 && manifest.errors.length === 0,
             JSON.stringify([installabilityErrors, manifest.errors]));
      expect("added to a home screen it is a full-screen game in portrait, with the game's icons",
             app.display === "fullscreen" && app.orientation === "portrait" &&
             app.icons?.some((i) => i.sizes === "256x256" && i.src.startsWith("icons/zorvane-")),
             manifest.data);

      stop(server);
      await page.reload();
      await untilFrame(page, 10, 60000);
      expect("offline, the reloaded page shows the same title, pixel for pixel",
             (await canvasRGB(page)).equals(online));
      await startGame(page);
      expect("and plays offline", true);

      // A new build on the server again: it is what the page loads, and its copy replaces the old one.
      const index = join(dir, "index.html");
      writeFileSync(index, readFileSync(index, "utf8").replace("<main>", '<main data-build="2">'));
      execFileSync("node", [join(web, "offline.mjs"), join(web, "sw.js"), dir]);
      again = (await serve(scratch, port)).server;
      const build = () => page.$eval("main", (e) => e.dataset.build);
      await page.reload();
      await untilFrame(page, 10, 60000);
      expect("online again, the new build is shown, not the copy", (await build()) === "2");
      const second = await untilOfflineCopy(page, first);
      stop(again);
      await page.reload();
      await untilFrame(page, 10, 60000);
      expect(`offline again, the new build's copy (${second}) replaces the old (${first})`,
             (await build()) === "2");
      expectNoErrors("the page", page, /Failed to load resource|ERR_CONNECTION_REFUSED/);
    } finally {
      if (again) stop(again);
      rmSync(scratch, { recursive: true, force: true });
    }
  });
}, hold);
