#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 QuiverBolt developers
# SPDX-License-Identifier: MIT
"""The rating pages in a real browser.

Starts the real quiverbolt-rating with its database in a temporary folder,
fills it through genuine submissions (the bodies the game posts, made by
make_submission with the game's own code), and drives headless Chromium
through chromedriver: the player's link, hostile names, paging, the local
rating and a phone's 800 x 480 screen.

    browser_test.py --server PATH --make-submission PATH [--screenshots DIR]

With --screenshots the test also saves a rating page on a desktop and on a
phone's screen into DIR (README's pictures come from there).
"""

import argparse
import math
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import unittest
import urllib.error
import urllib.parse
import urllib.request

from selenium import webdriver
from selenium.common.exceptions import NoAlertPresentException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By

CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"
PAGE_SIZE = 50
PLAYERS_AROUND = 10

# Names a player might type to break a page.
HOSTILE_NAMES = [
    "<script>alert(1)</script>",
    '"><img src=x onerror=alert(1)>',
    "\u202eevil\u202c mirror \u202bname",
    "\U0001F468\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466" * 9,  # 63 characters
]
HOSTILE_LOCATION = "\"><svg onload=alert(1)>&amp;"

ARGS = None
# Filled by setUpModule: the server's address and the players it holds.
SERVER = {}


def no_proxy_opener():
    # Loopback only: never through a proxy the environment may name.
    return urllib.request.build_opener(urllib.request.ProxyHandler({}))


def fetch(url):
    """Status, headers and body of a GET, whatever the status."""
    try:
        with no_proxy_opener().open(url, timeout=30) as reply:
            return reply.status, reply.headers, reply.read()
    except urllib.error.HTTPError as error:
        return error.code, error.headers, error.read()


def submit(base_url, sex, name, location, value):
    """Posts a genuine submission; the reply's link."""
    body = subprocess.run([ARGS.make_submission, sex, name, location, str(value)],
                          check=True, stdout=subprocess.PIPE).stdout
    request = urllib.request.Request(base_url, data=body, method="POST")
    with no_proxy_opener().open(request, timeout=30) as reply:
        document = reply.read().decode("utf-8")
    link = re.search(r"<hiperlink>(.*)</hiperlink>", document).group(1)
    return link.replace("&amp;", "&")


def competition_places(players):
    """Places for players listed in rating order: 1 + those with a higher best."""
    places = []
    for i, player in enumerate(players):
        if i > 0 and player["best"] == players[i - 1]["best"]:
            places.append(places[-1])
        else:
            places.append(i + 1)
    return places


def start_server(folder):
    log = open(os.path.join(folder, "server.log"), "w+", encoding="utf-8")
    process = subprocess.Popen(
        # Every submission comes from 127.0.0.1: no rate limit.
        [ARGS.server, "serve", "--listen", "127.0.0.1:0", "--rate-limit", "0",
         "--database", "sqlite:" + os.path.join(folder, "r.db")],
        stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    for line in process.stderr:
        log.write(line)
        found = re.search(r"listening on (http://\S+)", line)
        if found:
            # Keep reading its log, so that the server never blocks on a full pipe.
            copier = subprocess.Popen(["cat"], stdin=process.stderr, stdout=log)
            process.stderr.close()
            log.close()
            return process, copier, found.group(1)
    log.close()
    with open(log.name, encoding="utf-8") as written:
        raise RuntimeError("quiverbolt-rating did not start:\n" + written.read())


def new_browser(folder, width, height):
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for flag in ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                 "--no-first-run", "--disable-background-networking",
                 "--disable-component-update", "--disable-sync", "--no-proxy-server",
                 "--disable-dev-shm-usage", "--hide-scrollbars",
                 "--window-size=%d,%d" % (width, height),
                 "--user-data-dir=" + tempfile.mkdtemp(dir=folder)]:
        options.add_argument(flag)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    service = Service(executable_path=CHROMEDRIVER, log_path=os.path.join(folder, "driver.log"))
    browser = webdriver.Chrome(service=service, options=options)
    # The page gets exactly this much room, as on a phone's screen.
    browser.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                            {"width": width, "height": height, "deviceScaleFactor": 1,
                             "mobile": False})
    return browser


