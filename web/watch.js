// ZORVANE's watcher page: the replay its address names written where `zorvane-sim --watch` reads it,
// the watcher steered by buttons, touch or keys, and its state shown, the claimed score beside the
// replayed one. Another replay is another run of the program, so picking one reloads the page.
"use strict";

(function () {
  const $ = (id) => document.getElementById(id);
  const canvas = $("canvas");
  const PICKED = "zorvane-picked";
  const FILE = "/replay.zvr";
  let ended = false;

  function problem(text) {
    $("problem").textContent = text;
    $("problem").hidden = false;
  }

  // The replay the address names, in base64url: carried in it (#r=), kept in this browser
  // (#kept=LEVEL, #last) or picked on this page (#picked); or a line saying why there is none.
  function named() {
    const hash = location.hash.slice(1);
    const kept = zorvaneReplays.kept();
    if (hash.startsWith("r=")) return { what: "the link's replay", replay: hash.slice(2) };
    if (hash.startsWith("kept=")) {
      const game = kept.best[hash.slice(5)];
      return game ? { what: `the best game of level ${game.level}`, replay: game.replay }
                  : { missing: `No game of level ${hash.slice(5)} is kept in this browser.` };
    }
    if (hash === "last") {
      return kept.last ? { what: "the last game played here", replay: kept.last.replay }
                       : { missing: "No game has been played in this browser yet." };
    }
    if (hash === "picked") {
      const picked = JSON.parse(sessionStorage.getItem(PICKED) || "null");
      return picked ? { what: picked.name, replay: picked.replay } : { missing: "The picked file is gone: pick it again." };
    }
    return { missing: "Open a replay file, drop one here, or follow a link to one." };
  }

  async function pick(file) {
    if (!file) return;
    const bytes = new Uint8Array(await file.arrayBuffer());
    try {
      sessionStorage.setItem(PICKED, JSON.stringify({ name: file.name, replay: zorvaneReplays.toBase64url(bytes) }));
    } catch (e) {
      problem(`${file.name} (${bytes.length} bytes) cannot be held for the watcher: ${e.message}`);
      return;
    }
    history.replaceState(null, "", "#picked");
    location.reload();
  }
  $("file").addEventListener("change", () => pick($("file").files[0]));
  document.addEventListener("dragover", (e) => e.preventDefault());
  document.addEventListener("drop", (e) => {
    e.preventDefault();
    pick(e.dataTransfer.files[0]);
  });
  // A link typed or followed over this one names another replay.
  window.addEventListener("hashchange", () => location.reload());

  // "frame=F frames=N score=S claimed=C speed=X paused=0|1 ended=0|1 outcome=..." on the page.
  function show(status) {
    const s = Object.fromEntries(status.split(" ").map((pair) => pair.split("=")));
    $("replayed").textContent = s.score;
    $("claimed").textContent = s.claimed;
    $("frame").textContent = `frame ${s.frame} of ${s.frames}, ×${s.speed}${s.paused === "1" && s.ended === "0" ? ", paused" : ""}`;
    document.querySelector('[data-command="0"]').textContent = s.paused === "1" ? "Go on" : "Pause";
    document.body.dataset.watch = status;
  }
  function follow() {
    const look = () => {
      if (ended) return;
      const status = Module.watchStatus();
      if (status) show(status);
      requestAnimationFrame(look);
    };
    requestAnimationFrame(look);
  }

  for (const b of document.querySelectorAll("#commands button")) {
    b.addEventListener("click", () => {
      if (window.Module?.watchStatus) Module.watchCommand(Number(b.dataset.command));
      // Space would push the button again as well as reach the watcher.
      b.blur();
    });
  }
  // Keys reach the watcher but while a control of the page has the focus, which takes them itself.
  for (const type of ["keydown", "keypress"]) {
    window.addEventListener(type, (e) => {
      if (e.target !== document.body && e.target !== document.documentElement) e.stopImmediatePropagation();
      else if (e.key === " " || e.key === "End") e.preventDefault();
    }, true);
  }

  function fit() {
    if (!canvas.hasAttribute("width")) return;
    const below = $("stage").nextElementSibling.getBoundingClientRect().height + $("commands").offsetHeight;
    showCrisp(canvas, { w: window.innerWidth - 16, h: window.innerHeight - below - 40 });
  }
  new MutationObserver(fit).observe(canvas, { attributeFilter: ["width", "height"] });
  window.addEventListener("resize", fit);

  function start(what, bytes) {
    // The replay's keys are the game's only controls: the watcher lists no pads.
    navigator.getGamepads = () => [];
    window.Module = {
      canvas,
      arguments: ["--watch", FILE],
      noAudioDecoding: true,
      preRun: [() => Module.simWrite(FILE, bytes)],
      print: (line) => {
        console.log(line);
        if (line.startsWith("watch: ended ")) $("status").textContent = `Ended: ${line.slice(13)}`;
      },
      // A refusal is the program's one line on its standard error.
      printErr: (line) => {
        console.warn(line);
        if (line.startsWith("zorvane-sim: ")) problem(line);
      },
      setStatus: (text) => { if (!text) $("status").textContent = `Watching ${what}.`; },
      onRuntimeInitialized: () => {
        follow();
        keepOffline();
      },
      onExit: (status) => {
        ended = true;
        $("status").textContent = status === 0 ? "The watcher has closed: reload the page to watch again." : "";
      },
      onAbort: (what) => problem(`The watcher stopped: ${what}`),
    };
    $("status").textContent = `Loading the watcher for ${what}…`;
    const script = document.createElement("script");
    script.src = "zorvane-sim.js";
    script.onerror = () => problem("zorvane-sim.js could not be loaded. Reload the page; if it fails again, the server lacks the file.");
    document.body.append(script);
  }

  const replay = named();
  if (replay.missing) {
    $("status").textContent = replay.missing;
  } else {
    let bytes = null;
    try {
      bytes = zorvaneReplays.fromBase64url(replay.replay);
    } catch (e) {
      problem(`The replay in ${replay.what} is damaged: ${e.message}.`);
    }
    if (bytes) start(replay.what, bytes);
  }
})();
