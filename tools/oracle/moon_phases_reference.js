// Writes the references of the Moon's phase reports:
// - tests/data/moon_phases_reference.csv: the four principal phases of 124
//   lunations spread over 1900-2100 (every 20th lunation) from the
//   astronomy-engine ephemeris (Don Cross, MIT licence), SearchMoonPhase
//   refined to the equal (or opposite, or quarter) longitudes of the
//   aberrated geocentric Moon and Sun, as Julian Days in dynamical time;
// - tests/data/molad_reference.csv: the molad of every 7th Hebrew month of
//   the years 5660 to 5860 from @hebcal/hdate (Hebcal, GPL v2; used only
//   here, to write the reference), as the fixed day of its weekday near the
//   first of the month and the time in Jerusalem mean time from midnight
//   (hour, minute, part of a minute in 18ths).
//
// Usage: node tools/oracle/moon_phases_reference.js phases > tests/data/moon_phases_reference.csv
//        node tools/oracle/moon_phases_reference.js molad > tests/data/molad_reference.csv
'use strict';
const Astronomy = require('astronomy-engine');
const path = require('path');
const fs = require('fs');

function versionOf(name) {
  let dir = path.dirname(require.resolve(name));
  while (!fs.existsSync(path.join(dir, 'package.json'))) dir = path.dirname(dir);
  return JSON.parse(fs.readFileSync(path.join(dir, 'package.json'), 'utf8')).version;
}

const kJ2000 = 2451545.0;

// Apparent geocentric elongation in longitude less the target, (-180, 180].
function offset(t, target) {
  const lon = (body) => Astronomy.Ecliptic(Astronomy.GeoVector(body, t, true)).elon;
  let d = lon(Astronomy.Body.Moon) - lon(Astronomy.Body.Sun) - target;
  while (d <= -180) d += 360;
  while (d > 180) d -= 360;
  return d;
}

// Secant steps from the engine's instant until they move less than 1 ms.
function refine(t0, target) {
  let a = t0, b = t0.AddDays(0.01);
  let fa = offset(a, target), fb = offset(b, target);
  for (let i = 0; i < 30 && Math.abs(b.ut - a.ut) * 86400 > 0.001; ++i) {
    const c = b.AddDays(-fb * (b.ut - a.ut) / (fb - fa));
    a = b; fa = fb;
    b = c; fb = offset(b, target);
  }
  return b;
}

function phases() {
  console.log('# The four principal phases of 124 lunations, every 20th from January 1900 to 2100.');
  console.log(`# Source: astronomy-engine ${versionOf('astronomy-engine')} (Don Cross, MIT licence), SearchMoonPhase,`);
  console.log('# refined to the apparent (aberrated) geocentric longitudes of the Moon and the Sun.');
  console.log('# Regenerate: node tools/oracle/moon_phases_reference.js phases > tests/data/moon_phases_reference.csv');
  console.log('# Columns: phase angle (0 new, 90 first quarter, 180 full, 270 last quarter), UTC date and time, JD (TT)');
  let t = Astronomy.MakeTime(new Date(Date.UTC(1900, 0, 1)));
  for (let n = 0; n < 124; ++n) {
    const nm = Astronomy.SearchMoonPhase(0, t, 40);
    for (const target of [0, 90, 180, 270]) {
      const found = target === 0 ? nm : Astronomy.SearchMoonPhase(target, nm, 40);
      const apparent = refine(found, target);
      console.log(`${target},${apparent.date.toISOString()},${(apparent.tt + kJ2000).toFixed(6)}`);
    }
    t = nm.AddDays(20 * 29.530588861 - 10);
  }
}

async function molads() {
  const { HDate, molad } = await import('@hebcal/hdate');
  console.log('# Molads of every 7th Hebrew month, years 5660 to 5860.');
  console.log(`# Source: @hebcal/hdate ${versionOf('@hebcal/hdate')} (Hebcal, GPL v2), molad(year, month); the day is`);
  console.log('# the fixed day (1 January of year 1 = 1) of the molad\'s weekday within three days of the 1st of the month.');
  console.log('# Regenerate: node tools/oracle/moon_phases_reference.js molad > tests/data/molad_reference.csv');
  console.log('# Columns: Hebrew year, month (1 Nisan .. 13 Adar 2), fixed day, hour, minute, part (18ths of a minute), Jerusalem mean time');
  let k = 0;
  for (let year = 5660; year <= 5860; ++year) {
    const months = HDate.isLeapYear(year) ? 13 : 12;
    for (let month = 1; month <= months; ++month) {
      if (k++ % 7 !== 0) continue;
      const m = molad(year, month);
      const first = new HDate(1, month, year).abs();
      let day = first - 3;
      while (((day % 7) + 7) % 7 !== m.dayOfWeek) ++day;
      console.log(`${year},${month},${day},${m.hour},${m.minutes},${m.chalakim}`);
    }
  }
}

if (process.argv[2] === 'molad') molads();
else phases();
