// The page's scripts: eslint's recommended rules, in the page's world and the worker's.
import js from "@eslint/js";
import globals from "globals";

export default [
  js.configs.recommended,
  {
    files: ["web/page.js"],
    languageOptions: { sourceType: "script", globals: { ...globals.browser, createKurenagi: "readonly" } },
  },
  {
    files: ["web/sw.js"],
    languageOptions: { sourceType: "script", globals: globals.serviceworker },
  },
];
