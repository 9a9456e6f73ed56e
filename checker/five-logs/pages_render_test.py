"""The five-log contest's pages in headless Chromium driven by Selenium:
each renders its tables, and at 1,280 px wide none is wider than the
window (a wide table scrolls inside its own box).  With --screenshots DIR
it also draws the results page and a whole-log page at 1,280 and 390 px.

usage: pages_render_test.py EXPECTED_DIR SCRATCH_DIR [--screenshots DIR]"""

import os
import shutil
import sys

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By

PAGES = ["results.html", "lists.html", "ubn/RD4D.html"]
SHOTS = {"results.html": "checker-results", "ubn/RD4D.html": "checker-whole-log"}


def browser(profile):
    """Headless Chromium whose every file lies under `profile`."""
    options = webdriver.ChromeOptions()
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--no-first-run", "--disable-dev-shm-usage",
                 "--hide-scrollbars", "--force-device-scale-factor=1", f"--user-data-dir={profile}"):
        options.add_argument(flag)
    env = dict(os.environ, HOME=profile)
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver", env=env), options=options)


def overflow(driver):
    """How many pixels the page is wider than the window."""
    return driver.execute_script(
        "return document.documentElement.scrollWidth - document.documentElement.clientWidth;")


def screenshot(driver, width, path):
    driver.set_window_size(width, 900)
    height = driver.execute_script("return document.documentElement.scrollHeight;")
    driver.set_window_size(width, height)
    driver.save_screenshot(path)


def main():
    expected, scratch = sys.argv[1:3]
    shots = sys.argv[sys.argv.index("--screenshots") + 1] if "--screenshots" in sys.argv else None
    shutil.rmtree(scratch, ignore_errors=True)
    os.makedirs(scratch)
    driver = browser(os.path.abspath(scratch))
    failures = []
    try:
        for page in PAGES:
            driver.set_window_size(1280, 900)
            driver.get("file://" + os.path.abspath(os.path.join(expected, page)))
            tables = driver.find_elements(By.TAG_NAME, "table")
            if not tables or not all(table.size["height"] > 0 for table in tables):
                failures.append(f"{page}: its tables are not drawn")
            wider = overflow(driver)
            if wider > 0:
                failures.append(f"{page}: {wider} px wider than a 1,280 px window")
            if shots and page in SHOTS:
                for width in (1280, 390):
                    screenshot(driver, width, os.path.join(shots, f"{SHOTS[page]}-{width}.png"))
    finally:
        driver.quit()
        shutil.rmtree(scratch, ignore_errors=True)
    for failure in failures:
        print(failure)
    print(f"{len(PAGES) - len(set(f.split(':')[0] for f in failures))} passed, "
          f"{len(set(f.split(':')[0] for f in failures))} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
