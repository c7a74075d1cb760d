// The page's scripts: eslint's recommended rules, the page's in a browser's window and the
// service worker's in its own world; the Firefox test in node, handing functions to the page.
import js from "@eslint/js";
import globals from "globals";

const script = (file, world) => ({ files: [file], languageOptions: { sourceType: "script", globals: world } });
export default [js.configs.recommended,
  script("web/page.js", { ...globals.browser, createKurenagi: "readonly", cannotStart: "readonly" }),
  script("web/sw.js", globals.serviceworker),
  { files: ["tests/web/firefox_test.mjs"], languageOptions: { globals: { ...globals.node, ...globals.browser } } }];
