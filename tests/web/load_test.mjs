// Loading that respects the player: the title after at most 250 kB, the music in the background, a
// game that waits for it in silence, failures named in words, and the offline copy with its updates.
// Usage: node load_test.mjs WEB_DIR. Works on copies of WEB_DIR; prints "ok: ..." or "FAIL: ..." per
// check and exits 1 on a failure.
import { execFileSync } from "node:child_process";
import { cpSync, mkdtempSync, readFileSync, rmSync, truncateSync, writeFileSync } from "node:fs";
import { dirname, join } from "node:path";
import { fileURLToPath } from "node:url";
import { openChromium } from "./chromium.mjs";
import { damageSetupHeader } from "./ogg.mjs";
import { canvasRGB, checker, collectErrors, frames, gameShown, press, release, until, untilFrame, untilHere } from "./page.mjs";
import { serve } from "../../web/serve.mjs";

const webDir = process.argv[2];
const here = dirname(fileURLToPath(import.meta.url));
const { expect, group, report } = checker();
const TITLE_BUDGET = 250000; // bytes on the wire before the title shows
const MUSIC = "resource/sound/bgm.ogg";
const QUIT = "dPlix system quit.";

const scratch = mkdtempSync("/tmp/zorvane-load-");
// A copy of the built page to spoil.
function copyOfPage(name) {
  const dir = join(scratch, name);
  cpSync(webDir, dir, { recursive: true });
  return dir;
}

