// The page for every player: a phone's touch controls (Pixel 5 emulation, real touch events through
// the DevTools protocol), a gamepad that comes after load, and a hidden tab that stands still.
// Usage: node device_test.mjs WEB_DIR. Prints "ok: ..." or "FAIL: ..." per check and exits 1 on a failure.
import { animationFrames, centre, expect, expectNoErrors, frames, gameShown, group, openGame, runTest,
         shipAt, startGame, tap, timeFrames, toucher, until } from "./page.mjs";

const webDir = process.argv[2];
const SPEED_NORMAL = 5;
const SPEED_SLOW = 2;

// Every touch, pad or visibility change the test makes is logged with the snapshot count of the
// moment. Touch and pad state is read by the snapshot itself: a change at count a is first seen by
// snapshot a + 1, so a hold from a to b moves the ship in b - a frames.
const logChanges = () => {
  window.changes = [];
  for (const type of ["touchstart", "touchmove", "touchend"])
    window.addEventListener(type, (e) => window.changes.push({ type, at: window.Module?.plixSnapshots }), true);
};
const lastAt = (page, type) => page.evaluate((t) => window.changes.filter((c) => c.type === t).pop()?.at, type);

// The moves a ship made between two positions, as a check.
function expectMove(what, before, after, dx, dy) {
  expect(what, Boolean(before && after) && after.x - before.x === dx && after.y - before.y === dy,
         `from (${before?.x}, ${before?.y}) to (${after?.x}, ${after?.y}), expected a move of (${dx}, ${dy})`);
}

