"""sACN sources and an Art-Net node written from the protocol layouts (E1.31, Art-Net 4),
not by Lumibox's codec, for the live page's browser test and its screenshots. Every
sender stops by itself: after a time limit and a packet count, whichever comes first."""
import socket
import struct
import threading
import time

SACN_PORT = 5568
ART_NET_PORT = 6454


def sacn_data(universe, name, priority, sequence, levels, cid, start_code=0, options=0, sync=0):
    """One E1.31 data packet: root, framing and DMP layers."""
    count = len(levels) + 1  # the start code is property value 0
    dmp = struct.pack('>HBBHHH', 0x7000 | (10 + count), 0x02, 0xA1, 0, 1, count) + bytes([start_code]) + bytes(levels)
    framing = (struct.pack('>HI', 0x7000 | (77 + len(dmp)), 2) + name.encode()[:63].ljust(64, b'\0') +
               struct.pack('>BHBBH', priority, sync, sequence, options, universe) + dmp)
    return (struct.pack('>HH12sHI', 0x10, 0, b'ASC-E1.17\0\0\0', 0x7000 | (22 + len(framing)), 4) + bytes(cid) +
            framing)


def art_poll_reply(ip, short_name, long_name, outputs, net=0, sub=0):
    """An ArtPollReply of a node with DMX output ports on the given universes (0-15)."""
    reply = bytearray(239)
    reply[0:8] = b'Art-Net\0'
    struct.pack_into('<H', reply, 8, 0x2100)
    reply[10:14] = bytes(ip)
    struct.pack_into('<H', reply, 14, ART_NET_PORT)
    reply[18], reply[19] = net, sub
    reply[26:26 + 17] = short_name.encode()[:17].ljust(17, b'\0')
    reply[44:44 + 63] = long_name.encode()[:63].ljust(63, b'\0')
    reply[173] = len(outputs)
    for port, universe in enumerate(outputs):
        reply[174 + port] = 0x80  # output, DMX512
        reply[190 + port] = universe
    return bytes(reply)


class Sender:
    """Sends its packets to 127.0.0.1 every period until stopped, the time limit or the
    count; change() swaps what it sends while it runs."""

    def __init__(self, make, port=SACN_PORT, period=0.025, limit_s=120, max_packets=20000):
        self.make, self.port, self.period = make, port, period
        self.limit_s, self.max_packets = limit_s, max_packets
        self.running = threading.Event()
        self.thread = None

    def change(self, make):
        self.make = make

    def start(self):
        self.running.set()
        self.thread = threading.Thread(target=self._send, daemon=True)
        self.thread.start()
        return self

    def stop(self):
        self.running.clear()
        if self.thread:
            self.thread.join()

    def _send(self):
        with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as out:
            end = time.monotonic() + self.limit_s
            for sequence in range(self.max_packets):
                if not self.running.is_set() or time.monotonic() > end:
                    break
                for packet in self.make(sequence % 256):
                    out.sendto(packet, ('127.0.0.1', self.port))
                time.sleep(self.period)


def source(universes, name, priority, levels, cid_seed, **options):
    """A sACN source on each universe given, its levels the same on all."""
    cid = [cid_seed] * 16
    return Sender(lambda seq: [sacn_data(u, name, priority, seq, levels, cid) for u in universes], **options)
