// The reference ephemeris's side of the speed comparison in
// tools/speed_compare.sh: astronomy-engine (Don Cross, MIT licence) doing
// the work of each of our benchmarks, at Jerusalem, a new instant (or a new
// day) every call as ours do. Prints one line per operation:
//   <name> <CPU microseconds per call>
// measured with process.cpuUsage over at least --seconds (default 0.5).
//
// Usage: node tools/oracle/peer_bench.js [--seconds S] [--filter REGEX]
'use strict';
const Astronomy = require('astronomy-engine');

const args = process.argv.slice(2);
const option = (name, fallback) => {
  const i = args.indexOf(name);
  return i >= 0 && i + 1 < args.length ? args[i + 1] : fallback;
};
const seconds = Number(option('--seconds', '0.5'));
const filter = new RegExp(option('--filter', '.'));

const observer = new Astronomy.Observer(31.7767, 35.2345, 800);
const firstInstant = new Date(Date.UTC(2024, 0, 1, 12)).getTime();  // fixed day 738956.5 is 2024-03-11
const dayMs = 86400000;

// A record with the outputs of ours: geocentric ecliptic place of date,
// geocentric and topocentric equatorial places of date, horizon place with
// refraction, distance, illuminated fraction, elongation from the Sun.
function fullRecord(body, time) {
  const geo = Astronomy.GeoVector(body, time, true);
  const ecliptic = Astronomy.Ecliptic(geo);
  const eqTopo = Astronomy.Equator(body, time, observer, true, true);
  const eqGeoOfDate = Astronomy.EquatorFromVector(Astronomy.RotateVector(Astronomy.Rotation_EQJ_EQD(time), geo));
  const horizon = Astronomy.Horizon(time, observer, eqTopo.ra, eqTopo.dec, 'normal');
  const lit = body === Astronomy.Body.Sun ? null : Astronomy.Illumination(body, time);
  const elongation = body === Astronomy.Body.Sun ? 0 : Astronomy.AngleFromSun(body, time);
  return ecliptic.elon + eqGeoOfDate.ra + eqGeoOfDate.dec + horizon.altitude + (lit ? lit.phase_fraction : 0) + elongation;
}

// Topocentric place of date and horizon only.
function topocentric(body, time) {
  const eq = Astronomy.Equator(body, time, observer, true, true);
  return Astronomy.Horizon(time, observer, eq.ra, eq.dec, 'normal').altitude;
}

const operations = [
  ['MoonRecordTopocentric', (i) => topocentric(Astronomy.Body.Moon, Astronomy.MakeTime(new Date(firstInstant + i * 86400)))],
  ['MoonRecord', (i) => fullRecord(Astronomy.Body.Moon, Astronomy.MakeTime(new Date(firstInstant + i * 86400)))],
  ['SunRecord', (i) => fullRecord(Astronomy.Body.Sun, Astronomy.MakeTime(new Date(firstInstant + i * 86400)))],
  ['MarsRecord', (i) => fullRecord(Astronomy.Body.Mars, Astronomy.MakeTime(new Date(firstInstant + i * 86400)))],
  // Rise or set on a new day every call, alternately, from the local
  // midnight before the day's noon.
  ['SunRiseSet', (i) => {
    const start = Astronomy.MakeTime(new Date(firstInstant + i * dayMs - 0.6 * dayMs));
    return Astronomy.SearchRiseSet(Astronomy.Body.Sun, observer, i & 1 ? -1 : +1, start, 1);
  }],
  ['MoonRiseSet', (i) => {
    const start = Astronomy.MakeTime(new Date(firstInstant + i * dayMs - 0.6 * dayMs));
    return Astronomy.SearchRiseSet(Astronomy.Body.Moon, observer, i & 1 ? -1 : +1, start, 1);
  }],
];

for (const [name, run] of operations) {
  if (!filter.test(name)) continue;
  // Warm up the compiler, then count calls until the time is spent.
  for (let i = 0; i < 200; ++i) run(i);
  let calls = 0;
  let sink = 0;
  const start = process.cpuUsage();
  let used = 0;
  while (used < seconds * 1e6) {
    for (let k = 0; k < 100; ++k, ++calls) {
      const r = run(calls + 1000);
      sink += r && typeof r === 'object' ? 1 : Number(r) || 0;
    }
    const u = process.cpuUsage(start);
    used = u.user + u.system;
  }
  if (sink === 0.123) console.log('');  // keeps the results alive
  console.log(`${name} ${(used / calls).toFixed(2)}`);
}
