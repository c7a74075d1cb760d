// The console the story was written for, on a web page: text in code page 932 decoded by the
// browser, one line of input below it, echoed as a console echoes it, and sent with its line
// feed when Enter is pressed.
"use strict";

const screenArea = document.getElementById("screen");
const news = document.getElementById("news");
const keysInput = document.getElementById("keys");
const ended = document.getElementById("ended");

// Typed text to code page 932, "?" for what it lacks. The table is the browser's own
// Shift_JIS decoder read backwards, made on the first line the player sends.
let encoder = null;

function makeEncoder() {
  const decoder = new TextDecoder("shift_jis");
  const codes = new Map();
  const add = (bytes) => {
    const character = decoder.decode(new Uint8Array(bytes));
    if ([...character].length === 1 && character !== "\uFFFD" && !codes.has(character)) {
      codes.set(character, bytes);
    }
  };
  for (let byte = 0; byte < 0x80; byte++) add([byte]);
  for (let byte = 0xa1; byte <= 0xdf; byte++) add([byte]);
  for (let lead = 0x81; lead <= 0xfc; lead++) {
    if (lead >= 0xa0 && lead < 0xe0) continue;
    for (let trail = 0x40; trail <= 0xfc; trail++) {
      if (trail !== 0x7f) add([lead, trail]);
    }
  }
  return (text) => [...text].flatMap((character) => codes.get(character) || [0x3f]);
}

// One run of the story: what it has shown, and the keys sent that it has not read yet.
class Run {
  constructor() {
    this.decoder = new TextDecoder("shift_jis");
    this.keys = [];
    this.waiting = null;
  }

  show(bytes) {
    const text = this.decoder.decode(bytes, { stream: true });
    screenArea.append(text);
    news.textContent = text;
    screenArea.scrollTop = screenArea.scrollHeight;
    if (!document.body.dataset.firstText) {
      document.body.dataset.firstText = String(performance.now());
    }
  }

  complain(bytes) {
    ended.firstChild.textContent = new TextDecoder("shift_jis").decode(bytes);
  }

  // Waits until the player has sent something, then hands over at most `size` bytes; none
  // once the player has ended the input.
  keys_for(size) {
    return new Promise((resolve) => {
      this.waiting = () => resolve(Uint8Array.from(this.keys.splice(0, size)));
      if (this.keys.length > 0 || this.input_ended) this.deliver();
    });
  }

  deliver() {
    const waiting = this.waiting;
    this.waiting = null;
    if (waiting) waiting();
  }

  // Sends typed text, echoed as a console echoes it: with its line feed when Enter ends it.
  send(text) {
    const echo = document.createElement("span");
    echo.className = "echo";
    echo.textContent = text;
    screenArea.append(echo);
    screenArea.scrollTop = screenArea.scrollHeight;
    encoder = encoder || makeEncoder();
    // One by one: a pasted line may hold more bytes than a call takes arguments.
    for (const byte of encoder(text)) this.keys.push(byte);
    this.deliver();
  }

  // Ctrl-D, as at a terminal: the end of the input.
  end_input() {
    this.input_ended = true;
    this.deliver();
  }
}

let run = null;

function startStory() {
  screenArea.textContent = "";
  ended.hidden = true;
  delete document.body.dataset.state;
  run = new Run();
  const current = run;
  createKurenagi({
    page: {
      show: (bytes) => current.show(bytes),
      complain: (bytes) => current.complain(bytes),
      keys: (size) => current.keys_for(size),
      ended: () => {
        document.body.dataset.state = "ended";
        ended.hidden = false;
      },
    },
  });
  keysInput.focus();
}

// Enter sends the line, unless it only ends what an input method was composing. Ctrl-D sends
// what is typed without a line feed, or ends the input on an empty line, as at a terminal.
keysInput.addEventListener("keydown", (event) => {
  const enter = event.key === "Enter" && !event.isComposing && event.keyCode !== 229;
  const ctrl_d = event.ctrlKey && event.key === "d";
  if (!enter && !ctrl_d) return;
  event.preventDefault();
  if (!run || document.body.dataset.state === "ended") return;
  if (ctrl_d && keysInput.value === "") {
    run.end_input();
  } else {
    run.send(keysInput.value + (enter ? "\n" : ""));
  }
  keysInput.value = "";
});

document.getElementById("again").addEventListener("click", startStory);
