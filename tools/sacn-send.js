// An sACN source that is not ours: the npm package sacn sends COUNT data packets of one
// universe to its multicast group from the interface IFACE, or by unicast to TARGET, 10 ms
// apart, then exits.
// Usage: NODE_PATH=build-npm/node_modules node tools/sacn-send.js UNIVERSE COUNT IFACE [TARGET]
const { Sender } = require('sacn');

const [universe, count, iface, target] = [Number(process.argv[2]), Number(process.argv[3]), process.argv[4], process.argv[5]];
const sender = new Sender({
  universe, iface, reuseAddr: true, useUnicastDestination: target, defaultPacketOptions: { sourceName: 'npm sacn' },
});
const pause = (ms) => new Promise((done) => setTimeout(done, ms));

(async () => {
  await pause(100);  // the socket binds before its interface is set
  for (let i = 0; i < count; ++i) {
    await sender.send({ payload: { 1: i % 256, 512: 255 - (i % 256) }, priority: 100 });
    await pause(10);
  }
  sender.close();
})().catch((error) => {
  console.error(error);
  process.exit(1);
});
