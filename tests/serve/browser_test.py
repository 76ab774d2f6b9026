#!/usr/bin/python3
"""kestrix serve in headless Chromium: the home page of a simulator import, failures filtered, a failing record
with its worst margin and a plot, the CSV of the selection, an import from the page against the simulator, no
console errors, and cable ids that try to run script shown as text.

Usage: browser_test.py KESTRIX SERVE_FIXTURE. Everything talks to 127.0.0.1 only. Screenshots go to the test's
temporary folder (or KX_SCREENSHOTS), never into the repository.
"""
import csv
import io
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.common.exceptions import NoAlertPresentException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import Select, WebDriverWait

KESTRIX, FIXTURE = sys.argv[1], sys.argv[2]
CHROME_FLAGS = ["--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                "--disable-background-networking", "--disable-component-update", "--disable-sync",
                "--window-size=1300,1000"]

checks = []


def check(name, ok, detail=""):
    checks.append((name, bool(ok)))
    print(("ok   " if ok else "FAIL ") + name + ("" if ok or not detail else ": " + str(detail)[:400]), flush=True)


def start(args, pattern, timeout=60):
    """Starts a process and waits for the line that says where it listens."""
    proc = subprocess.Popen(args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    deadline = time.time() + timeout
    seen = []
    while time.time() < deadline:
        line = proc.stdout.readline()
        if not line:
            break
        seen.append(line)
        m = re.search(pattern, line)
        if m:
            return proc, m.group(1)
    proc.kill()
    raise RuntimeError("%s did not start: %s" % (args[1], "".join(seen)[-2000:]))


def main():
    base = os.environ.get("KESTRIX_TEST_TMP") or tempfile.gettempdir()
    os.makedirs(base, exist_ok=True)
    tmp = tempfile.mkdtemp(prefix="serve-browser-", dir=base)
    shots = os.environ.get("KX_SCREENSHOTS") or os.path.join(tmp, "shots")
    downloads = os.path.join(tmp, "downloads")
    os.makedirs(shots, exist_ok=True)
    os.makedirs(downloads, exist_ok=True)
    procs = []
    driver = None
    try:
        sim, sim_addr = start([KESTRIX, "sim", "--root", os.path.join(tmp, "tester"), "--port", "0"],
                              r"listening on (127\.0\.0\.1:\d+)")
        procs.append(sim)
        lib = os.path.join(tmp, "lib")
        # Part of what the tester holds, so the page has records to import.
        subprocess.run([KESTRIX, "import", "--ip", sim_addr, "--out", lib, "--project", "Harbor Data Center",
                        "--no-mark"], check=True, stdout=subprocess.DEVNULL)
        hostile = os.path.join(tmp, "hostile")
        subprocess.run([FIXTURE, hostile], check=True)
        serve, url = start([KESTRIX, "serve", lib, hostile, "--port", "0", "--ip", sim_addr, "--no-mark"],
                           r"on (http://127\.0\.0\.1:\d+/)")
        procs.append(serve)

        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for flag in CHROME_FLAGS + ["--user-data-dir=" + os.path.join(tmp, "chrome")]:
            options.add_argument(flag)
        options.add_experimental_option("prefs", {"download.default_directory": downloads,
                                                  "download.prompt_for_download": False})
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        driver.execute_cdp_cmd("Page.setDownloadBehavior", {"behavior": "allow", "downloadPath": downloads})
        wait = WebDriverWait(driver, 60)
        console = []

        def take_console():
            console.extend(e for e in driver.get_log("browser") if e.get("level") == "SEVERE")

        def no_script_ran(where):
            try:
                alert = driver.switch_to.alert
                text = alert.text
                alert.dismiss()
                check(where + ": no alert", False, text)
            except NoAlertPresentException:
                check(where + ": no alert", True)
            pwned = driver.execute_script("return window.kxPwned === undefined ? null : window.kxPwned")
            check(where + ": no injected script ran", pwned is None, pwned)
            check(where + ": no injected element", driver.execute_script(
                "return document.querySelectorAll('img[src=\"x\"], script:not([src])').length") == 0)

        # Home page of the simulator import.
        driver.get(url)
        check("home page title", driver.title.startswith("Results"), driver.title)
        tree = driver.find_element(By.CSS_SELECTOR, ".tree").text
        check("tree shows the imported project", "Harbor Data Center" in tree, tree)
        records_before = int(driver.find_element(By.CSS_SELECTOR, ".total.all .n").text.replace(",", ""))
        wait.until(lambda d: "not in lib" in d.find_element(By.ID, "tester-line").text)
        line = driver.find_element(By.ID, "tester-line").text
        missing = int(re.search(r"(\d+) not in lib", line).group(1))
        check("tester shown with records the folder lacks", missing > 0, line)
        no_script_ran("home")
        # The table's margins and conflicts come from each record decoded in the background.
        wait.until(lambda d: not d.find_element(By.ID, "facts").is_displayed())
        driver.save_screenshot(os.path.join(shots, "home.png"))
        take_console()

        # Filter to failures.
        driver.get(url + "links")
        Select(driver.find_element(By.ID, "status")).select_by_value("fail")
        driver.find_element(By.ID, "apply").click()
        wait.until(lambda d: "status=fail" in d.current_url)
        statuses = [e.text for e in driver.find_elements(By.CSS_SELECTOR, "#links tbody td.status .badge:first-child")]
        check("failures only", statuses and all(s == "FAIL" for s in statuses), statuses)
        no_script_ran("links")
        driver.save_screenshot(os.path.join(shots, "table.png"))
        take_console()

        # The CSV of that selection.
        expected_rows = int(driver.find_element(By.ID, "count").get_attribute("data-records"))
        driver.find_element(By.ID, "csv").click()
        path = os.path.join(downloads, "links.csv")
        deadline = time.time() + 30
        while time.time() < deadline and not os.path.exists(path):
            time.sleep(0.2)
        rows = list(csv.DictReader(io.open(path, newline="", encoding="utf-8"))) if os.path.exists(path) else []
        check("CSV downloaded with a row per failing record", len(rows) == expected_rows, len(rows))
        check("CSV has the export's columns", rows and "worst_margin_text" in rows[0] and "verdict_conflict" in rows[0],
              rows[:1])
        check("CSV rows are failures", rows and all(r["status"] == "FAIL" for r in rows), rows[:3])
        check("CSV cable ids are data", any(r["cable_id"] == "<img src=x onerror=alert(1)>" for r in rows), rows)

        # A failing record of the simulator import: its worst margin (as the table has it) and a plot.
        link = driver.find_element(By.XPATH, "//table[@id='links']//a[contains(@href, '/record/') and text()='D-102-B']")
        table_margin = link.find_element(By.XPATH, "ancestor::tr/td[9]").text
        link.click()
        wait.until(lambda d: "/record/" in d.current_url)
        result = driver.find_element(By.XPATH, "//section[@class='certificate']//dt[text()='Result']/../dd").text
        line = re.fullmatch(r"FAIL, worst margin ([A-Za-z][A-Za-z ]*) (-?\d+\.\d) dB at \d+\.\d MHz, \d\d(-\d\d)?, "
                            r"(main|remote)", result)
        check("worst-margin line", line, result)
        check("worst margin as the table has it", line and table_margin == line.group(2) + " dB", (table_margin, result))
        img = driver.find_element(By.CSS_SELECTOR, "figure.plot img")
        driver.execute_script("arguments[0].scrollIntoView()", img)
        wait.until(lambda d: d.execute_script("return arguments[0].complete && arguments[0].naturalWidth > 0", img))
        width = driver.execute_script("return arguments[0].getBoundingClientRect().width", img)
        page_width = driver.execute_script("return document.querySelector('main').clientWidth")
        check("a plot is drawn within the page's width", 0 < width <= page_width, (width, page_width))
        driver.execute_script("window.scrollTo(0, 0)")
        driver.save_screenshot(os.path.join(shots, "record.png"))
        take_console()

        # Cable ids and project names that try to run script.
        driver.get(url + "links?q=%3Cimg")
        cells = [e.text for e in driver.find_elements(By.CSS_SELECTOR, "#links td.cable a")]
        check("injected cable ids shown as text", "<img src=x onerror=alert(1)>" in cells, cells)
        no_script_ran("search")
        driver.find_element(By.XPATH, "//a[text()='<img src=x onerror=window.kxPwned=1>']").click()
        wait.until(lambda d: "/record/" in d.current_url)
        check("record title is the text itself", driver.find_element(By.CSS_SELECTOR, "h1 .cable").text ==
              "<img src=x onerror=window.kxPwned=1>")
        no_script_ran("hostile record")
        driver.save_screenshot(os.path.join(shots, "hostile.png"))
        take_console()

        # Import from the page against the simulator.
        driver.get(url)
        wait.until(lambda d: d.find_element(By.ID, "import-button").is_displayed())
        imports_before = driver.find_element(By.ID, "tester").get_attribute("data-imports")
        driver.find_element(By.ID, "import-button").click()
        seen_running = False
        deadline = time.time() + 120
        while time.time() < deadline:
            try:
                section = driver.find_element(By.ID, "tester")
                if driver.find_element(By.ID, "import-progress").is_displayed():
                    seen_running = True
                if section.get_attribute("data-imports") != imports_before:
                    break
            except Exception:
                pass  # the page is reloading
            time.sleep(0.05)
        wait.until(lambda d: "0 not in lib" in d.find_element(By.ID, "tester-line").text)
        outcome = driver.find_element(By.ID, "import-outcome").text
        check("import from the page wrote what the tester line said the folder lacks",
              outcome.startswith("Last import: ") and f" records imported: {missing} new, " in outcome, outcome)
        check("progress was shown while it ran", seen_running)
        records_after = int(driver.find_element(By.CSS_SELECTOR, ".total.all .n").text.replace(",", ""))
        check("the new records are listed", records_after == records_before + missing,
              (records_before, missing, records_after))
        driver.save_screenshot(os.path.join(shots, "imported.png"))
        take_console()

        check("no console errors", not console, console)
    finally:
        if driver:
            driver.quit()
        for p in procs:
            p.terminate()
            try:
                p.wait(timeout=30)
            except subprocess.TimeoutExpired:
                p.kill()
        print("screenshots in " + shots)
    failed = sum(1 for _, ok in checks if not ok)
    print("%d passed, %d failed" % (len(checks) - failed, failed))
    if not os.environ.get("KX_KEEP"):
        for sub in ("tester", "lib", "hostile", "chrome", "downloads"):
            shutil.rmtree(os.path.join(tmp, sub), ignore_errors=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
