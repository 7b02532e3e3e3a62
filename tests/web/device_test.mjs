// The page for every player: a phone's touch controls (Pixel 5 emulation, real touch events through the
// DevTools protocol), a gamepad that comes after load, and a hidden tab that stands still. Usage: WEB_DIR.
import { animationFrames, centre, expect, expectMove, expectNoErrors, expectSteer, frames, gameShown, group,
         lastAt, logEvents, openGame, runTest, shipAt, startGame, tap, timeFrames, toucher, until }
  from "./page.mjs";

const [NORMAL, SLOW] = [5, 2]; // the ship's speeds, in pixels a frame
// Touch and pad state is read by the snapshot itself: a change at snapshot count a is first seen by
// snapshot a + 1, so a hold from a to b moves the ship in b - a frames.

await runTest("devices", process.argv[2], async ({ browser, url }) => {
  await group("a phone", async () => {
    const page = await openGame(browser, url, { device: "Pixel 5", setup: logEvents,
                                                arg: ["touchstart", "touchmove", "touchend"] });
    const touch = await toucher(page);
    const layout = await page.evaluate(() => {
      const box = (id) => document.getElementById(id).getBoundingClientRect().toJSON();
      return { touch: document.body.classList.contains("touch"), ratio: devicePixelRatio, width: innerWidth,
               height: innerHeight, scale: Number(document.getElementById("canvas").dataset.scale),
               canvas: box("canvas"), controls: ["touch-stick", "touch-z", "touch-x"].map(box) };
    });
    // 393 CSS pixels at 2.75 device pixels each: 3 device pixels a game pixel is the largest whole scale
    // that fits the width, 960 of its 1080 device pixels.
    const scale = Math.floor((layout.width - 16) * layout.ratio / 320);
    const { canvas, controls } = layout;
    expect("the touch controls are shown", layout.touch);
    expect(`the field at the largest whole device-pixel scale that fits the width (${scale})`,
           layout.scale === scale && Math.abs(canvas.width - 320 * scale / layout.ratio) < 0.01 &&
           canvas.left >= 0 && canvas.right <= layout.width, JSON.stringify(canvas));
    const overlaps = (a, b) => a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
    expect("in portrait the controls lie under the field, on the screen", controls.every((c) =>
           !overlaps(c, canvas) && c.top >= canvas.bottom && c.bottom <= layout.height),
           JSON.stringify(controls));

    const z = await centre(page, "#touch-z");
    await touch("touchStart", [{ ...z, id: 1 }]);
    await until(page, "a game started by the Z button", gameShown);
    await touch("touchEnd", []);
    await frames(page, 2);
    expect("a tap on #touch-z starts a game", true);

    // A drag left on the stick steers left, for as many frames as the finger stays off centre.
    const stick = await centre(page, "#touch-stick");
    let before = await shipAt(page);
    await touch("touchStart", [{ ...stick, id: 2 }]);
    await frames(page, 2);
    expectMove("a finger at the stick's centre does not steer", before, await shipAt(page), 0, 0);
    await touch("touchMove", [{ x: stick.x - 45, y: stick.y + 3, id: 2 }]);
    await frames(page, 5);
    await touch("touchEnd", []);
    await frames(page, 2);
    let held = (await lastAt(page, "touchend")) - (await lastAt(page, "touchmove"));
    expectSteer(`a drag left on #touch-stick for ${held} frames moves the ship ${NORMAL} px left a frame`,
                before, await shipAt(page), -NORMAL, 0, held);

    // Two fingers: the stick steers right while Z is held, so the ship moves at the slow speed. Z's
    // finger (id 3) stays down from before the stick's (id 4) first move until after it has been
    // lifted; a touchEnd names the fingers it lifts.
    before = await shipAt(page);
    await touch("touchStart", [{ ...z, id: 3 }]);
    await frames(page, 2);
    await touch("touchStart", [{ ...z, id: 3 }, { ...stick, id: 4 }]);
    await touch("touchMove", [{ ...z, id: 3 }, { x: stick.x + 45, y: stick.y, id: 4 }]);
    const from = await lastAt(page, "touchmove");
    await frames(page, 5);
    await touch("touchEnd", [{ x: stick.x + 45, y: stick.y, id: 4 }]);
    held = (await lastAt(page, "touchend")) - from;
    await frames(page, 2);
    await touch("touchEnd", []);
    await frames(page, 2);
    expectSteer(`two fingers, the stick right and Z held, for ${held} frames: ${SLOW} px right a frame`,
                before, await shipAt(page), SLOW, 0, held);
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
    expectMove(`its stick steers: left for ${to - from} frames`, before, await shipAt(page),
               -NORMAL * (to - from), 0);

    // The pad held right goes away: its keys are let go, and the keyboard goes on.
    before = await shipAt(page);
    const held = await setPad([1, 0]);
    await frames(page, 3);
    const gone = await setPad(null);
    await frames(page, 3);
    const after = await shipAt(page);
    expectMove(`a pad that goes away lets go (${gone - held} frames right)`, before, after,
               NORMAL * (gone - held), 0);
    await page.click("#canvas");
    await tap(page, "ArrowUp");
    const moved = await shipAt(page);
    expect("the keyboard steers with the pad gone", moved?.y < after?.y && moved.x === after.x,
           `from (${after?.x}, ${after?.y}) to (${moved?.x}, ${moved?.y})`);
    expectNoErrors("the pad's page", page);
    await page.close();
  });

  await group("a hidden page", async () => {
    const page = await openGame(browser, url);
    await startGame(page);
    const now = () => page.evaluate(() =>
      ({ frame: window.Module.plixSnapshots, music: window.Module.plixAudio.position() }));
    await until(page, "the music", () => window.Module.plixAudio.position() > 0.5, undefined, 60000);

    // ArrowLeft held as the page is hidden: it must count as released when the page comes back.
    await page.keyboard.down("ArrowLeft");
    await frames(page, 2);
    const other = await browser.newPage();
    await other.bringToFront();
    await until(page, "the page hidden", () => document.hidden);
    const hidden = await now();
    // Three seconds of the page in front, counted by its own animation frames.
    const shownFor = await animationFrames(other, 180);
    const still = await now();
    expect(`no frames while hidden for ${(shownFor / 1000).toFixed(1)} s`, still.frame - hidden.frame <= 1,
           `frames ${hidden.frame} then ${still.frame}`);
    expect("the music stands still while hidden", still.music === hidden.music,
           `${hidden.music} s then ${still.music} s`);
    const beforeBack = await shipAt(page);
    await page.bringToFront();
    await other.close();
    await until(page, "the page shown again", () => !document.hidden);
    await frames(page, 10);
    // Snapshot n0 came before t0, and 30 more take at least 30 periods of 16 ms from it.
    const { ms } = await timeFrames(page, 30);
    expect("the game goes on at its pace, with no catch-up burst", ms >= 29 * 16,
           `30 frames in ${ms.toFixed(0)} ms`);
    expectMove("a key held when the page was hidden is released", beforeBack, await shipAt(page), 0, 0);
    const music = (await now()).music;
    await until(page, "the music going on", (m) => window.Module.plixAudio.position() > m, music);
    await page.keyboard.up("ArrowLeft");
    expectNoErrors("the hidden page", page);
    await page.close();
  });
});
