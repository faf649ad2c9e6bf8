"""The live page of --serve in a real browser: Debian's chromium, headless, driven by
chromedriver, inside the test's private network namespace while two sources send.
Usage: live_page_browser_test.py LUMIBOX"""
import json
import os
import re
import signal
import subprocess
import sys
import tempfile
import unittest
import urllib.request

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'tools'))
import dmx_peers  # noqa: E402
from selenium import webdriver  # noqa: E402
from selenium.webdriver.chrome.service import Service  # noqa: E402
from selenium.webdriver.support.ui import WebDriverWait  # noqa: E402

LUMIBOX = sys.argv.pop(1)
URL = 'http://127.0.0.1:9775/'
DESK = 'Desk <script>document.title = "ran"</script><b>bold</b>'
# The Network window's first two source colours: the desk comes first in table order (lower CID).
DESK_RGB, BACKUP_RGB = 'rgb(242, 160, 61)', 'rgb(79, 195, 247)'
STATE = '''return [[...document.querySelectorAll('#universe-select option')].map((o) => o.textContent),
  [...document.querySelectorAll('#sources tbody tr')].map((r) => [...r.cells].slice(1).map((c) => c.textContent)),
  document.getElementById('connection').className, document.getElementById('connection').textContent,
  document.getElementById('events').hidden ? [] :
    [...document.querySelectorAll('#event-list li')].map((i) => i.textContent)]'''


def serve():
    return subprocess.Popen([LUMIBOX, '--serve', '--universes', '1-2', '--http', '127.0.0.1:9775'])


def cell_style(slot, prop):
    return f"return getComputedStyle(document.querySelectorAll('#grid .cell')[{slot - 1}]).{prop}"


class LivePage(unittest.TestCase):
    def setUp(self):
        self.server = serve()
        self.desk = dmx_peers.source([1], DESK, 120, [255, 128, 0, 64], 1).start()
        self.backup = dmx_peers.source([1, 2], 'Backup', 100, [9] * 6, 2).start()
        options = webdriver.ChromeOptions()
        options.binary_location = '/usr/bin/chromium'
        for flag in ('--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
                     '--disable-background-networking', '--disable-component-update', '--disable-sync',
                     '--user-data-dir=' + tempfile.mkdtemp(prefix='live-page-')):
            options.add_argument(flag)
        options.set_capability('goog:loggingPrefs', {'browser': 'ALL'})
        self.browser = webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)

    def tearDown(self):
        self.browser.quit()
        for sender in (self.desk, self.backup):
            sender.stop()
        self.server.terminate()
        self.server.wait()

    def until(self, test, what):
        """The page's state once test(state) holds; the state seen last in the failure."""
        seen = []

        def holds(driver):
            seen[:] = [driver.execute_script(STATE)]
            return seen[0] if test(seen[0]) else None
        try:
            return WebDriverWait(self.browser, 60, poll_frequency=0.1).until(holds)
        except Exception:
            self.fail(f'{what}; the page showed {seen}')

    def test_live_page(self):
        with urllib.request.urlopen(URL) as reply:
            policy, html = reply.headers['Content-Security-Policy'], reply.read().decode()
        self.assertIn("default-src 'none'", policy)
        self.assertIn("script-src 'self'", policy)
        self.assertIsNone(re.search(r'<script(?![^>]*\bsrc=)', html), 'a script inside the page')

        self.browser.get(URL)
        self.until(lambda s: s[0] == ['Universe 1 · live · 2 sources', 'Universe 2 · live · 1 source'], 'universe list')
        rows = self.until(lambda s: len(s[1]) == 2 and s[1][0][3] != '0', 'source rows with a rate')[1]
        self.assertEqual([r[0] for r in rows], [DESK, 'Backup'])
        self.assertEqual([r[1:3] + r[5:] for r in rows], [['127.0.0.1', '120', 'live'], ['127.0.0.1', '100', 'live']])
        run = self.browser.execute_script
        self.assertEqual(run("return document.querySelectorAll('script, b').length"), 1, 'markup from a name')
        self.assertNotEqual(run('return document.title'), 'ran')
        self.assertEqual(run(cell_style(1, 'borderBottomColor')), DESK_RGB)
        self.assertEqual(run("return [...document.querySelectorAll('#legend .swatch')].map("
                             "(s) => getComputedStyle(s).backgroundColor)"), [DESK_RGB, BACKUP_RGB])
        self.assertEqual(run(cell_style(5, 'borderBottomColor')), BACKUP_RGB)
        self.assertEqual(run("return document.querySelectorAll('#grid .cell')[4].textContent"), '9')

        self.desk.stop()
        stopped = run('return performance.now()')
        self.until(lambda s: s[1][0][5] == 'lost', 'the desk lost')
        # The scan calls a source lost 2.5 s after its last packet; the page shows it within 3 s of that.
        self.assertLess(run('return performance.now()') - stopped, 5500)
        self.assertEqual(run(cell_style(1, 'borderBottomColor')), BACKUP_RGB)
        lost = re.escape(f'sourceLostuniverse 1 · {DESK} · 127.0.0.1')
        self.until(lambda s: s[4] and re.fullmatch(r'\d\d:\d\d:\d\d' + lost, s[4][0]), 'the loss, newest first')
        tag = json.load(urllib.request.urlopen(URL + 'live.json'))['eventsTag']
        again = json.load(urllib.request.urlopen(URL + 'live.json?events=' + tag))
        self.assertTrue('events' not in again or again['eventsTag'] != tag, 'events the page holds sent again')

        self.server.send_signal(signal.SIGSTOP)
        self.until(lambda s: s[2] == 'connection stale', 'stale data while the server does not answer')
        self.server.send_signal(signal.SIGCONT)
        back = self.until(lambda s: s[2] == 'connection live', 'live again')
        self.assertNotEqual(back[4], [], 'the events the page holds hidden')

        self.server.terminate()
        self.server.wait()
        self.until(lambda s: s[2] == 'connection disconnected' and 'reconnecting' in s[3], 'disconnected')
        self.server = serve()
        self.until(lambda s: s[2] == 'connection live' and 'restarted' in s[3], 'reconnected after the restart')
        self.until(lambda s: s[0] == ['Universe 1 · live · 1 source', 'Universe 2 · live · 1 source'], 'new run')

        violations = [e['message'] for e in self.browser.get_log('browser') if 'Content Security Policy' in e['message']]
        self.assertEqual(violations, [])


if __name__ == '__main__':
    unittest.main()
