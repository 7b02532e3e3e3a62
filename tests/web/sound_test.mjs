// The browser's sound: SDL_mixer's eight channels with a ninth effect dropped in silence, and the music's
// 3-second fade-out at a game over, measured on the gain the music really plays at. Usage: WEB_DIR.
import { expect, expectNoErrors, group, openGame, runTest, startGame, tap, until } from "./page.mjs";

const webDir = process.argv[2];
const FADE_MS = 3000;
const LEVEL_STEP = 5; // the right key raises the level by 5 on the title
const TOP_LEVEL = 50; // where a ship that stands still is hit soonest

// A fall of the music's gain, sampled as [audio clock in ms, gain]: the straight line that fits the
// samples strictly between its ends, the time that line takes from full volume to silence, and how
// far the samples stray from it. The audio clock and the gain advance together, so a sample taken
// late by a busy page is still a point of the line.
function fall(samples, top) {
  const inner = samples.filter(([, g]) => g > 0.02 && g < top - 0.02);
  const n = inner.length;
  const mt = inner.reduce((s, [t]) => s + t, 0) / n;
  const mg = inner.reduce((s, [, g]) => s + g, 0) / n;
  const slope = inner.reduce((s, [t, g]) => s + (t - mt) * (g - mg), 0) /
    inner.reduce((s, [t]) => s + (t - mt) ** 2, 0);
  const stray = Math.max(...inner.map(([t, g]) => Math.abs(mg + slope * (t - mt) - g)));
  return { n, fullToSilence: -1 / slope, stray };
}
// Whether the samples' gains only rise (up) or only fall.
const monotonic = (list, up) => list.every(([, g], i) => !i || (up ? g >= list[i - 1][1] :
                                                                g <= list[i - 1][1]));

// The music's gain sampled on the audio clock as [ms, gain] every 2 ms, until silence. With fadeAt, from
// at once, a fade-out of 3 s starting as the gain reaches fadeAt, marked by a sample [ms, -1]; without,
// from the gain's first fall below full volume.
const gains = (page, fadeAt, deadline) => page.evaluate((fadeAt, deadline) => new Promise((done, fail) => {
  const audio = window.Module.plixAudio;
  const [t0, seen] = [performance.now(), []];
  let falling = !fadeAt;
  const sample = () => {
    const [t, g] = [audio.context.currentTime * 1000, audio.gain()];
    if (fadeAt || g < 1) seen.push([t, g]);
    if (!falling && g >= fadeAt) {
      falling = true;
      seen.push([t, -1]);
      audio.fadeOut(3000);
    }
    if (falling && g === 0) return done(seen);
    if (performance.now() - t0 > deadline) return fail(new Error(`gain ${g} after ${deadline / 1000} s`));
    setTimeout(sample, 2);
  };
  sample();
}), fadeAt, deadline);

await runTest("sound", webDir, async ({ browser, url }) => {
  const page = await openGame(browser, url);
  await page.click("#canvas"); // the user's gesture that lets the page play sound
  const messages = [];
  page.on("console", (m) => messages.push(m.text()));

  await group("eight channels", async () => {
    await until(page, "the effects decoded", () => window.Module.plixAudio.sounds.slice(1)
      .every((s) => s.buffer));
    const before = messages.length;
    // Nine at once of an effect that lasts longer than the burst: eight play, the ninth is dropped.
    const channels = JSON.stringify(await page.evaluate(() =>
      Array.from({ length: 9 }, () => window.Module.plixAudio.play(1))));
    expect("nine effects at once take channels 0 to 7 and drop the ninth",
           channels === "[0,1,2,3,4,5,6,7,-1]", channels);
    expect("a dropped effect says nothing", messages.length === before, messages.slice(before).join(" | "));
  });

  await group("a fade that meets a fade", async () => {
    await until(page, "the music fetched", () => window.Module.plixMusicReady, undefined, 60000);
    // A 2-second fade-in, met halfway by a 3-second fade-out: as SDL_mixer, the fade-out goes on from
    // the level the music has, at the rate that takes full volume to silence in 3 seconds.
    await page.evaluate(() => window.Module.plixAudio.playMusic("resource/sound/bgm.ogg", -1, 2000));
    const samples = await gains(page, 0.5, 10000);
    const mark = samples.findIndex(([, g]) => g === -1);
    const [rise, out] = [samples.slice(0, mark), samples.slice(mark + 1)];
    const level = rise.at(-1)[1];
    expect("the fade-in rises, and the fade-out falls from where it stood to silence",
           monotonic(rise, true) && monotonic(out, false) && out[0][1] <= level + 0.01 && out.at(-1)[1] === 0,
           `fade-out from ${level.toFixed(3)}, first sample ${out[0][1].toFixed(3)}, last ${out.at(-1)[1]}`);
    const f = fall(out, level);
    expect(`it falls at the rate of 3000 ms from full volume to silence (${f.n} samples)`,
           f.n >= 10 && Math.abs(f.fullToSilence - FADE_MS) <= 60 && f.stray < 0.02,
           `${f.fullToSilence.toFixed(0)} ms, samples up to ${f.stray.toFixed(3)} off the line`);
    await page.evaluate(() => window.Module.plixAudio.fadeOut(0));
  });

  await group("the fade-out at a game over", async () => {
    for (let level = 0; level < TOP_LEVEL; level += LEVEL_STEP) await tap(page, "ArrowRight");
    await startGame(page);
    await until(page, "the music at full volume", () => window.Module.plixAudio.position() > 0 &&
                window.Module.plixAudio.gain() === 1);
    // The ship stands still at level 50 until it is hit twice; the gain is sampled from then on.
    const samples = await gains(page, 0, 180000);
    expect(`the music falls monotonically to silence over ${samples.length} samples`,
           monotonic(samples, false) && samples.length > 10);
    const f = fall(samples, 1);
    expect("from full volume to silence in about 3000 ms, on a straight line",
           Math.abs(f.fullToSilence - FADE_MS) <= 60 && f.stray < 0.02,
           `${f.fullToSilence.toFixed(0)} ms, samples up to ${f.stray.toFixed(3)} off the line`);
  });

  expectNoErrors("the page", page);
});
