"""Screenshots of the live page of --serve at a phone's 360 x 740 and a laptop's 1280 x 800
CSS pixels, with sources in every state and two Art-Net nodes, for the README:
  tools/in-private-netns.sh /usr/bin/python3 tools/page-screenshots.py build/lumibox [out-dir]
Writes page-phone.png and page-laptop.png (default docs/screenshots). Needs chromium,
chromium-driver and python3-selenium (tools/packages-test.txt)."""
import os
import subprocess
import sys
import tempfile
import time

import dmx_peers
from selenium import webdriver
from selenium.webdriver.chrome.service import Service

lumibox = sys.argv[1]
out = sys.argv[2] if len(sys.argv) > 2 else os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'docs',
                                                         'screenshots')
chase = [max(0, 255 - 12 * abs(slot % 48 - 24)) for slot in range(512)]
ramp = [slot // 2 for slot in range(512)]
terminated = [dmx_peers.sacn_data(5, 'Haze', 100, 1, [80] * 8, [7] * 16, options=0x40)]
senders = [
    dmx_peers.source([1, 2], 'FOH desk', 120, chase[:192], 1),
    dmx_peers.source([1, 3], 'Backup desk', 100, ramp, 2),
    dmx_peers.source([3], 'Media server', 100, [255] * 120, 3),
    dmx_peers.source([4], 'Follow spots', 100, [255, 128] * 4, 4, max_packets=40),
    dmx_peers.Sender(lambda seq: terminated, max_packets=3),
    dmx_peers.Sender(lambda seq: [dmx_peers.sacn_data(6, 'Video wall', 100, seq, [200] * 64, [8] * 16, sync=7001)]),
    dmx_peers.Sender(lambda seq: [dmx_peers.art_poll_reply([10, 0, 0, 21], 'Truss SL', 'Stage left truss', [0, 1, 2, 3]),
                                  dmx_peers.art_poll_reply([10, 0, 0, 22], 'Truss SR', 'Stage right truss', [4, 5])],
                     port=dmx_peers.ART_NET_PORT, period=1.0),
]
serve = subprocess.Popen([lumibox, '--serve', '--universes', '1-6', '--http', '127.0.0.1:9775'])
try:
    time.sleep(0.5)
    for sender in senders:
        sender.start()
    time.sleep(4)  # the follow spots are lost by now, and every rate has been measured
    options = webdriver.ChromeOptions()
    options.binary_location = '/usr/bin/chromium'
    for flag in ('--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
                 '--disable-background-networking', '--disable-component-update', '--disable-sync',
                 '--hide-scrollbars', '--user-data-dir=' + tempfile.mkdtemp(prefix='page-screenshots-')):
        options.add_argument(flag)
    browser = webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)
    try:
        for name, width, height, scale, mobile in (('phone', 360, 740, 2, True), ('laptop', 1280, 800, 1, False)):
            browser.execute_cdp_cmd('Emulation.setDeviceMetricsOverride',
                                    {'width': width, 'height': height, 'deviceScaleFactor': scale, 'mobile': mobile})
            browser.get('http://127.0.0.1:9775/#universe=1')
            time.sleep(2)
            browser.save_screenshot(os.path.join(out, f'page-{name}.png'))
    finally:
        browser.quit()
finally:
    for sender in senders:
        sender.stop()
    serve.terminate()
    serve.wait()
