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

// Yallop's q and Odeh's V from the arc of vision (degrees) and the crescent
// width (arc minutes), as published (Yallop 1997, NAO TN 69; Odeh 2004).
const cubicW = (w) => -0.1018 * w * w * w + 0.7319 * w * w - 6.3226 * w;
const yallopQ = (arcv, w) => (arcv - (11.8371 + cubicW(w))) / 10;
const odehV = (arcv, w) => arcv - (7.1651 + cubicW(w));
const kMoonRadiusKm = 1737.4;

// What a criterion needs of a body at an instant: its geocentric (airless)
// altitude, its topocentric vector and distance, and with blnTopo its
// topocentric altitude too.
function place(body, time, where, blnTopo) {
  const geo = Astronomy.GeoVector(body, time, true);
  const eqGeo = Astronomy.EquatorFromVector(Astronomy.RotateVector(Astronomy.Rotation_EQJ_EQD(time), geo));
  const eqTopo = Astronomy.Equator(body, time, where, true, true);
  return {
    geo: Astronomy.Horizon(time, where, eqGeo.ra, eqGeo.dec).altitude,
    topo: blnTopo ? Astronomy.Horizon(time, where, eqTopo.ra, eqTopo.dec).altitude : 0,
    vec: eqTopo.vec,
    dist: eqTopo.dist,
  };
}

// One evening as a crescent criterion needs it: sunset and moonset by the
// rise/set search from the local midnight, the best time at 4/9 of the lag
// (Yallop's), the geocentric arc of vision (and with blnTopo the
// topocentric one), the topocentric elongation and crescent width; null when
// there is no sunset or no moonset within a day of it.
function evening(where, localMidnight, blnTopo) {
  const sunset = Astronomy.SearchRiseSet(Astronomy.Body.Sun, where, -1, localMidnight, 1);
  if (!sunset) return null;
  const moonset = Astronomy.SearchRiseSet(Astronomy.Body.Moon, where, -1, sunset, 1);
  if (!moonset) return null;
  const best = sunset.AddDays((4 / 9) * (moonset.ut - sunset.ut));
  const moon = place(Astronomy.Body.Moon, best, where, blnTopo);
  const sun = place(Astronomy.Body.Sun, best, where, blnTopo);
  const elongation = Astronomy.AngleBetween(moon.vec, sun.vec);
  const semi = (Math.asin(kMoonRadiusKm / (moon.dist * Astronomy.KM_PER_AU)) * 180) / Math.PI * 60;
  const width = semi * (1 - Math.cos((elongation * Math.PI) / 180));
  return {arcvGeo: moon.geo - sun.geo, arcvTopo: moon.topo - sun.topo, width};
}

// The cells of a 10-degree world map (648, as bench/map_bench.cpp's), the
// evening of 10 March 2024; each call one cell: Yallop's q.
const mapDay = Date.UTC(2024, 2, 10);
const mapCells = [];
for (let lat = -85; lat < 90; lat += 10)
  for (let lon = -175; lon < 180; lon += 10) mapCells.push(new Astronomy.Observer(lat, lon, 0));
function mapCell(i) {
  const where = mapCells[i % mapCells.length];
  const e = evening(where, Astronomy.MakeTime(new Date(mapDay - (where.longitude / 360) * dayMs)), false);
  return e ? yallopQ(e.arcvGeo, e.width) : 0;
}

// An evening at Jerusalem, one of 1,000 from 1 January 2024 (a new evening
// every call): Yallop's q and Odeh's V, and the conjunction before it for
// the Moon's age.
const eveningsFrom = Date.UTC(2024, 0, 1) - (observer.longitude / 360) * dayMs;
function jerusalemEvening(i) {
  const midnight = Astronomy.MakeTime(new Date(eveningsFrom + (i % 1000) * dayMs));
  const e = evening(observer, midnight, true);
  if (!e) return 0;
  const conjunction = Astronomy.SearchMoonPhase(0, midnight, -30);
  return yallopQ(e.arcvGeo, e.width) + odehV(e.arcvTopo, e.width) + (conjunction ? conjunction.ut : 0);
}

const operations = [
  ['MapCellYallop', mapCell],
  ['EveningYallopOdeh', jerusalemEvening],
  // The conjunction search, a lunation later every call.
  ['FindConjunction', (i) => Astronomy.SearchMoonPhase(0, Astronomy.MakeTime(new Date(firstInstant + i * 29.530588861 * dayMs)), 40)],
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
