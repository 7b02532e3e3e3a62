// The lab's programs in the browser: the framebuffer's pictures against the emulation's canvas drawing,
// pixel for pixel (bench.html: the title, and a frame with every pool full, its pop-up texts fading over
// boxes); the simulator (replay.html) against the desktop's: the bot's games of every level, recorded on
// the desktop, verified line for line, and games that give golden lines.
// Usage: node lab_test.mjs LAB_DIR ZORVANE_SIM RESOURCE_DIR GOLDEN_DIR. LAB_DIR is scripts/web.sh
// --tests's, beside the page's folder; ZORVANE_SIM the desktop simulator; GOLDEN_DIR tests/golden.
import { readFileSync, rmSync } from "node:fs";
import { basename, dirname, join, resolve } from "node:path";
import { desktopSim, expect, group, newPage, runTest, until } from "./page.mjs";

const [labDir, sim, resourceDir, goldenDir] = process.argv.slice(2).map((a) => resolve(a));
const desktop = desktopSim(sim, resourceDir);
const botFile = join(desktop.dir, "bot.zvr");
const base64 = (file) => readFileSync(file).toString("base64");
const golden = (set) => readFileSync(join(goldenDir, `${set}.txt`), "utf8").trimEnd().split("\n");

await runTest("lab", dirname(labDir), async ({ browser, url: root }) => {
  const url = `${root}${basename(labDir)}/`;
  const recorded = desktop.run("--all-levels", "--input", "bot", "--record", botFile);

  await group("pictures", async () => {
    // The pictures (RGBA, 320 x 480) as bench.html?pictures with query draws them.
    const pictures = async (query) => {
      const page = await browser.newPage();
      await page.goto(`${url}bench.html?pictures${query}`);
      await until(page, `the pictures of ${query || "the framebuffer"}`, () => window.Module.benchDone,
                  undefined, 60000);
      const { pictures, fading, out } = await page.evaluate(() => ({ pictures: window.Module.pictures,
        fading: window.Module.fadingTexts, out: document.getElementById("out").textContent }));
      await page.close();
      if (!pictures) throw new Error(`no pictures: ${out}`);
      return { ...pictures, fading };
    };
    const own = await pictures("");
    const canvas = await pictures("&reference");
    for (const name of ["title", "fullPools"]) {
      const [a, b] = [own[name], canvas[name]];
      let [count, first] = [0, ""];
      for (let i = 0; i < a.length; i += 4) {
        if (a[i] === b[i] && a[i + 1] === b[i + 1] && a[i + 2] === b[i + 2]) continue;
        first ||= `first at (${(i / 4) % 320}, ${Math.floor(i / 1280)}): ${a.slice(i, i + 3)} here, ` +
                  `${b.slice(i, i + 3)} on the canvas`;
        count++;
      }
      expect(`${name}: the framebuffer's pixels are the canvas drawing's`, a.length === 320 * 480 * 4 &&
             count === 0, `${count} pixels differ; ${first}`);
    }
    // The pop-up texts drawn at alphas below 255, where the canvas blends.
    expect("the full-pool frame holds fading texts", own.fading >= 40, `${own.fading} texts`);
  });

  // zorvane-sim run with args in a fresh page, as a fresh process; files are written where it reads them.
  const labRun = async (args, files) => {
    const page = await newPage(browser, { setup: (files) => { window.labFiles = files; }, arg: files });
    await page.goto(`${url}replay.html?${args.map(encodeURIComponent).join("&")}`);
    const run = await until(page, `zorvane-sim ${args.join(" ")}`, () => window.Module.exitStatus !== null &&
      { status: window.Module.exitStatus, lines: window.Module.output }, undefined, 120000);
    await page.close();
    return { ...run, errors: page.errors };
  };

  // The golden lines whole, state and trace hashes included: the game's maths is its own (objects/Angle),
  // so Emscripten's C library (musl) has no say in it. Random level 39 is there for its frame 483, where
  // a hit minion aims at the ship: when the aim was the C library's atan2f, musl answered one unit in the
  // last place off glibc, and that game's state hash differed. The cycles go through the title and the
  // end roll; their golden lines start with their script's name.
  const cases = [["random level 39", golden("random")[39], {},
                  "--level", "39", "--input", "random", "--seed", "1"],
                 ...["choose-level", "game-over", "clear-by-bombs"].map((script) => [`cycle ${script}`,
                   golden("cycles").find((l) => l.startsWith(`${script} `)).slice(script.length + 1),
                   { [`/${script}.in`]: base64(join(goldenDir, `${script}.in`)) },
                   "--from-title", "--input", `/${script}.in`])];
  for (const [name, want, files, ...args] of cases) {
    await group(name, async () => {
      const { status, lines, errors } = await labRun(args, files);
      const line = lines.find((l) => l.startsWith("level=") || l.startsWith("cycle "));
      expect(`${name}: the golden line`, status === 0 && errors.length === 0 && line === want,
             `status ${status}; ${line} ${errors.join(" | ")}`);
    });
  }

  // The bot's games, once recorded; the desktop's own --verify runs beside the browser's.
  await recorded;
  const [want, run] = await Promise.all([desktop.run("--verify", botFile),
                                         labRun(["--verify", "/bot.zvr"], { "/bot.zvr": base64(botFile) })]);
  const lines = want.stdout.trimEnd().split("\n");
  const got = run.lines.filter((l) => l.startsWith("level="));
  const differ = Array.from({ length: Math.max(lines.length, got.length) }, (_, i) => i)
    .findIndex((i) => lines[i] !== got[i]);
  expect(`${lines.length} bot's replays: the browser's --verify prints the desktop's lines, all holding`,
         want.code === undefined && run.status === 0 && differ < 0 && run.errors.length === 0,
         differ < 0 ? `status ${run.status} ${want.stderr} ${run.errors.join(" | ")}`
           : `line ${differ + 1}: desktop ${lines[differ]}; browser ${got[differ]} (status ${run.status})`);

  rmSync(desktop.dir, { recursive: true, force: true });
});
