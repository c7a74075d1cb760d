#!/usr/bin/python3
"""The page in headless Chromium, served by a static server on this machine: every recorded
playthrough that can be typed line by line shows its recorded screen, with the typed lines
echoed; the end of a run is told outside the story, and a fresh run starts empty.

    page_test.py SITE CASES
"""
import functools
import http.server
import pathlib
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


class Quiet(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def serve():
    handler = functools.partial(Quiet, directory=str(site))
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return f"http://127.0.0.1:{server.server_port}/"


def browser():
    options = webdriver.ChromeOptions()
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update",
                 "--disable-sync", f"--user-data-dir={tempfile.mkdtemp()}"):
        options.add_argument(flag)
    options.binary_location = "/usr/bin/chromium"
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def screen(driver):
    return driver.execute_script("return document.getElementById('screen').textContent")


def story_text(driver):
    """What the story wrote: the screen without the echo of typed lines."""
    return driver.execute_script("""
        const copy = document.getElementById('screen').cloneNode(true);
        copy.querySelectorAll('.echo').forEach((echo) => echo.remove());
        return copy.textContent""")


def settled(read, expected, seconds=5):
    deadline = time.time() + seconds
    while (seen := read()) != expected and time.time() < deadline:
        time.sleep(0.02)
    return seen


def check(name, seen, expected):
    if seen != expected:
        failures.append(name)
        print(f"FAIL {name}\n  expected {str(expected)[-150:]!r}\n  seen     {str(seen)[-150:]!r}")


def type_keys(driver, keys):
    """Types the keys line by line, a last line cut short with Ctrl-D, then Ctrl-D to end the
    input as at a terminal."""
    field = driver.find_element(By.ID, "keys")
    *lines, rest = keys.split("\n")
    for line in lines:
        field.send_keys(line + Keys.ENTER)
    if rest:
        field.send_keys(rest + Keys.CONTROL + "d")
    field.send_keys(Keys.CONTROL + "d")
    return [line + "\n" for line in lines] + ([rest] if rest else [])


def playthroughs(driver, url):
    typed = 0
    for keys_file in sorted(cases.glob("*.keys")):
        keys = keys_file.read_bytes().decode("utf-8").split("\n", 1)[1]
        if "\r" in keys:
            continue  # no key of a page types a carriage return
        expected = keys_file.with_suffix(".screen").read_bytes().decode("utf-8")
        driver.get(url)
        echoes = type_keys(driver, keys)
        check(keys_file.stem, settled(lambda: story_text(driver), expected), expected)
        seen = driver.execute_script(
            "return [...document.querySelectorAll('#screen .echo')].map((e) => e.textContent)")
        check(keys_file.stem + " (echo)", seen[:len(echoes)], echoes[:len(seen)])
        typed += 1
    if typed < 30:
        failures.append(f"only {typed} playthroughs could be typed")


def echo_and_live_region(driver, url):
    driver.get(url)
    driver.find_element(By.ID, "keys").send_keys(Keys.ENTER + "1" + Keys.ENTER + "山田 太郎" + Keys.ENTER)
    settled(lambda: screen(driver).endswith("名字：山田 太郎\n\n\n名前：\n\n山田 太郎 であっていますか？\n\n"
                                            "1.はい\n\n2.いいえ\n\n選択肢を入力してください："), True)
    check("echo after the prompt", "名字：山田 太郎\n" in screen(driver), True)
    news = driver.find_element(By.ID, "news").get_attribute("textContent")
    check("live region without the echo", "山田 太郎 であっていますか？" in news and "名字：" not in news,
          True)


def end_and_fresh_run(driver, url):
    driver.get(url)
    type_keys(driver, "\n58203\n\n\n")
    state = settled(lambda: driver.find_element(By.TAG_NAME, "body").get_attribute("data-state"),
                    "ended")
    check("the end is told", state, "ended")
    check("outside the story", "終わりました" in screen(driver), False)
    check("the end is shown", driver.find_element(By.ID, "ended").is_displayed(), True)
    driver.find_element(By.ID, "again").click()
    check("a fresh run starts empty", screen(driver).startswith("注意！"), True)
    check("and plays", settled(lambda: screen(driver).startswith("注意！"), True), True)
    check("no longer ended", driver.find_element(By.TAG_NAME, "body").get_attribute("data-state"),
          None)


url = serve()
driver = browser()
try:
    playthroughs(driver, url)
    echo_and_live_region(driver, url)
    end_and_fresh_run(driver, url)
finally:
    driver.quit()
print(f"{len(failures)} failed" if failures else "page: every check passed")
sys.exit(1 if failures else 0)
