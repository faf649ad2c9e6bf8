// Receivers that are not ours: npm sacn's Receiver (sACN) or npm dmxnet's (Art-Net) listen
// on IFACE, print "ready" once listening, then, once every universe has ended its stream
// (sACN: three stream-terminated packets) or got COUNT packets (Art-Net), or after 20 s,
// one line of JSON with what each universe got: packets, the latest levels, and for sACN
// the source name, priority, stream-terminated packets and the packets it refused.
// Usage: NODE_PATH=build-npm/node_modules node tools/peer-receive.js sACN|Art-Net UNIVERSES IFACE [COUNT]
// (UNIVERSES comma-separated; Art-Net ones are 15-bit Port-Addresses)
const [protocol, list, iface, count] = process.argv.slice(2);
const universes = list.split(',').map(Number);
const got = {};
const record = (universe, levels, extra) => {
  const entry = got[universe] || (got[universe] = { packets: 0, terminated: 0 });
  entry.packets += 1;
  entry.levels = Array.from(levels);
  Object.assign(entry, extra);
};
let refused = 0;
const finish = () => {
  console.log(JSON.stringify({ got, refused }));
  process.exit(0);
};
const finishWhen = (done) => {
  if (universes.every((u) => got[u] && done(got[u]))) finish();
};
setTimeout(finish, 20000);
setTimeout(() => console.log('ready'), 200);

if (protocol === 'sACN') {
  const { Receiver } = require('sacn');
  const receiver = new Receiver({ universes, iface, reuseAddr: true });
  receiver.on('packet', (p) => {
    record(p.universe, p.payloadAsBuffer, { sourceName: p.sourceName, priority: p.priority });
    if (p.options & 0x40) got[p.universe].terminated += 1;
    finishWhen((entry) => entry.terminated >= 3);
  });
  receiver.on('PacketCorruption', () => { refused += 1; });  // it takes start code 0 only
} else {
  const dmxnet = new (require('dmxnet').dmxnet)({ log: { level: 'error' }, hosts: [iface] });
  for (const u of universes) {
    const r = dmxnet.newReceiver({ net: u >> 8, subnet: (u >> 4) & 15, universe: u & 15 });
    r.on('data', (levels) => {
      record(u, levels, {});
      finishWhen((entry) => entry.packets >= Number(count));
    });
  }
}