await runTest("devices", webDir, async ({ browser, url }) => {
  await group("a phone", async () => {
    const page = await openGame(browser, url, { device: "Pixel 5", setup: logChanges });
    const touch = await toucher(page);

    const layout = await page.evaluate(() => {
      const box = (id) => document.getElementById(id).getBoundingClientRect().toJSON();
      return { touch: document.body.classList.contains("touch"), scale: Number(document.getElementById("canvas").dataset.scale),
               ratio: devicePixelRatio, width: innerWidth, height: innerHeight, canvas: box("canvas"),
               controls: ["touch-stick", "touch-z", "touch-x"].map(box) };
    });
    // 393 CSS pixels at 2.75 device pixels each: 3 device pixels a game pixel is the largest whole scale
    // that fits the width, 960 of its 1080 device pixels.
    const wholeScale = Math.floor((layout.width - 16) * layout.ratio / 320);
    expect("the touch controls are shown", layout.touch);
    expect(`the field at the largest whole device-pixel scale that fits the width (${wholeScale})`,
           layout.scale === wholeScale && Math.abs(layout.canvas.width - 320 * wholeScale / layout.ratio) < 0.01 &&
           layout.canvas.left >= 0 && layout.canvas.right <= layout.width, JSON.stringify(layout.canvas));
    const overlaps = (a, b) => a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
    expect("in portrait the controls lie under the field, on the screen",
           layout.controls.every((c) => !overlaps(c, layout.canvas) && c.top >= layout.canvas.bottom && c.bottom <= layout.height),
           JSON.stringify(layout.controls));

    // A tap on Z starts a game.
    const z = await centre(page, "#touch-z");
    await touch("touchStart", [{ x: z.x, y: z.y, id: 1 }]);
    await until(page, "a game started by the Z button", gameShown);
    await touch("touchEnd", []);
    await frames(page, 2);
    expect("a tap on #touch-z starts a game", true);

    // A drag left on the stick steers left, for as many frames as the finger stays off centre.
    const stick = await centre(page, "#touch-stick");
    let before = await shipAt(page);
    await touch("touchStart", [{ x: stick.x, y: stick.y, id: 2 }]);
    await frames(page, 2);
    expect("a finger at the stick's centre does not steer", JSON.stringify(await shipAt(page)) === JSON.stringify(before));
    await touch("touchMove", [{ x: stick.x - 45, y: stick.y + 3, id: 2 }]);
    await frames(page, 5);
    await touch("touchEnd", []);
    await frames(page, 2);
    let held = (await lastAt(page, "touchend")) - (await lastAt(page, "touchmove"));
    expectMove(`a drag left on #touch-stick for ${held} frames moves the ship ${SPEED_NORMAL * held} px left`,
               before, await shipAt(page), -SPEED_NORMAL * held, 0);

    // Two fingers: the stick steers right while Z is held, so the ship moves at the slow speed. Z's
    // finger (id 3) stays down from before the stick's (id 4) first move until after it has been
    // lifted; a touchEnd names the fingers it lifts.
    before = await shipAt(page);
    await touch("touchStart", [{ x: z.x, y: z.y, id: 3 }]);
    await frames(page, 2);
    await touch("touchStart", [{ x: z.x, y: z.y, id: 3 }, { x: stick.x, y: stick.y, id: 4 }]);
    await touch("touchMove", [{ x: z.x, y: z.y, id: 3 }, { x: stick.x + 45, y: stick.y, id: 4 }]);
    const from = await lastAt(page, "touchmove");
    await frames(page, 5);
    await touch("touchEnd", [{ x: stick.x + 45, y: stick.y, id: 4 }]);
    const to = await lastAt(page, "touchend");
    await frames(page, 2);
    await touch("touchEnd", []);
    await frames(page, 2);
    held = to - from;
    expectMove(`two fingers, the stick right and Z held, for ${held} frames: ${SPEED_SLOW * held} px right at the slow speed`,
               before, await shipAt(page), SPEED_SLOW * held, 0);
    expectNoErrors("the phone's page", page);
    await page.close();
  });

  await group("a gamepad after load", async () => {
    // The browser's list of pads, as the test sets it: empty at load.
    const page = await openGame(browser, url, { setup: () => {
      window.pads = [];
      navigator.getGamepads = () => window.pads;
    } });
    // A pad with its stick at axes and its button 0 as given, or none; resolves to the snapshot count then.
    const setPad = (axes, button0 = false) => page.evaluate((axes, b0) => {
      const buttons = [b0, false, false, false].map((b) => ({ pressed: b, value: Number(b) }));
      window.pads = axes ? [{ id: "test pad", index: 0, connected: true, axes, buttons }] : [];
      return window.Module.plixSnapshots;
    }, axes, button0);
    await setPad([0, 0], true);
    await until(page, "a game started by the pad's button 0", gameShown);
    await setPad([0, 0]);
    await frames(page, 2);
    expect("a pad plugged in after load starts a game with button 0", true);

    let before = await shipAt(page);
    const from = await setPad([-1, 0]);
    await frames(page, 5);
    const to = await setPad([0, 0]);
    await frames(page, 2);
    expectMove(`its stick steers: left for ${to - from} frames`, before, await shipAt(page), -SPEED_NORMAL * (to - from), 0);

    // The pad held right goes away: its keys are let go, and the keyboard goes on.
    before = await shipAt(page);
    const held = await setPad([1, 0]);
    await frames(page, 3);
    const gone = await setPad(null);
    await frames(page, 3);
    const after = await shipAt(page);
    expectMove(`a pad that goes away lets go (${gone - held} frames right)`, before, after, SPEED_NORMAL * (gone - held), 0);
    await page.click("#canvas");
    before = await shipAt(page);
    await tap(page, "ArrowUp");
    const moved = await shipAt(page);
    expect("the keyboard steers with the pad gone", moved && before && moved.y < before.y && moved.x === before.x,
           `from (${before?.x}, ${before?.y}) to (${moved?.x}, ${moved?.y})`);
    expectNoErrors("the pad's page", page);
    await page.close();
  });

  await group("a hidden page", async () => {
    const page = await openGame(browser, url);
    await startGame(page);
    await until(page, "the music", () => window.Module.plixAudio.position() > 0.5, undefined, 60000);

    // ArrowLeft held as the page is hidden: it must count as released when the page comes back.
    await page.keyboard.down("ArrowLeft");
    await frames(page, 2);
    const other = await browser.newPage();
    await other.bringToFront();
    await until(page, "the page hidden", () => document.hidden);
    const hidden = await page.evaluate(() => ({ frame: window.Module.plixSnapshots, music: window.Module.plixAudio.position() }));
    // Three seconds of the page in front, counted by its own animation frames.
    const shownFor = await animationFrames(other, 180);
    const still = await page.evaluate(() => ({ frame: window.Module.plixSnapshots, music: window.Module.plixAudio.position() }));
    expect(`no frames while hidden for ${(shownFor / 1000).toFixed(1)} s`, still.frame - hidden.frame <= 1,
           `frames ${hidden.frame} then ${still.frame}`);
    expect("the music stands still while hidden", still.music === hidden.music, `${hidden.music} s then ${still.music} s`);
    const beforeBack = await shipAt(page);
    await page.bringToFront();
    await other.close();
    await until(page, "the page shown again", () => !document.hidden);
    await frames(page, 10);
    // Snapshot n0 came before t0, and 30 more take at least 30 periods of 16 ms from it.
    const burst = (await timeFrames(page, 30)).ms;
    expect("the game goes on at its pace, with no catch-up burst", burst >= 29 * 16, `30 frames in ${burst.toFixed(0)} ms`);
    const afterBack = await shipAt(page);
    expect("a key held when the page was hidden is released", JSON.stringify(afterBack) === JSON.stringify(beforeBack),
           `ship at (${beforeBack?.x}, ${beforeBack?.y}) then (${afterBack?.x}, ${afterBack?.y})`);
    const music = await page.evaluate(() => window.Module.plixAudio.position());
    await until(page, "the music going on", (m) => window.Module.plixAudio.position() > m, music);
    await page.keyboard.up("ArrowLeft");
    expectNoErrors("the hidden page", page);
    await page.close();
  });
});
