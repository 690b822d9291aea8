// Writes the new-Moon reference of the conjunction search: 50 consecutive
// geocentric new Moons from January 2024, from the astronomy-engine ephemeris
// (Don Cross, MIT licence; SearchMoonPhase with target longitude 0, the
// instant at which the Moon's apparent geocentric ecliptic longitude equals
// the Sun's), as Julian Days in dynamical time (TT), to stdout in the layout
// of tests/data/new_moon_reference.csv.
//
// Usage: node tools/oracle/new_moon_reference.js > tests/data/new_moon_reference.csv
'use strict';
const Astronomy = require('astronomy-engine');
const path = require('path');
const fs = require('fs');
const version = JSON.parse(
  fs.readFileSync(path.join(path.dirname(require.resolve('astronomy-engine')), 'package.json'), 'utf8')).version;

// Julian Day of the engine's day 0 (J2000.0, 2000-01-01 12:00 TT).
const kJ2000 = 2451545.0;

console.log('# Geocentric new Moons (conjunctions in ecliptic longitude) from January 2024.');
console.log(`# Source: astronomy-engine ${version} (Don Cross, MIT licence), SearchMoonPhase(0, ...).`);
console.log('# Regenerate: node tools/oracle/new_moon_reference.js > tests/data/new_moon_reference.csv');
console.log('# Columns: lunation, UTC date and time, JD in dynamical time (TT)');
let t = Astronomy.MakeTime(new Date(Date.UTC(2024, 0, 1)));
for (let n = 0; n < 50; ++n) {
  const found = Astronomy.SearchMoonPhase(0, t, 40);
  console.log(`${n},${found.date.toISOString()},${(found.tt + kJ2000).toFixed(6)}`);
  t = found.AddDays(20);
}