try {
  await group("the title before the music", async () => {
    // The music is held back by the server until the test lets it go.
    let letGo;
    const musicHeld = new Promise((done) => { letGo = done; });
    let musicAsked = false;
    const hold = (path) => (path === `/${MUSIC}` ? ((musicAsked = true), musicHeld) : null);
    const { browser, url, close } = await openChromium(webDir, hold);
    try {
      const page = await browser.newPage();
      const errors = collectErrors(page);
      const cdp = await page.createCDPSession();
      await cdp.send("Network.enable");
      const received = new Map();
      cdp.on("Network.responseReceived", (e) => received.set(e.requestId, { url: e.response.url, bytes: 0 }));
      cdp.on("Network.loadingFinished", (e) => { if (received.has(e.requestId)) received.get(e.requestId).bytes = e.encodedDataLength; });
      await page.goto(url);
      await untilFrame(page, 1, 60000);
      const fetched = [...received.values()].filter((r) => r.url.startsWith("http"));
      const total = fetched.reduce((sum, r) => sum + r.bytes, 0);
      expect(`the title shows after ${(total / 1000).toFixed(1)} kB on the wire, at most 250`, total <= TITLE_BUDGET && total > 0,
             fetched.map((r) => `${r.url.replace(url, "")} ${r.bytes}`).join(", "));
      expect("the page's files come compressed", fetched.filter((r) => /\.(js|wasm|data|html)$/.test(r.url)).length >= 4 &&
             (await page.evaluate(() => performance.getEntriesByType("resource").filter((e) => /zorvane\.(wasm|data)$/.test(e.name))
               .every((e) => e.encodedBodySize < e.decodedBodySize))));
      const hint = await page.$eval("#hint", (e) => ({ text: e.textContent, shown: !e.hidden }));
      await frames(page, 30);
      expect("the hint stays until the player acts", hint.shown && !(await page.$eval("#hint", (e) => e.hidden)), hint.text);
      await untilHere("the music asked for", () => musicAsked);
      expect("the music is asked for while the title shows", true);

      // A game started before the music has come plays in silence, and the music starts once it comes.
      await page.click("#canvas");
      expect("a click takes the hint away", await page.$eval("#hint", (e) => e.hidden));
      await press(page, "z");
      await until(page, "a game", gameShown);
      await release(page, "z");
      await frames(page, 10);
      expect("the game plays on without its music", (await page.evaluate(() => window.Module.plixAudio.position())) === 0 &&
             (await page.$eval("#runlog", (e) => e.textContent)) === "");
      letGo();
      await until(page, "the music starting once it has come", () => window.Module.plixAudio.position() > 0.2);
      expect("the music starts as soon as it has come", true);
      expect("no errors on the page", errors.length === 0, errors.join(" | "));
    } finally {
      letGo();
      await close();
    }
  });

  // Each spoiled file and the words the page must show: the file's name and what to do.
  const ADVICE = /Reload the page|reload the page/;
  const CASES = [
    { what: "a missing zorvane.data", file: "zorvane.data", spoil: (f) => rmSync(f), words: /zorvane\.data could not be loaded/ },
    { what: "a missing zorvane.js", file: "zorvane.js", spoil: (f) => rmSync(f), words: /zorvane\.js could not be loaded/ },
    { what: "a damaged zorvane.wasm", file: "zorvane.wasm", spoil: (f) => truncateSync(f, 1000), words: /zorvane\.wasm is damaged/ },
    { what: "a missing zorvane.wasm", file: "zorvane.wasm", spoil: (f) => rmSync(f), words: /zorvane\.wasm could not be loaded/ },
    { what: "a missing music", file: MUSIC, spoil: (f) => rmSync(f), words: /bgm\.ogg could not be fetched \(404/, plays: true },
    // A one-byte change in the Vorbis setup header with the page's checksum made right: the kind of
    // file that crashes libvorbis on the desktop. The browser's decoder refuses it.
    { what: "a music with a damaged setup header", file: MUSIC,
      spoil: (f) => writeFileSync(f, damageSetupHeader(readFileSync(f), 0.5)), words: /bgm\.ogg is damaged/, plays: true },
  ];
  for (const c of CASES) {
    await group(c.what, async () => {
      const dir = copyOfPage(c.what.replace(/\W+/g, "-"));
      c.spoil(join(dir, c.file));
      const { browser, url, close } = await openChromium(dir);
      try {
        const page = await browser.newPage();
        const errors = collectErrors(page);
        await page.goto(url);
        const said = await until(page, "a worded failure", () => !document.getElementById("problem").hidden &&
                                 document.getElementById("problem").textContent, undefined, 30000);
        // In words: the file, what befell it and what to do, not an exception's name first.
        expect(`${c.what}: the page names it and says what to do`,
               c.words.test(said) && ADVICE.test(said) && !/^(\w*Error|Uncaught|abort)/i.test(said), said);
        if (!c.plays) {
          expect(`${c.what}: no progress left hanging`, await page.$eval("#loading", (e) => e.hidden));
          return;
        }
        // The title plays on; a game's start then stops the run with the music's line, as on the desktop.
        await untilFrame(page, 10, 30000);
        await page.click("#canvas");
        // The run ends in the frame that sees z, so no frame comes after to wait for.
        await page.keyboard.down("z");
        const line = await until(page, "the run's last line", () => document.getElementById("runlog").textContent);
        await page.keyboard.up("z");
        expect(`${c.what}: a game's start ends the run with a line that names the file`,
               line.startsWith("Plix_playBgm: ") && c.words.test(line), line);
        const thrown = errors.filter((e) => !/Failed to load resource/.test(e));
        expect(`${c.what}: nothing thrown on the page`, thrown.length === 0, thrown.join(" | "));
      } finally {
        await close();
      }
    });
  }

  await group("offline", async () => {
    const dir = copyOfPage("offline");
    const { browser, url, server, close } = await openChromium(dir);
    const port = server.address().port;
    let again = null;
    try {
      const page = await browser.newPage();
      const errors = collectErrors(page);
      await page.goto(url);
      await untilFrame(page, 10, 60000);
      const online = await canvasRGB(page);
      const first = await until(page, "the offline copy", async () => {
        await navigator.serviceWorker.ready;
        const keys = await caches.keys();
        return keys.length === 1 && keys[0];
      }, undefined, 60000);
      const cdp = await page.createCDPSession();
      const installable = await cdp.send("Page.getInstallabilityErrors");
      const manifest = await cdp.send("Page.getAppManifest");
      const app = JSON.parse(manifest.data || "{}");
      expect("installable: Chromium finds no fault with the manifest or the offline copy",
             installable.installabilityErrors.length === 0 && manifest.errors.length === 0,
             JSON.stringify([installable.installabilityErrors, manifest.errors]));
      expect("added to a home screen it is a full-screen game in portrait, with the game's icons",
             app.display === "fullscreen" && app.orientation === "portrait" &&
             app.icons?.some((i) => i.sizes === "256x256" && i.src.startsWith("icons/zorvane-")), manifest.data);

      // No network: the server is gone.
      server.close();
      server.closeAllConnections();
      await page.reload();
      await untilFrame(page, 10, 60000);
      expect("offline, the reloaded page shows the same title, pixel for pixel", (await canvasRGB(page)).equals(online));
      await page.click("#canvas");
      await press(page, "z");
      await until(page, "a game offline", gameShown);
      await release(page, "z");
      expect("and plays offline", true);

      // A new build on the server again: it is what the page loads, and its copy replaces the old one.
      writeFileSync(join(dir, "index.html"), readFileSync(join(dir, "index.html"), "utf8").replace("<main>", '<main data-build="2">'));
      execFileSync("node", [join(here, "../../web/offline.mjs"), join(here, "../../web/sw.js"), dir]);
      again = (await serve(dir, port)).server;
      await page.reload();
      await untilFrame(page, 10, 60000);
      expect("online again, the new build is shown, not the copy", await page.$eval("main", (e) => e.dataset.build === "2"));
      const second = await until(page, "the new build's copy", (old) => navigator.serviceWorker.ready.then(() => caches.keys())
        .then((keys) => keys.length === 1 && keys[0] !== old && keys[0]), first, 60000);
      again.close();
      again.closeAllConnections();
      await page.reload();
      await untilFrame(page, 10, 60000);
      expect(`offline again, the new build's copy (${second}) replaces the old (${first})`,
             await page.$eval("main", (e) => e.dataset.build === "2"));
      expect("no errors on the page", errors.filter((e) => !/Failed to load resource|ERR_CONNECTION_REFUSED/.test(e)).length === 0,
             errors.join(" | "));
    } finally {
      if (again) {
        again.close();
        again.closeAllConnections();
      }
      await close();
    }
  });
} finally {
  rmSync(scratch, { recursive: true, force: true });
}
process.exit(report("loading"));
