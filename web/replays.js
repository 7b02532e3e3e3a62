// ZORVANE's replays in the browser: every game the page plays taken as it ends, the last one and the
// best of each level kept in the browser's storage, each saved as a file, watched, or shared as a link.
// A replay's bytes are sim/SimReplay.cpp's to read: here they are only moved, and written in base64url.
"use strict";

var zorvaneReplays = (function () {
  const STORE = "zorvane-replays";
  const OUTCOMES = { clear: "clear", over: "game over" };

  function toBase64url(bytes) {
    let text = "";
    // In slices: a spread of a whole long replay would overflow the call's arguments.
    for (let i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
    return btoa(text).replace(/\+/g, "-").replace(/\//g, "_").replace(/=+$/, "");
  }
  // Throws on text that is no base64url: a link cut short or typed wrong.
  function fromBase64url(text) {
    if (!/^[A-Za-z0-9_-]*$/.test(text)) throw new Error("it holds characters that base64url has not");
    return Uint8Array.from(atob(text.replace(/-/g, "+").replace(/_/g, "/")), (c) => c.charCodeAt(0));
  }

  // A kept game: the recorder's line "level=L outcome=clear|over frames=N score=S time=T" as fields,
  // and its replay in base64url.
  function gameOf(line, bytes) {
    const game = { replay: toBase64url(bytes) };
    for (const pair of line.split(" ")) {
      const [name, value] = pair.split("=");
      game[name] = name === "outcome" ? value : Number(value);
    }
    return game;
  }
  // The higher score; on a tie a clear before a game over, then the shorter time.
  function better(a, b) {
    if (!b) return true;
    if (a.score !== b.score) return a.score > b.score;
    if (a.outcome !== b.outcome) return a.outcome === "clear";
    return a.time < b.time;
  }

  // The games kept in this browser: { last, best: { LEVEL: game } }. Storage may be refused (a
  // private window, a full disk): then nothing is kept, and writing says why.
  function kept() {
    try {
      return JSON.parse(localStorage.getItem(STORE)) || { last: null, best: {} };
    } catch {
      return { last: null, best: {} };
    }
  }
  function keep(game) {
    const all = kept();
    all.last = game;
    if (better(game, all.best[game.level])) all.best[game.level] = game;
    localStorage.setItem(STORE, JSON.stringify(all));
  }

  const fileName = (game) => `zorvane-L${game.level}-S${game.score}.zvr`;
  function save(name, replay) {
    const link = document.createElement("a");
    link.href = URL.createObjectURL(new Blob([fromBase64url(replay)], { type: "application/octet-stream" }));
    link.download = name;
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
  }
  // The link that carries the replay to the watcher, copied if the browser lets the page; shown in
  // `where` (its text and its field) either way, for a copy by hand.
  async function share(replay, where) {
    const link = new URL(`watch.html#r=${replay}`, location.href).href;
    let copied = false;
    try {
      await navigator.clipboard.writeText(link);
      copied = true;
    } catch {
      // No clipboard for the page (an address that is not https, say), or no leave to use it.
    }
    where.querySelector("span").textContent = copied ? "Copied, the link to watch it:" : "Copy the link to watch it:";
    const field = where.querySelector("input");
    field.value = link;
    where.hidden = false;
    field.select();
  }

  function button(text, act) {
    const b = document.createElement("button");
    b.type = "button";
    b.textContent = text;
    b.addEventListener("click", act);
    return b;
  }
  // The panel: the last game, then the best of each level, each with Watch, Save and Share.
  function show(panel) {
    const all = kept();
    const rows = panel.querySelector("tbody");
    rows.replaceChildren();
    const games = Object.values(all.best).sort((a, b) => a.level - b.level).map((g) => ["Best", g, `kept=${g.level}`]);
    if (all.last) games.unshift(["Last game", all.last, "last"]);
    for (const [what, game, watch] of games) {
      const row = rows.insertRow();
      for (const text of [what, game.level, OUTCOMES[game.outcome], game.score, game.time]) row.insertCell().textContent = text;
      const link = document.createElement("a");
      link.href = `watch.html#${watch}`;
      link.target = "_blank";
      link.textContent = "Watch";
      row.insertCell().append(link, button("Save", () => save(fileName(game), game.replay)),
                              button("Share", () => share(game.replay, panel.querySelector(".shared"))));
    }
    panel.querySelector("table").hidden = games.length === 0;
  }

  // Records the program's games from before its main (Module.onRuntimeInitialized) and takes each
  // as it ends, at the browser's frames; the panel counts them in data-games.
  function follow(panel) {
    Module.recordGames();
    let taken = 0;
    show(panel);
    const look = () => {
      for (const count = Module.gamesKept(); taken < count; taken++) {
        const { line, bytes } = Module.keptGame(taken);
        const problem = panel.querySelector(".problem");
        try {
          keep(gameOf(line, bytes));
          problem.hidden = true;
        } catch (e) {
          problem.textContent = `This browser keeps no replays here (${e.message}).`;
          problem.hidden = false;
        }
        show(panel);
        panel.dataset.games = taken + 1;
      }
      requestAnimationFrame(look);
    };
    requestAnimationFrame(look);
  }

  return { follow, kept, save, share, fileName, toBase64url, fromBase64url };
})();
