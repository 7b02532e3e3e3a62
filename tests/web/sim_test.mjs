// The simulator built for the browser (the lab's replay.html) held against the desktop's: the bot's games
// of every level, recorded on the desktop, verified line for line, and games that give golden lines.
// Usage: node sim_test.mjs LAB_DIR ZORVANE_SIM RESOURCE_DIR GOLDEN_DIR. LAB_DIR is scripts/web.sh
// --tests's, beside the page's folder; ZORVANE_SIM the desktop simulator; GOLDEN_DIR tests/golden.
import { readFileSync, rmSync } from "node:fs";
import { basename, dirname, join, resolve } from "node:path";
import { desktopSim, expect, newPage, runTest, until } from "./page.mjs";

const [labDir, sim, resourceDir, goldenDir] = process.argv.slice(2).map((a) => resolve(a));
const desktop = desktopSim(sim, resourceDir);
const botFile = join(desktop.dir, "bot.zvr");
const base64 = (file) => readFileSync(file).toString("base64");
const golden = (set) => readFileSync(join(goldenDir, `${set}.txt`), "utf8").trimEnd().split("\n");

await runTest("simulator", dirname(labDir), async ({ browser, url }) => {
  // zorvane-sim run with args in a fresh page, as a fresh process; files are written where it reads them.
  const labRun = async (args, files) => {
    const page = await newPage(browser, { setup: (files) => { window.labFiles = files; }, arg: files });
    await page.goto(`${url}${basename(labDir)}/replay.html?${args.map(encodeURIComponent).join("&")}`);
    const run = await until(page, `zorvane-sim ${args.join(" ")}`, () => window.Module.exitStatus !== null &&
      { status: window.Module.exitStatus, lines: window.Module.output }, undefined, 120000);
    await page.close();
    return { ...run, errors: page.errors };
  };

  const recorded = desktop.run("--all-levels", "--input", "bot", "--record", botFile);

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
    const { status, lines, errors } = await labRun(args, files);
    const line = lines.find((l) => l.startsWith("level=") || l.startsWith("cycle "));
    expect(`${name}: the golden line`, status === 0 && errors.length === 0 && line === want,
           `status ${status}; ${line} ${errors.join(" | ")}`);
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
