// The browser's sound: SDL_mixer's eight channels with a ninth effect dropped in silence, and the music's
// 3-second fade-out at a game over, measured on the gain the music really plays at.
// Usage: node sound_test.mjs WEB_DIR. Prints "ok: ..." or "FAIL: ..." per check and exits 1 on a failure.
import { openChromium } from "./chromium.mjs";
import { checker, collectErrors, press, release, tap, until, untilFrame } from "./page.mjs";

const webDir = process.argv[2];
const { expect, group, report } = checker();
const FADE_MS = 3000;
const LEVEL_STEP = 5; // the right key raises the level by 5 on the title
const TOP_LEVEL = 50; // where a ship that stands still is hit soonest

const { browser, url, close } = await openChromium(webDir);
try {
  const page = await browser.newPage();
  const errors = collectErrors(page);
  const messages = [];
  page.on("console", (m) => messages.push(m.text()));
  await page.goto(url);
  await untilFrame(page, 10, 60000);
  await page.click("#canvas");

  await group("eight channels", async () => {
    await until(page, "the effects decoded", () => window.Module.plixAudio.sounds.slice(1).every((s) => s.buffer));
    const before = messages.length;
    // Nine at once of an effect that lasts longer than the burst: eight play, the ninth is dropped.
    const channels = await page.evaluate(() => Array.from({ length: 9 }, () => window.Module.plixAudio.play(1)));
    expect("nine effects at once take channels 0 to 7 and drop the ninth", JSON.stringify(channels) === "[0,1,2,3,4,5,6,7,-1]",
           JSON.stringify(channels));
    expect("a dropped effect says nothing", messages.length === before, messages.slice(before).join(" | "));
  });

  await group("a fade that meets a fade", async () => {
    await until(page, "the music fetched", () => window.Module.plixMusicReady, undefined, 60000);
    // A 2-second fade-in, met halfway by a 3-second fade-out: as SDL_mixer, the fade-out goes on from
    // the level the music has, at the rate that takes full volume to silence in 3 seconds.
    const samples = await page.evaluate(() => new Promise((done) => {
      const audio = window.Module.plixAudio;
      audio.playMusic("resource/sound/bgm.ogg", -1, 2000);
      const seen = [];
      let fadedAt = 0;
      const sample = () => {
        const t = performance.now();
        const g = audio.gain();
        seen.push([t, g]);
        if (!fadedAt && g >= 0.5) {
          fadedAt = t;
          seen.push([t, -1]);
          audio.fadeOut(3000);
        }
        if (fadedAt && (g === 0 || t - fadedAt > 5000)) return done(seen);
        setTimeout(sample, 2);
      };
      sample();
    }));
    const mark = samples.findIndex(([, g]) => g === -1);
    const rise = samples.slice(0, mark);
    const fall = samples.slice(mark + 1);
    const level = rise[rise.length - 1][1];
    const silent = fall.find(([, g]) => g === 0);
    const monotonic = (list, up) => list.every(([, g], i) => i === 0 || (up ? g >= list[i - 1][1] : g <= list[i - 1][1]));
    expect("the fade-in rises, and the fade-out falls from where it stood", monotonic(rise, true) && monotonic(fall, false) &&
           fall[0][1] <= level + 0.01, `fade-out from ${level.toFixed(3)}, first sample ${fall[0][1].toFixed(3)}`);
    const took = silent ? silent[0] - samples[mark][0] : Infinity;
    expect(`silent after ${(level * 3000).toFixed(0)} ms, the level times 3000`, Math.abs(took - level * 3000) <= 100,
           `${took.toFixed(0)} ms`);
    await page.evaluate(() => window.Module.plixAudio.fadeOut(0));
  });

  await group("the fade-out at a game over", async () => {
    for (let level = 0; level < TOP_LEVEL; level += LEVEL_STEP) await tap(page, "ArrowRight");
    await press(page, "z");
    await until(page, "a game", () => window.Module.plixAudio.position() > 0);
    await release(page, "z");
    await until(page, "the music at full volume", () => window.Module.plixAudio.gain() === 1);
    // The ship stands still at level 50 until it is hit twice; the gain is sampled from then on.
    const samples = await page.evaluate((deadline) => new Promise((done, fail) => {
      const t0 = performance.now();
      const seen = [];
      const sample = () => {
        const g = window.Module.plixAudio.gain();
        const t = performance.now();
        if (g < 1) seen.push([t, g]);
        if (g === 0) return done(seen);
        if (t - t0 > deadline) return fail(new Error(`no fade within ${deadline / 1000} s; gain ${g}, frame ${window.Module.plixSnapshots}`));
        setTimeout(sample, 2);
      };
      sample();
    }), 180000);
    const start = samples[0][0];
    const silent = samples.find(([, g]) => g === 0)[0];
    let rises = 0;
    for (let i = 1; i < samples.length; i++) if (samples[i][1] > samples[i - 1][1]) rises++;
    expect(`the music falls monotonically over ${samples.length} samples`, rises === 0, `${rises} rises`);
    expect("and is silent about 3000 ms after the fade began", Math.abs(silent - start - FADE_MS) <= 100,
           `${(silent - start).toFixed(0)} ms`);
    const half = samples.find(([t]) => t - start >= FADE_MS / 2);
    expect("halfway through, about half the volume", half && Math.abs(half[1] - 0.5) <= 0.05, half && half[1].toFixed(3));
  });

  expect("no errors on the page", errors.length === 0, errors.join(" | "));
} finally {
  await close();
}
process.exit(report("sound"));