def setUpModule():
    folder = tempfile.mkdtemp(prefix="quiverbolt-web-")
    SERVER["folder"] = folder
    process, copier, url = start_server(folder)
    SERVER.update(process=process, copier=copier, url=url)

    men = []
    women = []
    # Hostile names lead the men's rating, so they are on its first page.
    for i, name in enumerate(HOSTILE_NAMES):
        men.append(dict(name=name, location="Oslo", best=5000 - 100 * i))
    men.append(dict(name="Angle Bracket", location=HOSTILE_LOCATION, best=4500))
    towns = ["Bergen", "Troms\u00f8", "Oslo", ""]
    for i in range(120):
        # Values repeat, so that ties share a place.
        men.append(dict(name="Player %03d" % i, location=towns[i % 4], best=1000 + (i * 37) % 300))
    for i in range(6):
        women.append(dict(name="Skater %d" % i, location=towns[i % 4], best=800 + 10 * (i % 3)))

    for sex, players in (("m", men), ("w", women)):
        for player in players:
            player["link"] = submit(url, sex, player["name"], player["location"], player["best"])
            player["id"] = int(player["link"].rsplit("=", 1)[1])
        # Rating order: higher best first, then the one who set it earlier.
        players.sort(key=lambda p: (-p["best"], p["id"]))
        for player, place in zip(players, competition_places(players)):
            player["place"] = place
    SERVER.update(men=men, women=women, submissions=len(men) + len(women))
    SERVER["browser"] = new_browser(folder, 1280, 800)


def tearDownModule():
    browser = SERVER.get("browser")
    if browser:
        browser.quit()
    process = SERVER.get("process")
    if process:
        process.send_signal(signal.SIGTERM)
        try:
            code = process.wait(timeout=60)
        except subprocess.TimeoutExpired:
            process.kill()
            raise
        SERVER["copier"].wait(timeout=60)
        if code != 0:
            with open(os.path.join(SERVER["folder"], "server.log"), encoding="utf-8") as log:
                print(log.read(), file=sys.stderr)
            raise AssertionError("quiverbolt-rating exited with %d on SIGTERM" % code)
    shutil.rmtree(SERVER["folder"], ignore_errors=True)


