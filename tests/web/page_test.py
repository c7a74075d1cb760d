#!/usr/bin/python3
# The page in headless Chromium, served by a static server on this machine: every recorded
# playthrough that can be typed shows its recorded screen, with the typed lines echoed; the
# end of a run is told outside the story, and a fresh run starts empty.
#
#     page_test.py SITE CASES
import functools
import http.server
import pathlib
import re
import sys
import tempfile
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

site, cases = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
failures = []


def browser():
    options = webdriver.ChromeOptions()
    for flag in ("headless", "no-sandbox", "disable-gpu", "disable-quic", "no-first-run", "disable-sync",
                 "disable-background-networking", "disable-component-update",
                 f"user-data-dir={tempfile.mkdtemp()}"):
        options.add_argument("--" + flag)
    options.binary_location = "/usr/bin/chromium"
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def page(script):
    return driver.execute_script("return " + script)


# What the story wrote: the screen without the echo of typed lines.
STORY = """(() => { const copy = document.getElementById('screen').cloneNode(true);
    copy.querySelectorAll('.echo').forEach((echo) => echo.remove()); return copy.textContent })()"""
SCREEN = "document.getElementById('screen').textContent"


def settled(script, expected):
    deadline = time.time() + 5
    while (seen := page(script)) != expected and time.time() < deadline:
        time.sleep(0.02)
    return seen


def check(name, seen, expected):
    if seen != expected:
        failures.append(name)
        print(f"FAIL {name}\n  expected {str(expected)[-150:]!r}\n  seen     {str(seen)[-150:]!r}")


# Types the keys line by line, a last line cut short with Ctrl-D, then Ctrl-D on an empty line
# to end the input, as at a terminal. Returns the echoes the page should show.
def type_keys(keys):
    field = driver.find_element(By.ID, "keys")
    *lines, rest = keys.split("\n")
    for line in lines:
        field.send_keys(line + Keys.ENTER)
    field.send_keys(rest + Keys.CONTROL + "d" if rest else "", Keys.CONTROL + "d")
    return [line + "\n" for line in lines] + ([rest] if rest else [])


def playthroughs():
    # No key of a page types a control character but Enter.
    typed = [keys for keys in sorted(cases.glob("*.keys"))
             if not re.search(rb"[\0-\x09\x0b-\x1f]", keys.read_bytes())]
    for keys_file in typed:
        expected = keys_file.with_suffix(".screen").read_bytes().decode("utf-8")
        driver.get(url)
        echoes = type_keys(keys_file.read_bytes().decode("utf-8").split("\n", 1)[1])
        check(keys_file.stem, settled(STORY, expected), expected)
        seen = page("[...document.querySelectorAll('#screen .echo')].map((e) => e.textContent)")
        check(keys_file.stem + " (echo)", seen[:len(echoes)], echoes[:len(seen)])
    check("playthroughs typed", len(typed) >= 30, True)


def echo_and_live_region():
    driver.get(url)
    type_keys("\n1\n山田 太郎\n")
    settled(f"{SCREEN}.endsWith('選択肢を入力してください：')", True)
    check("echo after the prompt", "名字：山田 太郎\n" in page(SCREEN), True)
    news = page("document.getElementById('news').textContent")
    check("live region without the echo", "山田 太郎 であっていますか？" in news and "名字：" not in news,
          True)


def end_and_fresh_run():
    driver.get(url)
    type_keys("\n58203\n\n\n")
    check("the end is told", settled("document.body.dataset.state", "ended"), "ended")
    check("outside the story", "終わりました" in page(SCREEN), False)
    check("the end is shown", driver.find_element(By.ID, "ended").is_displayed(), True)
    driver.find_element(By.ID, "again").click()
    notice = (cases / "no-input.screen").read_bytes().decode("utf-8")
    check("a fresh run starts empty", settled(SCREEN, notice), notice)
    check("no longer ended", page("document.body.dataset.state"), None)


quiet = type("Quiet", (http.server.SimpleHTTPRequestHandler,), {"log_message": lambda *args: None})
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(quiet, directory=site))
threading.Thread(target=server.serve_forever, daemon=True).start()
url = f"http://127.0.0.1:{server.server_port}/"
driver = browser()
try:
    playthroughs()
    echo_and_live_region()
    end_and_fresh_run()
finally:
    driver.quit()
print(f"page: {len(failures)} failed" if failures else "page: every check passed")
sys.exit(1 if failures else 0)
