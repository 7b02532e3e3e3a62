// Plays the built page in Debian's headless Chromium: focus, the title, F12, full screen, a game's start, steering
// and Escape.
// Usage: node web_test.mjs WEB_DIR OUT_DIR. Prints "ok: ..." or "FAIL: ..." per check and exits 1 on a
// failure. Leaves in OUT_DIR, for web_test.sh to hold against the native game: title.rgb and game.rgb
// (the canvas's own 320 x 480 pixels), display.png (the canvas as shown) and the F12 download.
import { existsSync, rmSync, writeFileSync } from "node:fs";
import { join, resolve } from "node:path";
import { BOSS, SHIP, animationFrames, canvasRGB, countNot, downloadsTo, expect, expectNoErrors, frames, group, newPage,
         press, release, runTest, shipAt, snapshots, startGame, tap, timeFrames, until, untilFrame } from "./page.mjs";

const [webDir, outArg] = process.argv.slice(2);
const outDir = resolve(outArg); // Chromium drops a download whose folder is given relative
const QUIT = "dPlix system quit.";
const SPEED_NORMAL = 5;
const SPEED_SLOW = 2;

await runTest("browser", webDir, async ({ browser, url }) => {
  const download = await downloadsTo(browser, outDir);
  // Each key event records the snapshot count at the moment it reaches the page.
  const page = await newPage(browser, { setup: () => {
    window.keyLog = [];
    for (const type of ["keydown", "keyup"])
      window.addEventListener(type, (e) => window.keyLog.push({ type, key: e.key, at: window.Module.plixSnapshots }), true);
  } });
  await page.setViewport({ width: 1000, height: 1100 });
  await page.goto(url);
  await untilFrame(page, 10, 60000);

  await group("the title", async () => {
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

    // Over 120 frames, timed in the page. The game never runs ahead of its period; a busy machine
    // gives fewer. Reading the count between two frames can add one frame, hence 63.
    const { n, ms } = await timeFrames(page, 120);
    const rate = n * 1000 / ms;
    expect("at most 62.5 frames a second", rate > 0 && rate <= 63, rate.toFixed(1));

    // Keys reach the game only through the focused canvas.
    await page.evaluate(() => document.activeElement.blur());
    await tap(page, "z");
    expect("z without the focus leaves the title", (await canvasRGB(page)).equals(title));
    await page.click("#canvas");
    expect("a click gives the canvas the focus", await page.evaluate(() => document.activeElement.id === "canvas"));
  });

  await group("F12 downloads screenshot.bmp", async () => {
    const shotFile = join(outDir, "screenshot.bmp");
    rmSync(shotFile, { force: true });
    await press(page, "F12");
    // The download reports to the browser session, not to the page.
    const { state } = await download();
    await release(page, "F12");
    expect("F12 downloads screenshot.bmp", state === "completed" && existsSync(shotFile), state);
  });

  await group("full screen", async () => {
    const inFullScreen = (w) => Boolean(document.fullscreenElement?.contains(window.Module.canvas)) === w &&
                                document.activeElement === window.Module.canvas;
    // The browser changes to and from full screen in its own time; the page then gives the focus back.
    await tap(page, "F9");
    await until(page, "F9 entering full screen", inFullScreen, true);
    expect("F9 enters full screen, the canvas keeping the focus", true);
    // Centred at the largest whole scale that fits, in black.
    const shown = await until(page, "the field fitted to the full screen", () => {
      const c = window.Module.canvas;
      const r = c.getBoundingClientRect();
      const scale = Math.floor(Math.min(innerWidth / 320, innerHeight / 480));
      return Number(c.dataset.scale) === scale && r.width === 320 * scale &&
        { left: r.left, top: r.top, width: r.width, height: r.height, screenW: innerWidth, screenH: innerHeight, scale,
          around: getComputedStyle(document.fullscreenElement).backgroundColor };
    });
    expect(`centred at the whole scale ${shown.scale}, black around it`,
           Math.abs(shown.left - (shown.screenW - shown.width) / 2) <= 0.5 &&
           Math.abs(shown.top - (shown.screenH - shown.height) / 2) <= 0.5 && shown.around === "rgb(0, 0, 0)",
           JSON.stringify(shown));
    // Escape there only leaves full screen; the game plays on.
    await tap(page, "Escape");
    await until(page, "Escape leaving full screen", inFullScreen, false);
    await frames(page, 3);
    expect("Escape in full screen leaves it and the game plays on",
           (await page.$eval("#runlog", (e) => e.textContent)) === "");
    // The browser's own leaving (its exit button, say) is followed: one F9 enters again, one leaves.
    await tap(page, "F9");
    await until(page, "F9 entering full screen again", inFullScreen, true);
    await page.evaluate(() => document.exitFullscreen());
    await until(page, "the browser leaving full screen", inFullScreen, false);
    await frames(page, 2);
    await tap(page, "F9");
    await until(page, "one F9 after the browser left", inFullScreen, true);
    expect("after the browser itself left full screen, one F9 enters it again", true);
    await tap(page, "F9");
    await until(page, "F9 leaving full screen", inFullScreen, false);
    expect("F9 leaves full screen, the canvas keeping the focus", true);
  });

  await group("a game", async () => {
    await startGame(page);
    const game = await canvasRGB(page);
    writeFileSync(join(outDir, "game.rgb"), game);
    expect("the boss: green 80 x 80 at (120, 30)", countNot(game, BOSS, 120, 30, 80, 80) === 0);
    expect("the ship: blue 16 x 16 at (152, 376)", countNot(game, SHIP, 152, 376, 16, 16) === 0);

    // The cursor keys move the ship by its speed in every frame they are held. A key that reaches the
    // page while the snapshot count is a is first seen held by snapshot a + 2 (events are pumped after
    // the snapshot); one released at b is last seen by snapshot b + 1. So the ship moves in b - a
    // frames. Short presses: standing still, the ship is first hit some 200 frames into the game, and
    // a hit would freeze it.
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
      await press(page, ...move.keys);
      await frames(page, 2);
      await release(page, ...move.keys);
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
  });

  await group("Escape", async () => {
    await page.keyboard.down("Escape");
    await until(page, "the quit line", (q) => document.getElementById("runlog").textContent === q, QUIT);
    await page.keyboard.up("Escape");
    expect("Escape shows the quit line", true);
    // The loop has ended: no snapshot over the browser's next 30 frames.
    const stopped = await snapshots(page);
    await animationFrames(page, 30);
    const after = await snapshots(page);
    expect("the game stops after Escape", after === stopped, `${stopped} then ${after}`);
  });

  expectNoErrors("the page", page);
});