class RatingPages(unittest.TestCase):

    def setUp(self):
        self.browser = SERVER["browser"]

    def load(self, url, browser=None):
        """Opens url and checks that the page logged no error and ran nothing."""
        browser = browser or self.browser
        browser.get(url)
        self.assert_clean(browser)

    def assert_clean(self, browser):
        errors = [entry for entry in browser.get_log("browser") if entry["level"] == "SEVERE"]
        self.assertEqual(errors, [], "console errors on " + browser.current_url)
        with self.assertRaises(NoAlertPresentException):
            browser.switch_to.alert.text
        # Nothing that a name could have injected.
        self.assertEqual(browser.find_elements(By.CSS_SELECTOR, "script, img, svg, iframe"), [])

    def rows(self, browser=None):
        browser = browser or self.browser
        result = []
        for row in browser.find_elements(By.CSS_SELECTOR, "table.rating tbody tr"):
            cell = {c: row.find_element(By.CSS_SELECTOR, "td." + c).get_property("textContent")
                    for c in ("place", "name", "location", "best")}
            result.append(dict(id=int(row.get_attribute("id").split("-")[1]),
                               place=int(cell["place"]), name=cell["name"],
                               location=cell["location"], best=int(cell["best"]),
                               you="you" in (row.get_attribute("class") or "")))
        return result

    def expected(self, players):
        return [dict(id=p["id"], place=p["place"], name=p["name"], location=p["location"],
                     best=p["best"]) for p in players]

    @staticmethod
    def shown(rows):
        return [{k: v for k, v in row.items() if k != "you"} for row in rows]

    def test_player_link_highlights_the_player_among_those_around(self):
        men = SERVER["men"]
        index = 60
        player = men[index]
        self.load(player["link"])
        rows = self.rows()
        self.assertEqual(self.shown(rows), self.expected(
            men[index - PLAYERS_AROUND:index + PLAYERS_AROUND + 1]))
        highlighted = [row for row in rows if row["you"]]
        self.assertEqual([row["id"] for row in highlighted], [player["id"]])
        mark = self.browser.find_element(By.CSS_SELECTOR, "tr.you")
        self.assertEqual(mark.get_attribute("id"), "player-%d" % player["id"])
        self.assertEqual(mark.get_attribute("aria-current"), "true")
        # The highlight is visible: its cells are painted unlike the others'.
        other = self.browser.find_element(By.CSS_SELECTOR, "tr:not(.you) td.name")
        self.assertNotEqual(mark.find_element(By.CSS_SELECTOR, "td.name")
                            .value_of_css_property("background-color"),
                            other.value_of_css_property("background-color"))

    def test_player_at_the_top_has_no_one_above(self):
        women = SERVER["women"]
        self.load(women[0]["link"])
        rows = self.rows()
        self.assertEqual(self.shown(rows), self.expected(women[:PLAYERS_AROUND + 1]))
        self.assertTrue(rows[0]["you"])
        self.assertEqual(self.browser.find_elements(By.CSS_SELECTOR, "a[rel=prev]"), [])

    def test_hostile_names_show_as_typed_and_run_nothing(self):
        self.load(SERVER["url"] + "rating/m")
        names = [row["name"] for row in self.rows()]
        for name in HOSTILE_NAMES:
            self.assertIn(name, names)
        locations = [row["location"] for row in self.rows()]
        self.assertIn(HOSTILE_LOCATION, locations)
        self.assertEqual(self.browser.title, "Men's rating \u00b7 QuiverBolt")

        # The hostile location's own page: the text in the heading, the link
        # that led there carried it whole.
        link = self.browser.find_element(By.XPATH, "//td[@class='location']/a[contains(., 'svg')]")
        link.click()
        self.assert_clean(self.browser)
        self.assertEqual(self.browser.find_element(By.CSS_SELECTOR, "h1 bdi")
                         .get_property("textContent"), HOSTILE_LOCATION)
        self.assertEqual([row["name"] for row in self.rows()], ["Angle Bracket"])
        self.assertEqual(self.browser.find_element(By.NAME, "location").get_property("value"),
                         HOSTILE_LOCATION)

    def test_paging_walks_the_whole_rating_both_ways(self):
        men = SERVER["men"]
        self.load(SERVER["url"] + "rating/m")
        pages = [self.shown(self.rows())]
        self.assertEqual(self.browser.find_elements(By.CSS_SELECTOR, "a[rel=prev]"), [])
        while self.browser.find_elements(By.CSS_SELECTOR, "a[rel=next]"):
            self.browser.find_element(By.CSS_SELECTOR, "a[rel=next]").click()
            self.assert_clean(self.browser)
            pages.append(self.shown(self.rows()))
        self.assertEqual(len(pages), math.ceil(len(men) / PAGE_SIZE))
        self.assertEqual([row for page in pages for row in page], self.expected(men))

        back = [pages[-1]]
        while self.browser.find_elements(By.CSS_SELECTOR, "a[rel=prev]"):
            self.browser.find_element(By.CSS_SELECTOR, "a[rel=prev]").click()
            self.assert_clean(self.browser)
            back.insert(0, self.shown(self.rows()))
        self.assertEqual(back, pages)

    def test_location_link_shows_the_local_rating(self):
        men = SERVER["men"]
        town = "Troms\u00f8"
        self.load(SERVER["url"] + "rating/m")
        self.browser.find_element(By.LINK_TEXT, town).click()
        self.assert_clean(self.browser)
        self.assertIn("location=Troms%C3%B8", self.browser.current_url)
        self.assertEqual(self.browser.find_element(By.CSS_SELECTOR, "h1 bdi").text, town)
        local = [p for p in men if p["location"] == town]
        expected = [dict(p, place=place) for p, place in zip(local, competition_places(local))]
        self.assertEqual(self.shown(self.rows()), self.expected(expected))
        self.assertEqual(self.browser.find_element(By.CSS_SELECTOR, "th.place").text,
                         "Local place")

    def test_location_form_finds_a_location_as_typed_in_other_case(self):
        self.load(SERVER["url"] + "rating/m")
        field = self.browser.find_element(By.NAME, "location")
        field.clear()
        field.send_keys("  bERGEN ")
        self.browser.find_element(By.CSS_SELECTOR, "form.find button").click()
        self.assert_clean(self.browser)
        names = [row["name"] for row in self.rows()]
        bergen = [p["name"] for p in SERVER["men"] if p["location"] == "Bergen"]
        self.assertEqual(names, bergen)
        self.assertEqual(self.browser.find_element(By.CSS_SELECTOR, "h1 bdi").text, "Bergen")

    def test_phone_screen_has_no_horizontal_scrolling(self):
        phone = new_browser(SERVER["folder"], 800, 480)
        try:
            self.assertEqual(phone.execute_script("return [window.innerWidth, window.innerHeight]"),
                             [800, 480])
            pages = [SERVER["url"] + "rating/m", SERVER["men"][60]["link"],
                     SERVER["url"] + "rating/m?location=Oslo", SERVER["url"] + "terms/"]
            for url in pages:
                self.load(url, phone)
                overflow = phone.execute_script(
                    "return document.documentElement.scrollWidth"
                    " - document.documentElement.clientWidth")
                self.assertLessEqual(overflow, 0, url)
            if ARGS.screenshots:
                phone.get(SERVER["men"][3]["link"])
                phone.save_screenshot(os.path.join(ARGS.screenshots, "rating-800x480.png"))
                self.browser.get(SERVER["men"][3]["link"])
                self.browser.save_screenshot(os.path.join(ARGS.screenshots, "rating-desktop.png"))
        finally:
            phone.quit()

    def test_system_dark_preference_darkens_the_page(self):
        colours = {}
        for scheme in ("light", "dark"):
            self.browser.execute_cdp_cmd("Emulation.setEmulatedMedia", {
                "features": [{"name": "prefers-color-scheme", "value": scheme}]})
            try:
                self.load(SERVER["men"][60]["link"])
                colours[scheme] = [self.browser.find_element(By.CSS_SELECTOR, css)
                                   .value_of_css_property(prop) for css, prop in
                                   (("body", "background-color"), ("body", "color"),
                                    ("tr.you td", "background-color"))]
            finally:
                self.browser.execute_cdp_cmd("Emulation.setEmulatedMedia", {"features": []})
        self.assertEqual(colours["light"][0], "rgba(255, 255, 255, 1)")
        for light, dark in zip(colours["light"], colours["dark"]):
            self.assertNotEqual(light, dark)

    def test_api_gives_the_page_as_json(self):
        import json
        men = SERVER["men"]
        player = men[60]
        api = SERVER["url"] + "api/v1/ratings/m?player=%d" % player["id"]
        status, headers, body = fetch(api)
        self.assertEqual(status, 200)
        self.assertEqual(headers["Content-Type"], "application/json; charset=utf-8")
        view = json.loads(body)
        self.assertEqual(view["player"], player["id"])
        around = men[60 - PLAYERS_AROUND:60 + PLAYERS_AROUND + 1]
        self.assertEqual([dict(id=p["id"], place=p["place"], name=p["name"],
                               location=p["location"], best=p["best"]) for p in view["players"]],
                         self.expected(around))
        # The next link is relative to the API resource, as on the page.
        status, _, body = fetch(urllib.parse.urljoin(api, view["next"]))
        self.assertEqual(status, 200)
        following = json.loads(body)["players"]
        self.assertEqual([p["id"] for p in following],
                         [p["id"] for p in men[61 + PLAYERS_AROUND:61 + PLAYERS_AROUND + PAGE_SIZE]])
        # Hostile text arrives as the same text.
        _, _, body = fetch(SERVER["url"] + "api/v1/ratings/m")
        self.assertNotIn(b"<", body)
        names = [p["name"] for p in json.loads(body)["players"]]
        for name in HOSTILE_NAMES:
            self.assertIn(name, names)

    def test_pages_forbid_scripts_and_sniffing(self):
        for path in ["rating/m", "rating/w?player=1", "terms/", "api/v1/ratings/w", "style.css"]:
            status, headers, _ = fetch(SERVER["url"] + path)
            self.assertIn(status, (200, 404), path)
            self.assertEqual(headers["Content-Security-Policy"], "default-src 'self'", path)
            self.assertEqual(headers["X-Content-Type-Options"], "nosniff", path)

    def test_metrics_count_what_happened(self):
        fetch(SERVER["url"] + "rating/w")
        status, headers, body = fetch(SERVER["url"] + "metrics")
        self.assertEqual(status, 200)
        text = body.decode("utf-8")
        self.assertRegex(text, r'quiverbolt_http_requests_total\{path="/rating/w",status="200"\} [1-9]')
        self.assertIn('quiverbolt_players{rating="m"} %d\n' % len(SERVER["men"]), text)
        self.assertIn('quiverbolt_players{rating="w"} %d\n' % len(SERVER["women"]), text)
        self.assertIn("quiverbolt_submission_duration_seconds_count %d\n" % SERVER["submissions"],
                      text)
        self.assertIn('quiverbolt_database_errors_total{operation="read"} 0\n', text)


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--server", required=True)
    parser.add_argument("--make-submission", required=True)
    parser.add_argument("--screenshots")
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
