// The page at play: the title, focus, F12, full screen, a game's start, steering by the frame and Escape.
// Usage: node web_test.mjs WEB_DIR OUT_DIR. Leaves in OUT_DIR, for web_test.sh to hold against the native
// game: title.rgb and game.rgb (the canvas's own pixels), display.png (the canvas as shown) and the F12
// download.
import { existsSync, rmSync, writeFileSync } from "node:fs";
import { join, resolve } from "node:path";
import { BOSS, SHIP, animationFrames, canvasRGB, countNot, downloadsTo, expect, expectNoErrors, expectSteer,
         frames, group, lastAt, logEvents, openGame, press, release, runTest, shipAt, snapshots, startGame,
         tap, timeFrames, until } from "./page.mjs";

const [webDir, outArg] = process.argv.slice(2);
const outDir = resolve(outArg); // Chromium drops a download whose folder is given relative
const [NORMAL, SLOW] = [5, 2]; // the ship's speeds, in pixels a frame

await runTest("browser", webDir, async ({ browser, url }) => {
  const download = await downloadsTo(browser, outDir);
  const viewport = { width: 1000, height: 1100 };
  const page = await openGame(browser, url, { setup: logEvents, arg: ["keydown", "keyup"], viewport });

  await group("the title", async () => {
    const title = await canvasRGB(page);
    writeFileSync(join(outDir, "title.rgb"), title);
    const look = await page.evaluate(() => {
      const c = window.Module.canvas;
      return { w: c.width, h: c.height, cssW: c.clientWidth, cssH: c.clientHeight,
               scale: Number(c.dataset.scale), rendering: getComputedStyle(c).imageRendering };
    });
    expect("canvas holds a 320 x 480 field", look.w === 320 && look.h === 480, `${look.w} x ${look.h}`);
    expect("shown at a whole scale of 2 or more", look.scale >= 2 && look.cssW === 320 * look.scale &&
           look.cssH === 480 * look.scale, `${look.cssW} x ${look.cssH}, scale ${look.scale}`);
    expect("scaled without smoothing", look.rendering === "pixelated", look.rendering);
    await (await page.$("#canvas")).screenshot({ path: join(outDir, "display.png") });

    // The game never runs ahead of its period; a busy machine gives fewer frames. Reading the count
    // between two frames can add one frame, hence 63.
    const { n, ms } = await timeFrames(page, 120);
    expect("at most 62.5 frames a second", n * 1000 / ms <= 63, (n * 1000 / ms).toFixed(1));

    // Keys reach the game only through the focused canvas.
    await page.evaluate(() => document.activeElement.blur());
    await tap(page, "z");
    expect("z without the focus leaves the title", (await canvasRGB(page)).equals(title));
    await page.click("#canvas");
    expect("a click gives the canvas the focus",
           await page.evaluate(() => document.activeElement === window.Module.canvas));
  });

  await group("F12 downloads screenshot.bmp", async () => {
    const shotFile = join(outDir, "screenshot.bmp");
    rmSync(shotFile, { force: true });
    await press(page, "F12");
    const { state } = await download();
    await release(page, "F12");
    expect("F12 downloads screenshot.bmp", state === "completed" && existsSync(shotFile), state);
  });

  await group("full screen", async () => {
    // The browser changes to and from full screen in its own time; the page then gives the focus back.
    const fullScreen = async (how, on) => {
      await how();
      await until(page, `${on ? "entering" : "leaving"} full screen`, (on) => {
        const canvas = window.Module.canvas;
        return document.activeElement === canvas &&
          Boolean(document.fullscreenElement?.contains(canvas)) === on;
      }, on);
    };
    const F9 = () => tap(page, "F9");
    await fullScreen(F9, true);
    expect("F9 enters full screen, the canvas keeping the focus", true);
    // Centred at the largest whole scale that fits, in black.
    const shown = await until(page, "the field fitted to the full screen", () => {
      const c = window.Module.canvas;
      const r = c.getBoundingClientRect();
      const scale = Math.floor(Math.min(innerWidth / 320, innerHeight / 480));
      const around = getComputedStyle(document.fullscreenElement).backgroundColor;
      // x and y: twice how far the field is off the middle.
      return Number(c.dataset.scale) === scale && r.width === 320 * scale &&
        { scale, around, x: r.left * 2 + r.width - innerWidth, y: r.top * 2 + r.height - innerHeight };
    });
    expect(`centred at the whole scale ${shown.scale}, black around it`, Math.abs(shown.x) <= 1 &&
           Math.abs(shown.y) <= 1 && shown.around === "rgb(0, 0, 0)", JSON.stringify(shown));
    // Escape there only leaves full screen; the game plays on.
    await fullScreen(() => tap(page, "Escape"), false);
    await frames(page, 3);
    expect("Escape in full screen leaves it and the game plays on",
           (await page.$eval("#runlog", (e) => e.textContent)) === "");
    // The browser's own leaving (its exit button, say) is followed: one F9 enters again, one leaves.
    await fullScreen(F9, true);
    await fullScreen(() => page.evaluate(() => document.exitFullscreen()), false);
    await frames(page, 2);
    await fullScreen(F9, true);
    expect("after the browser itself left full screen, one F9 enters it again", true);
    await fullScreen(F9, false);
    expect("F9 leaves full screen, the canvas keeping the focus", true);
  });

  await group("a game", async () => {
    await startGame(page);
    const game = await canvasRGB(page);
    writeFileSync(join(outDir, "game.rgb"), game);
    expect("the boss: green 80 x 80 at (120, 30)", countNot(game, BOSS, 120, 30, 80, 80) === 0);
    expect("the ship: blue 16 x 16 at (152, 376)", countNot(game, SHIP, 152, 376, 16, 16) === 0);

    // The cursor keys move the ship by its speed in every frame they are held. A key that reaches the
    // page while the snapshot count is a is first seen held by snapshot a + 2; one released at b is
    // last seen by snapshot b + 1. So the ship moves in b - a frames. Short presses: standing still, the
    // ship is first hit some 200 frames into the game, and a hit would freeze it.
    const moves = [[["ArrowRight"], NORMAL, 0], [["ArrowUp"], 0, -NORMAL], [["ArrowLeft"], -NORMAL, 0],
                   [["ArrowDown"], 0, NORMAL], [["z", "ArrowRight"], SLOW, 0]];
    for (const [keys, dx, dy] of moves) {
      const before = await shipAt(page);
      await press(page, ...keys);
      await frames(page, 2);
      await release(page, ...keys);
      const held = (await lastAt(page, "keyup", keys.at(-1))) - (await lastAt(page, "keydown", keys.at(-1)));
      expectSteer(`${keys.join(" + ")} for ${held} frames moves the ship ${Math.abs(dx + dy)} px a frame`,
                  held > 0 && before, await shipAt(page), dx, dy, held);
    }
  });

  await group("Escape", async () => {
    await page.keyboard.down("Escape");
    await until(page, "the quit line", () => document.getElementById("runlog").textContent ===
                "dPlix system quit.");
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
